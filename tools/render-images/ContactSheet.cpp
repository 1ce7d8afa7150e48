#include "tools/render-images/ContactSheet.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "src/uiconfig/ImageTable.h"
#include "tools/render-images/Painter.h"
#include "tools/render-images/PngFile.h"

#include <algorithm>
#include <map>

namespace {

constexpr int kColumns = 12, kCellW = 160, kCellH = 124, kPreviewW = 150, kPreviewH = 96;
constexpr int kHeading = 32, kMargin = 10, kMaxFrames = 5;
const char* const kSchemeNames[kColourSchemeCount] = {"0 yellow", "1 halloween", "2 blue", "3 red",
                                                      "4 phoenix"};

} // namespace

ContactSheet::ContactSheet(const std::vector<ImageFile>& files)
    : files(files), previews(files.size()) {}

void ContactSheet::add(size_t index, const RAST_IBitmap& image, int frames, bool sideBySide) {
    const int fw = sideBySide ? image.getWidth() / frames : image.getWidth();
    const int fh = sideBySide ? image.getHeight() : image.getHeight() / frames;
    const int shown = std::min(frames, kMaxFrames);
    RAST_MemBitmap row(fw * shown, fh, 4);
    for (int j = 0; j < shown; ++j) {
        const int f = shown > 1 ? (j * (frames - 1) + (shown - 1) / 2) / (shown - 1) : 0;
        RAST_Blit(&row, const_cast<RAST_IBitmap*>(&image), j * fw, 0, sideBySide ? f * fw : 0,
                  sideBySide ? 0 : f * fh, fw, fh, 1.0f, RAST_MODE_COPY);
    }
    const double scale =
        std::min({double(kPreviewW) / row.getWidth(), double(kPreviewH) / row.getHeight(), 3.0});
    const int w = std::max(1, int(row.getWidth() * scale)),
              h = std::max(1, int(row.getHeight() * scale));
    auto preview = std::make_unique<RAST_MemBitmap>(w, h, 4);
    RAST_ScaledBlit(preview.get(), &row, 0, 0, w, h, 0.0f, 0.0f, float(row.getWidth()),
                    float(row.getHeight()), 1.0f, RAST_MODE_BILINEAR);
    previews[index] = std::move(preview);
}

bool ContactSheet::write(const std::string& path) const {
    // Blocks: the common rows, then each scheme's.
    std::map<std::string, size_t> byFile;
    std::vector<size_t> common;
    for (size_t i = 0; i < files.size(); ++i) {
        byFile[files[i].file] = i;
        if (files[i].schemes.empty()) common.push_back(i);
    }
    std::vector<std::pair<std::string, std::vector<size_t>>> blocks = {{"Common images", common}};
    for (int s = 0; s < kColourSchemeCount; ++s) {
        std::vector<size_t> rows;
        for (const SchemeImageRow& row : kSchemeImages)
            rows.push_back(byFile.at(schemeImageFile(row, s)));
        blocks.push_back({std::string("Scheme ") + kSchemeNames[s], rows});
    }
    int height = kMargin;
    for (const auto& block : blocks)
        height += kHeading + int(block.second.size() + kColumns - 1) / kColumns * kCellH;
    Painter sheet(2 * kMargin + kColumns * kCellW, height);
    sheet.rect(0, 0, sheet.width(), height, {48, 48, 52});
    int y = kMargin;
    for (const auto& [title, indexes] : blocks) {
        sheet.text(title, kMargin, y, 600, kHeading - 6, 16, true, {240, 240, 240}, Painter::kLeft);
        y += kHeading;
        for (size_t n = 0; n < indexes.size(); ++n) {
            const int x = kMargin + int(n % kColumns) * kCellW,
                      top = y + int(n / kColumns) * kCellH;
            // A checkerboard shows what is transparent.
            for (int cy = 0; cy < kPreviewH; cy += 8)
                for (int cx = 0; cx < kPreviewW; cx += 8)
                    sheet.rect(x + cx, top + cy, std::min(8, kPreviewW - cx),
                               std::min(8, kPreviewH - cy),
                               (cx + cy) / 8 % 2 ? Rgb{150, 150, 150} : Rgb{200, 200, 200});
            RAST_MemBitmap* preview = previews[indexes[n]].get();
            if (preview)
                RAST_Blit(&sheet.bitmap(), preview, x + (kPreviewW - preview->getWidth()) / 2,
                          top + (kPreviewH - preview->getHeight()) / 2, 0, 0, preview->getWidth(),
                          preview->getHeight(), 1.0f, RAST_MODE_COPY | RAST_MODE_SOURCE_ALPHA);
            sheet.text(files[indexes[n]].file, x, top + kPreviewH + 2, kPreviewW, 14, 9, false,
                       {230, 230, 230}, Painter::kCentre, 7);
        }
        y += int(indexes.size() + kColumns - 1) / kColumns * kCellH;
    }
    return WritePng(path, sheet.bitmap());
}
