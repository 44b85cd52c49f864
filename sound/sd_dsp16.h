// The SDL audio device: opens SDL audio paused in the mixer's format and installs the
// device controls and the mixer's channel controls.
#pragma once
#include <SDL/SDL.h>
#include <cstdint>

extern std::int32_t basefreq;   // output rate in Hz
extern SDL_AudioSpec wanted;    // the format asked of SDL_OpenAudio
// Audio callback handed to SDL at registration; writes silence until the music
// interface points it at its own callback (set it before sd_dsp16_init).
extern void (*dsp16_callback)(void* userdata, Uint8* stream, int len);
// SDL_OpenAudio, replaceable so that a test can see the format asked for.
extern int (*dsp16_openaudio)(SDL_AudioSpec* desired, SDL_AudioSpec* obtained);

// Registers the SDL audio device at rate Hz: 1 when the device opened, else 0 with
// sd_errorstr set and the table untouched.
std::int32_t sd_dsp16_init(std::int32_t rate);
// Opens SDL audio at rate Hz, paused; 1 when SDL accepted the format.
std::int32_t dsp16_initcard(std::int32_t rate);
std::int32_t dsp16_init();            // initialises the mixer at basefreq
std::int32_t dsp16_start();           // does nothing: the music interface unpauses
std::int32_t dsp16_stop();            // does nothing
std::int32_t dsp16_shutdown();        // closes SDL audio
std::int32_t dsp16_dummyfunction();   // does nothing
// Writes len bytes of silence in the format of wanted.
void dsp16_silence(void* userdata, Uint8* stream, int len);
