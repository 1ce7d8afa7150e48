#include "tests/support/BankFileGenerator.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

#include <filesystem>

using testsupport::FakeParamChangePlugin;

namespace {

// The plug-in with its settings file in a data folder of its own; none for an empty content.
struct SettingsRig {
    explicit SettingsRig(const std::string& content) {
        fake.settingsPath = folder.path() + "/Zoz Editor UI.txt";
        if (!content.empty())
            testsupport::writeFile(fake.settingsPath, {content.begin(), content.end()});
        fake.heldSettings = SettingsFile::read(fake.settingsPath);
    }
    std::string file() const {
        const auto bytes = testsupport::readFile(fake.settingsPath);
        return {bytes.begin(), bytes.end()};
    }
    size_t files() const {
        return size_t(std::distance(std::filesystem::directory_iterator(folder.path()), {}));
    }
    testsupport::TempFolder folder;
    FakeParamChangePlugin fake;
};

} // namespace

TEST(EditorSettingsFile, EachRuleRewritesTheWholeFile) {
    SettingsRig rig("red\nnormal\nno\nOut \xC3\xA9\nIn");
    rig.fake.firstRunNotice = true;
    rig.fake.setValue(kDeviceInSelection, 3);
    const struct {
        int id, value;
        const char *file, *name;
    } rows[] = {
        {kUserInterfaceStyle, 4, "phoenix\nnormal\nno\nOut \xC3\xA9\nIn",
         "Color Scheme applied..."},
        {kUserInterfaceStyle, 7, "phoenix\nnormal\nno\nOut \xC3\xA9\nIn",
         "Color Scheme applied..."},
        {kUserInterfaceSize, 2, "phoenix\nlarge\nno\nOut \xC3\xA9\nIn", "Size changes applied..."},
        {kFirstRunExit, 1, "phoenix\nlarge\nyes\nOut \xC3\xA9\nIn", "Set MIDI In and MIDI Out"},
        // "Select MIDI Device": none is opened at the next start either.
        {kDeviceInSelection, 0, "phoenix\nlarge\nyes\nOut \xC3\xA9\n",
         "No default MIDI input set."},
    };
    for (const auto& row : rows) {
        rig.fake.edit(row.id, row.value);
        EXPECT_EQ(rig.file(), row.file) << row.id;
        EXPECT_EQ(rig.fake.nameText(), row.name);
    }
    EXPECT_EQ(rig.fake.valueText(), "Reload project!");
    EXPECT_TRUE(rig.fake.uiScale == 1.15 && !rig.fake.firstRunNotice);
    EXPECT_EQ(rig.fake.coreCalls, (std::vector<std::string>{"processing 1", "processing 0"}));
    EXPECT_EQ(rig.files(), 1u);
}

TEST(EditorSettingsFile, AMissingOrUnwritableFileStaysAsItWasAndSaysSo) {
    for (const char* content : {"", "blue\nnormal\nno\nA\nB"}) {
        SettingsRig rig(content);
        rig.fake.firstRunNotice = true;
        testsupport::withFileSizeLimit(4, [&] {
            rig.fake.edit(kUserInterfaceSize, 2);
            rig.fake.edit(kFirstRunExit, 1);
        });
        EXPECT_EQ(rig.fake.nameText(), "Zoz Editor UI.txt MISSING!");
        EXPECT_EQ(rig.fake.valueText(), "Contact support");
        EXPECT_EQ(rig.fake.heldSettings, SettingsFile::read(rig.fake.settingsPath));
        EXPECT_TRUE(rig.fake.firstRunNotice && rig.fake.uiScale == 1.0);
        EXPECT_EQ(rig.files(), *content ? 1u : 0u);
        EXPECT_EQ(*content ? rig.file() : "", content);
    }
}

TEST(EditorSettingsFile, FirstRunAnswerZeroOrWithoutTheNoticeLeavesTheFile) {
    SettingsRig rig("red\nlarge\nno\nA\nB");
    ControlLayer notice(0, "firstRunNotification"), conflict(0, "bankPatchConflictWindow");
    for (ControlLayer* layer : {&notice, &conflict}) {
        layer->Hide(false);
        rig.fake.layers[layer->getName()] = layer;
    }
    rig.fake.setValue(kFirstRunExit, 1);
    rig.fake.firstRunNotice = true;
    rig.fake.edit(kFirstRunExit, 0);
    EXPECT_TRUE(rig.fake.coreCalls.empty() && rig.fake.firstRunNotice);
    rig.fake.firstRunNotice = false;
    rig.fake.edit(kFirstRunExit, 1);
    EXPECT_TRUE(notice.isVisible() && !conflict.isVisible());
    EXPECT_EQ(rig.fake.coreCalls, (std::vector<std::string>{"processing 1", "processing 0"}));
    EXPECT_EQ(rig.file(), "red\nlarge\nno\nA\nB");
}
