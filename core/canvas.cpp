// Canvases buf and buf2, the palette lockup and the presentation that draws a canvas
// doubled onto the video surface. Owns the canvases and the palette; main thread only.
#include "core/canvas.h"

#include <cstring>

std::uint8_t buf[CANVAS_BYTES];
std::uint8_t buf2[CANVAS_BYTES];
std::uint8_t* displaybuf = buf;
std::uint32_t lockup[256];

void burnpalette(std::int32_t step, std::int32_t offset)
{
    for (std::int32_t i = 0; i < 256; i++) {
        std::int32_t v = i * step - offset;
        if (v > 255)
            v = 255;
        if (v < 0)
            v = 0;
        lockup[i] = static_cast<std::uint32_t>(v) * 0x010101u;
    }
}

void present_pixels(void* pixels, int pitch)
{
    auto* line = static_cast<std::uint8_t*>(pixels) + SCREEN_BAND * pitch;
    const std::uint8_t* src = displaybuf;
    for (int y = 0; y < CANVAS_SHOWN_H; y++, src += CANVAS_W, line += 2 * pitch) {
        auto* top = reinterpret_cast<std::uint32_t*>(line);
        auto* half = reinterpret_cast<std::uint32_t*>(line + pitch);
        for (int x = 0; x < CANVAS_W; x++) {
            std::uint32_t c = lockup[src[x]];
            top[2 * x] = c;
            top[2 * x + 1] = c;
        }
        // The half-bright line comes from the line just written: one shift and one AND.
        for (int x = 0; x < CANVAS_W; x++) {
            std::uint32_t h = (top[2 * x] >> 1) & 0x7F7F7Fu;
            half[2 * x] = h;
            half[2 * x + 1] = h;
        }
    }
}

void present_canvas(SDL_Surface* screen)
{
    SDL_LockSurface(screen);
    present_pixels(screen->pixels, screen->pitch);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}
