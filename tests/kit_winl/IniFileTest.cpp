#include "kit/winl/winl-ini.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace {

// A list call's result and the bytes it left in a buffer of '#'.
using Listed = std::pair<int, std::string>;
Listed bytes(int n, const char* s, size_t len) {
    return {n, std::string(s, len)};
}

class IniFile : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return m_dir.path() + "/" + name; }
    void put(const std::string& text) const { std::ofstream(m_file, std::ios::binary) << text; }
    std::string contents() const {
        std::stringstream ss;
        ss << std::ifstream(m_file, std::ios::binary).rdbuf();
        return ss.str();
    }
    std::string value(const char* section, const char* key, const char* def = "<none>") const {
        char buf[256];
        const int n = GetPrivateProfileString(section, key, def, buf, sizeof buf, m_file.c_str());
        EXPECT_EQ(n, int(strlen(buf)));
        return buf;
    }
    // Section names (section null), a section's keys, or with pairs its "key=value" list.
    Listed list(const char* section, int size, bool pairs = false) const {
        std::string buf(size_t(size) + 4, '#');
        const char* f = m_file.c_str();
        const int n = pairs
                          ? GetPrivateProfileSection(section, buf.data(), size, f)
                          : GetPrivateProfileString(section, nullptr, nullptr, buf.data(), size, f);
        return {n, buf.substr(0, size_t(size))};
    }
    int write(const char* section, const char* key, const char* v) const {
        return WritePrivateProfileString(section, key, v, m_file.c_str());
    }

    testsupport::TempFolder m_dir;
    std::string m_file = path("a.ini");
};

} // namespace

TEST_F(IniFile, ValuesReadTrimmedAndUnquoted) {
    put("orphan=1\n[Main]\n  name =  \"Zoz Editor\"  \r\nplain=\t value \t\nsingle='x'\n"
        "lone=\"\nempty=\nKey=first\nKEY=second\nmixed='a\"\nzero=0\nlead=12ab\nnum='-7'\n");
    // A key keeps its trailing blank; of two spellings of a key the later counts.
    const std::pair<const char*, const char*> values[] = {
        {"name ", "Zoz Editor"}, {"name", "<none>"},   {"PLAIN", "value"},
        {"single", "x"},         {"lone", "\""},       {"empty", ""},
        {"mixed", "'a\""},       {"orphan", "<none>"}, {"key", "second"}};
    for (auto [key, expected] : values)
        EXPECT_EQ(value("MAIN", key), expected) << key;
    EXPECT_EQ(value("Main", "absent", "  as given "), "  as given ");
    EXPECT_EQ(value("Main", "absent", nullptr), "");
    char small[4];
    EXPECT_EQ(GetPrivateProfileString("Main", "plain", "", small, 4, m_file.c_str()), 3);
    EXPECT_STREQ(small, "val");

    const std::pair<const char*, int> ints[] = {
        {"zero", 0}, {"plain", 9}, {"lead", 12}, {"num", -7}, {"absent", 9}};
    for (auto [key, expected] : ints)
        EXPECT_EQ(GetPrivateProfileInt("Main", key, 9, m_file.c_str()), expected) << key;

    // A line far longer than the reader's first line buffer is read whole.
    put("[s]\nbig=" + std::string(1 << 20, 'v') + "\n");
    std::string big(1 << 21, 0);
    EXPECT_EQ(GetPrivateProfileString("s", "big", "", big.data(), 1 << 21, m_file.c_str()),
              1 << 20);
}

TEST_F(IniFile, SectionStructureFollowsHeadersCommentsAndRepeats) {
    put("; comment\n[B]\nx=1\n[Broken\ny=2\n[]\nz=3\n[A]\na=1\n  [b]  \nw=4\n# note\n;c=5\n");
    EXPECT_EQ(list(nullptr, 8), bytes(3, "A\0B\0\0###", 8));
    EXPECT_EQ(list("B", 9), bytes(4, ";c\0w\0\0###", 9))
        << "only the keys after the second header survive; a comment with '=' is a key";
}

