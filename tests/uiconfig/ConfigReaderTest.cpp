#include "fileencrypt/ConfigCipher.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::vector<char> enciphered(const std::string& text) {
    const std::string bytes = ConfigCipher::encipher(text);
    return std::vector<char>(bytes.begin(), bytes.end());
}

class ConfigReader : public ::testing::Test {
protected:
    void SetUp() override { setenv("ZOZ_RESOURCES_DIR", ZOZ_TEST_RESOURCES, 1); }

    void read(int style = 0, double scale = 1.0) {
        manager.readUIConfig(&graphics, &plugin, nullptr, style, scale);
    }
    bool logged(const std::string& line) const {
        const auto lines = plugin.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin;
    UIConfigManager manager;
};

TEST_F(ConfigReader, StepsRunInOrder) {
    read();
    EXPECT_THAT(graphics.fileLoads, ElementsAre("resources/sysex.tea", "resources/uiconfig.tea"));
    const auto lines = plugin.lines();
    const std::vector<std::string> expected = {
        "CONFIG READER: Started to read SysEx Data...",
        "CONFIG READER: Completed reading SysEx data!",
        "CONFIG READER: Started to read image resources...",
        "CONFIG READER: Completed!",
        "CONFIG READER: Started to initialize parameters...",
        "CONFIG READER: Completed!",
        "CONFIG READER: value list without a name skipped!", // the layout's value lists
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(graphics.bitmapLoads.size(), 119u);
    EXPECT_EQ(manager.getParamByName("kDebugParts"), 18817);
}

TEST_F(ConfigReader, SysExEntriesCountEveryElementAtTheirLevel) {
    read();
    const auto& entries = manager.getSysExContainers();
    ASSERT_EQ(entries.size(), 4u); // the spacer element is an entry of its own
    EXPECT_THAT(entries[1].values, IsEmpty());
    EXPECT_FALSE(entries[1].hasMultiValues);

    const SysExContainer& mixed = entries[2];
    ASSERT_EQ(mixed.values.size(), 1u);
    // A following element of another name belongs to the same list; a text-less element
    // reads as one blank and an empty text is dropped.
    EXPECT_THAT(mixed.values[0].items, ElementsAre("10 20", "follows", " "));
    EXPECT_TRUE(mixed.hasMultiValues);
    ASSERT_EQ(mixed.multiValues.size(), 2u);
    EXPECT_THAT(mixed.multiValues[0], IsEmpty());
    ASSERT_EQ(mixed.multiValues[1].size(), 2u);
    EXPECT_THAT(mixed.multiValues[1][0].items, ElementsAre("1", ""));
    EXPECT_THAT(mixed.multiValues[1][1].items, ElementsAre("2", "3"));

    EXPECT_EQ(entries[3].values.size(), 2u);
}

TEST_F(ConfigReader, SysExTemplatesAsInts) {
    read();
    EXPECT_THAT(manager.getSysExValueListByID(0), ElementsAre(0xF0, 0x3E, 0x0F, 0x00, 0x7F));
    EXPECT_THAT(manager.getSysExValueListByID(3), ElementsAre(240, 127, 0, 16));
    // An entry without a text, and positions past either end, give nothing.
    EXPECT_THAT(manager.getSysExValueListByID(1), IsEmpty());
    EXPECT_THAT(manager.getSysExValueListByID(4), IsEmpty());
    EXPECT_THAT(manager.getSysExValueListByID(-1), IsEmpty());
}

TEST_F(ConfigReader, ValueLists) {
    read();
    EXPECT_THAT(manager.getValueList("qModel"), ElementsAre("Q", "Q+"));
    EXPECT_THAT(manager.getValueList("tempoValues"), ElementsAre("120", "<140>", ""));
    EXPECT_THAT(manager.getValueList("clockedValues"), IsEmpty()); // the later, empty list wins
    EXPECT_THAT(manager.getValueList("blanks"), ElementsAre(" a  b "));
    EXPECT_THAT(manager.getValueList("delayFreeValues"), IsEmpty());
    EXPECT_TRUE(logged("CONFIG READER: value list without a name skipped!"));
    // Looking up an unknown list adds none.
    EXPECT_THAT(manager.getValueList("nothing"), IsEmpty());
    EXPECT_THAT(manager.getValueList("nothing"), IsEmpty());
}

TEST_F(ConfigReader, MissingResourcesGiveEmptyTables) {
    setenv("ZOZ_RESOURCES_DIR", "/nonexistent/", 1);
    read();
    EXPECT_THAT(manager.getSysExContainers(), IsEmpty());
    EXPECT_THAT(manager.getValueList("qModel"), IsEmpty());
    EXPECT_TRUE(logged("CONFIG READER: resources/sysex.tea NOT FOUND!"));
    EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea NOT FOUND!"));
    // The steps that need no resource still run.
    EXPECT_EQ(manager.getParamByName("kOscillator1Octave"), 0);
    EXPECT_EQ(graphics.bitmapLoads.size(), 119u);
}

TEST_F(ConfigReader, BrokenDocumentsAreLoggedAndSkipped) {
    graphics.files["resources/sysex.tea"] = enciphered("<sysexlist><sysex></sysexlist>");
    graphics.files["resources/uiconfig.tea"] = enciphered("<layout><valueLists/></layout>");
    read();
    EXPECT_THAT(manager.getSysExContainers(), IsEmpty());
    const auto lines = plugin.lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("CONFIG READER: resources/sysex.tea does not parse: ", 0) == 0;
    }));
    EXPECT_TRUE(logged("CONFIG READER: resources/uiconfig.tea has no uiconfig element!"));
}

