// Sets lines of text through FreeType into coverage masks; unhinted outlines so that the
// result depends only on the font file. Owns no state between calls; runs on the generator's
// only thread.
#include "tools/gendata/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void font_failure(const std::string& path, const char* what)
{
    std::fprintf(stderr, "font %s: %s (install the Debian package fonts-dejavu-core)\n",
                 path.c_str(), what);
    std::exit(1);
}

// Decodes UTF-8 into code points; the texts are our own, so malformed input is not expected.
std::u32string decode_utf8(const std::string& s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < s.size(); k++)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += cp;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

struct placed { int x, y, w, h, pitch; std::vector<std::uint8_t> bits; };

}  // namespace

std::string font_path(const std::string& file)
{
    return std::string(DEMO_FONT_DIR) + "/" + file;
}

mask render_text(const std::string& font_file, int pixel_size, const std::string& text,
                 double embolden)
{
    FT_Library lib;
    if (FT_Init_FreeType(&lib))
        font_failure(font_file, "FreeType cannot start");
    FT_Face face;
    if (FT_New_Face(lib, font_file.c_str(), 0, &face))
        font_failure(font_file, "cannot be read");
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));

    std::vector<placed> glyphs;
    long pen = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    for (char32_t cp : decode_utf8(text)) {
        FT_UInt index = FT_Get_Char_Index(face, cp);
        if (index == 0)
            font_failure(font_file, "lacks a character of the text");
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector k;
            FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &k);
            pen += k.x;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING))
            font_failure(font_file, "glyph cannot be loaded");
        FT_GlyphSlot g = face->glyph;
        if (embolden > 0)
            FT_Outline_Embolden(&g->outline, static_cast<FT_Pos>(embolden * 64));
        if (FT_Render_Glyph(g, FT_RENDER_MODE_NORMAL))
            font_failure(font_file, "glyph cannot be rendered");
        placed p{static_cast<int>((pen + 32) >> 6) + g->bitmap_left, -g->bitmap_top,
                 static_cast<int>(g->bitmap.width), static_cast<int>(g->bitmap.rows),
                 g->bitmap.pitch, {}};
        p.bits.assign(g->bitmap.buffer, g->bitmap.buffer + static_cast<std::size_t>(p.pitch) * p.h);
        glyphs.push_back(std::move(p));
        pen += g->advance.x;
        previous = index;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);

    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    for (const placed& p : glyphs)
        if (p.w > 0 && p.h > 0) {
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x + p.w);
            y1 = std::max(y1, p.y + p.h);
        }
    mask m;
    if (x0 > x1)
        return m;
    m.width = x1 - x0;
    m.height = y1 - y0;
    m.pixels.assign(static_cast<std::size_t>(m.width) * m.height, 0);
    for (const placed& p : glyphs)
        for (int y = 0; y < p.h; y++)
            for (int x = 0; x < p.w; x++) {
                std::uint8_t& dst = m.pixels[static_cast<std::size_t>(p.y - y0 + y) * m.width + (p.x - x0 + x)];
                int sum = dst + p.bits[static_cast<std::size_t>(y) * p.pitch + x];
                dst = static_cast<std::uint8_t>(std::min(sum, 255));
            }
    return m;
}
