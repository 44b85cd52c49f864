// The generated soundtrack data/tehas2.mod, read as bytes: its layout, the cells and samples
// it uses, the loops, and the walk of its rows from position 0 to the demo's end at 2548.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using bytes = std::vector<std::uint8_t>;

constexpr int CHANNELS = 8;
constexpr int END_POSITION = 2548;   // order 25, row 48: the demo quits here

bytes read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(f), {});
}

struct sample_header { std::size_t length, loop_start, loop_length; int volume; std::size_t offset; };

struct song {
    bytes b;
    int song_length = 0;
    int max_pattern = 0;
    std::vector<sample_header> samples;   // index 0 = sample 1
    std::size_t word(std::size_t at) const { return static_cast<std::size_t>(b[at] << 8 | b[at + 1]); }
    const std::uint8_t* cell(int pattern, int row, int ch) const
    {
        return &b[1084 + (static_cast<std::size_t>(pattern) * 64 + row) * CHANNELS * 4 + ch * 4u];
    }
    static int sample_of(const std::uint8_t* c) { return (c[0] & 0xF0) | (c[2] >> 4); }
    static int period_of(const std::uint8_t* c) { return (c[0] & 0x0F) << 8 | c[1]; }
};

class Song : public ::testing::Test {
protected:
    static song s;
    static void SetUpTestSuite()
    {
        s.b = read_file(std::string(DEMO_BINARY_DIR) + "/data/tehas2.mod");
        ASSERT_GT(s.b.size(), 1084u);
        s.song_length = s.b[950];
        for (int i = 0; i < 128; i++)
            s.max_pattern = std::max<int>(s.max_pattern, s.b[952 + i]);
        std::size_t offset = 1084 + static_cast<std::size_t>(s.max_pattern + 1) * CHANNELS * 256;
        for (int i = 0; i < 31; i++) {
            std::size_t h = 20 + 30 * static_cast<std::size_t>(i);
            sample_header sh{2 * s.word(h + 22), 2 * s.word(h + 26), 2 * s.word(h + 28), s.b[h + 25], offset};
            offset += sh.length;
            s.samples.push_back(sh);
        }
    }
};
song Song::s;

TEST_F(Song, HeaderAndLayout)
{
    EXPECT_EQ(std::string(s.b.begin() + 1080, s.b.begin() + 1084), "8CHN");
    EXPECT_EQ(s.song_length, 26);
    EXPECT_EQ(s.b[951], 0);   // restart position
    for (int i = 0; i < s.song_length; i++)
        EXPECT_EQ(s.b[952 + i], i) << "order " << i;
    const sample_header& last = s.samples.back();
    EXPECT_EQ(s.b.size(), last.offset + last.length);
    int used = 0;
    for (const sample_header& h : s.samples) {
        if (h.length == 0)
            continue;
        used++;
        EXPECT_LE(h.volume, 64);
        EXPECT_TRUE(std::any_of(s.b.begin() + static_cast<std::ptrdiff_t>(h.offset),
                                s.b.begin() + static_cast<std::ptrdiff_t>(h.offset + h.length),
                                [](std::uint8_t v) { return v != 0; }))
            << "sample at " << h.offset << " is silent";
        EXPECT_EQ(s.b[h.offset], 0) << "a finished sample rests on its first byte, which must be silence";
        if (h.loop_length > 2) {   // the mixer reads the byte at the loop end, so it must be inside
            EXPECT_LT(h.loop_start + h.loop_length, h.length);
        }
    }
    EXPECT_GE(used, 9);   // kick, snare, hats, crash, bass, lead, chords and more
}

