#include "src/core/SettingsFile.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
using Lines = SettingsFile::Lines;

namespace {
std::vector<uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}
std::string text(const std::vector<uint8_t>& b) {
    return {b.begin(), b.end()};
}
} // namespace

TEST(SettingsFile, ReadsFiveLinesStrippingOnlyTheirEnds) {
    TempFolder temp;
    const std::string path = temp.path() + "/s.txt";
    struct Case {
        std::string content;
        Lines lines;
    } cases[] = {
        {"phoenix\r\nlarge\r\nyes\r\nOut A\r\nIn B\r\n",
         {"phoenix", "large", "yes", "Out A", "In B"}},
        {"red", {"red", "", "", "", ""}},
        {" normal \t\r\n\nno\n \n\xC3\x9C port\xFF",
         {" normal", "", "no", "", "\xC3\x9C port\xFF"}},
        {"1\n2\n3\n4\n5\n6\n", {"1", "2", "3", "4", "5"}},
    };
    for (const Case& c : cases) {
        writeFile(path, bytes(c.content));
        EXPECT_EQ(SettingsFile::read(path), c.lines) << c.content;
    }
    EXPECT_EQ(SettingsFile::read(temp.path() + "/none.txt"), Lines());
}

TEST(SettingsFile, WordsAreExact) {
    EXPECT_EQ(SettingsFile::colourScheme("phoenix"), 4);
    EXPECT_EQ(SettingsFile::colourScheme("yellow"), 0);
    EXPECT_EQ(SettingsFile::colourScheme("Red"), -1);
    EXPECT_EQ(SettingsFile::windowSize("large"), 2);
    EXPECT_EQ(SettingsFile::windowSize(" normal"), -1);
    EXPECT_EQ(SettingsFile::windowScale(0), 0.85);
    EXPECT_EQ(SettingsFile::windowScale(-1), 1.0);
}

TEST(SettingsFile, RewriteReplacesAWholeExistingFileOnly) {
    TempFolder temp;
    const std::string path = temp.path() + "/s.txt";
    const Lines lines = {"blue", "", "yes", "Out \xC3\xA9", "In"};
    EXPECT_EQ(SettingsFile::rewrite(path, lines), SettingsFile::Rewrite::kNoFile);
    EXPECT_FALSE(std::filesystem::exists(path));

    writeFile(path, bytes("red\nlarge\nno\nA very long device name that was here before\nIn\n"));
    EXPECT_EQ(SettingsFile::rewrite(path, lines), SettingsFile::Rewrite::kWritten);
    EXPECT_EQ(text(readFile(path)), "blue\n\nyes\nOut \xC3\xA9\nIn");

    // A write cut short by the file size limit leaves the old content and no stray file.
    const std::string before = text(readFile(path));
    auto result = SettingsFile::Rewrite::kWritten;
    withFileSizeLimit(4, [&] { result = SettingsFile::rewrite(path, {"halloween", "small"}); });
    EXPECT_EQ(result, SettingsFile::Rewrite::kFailed);
    EXPECT_EQ(text(readFile(path)), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}

TEST(SettingsFile, CreateMakesOnlyANewWholeFile) {
    TempFolder temp;
    const std::string path = temp.path() + "/s.txt";
    const std::string defaults = "yellow\nnormal\nno\n\n";
    // A write cut one byte short of the file leaves nothing; at its size it is whole.
    bool created = true;
    withFileSizeLimit(long(defaults.size()) - 1,
                      [&] { created = SettingsFile::create(path, SettingsFile::defaults()); });
    EXPECT_FALSE(created);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 0);
    withFileSizeLimit(long(defaults.size()),
                      [&] { created = SettingsFile::create(path, SettingsFile::defaults()); });
    EXPECT_TRUE(created);
    EXPECT_EQ(text(readFile(path)), defaults);

    EXPECT_FALSE(SettingsFile::create(path, {"red", "", "yes", "Out \xC3\xA9", "In"}));
    EXPECT_EQ(text(readFile(path)), defaults);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}
