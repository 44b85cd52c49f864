// Test pictures: numbered video frames.
#include "tools/gendata/gendata.h"

bytes gen_video(const std::string&, int frames)
{
    bytes v(8000u * static_cast<unsigned>(frames), 0);
    for (int f = 0; f < frames; f++)
        for (int y = 0; y < 192; y++)
            for (int x = 0; x < 320; x++)
                if (((x / 8) + (y / 8) + f) % 2 == 0)
                    v[8000u * f + 40u * y + x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));
    return v;
}
