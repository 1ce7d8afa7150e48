#include "kit/winl/winl-ini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/winl-ini-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_file = path("a.ini");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    void put(const std::string& text) const { std::ofstream(m_file, std::ios::binary) << text; }
    std::string contents() const {
        std::ifstream in(m_file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string value(const char* section, const char* key, const char* def = "<none>") const {
        char buf[256];
        const int n = GetPrivateProfileString(section, key, def, buf, sizeof buf, m_file.c_str());
        EXPECT_EQ(n, int(strlen(buf)));
        return buf;
    }
    // A zero-separated list as the caller gets it, with the result.
    std::string list(const char* section, int size, int* result) const {
        std::string buf(size_t(size) + 4, '#');
        *result =
            GetPrivateProfileString(section, nullptr, nullptr, buf.data(), size, m_file.c_str());
        return buf.substr(0, size_t(size));
    }
    int write(const char* section, const char* key, const char* v) const {
        return WritePrivateProfileString(section, key, v, m_file.c_str());
    }
    ino_t inode() const {
        struct stat st;
        return stat(m_file.c_str(), &st) == 0 ? st.st_ino : 0;
    }

    std::string m_dir, m_file;
};

} // namespace

TEST_F(IniFile, ValuesReadTrimmedAndUnquoted) {
    put("orphan=1\n[Main]\n  name =  \"Zoz Editor\"  \r\nplain=\t value \t\nsingle='x'\n"
        "lone=\"\nempty=\nKey=first\nKEY=second\nmixed='a\"\nzero=0\nlead=12ab\nnum='-7'\n");
    EXPECT_EQ(value("Main", "name "), "Zoz Editor");
    EXPECT_EQ(value("Main", "name"), "<none>") << "the key keeps its trailing blank";
    EXPECT_EQ(value("MAIN", "plain"), "value");
    EXPECT_EQ(value("Main", "single"), "x");
    EXPECT_EQ(value("Main", "lone"), "\"");
    EXPECT_EQ(value("Main", "empty"), "");
    EXPECT_EQ(value("Main", "key"), "second") << "of two spellings the later counts";
    EXPECT_EQ(value("Main", "mixed"), "'a\"");
    EXPECT_EQ(value("Main", "orphan"), "<none>");
    EXPECT_EQ(value("Main", "absent", "  as given "), "  as given ");
    EXPECT_EQ(value("Main", "absent", nullptr), "");

    char small[4];
    EXPECT_EQ(GetPrivateProfileString("Main", "plain", "", small, 4, m_file.c_str()), 3);
    EXPECT_STREQ(small, "val");

    const char* f = m_file.c_str();
    EXPECT_EQ(GetPrivateProfileInt("Main", "zero", 9, f), 0);
    EXPECT_EQ(GetPrivateProfileInt("Main", "plain", 9, f), 9) << "letters";
    EXPECT_EQ(GetPrivateProfileInt("Main", "lead", 9, f), 12);
    EXPECT_EQ(GetPrivateProfileInt("Main", "num", 9, f), -7);
}

TEST_F(IniFile, SectionStructureFollowsHeadersCommentsAndRepeats) {
    put("; comment\n[B]\nx=1\n[Broken\ny=2\n[]\nz=3\n[A]\na=1\n  [b]  \nw=4\n# note\n;c=5\n");
    int n;
    EXPECT_EQ(list(nullptr, 8, &n), std::string("A\0B\0\0###", 8));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(list("B", 9, &n), std::string(";c\0w\0\0###", 9))
        << "only the keys after the second header survive; a comment with '=' is a key";
    EXPECT_EQ(n, 4);
    EXPECT_EQ(value("B", "y"), "<none>");
    EXPECT_EQ(value("A", "z"), "<none>") << "keys under an empty name are dropped";
}

TEST_F(IniFile, ListsAreCutWithTwoZerosAndSmallBuffersGetAtMostTheirSize) {
    int n;
    EXPECT_EQ(list(nullptr, 4, &n), std::string("\0\0##", 4)) << "no file: an empty list";
    EXPECT_EQ(n, 0);
    put("[Alpha]\n[Beta]\n[S]\nb= 2 \na='1'\n");
    EXPECT_EQ(list(nullptr, 8, &n), std::string("Alpha\0\0\0", 8));
    EXPECT_EQ(n, 6);
    EXPECT_EQ(list(nullptr, 1, &n), std::string("\0", 1));
    EXPECT_EQ(n, 0);

    char buf[16];
    memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSection("s", buf, 16, m_file.c_str()), 8);
    EXPECT_EQ(std::string(buf, 10), std::string("a=1\0b=2\0\0#", 10));
    EXPECT_EQ(GetPrivateProfileSection("S", buf, 6, m_file.c_str()), 4);
    EXPECT_EQ(std::string(buf, 6), std::string("a=1\0\0\0", 6));
    EXPECT_EQ(GetPrivateProfileSection("Alpha", buf, 16, m_file.c_str()), 0);
    EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));
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

    const ino_t before = inode();
    EXPECT_EQ(write("b", "zeta", "3"), 1);
    EXPECT_EQ(write("b", "gone", nullptr), 1);
    EXPECT_EQ(write("gone", nullptr, nullptr), 1);
    EXPECT_EQ(inode(), before) << "nothing changed, nothing written";

    EXPECT_EQ(write(nullptr, "k", "v"), 0);
    EXPECT_EQ(write("a", "", "v"), 0);
    EXPECT_EQ(WritePrivateProfileString("a", "k", "v", nullptr), 0);
    EXPECT_EQ(value("a", "k"), "v");
}

TEST_F(IniFile, RewriteReplacesTheFileWholeThroughATemporaryFile) {
    put("[s]\nk=old\n");
    chmod(m_file.c_str(), 0600);
    const std::string keep = path("keep");
    ASSERT_EQ(link(m_file.c_str(), keep.c_str()), 0);
    EXPECT_EQ(write("s", "k", "new"), 1);
    EXPECT_EQ(contents(), "[s]\nk=new\n\n");
    std::ifstream old(keep);
    std::string line;
    std::getline(old, line);
    std::getline(old, line);
    EXPECT_EQ(line, "k=old") << "the old file was never written in place";
    struct stat st;
    ASSERT_EQ(stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_dir))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.ini", "keep"}));
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

    // A folder that cannot exist: the path runs through a regular file.
    const std::string under = path("a.ini/sub.ini");
    EXPECT_EQ(WritePrivateProfileString("s", "k", "v", under.c_str()), 0);
    char buf[8];
    EXPECT_EQ(GetPrivateProfileString("s", "k", "d", buf, 8, under.c_str()), 1);

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

TEST_F(IniFile, VeryLongValuesRoundTrip) {
    const std::string big(1 << 20, 'v');
    EXPECT_EQ(write("s", "big", big.c_str()), 1);
    EXPECT_EQ(contents(), "[s]\nbig=" + big + "\n\n");
    put("[s]\nbig=" + big + "w\n");
    std::string buf(big.size() + 8, 0);
    EXPECT_EQ(GetPrivateProfileString("s", "big", "", buf.data(), int(buf.size()), m_file.c_str()),
              int(big.size()) + 1);
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
