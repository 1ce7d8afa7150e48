#include "tools/render-images/ImageSet.h"

#include "src/uiconfig/ImageTable.h"
#include "tools/render-images/ContactSheet.h"
#include "tools/render-images/Looks.h"
#include "tools/render-images/PngFile.h"

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

const Palette& PaletteOf(const ImageFile& file) {
    if (file.schemes.empty()) return CommonPalette();
    auto family = [](int s) { return s == 3 ? 2 : s; };
    for (int s : file.schemes)
        if (family(s) != family(file.schemes[0])) return CommonPalette();
    return SchemePalette(file.schemes.size() == 1 ? file.schemes[0] : family(file.schemes[0]));
}

std::vector<ImageFile> ImageFiles() {
    std::vector<ImageFile> files;
    std::map<int, size_t> byId;
    for (const CommonImageRow& row : kCommonImages) {
        byId[row.id] = files.size();
        files.push_back({row.file, row.name, {}});
    }
    for (int s = 0; s < kColourSchemeCount; ++s)
        for (const SchemeImageRow& row : kSchemeImages) {
            const auto found = byId.find(row.ids[s]);
            if (found != byId.end()) {
                // The common white lock stays common.
                if (!files[found->second].schemes.empty())
                    files[found->second].schemes.push_back(s);
                continue;
            }
            byId[row.ids[s]] = files.size();
            files.push_back({schemeImageFile(row, s), row.name, {s}});
        }
    return files;
}

bool RenderImageSet(const ArtFile& art, const std::string& folder, const std::string& sheet,
                    int threads, std::string* error) {
    const std::vector<ImageFile> files = ImageFiles();
    ContactSheet contact(files);
    std::atomic<size_t> next{0};
    std::mutex failing;
    std::vector<std::vector<std::string>> shortfalls(files.size());
    auto work = [&] {
        for (size_t i; (i = next++) < files.size();) {
            const ImageFile& file = files[i];
            const auto painter = DrawImage(art, {file.name, file.file, &PaletteOf(file), file.schemes},
                                           &shortfalls[i]);
            const ArtImage& image = art.images.at(file.name);
            const bool sideBySide = ImageTableByName().at(file.name).horizontal;
            if (!sheet.empty()) contact.add(i, painter->bitmap(), image.frames, sideBySide);
            if (!WritePng(folder + "/" + file.file, painter->bitmap())) {
                std::lock_guard<std::mutex> lock(failing);
                *error = "cannot write " + folder + "/" + file.file;
            }
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    if (!error->empty()) return false;
    for (const std::vector<std::string>& named : shortfalls)
        for (const std::string& shortfall : named) *error += (error->empty() ? "" : "\n") + shortfall;
    if (!error->empty()) {
        *error = "marks that do not stand out against what lies behind them:\n" + *error;
        return false;
    }
    if (!sheet.empty() && !contact.write(sheet)) {
        *error = "cannot write " + sheet;
        return false;
    }
    return true;
}
