// Text set in a real font through FreeType, as grey coverage masks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A grey coverage picture: 0 empty, 255 fully covered, row after row.
struct mask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// Full path of a font file of the DejaVu family (Debian package fonts-dejavu-core).
std::string font_path(const std::string& file);

// Sets text (UTF-8) on one line at the given pixel size, antialiased, with kerning; the
// strokes are thickened by embolden pixels. The mask is cropped to the inked box. Exits
// with a message if the font cannot be read.
mask render_text(const std::string& font_file, int pixel_size, const std::string& text,
                 double embolden = 0);
