#include "tests/support/GoldenImage.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace testsupport {

namespace {

std::string sourceDir() {
    const char* dir = getenv("ZOZ_TEST_SOURCE_DIR");
    return dir ? dir : ZOZ_SOURCE_DIR;
}

std::vector<unsigned char> toRgb(const uint32_t* pixels, int width, int height, int stride) {
    std::vector<unsigned char> rgb;
    rgb.reserve(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(pixels + ptrdiff_t(y) * stride);
        for (int x = 0; x < width; ++x)
            rgb.insert(rgb.end(), row + 4 * x + 1, row + 4 * x + 4);
    }
    return rgb;
}

bool writePng(const std::string& path, const std::vector<unsigned char>& rgb, int width,
              int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

} // namespace

::testing::AssertionResult MatchesGolden(const std::string& relativePath, const uint32_t* pixels,
                                         int width, int height, int stride, int tolerance,
                                         int maxDiffering) {
    const std::string path = sourceDir() + "/" + relativePath;
    const std::vector<unsigned char> actual = toRgb(pixels, width, height, stride);
    const char* update = getenv("ZOZ_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (!writePng(path, actual, width, height))
            return ::testing::AssertionFailure() << "cannot write " << path;
        return ::testing::AssertionSuccess() << "wrote " << path;
    }

    const std::string actualPath =
        std::filesystem::path(relativePath).stem().string() + ".actual.png";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        writePng(actualPath, actual, width, height);
        return ::testing::AssertionFailure() << "cannot read golden " << path;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> golden(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, golden.data(), 0, nullptr)) {
        writePng(actualPath, actual, width, height);
        return ::testing::AssertionFailure() << "cannot decode golden " << path;
    }
    if (int(image.width) != width || int(image.height) != height) {
        writePng(actualPath, actual, width, height);
        return ::testing::AssertionFailure() << "golden is " << image.width << " x " << image.height
                                             << ", picture " << width << " x " << height;
    }
    int differing = 0;
    for (size_t i = 0; i < actual.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(int(actual[i + c]) - int(golden[i + c])) > tolerance) {
                ++differing;
                break;
            }
        }
    }
    if (differing > maxDiffering) {
        writePng(actualPath, actual, width, height);
        return ::testing::AssertionFailure()
               << differing << " pixels differ from " << path << " (allowed " << maxDiffering
               << "); the picture is in " << actualPath;
    }
    return ::testing::AssertionSuccess();
}

} // namespace testsupport
