// Palette ramps and presentation on an in-memory 640 x 480 surface.
#include "core/canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <vector>

namespace {

struct ramp_case { std::int32_t step, offset; int index; std::uint32_t grey; };
std::ostream& operator<<(std::ostream& o, const ramp_case& c)
{
    return o << "step " << c.step << " offset " << c.offset << " index " << c.index;
}

class Palette : public ::testing::TestWithParam<ramp_case> {};

TEST_P(Palette, EntryIsClampedGrey)
{
    const ramp_case& c = GetParam();
    burnpalette(c.step, c.offset);
    EXPECT_EQ(lockup[c.index], c.grey * 0x010101u);
}

INSTANTIATE_TEST_SUITE_P(Ramps, Palette, ::testing::Values(
    ramp_case{1, 0, 0, 0}, ramp_case{1, 0, 255, 255}, ramp_case{1, 0, 127, 127},
    ramp_case{16, 1920, 0, 0}, ramp_case{16, 1920, 255, 255}, ramp_case{16, 1920, 120, 0},
    ramp_case{16, 1920, 121, 16}, ramp_case{16, 1920, 135, 240}, ramp_case{16, 1920, 136, 255}));

// A surface in memory, with a pitch wider than the picture to show that lines are
// placed by pitch.
struct Screen : ::testing::Test {
    static constexpr int pitch = 2560 + 64;
    std::vector<std::uint8_t> mem = std::vector<std::uint8_t>(static_cast<std::size_t>(pitch) * SCREEN_H, 0xAB);
    std::uint32_t px(int x, int y) const
    {
        std::uint32_t v;
        std::memcpy(&v, &mem[static_cast<std::size_t>(y) * pitch + 4u * x], 4);
        return v;
    }
    void SetUp() override
    {
        for (int y = 0; y < SCREEN_H; y++)   // start-up clears the picture area
            std::memset(&mem[static_cast<std::size_t>(y) * pitch], 0, 2560);
        std::memset(buf, 0, sizeof buf);
        displaybuf = buf;
        burnpalette(1, 0);
    }
};

TEST_F(Screen, DoubledPixelsHalfBrightLinesAndBlackBands)
{
    buf[0] = 255;                    // top-left pixel white
    buf[320 * 191 + 319] = 100;      // bottom-right grey
    std::memset(buf + CANVAS_SHOWN_BYTES, 255, CANVAS_BYTES - CANVAS_SHOWN_BYTES);  // hidden rows
    present_pixels(mem.data(), pitch);

    EXPECT_EQ(px(0, 48), 0xFFFFFFu);
    EXPECT_EQ(px(1, 48), 0xFFFFFFu);
    EXPECT_EQ(px(0, 49), 0x7F7F7Fu);
    EXPECT_EQ(px(1, 49), 0x7F7F7Fu);
    EXPECT_EQ(px(2, 48), 0u);
    EXPECT_EQ(px(638, 430), 0x646464u);
    EXPECT_EQ(px(639, 431), 0x323232u);
    for (int y : {0, 47, 432, 479})
        for (int x : {0, 1, 320, 639})
            EXPECT_EQ(px(x, y), 0u) << x << "," << y;
    // Bytes past the 640 pixels of each line belong to the pitch and stay untouched.
    EXPECT_EQ(mem[48u * pitch + 2560], 0xAB);
}

TEST_F(Screen, SteepRampAndRepeatedPresentation)
{
    burnpalette(16, 1920);
    for (int x = 0; x < 320; x++)
        buf[x] = static_cast<std::uint8_t>(x < 256 ? x : 255);
    present_pixels(mem.data(), pitch);
    std::vector<std::uint8_t> first = mem;
    present_pixels(mem.data(), pitch);
    EXPECT_EQ(mem, first);
    EXPECT_EQ(px(2 * 120, 48), 0u);
    EXPECT_EQ(px(2 * 121, 48), 0x101010u);
    EXPECT_EQ(px(2 * 135, 48), 0xF0F0F0u);
    EXPECT_EQ(px(2 * 136, 48), 0xFFFFFFu);
    EXPECT_EQ(px(2 * 121, 49), 0x080808u);
}

TEST_F(Screen, AllBlackCanvasGivesBlackScreen)
{
    present_pixels(mem.data(), pitch);
    for (int y = 0; y < SCREEN_H; y++)
        for (int x = 0; x < SCREEN_W; x++)
            ASSERT_EQ(px(x, y), 0u);
}

}  // namespace
