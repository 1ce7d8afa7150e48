#include "kit/effect/ICaptionControl.h"
#include "kit/effect/IGraphics.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gtest/gtest.h>

namespace {

// A port name longer than its box is cut to fit with "...", between characters, and nothing
// of it is drawn beside the box; a name that fits is drawn whole.
TEST(PortNameCaption, ALongPortNameIsCutToItsBox) {
    testsupport::TestEffect effect(1, 0);
    auto* graphics = new testsupport::TestGraphics(&effect, 300, 30);
    effect.AttachGraphics(graphics);
    graphics->AttachPanelBackground(&COLOR_BLACK);
    IText text = testsupport::MonospaceText(12);
    const IRECT box(40, 5, 200, 25);

    const auto width = [&](const std::string& s) {
        IRECT r;
        graphics->DrawIText(&text, s.c_str(), &r, true);
        return r.W();
    };
    const std::string shortName = "zozq:in", utf8 = "Ger\xC3\xA4t \xC3\xBC" + std::string(40, 'x');
    EXPECT_EQ(ITextControl::Fitted(graphics, &text, shortName, box.W()), shortName);
    const std::string cut = ITextControl::Fitted(graphics, &text, utf8, box.W());
    ASSERT_GT(cut.size(), 3u);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_EQ(utf8.compare(0, cut.size() - 3, cut, 0, cut.size() - 3), 0);
    EXPECT_LE(width(cut), box.W());
    EXPECT_GT(width(utf8.substr(0, cut.size() - 2) + "..."), box.W()); // the longest that fits
    // The cut before the two-byte characters: never between their bytes.
    EXPECT_EQ(ITextControl::Fitted(graphics, &text, utf8, width("Ger\xC3\xA4...")),
              "Ger\xC3\xA4...");
    EXPECT_EQ(ITextControl::Fitted(graphics, &text, utf8, width("Ger\xC3\xA4...") - 1),
              "Ger...");

    IParam* port = effect.GetParam(0);
    port->InitEnum("Device Selection", 0, 1);
    port->SetDisplayText(0, ("Scarlett 2i4 USB MIDI 1-out:" + std::string(30, 'W')).c_str());
    graphics->AttachControl(new ICaptionControl(&effect, box, 0, &text, true));
    IRECT all(0, 0, 300, 30);
    graphics->Draw(&all);
    int inside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 300; ++x) {
            const bool lit = graphics->GetPoint(x, y) != COLOR_BLACK;
            EXPECT_FALSE(lit && (x < box.L || x >= box.R)) << x << "," << y;
            inside += lit;
        }
    EXPECT_GT(inside, 0);
}

// Ports whose names differ only at their end (two ports of one interface) look different in
// the device fields: a long name keeps its start and, in two thirds of what is shown, its end.
TEST(PortNameCaption, TheDeviceFieldsKeepTheEndThatTellsPortsApart) {
    ConfigEditor e("<sysexlist><sysex><values><value>3E 0F</value></values></sysex></sysexlist>");
    e.manager.createMIDIDeviceSelectionControl(kDeviceInSelection, 10, 5, 170, 14, 1);
    IControl* field = e.lastTopLevel();
    IParam* port = e.effect.GetParam(kDeviceInSelection);
    port->InitEnum("Device Selection", 0, 1);
    const std::string names[] = {"USB MIDI Interface 2:USB MIDI Interface 2 MIDI 1 24:0",
                                 "USB MIDI Interface 2:USB MIDI Interface 2 MIDI 2 24:1"};
    std::vector<IColor> shown[2];
    for (int i = 0; i < 2; ++i) {
        port->SetDisplayText(0, names[i].c_str());
        IRECT box = field->GetRECT();
        e.graphics.FillIRect(&COLOR_BLACK, &box, nullptr);
        field->Draw(&e.graphics);
        for (int y = box.T; y < box.B; ++y)
            for (int x = box.L; x < box.R; ++x)
                shown[i].push_back(e.graphics.GetPoint(x, y));
    }
    EXPECT_NE(shown[0], shown[1]);

    const std::string cut =
        ITextControl::Fitted(&e.graphics, field->GetText(), names[1], field->GetRECT().W(), true);
    const size_t dots = cut.find("...");
    ASSERT_NE(dots, std::string::npos) << cut;
    EXPECT_EQ(names[1].compare(0, dots, cut, 0, dots), 0) << cut;
    EXPECT_EQ(names[1].substr(names[1].size() - (cut.size() - dots - 3)), cut.substr(dots + 3));
    EXPECT_GE(cut.size() - dots - 3, 2 * dots) << cut;
}

} // namespace