TEST_F(IniFile, ListsAreCutWithTwoZerosAndSmallBuffersGetAtMostTheirSize) {
    EXPECT_EQ(list(nullptr, 4), bytes(0, "\0\0##", 4)) << "no file: an empty list";
    put("[Alpha]\n[Beta]\n[S]\nb= 2 \na='1'\n");
    EXPECT_EQ(list(nullptr, 8), bytes(6, "Alpha\0\0\0", 8));
    EXPECT_EQ(list(nullptr, 1), bytes(0, "\0", 1));
    EXPECT_EQ(list("s", 10, true), bytes(8, "a=1\0b=2\0\0#", 10));
    EXPECT_EQ(list("S", 6, true), bytes(4, "a=1\0\0\0", 6));
    EXPECT_EQ(list("Alpha", 3, true), bytes(0, "\0\0#", 3));
    // A buffer of exactly the list and its closing zero holds it whole, one byte less cuts it.
    EXPECT_EQ(list(nullptr, 14), bytes(12, "Alpha\0Beta\0S\0\0", 14));
    EXPECT_EQ(list(nullptr, 13), bytes(11, "Alpha\0Beta\0\0\0", 13));
    EXPECT_EQ(list("s", 9, true), bytes(8, "a=1\0b=2\0\0", 9));
    EXPECT_EQ(list("s", 8, true), bytes(6, "a=1\0b=\0\0", 8));
}

