#!/usr/bin/env python3
"""Writes the editor's layout (uiconfig.xml), the SysEx templates of its controls (sysex.xml)
and the description of its art (editor-art.txt) from the tables in tools/editor_config/.

Usage: gen_editor_config.py [OUTPUT_DIR]   (default: resources/ beside this script's parent)

The tables say what each parameter is (kind, range, default, value list, dump address) and
where it sits (a section of a layer); this script places every control, turns addresses into
message templates and refuses tables that would make a broken editor: an unknown parameter,
image or list, two controls answering one address, a control that does not fit its section.
"""
import argparse
import os
import re
import sys
from fractions import Fraction
from xml.sax.saxutils import quoteattr

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import gen_parameter_ids  # noqa: E402

TABLES = os.path.join(HERE, "editor_config")
EDITOR_W, EDITOR_H = 1500, 757
PARTS = 16
# The pattern page's steps, 16 columns a row in two rows: the first column's left edge, the
# width of each, the first row's top and the height of each. A step's overlayer veils its
# place. (At the scaled sizes neighbouring veils may leave a pixel between them.)
STEP_X, STEP_W, STEP_Y, STEP_H, STEPS_A_ROW = 262, 76, 172, 286, 16

# Entries of the SysEx list that the plug-in reads by position: part p's two packed multi
# settings (multi part block offsets 7 and 16).
PACKED_ENTRIES = {47: 7, 446: 16}

# The effect type of each type-specific setting by the start of its name after "kFX1" or
# "kFX2": the variant under which its control answers. The two input selectors answer under 0.
EFFECT_TYPES = [("51DelayClocked", 11), ("51Delay", 10), ("Chorus", 1), ("Flanger", 2),
                ("Phaser", 3), ("Delay", 4), ("Overdrive", 5), ("FiveFX", 6), ("Vocoder", 7),
                ("Reverb", 8), ("TapDelay", 9)]
UNTYPED_SETTINGS = {"FiveFXSource", "VocoderAnalysisSignal"}
KNOB_STRIPS = {4, 5, 6, 7, 9, 11, 12, 14, 25, 49, 97}
ENVELOPE_ART = ["BG_ID_ADSR", "BG_ID_ADSD2S2R", "BG_ID_ONESHOT", "BG_ID_LOOPS1S2", "BG_ID_LOOPALL"]
EFFECT_ART = ["EFFECTS_BYPASS_ID", "EFFECTS_CHORUS_ID", "EFFECTS_FLANGER_ID", "EFFECTS_PHASER_ID",
              "EFFECTS_DELAY_ID", "EFFECTS_OVERDRIVE_ID", "EFFECTS_FIVEFX_ID",
              "EFFECTS_VOCODER_ID", "EFFECTS_REVERB_ID", "EFFECTS_TAPDELAY_ID",
              "EFFECTS_51DELAYS_ID", "EFFECTS_51DELAYS_ID"]
# Menus, name fields and port menus draw their text in a monospace face (DejaVu Sans Mono here),
# SysEx menus at size 13 and the others at their height; the size is the face's whole height, so
# a character is its advance over ascent plus descent times the size wide. The text must fit its
# box at every size of the editor.
MONO_ADVANCE = 1233 / (1901 + 483)
SCALES = (0.85, 1.0, 1.15)
# Room kept free beside a text in its box, both sides together.
TEXT_MARGIN = 3
# The least text size at any editor size: its capitals are 7 pixels high.
LEAST_TEXT = 11
NO_DEVICE = "Select MIDI Device"
# Texts the plug-in writes on its display lines, the longest of each kind: start-up texts,
# status and failure texts, a 16-character patch name and a 4-character category ("W" is as
# wide as any other character of the face). Longer parameter names are cut with "...".
DISPLAY_TEXTS = {
    "kControlDisplayName": ["Veririz Zoz Plug-in", "Please wait, checking DeviceID ",
                            "Data processing, please wait...", "No results - Try another keyword!",
                            "Please wait! 100% processed.."],
    "kControlDisplayValue": ["v1.0.7 - 02-Jan-2020", "Unable to get DAW Tempo",
                             "Default MIDI output set.", "LP 24 dB Warm [13]"],
    "kControlDisplayPatch": ["-- INIT --", "W" * 16],
    "kControlDisplayCategory": ["INIT", "W" * 4],
    "kControlDisplayCC": ["CC|120", "SysEx", "---"],
    "kControlDisplayBuild": ["v1.0.7"],
    "kControlDisplayMIDIOutDelay": ["1000ms|8192bfr"],
}
# The librarian's menus draw nothing of their own over the page: their places, fixed by the
# plug-in, are shown in the art as fields named for what they open. (layer, x, y, w, h, text)
MENU_PLACES = [("top", 1142, 60, 38, 24, "Bank"), ("top", 1184, 60, 45, 24, "Program"),
               ("librarianPage", 394, 188, 416, 19, "Folders and banks"),
               ("librarianPage", 394, 461, 416, 19, "Folders and banks"),
               ("librarianPage", 839, 187, 77, 18, "Bank menu")]
# A bank list shows a bank file's name; names longer than a patch name are cut with "...".
BANK_NAME = "W" * 16
# A section's title sits in a tab at its box's top right: at most this wide a character, bold.
TITLE_CHAR_W = 7
# Controls that share an address on purpose: the filter types of the two models.
SHARED_ADDRESSES = {("kFilter1TypeQ", "kFilter1TypeQPlus"), ("kFilter2TypeQ", "kFilter2TypeQPlus")}
# Sound bytes that hold several parameters of a part, each with a control of its own: Unisono
# with Mono/Poly, and each arpeggiator step's step, glide and accent, and its length and
# timing. Whichever changes, the plug-in sends the byte made from all of them.
PACKED_BYTES = {65} | set(range(335, 367))


