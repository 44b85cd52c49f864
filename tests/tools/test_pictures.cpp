// The generated pictures: the gear texture, the tile strip, the final picture in build/data,
// and the glyph picture kirjaimet2 compiled into the program.
#include "effects/kirjaimet2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> read_data(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct picture_case { const char* name; std::size_t size; };

void PrintTo(const picture_case& c, std::ostream* os) { *os << c.name; }

class PictureFile : public ::testing::TestWithParam<picture_case> {};

// That a second generator run writes the same bytes is checked for all files at once.
TEST_P(PictureFile, HasItsLayoutsSize)
{
    const picture_case& c = GetParam();
    EXPECT_EQ(read_data(std::string("data/") + c.name).size(), c.size);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFile, ::testing::Values(
    picture_case{"ratas.raw", 65536}, picture_case{"kooste.raw", 448 * 47},
    picture_case{"quendal.raw", 320 * 192}),
    [](const ::testing::TestParamInfo<picture_case>& info) {
        std::string n = info.param.name;
        return n.substr(0, n.find('.'));
    });

TEST(Gear, TransparentOutsideItsDiscAndOrSafe)
{
    std::vector<unsigned char> t = read_data("data/ratas.raw");
    ASSERT_EQ(t.size(), 65536u);
    int inked = 0;
    for (int v = 0; v < 256; v++)
        for (int u = 0; u < 256; u++) {
            unsigned char p = t[u + 256 * v];
            int d2 = (u - 128) * (u - 128) + (v - 128) * (v - 128);
            if (d2 > 127 * 127) {
                EXPECT_EQ(p, 0) << "at " << u << ", " << v;
            }
            // bit 7 stays clear, so the OR of two gears never exceeds 127
            EXPECT_LT(p, 128) << "at " << u << ", " << v;
            inked += p != 0;
        }
    EXPECT_EQ(t[128 + 256 * 128], 0) << "the axle hole is see-through";
    EXPECT_GT(inked, 65536 / 4);
    EXPECT_LT(inked, 65536 * 3 / 5);
}

TEST(Tiles, ReadInBlackAndWhiteUnderTheSteepRamp)
{
    std::vector<unsigned char> k = read_data("data/kooste.raw");
    ASSERT_EQ(k.size(), 448u * 47);
    for (int tile = 0; tile < 7; tile++) {
        int white = 0, grey = 0;
        for (int y = 0; y < 47; y++)
            for (int x = 64 * tile; x < 64 * tile + 64; x++) {
                unsigned char p = k[448 * y + x];
                bool steep_grey = p >= 121 && p <= 135;
                EXPECT_TRUE(p == 0 || p == 255 || steep_grey) << int(p);
                white += p == 255;
                grey += steep_grey;
            }
        EXPECT_GT(white, 64 * 47 / 8) << "tile " << tile;
        EXPECT_LT(white, 64 * 47 * 7 / 8) << "tile " << tile;
        EXPECT_LT(grey, 64 * 47 / 5) << "tile " << tile << " has only antialiased edges in grey";
    }
}

TEST(FinalPicture, UsesTheGreyRange)
{
    std::vector<unsigned char> q = read_data("data/quendal.raw");
    ASSERT_EQ(q.size(), 320u * 192);
    std::set<unsigned char> levels(q.begin(), q.end());
    EXPECT_EQ(*levels.begin(), 0);
    EXPECT_GE(*levels.rbegin(), 250);
    EXPECT_GT(levels.size(), 150u);
}

TEST(GlyphPicture, RecordFieldsAndGreyPixels)
{
    EXPECT_EQ(kirjaimet2.width, 256u);
    EXPECT_EQ(kirjaimet2.height, 25u);
    EXPECT_EQ(kirjaimet2.bytes_per_pixel, 3u);
    ASSERT_EQ(sizeof kirjaimet2.pixel_data, 19201u);
    EXPECT_EQ(kirjaimet2.pixel_data[19200], 0);
    for (int i = 0; i < 256 * 25; i++) {
        const std::uint8_t* p = kirjaimet2.pixel_data + 3 * i;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << "pixel " << i;
    }
}

TEST(GlyphPicture, EachGlyphIsBrightStrokesWithSmoothEdgesOnBlack)
{
    for (int g = 0; g < 8; g++) {
        int bright = 0, edge = 0;
        for (int y = 0; y < 24; y++)
            for (int x = 0; x < 32; x++) {
                int r = kirjaimet2.pixel_data[3 * (32 * g + x + 256 * y)];
                bright += r >= 240;
                edge += r > 16 && r < 240;
                if (y == 0 || x == 0 || x == 31) {
                    EXPECT_LT(r, 16) << "glyph " << g << " touches its cell's border";
                }
            }
        EXPECT_GT(bright, 32 * 24 / 8) << "glyph " << g;
        EXPECT_LT(bright, 32 * 24 * 2 / 3) << "glyph " << g;
        EXPECT_GT(edge, 20) << "glyph " << g;
    }
}

}  // namespace
