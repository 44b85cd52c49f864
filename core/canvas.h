// Canvases, the grey palette and presentation on the 640 x 480 x 32-bit surface.
#pragma once
#include <SDL/SDL.h>
#include <cstdint>

constexpr int CANVAS_W = 320;
constexpr int CANVAS_SHOWN_H = 192;
constexpr int CANVAS_ROWS = 256;                          // storage rows; 192..255 are never shown
constexpr int CANVAS_SHOWN_BYTES = CANVAS_W * CANVAS_SHOWN_H;  // 61440
constexpr int CANVAS_BYTES = CANVAS_W * CANVAS_ROWS;           // 81920
constexpr int SCREEN_W = 640;
constexpr int SCREEN_H = 480;
constexpr int SCREEN_BAND = 48;                           // black lines above and below the picture

extern std::uint8_t buf[CANVAS_BYTES];
extern std::uint8_t buf2[CANVAS_BYTES];
extern std::uint8_t* displaybuf;      // the canvas the next presentation shows
extern std::uint32_t lockup[256];     // palette: 0x00RRGGBB greys

// Rebuilds lockup with entry i = clamp(i * step - offset, 0, 255) as a grey.
void burnpalette(std::int32_t step, std::int32_t offset);

// Writes displaybuf through lockup into pixel memory whose lines are pitch bytes apart:
// doubled pixels on lines 48 + 2y, half-bright copies on the lines below them.
void present_pixels(void* pixels, int pitch);

// Locks, presents displaybuf onto the surface, unlocks and flips.
void present_canvas(SDL_Surface* screen);
