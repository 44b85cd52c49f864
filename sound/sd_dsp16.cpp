// The SDL audio device: owns the output rate and the audio format asked of SDL. Its
// registration, mixer initialisation and shutdown run on the main thread; the callback
// it installs runs on SDL's audio thread.
#include "sound/sd_dsp16.h"

#include <cstring>

#include "sound/sd.h"
#include "sound/sd_mix.h"

std::int32_t basefreq = 44100;
SDL_AudioSpec wanted;
void (*dsp16_callback)(void*, Uint8*, int) = dsp16_silence;
int (*dsp16_openaudio)(SDL_AudioSpec*, SDL_AudioSpec*) = SDL_OpenAudio;

namespace {
constexpr std::int32_t MIN_16BIT_RATE = 44100;   // lower rates run 8-bit
constexpr Uint16 BUFFER_SAMPLES = 2048;          // samples per callback
}

void dsp16_silence(void*, Uint8* stream, int len)
{
    if (len > 0)
        std::memset(stream, wanted.format == AUDIO_U8 ? 0x80 : 0, static_cast<std::size_t>(len));
}

std::int32_t dsp16_initcard(std::int32_t rate)
{
    basefreq = rate;
    wanted = SDL_AudioSpec{};
    wanted.freq = rate;
    wanted.format = rate >= MIN_16BIT_RATE ? AUDIO_S16MSB : AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = BUFFER_SAMPLES;
    wanted.callback = dsp16_callback;
    wanted.userdata = nullptr;
    return dsp16_openaudio(&wanted, nullptr) >= 0 ? 1 : 0;
}

std::int32_t dsp16_init()
{
    sd_mix_init(basefreq);
    return 0;
}

std::int32_t dsp16_start() { return 0; }

std::int32_t dsp16_stop() { return 0; }

std::int32_t dsp16_shutdown()
{
    SDL_CloseAudio();
    return 0;
}

std::int32_t dsp16_dummyfunction() { return 0; }

std::int32_t sd_dsp16_init(std::int32_t rate)
{
    if (!dsp16_initcard(rate)) {
        sd_errorstr = "SDL audio error";
        return 0;
    }
    sd_init = dsp16_init;
    sd_secondhand = dsp16_dummyfunction;
    sd_start = dsp16_start;
    sd_stop = dsp16_stop;
    sd_shutdown = dsp16_shutdown;
    sd_mix_setfunctions();
    sd_devicename = "SDL audio";
    return 1;
}
