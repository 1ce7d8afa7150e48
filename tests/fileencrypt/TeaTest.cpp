#include "fileencrypt/Tea.h"
#include "fileencrypt/ConfigCipher.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(Tea, PublishedVectorOfTheZeroKey) {
    const unsigned int key[4] = {0, 0, 0, 0};
    unsigned int v[2] = {0, 0};
    Tea::encryptTea(v, key);
    EXPECT_EQ(v[0], 0x41EA3A0Au);
    EXPECT_EQ(v[1], 0x94BAA940u);
    Tea::decryptTea(v, key);
    EXPECT_EQ(v[0], 0u);
    EXPECT_EQ(v[1], 0u);
}

TEST(Tea, BlockWordsAreBigEndian) {
    const unsigned int key[4] = {0, 0, 0, 0};
    unsigned char block[8] = {};
    Tea::simpleencrypt(block, key);
    const unsigned char expected[8] = {0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40};
    EXPECT_EQ(0, memcmp(block, expected, 8));
    Tea::simpledecrypt(block, key);
    EXPECT_EQ(Bytes(block, block + 8), Bytes(8, 0));
}

TEST(ConfigCipher, KeyWordsAreLittleEndianReadingsOfTheKeyBytes) {
    unsigned int key[4];
    ConfigCipher::keyWords(key);
    EXPECT_EQ(key[0], 0x079A1D5Eu);
    EXPECT_EQ(key[1], 0x683FB2C4u);
    EXPECT_EQ(key[2], 0x5CD1A7E0u);
    EXPECT_EQ(key[3], 0x3A4FB892u);
}

TEST(ConfigCipher, ResourceBlockEncipheredByHand) {
    // "<sysex/>" as two big-endian words, enciphered as words under the key words.
    unsigned int key[4];
    ConfigCipher::keyWords(key);
    unsigned int v[2] = {0x3C737973u, 0x65782F3Eu};
    Tea::encryptTea(v, key);
    const unsigned char expected[8] = {
        uint8_t(v[0] >> 24), uint8_t(v[0] >> 16), uint8_t(v[0] >> 8), uint8_t(v[0]),
        uint8_t(v[1] >> 24), uint8_t(v[1] >> 16), uint8_t(v[1] >> 8), uint8_t(v[1])};
    const std::string resource = ConfigCipher::encipher("<sysex/>");
    ASSERT_EQ(resource.size(), 8u);
    EXPECT_EQ(0, memcmp(resource.data(), expected, 8));

    // Either byte order swapped deciphers nothing readable.
    unsigned int swapped[4];
    for (int i = 0; i < 4; ++i)
        swapped[i] = __builtin_bswap32(key[i]);
    unsigned char block[8];
    memcpy(block, resource.data(), 8);
    Tea::simpledecrypt(block, swapped);
    EXPECT_NE(0, memcmp(block, "<sysex/>", 8));
}

TEST(ConfigCipher, RoundTripsOddLengthsWithZeroPadding) {
    for (size_t n : {0u, 1u, 7u, 8u, 9u, 13u, 56u, 64u, 72u, 1001u}) {
        std::string text;
        for (size_t i = 0; i < n; ++i)
            text += char('a' + i % 26);
        const std::string resource = ConfigCipher::encipher(text);
        EXPECT_EQ(resource.size(), (n + 7) / 8 * 8) << n;
        // An exact-size heap copy: the sanitizer catches any read past the count.
        std::vector<unsigned char> exact(resource.begin(), resource.end());
        std::string plain = "x";
        ConfigCipher::decipher(exact.data(), int(exact.size()), plain);
        EXPECT_EQ(plain.substr(1, n), text) << n;
        EXPECT_EQ(plain.substr(1 + n), std::string(resource.size() - n, '\0')) << n;
    }
}

TEST(Tea, BlockWithTrailerForm) {
    const unsigned int key[4] = {1, 2, 3, 4};
    for (unsigned int n : {0u, 5u, 8u, 13u}) {
        Bytes data(n + 16, 0xAB);
        for (unsigned int i = 0; i < n; ++i)
            data[i] = uint8_t(i * 7);
        const Bytes original(data.begin(), data.begin() + n);
        unsigned int length = n;
        Tea::encryptBlock(data.data(), &length, key);
        EXPECT_EQ(length, (n + 7) / 8 * 8 + 8) << n;
        Tea::decryptBlock(data.data(), &length, key);
        EXPECT_EQ(length, n);
        EXPECT_EQ(Bytes(data.begin(), data.begin() + n), original);
        // The trailer: a first word the buffer held before, then the length.
        const unsigned int padded = (n + 7) / 8 * 8;
        EXPECT_EQ(data[padded], 0xAB);
        EXPECT_EQ(data[padded + 4], n);
    }
}

TEST(Tea, DecryptBlockNeverClaimsMoreThanItsData) {
    const unsigned int key[4] = {1, 2, 3, 4};
    Bytes data(24, 0);
    unsigned int length = 16;
    Tea::encryptBlock(data.data(), &length, key);
    unsigned int wrong[4] = {4, 3, 2, 1};
    Tea::decryptBlock(data.data(), &length, wrong);
    EXPECT_LE(length, 16u);

    unsigned int tiny = 7;
    Bytes few(7, 1);
    Tea::decryptBlock(few.data(), &tiny, key);
    EXPECT_EQ(tiny, 7u);
    EXPECT_EQ(few, Bytes(7, 1));
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TeaTool, EnciphersAndDeciphersFiles) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("zoz-tea-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string text = "<uiconfig><valueLists/></uiconfig>\n";
    std::ofstream(dir / "in.xml", std::ios::binary) << text;

    auto run = [&](const std::string& args) {
        const std::string cmd = std::string(ZOZ_TEA_TOOL) + " " + args + " 2>/dev/null";
        return std::system(cmd.c_str());
    };
    const std::string d = dir.string() + "/";
    ASSERT_EQ(run("encrypt " + d + "in.xml " + d + "out.tea"), 0);
    EXPECT_EQ(readFile(dir / "out.tea"), ConfigCipher::encipher(text));
    ASSERT_EQ(run("decrypt " + d + "out.tea " + d + "back.xml"), 0);
    EXPECT_EQ(readFile(dir / "back.xml"), text);

    EXPECT_NE(run("decrypt " + d + "in.xml " + d + "x"), 0); // not whole blocks
    EXPECT_NE(run("encrypt " + d + "missing.xml " + d + "x"), 0);
    EXPECT_NE(run("scramble " + d + "in.xml " + d + "x"), 0);
    std::filesystem::remove_all(dir);
}

} // namespace