class ConfigError(Exception):
    pass


def fail(where, text):
    raise ConfigError("%s: %s" % (where, text))


def rows(name):
    """(line number, fields) of a table, comments and blank lines skipped."""
    with open(os.path.join(TABLES, name), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            if line.strip() and not line.lstrip().startswith("#"):
                yield "%s:%d" % (name, number), line.rstrip("\n")


# --- reference tables -------------------------------------------------------------------

def load_names():
    return {name: (pid, width) for name, pid, width in gen_parameter_ids.named_entries()}


def load_images():
    images = {}
    for where, line in rows("images.txt"):
        name, frames, horizontal, w, h = line.split()
        images[name] = (int(frames), horizontal == "1", int(w), int(h))
    return images


def init_dumps():
    sound = [int(t, 16) for _, line in rows("init_sound.txt") for t in line.split()]
    multi = [0] * 393
    multi[:7] = [0xF0, 0x3E, 0x0F, 0x00, 0x11, 0x00, 0x63]
    multi[7:13] = [0x7F, 0x02, 0x04, 0x0B, 0x0C, 0x37]
    multi[23:39] = list(b"Sequencer Multi ")
    for k in range(PARTS):
        multi[39 + 22 * k:39 + 22 * k + 17] = [0x02, 0x63, k + 2, 0x64, 0x40, 0x40, 0x00,
                                                0x07 if k == 0 else 0x02, 0x40, 0, 0, 0, 0x01,
                                                0x7F, 0x00, 0x7F, 0x00]
    multi[391:393] = [0x7A, 0xF7]
    pattern = [0xF0, 0x3E, 0x0F, 0x00, 0x13, 0x20, 0x00, 0x00, 0x0F, 0x00, 0x3C, 0x00, 0x13, 0, 0]
    pattern += list(b"INIT Sequence   ")
    pattern += [0x40, 0x64, 0x40, 0x40, 0x05, 0x08] + [0] * 10
    pattern = pattern[:31] + pattern[31:47] * 32 + [0xF7]
    return {"s": sound, "m": multi, "p": pattern}


def numbered(prefix, first, last):
    return ["%s %d" % (prefix, n) for n in range(first, last + 1)]


def clock_values(count, first=0):
    """count clock values from the first'th shortest: every note value from 1/128 to a whole
    bar, straight, dotted and triplet, shortest first; then whole bars, one by one up to 32
    and beyond that in steps that double with each doubling of the length, up to 1024."""
    notes = []
    for d in (128, 64, 32, 16, 8, 4, 2, 1):
        notes += [(Fraction(1, d), "1/%d" % d), (Fraction(3, 2 * d), "1/%d dot" % d),
                  (Fraction(2, 3 * d), "1/%d trip" % d)]
    values = [text for length, text in sorted(notes) if Fraction(1, 128) <= length <= 1]
    bars, step = list(range(2, 33)), 2
    while bars[-1] < 1024:
        bars += range(bars[-1] + step, bars[-1] + 17 * step, step)
        step *= 2
    values += ["%d bars" % b for b in bars]
    if first + count > len(values):
        raise ConfigError("no %d clock values from the %dth" % (count, first))
    return values[first:first + count]


def percentages(first, last):
    """Values first..last of 0..127 as percent of 127, to a tenth where a whole percent would
    show two neighbours alike: "0%", "0.8%", ... "100%"."""
    return [("%.1f" % (k * 100 / 127)).rstrip("0").rstrip(".") + "%" for k in range(first, last + 1)]


def key_names():
    notes = "C C# D D# E F F# G G# A A# B".split()
    return ["%s%d" % (notes[k % 12], k // 12 - 2) for k in range(128)]


def load_lists():
    lists = {}
    helpers = {"numbered": numbered, "clock_values": clock_values, "key_names": key_names,
               "percentages": percentages, "lists": lists}
    for where, line in rows("lists.txt"):
        m = re.match(r"(\w+)\s*(:|=)\s*(.*)$", line)
        if not m:
            fail(where, "not a list")
        name, how, body = m.groups()
        if name in lists:
            fail(where, "list %s given twice" % name)
        if how == ":":
            lists[name] = [t.strip() for t in body.split("|")]
        else:
            lists[name] = [str(t) for t in eval(body, dict(helpers))]  # trusted table
        texts = lists[name]
        for k in range(1, len(texts)):
            if texts[k] == texts[k - 1]:
                fail(where, "list %s shows \"%s\" for values %d and %d" % (name, texts[k], k - 1, k))
    return lists


# --- layers -----------------------------------------------------------------------------

class Layer:
    def __init__(self, name, parent, lid, kind, art):
        self.name, self.parent, self.id, self.kind, self.art = name, parent, lid, kind, art
        self.children, self.controls = [], []

    def in_parts(self):
        layer = self
        while layer:
            if layer.kind == "parts":
                return True
            layer = layer.parent
        return False


def expand(name):
    """name{01-16} -> [(name01, 0), ... (name16, 15)]; a plain name -> [(name, 0)]."""
    m = re.match(r"(.*)\{(\d+)-(\d+)\}(.*)$", name)
    if not m:
        return [(name, 0)]
    head, first, last, tail = m.groups()
    width = len(first) if first.startswith("0") else 1
    return [("%s%0*d%s" % (head, width, n, tail), n - int(first))
            for n in range(int(first), int(last) + 1)]


def art_image(token, k, images, where):
    image, at = token.split("@")
    x, y = at.split(",")
    if image == "ENVBG":
        image = ENVELOPE_ART[k]
    elif image in ("FX1BG", "FX2BG"):
        image = EFFECT_ART[k]
    elif image == "PARTBG":
        # The name of copy k's part, on the panel of its own settings.
        image = "BUTTON_MIXER_MUTE%d_ID" % (k + 1)
    # The overlayer of step k + 2 (the first step is never veiled).
    x = STEP_X + STEP_W * ((k + 1) % STEPS_A_ROW) if x == "STEPX" else int(x)
    y = STEP_Y + STEP_H * ((k + 1) // STEPS_A_ROW) if y == "STEPY" else int(y)
    if image not in images:
        fail(where, "unknown image %s" % image)
    return image, x, y


def load_layers(images):
    layers, order = {}, []
    for where, line in rows("layers.txt"):
        fields = line.split()
        name, parent, lid, kind = fields[:4]
        for full, k in expand(name):
            if full in layers:
                fail(where, "layer %s given twice" % full)
            if parent != "-" and parent not in layers:
                fail(where, "unknown parent layer %s" % parent)
            art = [art_image(t, k, images, where) for t in fields[4:]]
            layer = Layer(full, layers.get(parent), None if lid == "-" else int(lid) + k, kind,
                          art)
            if layer.parent:
                layer.parent.children.append(layer)
            else:
                order.append(layer)
            layers[full] = layer
    layers["top"] = Layer("top", None, None, "top",
                          [("MAIN_BG_ID", 0, 0), ("QUICK_PART_SELECTOR_ID", 0, 90)])
    return layers, order


# --- controls ---------------------------------------------------------------------------

class Control:
    """One element of the layout, with what the checks and the art need of it."""

    def __init__(self, **fields):
        self.__dict__.update(fields)


def fill(text, p, t):
    return re.sub(r"\{([^{}]+)\}", lambda m: format_field(m.group(1), p, t), text)


def format_field(expr, p, t):
    body, _, form = expr.partition(":")
    return format(eval(body, {"p": p, "t": t}), form)  # trusted table


def effect_variant(name):
    setting = name[len("kFX1"):]
    if setting in UNTYPED_SETTINGS:
        return 0
    return next(variant for prefix, variant in EFFECT_TYPES if setting.startswith(prefix))


def parse_address(text, part, where):
    """(dump, byte, offset, message) of an address field; dump s, m, g, p or None."""
    if text in ("-", "cc"):
        return None, None, 0, False
    m = re.match(r"(fx[12]:|mp|[smgp])(\d+)(?:\+(\d+))?(!?)$", text)
    if not m:
        fail(where, "unknown address %s" % text)
    kind, number, offset, quiet = m.groups()
    number, offset = int(number), int(offset or 0)
    if kind.startswith("fx"):
        return "s", (136 if kind == "fx1:" else 152) + number, 0, True
    if kind == "mp":
        if part is None:
            fail(where, "a part address outside a repeated section")
        return "m", 39 + 22 * part + number, offset, not quiet
    return kind, number, offset, kind != "p" and not quiet


def template(dump, byte):
    """(message template, changing byte) of a dump byte's parameter message."""
    index = byte - (5 if dump == "g" else 7)
    msg_id = {"s": 0x20, "m": 0x21, "g": 0x24}[dump]
    words = [0x3E, 0x0F, 0x00, msg_id] + ([0x00] if dump == "s" else []) + \
        [index >> 7, index & 0x7F, 0x00]
    return " ".join("%02X" % w for w in words), len(words)


MENU_TEXT = 13  # the size of a SysEx menu's text, fixed by its factory
CELL_GAP = {True: 2, False: 8}  # right of a control in its cell, by compactness


def cell(kind, image, extras, compact, images):
    """Width and height of a control, and of the cell it takes in its section (cw= widens the
    cell to at least that; the control keeps the cell's gap on its right and its label is as
    wide as the cell, centred under it)."""
    if kind in ("menu", "umenu"):
        # h is the text's size (a SysEx menu's is 13); its box is a pixel above and below.
        w, h = int(extras.get("w", 104)), int(extras.get("h", MENU_TEXT)) + 2
    elif kind in ("display", "name", "list", "device", "browser"):
        w, h = int(extras["w"]), int(extras.get("h", 18))
    elif kind in ("fader", "hfader"):
        frames, _, fw, fh = images[image]
        length = int(extras.get("len", 80))
        w, h = (fw, length) if kind == "fader" else (length, fh)
    elif kind == "radio":
        frames, horizontal, fw, fh = images[image]
        n = int(extras["n"])
        w, h = (fw * n, fh) if extras.get("dir") == "h" else (fw, fh * n)
    else:
        frames, horizontal, fw, fh = images[image]
        w, h = fw, fh
    cw = max(w + CELL_GAP[compact], int(extras.get("cw", 0)))
    return w, h, cw, h + (2 if compact else 16)


DEFAULT_IMAGES = {"knob": "IKNOBROTATERCONTROL_ID2", "sknob": "IKNOBROTATERCONTROL_ID3",
                  "range": "IKNOBROTATERCONTROL_ID2", "fader": "SLIDER_PYSTY",
                  "hfader": "SLIDER_VAAKA", "switch": "BTN_SMALL_LED_SM_ID",
                  "toggle": "BTN_SMALL_LED_SM_ID", "trigger": "ID_TRIGGER",
                  "cc": "IKNOBROTATERCONTROL_ID3", "ccbutton": "BTN_SMALL_LED_SM_ID"}


# The large knob, for sections with room: one strip for every count of values.
LARGE_KNOB = "IKNOBROTATERCONTROL_ID2FC"


def knob_image(kind, count, large):
    if kind == "knob" and large:
        return LARGE_KNOB
    if kind == "knob" and count in KNOB_STRIPS:
        return "IKNOBROTATERCONTROL_ID%d" % count
    return DEFAULT_IMAGES[kind]


def label_of(name):
    bare = re.sub(r"^[kK]", "", name.split("+")[0])
    return re.sub(r"(?<=[a-z0-9])(?=[A-Z])|(?<=[A-Za-z])(?=\d)|(?<=[A-Z])(?=[A-Z][a-z])", " ",
                  bare)


# Shorter words for the labels under small controls.
LABEL_WORDS = [("Section Lock", "Lock"), ("Oscillator", "Osc"), ("Modulation", "Mod"),
               ("Envelope", "Env"), ("Balance", "Bal"), ("Trigger", "Trig"),
               ("Frequency", "Freq"), ("Standard", "Std"), ("Destination", "Dest"),
               ("Velocity", "Velo"), ("Arpeggiator", "Arp")]


def short_words(text):
    for long, short in LABEL_WORDS:
        text = re.sub(r"\b%s\b" % long, short, text)
    return text


def art_label(name, heading):
    """A control's label under it: its name without the leading words its section's group
    and title already show ("Level" in the section "Part" of the group "Multi")."""
    def word(w):  # "Envelopes", "Envelope" and "Env" are one word here
        return w.lower().rstrip("s")

    words = short_words(label_of(name)).split()
    shown = {word(w) for w in short_words(heading).split()}
    lead = 0
    while lead < len(words) - 1 and word(words[lead]) in shown:
        lead += 1
    return " ".join(words[lead:])


class Builder:
    def __init__(self):
        self.names = load_names()
        self.images = load_images()
        self.lists = load_lists()
        self.dumps = init_dumps()
        self.layers, self.top_layers = load_layers(self.images)
        self.sections = []
        self.controls = []
        self.templates = {}  # template text -> entry index
        self.entries = {}    # entry index -> template text

    # Parameter names --------------------------------------------------------------------
    def param(self, name, where, in_parts):
        base, _, offset = name.partition("+")
        if base not in self.names:
            fail(where, "unknown parameter %s" % base)
        pid, width = self.names[base]
        offset = int(offset or 0)
        if in_parts and width != PARTS:
            fail(where, "%s is not a per-part parameter" % base)
        parts = range(PARTS) if in_parts else [None]
        ids = [pid + offset + (p or 0) for p in parts]
        if ids[-1] >= gen_parameter_ids.NUM_PARAMS:
            fail(where, "%s runs past the parameter list" % name)
        return ids

    # Tables -----------------------------------------------------------------------------
    def read_table(self, table):
        section = None
        for where, line in rows(table):
            if line.startswith("["):
                section = self.open_section(line.strip("[] "), where)
                continue
            if section is None:
                fail(where, "a row before any section")
            section["rows"].append((where, line))
        for s in self.sections:
            if "placed" not in s:
                self.place_section(s)
                s["placed"] = True

    def open_section(self, text, where):
        fields = text.split()
        title, layer, x, y, w, h = fields[:6]
        options = dict(f.split("=") if "=" in f else (f, "1") for f in fields[6:])
        section = {"title": title.replace("_", " "), "group": options.get("group", title),
                   "layer": layer, "where": where,
                   "rect": (int(x), int(y), int(w), int(h)), "rows": [],
                   "repeat": int(options.get("repeat", 1)),
                   "step": tuple(int(v) for v in options.get("step", "0,0").split(",")),
                   "wrap": tuple(int(v) for v in options.get("wrap", "0,0").split(",")),
                   "compact": "compact" in options, "pad": int(options.get("pad", 0)),
                   "cw": options.get("cw"), "legend": options.get("legend"),
                   "spread": "spread" in options or "rows" in options,
                   "across": "spread" in options, "art": options.get("art"),
                   "large": "large" in options,
                   "untitled": "untitled" in options, "open": "open" in options}
        if not (0 <= int(x) and 0 <= int(y) and int(x) + int(w) <= EDITOR_W
                and int(y) + int(h) <= EDITOR_H):
            fail(where, "section %s lies outside the editor" % title)
        self.sections.append(section)
        return section

    def place_section(self, s):
        x0, y0, w, h = s["rect"]
        for r in range(s["repeat"]):
            p = r if s["repeat"] > 1 else None
            dx, dy = s["step"][0] * r, s["step"][1] * r
            wrap, row_step = s["wrap"]
            if wrap:
                dx, dy = s["step"][0] * (r % wrap), row_step * (r // wrap)
            layer_name = fill(s["layer"], r, r + 1)
            if layer_name not in self.layers:
                fail(s["where"], "unknown layer %s" % layer_name)
            layer = self.layers[layer_name]
            s.setdefault("layers", []).append(layer)
            if s["art"] and s["art"] not in self.layers:
                fail(s["where"], "unknown layer %s" % s["art"])
            # The layer whose backgrounds take the section's box and labels.
            s["art_layer"] = self.layers[s["art"]] if s["art"] else layer
            s.setdefault("art_layers", []).append(s["art_layer"])
            # A repetition takes one step of the section; a repetition in place takes all of it.
            rect = (x0 + dx, y0 + dy, s["step"][0] or w, row_step or s["step"][1] or h)
            if rect[0] + rect[2] > x0 + w or rect[1] + rect[3] > y0 + h:
                fail(s["where"], "repetition %d of %s lies outside it" % (r, s["title"]))
            # Rows start a cell's gap inside a drawn box, as far from its edge as they end
            # (columns side by side share the box: their cells meet).
            start = rect[0] + (0 if s["compact"] or s["step"][0] else CELL_GAP[False])
            cursor = [start, rect[1] + s["pad"], 0, [], start]  # x, y, row height, rows, start
            first = len(self.controls)
            for where, line in s["rows"]:
                self.add_control(fill(line, r, r + 1).split(), where, layer, s, rect, cursor, p)
            rows = cursor[3] + [(cursor[1], cursor[2], cursor[0])]
            if not s["compact"]:
                centre(self.controls[first:], rows)
            if s["spread"]:
                spread(self.controls[first:], rows, rect, s["legend"], s["across"])
            if not s["compact"] and s["step"][0]:
                # Columns side by side sit in the middle of their box, the gap that ends the
                # last one shared out on both sides.
                shift(self.controls[first:], (w - s["repeat"] * s["step"][0] +
                                              CELL_GAP[False]) // 2)

    def add_control(self, fields, where, layer, section, rect, cursor, part):
        kind, name, lo, hi, default, lst, address = fields[:7]
        extras, image = {}, None
        for f in fields[7:]:
            if "=" in f:
                key, value = f.split("=", 1)
                extras[key] = value
            elif kind in ("cc", "ccbutton") and f.isdigit():
                extras["cc"] = f
            else:
                image = f
        if section["cw"]:
            extras.setdefault("cw", section["cw"])
        in_parts = layer.in_parts()
        ids = self.param(name, where, in_parts)
        trigger = None
        if kind == "toggle":
            trigger, lst = lst, "-"
            self.param(trigger, where, in_parts)
        if lst != "-" and lst not in self.lists:
            fail(where, "unknown value list %s" % lst)
        lo = int(lo)
        hi = lo + len(self.lists[lst]) if hi == "-" else int(hi)
        dump, byte, offset, message = parse_address(address, part, where)
        if dump == "s" and not in_parts:
            fail(where, "a sound address outside the part copies")
        if dump in ("m", "g") and in_parts:
            fail(where, "a multi or global address inside the part copies")
        default = self.default_of(default, dump, byte, offset, lo, hi, address, where)
        if lst != "-" and kind not in ("menu", "umenu"):
            if len(self.lists[lst]) != hi - lo + 1:
                fail(where, "list %s has %d entries for %d values" %
                     (lst, len(self.lists[lst]), hi - lo + 1))
        if kind in ("knob", "sknob", "range", "cc") and image is None:
            image = knob_image(kind, hi - lo + 1, section["large"])
        if kind == "toggle" and address.startswith("fx"):
            image = image or "BTN_SMALL_LED_SM_ID"
        image = image or DEFAULT_IMAGES.get(kind)
        if image is not None and image not in self.images:
            fail(where, "unknown image %s" % image)
        variant = effect_variant(name.split("+")[0]) if address.startswith("fx") else 0
        entry = cb = None
        if message:
            # A minimum of -1 would make the first message the bare template, and values past
            # 127 do not fit a data byte (a menu's one value past its list is never sent).
            last = hi - (1 if kind == "menu" else 0) + offset
            if lo + offset < 0 or last > 127:
                fail(where, "%s sends %d..%d, outside 0..127" % (name, lo + offset, last))
            text, cb = template(dump, byte)
            entry = self.entry_for(text)
        controls = []
        if trigger:
            controls.append(dict(kind="trigger", name=trigger, image="BTN_SMALL_ID", lo=0, hi=1,
                                 default=0, lst="-", extras={}))
        controls.append(dict(kind=kind, name=name, image=image, lo=lo, hi=hi, default=default,
                             lst=lst, extras=extras))
        placed = []
        for c in controls:
            w, h, cw, ch = cell(c["kind"], c["image"], c["extras"], section["compact"],
                                self.images)
            row_top = None
            if "at" in c["extras"]:
                x, y = (int(v) for v in c["extras"]["at"].split(","))
            else:
                full = cursor[0] + cw > rect[0] + rect[2] or "nl" in c["extras"]
                if full and cursor[0] > cursor[4]:
                    cursor[3].append((cursor[1], cursor[2], cursor[0]))
                    cursor[0], cursor[1], cursor[2] = cursor[4], cursor[1] + cursor[2], 0
                x = cursor[0] + (cw - w - CELL_GAP[section["compact"]]) // 2
                y = row_top = cursor[1]
                cursor[0] += cw
                cursor[2] = max(cursor[2], ch)
            if not (rect[0] <= x and x + w <= rect[0] + rect[2] and rect[1] <= y
                    and y + h <= rect[1] + rect[3]):
                fail(where, "%s does not fit section %s of layer %s" %
                     (c["name"], section["title"], layer.name))
            bound = c is controls[-1]
            control = Control(where=where, layer=layer, art_layer=section["art_layer"],
                              group=section["group"],
                              heading=section["group"] + " " + section["title"],
                              compact=section["compact"], part=part, x=x, y=y, w=w, h=h,
                              ids=self.param(c["name"], where, in_parts), dump=dump if bound else None,
                              byte=byte if bound else None, offset=offset if bound else 0,
                              entry=entry if bound else None, cb=cb if bound else None,
                              variant=variant, cell=(x + w // 2 - cw // 2, cw), label=None,
                              row_top=row_top, **c)
            layer.controls.append(control)
            self.controls.append(control)
            placed.append(control)
        main = placed[-1]
        # join=1: spread keeps the control beside the one before it, as one group.
        cluster = self.controls[-len(placed) - 1].cluster if "join" in extras else []
        cluster += placed
        for c in placed:
            c.group_of, c.cluster = placed, cluster
        text = extras.get("label", art_label(name, main.heading)).replace("_", " ")
        wrap = section["wrap"][0]
        if section["legend"]:
            # The first repetition's rows are named once, at the row's height left of them (of
            # each row of repetitions when they wrap); label=- names none.
            if not (part if not wrap else part % wrap) and text != "-":
                x, w = (int(v) for v in section["legend"].split(","))
                main.label = (x, main.y + (main.h - 12) // 2, w, text)
        elif not section["compact"] and (kind not in ("display", "browser", "radio")
                                         or "label" in extras):
            # One label under the control's cell; a toggle's runs under its trigger too.
            left, right = main.cell[0], main.cell[0] + main.cell[1]
            if placed[0].y == main.y:
                left = min(left, placed[0].cell[0])
            main.label = (left, max(c.y + c.h for c in placed) + 2, right - left, text)

    def default_of(self, text, dump, byte, offset, lo, hi, address, where):
        if text != "@":
            value = int(text)
        elif dump is None:
            fail(where, "a default from the init dump needs a dump address")
        else:
            value = self.dumps[dump][byte] - offset
            if address.startswith("fx") and not lo <= value <= hi:
                value = lo  # the init sound leaves the effects bypassed: any slot value
        if not lo <= value <= hi:
            fail(where, "default %d outside %d..%d" % (value, lo, hi))
        return value

    def entry_for(self, text):
        if text not in self.templates:
            index = len(self.entries)
            while index in self.entries or any(first <= index < first + PARTS
                                               for first in PACKED_ENTRIES):
                index += 1
            self.templates[text] = index
            self.entries[index] = text
        return self.templates[text]

    # Checks -----------------------------------------------------------------------------
    def check_addresses(self):
        seen = {}
        for c in self.controls:
            if c.entry is None:
                continue
            key = (self.entries[c.entry], c.variant, c.cb)
            other = seen.get(key)
            packed = c.dump == "s" and c.byte in PACKED_BYTES
            if other and not packed and (other.name, c.name) not in SHARED_ADDRESSES:
                fail(c.where, "%s answers the same address as %s (%s)" %
                     (c.name, other.name, other.where))
            seen.setdefault(key, c)
        bound = {}
        for c in self.controls:
            # twin=1: the parameter's control again, on a page never shown with the first.
            if c.kind in ("range", "umenu", "trigger", "display") or "twin" in c.extras:
                continue
            for pid in c.ids:
                if pid in bound:
                    fail(c.where, "%s has a second control (first at %s)" % (c.name, bound[pid]))
                bound[pid] = c.where

    def check_texts(self):
        """Every text a text-showing control can show fits its box, with a margin, at every
        size of the editor: the entries of a menu's list, a full name in a name field, the
        port prompt of a port menu, a bank name in a bank list, the display lines' texts."""
        for c in self.controls:
            size = c.h
            if c.kind in ("menu", "umenu"):
                texts, size = self.lists[c.lst], c.h - 2
            elif c.kind == "name":
                texts = ["W" * int(c.extras.get("len", 16))]
            elif c.kind == "device":
                texts = [NO_DEVICE]
            elif c.kind == "list":
                texts = [BANK_NAME]
            elif c.kind == "display":
                texts = DISPLAY_TEXTS.get(c.name)
                if texts is None:
                    fail(c.where, "no texts known for the display %s" % c.name)
            else:
                continue
            longest = max(texts, key=len)
            if int(size * min(SCALES)) < LEAST_TEXT:
                fail(c.where, "the text of %s is smaller than %d pixels at size %.2f" %
                     (c.name, LEAST_TEXT, min(SCALES)))
            for scale in SCALES:
                room = int(c.w * scale) - TEXT_MARGIN
                if len(longest) * MONO_ADVANCE * int(size * scale) > room:
                    fail(c.where, "\"%s\" runs out of the %d pixels of %s at size %.2f" %
                         (longest, c.w, c.name, scale))

    def check_captions(self):
        """Labels and titles are drawn into the backgrounds: none may lie under a control."""
        on = {}  # background -> its controls
        for c in self.controls:
            on.setdefault(self.owner(c.art_layer, c.x, c.y, c.w, c.h), []).append(c)
        captions = [(c.label[:3] + (12,), c.art_layer, c.where, '"%s"' % c.label[3])
                    for c in self.controls if c.label]
        for s in self.sections:
            if s["compact"] or s["untitled"] or s["open"]:
                continue
            x, y, w, h = s["rect"]
            tab = min(len(s["title"]) * TITLE_CHAR_W + 10, w - 8)
            captions += [((x + w - tab - 4, y + 1, tab, 12), layer, s["where"],
                          "the title " + s["title"]) for layer in s["art_layers"]]
        for box, layer, where, what in captions:
            for c in on.get(self.owner(layer, *box), []):
                if meet(box, (c.x, c.y, c.w, c.h)):
                    fail(where, "%s lies under %s" % (what, c.name))

    # Output -----------------------------------------------------------------------------
    def build(self):
        for table in ("sound.txt", "multi.txt", "pattern.txt", "editor.txt"):
            self.read_table(table)
        self.check_addresses()
        self.check_texts()
        self.check_captions()
        return self.uiconfig(), self.sysex(), self.art()

    def sysex(self):
        out = ['<?xml version="1.0" encoding="UTF-8"?>\n',
               "<!-- Generated by tools/gen_editor_config.py from tools/editor_config/. -->\n",
               "<sysexlist>\n"]
        count = max(list(self.entries) + [first + PARTS - 1 for first in PACKED_ENTRIES]) + 1
        for index in range(count):
            text = self.entries.get(index)
            for first, offset in PACKED_ENTRIES.items():
                if first <= index < first + PARTS:
                    text = template("m", 39 + 22 * (index - first) + offset)[0]
            text = text or "3E 0F 00 21 00 00 00"
            out.append("  <sysex><values><value>%s</value></values></sysex>\n" % text)
        out.append("</sysexlist>\n")
        return "".join(out)

    def uiconfig(self):
        out = ['<?xml version="1.0" encoding="UTF-8"?>\n',
               "<!-- Generated by tools/gen_editor_config.py from tools/editor_config/. -->\n",
               "<uiconfig>\n  <valueLists>\n"]
        for name, texts in self.lists.items():
            out.append("    <list name=%s>%s</list>\n" % (
                quoteattr(name), "".join("<value>%s</value>" % escape(t) for t in texts)))
        out.append("  </valueLists>\n")
        top = self.layers["top"]
        out += [self.background(image, x, y, "  ") for image, x, y in top.art]
        out += [self.element(c, "  ") for c in top.controls]
        for layer in self.top_layers:
            out += self.layer(layer, "  ")
        out.append("</uiconfig>\n")
        return "".join(out)

    def layer(self, layer, indent):
        if layer.kind == "parts":
            head = "%s<multilayer name=%s create=\"%d\">\n" % (indent, quoteattr(layer.name), PARTS)
            tail = "%s</multilayer>\n" % indent
        else:
            head = "%s<layer name=%s id=\"%d\"%s>\n" % (
                indent, quoteattr(layer.name), layer.id,
                ' overlay="true"' if layer.kind == "overlay" else "")
            tail = "%s</layer>\n" % indent
        inner = indent + "  "
        out = [head] + [self.background(i, x, y, inner) for i, x, y in layer.art]
        out += [self.element(c, inner) for c in layer.controls]
        for child in layer.children:
            out += self.layer(child, inner)
        return out + [tail]

    @staticmethod
    def background(image, x, y, indent):
        return '%s<background imageId="%s" position="%d,%d"/>\n' % (indent, image, x, y)

    def element(self, c, indent):
        name = label_of(c.name)
        if c.part is not None and not c.layer.in_parts():
            # Named like the factories name a copy's parameters, for the display's part filter.
            name = "[%d] %s" % (c.part + 1, name)
        a = {"name": name, "paramId": c.name, "paramGroup": c.group}
        bounds = "%d,%d,%d,%d" % (c.x, c.y, c.w, c.h)
        position = "%d,%d" % (c.x, c.y)
        if c.kind in ("menu", "umenu"):
            # The menu's text in its box.
            bounds = "%d,%d,%d,%d" % (c.x, c.y + 1, c.w, c.h - 2)
            position = "%d,%d" % (c.x, c.y + 1)
        values = "%d,%d,%d" % (c.default, c.lo, c.hi)
        if c.entry is not None:
            a.update(sysexIndex=c.entry, changingByte=c.cb)
        kind, tag = c.kind, None
        if kind in ("knob", "sknob") or (kind == "toggle" and c.variant):
            if c.entry is not None:
                tag, a["type"] = "knobcontrol", "seKnob"
            else:
                tag, a["type"] = "multiFx", "Knob"
            a.update(position=position, imageId=c.image, valueBounds=values + ",1")
        elif kind in ("fader", "hfader"):
            tag = "slidercontrol"
            a.update(type="seSliderVer" if kind == "fader" else "seSliderHor", position=position,
                     length=c.w if kind == "hfader" else c.h, imageId=c.image,
                     valueBounds=values + ",1", msgZeroVal=c.offset)
        elif kind == "menu" and c.entry is not None:
            tag = "menucontrol"
            # The messages run from the minimum, so a byte that carries the value plus K starts
            # at K; the parameter still counts its entries from 0.
            values = "%d,%d,%d" % (c.default, c.lo + c.offset, c.hi + c.offset)
            # The light text of the scheme's menus (yellow in the first), as on the other fields.
            a.update(type="seMenu", position="%s,%d" % (position, c.w), valueBounds=values,
                     valueList=c.lst, color="1")
        elif kind == "menu":
            tag = "dropMenu"
            a.update(type="dropSelection", bounds=bounds, valueBounds=values, valueList=c.lst)
        elif kind == "umenu":
            tag = "multiFx"
            a.update(type="Menu", position=bounds, valueBounds=values, visible="1",
                     valueList=c.lst)
        elif kind in ("switch", "toggle") and c.entry is not None:
            tag = "buttoncontrol"
            a.update(type="seButton", position=position, imageId=c.image,
                     valueBounds=str(c.default))
        elif kind in ("switch", "toggle"):
            tag = "switch"
            a.update(position=position, imageId=c.image, valueBounds=str(c.default))
        elif kind == "range":
            tag = "multiFx"
            a.update(type="Knob", position=position, imageId=c.image, valueBounds=values + ",1")
        elif kind == "trigger":
            tag = "autooff"
            a.update(position=position, imageId=c.image)
        elif kind == "radio":
            tag = "radio"
            a.update(position=position, imageId=c.image, buttons=c.extras["n"],
                     horizontal="true" if c.extras.get("dir") == "h" else "false")
        elif kind == "display":
            tag = "display"
            a.update(bounds=bounds, displaySize="1", white="0")
        elif kind == "name":
            tag = "dropMenu"
            a.update(type="nameSelection", bounds=bounds, nameLen=c.extras.get("len", "16"))
        elif kind == "list":
            tag = "dropMenu"
            a.update(type="textSelection", bounds=bounds)
        elif kind == "device":
            tag = "dropMenu"
            a.update(type="deviceSelection", bounds=bounds, inputDev=c.extras.get("in", "0"))
        elif kind == "browser":
            tag = "patchBrowser"
            a.update(imageId=c.image, bounds=bounds)
        elif kind in ("cc", "ccbutton"):
            tag = "knobcontrol" if kind == "cc" else "buttoncontrol"
            a.update(type="ccKnob" if kind == "cc" else "ccButton", ccNumber=c.extras["cc"],
                     channel=(c.part or 0) + 1, position=position, imageId=c.image,
                     valueBounds=values + (",1" if kind == "cc" else ""))
        return "%s<%s %s/>\n" % (indent, tag, " ".join(
            "%s=%s" % (k, quoteattr(str(v))) for k, v in a.items()))

    def owner(self, layer, x, y, w, h):
        """The background a box is drawn on: the nearest one of its layer or the layers above
        it that holds the box whole, else the editor's own."""
        while layer:
            # The slot grids' picture lies over their layer's own.
            grids = [(c.image, c.x, c.y) for c in layer.controls if c.kind == "browser"]
            for image, bx, by in grids + layer.art:
                _, _, bw, bh = self.images[image]
                if bx <= x and x + w <= bx + bw and by <= y and y + h <= by + bh:
                    return image, bx, by
            layer = layer.parent
        return self.layers["top"].art[0]

    def art(self):
        items = {}  # background -> its lines, in order and once each

        def add(layer, box, text):
            image, bx, by = background = self.owner(layer, *box)
            line = text % ((box[0] - bx, box[1] - by) + box[2:2 + text.count("%d") - 2])
            items.setdefault(background, {})[line] = None

        for s in self.sections:
            # Compact and open sections are areas without a drawn box.
            kind = "area" if s["compact"] or s["open"] else "frame"
            for layer in s["art_layers"]:
                title = "" if s["untitled"] else " " + s["title"]
                add(layer, s["rect"], "%s %%d %%d %%d %%d %s%s\n" % (kind, s["group"], title))
        for name, x, y, w, h, text in MENU_PLACES:
            add(self.layers[name], (x, y, w, h), "menu %%d %%d %%d %%d %s\n" % text)
        for c in self.controls:
            if c.kind in ("menu", "umenu", "display", "name", "list", "device"):
                # Every value field sits in one kind of box, the dark one that light texts
                # read on in every scheme.
                add(c.art_layer, (c.x, c.y, c.w, c.h), "field %d %d %d %d\n")
            if c.kind in ("fader", "hfader"):
                # The track the fader's handle runs along.
                track = (c.x + c.w // 2 - 2, c.y, 4, c.h) if c.kind == "fader" else \
                    (c.x, c.y + c.h // 2 - 2, c.w, 4)
                add(c.art_layer, track, "field %d %d %d %d\n")
            if c.label:
                add(c.art_layer, c.label[:3] + (12,),
                    "label %%d %%d %%d %s\n" % c.label[3].replace("%", "%%"))
        out = ["# Generated by tools/gen_editor_config.py from tools/editor_config/.\n",
               "# image NAME FRAMES WIDTHxHEIGHT: one frame's size, unscaled pixels.\n",
               "# background NAME X Y, then what is drawn on it, at coordinates inside it:\n",
               "#   frame X Y W H GROUP TITLE  a section's box (its title tab left out when it has\n",
               "#                              none); area: the same, not drawn\n",
               "#   label X Y W TEXT           the text under a control, centred in W\n",
               "#   field X Y W H              the box behind a menu or display\n",
               "#   menu X Y W H TEXT          the place of a menu that draws nothing, named in a field\n",
               "# radio NAME BUTTONS TEXT|...: the image's buttons, each one frame's size, lie\n",
               "# across its frames (side by side when the frames are stacked), labelled in order.\n"]
        for name, (frames, horizontal, w, h) in sorted(self.images.items()):
            out.append("image %s %d %dx%d\n" % (name, frames, w, h))
        for c in self.controls:
            if c.kind == "radio":
                out.append("radio %s %s %s\n" % (c.image, c.extras["n"], "|".join(self.lists[c.lst])))
        done = set()
        for layer in [self.layers["top"]] + list(self.walk()):
            grids = [(c.image, c.x, c.y) for c in layer.controls if c.kind == "browser"]
            for background in layer.art + grids:
                if background not in done:
                    done.add(background)
                    out.append("background %s %d %d\n" % background)
                    out += list(items.get(background, {}))
        return "".join(out)

    def walk(self):
        stack = list(reversed(self.top_layers))
        while stack:
            layer = stack.pop()
            yield layer
            stack += reversed(layer.children)


def centre(controls, rows):
    """Centres each control group with its label on the height of its row, so that a menu
    beside knobs sits at their middle."""
    for top, height, _ in rows:
        groups = []
        for c in controls:
            if c.row_top == top and not any(g is c.group_of for g in groups):
                groups.append(c.group_of)
        for group in groups:
            dy = (height - (max(g.y + g.h for g in group) - top + 16)) // 2
            for c in group if dy > 0 else []:
                c.y += dy
                if c.label:
                    lx, ly, lw, text = c.label
                    c.label = (lx, ly + dy, lw, text)


def shift(controls, dx):
    for c in controls:
        c.x, c.cell = c.x + dx, (c.cell[0] + dx, c.cell[1])
        if c.label:
            lx, ly, lw, text = c.label
            c.label = (lx + dx, ly, lw, text)


def spread(controls, rows, rect, legend, across=True):
    """Spreads a section's flowing rows over its whole rectangle: the room right of a row is
    shared out evenly around the row's groups (a table row's controls stay together; not when
    across is false, which keeps the cells where they flowed), and the room below the last row
    evenly around the rows. rows: the top, height and right end of the cells of each row."""
    rows = [row for row in rows if row[1] > 0]
    if not rows:
        return
    room = rect[1] + rect[3] - (rows[-1][0] + rows[-1][1])
    for n, (top, _, end) in enumerate(rows):
        dy = room * (2 * n + 1) // (2 * len(rows))
        groups = []
        for c in controls:
            if c.row_top != top:
                continue
            group = next((g for g in groups if g[0].cluster is c.cluster), None)
            if group is None:
                groups.append([c])
            else:
                group.append(c)
        if not groups:
            continue
        free = rect[0] + rect[2] - end if across else 0
        for k, group in enumerate(groups):
            dx = free * (2 * k + 1) // (2 * len(groups))
            for c in group:
                c.x, c.y, c.cell = c.x + dx, c.y + dy, (c.cell[0] + dx, c.cell[1])
                if c.label:
                    lx, ly, lw, text = c.label
                    c.label = (lx + (0 if legend else dx), ly + dy, lw, text)


def meet(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("outdir", nargs="?", metavar="OUTPUT_DIR",
                        default=os.path.join(HERE, "..", "resources"))
    outdir = parser.parse_args().outdir
    try:
        files = Builder().build()
    except ConfigError as error:
        sys.exit("gen_editor_config: %s" % error)
    os.makedirs(outdir, exist_ok=True)
    for name, text in zip(("uiconfig.xml", "sysex.xml", "editor-art.txt"), files):
        with open(os.path.join(outdir, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
