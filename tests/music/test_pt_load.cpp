// The module loader on modules built in memory: signatures, header clamps, pattern
// indexing, sample announcements, the note scale and the rejected modules.
#include "tests/music/module_fixture.h"

#include <gtest/gtest.h>

using namespace fixture;

namespace {

struct sig_case {
    const char* sig;
    std::uint32_t channels;
};

class LoaderSignature : public ::testing::TestWithParam<sig_case> {};

TEST_P(LoaderSignature, ChannelCountOrUnknownType)
{
    install_recording_device();
    module_file m(GetParam().sig, GetParam().channels ? static_cast<int>(GetParam().channels) : 4);
    m.sample(1, 8);
    loaded_module l(m);
    EXPECT_EQ(pt_channels, GetParam().channels);
    if (GetParam().channels == 0) {
        EXPECT_EQ(l.ok, 0);
        EXPECT_STREQ(pt_errorstr, "pt_takemod error: unknown module type!");
        EXPECT_TRUE(calls.empty());
    } else {
        EXPECT_EQ(l.ok, 1);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back(), (device_call{'n', GetParam().channels}));
        // The sample data lies after the one pattern of C x 256 bytes.
        ASSERT_EQ(samples.size(), 1u);
        EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(samples[0].data),
                  l.data.data() + PT_HEADER_SIZE + 256 * GetParam().channels);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LoaderSignature,
                         ::testing::Values(sig_case{"M.K.", 4}, sig_case{"FLT8", 8},
                                           sig_case{"OCTA", 8}, sig_case{"6CHN", 6},
                                           sig_case{"24CH", 24}, sig_case{"2CHN", 2},
                                           sig_case{"32CH", 32}, sig_case{"M!K!", 4},
                                           sig_case{"XYZW", 0}, sig_case{"STOP", 0},
                                           sig_case{"m.k.", 0}));

TEST(Loader, ClampsVolumeFinetuneAndRestart)
{
    install_recording_device();
    module_file m;
    m.sample(1, 8, 65, 0x1F);
    m.sample(2, 8, 255, 0x07);
    m.sample(3, 8, 64, 0xF0);
    m.song({0}, 127);
    loaded_module l(m);
    ASSERT_EQ(l.ok, 1);
    EXPECT_EQ(pt_samplevolume[1], 64u);
    EXPECT_EQ(pt_samplevolume[2], 64u);
    EXPECT_EQ(pt_samplevolume[3], 64u);
    EXPECT_EQ(pt_samplefinetune[1], 15);
    EXPECT_EQ(pt_samplefinetune[2], 7);
    EXPECT_EQ(pt_samplefinetune[3], 0);
    EXPECT_EQ(pt_restart, 0u);

    module_file m2;
    m2.song({0}, 126);
    loaded_module l2(m2);
    EXPECT_EQ(pt_restart, 126u);
}

TEST(Loader, OrderBeyondSongLengthIndexesItsPatternAndSamplesFollowIt)
{
    install_recording_device();
    module_file m("M.K.", 4, 3);
    m.song({0});
    m.header[952 + 5] = 2;   // after the song length, yet the highest pattern
    m.cell(2, 0, 0, 1, 856, 0, 0);
    m.sample(1, 16);
    loaded_module l(m);
    ASSERT_EQ(l.ok, 1);
    EXPECT_EQ(pt_maxpattern, 2);
    EXPECT_EQ(pt_patterns[2], l.data.data() + PT_HEADER_SIZE + 2 * 1024);
    EXPECT_EQ(pt_patterns[2][0], 1);    // converted: sample 1
    EXPECT_EQ(pt_patterns[2][1], 24);   // note index of 856
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(samples[0].data),
              l.data.data() + PT_HEADER_SIZE + 3 * 1024);
}

TEST(Loader, AnnouncesSamplesWithLoopFlagsAndLimitsLoops)
{
    install_recording_device();
    module_file m;
    m.sample(1, 100, 64, 0, 10, 2);    // one-word loop: not looped
    m.sample(2, 100, 64, 0, 10, 4);    // two words: looped
    m.header[20 + 30 * 2 + 26] = 0;    // sample 3: length 0 but loop fields set
    m.word(20 + 30 * 2 + 28, 8);
    m.sample(4, 40, 64, 0, 20, 200);   // loop reaching past the sample
    m.sample(5, 40, 64, 0, 60, 10);    // loop starting past the sample
    loaded_module l(m);
    ASSERT_EQ(l.ok, 1);
    ASSERT_EQ(samples.size(), 4u);
    EXPECT_EQ(samples[0].n, 1);
    EXPECT_EQ(samples[0].looped, 0);
    EXPECT_EQ(samples[0].loopstart, 10u);
    EXPECT_EQ(samples[0].loopend, 12u);
    EXPECT_EQ(samples[1].n, 2);
    EXPECT_EQ(samples[1].looped, 1);
    EXPECT_EQ(samples[1].loopend, 14u);
    EXPECT_EQ(samples[2].n, 4);
    EXPECT_EQ(samples[2].loopstart, 20u);
    EXPECT_EQ(samples[2].loopend, 40u);
    EXPECT_EQ(samples[3].loopstart, 40u);
    EXPECT_EQ(samples[3].loopend, 40u);
    // Sample 3 takes no bytes: sample 4 follows sample 2 directly.
    EXPECT_EQ(samples[2].data, samples[1].data + 100);
    EXPECT_EQ(calls.back(), (device_call{'n', 4}));
}

