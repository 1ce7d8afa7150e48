#include "platform/ResourceFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class ResourceFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "img");
        setenv("ZOZ_RESOURCES_DIR", dir.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zoz-resources-" + std::to_string(getpid()));
};

TEST_F(ResourceFile, WholeFileFollowedByAZeroByte) {
    write("sysex.tea", std::string("ab\0cd", 5));
    std::vector<char> bytes;
    ASSERT_TRUE(platform::ReadResourceFile("resources/sysex.tea", bytes));
    EXPECT_EQ(bytes, std::vector<char>({'a', 'b', 0, 'c', 'd', 0}));

    write("img/knob.png", "");
    ASSERT_TRUE(platform::ReadResourceFile("resources/img/knob.png", bytes));
    EXPECT_EQ(bytes, std::vector<char>(1, 0));
}

TEST_F(ResourceFile, LargeFilesAreNotCut) {
    const std::string big(4096000 + 123, 'x');
    write("uiconfig.tea", big);
    std::vector<char> bytes;
    ASSERT_TRUE(platform::ReadResourceFile("resources/uiconfig.tea", bytes));
    ASSERT_EQ(bytes.size(), big.size() + 1);
    EXPECT_EQ(bytes.back(), 0);
    EXPECT_EQ(bytes[big.size() - 1], 'x');
}

TEST_F(ResourceFile, MissingFilesAndFoldersGiveNothing) {
    std::vector<char> bytes = {'s', 't', 'a', 'l', 'e'};
    EXPECT_FALSE(platform::ReadResourceFile("resources/nothing.tea", bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_FALSE(platform::ReadResourceFile("resources/img", bytes));
    EXPECT_EQ(platform::ResourcePath("resources/img/a.png"), dir.string() + "/img/a.png");
}

} // namespace
