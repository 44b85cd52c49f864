// The data generator's pieces: each returns the bytes of one data file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<std::uint8_t>;

bytes gen_module();                                   // tehas2.mod
bytes gen_video(const std::string& name, int frames); // 8000 bytes a frame
bytes gen_ratas();                                    // 256 x 256 gear texture
bytes gen_kooste();                                   // 448 x 47 tile strip
bytes gen_quendal();                                  // 320 x 192 final picture