TEST_F(IniFile, WritesKeepSectionsAndKeysInCaseInsensitiveOrder) {
    put("; dropped on rewrite\n[s]\nk = v \n");
    EXPECT_EQ(write("b", "Zeta", "1"), 1);
    EXPECT_EQ(write("B", "alpha", "two words"), 1);
    EXPECT_EQ(write("a", "K", "v"), 1);
    EXPECT_EQ(write("b", "zeta", "3"), 1);
    EXPECT_EQ(contents(), "[a]\nK=v\n\n[b]\nalpha=two words\nZeta=3\n\n[s]\nk = v\n\n");

    EXPECT_EQ(write("b", "alpha", nullptr), 1);
    EXPECT_EQ(write("s", nullptr, nullptr), 1);
    EXPECT_EQ(contents(), "[a]\nK=v\n\n[b]\nZeta=3\n\n");

    struct stat before, after;
    ASSERT_EQ(stat(m_file.c_str(), &before), 0);
    EXPECT_EQ(write("b", "zeta", "3"), 1);
    EXPECT_EQ(write("b", "gone", nullptr), 1);
    EXPECT_EQ(write("gone", nullptr, nullptr), 1);
    ASSERT_EQ(stat(m_file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "nothing changed, nothing written";

    EXPECT_EQ(write(nullptr, "k", "v"), 0);
    EXPECT_EQ(write("a", "", "v"), 0);
    EXPECT_EQ(WritePrivateProfileString("a", "k", "v", nullptr), 0);
}

TEST_F(IniFile, RewriteReplacesTheFileWholeThroughATemporaryFile) {
    put("[s]\nk=old\n");
    chmod(m_file.c_str(), 0600);
    const std::string keep = path("keep");
    ASSERT_EQ(link(m_file.c_str(), keep.c_str()), 0);
    EXPECT_EQ(write("s", "k", "new"), 1);
    EXPECT_EQ(contents(), "[s]\nk=new\n\n");
    m_file = keep;
    EXPECT_EQ(contents(), "[s]\nk=old\n") << "the old file was never written in place";
    EXPECT_EQ(std::filesystem::status(path("a.ini")).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 2)
        << "no temporary file left";
}

TEST_F(IniFile, FailedWriteReportsZeroKeepsTheFileAndForgetsTheChange) {
    put("[s]\nk=1\n");
    EXPECT_EQ(value("s", "k"), "1");
    const std::string tmp = path(".a.ini.new");
    ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0); // the temporary file cannot be made
    EXPECT_EQ(write("s", "k", "2"), 0);
    EXPECT_EQ(WritePrivateProfileSection("s", "k=3\0", m_file.c_str()), 0);
    EXPECT_EQ(value("s", "k"), "1");
    EXPECT_EQ(contents(), "[s]\nk=1\n");
    rmdir(tmp.c_str());
    EXPECT_EQ(write("s", "k", "2"), 1);
    EXPECT_EQ(value("s", "k"), "2");

    // A name whose temporary name would be too long for the file system.
    m_file = path(std::string(251, 'n'));
    put("[s]\nk=1\n");
    EXPECT_EQ(write("s", "k", "2"), 0);
    EXPECT_EQ(contents(), "[s]\nk=1\n");
}

TEST_F(IniFile, AFileReadOnlyInPartIsNeverWrittenBack) {
    // Nothing but junk for more than 256 KiB: reading stops before the section.
    std::string junk;
    while (junk.size() <= 0x50000)
        junk += "this is no profile line\n";
    put(junk + "[s]\nk=1\n");
    EXPECT_EQ(value("s", "k"), "<none>");
    EXPECT_EQ(write("t", "k", "1"), 0);
    EXPECT_EQ(contents(), junk + "[s]\nk=1\n");

    // A line longer than 32 MiB.
    put("[s]\nk=" + std::string(0x2000001, 'a') + "\n[t]\nk=1\n");
    EXPECT_EQ(value("t", "k"), "<none>");
    EXPECT_EQ(write("t", "k", "2"), 0);
    EXPECT_EQ(std::filesystem::file_size(m_file), 0x2000001u + 15);
}

TEST_F(IniFile, StructsAreHexWithAChecksum) {
    const unsigned char two[] = {1, 2};
    EXPECT_EQ(WritePrivateProfileStruct("s", "k", two, 2, m_file.c_str()), 1);
    EXPECT_EQ(contents(), "[s]\nk=010203\n\n");
    put("[s]\nlower=fa0B05\nbadsum=010204\nshort=0102\nnothex=0x0203\n");
    unsigned char got[2] = {};
    EXPECT_EQ(GetPrivateProfileStruct("s", "lower", got, 2, m_file.c_str()), 1);
    EXPECT_EQ(got[0] * 256 + got[1], 0xfa0b) << "either case; the checksum wraps at 256";
    for (const char* bad : {"badsum", "short", "nothex", "missing"})
        EXPECT_EQ(GetPrivateProfileStruct("s", bad, got, 2, m_file.c_str()), 0) << bad;
    EXPECT_EQ(WritePrivateProfileStruct("s", "lower", nullptr, 0, m_file.c_str()), 1);
    EXPECT_EQ(value("s", "lower"), "<none>") << "no data deletes the key";
}

TEST_F(IniFile, SectionWritesReplaceEveryKey) {
    put("[s]\na=1\nb=2\n");
    const char data[] = "c=3\0junk\0c=4\0=e\0d=x=y\0";
    EXPECT_EQ(WritePrivateProfileSection("S", data, m_file.c_str()), 1);
    EXPECT_EQ(contents(), "[s]\nc=4\nd=x=y\n\n");
    EXPECT_EQ(WritePrivateProfileSection("s", "", m_file.c_str()), 1);
    EXPECT_EQ(contents(), "[s]\n\n");

    m_file = path("new.ini");
    EXPECT_EQ(WritePrivateProfileSection("s", "", m_file.c_str()), 1);
    EXPECT_FALSE(std::filesystem::exists(m_file)) << "nothing to store, nothing made";
    EXPECT_EQ(WritePrivateProfileSection(nullptr, "a=1\0", m_file.c_str()), 0);
}

TEST_F(IniFile, ChangesOnDiskAreSeenAndTheLeastRecentFileLeavesTheCache) {
    put("[s]\nk=1\n");
    EXPECT_EQ(value("s", "k"), "1");
    put("[s]\nk=22\n");
    EXPECT_EQ(value("s", "k"), "22");

    // Same size and time on disk: only the cache answers, until 32 other files pushed it out.
    struct stat st;
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    put("[s]\nk=33\n");
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, m_file.c_str(), times, 0), 0);
    EXPECT_EQ(value("s", "k"), "22");
    for (int i = 0; i < 32; ++i) {
        char buf[4];
        GetPrivateProfileString("s", "k", "", buf, 4, path("f" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(value("s", "k"), "33");
}
