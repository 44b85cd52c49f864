// The replay routine stepped tick by tick on small modules built in memory, with a
// recording sound device: the calls a row sends, each effect's course and the song's
// movement through rows, patterns and order positions.
#include "tests/music/module_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace fixture;

namespace {

constexpr unsigned C3 = 428;   // note index 36
constexpr int C3_INDEX = 36;

// A four-channel song of two patterns with sample 1 (volume 40) and sample 2
// (volume 50, finetune 3).
module_file base_song()
{
    module_file m("M.K.", 4, 2);
    m.song({0, 1});
    m.sample(1, 64, 40);
    m.sample(2, 64, 50, 3);
    return m;
}

class Replay : public ::testing::Test {
protected:
    void SetUp() override { install_recording_device(); }
    // Loads m and returns the calls of the first tick (row 0 of position 0).
    std::vector<device_call> start(const module_file& m)
    {
        song = std::make_unique<loaded_module>(m);
        EXPECT_EQ(song->ok, 1);
        return tick();
    }
    // Periods sent on channel ch over the next n ticks, the last of each tick (-1: none).
    std::vector<std::int64_t> periods(int n, int ch = 0)
    {
        std::vector<std::int64_t> out;
        for (int i = 0; i < n; i++)
            out.push_back(last_of(tick(), ch, 'a'));
        return out;
    }
    std::vector<std::int64_t> volumes(int n, int ch = 0)
    {
        std::vector<std::int64_t> out;
        for (int i = 0; i < n; i++)
            out.push_back(last_of(tick(), ch, 'v'));
        return out;
    }
    std::int32_t position() { return pt_songpos.load() * 100 + pt_rowcount.load(); }
    std::unique_ptr<loaded_module> song;
};

TEST(ReplayIdle, DoesNothingBeforeAModuleIsLoaded)
{
    install_recording_device();
    module_file bad("????");
    loaded_module l(bad);
    EXPECT_TRUE(tick().empty());
}

TEST_F(Replay, PlainNoteSendsVolumePanningSamplePeriodOffset)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0, 0);
    m.cell(0, 0, 1, 2, C3, 0, 0);
    auto first = start(m);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(channel_calls(first, 0), (std::vector<device_call>{
                                           {'v', 40}, {'p', 112}, {'s', 1}, {'a', 428}, {'o', 0}}));
    // Channel 1 pans right and takes finetune 3's period for the same note.
    EXPECT_EQ(channel_calls(first, 1), (std::vector<device_call>{
                                           {'v', 50}, {'p', 144}, {'s', 2}, {'a', 419}, {'o', 0}}));
    std::vector<device_call> selects;
    for (const auto& c : first)
        if (c.op == 'c')
            selects.push_back(c);
    EXPECT_EQ(selects, (std::vector<device_call>{{'c', 0}, {'c', 1}, {'c', 2}, {'c', 3}}));
    // The other ticks of a row without effects send nothing but the selects.
    EXPECT_TRUE(channel_calls(tick(), 0).empty());
}

TEST_F(Replay, TonePortamentoHoldsTheNoteAndSlidesOnLaterTicks)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, 856, 0, 0);
    m.cell(0, 1, 0, 1, 428, 3, 0x80);
    m.cell(0, 2, 0, 0, 0, 3, 0x00);
    start(m);
    for (int i = 0; i < 5; i++)
        tick();
    auto row1 = tick();
    EXPECT_EQ(channel_calls(row1, 0), (std::vector<device_call>{{'v', 40}, {'p', 112}, {'s', 1}}));
    EXPECT_EQ(periods(5), (std::vector<std::int64_t>{728, 600, 472, 428, 428}));
    // 300 keeps the stored speed and the target.
    EXPECT_EQ(periods(2), (std::vector<std::int64_t>{-1, 428}));
}

TEST_F(Replay, GlissandoSendsTheNearestNoteAtOrBelowThePitchOnlyWithEffect3)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, 856, 0xE, 0x31);
    m.cell(0, 1, 0, 1, 428, 3, 0x30);
    m.cell(0, 2, 0, 0, 0, 5, 0x00);
    start(m);
    periods(5);
    tick();
    // 808, 760, 712, 664, 616 rounded to the next longer period of the scale.
    EXPECT_EQ(periods(5), (std::vector<std::int64_t>{808, 762, 720, 678, 640}));
    EXPECT_EQ(pt_period[0], 616);
    tick();
    EXPECT_EQ(periods(5), (std::vector<std::int64_t>{568, 520, 472, 428, 428}));
}

