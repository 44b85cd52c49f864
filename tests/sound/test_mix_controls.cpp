// The mixer's control side: period to step, carry, offsets, main volume, the hand-over,
// and what out-of-range arguments must not do.
#include <gtest/gtest.h>

#include <ostream>

#include <array>
#include <cstring>
#include <vector>

#include "core/loader.h"
#include "sound/sd_mix.h"
#include "tests/sound/mixer_fixture.h"

namespace {

struct period_case { std::int32_t period, rate; std::uint32_t step, stepfrac; };
std::ostream& operator<<(std::ostream& o, const period_case& c) { return o << "period" << c.period << "_at" << c.rate; }

class PeriodToStep : public MixerTest, public ::testing::WithParamInterface<period_case> {};

TEST_P(PeriodToStep, StepAndFlag)
{
    const period_case& c = GetParam();
    sd_mix_init(c.rate);
    mix_selectchannel(3);
    mix_channels[3].step = 77;
    mix_channels[3].stepfrac = 77;
    mix_channels[3].stepchanged = 0;
    mix_setamigaperiod(c.period);
    EXPECT_EQ(mix_channels[3].step, c.step);
    EXPECT_EQ(mix_channels[3].stepfrac, c.stepfrac);
    EXPECT_EQ(mix_channels[3].stepchanged, 1);
}

INSTANTIATE_TEST_SUITE_P(Periods, PeriodToStep, ::testing::Values(
    period_case{428, 44100, 0, 807083520u}, period_case{428, 22050, 0, 1614167296u},
    period_case{80, 44100, 1, 22930688u}, period_case{0, 44100, 0, 0},
    period_case{-428, 44100, 0, 0}));

struct carry_case { std::uint32_t pos, posfrac, step, stepfrac, newpos, newfrac; };
std::ostream& operator<<(std::ostream& o, const carry_case& c) { return o << c.pos << "+" << c.posfrac << "_by_" << c.step << "+" << c.stepfrac; }

class LongAddition : public ::testing::TestWithParam<carry_case> {};

TEST_P(LongAddition, CarriesOutOfTheFraction)
{
    carry_case c = GetParam();
    long_addition(&c.pos, &c.posfrac, &c.step, &c.stepfrac);
    EXPECT_EQ(c.pos, c.newpos);
    EXPECT_EQ(c.posfrac, c.newfrac);
}

INSTANTIATE_TEST_SUITE_P(Cases, LongAddition, ::testing::Values(
    carry_case{0, 0x80000000u, 0, 0x80000000u, 1, 0},             // carries
    carry_case{1, 0, 0, 0x80000000u, 1, 0x80000000u},             // then does not
    carry_case{5, 0xFFFFFFFFu, 2, 1, 8, 0},                       // step and carry together
    carry_case{7, 0x10u, 0, 0, 7, 0x10u},                          // step 0 stands still
    carry_case{0xFFFFFFFFu, 0xFFFFFFFFu, 0, 1, 0, 0}));            // wraps like 32-bit words

TEST_F(MixerTest, SecondAdvanceOfHalfStepsDoesNotCarry)
{
    std::uint32_t pos = 0, frac = 0x80000000u, step = 0, stepfrac = 0x80000000u;
    long_addition(&pos, &frac, &step, &stepfrac);
    EXPECT_EQ(pos, 1u);
    EXPECT_EQ(frac, 0u);
    long_addition(&pos, &frac, &step, &stepfrac);
    EXPECT_EQ(pos, 1u);
    EXPECT_EQ(frac, 0x80000000u);
}

struct offset_case { std::uint32_t offset; std::uint32_t pos; std::int32_t looped, poschanged; };
std::ostream& operator<<(std::ostream& o, const offset_case& c) { return o << "offset" << c.offset; }

class SetOffset : public MixerTest, public ::testing::WithParamInterface<offset_case> {};

// Sample of 100 bytes looping 10..50; the channel stands at 7 + 123/2^32.
TEST_P(SetOffset, MovesOnlyInsideTheSample)
{
    static std::int8_t bytes[128];
    const offset_case& c = GetParam();
    mix_getsample(2, bytes, 100, 10, 50, 1);
    mix_selectchannel(0);
    mix_setsample(2);
    mix_channels[0].pos = 7;
    mix_channels[0].posfrac = 123;
    mix_channels[0].poschanged = 0;
    mix_setoffset(c.offset);
    EXPECT_EQ(mix_channels[0].pos, c.pos);
    EXPECT_EQ(mix_channels[0].posfrac, c.poschanged ? 0u : 123u);
    EXPECT_EQ(mix_channels[0].looped, c.looped);
    EXPECT_EQ(mix_channels[0].poschanged, c.poschanged);
    mix_setsample(2);   // a new sample brings the loop back
    EXPECT_EQ(mix_channels[0].looped, 1);
}

INSTANTIATE_TEST_SUITE_P(Offsets, SetOffset, ::testing::Values(
    offset_case{100, 7, 0, 0},     // equal to the length: stays, but above the loop end
    offset_case{200, 7, 0, 0},
    offset_case{60, 60, 0, 1},     // above the loop end, inside the sample
    offset_case{50, 50, 1, 1},     // at the loop end still loops
    offset_case{0, 0, 1, 1}));

struct volume_case { std::int32_t in, stored; };
std::ostream& operator<<(std::ostream& o, const volume_case& c) { return o << c.in; }

class MainVolume : public MixerTest, public ::testing::WithParamInterface<volume_case> {};

TEST_P(MainVolume, LimitedTo252)
{
    mix_setmainvolume(GetParam().in);
    EXPECT_EQ(mix_mainvolume, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Values, MainVolume, ::testing::Values(
    volume_case{300, 252}, volume_case{252, 252}, volume_case{64, 64}, volume_case{0, 0}, volume_case{-5, 0}));

struct handover_case { bool newpos, newstep; };
std::ostream& operator<<(std::ostream& o, const handover_case& c) { return o << "pos" << c.newpos << "_step" << c.newstep; }

class HandOver : public MixerTest, public ::testing::WithParamInterface<handover_case> {};

// The working channel runs at 40 + 5/2^32 with step 2; the control channel has a new
// volume and whatever position and step the case sets.
TEST_P(HandOver, TakesPositionAndStepOnlyWhenSet)
{
    const handover_case& c = GetParam();
    mix_channel* work = &mix_realchannels[1];
    mix_channel* control = &mix_channels[1];
    work->pos = 40;
    work->posfrac = 5;
    work->step = 2;
    work->stepfrac = 9;
    *control = mix_channel{};
    control->volume = 33;
    control->pos = 3;
    control->step = 1;
    control->stepfrac = 0x100;
    control->poschanged = c.newpos;
    control->stepchanged = c.newstep;
    mix_copychannel(work, control);
    EXPECT_EQ(work->volume, 33);
    EXPECT_EQ(work->pos, c.newpos ? 3u : 40u);
    EXPECT_EQ(work->posfrac, c.newpos ? 0u : 5u);
    EXPECT_EQ(work->step, c.newstep ? 1u : 2u);
    EXPECT_EQ(work->stepfrac, c.newstep ? 0x100u : 9u);
    EXPECT_EQ(control->poschanged, 0);
    EXPECT_EQ(control->stepchanged, 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, HandOver, ::testing::Values(
    handover_case{false, false}, handover_case{true, false}, handover_case{false, true}, handover_case{true, true}));

TEST_F(MixerTest, LastOfTwoPositionWritesIsHandedOver)
{
    static std::int8_t bytes[64];
    mix_getsample(1, bytes, 64, 0, 0, 0);
    mix_selectchannel(0);
    mix_setsample(1);
    mix_setoffset(10);
    mix_setoffset(20);
    std::uint8_t out[2];
    sd_mix_mono(out, 0, 1);
    EXPECT_EQ(mix_realchannels[0].pos, 20u);
}

TEST_F(MixerTest, FirstMixAfterInitHandsOverPositionAndStepZero)
{
    for (auto& ch : mix_realchannels) {
        ch.pos = 99;
        ch.posfrac = 99;
        ch.step = 99;
        ch.stepfrac = 99;
    }
    mix_activechannels = 32;
    sd_mix_init(44100);
    std::uint8_t out[2];
    sd_mix_mono(out, 0, 1);   // n = 0 still hands over
    for (const auto& ch : mix_realchannels) {
        EXPECT_EQ(ch.pos, 0u);
        EXPECT_EQ(ch.posfrac, 0u);
        EXPECT_EQ(ch.step, 0u);
        EXPECT_EQ(ch.stepfrac, 0u);
        EXPECT_EQ(ch.panning, 127);
    }
    for (const auto& ch : mix_channels) {
        EXPECT_EQ(ch.poschanged, 0);
        EXPECT_EQ(ch.stepchanged, 0);
    }
}

TEST_F(MixerTest, SetFunctionsInstallsTheNineControls)
{
    sd_getsample = nullptr;
    sd_setactivechannels = nullptr;
    sd_selectchannel = nullptr;
    sd_setsample = nullptr;
    sd_setamigaperiod = nullptr;
    sd_setvolume = nullptr;
    sd_setpanning = nullptr;
    sd_setoffset = nullptr;
    sd_setmainvolume = nullptr;
    sd_mix_setfunctions();
    EXPECT_EQ(sd_getsample, &mix_getsample);
    EXPECT_EQ(sd_setactivechannels, &mix_setactivechannels);
    EXPECT_EQ(sd_selectchannel, &mix_selectchannel);
    EXPECT_EQ(sd_setsample, &mix_setsample);
    EXPECT_EQ(sd_setamigaperiod, &mix_setamigaperiod);
    EXPECT_EQ(sd_setvolume, &mix_setvolume);
    EXPECT_EQ(sd_setpanning, &mix_setpanning);
    EXPECT_EQ(sd_setoffset, &mix_setoffset);
    EXPECT_EQ(sd_setmainvolume, &mix_setmainvolume);
}

// Out-of-range arguments: every table must come out byte for byte as it went in.
TEST_F(MixerTest, OutOfRangeArgumentsWriteNothing)
{
    static std::int8_t bytes[16];
    std::vector<unsigned char> samples(sizeof mix_samples), channels(sizeof mix_channels);
    std::memcpy(samples.data(), mix_samples, sizeof mix_samples);
    std::memcpy(channels.data(), mix_channels, sizeof mix_channels);

    mix_setsample(1);               // nothing selected yet
    mix_setamigaperiod(428);
    mix_setvolume(64);
    mix_setpanning(0);
    mix_setoffset(3);
    mix_getsample(32, bytes, 16, 0, 0, 0);
    mix_getsample(-1, bytes, 16, 0, 0, 0);
    mix_selectchannel(32);
    mix_selectchannel(-1);
    EXPECT_EQ(curchan, nullptr);
    mix_selectchannel(5);
    mix_setsample(32);
    mix_setsample(-7);
    EXPECT_EQ(std::memcmp(samples.data(), mix_samples, sizeof mix_samples), 0);
    EXPECT_EQ(std::memcmp(channels.data(), mix_channels, sizeof mix_channels), 0);
    mix_selectchannel(40);          // deselects: the setters after it reach no channel
    EXPECT_EQ(curchan, nullptr);
    mix_setvolume(9);
    mix_setamigaperiod(113);
    EXPECT_EQ(std::memcmp(channels.data(), mix_channels, sizeof mix_channels), 0);

    mix_setactivechannels(40);
    EXPECT_EQ(mix_activechannels, 32);
    mix_setactivechannels(-3);
    EXPECT_EQ(mix_activechannels, 0);
}

// A sample whose loop and length run past the module block is held inside it, so that
// even the interpolating loops read only the block; inside the block nothing changes.
TEST_F(MixerTest, SampleIsHeldInsideTheModuleBlock)
{
    std::uint8_t* saved = musakki;
    std::size_t saved_size = musakki_size;
    std::vector<std::uint8_t> block(1000 + LOAD_SPARE, 0);
    musakki = block.data();
    musakki_size = 1000;
    auto* data = reinterpret_cast<std::int8_t*>(block.data() + 900);
    const std::uint32_t room = 100 + LOAD_SPARE;

    mix_getsample(1, data, 50, 10, 40, 1);
    EXPECT_EQ(mix_samples[1].length, 50u);
    EXPECT_EQ(mix_samples[1].loopend, 40u);
    mix_getsample(2, data, 200000, 150000, 180000, 1);
    EXPECT_EQ(mix_samples[2].length, room - 3);
    EXPECT_EQ(mix_samples[2].loopstart, room - 3);
    EXPECT_EQ(mix_samples[2].loopend, room - 3);

    for (std::int32_t interp : {0, 1}) {
        sd_mix_interpolation = interp;
        mix_setactivechannels(2);
        for (std::int32_t c = 0; c < 2; c++) {
            mix_selectchannel(c);
            mix_setsample(2);
            mix_setvolume(64);
            mix_setamigaperiod(113);
        }
        mix_selectchannel(1);
        mix_setoffset(0xFFFFu);   // beyond the limited loop end: plays out and parks
        std::vector<std::uint8_t> out(2 * 20000);
        for (int tick = 0; tick < 8; tick++)
            sd_mix_mono(out.data(), 20000, 1);
        sd_mix_stereo(out.data(), 10000, 1);
    }
    musakki = saved;
    musakki_size = saved_size;
}

}  // namespace
