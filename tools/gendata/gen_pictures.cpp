// Test pictures: a plain gear disc, tile and final picture ramps.
#include "tools/gendata/gendata.h"

bytes gen_ratas()
{
    bytes t(65536, 0);
    for (int v = 0; v < 256; v++)
        for (int u = 0; u < 256; u++) {
            int dx = u - 128, dy = v - 128;
            int d2 = dx * dx + dy * dy;
            if (d2 < 120 * 120 && d2 > 30 * 30)
                t[u + 256 * v] = 200;
        }
    return t;
}

bytes gen_kooste()
{
    bytes k(448 * 47, 0);
    for (int y = 0; y < 47; y++)
        for (int x = 0; x < 448; x++)
            k[448 * y + x] = static_cast<std::uint8_t>(((x / 64) % 2) ? 255 : 0);
    return k;
}

bytes gen_quendal()
{
    bytes q(320 * 192, 0);
    for (int y = 0; y < 192; y++)
        for (int x = 0; x < 320; x++)
            q[320 * y + x] = static_cast<std::uint8_t>((x + y) * 255 / (320 + 192));
    return q;
}