TEST_F(Replay, SampleOffsetReplacesTheRestartAndWorksWithoutANote)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 9, 0x23);
    m.cell(0, 0, 1, 0, 0, 9, 0x04);
    auto first = start(m);
    EXPECT_EQ(channel_calls(first, 0), (std::vector<device_call>{
                                           {'v', 40}, {'p', 112}, {'s', 1}, {'a', 428}, {'o', 0x2300}}));
    EXPECT_EQ(channel_calls(first, 1), (std::vector<device_call>{{'o', 0x400}}));
}

TEST_F(Replay, ArpeggioCyclesThroughTheThreeNotes)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0, 0x47);
    m.cell(0, 1, 0, 0, 0, 0, 0x0F);
    m.cell(0, 2, 0, 1, 28, 0, 0x0F);   // top note: the arpeggio stays on the table's end
    std::vector<std::int64_t> got;
    got.push_back(last_of(start(m), 0, 'a'));
    for (std::int64_t p : periods(5))
        got.push_back(p);
    const std::uint16_t* row = pt_periods[0];
    EXPECT_EQ(got, (std::vector<std::int64_t>{row[36], row[40], row[43], row[36], row[40], row[43]}));
    periods(6);
    EXPECT_EQ(periods(3), (std::vector<std::int64_t>{28, 28, 28}));
}

TEST_F(Replay, SlidesStopAtThePeriodLimits)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 1, 0xFF);
    m.cell(0, 0, 1, 1, C3, 2, 0xFF);
    start(m);
    pt_period[0] = 200;
    pt_period[1] = 3500;
    auto t = tick();
    EXPECT_EQ(last_of(t, 0, 'a'), 27);
    EXPECT_EQ(last_of(t, 1, 'a'), 3628);
    EXPECT_EQ(pt_period[0], 27);
    EXPECT_EQ(pt_period[1], 3628);
}

TEST_F(Replay, VibratoFollowsTheSineAroundAnUnchangedPeriod)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 4, 0x4F);
    m.cell(0, 0, 1, 0, 0, 0xF, 9);   // speed 9: eight vibrato ticks in the row
    start(m);
    std::vector<std::int64_t> offsets;
    for (std::int64_t p : periods(8))
        offsets.push_back(p - 428);
    EXPECT_EQ(offsets, (std::vector<std::int64_t>{0, 11, 21, 27, 30, 27, 21, 11}));
    EXPECT_EQ(pt_period[0], 428);
}

TEST_F(Replay, VibratoAroundNoPeriodSendsNoNegativePitch)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 0, 0, 4, 0x8F);
    start(m);
    for (std::int64_t p : periods(5))
        EXPECT_GE(p, 0);
}

TEST_F(Replay, TremoloStaysWithinTheVolumeRange)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 7, 0xFF);
    start(m);
    EXPECT_EQ(volumes(5), (std::vector<std::int64_t>{40, 64, 51, 0, 18}));
    EXPECT_EQ(pt_volume[0], 40);
}

TEST_F(Replay, VolumeSlidesAndSetVolume)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xA, 0x11);   // x wins: up by 1
    m.cell(0, 0, 1, 1, C3, 0xC, 100);
    m.cell(0, 1, 1, 0, 0, 0xA, 0x0F);
    auto first = start(m);
    EXPECT_EQ(channel_calls(first, 1),
              (std::vector<device_call>{{'p', 144}, {'s', 1}, {'a', 428}, {'o', 0}, {'v', 100}}));
    EXPECT_EQ(volumes(5), (std::vector<std::int64_t>{41, 42, 43, 44, 45}));
    tick();
    EXPECT_EQ(volumes(1, 1), (std::vector<std::int64_t>{64}));   // 100 - 15, back within 64
}

struct cutdelay_case {
    unsigned param;
    int cut_tick;       // tick of the cut or delayed note, -1 for never
};

class ReplayNoteCut : public Replay, public ::testing::WithParamInterface<cutdelay_case> {};

TEST_P(ReplayNoteCut, CutsOnItsTickOrTheRowsLast)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xE, 0xC0 | GetParam().param);
    start(m);
    auto v = volumes(5);
    for (int t = 1; t <= 5; t++)
        EXPECT_EQ(v[t - 1], t == GetParam().cut_tick ? 0 : -1) << "tick " << t;
}

INSTANTIATE_TEST_SUITE_P(Table, ReplayNoteCut,
                         ::testing::Values(cutdelay_case{0, -1}, cutdelay_case{2, 2},
                                           cutdelay_case{6, 5}, cutdelay_case{15, 5}));

class ReplayNoteDelay : public Replay, public ::testing::WithParamInterface<cutdelay_case> {};

