// The music interface: tick boundaries and carries of the audio clock, the position,
// the callback table, and the sync functions on small songs stepped tick by tick.
#include "music/cool_vek.h"
#include "tests/music/module_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace fixture;

namespace {

struct slice {
    std::int32_t at;      // first sample of the slice in the buffer
    std::int32_t n;
    int ticks_before;     // ticks run so far in the callback
    bool operator==(const slice&) const = default;
};

std::vector<slice> slices;
std::uint8_t* slice_base;

// A four-channel song whose ticks the recording device counts (one select of
// channel 0 a tick), with the mixer replaced by a recorder of slices.
class AudioClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        install_recording_device();
        module_file m;
        song = std::make_unique<loaded_module>(m);
        saved_mix = vek_mix_slice;
        vek_mix_slice = [](std::uint8_t* out, std::int32_t n, std::int32_t sixteen) {
            int ticks = 0;
            for (const device_call& c : calls)
                ticks += c.op == 'c' && c.arg == 0;
            slices.push_back({static_cast<std::int32_t>((out - slice_base) / (sixteen ? 2 : 1)), n, ticks});
        };
        luku = 0;
    }
    void TearDown() override
    {
        vek_mix_slice = saved_mix;
        laite = 0;
        luku = 0;
    }
    // Runs one callback of n samples; returns the samples at which ticks started.
    std::vector<std::int32_t> callback(std::int32_t n)
    {
        buffer.assign(static_cast<std::size_t>(n) * 2, 0);
        slice_base = buffer.data();
        slices.clear();
        calls.clear();
        mix_newhand(nullptr, buffer.data(), laite == 2 ? 2 * n : n);
        std::vector<std::int32_t> starts;
        int ticks = 0;
        std::int32_t mixed = 0;
        for (const slice& s : slices) {
            if (s.ticks_before > ticks)
                starts.push_back(s.at);
            ticks = s.ticks_before;
            EXPECT_EQ(s.at, mixed);
            mixed += s.n;
        }
        EXPECT_EQ(mixed, n);
        return starts;
    }
    std::unique_ptr<loaded_module> song;
    std::vector<std::uint8_t> buffer;
    void (*saved_mix)(std::uint8_t*, std::int32_t, std::int32_t);
};

TEST_F(AudioClock, CarriesTheTickRestAt44100)
{
    laite = 2;
    screenHz = 50;
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{0, 882, 1764}));
    EXPECT_EQ(luku, 598);
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{598, 1480}));
    EXPECT_EQ(luku, 314);
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{314, 1196}));
    EXPECT_EQ(luku, 30);
}

TEST_F(AudioClock, CarriesTheTickRestAt22050)
{
    laite = 1;
    screenHz = 50;
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{0, 441, 882, 1323, 1764}));
    EXPECT_EQ(luku, 157);
}

TEST_F(AudioClock, BufferEndingOnATickStartsTheNextTickWithNothingMixed)
{
    laite = 2;
    screenHz = 50;
    EXPECT_EQ(callback(1764), (std::vector<std::int32_t>{0, 882, 1764}));
    EXPECT_EQ(slices.back(), (slice{1764, 0, 3}));
    EXPECT_EQ(luku, 882);
    EXPECT_EQ(callback(882), (std::vector<std::int32_t>{882}));
    EXPECT_EQ(luku, 882);
}

TEST_F(AudioClock, SixtyTicksASecond)
{
    laite = 2;
    screenHz = 60;
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{0, 735, 1470}));
    EXPECT_EQ(luku, 157);
    laite = 1;
    luku = 0;
    EXPECT_EQ(callback(2048), (std::vector<std::int32_t>{0, 367, 734, 1101, 1468, 1835}));
    EXPECT_EQ(luku, 367 - 213);
}

TEST_F(AudioClock, BuffersShorterThanTheCarryTakeWhatFits)
{
    laite = 2;
    screenHz = 50;
    EXPECT_EQ(callback(100), (std::vector<std::int32_t>{0}));
    EXPECT_EQ(luku, 782);
    EXPECT_EQ(callback(700), (std::vector<std::int32_t>{}));
    EXPECT_EQ(luku, 82);
    EXPECT_EQ(callback(82), (std::vector<std::int32_t>{82}));
    EXPECT_EQ(luku, 882);
}

TEST_F(AudioClock, OtherDevicesAndAnUnstartedClockMixNothing)
{
    laite = 0;
    screenHz = 50;
    slices.clear();
    buffer.assign(64, 7);
    mix_newhand(nullptr, buffer.data(), 64);
    EXPECT_TRUE(slices.empty());
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, 7));
    // Before vek_start the device hears silence and the song stands still.
    screenHz = 0;
    for (std::int32_t device : {1, 2}) {
        laite = device;
        buffer.assign(64, 7);
        calls.clear();
        mix_newhand(nullptr, buffer.data(), 64);
        EXPECT_EQ(buffer, std::vector<std::uint8_t>(64, device == 1 ? 128 : 0));
        EXPECT_TRUE(calls.empty());
    }
    EXPECT_EQ(vek_position(), -37);
}

