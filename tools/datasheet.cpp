// datasheet DATA_DIR OUT_DIR: contact sheets for reviewing the generated data files.
// For every animation a grid of all its frames at half size (name.png) and four frames
// at full size (name_keys.png); every picture as a grey PNG.
#include "tools/gendata/png.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<std::uint8_t>;

constexpr int frame_bytes = 8000; // 200 rows of 40 bytes, least significant bit leftmost
constexpr int shown_rows = 192;
constexpr int gap = 4;            // pixels between frames on a sheet
constexpr std::uint8_t gap_grey = 96;

struct video { const char* name; int frames; };
constexpr video videos[] = {{"dd", 80}, {"na_eka", 40}, {"na_toka", 40}, {"onnettomuus", 80},
                            {"paa", 40}, {"siunaus", 40}, {"ukko", 40}};

bool read_file(const std::filesystem::path& path, std::size_t need, bytes& out)
{
    std::ifstream f(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    if (!f.good() && !f.eof()) {
        std::fprintf(stderr, "datasheet: cannot read %s\n", path.c_str());
        return false;
    }
    if (out.size() < need) {
        std::fprintf(stderr, "datasheet: %s holds %zu bytes, needs %zu\n", path.c_str(), out.size(), need);
        return false;
    }
    return true;
}

bool pixel(const bytes& v, int frame, int x, int y)
{
    return (v[static_cast<std::size_t>(frame) * frame_bytes + 40 * y + x / 8] >> (x % 8)) & 1;
}

// Copies a w x h grey block into a sheet of width sw at (x0, y0).
void blit(bytes& sheet, int sw, int x0, int y0, const bytes& block, int w, int h)
{
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            sheet[static_cast<std::size_t>(y0 + y) * sw + x0 + x] = block[static_cast<std::size_t>(y) * w + x];
}

bool video_sheets(const std::filesystem::path& in, const std::filesystem::path& out, const video& vd)
{
    bytes v;
    if (!read_file(in / (std::string(vd.name) + ".raw"), static_cast<std::size_t>(vd.frames) * frame_bytes, v))
        return false;
    // All frames, each 2 x 2 pixels averaged into one grey.
    const int cols = 8, rows = (vd.frames + cols - 1) / cols, fw = 160, fh = 96;
    const int sw = cols * (fw + gap) + gap, sh = rows * (fh + gap) + gap;
    bytes sheet(static_cast<std::size_t>(sw) * sh, gap_grey), small(fw * fh);
    for (int f = 0; f < vd.frames; f++) {
        for (int y = 0; y < fh; y++)
            for (int x = 0; x < fw; x++) {
                int n = pixel(v, f, 2 * x, 2 * y) + pixel(v, f, 2 * x + 1, 2 * y) + pixel(v, f, 2 * x, 2 * y + 1) +
                        pixel(v, f, 2 * x + 1, 2 * y + 1);
                small[y * fw + x] = static_cast<std::uint8_t>(n * 255 / 4);
            }
        blit(sheet, sw, gap + (f % cols) * (fw + gap), gap + (f / cols) * (fh + gap), small, fw, fh);
    }
    bool ok = write_grey_png((out / (std::string(vd.name) + ".png")).string(), sw, sh, sheet);
    // Four frames a third apart at full size, two by two, to judge the dithering.
    const int keys[4] = {0, vd.frames / 3, 2 * vd.frames / 3, vd.frames - 1};
    const int kw = 2 * (320 + gap) + gap, kh = 2 * (shown_rows + gap) + gap;
    bytes ks(static_cast<std::size_t>(kw) * kh, gap_grey), full(320 * shown_rows);
    for (int k = 0; k < 4; k++) {
        for (int y = 0; y < shown_rows; y++)
            for (int x = 0; x < 320; x++)
                full[y * 320 + x] = pixel(v, keys[k], x, y) ? 255 : 0;
        blit(ks, kw, gap + (k % 2) * (320 + gap), gap + (k / 2) * (shown_rows + gap), full, 320, shown_rows);
    }
    return write_grey_png((out / (std::string(vd.name) + "_keys.png")).string(), kw, kh, ks) && ok;
}

// An 8-bit picture as it is stored, and optionally again under the steep ramp
// (indices to 120 black, 121..135 greys in steps of 16, 136 and up white).
bool picture_sheet(const std::filesystem::path& in, const std::filesystem::path& out, const char* name, int w,
                   int h, int stride, bool steep_too)
{
    bytes p;
    if (!read_file(in / (std::string(name) + ".raw"), static_cast<std::size_t>(stride) * h, p))
        return false;
    const int sh = steep_too ? 2 * h + 3 * gap : h + 2 * gap, sw = w + 2 * gap;
    bytes sheet(static_cast<std::size_t>(sw) * sh, gap_grey), block(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            block[y * w + x] = p[static_cast<std::size_t>(y) * stride + x];
    blit(sheet, sw, gap, gap, block, w, h);
    if (steep_too) {
        for (std::uint8_t& b : block)
            b = b <= 120 ? 0 : (b >= 136 ? 255 : static_cast<std::uint8_t>(16 * (b - 120)));
        blit(sheet, sw, gap, 2 * gap + h, block, w, h);
    }
    return write_grey_png((out / (std::string(name) + ".png")).string(), sw, sh, sheet);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: datasheet DATA_DIR OUT_DIR\n");
        return 2;
    }
    std::filesystem::path in = argv[1], out = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::fprintf(stderr, "datasheet: cannot create %s: %s\n", argv[2], ec.message().c_str());
        return 1;
    }
    bool ok = true;
    for (const video& vd : videos)
        ok = video_sheets(in, out, vd) && ok;
    ok = picture_sheet(in, out, "ratas", 256, 256, 256, false) && ok;
    ok = picture_sheet(in, out, "kooste", 448, 47, 448, true) && ok;
    ok = picture_sheet(in, out, "quendal", 320, 192, 320, false) && ok;
    return ok ? 0 : 1;
}