TEST_P(ReplayNoteDelay, PlaysTheNoteOnItsTickOnly)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, 856, 0, 0);
    m.cell(0, 1, 0, 1, C3, 0xE, 0xD0 | GetParam().param);
    start(m);
    for (int i = 0; i < 5; i++)
        tick();
    auto row1 = tick();
    EXPECT_EQ(last_of(row1, 0, 'a'), -1);
    EXPECT_EQ(pt_note[0], 24);
    auto p = periods(5);
    for (int t = 1; t <= 5; t++)
        EXPECT_EQ(p[t - 1], t == GetParam().cut_tick ? 428 : -1) << "tick " << t;
    EXPECT_EQ(pt_note[0], GetParam().cut_tick > 0 ? C3_INDEX : 24);
}

INSTANTIATE_TEST_SUITE_P(Table, ReplayNoteDelay,
                         ::testing::Values(cutdelay_case{0, -1}, cutdelay_case{3, 3},
                                           cutdelay_case{7, 5}));

TEST_F(Replay, RetriggerRestartsTheNoteEveryYTicks)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xE, 0x92);
    m.cell(0, 0, 1, 1, C3, 0xE, 0x96);   // above speed - 1: never
    m.cell(0, 0, 2, 0, 0, 0xE, 0x92);    // no note: never
    start(m);
    std::vector<std::vector<device_call>> ch0;
    for (int t = 1; t <= 5; t++) {
        auto c = tick();
        ch0.push_back(channel_calls(c, 0));
        EXPECT_TRUE(channel_calls(c, 1).empty());
        EXPECT_TRUE(channel_calls(c, 2).empty());
    }
    const std::vector<device_call> retrig{{'v', 40}, {'a', 428}, {'o', 0}};
    EXPECT_EQ(ch0, (std::vector<std::vector<device_call>>{{}, retrig, {}, retrig, {}}));
}

TEST_F(Replay, SpeedZeroFreezesTheRowAndSpeedAbove31ChangesNothing)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xF, 0x20);
    m.cell(0, 1, 0, 1, C3, 0xF, 0x00);
    start(m);
    EXPECT_EQ(pt_speed, 6u);
    for (int i = 0; i < 6; i++)
        tick();
    EXPECT_EQ(position(), 1);
    for (int i = 0; i < 10; i++) {
        auto t = tick();
        EXPECT_EQ(position(), 1);
        EXPECT_EQ(pt_vbcount, 0u);
        EXPECT_EQ(last_of(t, 0, 'o'), 0);   // the note triggers again
    }
}

TEST_F(Replay, PatternLoopPlaysItsRowsThreeTimes)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 0, 0, 0xF, 1);
    m.cell(0, 0, 1, 0, 0, 0xE, 0x60);
    m.cell(0, 7, 1, 0, 0, 0xE, 0x62);
    start(m);
    std::vector<int> rows{0};
    for (int i = 0; i < 24; i++) {
        tick();
        rows.push_back(static_cast<int>((pt_lineptr - pt_patterns[0]) / 16));
    }
    std::vector<int> want;
    for (int pass = 0; pass < 3; pass++)
        for (int r = 0; r < 8; r++)
            want.push_back(r);
    want.push_back(8);
    EXPECT_EQ(rows, want);
}

struct jump_case {
    const char* name;
    unsigned cmd, param;
    int songlength, restart;
    int next_position;   // position after the row that holds the jump
};

class ReplayJump : public Replay, public ::testing::WithParamInterface<jump_case> {};

TEST_P(ReplayJump, LandsOnTheNextRowStart)
{
    // The jump sits on row 0 of pattern 1, played at position 1; every other
    // position plays pattern 0, one tick a row.
    const jump_case& c = GetParam();
    module_file m("M.K.", 4, 2);
    m.song({0, 1, 0, 0}, c.restart);
    m.header[950] = static_cast<std::uint8_t>(c.songlength);
    m.cell(1, 0, 2, 0, 0, c.cmd, c.param);
    m.cell(0, 0, 0, 0, 0, 0xF, 1);
    start(m);
    for (int i = 0; i < 64; i++)
        tick();
    ASSERT_EQ(position(), 100 * (c.cmd == 0xB ? static_cast<int>(c.param) - 1 : 1) + 63);
    tick();
    EXPECT_EQ(position(), c.next_position);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplayJump,
    ::testing::Values(jump_case{"D15", 0xD, 0x15, 4, 0, 215}, jump_case{"D0A", 0xD, 0x0A, 4, 0, 210},
                      jump_case{"D70PastTheRows", 0xD, 0x70, 4, 0, 200},
                      jump_case{"B03", 0xB, 0x03, 4, 0, 300},
                      jump_case{"BPastTheSong", 0xB, 0x09, 4, 2, 200},
                      jump_case{"B00", 0xB, 0x00, 4, 0, 0}),
    [](const ::testing::TestParamInfo<jump_case>& i) { return i.param.name; });

