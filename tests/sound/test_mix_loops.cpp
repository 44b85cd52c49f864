// The mixing loops, the entry points, the gains and the output conversions; the fast
// loops against a plain one-sample-at-a-time reference on random channels.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <vector>

#include "sound/sd_mix.h"
#include "tests/sound/mixer_fixture.h"

namespace {

enum loop_kind { MIXMONO, IMIXMONO, MIXSTEREO, IMIXSTEREO };

void run_loop(loop_kind k, mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gl, std::int32_t gr)
{
    switch (k) {
    case MIXMONO: sd_c_mixmono(ch, acc, n, gl); break;
    case IMIXMONO: sd_c_imixmono(ch, acc, n, gl); break;
    case MIXSTEREO: sd_c_mixstereo(ch, acc, n, gl, gr); break;
    case IMIXSTEREO: sd_c_imixstereo(ch, acc, n, gl, gr); break;
    }
}

bool stereo(loop_kind k) { return k == MIXSTEREO || k == IMIXSTEREO; }
bool interpolating(loop_kind k) { return k == IMIXMONO || k == IMIXSTEREO; }
std::uint32_t parking(loop_kind k, const mix_channel& ch) { return k == MIXMONO || k == IMIXSTEREO ? 0 : ch.length; }

// One output sample at a time, exactly as the mixer describes its loops.
void reference_loop(loop_kind k, mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gl, std::int32_t gr)
{
    for (std::int32_t i = 0; i < n; i++) {
        long_addition(&ch->pos, &ch->posfrac, &ch->step, &ch->stepfrac);
        if (ch->looped) {
            if (ch->pos > ch->loopend)
                ch->pos = ch->loopstart + 1;
        } else if (ch->pos >= ch->length) {
            ch->step = 0;
            ch->stepfrac = 0;
            ch->pos = parking(k, *ch);
        }
        std::int32_t s0 = ch->data[ch->pos];
        std::int32_t vl, vr;
        if (interpolating(k)) {
            std::int32_t s1 = ch->data[ch->pos + 1];
            std::int32_t w = static_cast<std::int32_t>(ch->posfrac >> 26);
            vl = ((s1 * gl * w) >> 6) + ((s0 * gl * (63 - w)) >> 6);
            vr = ((s1 * gr * w) >> 6) + ((s0 * gr * (63 - w)) >> 6);
        } else {
            vl = s0 * gl;
            vr = s0 * gr;
        }
        if (stereo(k)) {
            acc[2 * i] += vl;
            acc[2 * i + 1] += vr;
        } else {
            acc[i] += vl;
        }
    }
}

// Output samples until (and including) the first one whose advance meets the loop end
// or the sample's end; limit when none does within it.
std::int32_t samples_to_boundary(mix_channel ch, std::int32_t limit)
{
    for (std::int32_t i = 1; i <= limit; i++) {
        long_addition(&ch.pos, &ch.posfrac, &ch.step, &ch.stepfrac);
        if (ch.looped ? ch.pos > ch.loopend : ch.pos >= ch.length)
            return i;
    }
    return limit;
}

class Loops : public MixerTest, public ::testing::WithParamInterface<loop_kind> {};

// Bytes equal to their index, and gain 1: every accumulator shows the byte read.
std::array<std::int8_t, 64> ramp()
{
    std::array<std::int8_t, 64> b{};
    for (int i = 0; i < 64; i++)
        b[i] = static_cast<std::int8_t>(i);
    return b;
}

TEST_F(MixerTest, LoopPlaysFromLoopStartPlusOneThroughLoopEnd)
{
    auto bytes = ramp();
    mix_channel ch = channel(bytes.data(), 40, 10, 20, 1, 17, 0, 1, 0);
    std::array<std::int32_t, 8> acc{};
    sd_c_mixmono(&ch, acc.data(), 8, 1);
    EXPECT_EQ(acc, (std::array<std::int32_t, 8>{18, 19, 20, 11, 12, 13, 14, 15}));
    EXPECT_EQ(ch.pos, 15u);
}

// A non-looping sample of 8 bytes played from 5 at step 1: bytes 6 and 7, then parked.
TEST_P(Loops, ParkingPosition)
{
    loop_kind k = GetParam();
    std::array<std::int8_t, 16> bytes{10, 11, 12, 13, 14, 15, 16, 17, 40, 50, 60, 70};
    mix_channel ch = channel(bytes.data(), 8, 0, 0, 0, 5, 0, 1, 0);
    std::array<std::int32_t, 12> acc{};
    // gain 64 with w = 0: the interpolating loops give (byte * 64 * 63) >> 6 = byte * 63
    std::int32_t g = interpolating(k) ? 64 : 1;
    std::int32_t scale = interpolating(k) ? 63 : 1;
    std::int32_t n = stereo(k) ? 6 : 12;
    run_loop(k, &ch, acc.data(), n, g, g);
    std::uint32_t park = parking(k, ch);
    EXPECT_EQ(ch.pos, park);
    EXPECT_EQ(ch.step, 0u);
    EXPECT_EQ(ch.stepfrac, 0u);
    std::int32_t parked = bytes[park] * scale;
    std::vector<std::int32_t> want = {16 * scale, 17 * scale, parked, parked, parked, parked};
    for (std::int32_t i = 0; i < 6; i++) {
        std::int32_t at = stereo(k) ? 2 * i : i;
        EXPECT_EQ(acc[at], want[i]) << "sample " << i;
        if (stereo(k)) {
            EXPECT_EQ(acc[at + 1], want[i]) << "right, sample " << i;
        }
    }
    // a new step alone plays a channel parked at 0 from the start; one parked at the
    // length is parked again at once
    ch.step = 1;
    std::array<std::int32_t, 4> again{};
    run_loop(k, &ch, again.data(), 1, g, g);
    EXPECT_EQ(ch.pos, park == 0 ? 1u : park);
    EXPECT_EQ(again[0], (park == 0 ? bytes[1] : bytes[park]) * scale);
}

TEST_P(Loops, InterpolationWeights)
{
    loop_kind k = GetParam();
    std::array<std::int8_t, 8> bytes{0, 0, -3, 5, 0, 0};
    mix_channel ch = channel(bytes.data(), 6, 0, 0, 0, 2, 0x80000000u, 0, 0);   // w = 32, standing still
    std::array<std::int32_t, 2> acc{};
    run_loop(k, &ch, acc.data(), 1, 7, 7);
    // ((5*7*32) >> 6) + ((-3*7*31) >> 6) = 17 + (-11): the shift rounds toward minus infinity
    EXPECT_EQ(acc[0], interpolating(k) ? 6 : -21);
}

INSTANTIATE_TEST_SUITE_P(All, Loops, ::testing::Values(MIXMONO, IMIXMONO, MIXSTEREO, IMIXSTEREO));

TEST_F(MixerTest, VolumeZeroNeitherSoundsNorMoves)
{
    auto bytes = ramp();
    mix_getsample(1, bytes.data(), 64, 0, 0, 0);
    mix_setactivechannels(1);
    mix_selectchannel(0);
    mix_setsample(1);
    mix_setamigaperiod(80);
    mix_setoffset(5);
    for (std::int32_t volume : {0, -9}) {
        mix_setvolume(volume);
        std::array<std::uint8_t, 20> out{};
        out.fill(0xEE);
        sd_mix_mono(out.data(), 10, 1);
        EXPECT_EQ(out, (std::array<std::uint8_t, 20>{}));
        EXPECT_EQ(mix_realchannels[0].pos, 5u);
    }
    mix_setvolume(64);
    std::array<std::uint8_t, 2> out{};
    sd_mix_mono(out.data(), 1, 1);
    EXPECT_EQ(mix_realchannels[0].pos, 6u);   // carries on from where it stood
    EXPECT_EQ((out[0] << 8) | out[1], 6 * 129);
}

struct gain_case { std::int32_t volume, main, panning, mono, left, right; };
std::ostream& operator<<(std::ostream& o, const gain_case& c) { return o << "vol" << c.volume << "_main" << c.main << "_pan" << c.panning; }

class Gains : public MixerTest, public ::testing::WithParamInterface<gain_case> {};

TEST_P(Gains, MonoAndStereo)
{
    const gain_case& c = GetParam();
    mix_mainvolume = c.main;
    EXPECT_EQ(mix_monogain(c.volume), c.mono);
    std::int32_t l, r;
    mix_stereogains(c.volume, c.panning, &l, &r);
    EXPECT_EQ(l, c.left);
    EXPECT_EQ(r, c.right);
}

INSTANTIATE_TEST_SUITE_P(Levels, Gains, ::testing::Values(
    gain_case{64, 64, 0, 129, 129, 0}, gain_case{64, 64, 112, 129, 72, 56}, gain_case{64, 64, 127, 129, 65, 64},
    gain_case{64, 64, 144, 129, 56, 73}, gain_case{64, 64, 255, 129, 0, 129}, gain_case{64, 63, 127, 127, 64, 63},
    gain_case{255, 252, 255, 2032, 0, 2032}, gain_case{-1, 64, 127, 0, 0, 0}));

// Through the entry points: the gain reaches the output, four channels clip, stereo pans.
TEST_F(MixerTest, EntryPointsMixAndConvert)
{
    std::array<std::int8_t, 64> bytes{};
    bytes.fill(127);
    mix_getsample(1, bytes.data(), 32, 0, 31, 1);
    mix_setactivechannels(4);
    for (std::int32_t c = 0; c < 4; c++) {
        mix_selectchannel(c);
        mix_setsample(1);
        mix_setvolume(c == 0 ? 64 : 0);
        mix_setpanning(0);
        mix_setamigaperiod(428);
    }
    std::array<std::uint8_t, 8> out{};
    sd_mix_mono(out.data(), 4, 1);
    EXPECT_EQ((out[0] << 8) | out[1], 127 * 129);
    sd_mix_mono(out.data(), 4, 0);
    EXPECT_EQ(out[0], ((127 * 129) >> 9) + 128);
    sd_mix_stereo(out.data(), 2, 1);
    EXPECT_EQ((out[0] << 8) | out[1], 127 * 129);   // left
    EXPECT_EQ((out[2] << 8) | out[3], 0);           // right
    for (std::int32_t c = 1; c < 4; c++) {
        mix_selectchannel(c);
        mix_setvolume(64);
    }
    sd_mix_mono(out.data(), 4, 1);
    EXPECT_EQ((out[0] << 8) | out[1], 0x7FFF);      // 4 * 16383 clips
}

struct entry_case { bool stereo; std::int32_t interpolation; std::uint32_t park; };
std::ostream& operator<<(std::ostream& o, const entry_case& c)
{
    return o << (c.stereo ? "stereo" : "mono") << "_interp" << c.interpolation;
}

class EntryLoop : public MixerTest, public ::testing::WithParamInterface<entry_case> {};

// Each entry point runs the plain or the interpolating loop as the option says: a sample
// of 8 bytes played out from 5 ends parked where that loop parks, sounding that byte.
TEST_P(EntryLoop, PicksItsLoop)
{
    const entry_case& c = GetParam();
    std::array<std::int8_t, 16> bytes{10, 11, 12, 13, 14, 15, 16, 17, 40};
    mix_getsample(1, bytes.data(), 8, 0, 0, 0);
    mix_setactivechannels(1);
    mix_selectchannel(0);
    mix_setsample(1);
    mix_setvolume(64);
    mix_setpanning(0);   // stereo: all of the gain (129) on the left
    mix_setoffset(5);
    mix_channels[0].step = 1;
    sd_mix_interpolation = c.interpolation;
    std::array<std::uint8_t, 4 * 6> out{};
    if (c.stereo)
        sd_mix_stereo(out.data(), 6, 1);
    else
        sd_mix_mono(out.data(), 6, 1);
    EXPECT_EQ(mix_realchannels[0].pos, c.park);
    EXPECT_EQ(mix_realchannels[0].step, 0u);
    std::int32_t s = bytes[c.park];
    std::int32_t want = c.interpolation ? (s * 129 * 63) >> 6 : s * 129;   // weight 0 on the next byte
    std::size_t last = c.stereo ? 4 * 5 : 2 * 5;
    EXPECT_EQ((out[last] << 8) | out[last + 1], want);
    if (c.stereo) {
        EXPECT_EQ((out[last + 2] << 8) | out[last + 3], 0);   // right
    }
}

INSTANTIATE_TEST_SUITE_P(Options, EntryLoop, ::testing::Values(
    entry_case{false, 0, 0}, entry_case{false, 1, 8}, entry_case{true, 0, 8}, entry_case{true, 7, 0}));

TEST_F(MixerTest, LongRequestsMatchSlicedOnes)
{
    std::vector<std::int8_t> bytes(5000);
    for (std::size_t i = 0; i < bytes.size(); i++)
        bytes[i] = static_cast<std::int8_t>(i * 7);
    mix_getsample(1, bytes.data(), 4000, 100, 3900, 1);
    mix_setactivechannels(1);
    mix_selectchannel(0);
    mix_setsample(1);
    mix_setvolume(50);
    mix_setamigaperiod(200);
    std::vector<std::uint8_t> whole(2 * 25000), parts(2 * 25000);
    sd_mix_mono(whole.data(), 25000, 1);
    mix_selectchannel(0);
    mix_setoffset(0);
    mix_setamigaperiod(200);
    sd_mix_mono(parts.data(), 20480, 1);
    sd_mix_mono(parts.data() + 2 * 20480, 25000 - 20480, 1);
    EXPECT_EQ(whole, parts);
}

struct convert_case { std::int32_t acc; std::uint8_t hi, lo, u8; };
std::ostream& operator<<(std::ostream& o, const convert_case& c) { return o << c.acc; }

class Conversion : public ::testing::TestWithParam<convert_case> {};

TEST_P(Conversion, SixteenAndEightBit)
{
    const convert_case& c = GetParam();
    std::int32_t acc[2] = {c.acc, c.acc};
    std::uint8_t out[4] = {};
    sd_c_mono32tom16i(acc, out, 1);
    EXPECT_EQ(out[0], c.hi);   // most significant byte first
    EXPECT_EQ(out[1], c.lo);
    sd_c_stereo32tos16i(acc, out, 1);
    EXPECT_EQ(out[2], c.hi);
    EXPECT_EQ(out[3], c.lo);
    sd_c_mono32tom8u(acc, out, 1);
    EXPECT_EQ(out[0], c.u8);
    sd_c_stereo32tos8u(acc, out, 1);
    EXPECT_EQ(out[1], c.u8);
}

INSTANTIATE_TEST_SUITE_P(Values, Conversion, ::testing::Values(
    convert_case{40000, 0x7F, 0xFF, 206}, convert_case{-40000, 0x80, 0x00, 49},
    convert_case{511, 0x01, 0xFF, 128}, convert_case{-1, 0xFF, 0xFF, 127}, convert_case{-513, 0xFD, 0xFF, 126},
    convert_case{0x1234, 0x12, 0x34, 137}, convert_case{0, 0, 0, 128}));

// Random channels, many of them near a boundary, through the fast loops and the
// reference; the output and the channel afterwards must agree exactly.
TEST_P(Loops, FastLoopsMatchTheReference)
{
    loop_kind k = GetParam();
    std::mt19937 rng(1234 + static_cast<unsigned>(k));
    auto pick = [&](std::uint32_t lo, std::uint32_t hi) { return std::uniform_int_distribution<std::uint32_t>(lo, hi)(rng); };
    std::vector<std::int8_t> bytes(70000);
    for (auto& b : bytes)
        b = static_cast<std::int8_t>(pick(0, 255));
    std::vector<std::int32_t> fast(2 * 2000), ref(2 * 2000);
    for (int trial = 0; trial < 4000; trial++) {
        std::uint32_t length = pick(1, 60000);
        std::uint32_t loopstart = pick(0, length - 1);
        std::uint32_t loopend = pick(loopstart, length);
        if (pick(0, 4) == 0)
            loopend = loopstart + pick(0, 2);   // loops of 0 to 2 bytes
        else if (pick(0, 19) == 0)
            loopend = pick(0, loopstart);       // loop end before its start: every advance wraps
        std::int32_t looped = static_cast<std::int32_t>(pick(0, 1));
        std::uint32_t limit = looped ? loopend + 1 : length;
        std::uint32_t pos = pick(0, 3) == 0 ? limit - std::min(limit, pick(0, 3)) : pick(0, limit);
        if (pick(0, 9) == 0)
            pos = pick(limit, 0xFFFFFFFFu);     // far past the end, as after a shorter sample is set
        std::uint32_t step = pick(0, 3) == 0 ? pick(0, 5) : 0;
        // whole steps from whole positions land exactly on the boundaries
        bool whole = pick(0, 2) == 0;
        std::uint32_t stepfrac = whole ? 0 : pick(0, 0xFFFFFFFFu);
        std::uint32_t posfrac = whole ? 0 : pick(0, 0xFFFFFFFFu);
        if (whole && step == 0)
            step = pick(1, 3);
        switch (pick(0, 19)) {
        case 0: step = stepfrac = 0; break;
        case 1: step = (loopend - loopstart) + pick(0, 2); break;   // a whole loop cycle or a little more each sample
        case 2: step = pick(0, 0xFFFFFFFFu); break;                 // position wraps around 2^32
        default: break;
        }
        mix_channel a = channel(bytes.data(), length, loopstart, loopend, looped, pos, posfrac, step, stepfrac);
        mix_channel b = a;
        auto n = static_cast<std::int32_t>(pick(0, 2000));
        if (pick(0, 3) == 0) {
            // end the call just before, on or just after the sample that meets the boundary
            std::int32_t meet = samples_to_boundary(a, 1999);
            n = std::clamp<std::int32_t>(meet + static_cast<std::int32_t>(pick(0, 2)) - 1, 0, 2000);
        }
        std::int32_t gl = static_cast<std::int32_t>(pick(0, 2032)), gr = static_cast<std::int32_t>(pick(0, 2032));
        if (pick(0, 4) == 0)
            (pick(0, 1) ? gl : gr) = 0;          // panned fully to one side
        std::fill(fast.begin(), fast.end(), 3);
        std::fill(ref.begin(), ref.end(), 3);
        run_loop(k, &a, fast.data(), n, gl, gr);
        reference_loop(k, &b, ref.data(), n, gl, gr);
        ASSERT_EQ(fast, ref) << "trial " << trial;
        ASSERT_EQ(a.pos, b.pos) << "trial " << trial;
        ASSERT_EQ(a.posfrac, b.posfrac) << "trial " << trial;
        ASSERT_EQ(a.step, b.step) << "trial " << trial;
        ASSERT_EQ(a.stepfrac, b.stepfrac) << "trial " << trial;
    }
}

}  // namespace
