// The two devices: what registration puts into the table, the audio format asked of
// SDL, and a failed open.
#include <gtest/gtest.h>

#include <ostream>

#include <SDL/SDL.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sound/sd.h"
#include "sound/sd_dsp16.h"
#include "sound/sd_mix.h"
#include "sound/sd_ns.h"

namespace {

void clear_table()
{
    sd_init = sd_start = sd_stop = sd_shutdown = sd_secondhand = nullptr;
    sd_getsample = nullptr;
    sd_setactivechannels = sd_selectchannel = sd_setsample = sd_setamigaperiod = nullptr;
    sd_setvolume = sd_setpanning = sd_setmainvolume = nullptr;
    sd_setoffset = nullptr;
    sd_errorstr = "";
    sd_devicename = "";
}

bool table_empty()
{
    return !sd_init && !sd_start && !sd_stop && !sd_shutdown && !sd_secondhand && !sd_getsample &&
           !sd_setactivechannels && !sd_selectchannel && !sd_setsample && !sd_setamigaperiod && !sd_setvolume &&
           !sd_setpanning && !sd_setoffset && !sd_setmainvolume;
}

SDL_AudioSpec asked;
int open_result;
int fake_open(SDL_AudioSpec* desired, SDL_AudioSpec* obtained)
{
    asked = *desired;
    EXPECT_EQ(obtained, nullptr);
    return open_result;
}

struct Devices : ::testing::Test {
    void SetUp() override
    {
        clear_table();
        dsp16_openaudio = fake_open;
        open_result = 0;
    }
    void TearDown() override
    {
        dsp16_openaudio = SDL_OpenAudio;
        clear_table();
        sd_mix_init(44100);
    }
};

TEST_F(Devices, NoSoundRegistersEverythingTheSongNeeds)
{
    EXPECT_EQ(sd_ns_init(), 1);
    EXPECT_EQ(sd_init, &ns_init);
    for (auto op : {sd_start, sd_stop, sd_shutdown, sd_secondhand})
        EXPECT_EQ(op, &ns_dummyfunction);
    EXPECT_EQ(sd_getsample, &mix_getsample);
    EXPECT_EQ(sd_setmainvolume, &mix_setmainvolume);
    EXPECT_STREQ(sd_devicename, "Super Tovu NoSound Device 2.0c");
    EXPECT_STREQ(sd_errorstr, "");
    // the song's calls all land in the mixer's control channels
    static std::int8_t bytes[16];
    sd_init();
    sd_getsample(1, bytes, 16, 0, 0, 0);
    sd_setactivechannels(4);
    sd_selectchannel(2);
    sd_setsample(1);
    sd_setvolume(40);
    sd_setamigaperiod(428);
    EXPECT_EQ(mix_channels[2].volume, 40);
    EXPECT_EQ(mix_channels[2].data, bytes);
}

struct format_case { std::int32_t rate; Uint16 format; };
std::ostream& operator<<(std::ostream& o, const format_case& c) { return o << c.rate << "Hz"; }

class AskedFormat : public Devices, public ::testing::WithParamInterface<format_case> {};

TEST_P(AskedFormat, MonoTwoThousandSamplesPaused)
{
    const format_case& c = GetParam();
    ASSERT_EQ(sd_dsp16_init(c.rate), 1);
    EXPECT_EQ(asked.freq, c.rate);
    EXPECT_EQ(asked.format, c.format);
    EXPECT_EQ(asked.channels, 1);
    EXPECT_EQ(asked.samples, 2048);
    EXPECT_EQ(asked.callback, dsp16_callback);
    EXPECT_EQ(asked.userdata, nullptr);
    EXPECT_EQ(asked.silence, 0);
    EXPECT_EQ(asked.size, 0u);
    EXPECT_EQ(basefreq, c.rate);
    EXPECT_EQ(sd_init, &dsp16_init);
    EXPECT_EQ(sd_start, &dsp16_start);
    EXPECT_EQ(sd_stop, &dsp16_stop);
    EXPECT_EQ(sd_shutdown, &dsp16_shutdown);
    EXPECT_EQ(sd_secondhand, &dsp16_dummyfunction);
    EXPECT_EQ(sd_setactivechannels, &mix_setactivechannels);
    EXPECT_STREQ(sd_devicename, "SDL audio");
    EXPECT_STREQ(sd_errorstr, "");
    sd_init();   // the mixer now runs at the device's rate
    EXPECT_EQ(sd_mix_rate, c.rate);
}

INSTANTIATE_TEST_SUITE_P(Rates, AskedFormat, ::testing::Values(
    format_case{44100, 0x9010}, format_case{44099, 0x0008}, format_case{22050, 0x0008}, format_case{48000, 0x9010}));

TEST_F(Devices, RefusedFormatLeavesTheTableEmpty)
{
    open_result = -1;
    EXPECT_EQ(sd_dsp16_init(44100), 0);
    EXPECT_TRUE(table_empty());
    EXPECT_STREQ(sd_errorstr, "SDL audio error");
    EXPECT_STREQ(sd_devicename, "");
}

// Through SDL itself: the dummy driver opens, a driver that does not exist fails.
TEST_F(Devices, RealOpenWithDummyAndMissingDriver)
{
    dsp16_openaudio = SDL_OpenAudio;
    const char* old = std::getenv("SDL_AUDIODRIVER");
    std::string saved = old ? old : "";

    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    EXPECT_EQ(sd_dsp16_init(44100), 0);
    EXPECT_TRUE(table_empty());
    EXPECT_STREQ(sd_errorstr, "SDL audio error");
    EXPECT_STREQ(sd_devicename, "");

    clear_table();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    EXPECT_EQ(sd_dsp16_init(44100), 1);
    EXPECT_STREQ(sd_errorstr, "");
    EXPECT_STREQ(sd_devicename, "SDL audio");
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PAUSED);
    sd_shutdown();
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (old)
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_AUDIODRIVER");
}

TEST(DeviceSilence, WritesTheSilenceOfTheFormat)
{
    Uint8 buf[6] = {1, 2, 3, 4, 5, 6};
    wanted.format = AUDIO_U8;
    dsp16_silence(nullptr, buf, 4);
    EXPECT_EQ(buf[0], 0x80);
    EXPECT_EQ(buf[3], 0x80);
    EXPECT_EQ(buf[4], 5);
    wanted.format = AUDIO_S16MSB;
    dsp16_silence(nullptr, buf, 6);
    EXPECT_EQ(buf[5], 0);
}

}  // namespace