// Read ahead on a thread of their own, the resources give what they give read in place: the
// same tables and log lines, also with one broken and the other missing.
TEST_F(ConfigReader, ResourcesReadAheadGiveWhatTheyGiveReadInPlace) {
    for (const bool broken : {false, true}) {
        SCOPED_TRACE(broken ? "broken" : "whole");
        if (broken) setenv("ZOZ_RESOURCES_DIR", "/nonexistent/", 1);
        FakeConfigGraphics g[2];
        FakeConfigPlugin p[2];
        UIConfigManager m[2];
        for (int i = 0; i < 2; ++i) {
            if (broken) g[i].files["resources/sysex.tea"] = enciphered("<sysexlist><sysex>");
            if (i == 1)
                m[i].useReadAhead(UIConfigManager::readAheadResources(
                    [&g](int id, const char* name, std::vector<char>& bytes) {
                        return g[1].LoadFile(id, name, bytes);
                    }));
            m[i].readUIConfig(&g[i], &p[i], nullptr, 0, 1.0);
        }
        EXPECT_EQ(p[1].lines(), p[0].lines());
        EXPECT_EQ(m[1].getSysExContainers().size(), m[0].getSysExContainers().size());
        EXPECT_EQ(m[1].getValueList("qModel"), m[0].getValueList("qModel"));
        EXPECT_EQ(m[1].getValueList("qModel").empty(), broken);
    }
}

TEST_F(ConfigReader, MissingSysExRootIsLogged) {
    graphics.files["resources/sysex.tea"] = enciphered("<other><sysex/></other>");
    read();
    EXPECT_THAT(manager.getSysExContainers(), IsEmpty());
    EXPECT_TRUE(logged("CONFIG READER: resources/sysex.tea has no sysexlist element!"));
}

TEST_F(ConfigReader, TextOfWholeBlocksParsesWhole) {
    const std::string text = "<sysexlist><sysex><values><value>F7</value></values></sysex>"
                             "</sysexlist>";
    ASSERT_EQ(text.size() % 8, 0u);
    graphics.files["resources/sysex.tea"] = enciphered(text);
    read();
    EXPECT_THAT(manager.getSysExValueListByID(0), ElementsAre(0xF7));
}

TEST_F(ConfigReader, ResourceAtTheOldSizeLimitIsReadWholeAndLogged) {
    std::string text = "<sysexlist>";
    text.append(4096000, ' ');
    text += "<sysex><values><value>42</value></values></sysex></sysexlist>";
    graphics.files["resources/sysex.tea"] = enciphered(text);
    read();
    EXPECT_THAT(manager.getSysExValueListByID(0), ElementsAre(0x42));
    const std::string size = std::to_string(graphics.files["resources/sysex.tea"].size());
    EXPECT_TRUE(logged("CONFIG READER: resources/sysex.tea holds " + size +
                       " bytes, at or over the 4096000-byte limit!"));
}

TEST_F(ConfigReader, NothingIsLoggedWhileTheLogIsOff) {
    plugin.logOn = false;
    setenv("ZOZ_RESOURCES_DIR", "/nonexistent/", 1);
    read(7);
    EXPECT_EQ(manager.getParamByName("kNoSuchParameter"), -1);
    manager.getImageByName(&graphics, "MAIN_BG_ID");
    EXPECT_THAT(plugin.lines(), IsEmpty());
}

TEST(ConfigDecrypt, AppendsWholeBlocksAndReadsNothingPastTheCount) {
    const std::string bytes = ConfigCipher::encipher("<a>b</a>xyz");
    ASSERT_EQ(bytes.size(), 16u);
    // Hand the first 13 bytes only, in a buffer of exactly that size: the last block is
    // completed with zeros, so its plaintext is garbage but the text before it survives.
    std::vector<char> cut(bytes.begin(), bytes.begin() + 13);
    std::string out = "kept";
    UIConfigManager::decrypt(cut.data(), int(cut.size()), out);
    EXPECT_EQ(out.size(), 4u + 16u);
    EXPECT_EQ(out.substr(0, 12), "kept<a>b</a>");

    out.clear();
    UIConfigManager::decrypt(bytes.data(), 0, out);
    UIConfigManager::decrypt(bytes.data(), -8, out);
    EXPECT_THAT(out, IsEmpty());
}

TEST(ConfigTokens, TokenizeAndHexValues) {
    std::vector<std::string> tokens = {"first"};
    UIConfigManager::Tokenize("  a,b  c,", tokens, " ,");
    EXPECT_THAT(tokens, ElementsAre("first", "a", "b", "c"));
    EXPECT_THAT(UIConfigManager::convertStringSysextoVector("   "), IsEmpty());
    EXPECT_THAT(UIConfigManager::convertStringSysextoVector(" f0  7F\t 1x 0"),
                ElementsAre(240, 127, 1, 0)); // a tab is no delimiter: "7F\t" reads as 7F
}

} // namespace