TEST(MusicPosition, ReadsMinus37BeforeTheFirstTickAndZeroAfterAFailedLoad)
{
    install_recording_device();
    module_file m("M.K.", 4, 4);
    m.song({0, 1, 2, 3});
    std::size_t size = 0;
    std::vector<std::uint8_t> data = m.bytes(&size);
    ASSERT_EQ(vek_get(data.data(), size), 1);
    EXPECT_EQ(vek_position(), -37);
    pt_play();
    EXPECT_EQ(vek_position(), 0);
    pt_songpos.store(3);
    pt_rowcount.store(17);
    EXPECT_EQ(vek_position(), 317);

    module_file bad("NONE");
    data = bad.bytes(&size);
    EXPECT_EQ(vek_get(data.data(), size), 0);
    EXPECT_EQ(vek_position(), 0);
}

TEST(MusicInterface, CallbackHandlesCountUpUntilTheTableIsFull)
{
    void (*cb)() = [] {};
    std::int32_t first = vek_set_callback(cb);
    EXPECT_GE(first, 1);
    for (int i = 1; i < 1024; i++)
        EXPECT_EQ(vek_set_callback(cb), first + i);
    EXPECT_EQ(vek_set_callback(cb), 0);
}

TEST(MusicInterface, DeviceAnswersChooseTheDevice)
{
    install_recording_device();
    laite = 7;
    EXPECT_EQ(vek_open_device('x'), 0);
    EXPECT_EQ(laite, 7);
    EXPECT_EQ(vek_open_device('0'), 1);
    EXPECT_EQ(laite, 0);
    EXPECT_STREQ(sd_devicename, "Super Tovu NoSound Device 2.0c");
}

// The menu reads one word a call; only its first character counts.
TEST(MusicInterface, MenuWordChoosesByItsFirstCharacter)
{
    char path[] = "/tmp/vek_menu_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const char answers[] = "x0\n0abc\n";
    ASSERT_EQ(write(fd, answers, sizeof answers - 1), static_cast<ssize_t>(sizeof answers - 1));
    close(fd);
    ASSERT_NE(std::freopen(path, "r", stdin), nullptr);
    std::remove(path);
    sd_selectchannel = nullptr;
    sd_init = nullptr;
    laite = 7;
    EXPECT_EQ(vek_init(), 0);
    EXPECT_EQ(laite, 7);
    EXPECT_EQ(sd_selectchannel, nullptr);
    EXPECT_EQ(sd_init, nullptr);
    EXPECT_EQ(vek_init(), 1);
    EXPECT_EQ(laite, 0);
    EXPECT_NE(sd_selectchannel, nullptr);
    EXPECT_EQ(vek_init(), 0);   // end of input
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
}

// The volume factor scales 63 and truncates.
TEST(MusicInterface, MasterVolumeIsTheFactorTimes63Truncated)
{
    install_recording_device();
    for (double v : {1.0, 4.0, 0.999, 0.5, 0.0})
        vek_set_mastervolume(v);
    EXPECT_EQ(calls, (std::vector<device_call>{{'m', 63}, {'m', 252}, {'m', 62}, {'m', 31}, {'m', 0}}));
}

struct range_case {
    sync_range r;
    std::int32_t value;
    std::int32_t in;
};

class SyncRange : public ::testing::TestWithParam<range_case> {};

TEST_P(SyncRange, Bounds)
{
    EXPECT_EQ(inrange(GetParam().value, GetParam().r), GetParam().in);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SyncRange,
    ::testing::Values(range_case{{5, -1}, -100000, 1}, range_case{{5, -1}, 4, 1},
                      range_case{{7, 3}, 5, 0}, range_case{{7, 3}, 7, 0}, range_case{{0, 0}, 0, 1},
                      range_case{{0, 0}, 1, 0}, range_case{{0, 0}, -1, 0},
                      range_case{{-3, 2}, -3, 1}, range_case{{-3, 2}, 3, 0}));

constexpr sync_range ANY{0, -1};

ehto open_condition()
{
    return ehto{ANY, ANY, ANY, ANY, ANY, ANY, 1, ANY, ANY};
}

class Sync : public ::testing::Test {
protected:
    void SetUp() override { install_recording_device(); }
    void load(const module_file& m) { song = std::make_unique<loaded_module>(m); }
    std::unique_ptr<loaded_module> song;
};

