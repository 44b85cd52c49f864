// Puts the mixer and the sound-device table back into their start-up state around a test.
#pragma once
#include <gtest/gtest.h>

#include "sound/sd.h"
#include "sound/sd_mix.h"

struct MixerTest : ::testing::Test {
    void SetUp() override
    {
        sd_mix_init(44100);
        mix_mainvolume = 64;
        mix_activechannels = 4;
        curchan = nullptr;
        sd_mix_interpolation = 0;
    }
    void TearDown() override
    {
        sd_mix_init(44100);
        mix_mainvolume = 63;
        mix_activechannels = 4;
        curchan = nullptr;
    }
    // A channel ready for a loop: data, 32.32 position and step, loop fields.
    static mix_channel channel(std::int8_t* data, std::uint32_t length, std::uint32_t loopstart, std::uint32_t loopend,
                               std::int32_t looped, std::uint32_t pos, std::uint32_t posfrac, std::uint32_t step,
                               std::uint32_t stepfrac)
    {
        mix_channel ch{};
        ch.data = data;
        ch.length = length;
        ch.loopstart = loopstart;
        ch.loopend = loopend;
        ch.looped = looped;
        ch.pos = pos;
        ch.posfrac = posfrac;
        ch.step = step;
        ch.stepfrac = stepfrac;
        ch.volume = 64;
        ch.panning = 127;
        return ch;
    }
};
