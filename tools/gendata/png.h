// Writes 8-bit grey PNG pictures for review sheets (not part of the data files).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes a width x height grey picture, one byte a pixel, row after row; false on error.
bool write_grey_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& pixels);
