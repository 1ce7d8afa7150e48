// The editor's MIDI port menus list the ports of the MIDI system as they are when a menu opens;
// an open port that goes is awaited until it is back.

#include "kit/effect/ICaptionControl.h"
#include "tests/external_midi/ExternalMIDIFixture.h"
#include "tests/support/XHostWindow.h"
#include "tests/uiconfig/ConfigEditor.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Named alike whatever the layout says, and at top level even inside a layer.
const char* const kLayout =
    "<uiconfig>"
    "<dropMenu type='deviceSelection' name='Out' paramId='kDeviceOutSelection'"
    " bounds='10,20,100,13' inputDev='0'/><layer name='page'>"
    "<dropMenu type='deviceSelection' paramId='kDeviceInSelection'"
    " bounds='10,40,100,13' inputDev='1,7'/></layer></uiconfig>";
const ConfigEditor::Resources kResources = {ConfigCipher::encipher("<sysexlist/>"),
                                            ConfigCipher::encipher(kLayout)};

TEST_F(ExternalMIDI, PortMenusListThePortsAtTopLevel) {
    auto receiver = peer("receive", "r", "in");
    auto sender = peer("send", "s", "out");
    ConfigEditor e(kResources, 0, 1.0);
    const std::pair<int, std::string> menus[] = {{kDeviceOutSelection, portOf("r", "in")},
                                                 {kDeviceInSelection, portOf("s", "out")}};
    // A plug-in that opens no port at start looks at the ports when a menu first opens.
    for (const auto& menu : menus)
        EXPECT_EQ(e.effect.GetParam(menu.first)->GetNDisplayTexts(), 1);
    IMouseMod left(true, false);
    e.graphics.OnMouseDown(15, 25, &left);
    for (const auto& [id, port] : menus) {
        const IParam* p = e.effect.GetParam(id);
        EXPECT_STREQ(p->GetNameForHost(), "Device Selection");
        std::vector<std::string> texts;
        for (int i = 0; i < p->GetNDisplayTexts(); ++i)
            texts.push_back(p->GetDisplayTextAtIdx(i));
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0], kNoDevice);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), port), 1) << port;
        EXPECT_EQ(p->GetMax(), double(texts.size() - 1));
    }
    ASSERT_EQ(e.graphics.NControls(), 2);
    EXPECT_TRUE(dynamic_cast<ICaptionControl*>(e.graphics.GetControl(1))); // names cut to fit
    ASSERT_EQ(e.graphics.menus.size(), 1u);
    EXPECT_EQ(e.graphics.menus[0].texts, e.effect.getExternalMIDIOutNames());
}

// The plug-in came before the JACK server: a menu lists the server's ports once it opens.
TEST_F(ExternalMIDI, APortMenuListsThePortsOfAServerThatStartedAfterThePlugIn) {
    const std::string server = getenv("JACK_DEFAULT_SERVER");
    setenv("JACK_DEFAULT_SERVER", ("zoz-none-" + std::to_string(getpid())).c_str(), 1);
    ConfigEditor e(kResources, 0, 1.0);
    setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
    const IParam* in = e.effect.GetParam(kDeviceInSelection);
    EXPECT_EQ(in->GetNDisplayTexts(), 1);
    auto sender = peer("send", "s", "out\xC3\xA9");
    IMouseMod left(true, false);
    e.graphics.OnMouseDown(15, 45, &left);
    ASSERT_EQ(e.graphics.menus.size(), 1u);
    const std::vector<std::string>& listed = e.graphics.menus[0].texts;
    EXPECT_EQ(std::count(listed.begin(), listed.end(), portOf("s", "out\xC3\xA9")), 1);
    EXPECT_EQ(listed, e.effect.getExternalMIDIInNames());
    EXPECT_EQ(in->GetNDisplayTexts(), int(listed.size())); // what a choice picks from
    EXPECT_EQ(in->GetMax(), double(listed.size() - 1));
}

// A port that went away closes and is awaited, and opens again when it is back; a menu opened
// while it is there closes nothing.
TEST_F(ExternalMIDI, AnOpenPortThatWentIsAwaitedAndOpensWhenItIsBack) {
    auto receiver = peer("receive", "g", "in");
    const std::string port = portOf("g", "in");
    testsupport::TestVSTEffect plug(nullptr);
    plug.AttachExternalMIDIMenu(0, false);
    int selection = 1;
    plug.setExternalMIDIOut(selection, port.c_str());
    ASSERT_GT(selection, 0);
    plug.OnParamPrompt(0);
    {
        KIT_MutexLock lock(plug.GetMutex()); // the plug-in's port watch runs beside the test
        ASSERT_EQ(plug.openExternalMIDIPort(false), selection);
    }

    ASSERT_EQ(receiver->Finish(nullptr, kWaitMs), 0);
    plug.OnParamPrompt(0);
    // The menu's look, or the watch's when it was looking at the port just then, closes it.
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            KIT_MutexLock lock(plug.GetMutex());
            return plug.awaitedExternalMIDI(false) == port;
        },
        kWaitMs));
    {
        KIT_MutexLock lock(plug.GetMutex());
        EXPECT_EQ(plug.openExternalMIDIPort(false), 0);
        EXPECT_EQ(plug.GetParam(0)->Value(), 0.0);
    }
    receiver = peer("receive", "g", "in");
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            KIT_MutexLock lock(plug.GetMutex());
            return plug.openExternalMIDIPort(false) > 0;
        },
        kWaitMs));
    EXPECT_TRUE(outputRouted(plug, *receiver));
}

} // namespace
