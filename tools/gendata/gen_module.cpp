// A small valid 4-channel module: 27 order positions over one pattern, a looping sine
// on channel 0 every 16 rows.
#include "tools/gendata/gendata.h"

#include <cmath>
#include <cstring>

namespace {
void put_word(bytes& b, std::size_t at, unsigned w)
{
    b[at] = static_cast<std::uint8_t>(w >> 8);
    b[at + 1] = static_cast<std::uint8_t>(w);
}
}  // namespace

bytes gen_module()
{
    constexpr int SAMPLE_LEN = 32;
    bytes m(1084 + 1024 + SAMPLE_LEN, 0);
    std::memcpy(m.data(), "test pattern", 12);
    put_word(m, 20 + 22, SAMPLE_LEN / 2);   // sample 1: length in words
    m[20 + 25] = 48;                        // volume
    put_word(m, 20 + 26, 0);                // loop start
    put_word(m, 20 + 28, SAMPLE_LEN / 2);   // loop length
    m[950] = 27;
    m[951] = 0;
    std::memcpy(&m[1080], "M.K.", 4);
    for (int row = 0; row < 64; row += 16) {
        std::size_t cell = 1084 + static_cast<std::size_t>(row) * 16;
        unsigned period = 428;
        m[cell] = static_cast<std::uint8_t>(period >> 8);
        m[cell + 1] = static_cast<std::uint8_t>(period);
        m[cell + 2] = 0x10;   // sample 1
    }
    for (int i = 0; i < SAMPLE_LEN; i++)
        m[1084 + 1024 + i] = static_cast<std::uint8_t>(static_cast<std::int8_t>(
            std::lround(100 * std::sin(2 * M_PI * i / SAMPLE_LEN))));
    return m;
}