// A pattern loop on a later channel of the row overrides a jump's row but not its
// position: the row start then lands on a position the row did not wrap into.
TEST_F(Replay, JumpOverriddenByALoopStaysInsideTheSong)
{
    struct jump_loop_case {
        unsigned jump;
        int next_position;
    };
    for (jump_loop_case c : {jump_loop_case{0x00, 100}, jump_loop_case{0x81, 100},
                             jump_loop_case{0x03, 200}}) {
        module_file m("M.K.", 4, 2);
        m.song({0, 1, 0, 0}, 1);
        m.cell(0, 0, 0, 0, 0, 0xF, 1);
        m.cell(0, 3, 0, 0, 0, 0xB, c.jump);
        m.cell(0, 3, 1, 0, 0, 0xE, 0x61);   // loop row 0 of channel 1: row 0
        start(m);
        for (int i = 0; i < 3; i++)
            tick();
        ASSERT_EQ(pt_rowcount.load(), -1);   // row 3 played: jump, then the loop
        tick();
        EXPECT_EQ(position(), c.next_position) << std::hex << c.jump;
        EXPECT_EQ(pt_curpattern, pt_order[pt_songpos.load()]);
    }
}

// An earlier channel's loop leaves the row count at -1 when a later channel's E60
// reads it; that channel's next loop must still start inside the pattern.
TEST_F(Replay, LoopStartTakenBeforeRowZeroStartsAtRowZero)
{
    module_file m = base_song();
    m.cell(0, 0, 3, 0, 0, 0xF, 1);
    m.cell(0, 2, 1, 0, 0, 0xE, 0x61);
    m.cell(0, 5, 0, 0, 0, 0xE, 0x61);
    m.cell(0, 5, 1, 0, 0, 0xE, 0x60);   // reads the row count channel 0 just set: -1
    start(m);
    std::vector<int> rows{0};
    for (int i = 0; i < 12; i++) {
        tick();
        rows.push_back(static_cast<int>((pt_lineptr - pt_patterns[0]) / 16));
    }
    EXPECT_EQ(pt_looprow[1], -1);
    // Rows 0-2 twice (channel 1), 3-5, 0-2 with channel 1's loop to row 0 once more.
    EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 0, 1, 2, 3, 4, 5, 0, 1, 2, 0}));
}

TEST_F(Replay, SongLengthZeroStartsAtTheRestartPosition)
{
    module_file m("M.K.", 4, 3);
    m.song({0, 1, 2}, 2);
    m.header[950] = 0;
    start(m);
    EXPECT_EQ(pt_songpos.load(), 2);
    EXPECT_EQ(pt_curpattern, 2u);
}

TEST_F(Replay, EndOfSongGoesOnAtTheRestartPosition)
{
    module_file m = base_song();
    m.song({0, 1, 0}, 1);
    m.cell(0, 0, 0, 0, 0, 0xF, 1);
    m.cell(1, 0, 0, 0, 0, 0xF, 1);
    start(m);
    for (int i = 0; i < 3 * 64; i++)
        tick();
    EXPECT_EQ(position(), 100);
}

TEST_F(Replay, PatternDelayRepeatsTheRowsOtherTicks)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 0, 0, 0xF, 2);
    m.cell(0, 0, 1, 1, C3, 0xA, 0x01);
    m.cell(0, 0, 2, 0, 0, 0xE, 0xE2);
    m.cell(0, 0, 3, 0, 0, 0xE, 0xE1);
    start(m);
    // Ticks of row 0: 0 (row), 1, then two delayed row starts each followed by one tick.
    std::vector<std::int64_t> seen;
    std::vector<std::size_t> sizes;
    for (int i = 0; i < 5; i++) {
        auto t = tick();
        sizes.push_back(t.size());
        seen.push_back(last_of(t, 1, 'v'));
        EXPECT_EQ(position(), 0);
    }
    EXPECT_EQ(sizes[1], 0u);
    EXPECT_EQ(sizes[3], 0u);
    EXPECT_EQ(seen, (std::vector<std::int64_t>{39, -1, 38, -1, 37}));
    tick();
    EXPECT_EQ(position(), 1);
}