TEST_F(Song, CellsUseExistingSamplesAndNotesOfTheScale)
{
    static const std::set<int> scale = {
        856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
        428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
        214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
    for (int p = 0; p <= s.max_pattern; p++)
        for (int r = 0; r < 64; r++)
            for (int ch = 0; ch < CHANNELS; ch++) {
                const std::uint8_t* c = s.cell(p, r, ch);
                int smp = song::sample_of(c), period = song::period_of(c);
                ASSERT_LE(smp, 31);
                if (smp) {
                    EXPECT_GT(s.samples[smp - 1].length, 0u) << "pattern " << p << " row " << r;
                }
                if (period) {
                    EXPECT_TRUE(scale.count(period)) << "period " << period << " pattern " << p << " row " << r;
                    EXPECT_NE(smp, 0) << "every note names its instrument, pattern " << p << " row " << r;
                }
            }
}

// The mixer plays a loop from loop start + 1 through loop start + length and then returns to
// loop start + 1; the step across that seam must be no larger than the steps inside the loop.
TEST_F(Song, LoopsHaveNoClick)
{
    for (const sample_header& h : s.samples) {
        if (h.loop_length <= 2)
            continue;
        auto at = [&](std::size_t i) { return static_cast<int>(static_cast<std::int8_t>(s.b[h.offset + i])); };
        int largest = 0;
        for (std::size_t i = h.loop_start + 1; i < h.loop_start + h.loop_length; i++)
            largest = std::max(largest, std::abs(at(i + 1) - at(i)));
        int seam = std::abs(at(h.loop_start + 1) - at(h.loop_start + h.loop_length));
        EXPECT_LE(seam, largest);
        EXPECT_LE(std::abs(at(h.loop_start)), 12) << "a loop starts near a zero crossing";
    }
}

// Walks the rows as the replay routine sequences them: speed (F), pattern delay (EE), position
// jump (B) and pattern break (D); pattern loops (E6) and speed 0 are not used by the song.
TEST_F(Song, ReachesTheEndInOrderAfterTheTicksItsSpeedsGive)
{
    int pos = 0, row = 0, speed = 6;
    long ticks = 0;   // ticks played before the current row starts
    std::set<int> visited;
    int steps = 0;
    while (pos * 100 + row != END_POSITION) {
        ASSERT_LT(++steps, 26 * 64) << "the song loops before reaching the end";
        visited.insert(pos * 100 + row);
        int pattern = s.b[952 + pos];
        int delay = 0, next_pos = pos, next_row = row + 1;
        bool jumped = false;
        for (int ch = 0; ch < CHANNELS; ch++) {
            const std::uint8_t* c = s.cell(pattern, row, ch);
            int cmd = c[2] & 15, p = c[3];
            if (cmd == 0xF) {
                ASSERT_NE(p, 0) << "speed 0 would freeze the song";
                if (p <= 31)
                    speed = p;
            } else if (cmd == 0xE) {
                ASSERT_NE(p >> 4, 6) << "pattern loops are not expected";
                if (p >> 4 == 0xE)
                    delay = std::max(delay, p & 15);
            } else if (cmd == 0xB) {
                next_pos = p - 1;
                next_row = 64;
                jumped = true;
            } else if (cmd == 0xD) {
                next_row = 64 + (p >> 4) * 10 + (p & 15);
                jumped = true;
            }
        }
        ticks += static_cast<long>(speed) * (1 + delay);
        if (next_row >= 64) {
            int to = next_pos + 1;
            ASSERT_GT(to, pos) << "position " << pos * 100 + row << " jumps back";
            ASSERT_LT(to, s.song_length) << "the song restarts before the end";
            pos = to;
            row = jumped ? next_row - 64 : 0;
        } else {
            row = next_row;
        }
    }
    // 25 patterns and 48 rows at speed 6; the build into 600 holds its last row for one more
    // row (EE1), and the fill before 2000 runs four rows at speed 3.
    EXPECT_EQ(ticks, (25 * 64 + 48) * 6 + 6 - 4 * 3);
    for (int mark : {200, 348, 400, 416, 432, 516, 532, 548, 600, 700, 800, 1001, 1148, 1200, 1348, 1400,
                     1416, 1600, 1648, 1801, 2000, 2032, 2200, 2400, 2547})
        EXPECT_TRUE(visited.count(mark)) << "position " << mark << " is skipped";
}

// In the sparse passage the music moves only on the rows where the picture moves.
TEST_F(Song, SparsePassageStartsNotesOnlyOnItsRows)
{
    auto plays = [](int order, int row) {
        if (order == 14)
            return row >= 16 && row <= 39;
        return row % 16 < 8;
    };
    for (int order : {14, 15})
        for (int r = 0; r < 64; r++)
            for (int ch = 0; ch < CHANNELS; ch++)
                if (song::period_of(s.cell(s.b[952 + order], r, ch)) && !plays(order, r))
                    ADD_FAILURE() << "a note starts at order " << order << " row " << r << " channel " << ch;
}

// Rendered by the demo's own player (modrender), the mix stays clean: under 0.1 % of the
// samples pinned at the 16-bit limits, and no second of the demo's part of the song silent.
TEST_F(Song, RenderedMixIsCleanAndNeverSilent)
{
    std::string modrender = std::string(DEMO_BINARY_DIR) + "/modrender";
    if (!std::filesystem::exists(modrender))
        GTEST_SKIP() << "modrender is not built";
    std::string wav = std::string(DEMO_BINARY_DIR) + "/test_song_render.wav";
    std::string cmd = modrender + " " + DEMO_BINARY_DIR + "/data/tehas2.mod " + wav;
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    bytes w = read_file(wav);
    std::remove(wav.c_str());
    ASSERT_GT(w.size(), 44u);
    std::size_t n = (w.size() - 44) / 2, clipped = 0;
    auto sample = [&](std::size_t i) { return static_cast<std::int16_t>(w[44 + 2 * i] | w[45 + 2 * i] << 8); };
    for (std::size_t i = 0; i < n; i++)
        clipped += sample(i) == 32767 || sample(i) == -32768;
    EXPECT_LT(static_cast<double>(clipped) / static_cast<double>(n), 0.001) << clipped << " of " << n;
    constexpr std::size_t SECOND = 44100;
    const std::size_t end = static_cast<std::size_t>(197.6 * SECOND);   // position 2548
    ASSERT_GE(n, end);
    for (std::size_t s0 = 0; s0 + SECOND <= end; s0 += SECOND / 2) {
        double sum = 0;
        for (std::size_t i = s0; i < s0 + SECOND; i++)
            sum += static_cast<double>(sample(i)) * sample(i);
        EXPECT_GT(std::sqrt(sum / SECOND), 150.0) << "silence at " << s0 / SECOND << " s";
    }
}

}  // namespace