struct note_case {
    unsigned period;
    int index;
};

class LoaderNoteScale : public ::testing::TestWithParam<note_case> {};

TEST_P(LoaderNoteScale, PeriodBecomesNoteIndex)
{
    install_recording_device();
    module_file m;
    m.cell(0, 5, 3, 0, GetParam().period, 0, 0);
    loaded_module l(m);
    ASSERT_EQ(l.ok, 1);
    EXPECT_EQ(pt_patterns[0][(5 * 4 + 3) * 4 + 1], GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Table, LoaderNoteScale,
                         ::testing::Values(note_case{856, 24}, note_case{113, 59},
                                           note_case{850, 25}, note_case{4000, 0},
                                           note_case{3424, 0}, note_case{3423, 1},
                                           note_case{0, 84}, note_case{20, 84},
                                           note_case{28, 83}, note_case{27, 84}));

TEST(Loader, CellSampleNumbersJoinNibblesAndStopAt31)
{
    install_recording_device();
    module_file m;
    m.cell(0, 0, 0, 0x1F, 428, 0xC, 0x20);
    m.cell(0, 0, 1, 0x20, 428, 0xE, 0xC3);
    m.cell(0, 0, 2, 0xFF, 0, 0xF, 0xFF);
    loaded_module l(m);
    ASSERT_EQ(l.ok, 1);
    const std::uint8_t* row = pt_patterns[0];
    EXPECT_EQ(std::vector<int>(row, row + 12),
              (std::vector<int>{31, 36, 0xC, 0x20, 0, 36, 0xE, 0xC3, 0, 84, 0xF, 0xFF}));
}

struct reject_case {
    const char* name;
    void (*spoil)(module_file&, std::size_t& size);
    const char* error;
};

class LoaderRejects : public ::testing::TestWithParam<reject_case> {};

TEST_P(LoaderRejects, WithoutTouchingTheMixerOrThePatterns)
{
    install_recording_device();
    module_file m("M.K.", 4, 2);
    m.song({0, 1});
    m.cell(0, 0, 0, 1, 428, 0, 0);
    m.sample(1, 64);
    m.sample(2, 32);
    std::size_t size = 0;
    std::vector<std::uint8_t> probe = m.bytes(&size);
    GetParam().spoil(m, size);
    std::vector<std::uint8_t> data = m.bytes();
    std::vector<std::uint8_t> before = data;
    EXPECT_EQ(pt_takemod(data.data(), size), 0);
    EXPECT_EQ(pt_channels, 0u);
    EXPECT_STREQ(pt_errorstr, GetParam().error);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(data, before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderRejects,
    ::testing::Values(
        reject_case{"ShortHeader", [](module_file&, std::size_t& s) { s = PT_HEADER_SIZE - 1; },
                    "pt_takemod error: module shorter than its header!"},
        reject_case{"PatternsCut", [](module_file&, std::size_t& s) { s = PT_HEADER_SIZE + 2047; },
                    "pt_takemod error: patterns run past the end of the module!"},
        reject_case{"SamplesCut", [](module_file&, std::size_t& s) { s -= 1; },
                    "pt_takemod error: sample data runs past the end of the module!"},
        reject_case{"OrderPast127",
                    [](module_file& m, std::size_t&) { m.header[952 + 100] = 128; },
                    "pt_takemod error: order table points past the 128 patterns!"},
        reject_case{"SongLengthPast128", [](module_file& m, std::size_t&) { m.header[950] = 129; },
                    "pt_takemod error: order table points past the 128 patterns!"},
        reject_case{"HugeSample",
                    [](module_file& m, std::size_t&) { m.word(20 + 30 * 30 + 22, 0xFFFF); },
                    "pt_takemod error: sample data runs past the end of the module!"}),
    [](const ::testing::TestParamInfo<reject_case>& i) { return i.param.name; });

TEST(Loader, AcceptsSongLength128AndExactSize)
{
    install_recording_device();
    module_file m;
    m.header[950] = 128;
    m.sample(1, 2);
    std::size_t size = 0;
    std::vector<std::uint8_t> data = m.bytes(&size);
    EXPECT_EQ(pt_takemod(data.data(), size), 1);
}

}  // namespace
