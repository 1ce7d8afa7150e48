#include "GuardedBitmap.h"

#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_PNGLoader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Debian's Go sources ship the PNG test suite with text descriptions (.sng) of every pixel.
const fs::path kSuite = PNGSUITE_DIR;

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// The numbers of a text, in order.
std::vector<int> numbers(const std::string& text) {
    std::vector<int> v;
    for (size_t p = 0, used; (p = text.find_first_of("0123456789", p)) != std::string::npos;
         p += used)
        v.push_back(std::stoi(text.substr(p), &used));
    return v;
}

// The pixels an .sng file states, as the loader gives them: 8-bit alpha, red, green, blue
// (16-bit samples keep their high byte; tRNS makes the matching samples transparent).
struct Sng {
    int width = 0, height = 0;
    std::vector<RAST_pixel> pixels;

    explicit Sng(const fs::path& path) {
        std::string text; // without the comments, which repeat numbers in hex
        for (std::istringstream in(readFile(path)); in;) {
            std::string line;
            std::getline(in, line);
            text += line.substr(0, line.find('#')) + "\n";
        }
        // The text between "NAME {" and its "}"; blocks do not nest.
        const auto block = [&](const std::string& name) {
            const size_t open = text.find(name + " {");
            if (open == std::string::npos) return std::string();
            const size_t from = open + name.size() + 2;
            return text.substr(from, text.find('}', from) - from);
        };
        const std::string ihdr = block("IHDR"), image = block("IMAGE");
        const std::vector<int> size = numbers(ihdr), plte = numbers(block("PLTE")),
                               trns = numbers(block("tRNS"));
        width = size.at(0), height = size.at(1);
        const int depth = size.at(2);
        const bool palette = ihdr.find("palette") != std::string::npos;
        const bool colour = ihdr.find("color") != std::string::npos && !palette;
        const bool alpha = ihdr.find("alpha") != std::string::npos;
        const int channels = (colour ? 3 : 1) + alpha;
        std::string hex;
        std::copy_if(image.begin() + image.find("hex") + 3, image.end(), std::back_inserter(hex),
                     [](char c) { return isxdigit(c); });
        const int rowBits = (width * channels * depth + 7) / 8 * 8;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int s[4] = {0, 0, 0, 0};
                for (int c = 0; c < channels; ++c)
                    for (int bit = 0; bit < depth; ++bit) {
                        const int pos = y * rowBits + (x * channels + c) * depth + bit;
                        const int digit = std::stoi(hex.substr(pos / 4, 1), nullptr, 16);
                        s[c] = s[c] * 2 + ((digit >> (3 - pos % 4)) & 1);
                    }
                if (palette) {
                    const int i = s[0], a = i < int(trns.size()) ? trns[i] : 255;
                    pixels.push_back(P(plte.at(3 * i), plte.at(3 * i + 1), plte.at(3 * i + 2), a));
                    continue;
                }
                const bool keyed = !trns.empty() && std::equal(s, s + channels, trns.begin());
                for (int& v : s)
                    v = depth == 16 ? v >> 8 : v;
                const int a = alpha ? s[channels - 1] : keyed ? 0 : 255;
                pixels.push_back(colour ? P(s[0], s[1], s[2], a) : P(s[0], s[0], s[0], a));
            }
    }
};

std::vector<RAST_pixel> pictureOf(RAST_IBitmap* bm) {
    std::vector<RAST_pixel> p;
    for (int y = 0; y < bm->getHeight(); ++y)
        for (int x = 0; x < bm->getWidth(); ++x)
            p.push_back(*RAST_PixelAt(*bm, x, y));
    return p;
}

std::unique_ptr<RAST_IBitmap> loadFile(const fs::path& p) {
    return std::unique_ptr<RAST_IBitmap>(RAST_LoadPNG(p.c_str(), nullptr));
}

RAST_IBitmap* loadBytes(const std::string& bytes, RAST_IBitmap* into) {
    return RAST_LoadPNGFromMemory(bytes.data(), int(bytes.size()), into);
}

// Every chunk's CRC recomputed.
std::string withGoodCrcs(std::string png) {
    for (size_t p = 8; p + 12 <= png.size();) {
        const auto* b = reinterpret_cast<const unsigned char*>(png.data() + p);
        const uint32_t length = uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
        const uint32_t crc = uint32_t(crc32(0, b + 4, 4 + length));
        for (int i = 0; i < 4; ++i)
            png[p + 8 + length + i] = char(crc >> (24 - 8 * i));
        p += 12 + length;
    }
    return png;
}

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("zoz-png-" + std::to_string(getpid()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
};

} // namespace

