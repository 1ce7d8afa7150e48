"""The editor generator: its committed output is what the tables make, and it refuses tables
that would make a broken editor, naming the culprit."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE = os.environ.get("ZOZ_TEST_SOURCE_DIR",
                        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
OUTPUTS = ("uiconfig.xml", "sysex.xml", "editor-art.txt")


class Generator(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)
        tools = os.path.join(SOURCE, "tools")
        shutil.copytree(os.path.join(tools, "editor_config"),
                        os.path.join(self.dir, "editor_config"))
        for script in ("gen_editor_config.py", "gen_parameter_ids.py"):
            shutil.copy(os.path.join(tools, script), self.dir)

    def run_generator(self):
        out = os.path.join(self.dir, "out")
        run = subprocess.run([sys.executable, os.path.join(self.dir, "gen_editor_config.py"), out],
                             capture_output=True, text=True)
        return run, out

    def edit(self, table, old, new):
        path = os.path.join(self.dir, "editor_config", table)
        with open(path) as f:
            text = f.read()
        self.assertIn(old, text)
        with open(path, "w") as f:
            f.write(text.replace(old, new, 1))

    def test_committed_files_are_what_the_tables_make(self):
        run, out = self.run_generator()
        self.assertEqual(run.returncode, 0, run.stderr)
        for name in OUTPUTS:
            with open(os.path.join(out, name), encoding="utf-8") as made, \
                    open(os.path.join(SOURCE, "resources", name), encoding="utf-8") as kept:
                self.assertTrue(made.read() == kept.read(), name + " differs from the tables")

    def test_help_prints_the_usage_and_writes_nothing(self):
        before = sorted(os.listdir(self.dir))
        run = subprocess.run([sys.executable, "-B", "gen_editor_config.py", "--help"],
                             cwd=self.dir, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn("usage: gen_editor_config.py", run.stdout)
        self.assertEqual(sorted(os.listdir(self.dir)), before)

    def test_refusals_name_the_culprit(self):
        cases = [
            ("a second control on one address", "sound.txt",
             "knob    kOscillator1Keytrack     0 127  @ -                  s12",
             "knob    kOscillator1Keytrack     0 127  @ -                  s10",
             "kOscillator1Keytrack answers the same address as kOscillator1Detune"),
            ("an unknown parameter", "sound.txt", "kOscillator1Detune ", "kOscillator1Detuna ",
             "unknown parameter kOscillator1Detuna"),
            ("an unknown image", "editor.txt", "ID_RANDOMIZE", "ID_RANDOMISE",
             "unknown image ID_RANDOMISE"),
            ("a control off its section", "sound.txt", "[Mixer oscPart 196 468 1290 208 group",
             "[Mixer oscPart 196 468 1290 30 group", "kOscillator1Level does not fit section Mixer"),
            ("a section off the editor", "sound.txt", "[Mixer oscPart 196 468 1290 208 group",
             "[Mixer oscPart 196 700 1290 208 group", "section Mixer lies outside the editor"),
            ("a list too short for its reader", "lists.txt", "tapPan: Left | Centre | Right",
             "tapPan: Left | Right", "list tapPan has 2 entries for 3 values"),
            ("neighbours shown alike", "lists.txt", "delayPercentage = percentages(0, 127)",
             'delayPercentage = [f"{round(k * 100 / 127)}%" for k in range(128)]',
             'list delayPercentage shows "2%" for values 2 and 3'),
            ("a message value below 0", "sound.txt", "kOscillator1Detune       0 127",
             "kOscillator1Detune       -1 127", "kOscillator1Detune sends -1..127, outside 0..127"),
            ("a sound address outside the copies", "multi.txt", "0 127 64 - g9", "0 127 64 - s9",
             "a sound address outside the part copies"),
            ("a menu text one pixel past its box", "pattern.txt", "w=70 h=13 label=Step",
             "w=64 h=13 label=Step",
             '"1/32 trip" runs out of the 64 pixels of kPatternStep01StepLength at size 0.85'),
            ("a menu text below 7-pixel capitals at the small size", "pattern.txt",
             "w=70 h=13 label=Hold", "w=70 h=12 label=Hold",
             "the text of kPatternStep01HoldPause is smaller than 11 pixels at size 0.85"),
            ("a status text past its display line", "editor.txt",
             "kControlDisplayName           0 0 0 -        - w=300",
             "kControlDisplayName           0 0 0 -        - w=270",
             '"No results - Try another keyword!" runs out of the 270 pixels of kControlDisplayName '
             'at size 1.00'),
            ("a bank name past its list at the small size", "editor.txt",
             "kPatchSelectionListLower      0 0 0 -        - w=353 h=16",
             "kPatchSelectionListLower      0 0 0 -        - w=130 h=16",
             '"WWWWWWWWWWWWWWWW" runs out of the 130 pixels of kPatchSelectionListLower at size 0.85'),
            ("a title under a control", "multi.txt",
             "[Input multiModeSettingsPage2 1188 556 298 188 group=Global cw=88 large pad=12 spread]",
             "[Input multiModeSettingsPage2 1188 556 298 188 group=Global cw=88 large]",
             "the title Input lies under kGlobalMixInputTo"),
            ("a label under a control", "editor.txt", "BTN_SEE_ABOUT_ID at=720,48",
             "BTN_SEE_ABOUT_ID at=700,60", '"Filters" lies under kDisplayAboutWindow'),
        ]
        for what, table, old, new, message in cases:
            with self.subTest(what):
                self.setUp()
                self.edit(table, old, new)
                run, out = self.run_generator()
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(message, run.stderr)
                self.assertFalse(os.path.exists(out), "nothing is written")

    def test_a_menu_text_with_its_margin_exactly_as_wide_as_its_box_is_taken(self):
        # "1/32 trip" at size 11, the small editor's 13, is 51.2 pixels wide and keeps 3
        # pixels beside it: 55 of the 65 pixels' 55.25.
        self.edit("pattern.txt", "w=70 h=13 label=Step", "w=65 h=13 label=Step")
        run, out = self.run_generator()
        self.assertEqual(run.returncode, 0, run.stderr)

    def test_rows_keep_even_margins_in_their_boxes_and_centre_on_their_tallest_control(self):
        gen = self.generator()
        builder = gen.Builder()
        builder.build()
        for s in builder.sections:
            if s["compact"]:
                continue
            x, y, w, h = s["rect"]
            for c in builder.controls:
                if (c.layer in s["layers"] and c.row_top is not None and x <= c.x < x + w
                        and y <= c.y < y + h):
                    with self.subTest(s["title"], control=c.name):
                        self.assertGreaterEqual(c.x - x, 4)
                        self.assertGreaterEqual(x + w - c.x - c.w, 4)
        # A menu beside large knobs sits at their middle, its label too.
        knob, menu = (next(c for c in builder.controls if c.name == name)
                      for name in ("kGlobalPedalCurve", "kGlobalPedalController"))
        self.assertAlmostEqual(knob.y + knob.h / 2, menu.y + (menu.h + 16) / 2 - 8, delta=0.5)

    def test_pages_keep_their_columns_and_one_right_edge(self):
        builder = self.generator().Builder()
        builder.build()
        at = {c.ids[0]: c for c in builder.controls}
        ids = self.generator().load_names()

        def x(name, part=0):
            return at[ids[name][0] + part].x

        # The three oscillators' common settings, and their pulse settings, share columns.
        for setting in ("Octave", "Semitone", "Detune", "BendRange", "Keytrack", "Shape",
                        "FMSource", "FMAmount", "Pulsewidth", "PWMSource", "PWMAmount"):
            with self.subTest(setting):
                self.assertEqual({x("kOscillator%d%s" % (o, setting)) for o in (1, 2, 3)},
                                 {x("kOscillator1" + setting)})
        # Every page's boxes end at one right edge.
        for s in builder.sections:
            right = s["rect"][0] + s["rect"][2]
            if not (s["compact"] or s["open"]) and s["layer"] != "top":
                with self.subTest(s["title"]):
                    self.assertLessEqual(right, 1486)
        # Step 17 starts the second row under step 1, and each step's veil lies over its column,
        # whose controls keep clear of the gap the veil leaves at its sides.
        self.assertEqual(x("kPatternStep17Cutoff"), x("kPatternStep01Cutoff"))
        for step in (2, 16, 17, 32):
            veil = builder.layers["step%02doverlayer" % step].art[0]
            knob = at[ids["kPatternStep%02dCutoff" % step][0]]
            with self.subTest(step=step):
                self.assertTrue(veil[1] <= knob.x < veil[1] + 76 and veil[2] <= knob.y < veil[2] + 286)
                for c in builder.controls:
                    if c.name.startswith("kPatternStep%02d" % step):
                        self.assertTrue(veil[1] + 2 <= c.x and c.x + c.w <= veil[1] + 74, c.name)
        # The vocoder's two rows share their columns.
        for fx in (1, 2):
            settings = ["Bands", "AnalysisSignal", "AnalysisLoFrq", "AnalysisHiFrq",
                        "AnalysisSOffset", "AnalysisHiOffset", "Bandwidth", "Resonance", "Attack",
                        "Decay", "EQLowBandLevel", "EQMiddleFreq", "EQMiddleLevel",
                        "EQHighBandLevel"]
            centres = [at[ids["kFX%dVocoder%s" % (fx, name)][0]] for name in settings]
            centres = [c.x + c.w // 2 for c in centres]
            with self.subTest(fx=fx):
                self.assertEqual(centres[:7], centres[7:])

    def generator(self):
        """The generator module of this test's copy of the tables."""
        sys.path.insert(0, self.dir)
        self.addCleanup(sys.path.remove, self.dir)
        sys.modules.pop("gen_editor_config", None)
        import gen_editor_config as gen
        return gen

    def test_clock_lists_hold_only_note_values_and_whole_bars(self):
        lists = self.generator().load_lists()
        clocks = lists["clockedValues"]
        self.assertEqual(len(clocks), 128)
        self.assertEqual(len(set(clocks)), 128)
        self.assertEqual((clocks[0], clocks[9], clocks[21], clocks[22]), ("1/128", "1/16", "1/1", "2 bars"))
        self.assertEqual(clocks[-1], "864 bars")
        # The bars after 32 step by 2, 4, 8 ... as the length doubles.
        self.assertEqual(clocks[52:55], ["32 bars", "34 bars", "36 bars"])
        self.assertEqual(lists["arpClock"], clocks[:44])
        self.assertEqual(lists["delayClockedValues"], clocks[:30])
        # The INIT sound's arpeggiator clock (9) and its pattern's step and gate (5 and 8).
        self.assertEqual(lists["arpClock"][9], "1/16")
        self.assertEqual((lists["seqStepLen"][5], lists["seqStepLen"][8]), ("1/16", "1/8"))
        self.assertEqual(lists["arpTiming"][4], "Normal")


if __name__ == "__main__":
    unittest.main()
