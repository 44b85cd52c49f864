// The software mixer: 32 sample records, 32 control channels that the replay routine
// steers, 32 working channels that the mixing loops advance, and the conversions into
// 16-bit or 8-bit output.
#pragma once
#include <cstdint>

// A sample registered by the module loader; the bytes are not owned.
struct mix_sample {
    std::int8_t* data;        // signed 8-bit PCM
    std::uint32_t length;     // bytes
    std::uint32_t loopstart;  // first byte of the loop
    std::uint32_t loopend;    // loop start plus loop length
    std::int32_t looped;      // nonzero when the sample loops
};

// One channel; the play position and the step are 32.32 fixed point in sample bytes.
struct mix_channel {
    std::int8_t* data;
    std::int32_t sample;          // number of the sample last set
    std::int32_t volume;          // 0..64 from the song, up to 255 from one effect
    std::uint32_t posfrac;        // units of 1/2^32 byte
    std::uint32_t pos;            // byte index into data
    std::uint32_t stepfrac;       // advance per output sample, units of 1/2^32 byte
    std::uint32_t step;
    std::uint32_t loopstart;
    std::uint32_t loopend;
    std::int32_t looped;
    std::uint32_t length;
    std::int32_t panning;         // 0 left .. 255 right
    std::int32_t stepchanged;     // step set since the last hand-over
    std::int32_t poschanged;      // position set since the last hand-over
};

constexpr int MIX_CHANNELS = 32;
constexpr int MIX_SAMPLES = 32;
constexpr int MIX_BUFFER = 20480;          // accumulators: mono samples, or half as many stereo frames
constexpr std::int32_t PAULA_CLOCK = 3546836;   // Amiga (PAL) period clock in Hz

extern mix_sample mix_samples[MIX_SAMPLES];
extern mix_channel mix_channels[MIX_CHANNELS];      // control channels, written by the controls
extern mix_channel mix_realchannels[MIX_CHANNELS];  // working channels, advanced by the loops
extern std::int32_t sd_mix_rate;                   // output rate in Hz
extern std::int32_t mix_mainvolume;                // 0..252
extern std::int32_t mix_activechannels;            // channels handed over and mixed, from channel 0
extern mix_channel* curchan;                       // selected control channel, null until selected
extern std::int32_t sd_mix_interpolation;          // nonzero selects the interpolating loops
extern std::int32_t mix_buffer32[MIX_BUFFER];

// Installs the nine mixer operations into the sound-device table.
void sd_mix_setfunctions();
// Sets the rate, zeroes every sample record and resets every channel (panning 127,
// position and step marked as set, so that the first mix hands over 0 and 0).
void sd_mix_init(std::int32_t rate);
void sd_mix_initchannel(mix_channel* ch);
void sd_mix_initsample(mix_sample* s);

std::int32_t mix_getsample(std::int32_t n, std::int8_t* data, std::uint32_t length, std::uint32_t loopstart,
                           std::uint32_t loopend, std::int32_t looped);
std::int32_t mix_setactivechannels(std::int32_t n);
std::int32_t mix_selectchannel(std::int32_t n);
std::int32_t mix_setsample(std::int32_t n);
std::int32_t mix_setamigaperiod(std::int32_t period);
std::int32_t mix_setvolume(std::int32_t volume);
std::int32_t mix_setpanning(std::int32_t panning);
std::int32_t mix_setoffset(std::uint32_t offset);
std::int32_t mix_setmainvolume(std::int32_t volume);

// Adds a 32.32 step to a 32.32 position, carrying out of the fraction.
void long_addition(std::uint32_t* pos, std::uint32_t* posfrac, const std::uint32_t* step,
                   const std::uint32_t* stepfrac);
// Hand-over of a control channel to its working channel.
void mix_copychannel(mix_channel* work, mix_channel* control);

// Hands the active channels over and mixes n mono samples into out: big-endian signed
// 16-bit when bits16 is nonzero, otherwise unsigned 8-bit. Any n >= 0 is fine; more than
// the accumulators hold is mixed in consecutive slices.
void sd_mix_mono(std::uint8_t* out, std::int32_t n, std::int32_t bits16);
// Mixes n interleaved left/right frames into out, in the same two formats.
void sd_mix_stereo(std::uint8_t* out, std::int32_t n, std::int32_t bits16);

// Inner loops: resample one working channel into n accumulators (2n for stereo).
void sd_c_mixmono(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gain);
void sd_c_imixmono(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gain);
void sd_c_mixstereo(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gainl, std::int32_t gainr);
void sd_c_imixstereo(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gainl, std::int32_t gainr);

// Conversions from n accumulators (n frames for stereo) into the output format.
void sd_c_mono32tom16i(const std::int32_t* acc, std::uint8_t* out, std::int32_t n);
void sd_c_mono32tom8u(const std::int32_t* acc, std::uint8_t* out, std::int32_t n);
void sd_c_stereo32tos16i(const std::int32_t* acc, std::uint8_t* out, std::int32_t n);
void sd_c_stereo32tos8u(const std::int32_t* acc, std::uint8_t* out, std::int32_t n);

// Gains for the current main volume: mono, and left/right from the panning.
std::int32_t mix_monogain(std::int32_t volume);
void mix_stereogains(std::int32_t volume, std::int32_t panning, std::int32_t* gainl, std::int32_t* gainr);