TEST(PNGLoader, DecodesEverySuiteImageToTheStatedPixels) {
    int count = 0;
    for (const auto& e : fs::directory_iterator(kSuite / "pngsuite")) {
        if (e.path().extension() != ".sng") continue;
        fs::path png = e.path();
        png.replace_extension(".png");
        SCOPED_TRACE(png.filename().string());
        const Sng sng(e.path());
        const auto fromFile = loadFile(png);
        ASSERT_TRUE(fromFile);
        ASSERT_EQ(fromFile->getWidth(), sng.width);
        EXPECT_EQ(pictureOf(fromFile.get()), sng.pixels);

        // Into a given bitmap of the image's size, upside down in memory for every other file:
        // rows land where the addressing rule puts them and nothing is written outside.
        GuardedBitmap given(sng.width, sng.height, ++count % 2);
        EXPECT_EQ(loadBytes(readFile(png), &given), &given);
        EXPECT_EQ(given.picture(), sng.pixels);
        EXPECT_TRUE(given.guardsIntact());
    }
    EXPECT_GE(count, 35);
}

TEST(PNGLoader, CorruptCutOrHugeFilesFailCleanly) {
    for (const char* name : {"invalid-crc32.png", "invalid-zlib.png"}) {
        RAST_MemBitmap given(3, 3, 4);
        EXPECT_FALSE(loadFile(kSuite / name)) << name;
        EXPECT_EQ(RAST_LoadPNG((kSuite / name).c_str(), &given), nullptr) << name;
        EXPECT_EQ(loadBytes(readFile(kSuite / name), &given), nullptr) << name;
        RAST_Clear(&given, 0); // still the caller's
    }
    // Ending after the last image data loses nothing: no end chunk, or a cut one, still
    // gives the picture of the same file with its checksums mended.
    const std::unique_ptr<RAST_IBitmap> mended(
        loadBytes(withGoodCrcs(readFile(kSuite / "invalid-crc32.png")), nullptr));
    ASSERT_TRUE(mended);
    for (const char* name : {"invalid-noend.png", "invalid-trunc.png"}) {
        const auto bm = loadFile(kSuite / name);
        ASSERT_TRUE(bm) << name;
        EXPECT_EQ(pictureOf(bm.get()), pictureOf(mended.get())) << name;
    }
    // An index past the palette's 255 entries reads no memory outside it.
    const auto palette = loadFile(kSuite / "invalid-palette.png");
    ASSERT_TRUE(palette);
    EXPECT_EQ(*RAST_PixelAt(*palette, 0, 0), P(255, 0, 0, 255));

    // Cut anywhere before the image data ends; a folder or a missing file.
    const std::string whole = readFile(kSuite / "pngsuite/basn3p04-31i.png");
    for (size_t n = 0; n < whole.rfind("IEND") - 4; ++n)
        ASSERT_EQ(loadBytes(whole.substr(0, n), nullptr), nullptr) << n;
    EXPECT_FALSE(loadFile(kSuite));
    EXPECT_FALSE(loadFile(kSuite / "missing.png"));
    EXPECT_EQ(RAST_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
    EXPECT_EQ(loadBytes("\x89PNG\r\n\x1a\x0b", nullptr), nullptr);

    // Sizes whose bytes do not fit an int are refused before a given bitmap is resized.
    for (auto [w, h] : {std::pair<uint32_t, uint32_t>{46341, 46341}, {1000000, 537}}) {
        std::string png = readFile(kSuite / "pngsuite/basn0g01.png");
        for (int i = 0; i < 4; ++i) {
            png[16 + i] = char(w >> (24 - 8 * i));
            png[20 + i] = char(h >> (24 - 8 * i));
        }
        RAST_MemBitmap given(3, 3, 4);
        EXPECT_EQ(loadBytes(withGoodCrcs(png), &given), nullptr) << w;
        EXPECT_EQ(given.getWidth(), 3);
    }
}

TEST(PNGLoader, SizeFromTheHeaderAloneAsTheDecoderFindsIt) {
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(kSuite / "pngsuite")) {
        const auto bm = loadFile(entry.path());
        int w = -1, h = -1;
        EXPECT_EQ(RAST_PNGSize(entry.path().c_str(), &w, &h), bool(bm)) << entry.path();
        if (!bm) continue;
        EXPECT_EQ(w * 100000 + h, bm->getWidth() * 100000 + bm->getHeight()) << entry.path();
        ++checked;
    }
    EXPECT_GT(checked, 30);

    // The header's 24 bytes are all it reads; sizes whose bytes do not fit an int, a zero
    // size or another first chunk give no size.
    const std::string head = readFile(kSuite / "pngsuite/basn0g01.png").substr(0, 24);
    const fs::path file = fs::temp_directory_path() / ("zoz-size-" + std::to_string(getpid()));
    const auto sizeOf = [&](const std::string& bytes, uint32_t width, uint32_t height) {
        std::string png = bytes;
        for (int i = 0; i < 4 && png.size() >= 24; ++i) {
            png[16 + i] = char(width >> (24 - 8 * i));
            png[20 + i] = char(height >> (24 - 8 * i));
        }
        writeFile(file, png);
        int w = 0, h = 0;
        return RAST_PNGSize(file.c_str(), &w, &h) ? std::to_string(w) + "x" + std::to_string(h)
                                                  : std::string("none");
    };
    EXPECT_EQ(sizeOf(head, 536870911, 1), "536870911x1");
    EXPECT_EQ(sizeOf(head, 536870912, 1), "none");
    EXPECT_EQ(sizeOf(head, 0x80000000u, 0x80000000u), "none");
    EXPECT_EQ(sizeOf(head, 0, 7), "none");
    EXPECT_EQ(sizeOf(head.substr(0, 23), 32, 32), "none");
    std::string other = head;
    other.replace(12, 4, "IDAT");
    EXPECT_EQ(sizeOf(other, 32, 32), "none");
    fs::remove(file);
    int w = 0, h = 0;
    EXPECT_FALSE(RAST_PNGSize((kSuite / "missing.png").c_str(), &w, &h));
}

