// zoz-render-images ART_FILE IMAGE_FOLDER [CONTACT_SHEET]: draws the editor's image set from
// the art description into IMAGE_FOLDER, replacing it whole, and a contact sheet of it.
// Everything is drawn into a temporary folder beside IMAGE_FOLDER first: a bad art file, a
// missing font or a failed write leaves the old set as it was and exits non-zero.
#include "tools/render-images/ImageSet.h"
#include "tools/render-images/Painter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: zoz-render-images ART_FILE IMAGE_FOLDER [CONTACT_SHEET]\n"
    "       zoz-render-images --help   (prints this)\n"
    "draws the editor's image set from the art description into IMAGE_FOLDER, replacing it\n"
    "whole, and a contact sheet of it; on a failure the old set stays as it was\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "zoz-render-images: %s\n", message.c_str());
    return 1;
}

int Render(const std::string& artPath, const fs::path& folder, const fs::path& sheet) {
    const auto start = std::chrono::steady_clock::now();
    ArtFile art;
    std::string error;
    if (!ReadArtFile(artPath, &art, &error)) return Fail(error);
    if (!LabelFontInstalled())
        return Fail("the font DejaVu Sans is not installed (Debian package fonts-dejavu-core)");

    fs::path parent = fs::absolute(folder).parent_path();
    fs::create_directories(parent);
    std::string pattern = (parent / (folder.filename().string() + ".tmp-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return Fail("cannot make a folder beside " + folder.string());
    const fs::path temporary = pattern;
    const fs::path sheetTemporary = sheet.empty() ? fs::path() : temporary / "contact-sheet.png";
    const int threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    bool done = false;
    try {
        done = RenderImageSet(art, temporary.string(), sheetTemporary.string(), threads, &error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    ReleaseFonts();
    if (done) {
        // Readable by every user, as the install leaves them: mkdtemp made the folder 0700, and
        // a plug-in run from the build tree by another user would find no image.
        fs::permissions(temporary, fs::perms(0755));
        for (const auto& entry : fs::directory_iterator(temporary))
            fs::permissions(entry.path(), fs::perms(0644));
    }
    if (done && !sheet.empty()) {
        fs::create_directories(fs::absolute(sheet).parent_path());
        fs::rename(sheetTemporary, sheet);
    }
    if (!done) {
        fs::remove_all(temporary);
        return Fail(error);
    }
    fs::remove_all(folder);
    fs::rename(temporary, folder);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("zoz-render-images: %zu files in %.2f s (%d threads)\n", ImageFiles().size(),
                took.count(), threads);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], "--help") == 0) return fputs(kUsage, stdout) < 0 ? 1 : 0;
    if (argc < 3 || argc > 4) {
        fputs(kUsage, stderr);
        return 2;
    }
    try {
        return Render(argv[1], argv[2], argc > 3 ? argv[3] : "");
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
