// The glyph picture of the balls and letters: eight bright glyphs of 32 x 24 on black, side
// by side ('$', a, e, o, n, c, s and a mark of crossing strokes), rendered at build time.
#pragma once
#include <cstdint>

struct glyph_picture {
    std::uint32_t width;           // pixels a row: 256
    std::uint32_t height;          // rows: 25, the last never read
    std::uint32_t bytes_per_pixel; // 3: R, G, B, all equal
    std::uint8_t pixel_data[256 * 25 * 3 + 1]; // rows top first, then one 0 byte
};

extern const glyph_picture kirjaimet2; // read through its R bytes only
