// genglyphs OUT.cpp [SHEET.png]: renders the glyph picture kirjaimet2 (seven characters of
// DejaVu Sans Bold and one drawn mark) and writes it as a C++ source of demolib; the sheet
// is an optional enlarged PNG for review. Runs once at build time; keeps no state.
#include "tools/gendata/font.h"
#include "tools/gendata/png.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int glyph_w = 32, glyph_h = 24, width = 256, height = 25;
constexpr int sub = 8;  // subsamples a pixel side, for smooth grey edges

// Height that every character is scaled to, and the point it is centred on: column 16 is
// the middle of the screen when the glyph is shown one to one.
constexpr double ink_h = 22, ink_w = 30, centre_x = 16, centre_y = 12;

// Scales a character's inked box to ink_h rows (or ink_w columns if it is wider) and
// samples it into the glyph's cell, widened by the factor stretch.
void draw_character(std::vector<double>& pic, int g, const mask& m, double stretch)
{
    double k = std::min(ink_w / (m.width * stretch), ink_h / m.height);
    double kx = k * stretch;
    double ox = centre_x - m.width * kx / 2, oy = centre_y - m.height * k / 2;
    for (int y = 0; y < glyph_h; y++)
        for (int x = 0; x < glyph_w; x++) {
            int sum = 0;
            for (int j = 0; j < sub; j++)
                for (int i = 0; i < sub; i++) {
                    int mx = static_cast<int>(std::floor((x + (i + 0.5) / sub - ox) / kx));
                    int my = static_cast<int>(std::floor((y + (j + 0.5) / sub - oy) / k));
                    if (mx >= 0 && mx < m.width && my >= 0 && my < m.height)
                        sum += m.pixels[static_cast<std::size_t>(my) * m.width + mx];
                }
            pic[static_cast<std::size_t>(y) * width + glyph_w * g + x] = sum / (255.0 * sub * sub);
        }
}

double capsule(double px, double py, double ax, double ay, double bx, double by, double r)
{
    double dx = bx - ax, dy = by - ay;
    double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - ax - dx * t, py - ay - dy * t) - r;
}

// The decorative mark: two heavy round-ended strokes crossing as an X.
void draw_mark(std::vector<double>& pic, int g)
{
    for (int y = 0; y < glyph_h; y++)
        for (int x = 0; x < glyph_w; x++) {
            int inside = 0;
            for (int j = 0; j < sub; j++)
                for (int i = 0; i < sub; i++) {
                    double px = x + (i + 0.5) / sub - centre_x, py = y + (j + 0.5) / sub - centre_y;
                    double d = std::min(capsule(px, py, -7.5, -7.5, 7.5, 7.5, 3.5),
                                        capsule(px, py, -7.5, 7.5, 7.5, -7.5, 3.5));
                    inside += d < 0;
                }
            pic[static_cast<std::size_t>(y) * width + glyph_w * g + x] = inside / double(sub * sub);
        }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: genglyphs OUT.cpp [SHEET.png]\n");
        return 2;
    }
    std::vector<double> pic(static_cast<std::size_t>(width) * height, 0.0);
    const char* characters[] = {"$", "a", "e", "o", "n", "c", "s"};
    std::string font = font_path("DejaVuSans-Bold.ttf");
    for (int g = 0; g < 7; g++) {
        // the dollar sign is drawn heavier and wider: scaled into the letters' height its
        // strokes would be thinner than theirs
        if (g == 0)
            draw_character(pic, g, render_text(font, 200, characters[g], 16), 1.3);
        else
            draw_character(pic, g, render_text(font, 200, characters[g]), 1.0);
    }
    draw_mark(pic, 7);

    std::vector<std::uint8_t> grey(pic.size());
    for (std::size_t i = 0; i < pic.size(); i++)
        grey[i] = static_cast<std::uint8_t>(std::lround(std::clamp(pic[i], 0.0, 1.0) * 255));

    std::FILE* f = std::fopen(argv[1], "w");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(f, "// The glyph picture kirjaimet2, written by tools/glyphs/genglyphs from DejaVu Sans Bold.\n"
                    "// One line a pixel row; P(v) is one grey pixel.\n"
                    "#include \"effects/kirjaimet2.h\"\n\n"
                    "#define P(v) v, v, v\n\n"
                    "const glyph_picture kirjaimet2 = {%d, %d, 3, {\n", width, height);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++)
            std::fprintf(f, "P(%d),", grey[static_cast<std::size_t>(y) * width + x]);
        std::fputc('\n', f);
    }
    std::fprintf(f, "0}};\n");
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "genglyphs: cannot write %s\n", argv[1]);
        return 1;
    }

    if (argc == 3) {
        constexpr int zoom = 4;
        std::vector<std::uint8_t> sheet(static_cast<std::size_t>(width) * height * zoom * zoom);
        for (int y = 0; y < height * zoom; y++)
            for (int x = 0; x < width * zoom; x++)
                sheet[static_cast<std::size_t>(y) * width * zoom + x] =
                    grey[static_cast<std::size_t>(y / zoom) * width + x / zoom];
        if (!write_grey_png(argv[2], width * zoom, height * zoom, sheet))
            return 1;
    }
    return 0;
}
