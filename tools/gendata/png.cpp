// Grey PNG writing through libpng, for the generator's review sheets.
#include "tools/gendata/png.h"

#include <png.h>

#include <cstdio>

bool write_grey_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels)
{
    if (pixels.size() < static_cast<std::size_t>(width) * height)
        return false;
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(width);
    img.height = static_cast<png_uint_32>(height);
    img.format = PNG_FORMAT_GRAY;
    if (!png_image_write_to_file(&img, path.c_str(), 0, pixels.data(), width, nullptr)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), img.message);
        return false;
    }
    return true;
}