TEST_F(Sync, RowDivisorHoldsOnTheFirstTickOfEveryFourthRow)
{
    module_file m("M.K.", 4, 2);
    m.song({0, 1});
    m.cell(0, 0, 0, 0, 0, 0xF, 2);
    load(m);
    ehto e = open_condition();
    e.row_divisor = 4;
    e.row_range = {0, 0};
    e.tick_range = {0, 0};
    for (int t = 0; t < 2 * 64 * 2; t++) {
        pt_play();
        bool want = pt_vbcount == 0 && pt_rowcount.load() % 4 == 0;
        EXPECT_EQ(ehto_toteutuu(&e), want ? 1 : 0) << "tick " << t;
    }
}

TEST_F(Sync, CommandAndParameterRangesFindANoteCut)
{
    module_file m;
    m.cell(0, 0, 0, 0, 0, 0xF, 3);
    m.cell(0, 2, 3, 1, 428, 0xE, 0xC1);
    m.cell(0, 3, 2, 1, 428, 0xE, 0xD1);
    m.sample(1, 32);
    load(m);
    ehto e = open_condition();
    e.command_range = {14, 14};
    e.param_range = {0xC0, 0xCF};
    for (int t = 0; t < 15; t++) {
        pt_play();
        EXPECT_EQ(ehto_toteutuu(&e), pt_rowcount.load() == 2 ? 1 : 0) << "tick " << t;
    }
    // Channel, sample and position ranges narrow it further.
    pt_init();
    for (int t = 0; t < 7; t++)
        pt_play();
    ASSERT_EQ(pt_rowcount.load(), 2);
    e.channel_range = {0, 2};
    EXPECT_EQ(ehto_toteutuu(&e), 0);
    e.channel_range = {3, 3};
    e.sample_range = {1, 1};
    e.songpos_range = {0, 0};
    EXPECT_EQ(ehto_toteutuu(&e), 1);
    e.songpos_range = {1, 5};
    EXPECT_EQ(ehto_toteutuu(&e), 0);
}

TEST_F(Sync, TriggerAges)
{
    module_file m;
    m.cell(0, 0, 0, 0, 0, 0xF, 3);
    m.cell(0, 0, 1, 1, 428, 0, 0);       // row 0: sample 1 triggers
    m.cell(0, 1, 1, 2, 428, 3, 0x10);    // row 1: sample 2 under portamento: no trigger
    m.cell(0, 1, 2, 3, 428, 5, 0x00);    // and sample 3 under 5: no trigger
    m.cell(0, 2, 1, 4, 428, 0xE, 0xD2);  // row 2: delayed note counts on the row start
    m.cell(0, 3, 1, 0, 428, 0xE, 0x91);  // row 3: note without sample number, retriggered
    m.cell(0, 4, 1, 5, 428, 0xE, 0xE1);  // row 4: pattern delay of one row
    for (int s = 1; s <= 5; s++)
        m.sample(s, 32);
    load(m);
    auto& age = aikaa_siita_kun_viimeksi_tavattu;
    auto tick = [] { vek_tick(); };
    std::int32_t untouched = age[30];
    std::int32_t a2 = age[2], a3 = age[3];

    tick();
    EXPECT_EQ(age[1], 0);
    EXPECT_EQ(age[30], untouched + 1);
    tick();
    tick();
    EXPECT_EQ(age[1], 2);
    tick();   // row 1
    EXPECT_EQ(age[2], a2 + 4);
    EXPECT_EQ(age[3], a3 + 4);
    tick();
    tick();
    tick();   // row 2
    EXPECT_EQ(age[4], 0);
    tick();
    tick();   // the note sounds now; the age runs on
    EXPECT_EQ(age[4], 2);
    std::int32_t a0 = age[0];
    tick();   // row 3
    EXPECT_EQ(age[0], 0);
    EXPECT_NE(a0, -1);
    tick();   // retriggers do not count
    tick();
    EXPECT_EQ(age[0], 2);
    tick();   // row 4 with the pattern delay
    EXPECT_EQ(age[5], 0);
    tick();
    tick();
    EXPECT_EQ(age[5], 2);
    tick();   // the delayed row start counts again
    EXPECT_EQ(pt_vbcount, 0u);
    EXPECT_EQ(pt_rowcount.load(), 4);
    EXPECT_EQ(age[5], 0);
    EXPECT_EQ(age[30], untouched + 16);
}

TEST_F(Sync, SpeedZeroKeepsTheAgeAtZero)
{
    module_file m;
    m.cell(0, 0, 0, 1, 428, 0xF, 0);
    m.sample(1, 32);
    load(m);
    for (int t = 0; t < 5; t++) {
        vek_tick();
        EXPECT_EQ(aikaa_siita_kun_viimeksi_tavattu[1], 0);
    }
}

}  // namespace