TEST_F(Replay, VibratoWaveformFiveSelectsTheRampAndKeepsThePosition)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 4, 0x4F);
    m.cell(0, 1, 0, 0, 0, 0xE, 0x45);
    m.cell(0, 2, 0, 0, 0, 4, 0x00);
    start(m);
    periods(5);
    EXPECT_EQ(pt_vibpos[0], 20);
    periods(6);
    EXPECT_EQ(pt_vibwave, pt_ramp);
    EXPECT_EQ(pt_vibpos[0], 20);
    auto p = periods(2);
    EXPECT_EQ(p[1], 428 + (pt_ramp[20] * 15) / 127);
    pt_vibwave = pt_sine;
}

TEST_F(Replay, CoarsePanningSticksToLaterSamples)
{
    std::uint8_t saved[PT_CHANNELS_MAX];
    std::memcpy(saved, pt_defaultpan, sizeof saved);
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xE, 0x83);
    m.cell(0, 1, 0, 1, C3, 0, 0);
    auto first = start(m);
    EXPECT_EQ(channel_calls(first, 0).back(), (device_call{'p', 48}));
    EXPECT_EQ(pt_panning[0], 112);
    periods(5);
    EXPECT_EQ(last_of(tick(), 0, 'p'), 48);
    std::memcpy(pt_defaultpan, saved, sizeof saved);
}

TEST_F(Replay, FineSlidesAndFineVolume)
{
    module_file m = base_song();
    m.cell(0, 0, 0, 1, C3, 0xE, 0x1F);
    m.cell(0, 0, 1, 1, C3, 0xE, 0x2F);
    m.cell(0, 0, 2, 1, C3, 0xE, 0xA5);
    m.cell(0, 0, 3, 1, C3, 0xE, 0xB5);
    auto t = start(m);
    EXPECT_EQ(last_of(t, 0, 'a'), 427);
    EXPECT_EQ(last_of(t, 1, 'a'), 429);
    EXPECT_EQ(last_of(t, 2, 'v'), 41);
    EXPECT_EQ(last_of(t, 3, 'v'), 39);
}

TEST(PeriodTable, HoldsTheScaleTheTellingValuesAndFallsStrictly)
{
    const std::uint16_t row8[12] = {3628, 3424, 3232, 3050, 2879, 2717, 2565, 2421, 2285, 2157, 2036, 1921};
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(pt_periods[8][i], row8[i]) << i;
    const std::uint16_t top[16] = {28, 28, 28, 27, 27, 27, 27, 27, 30, 30, 29, 29, 29, 29, 28, 28};
    int lo = 99999, hi = 0;
    for (int f = 0; f < 16; f++) {
        EXPECT_EQ(pt_periods[f][83], top[f]) << f;
        EXPECT_EQ(pt_periods[f][84], top[f]) << f;
        int t = f < 8 ? f : f - 16;
        for (int n = 0; n < 84; n++) {
            if (n < 83) {
                EXPECT_GT(pt_periods[f][n], pt_periods[f][n + 1]) << f << " " << n;
            }
            double curve = 3424.0 * std::pow(2.0, -(n + t / 8.0) / 12.0);
            EXPECT_NEAR(pt_periods[f][n], curve, curve * 0.03) << f << " " << n;
            lo = std::min<int>(lo, pt_periods[f][n]);
            hi = std::max<int>(hi, pt_periods[f][n]);
        }
    }
    EXPECT_EQ(lo, 27);
    EXPECT_EQ(hi, 3628);
    // Row 0 is the loader's note scale: every period maps back to its own index.
    for (int n = 0; n < 84; n++)
        EXPECT_EQ(pt_noteindex(pt_periods[0][n]), n == 84 ? 83 : n) << n;
    EXPECT_EQ(pt_periods[0][0], 3424);
    EXPECT_EQ(pt_periods[0][61], 101);
    EXPECT_EQ(pt_periods[0][72], 53);
}

TEST(Waveforms, SineRampSquareAndRandomFromRand)
{
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(pt_sine[i], static_cast<int>(255 * std::sin(2 * M_PI * i / 64))) << i;
    std::srand(7);
    std::vector<int> want;
    for (int i = 0; i < 64; i++)
        want.push_back(std::rand() % 511 - 256);
    std::srand(7);
    pt_init();
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(pt_random[i], want[i]);
        EXPECT_EQ(pt_ramp[i], 255 - 8 * i);
        EXPECT_EQ(pt_square[i], i < 16 ? 0 : i < 32 ? 255 : i < 48 ? 0 : -256);
    }
    EXPECT_EQ(pt_songpos.load() * 100 + pt_rowcount.load(), -37);
}

}  // namespace