TEST(PNGLoader, DestinationsAndWarnings) {
    const std::string png = readFile(kSuite / "pngsuite/basn6a08.png");
    // A bitmap that cannot take the size is refused and stays the caller's; one that can is
    // resized to the image.
    GuardedBitmap wrongSize(31, 32);
    EXPECT_EQ(loadBytes(png, &wrongSize), nullptr);
    EXPECT_TRUE(wrongSize.guardsIntact());
    RAST_MemBitmap mem(5, 5, 4);
    EXPECT_EQ(loadBytes(png, &mem), &mem);
    EXPECT_EQ(pictureOf(&mem), Sng(kSuite / "pngsuite/basn6a08.sng").pixels);

    // A warning (a damaged checksum of an ancillary chunk) is not printed.
    std::string damaged = readFile(kSuite / "pngsuite/basn0g08.png");
    damaged[damaged.find("gAMA") + 8] ^= 1;
    testing::internal::CaptureStderr();
    const std::unique_ptr<RAST_IBitmap> warned(loadBytes(damaged, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(warned);
    EXPECT_EQ(pictureOf(warned.get()), Sng(kSuite / "pngsuite/basn0g08.sng").pixels);
}

TEST(PNGLoader, LoaderEntryNamesAndResources) {
    TempDir dir;
    const std::string png = readFile(kSuite / "pngsuite/basn0g02.png");
    for (const char* name : {"A.PNG", "b.png", "png", "a.png.bak", "a.jpg"})
        writeFile(dir.path / name, png);
    const auto load = [&](const std::string& name, bool check) {
        return std::unique_ptr<RAST_IBitmap>(
            RAST_pngldr.loadfunc((dir.path / name).c_str(), check, nullptr));
    };
    EXPECT_TRUE(load("A.PNG", true));
    EXPECT_TRUE(load("b.png", true));
    for (const char* refused : {"png", "a.png.bak", "a.jpg"}) {
        EXPECT_FALSE(load(refused, true)) << refused;
        EXPECT_TRUE(load(refused, false)) << refused;
    }
    EXPECT_EQ(RAST_ImageLoader_list, &RAST_pngldr);
    EXPECT_EQ(std::string(RAST_pngldr.get_extlist(), 25),
              std::string("PNG files (*.PNG)\0*.PNG\0", 25));

    setenv("ZOZ_RESOURCES_DIR", dir.path.c_str(), 1);
    const std::unique_ptr<RAST_IBitmap> named(RAST_LoadPNGFromNamedResource("b.png", nullptr));
    EXPECT_TRUE(named);
    unsetenv("ZOZ_RESOURCES_DIR");
    EXPECT_EQ(RAST_LoadPNGFromResource(nullptr, 1, nullptr), nullptr);
}
