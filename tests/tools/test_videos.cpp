// The generated 1-bit animations: size, ink coverage of every frame, motion between
// neighbouring frames, and that the generator writes the same bytes on every run.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<std::uint8_t>;

constexpr std::size_t frame_bytes = 8000;
constexpr std::size_t shown_bytes = 192 * 40; // rows 192..199 are never shown
constexpr int shown_pixels = 320 * 192;

struct video { const char* name; int frames; };

bytes read_file(const std::filesystem::path& path)
{
    std::ifstream f(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::filesystem::path data_dir() { return std::filesystem::path(DEMO_BINARY_DIR) / "data"; }

int white_pixels(const std::uint8_t* frame)
{
    int n = 0;
    for (std::size_t i = 0; i < shown_bytes; i++)
        n += std::popcount(frame[i]);
    return n;
}

int changed_pixels(const std::uint8_t* a, const std::uint8_t* b)
{
    int n = 0;
    for (std::size_t i = 0; i < shown_bytes; i++)
        n += std::popcount(static_cast<std::uint8_t>(a[i] ^ b[i]));
    return n;
}

class Video : public ::testing::TestWithParam<video> {};

TEST_P(Video, HasEightThousandBytesAFrame)
{
    const video& v = GetParam();
    EXPECT_EQ(read_file(data_dir() / (std::string(v.name) + ".raw")).size(), frame_bytes * v.frames);
}

// Every frame shows a subject on a dark ground: neither empty nor flooded with white.
TEST_P(Video, EveryFrameIsPartlyLit)
{
    const video& v = GetParam();
    bytes d = read_file(data_dir() / (std::string(v.name) + ".raw"));
    ASSERT_EQ(d.size(), frame_bytes * v.frames);
    for (int f = 0; f < v.frames; f++) {
        int lit = white_pixels(d.data() + frame_bytes * f);
        EXPECT_GT(lit, shown_pixels / 50) << v.name << " frame " << f;
        EXPECT_LT(lit, shown_pixels * 3 / 4) << v.name << " frame " << f;
    }
}

// The player turns at both ends, so the motion slows there, but no frame repeats its
// neighbour; and no step is a jump that changes most of the picture.
TEST_P(Video, NeighbouringFramesDifferButNotWholly)
{
    const video& v = GetParam();
    bytes d = read_file(data_dir() / (std::string(v.name) + ".raw"));
    ASSERT_EQ(d.size(), frame_bytes * v.frames);
    for (int f = 1; f < v.frames; f++) {
        int changed = changed_pixels(d.data() + frame_bytes * (f - 1), d.data() + frame_bytes * f);
        EXPECT_GT(changed, 30) << v.name << " frames " << f - 1 << " and " << f;
        EXPECT_LT(changed, shown_pixels / 4) << v.name << " frames " << f - 1 << " and " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(All, Video, ::testing::Values(
    video{"dd", 80}, video{"na_eka", 40}, video{"na_toka", 40}, video{"onnettomuus", 80},
    video{"paa", 40}, video{"siunaus", 40}, video{"ukko", 40}),
    [](const ::testing::TestParamInfo<video>& i) { return std::string(i.param.name); });

}  // namespace
