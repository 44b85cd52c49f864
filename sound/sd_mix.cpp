// Software mixer: owns the sample records, the control and working channels, the main
// volume and the 32-bit accumulators. Controls run on whichever thread runs the replay
// routine; the mixing entry points run in the audio callback (or an offline renderer).
#include "sound/sd_mix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "core/loader.h"
#include "sound/sd.h"

mix_sample mix_samples[MIX_SAMPLES];
mix_channel mix_channels[MIX_CHANNELS];
mix_channel mix_realchannels[MIX_CHANNELS];
std::int32_t sd_mix_rate = 44100;
std::int32_t mix_mainvolume = 63;
std::int32_t mix_activechannels = 4;
mix_channel* curchan;
std::int32_t sd_mix_interpolation;
std::int32_t mix_buffer32[MIX_BUFFER];

namespace {

constexpr std::int32_t MAX_MAINVOLUME = 252;
constexpr std::uint64_t FOREVER = std::numeric_limits<std::uint64_t>::max();

// End of the memory behind a sample's bytes when they lie in the loaded module (the
// file plus the loader's spare zero bytes), or null when the bytes are elsewhere.
const std::int8_t* module_end(const std::int8_t* data)
{
    if (!musakki || !data)
        return nullptr;
    const auto* begin = reinterpret_cast<const std::int8_t*>(musakki);
    const std::int8_t* end = begin + musakki_size + LOAD_SPARE;
    if (std::less<const std::int8_t*>()(data, begin) || !std::less<const std::int8_t*>()(data, end))
        return nullptr;
    return end;
}

// The loops hold position and step as single 64-bit numbers: adding them modulo 2^64 is
// exactly the 32-bit add with carry of long_addition.
std::uint64_t join(std::uint32_t hi, std::uint32_t lo) { return (std::uint64_t{hi} << 32) | lo; }

enum park_at { PARK_ZERO, PARK_LENGTH };

// Number of advances from p that cannot reach the channel's boundary check.
inline std::uint64_t safe_advances(const mix_channel* ch, std::uint64_t p, std::uint64_t st)
{
    if (ch->looped) {
        std::uint64_t last = join(ch->loopend, 0xFFFFFFFFu);   // pos > loopend wraps
        if (p > last)
            return 0;
        return st ? (last - p) / st : FOREVER;
    }
    std::uint64_t end = join(ch->length, 0);                   // pos >= length parks
    if (p >= end)
        return 0;
    return st ? (end - 1 - p) / st : FOREVER;
}

// One output sample with the full boundary handling; the slow path between runs.
template <park_at PARK>
inline void advance_checked(mix_channel* ch, std::uint64_t& p, std::uint64_t& st)
{
    p += st;
    std::uint32_t pos = static_cast<std::uint32_t>(p >> 32);
    if (ch->looped) {
        if (pos > ch->loopend)
            p = join(ch->loopstart + 1, static_cast<std::uint32_t>(p));
    } else if (pos >= ch->length) {
        st = 0;
        p = join(PARK == PARK_ZERO ? 0 : ch->length, static_cast<std::uint32_t>(p));
    }
}

// The contribution of one output sample at position p.
struct mono_plain {
    std::int32_t g;
    void operator()(const std::int8_t* d, std::uint64_t p, std::int32_t* acc) const
    {
        *acc += d[p >> 32] * g;
    }
};

struct mono_interp {
    std::int32_t g;
    void operator()(const std::int8_t* d, std::uint64_t p, std::int32_t* acc) const
    {
        const std::int8_t* s = d + (p >> 32);
        std::int32_t w = static_cast<std::int32_t>(static_cast<std::uint32_t>(p) >> 26);
        *acc += ((s[1] * g * w) >> 6) + ((s[0] * g * (63 - w)) >> 6);
    }
};

struct stereo_plain {
    std::int32_t gl, gr;
    void operator()(const std::int8_t* d, std::uint64_t p, std::int32_t* acc) const
    {
        std::int32_t s = d[p >> 32];
        acc[0] += s * gl;
        acc[1] += s * gr;
    }
};

struct stereo_interp {
    std::int32_t gl, gr;
    void operator()(const std::int8_t* d, std::uint64_t p, std::int32_t* acc) const
    {
        const std::int8_t* s = d + (p >> 32);
        std::int32_t w = static_cast<std::int32_t>(static_cast<std::uint32_t>(p) >> 26);
        acc[0] += ((s[1] * gl * w) >> 6) + ((s[0] * gl * (63 - w)) >> 6);
        acc[1] += ((s[1] * gr * w) >> 6) + ((s[0] * gr * (63 - w)) >> 6);
    }
};

// Runs a channel over n output samples. Between boundaries the samples are mixed by a
// tight loop without the boundary test; the sample that meets a boundary takes the
// checked path. A channel held still by its boundary (parked, step 0) repeats one value.
template <park_at PARK, int STRIDE, class MIX>
void mixloop(mix_channel* ch, std::int32_t* acc, std::int32_t n, MIX mix)
{
    const std::int8_t* d = ch->data;
    std::uint64_t p = join(ch->pos, ch->posfrac);
    std::uint64_t st = join(ch->step, ch->stepfrac);
    std::int32_t i = 0;
    while (i < n) {
        std::uint64_t run = std::min<std::uint64_t>(safe_advances(ch, p, st), static_cast<std::uint64_t>(n - i));
        std::int32_t* a = acc + static_cast<std::ptrdiff_t>(i) * STRIDE;
        std::int32_t* const stop = a + static_cast<std::ptrdiff_t>(run) * STRIDE;
        // four samples a round from independent sums, so that they need not wait on each other
        const std::uint64_t st2 = 2 * st, st3 = 3 * st, st4 = 4 * st;
        for (; stop - a >= 4 * STRIDE; a += 4 * STRIDE, p += st4) {
            mix(d, p + st, a);
            mix(d, p + st2, a + STRIDE);
            mix(d, p + st3, a + 2 * STRIDE);
            mix(d, p + st4, a + 3 * STRIDE);
        }
        for (; a != stop; a += STRIDE) {
            p += st;
            mix(d, p, a);
        }
        i += static_cast<std::int32_t>(run);
        if (i == n)
            break;
        std::uint64_t before = p;
        advance_checked<PARK>(ch, p, st);
        mix(d, p, a);
        i++;
        if (st == 0 && p == before) {   // nothing will move for the rest of the call
            for (a += STRIDE; i < n; i++, a += STRIDE)
                mix(d, p, a);
        }
    }
    ch->pos = static_cast<std::uint32_t>(p >> 32);
    ch->posfrac = static_cast<std::uint32_t>(p);
    ch->step = static_cast<std::uint32_t>(st >> 32);
    ch->stepfrac = static_cast<std::uint32_t>(st);
}

inline std::int32_t clip16(std::int32_t v) { return std::clamp(v, -32768, 32767); }
inline std::uint8_t to8u(std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v >> 9, -128, 127) + 128); }

inline void put16(std::uint8_t* out, std::int32_t v)
{
    auto u = static_cast<std::uint16_t>(clip16(v));
    out[0] = static_cast<std::uint8_t>(u >> 8);   // most significant byte first, as the device asks
    out[1] = static_cast<std::uint8_t>(u);
}

// Divides a gain product by 8064 (128 x 63) the way the gain formulas do.
inline std::int32_t by8064(std::uint32_t product) { return static_cast<std::int32_t>((product >> 7) / 63u); }

// Volumes outside 0..255 cannot come from a song (255 is the largest effect parameter);
// holding them there keeps every product and sum inside 32 bits.
inline std::uint32_t gain_volume(std::int32_t volume) { return static_cast<std::uint32_t>(std::clamp(volume, 0, 255)); }

inline mix_channel* control_channel(std::int32_t n)
{
    return n >= 0 && n < MIX_CHANNELS ? &mix_channels[n] : nullptr;
}

// Hands every active channel over; returns the number of channels to mix.
std::int32_t hand_over()
{
    std::int32_t active = std::clamp(mix_activechannels, 0, MIX_CHANNELS);
    for (std::int32_t c = 0; c < active; c++)
        mix_copychannel(&mix_realchannels[c], &mix_channels[c]);
    return active;
}

bool silent(const mix_channel* ch) { return ch->length == 0 || ch->volume <= 0; }

}  // namespace

void sd_mix_setfunctions()
{
    sd_getsample = mix_getsample;
    sd_selectchannel = mix_selectchannel;
    sd_setsample = mix_setsample;
    sd_setamigaperiod = mix_setamigaperiod;
    sd_setvolume = mix_setvolume;
    sd_setpanning = mix_setpanning;
    sd_setoffset = mix_setoffset;
    sd_setmainvolume = mix_setmainvolume;
    sd_setactivechannels = mix_setactivechannels;
}

void sd_mix_initchannel(mix_channel* ch)
{
    *ch = mix_channel{};
    ch->panning = 127;
    ch->stepchanged = 1;
    ch->poschanged = 1;
}

void sd_mix_initsample(mix_sample* s) { *s = mix_sample{}; }

void sd_mix_init(std::int32_t rate)
{
    sd_mix_rate = rate;
    for (int c = 0; c < MIX_CHANNELS; c++) {
        sd_mix_initchannel(&mix_channels[c]);
        sd_mix_initchannel(&mix_realchannels[c]);
    }
    for (auto& s : mix_samples)
        sd_mix_initsample(&s);
}

std::int32_t mix_getsample(std::int32_t n, std::int8_t* data, std::uint32_t length, std::uint32_t loopstart,
                           std::uint32_t loopend, std::int32_t looped)
{
    if (n < 0 || n >= MIX_SAMPLES)
        return 1;
    // Inside the module, keep every byte the loops can read (the interpolating loops read
    // one past the position, and a wrap lands one past the loop start) inside the block.
    if (const std::int8_t* end = module_end(data)) {
        std::uint64_t room = static_cast<std::uint64_t>(end - data);
        std::uint32_t limit = room >= 3 ? static_cast<std::uint32_t>(std::min<std::uint64_t>(room - 3, 0xFFFFFFFFu)) : 0;
        length = room >= 3 ? std::min(length, limit) : 0;
        loopstart = std::min(loopstart, limit);
        loopend = std::min(loopend, limit);
    }
    mix_samples[n] = mix_sample{data, length, loopstart, loopend, looped};
    return 1;
}

std::int32_t mix_setactivechannels(std::int32_t n)
{
    mix_activechannels = std::clamp(n, 0, MIX_CHANNELS);
    return n;
}

std::int32_t mix_selectchannel(std::int32_t n)
{
    // A channel that does not exist deselects, so that the setters after it change nothing
    // instead of landing on the channel selected before.
    curchan = control_channel(n);
    return n;
}

std::int32_t mix_setsample(std::int32_t n)
{
    if (!curchan || n < 0 || n >= MIX_SAMPLES)
        return n;
    const mix_sample& s = mix_samples[n];
    curchan->sample = n;
    curchan->data = s.data;
    curchan->loopstart = s.loopstart;
    curchan->loopend = s.loopend;
    curchan->looped = s.looped;
    curchan->length = s.length;
    return n;
}

std::int32_t mix_setamigaperiod(std::int32_t period)
{
    if (!curchan)
        return period;
    // A negative period or rate has no meaning; it stops the channel like period 0.
    if (period <= 0 || sd_mix_rate <= 0) {
        curchan->step = 0;
        curchan->stepfrac = 0;
    } else {
        double f = static_cast<double>(PAULA_CLOCK) / (static_cast<double>(period) * sd_mix_rate);
        double whole;
        double frac = std::modf(f, &whole);
        curchan->step = static_cast<std::uint32_t>((PAULA_CLOCK / period) / sd_mix_rate);
        // 24 fraction bits, truncated, placed at the top of the 32-bit fraction
        curchan->stepfrac = static_cast<std::uint32_t>(static_cast<std::int32_t>(frac * 16777216.0)) << 8;
    }
    curchan->stepchanged = 1;
    return period;
}

std::int32_t mix_setvolume(std::int32_t volume)
{
    if (curchan)
        curchan->volume = volume;
    return volume;
}

std::int32_t mix_setpanning(std::int32_t panning)
{
    if (curchan)
        curchan->panning = panning;
    return panning;
}

std::int32_t mix_setoffset(std::uint32_t offset)
{
    if (!curchan)
        return static_cast<std::int32_t>(offset);
    if (offset > curchan->loopend)
        curchan->looped = 0;
    if (offset < curchan->length) {
        curchan->pos = offset;
        curchan->posfrac = 0;
        curchan->poschanged = 1;
    }
    return static_cast<std::int32_t>(offset);
}

std::int32_t mix_setmainvolume(std::int32_t volume)
{
    mix_mainvolume = std::clamp(volume, 0, MAX_MAINVOLUME);
    return volume;
}

void long_addition(std::uint32_t* pos, std::uint32_t* posfrac, const std::uint32_t* step,
                   const std::uint32_t* stepfrac)
{
    std::uint32_t before = *posfrac;
    *pos += *step;
    *posfrac += *stepfrac;
    if (*posfrac < before)
        *pos += 1;
}

void mix_copychannel(mix_channel* work, mix_channel* control)
{
    std::uint32_t pos = work->pos, posfrac = work->posfrac;
    std::uint32_t step = work->step, stepfrac = work->stepfrac;
    *work = *control;
    if (control->poschanged) {
        control->poschanged = 0;
    } else {
        work->pos = pos;
        work->posfrac = posfrac;
    }
    if (control->stepchanged) {
        control->stepchanged = 0;
    } else {
        work->step = step;
        work->stepfrac = stepfrac;
    }
}

std::int32_t mix_monogain(std::int32_t volume)
{
    auto main = static_cast<std::uint32_t>(std::clamp(mix_mainvolume, 0, MAX_MAINVOLUME));
    return by8064(gain_volume(volume) * main * 255u);
}

void mix_stereogains(std::int32_t volume, std::int32_t panning, std::int32_t* gainl, std::int32_t* gainr)
{
    std::uint32_t v = gain_volume(volume);
    auto pan = static_cast<std::uint32_t>(std::clamp(panning, 0, 255));
    auto main = static_cast<std::uint32_t>(std::clamp(mix_mainvolume, 0, MAX_MAINVOLUME));
    *gainl = by8064(v * (255u - pan) * main);
    *gainr = by8064(v * pan * main);
}

void sd_c_mixmono(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gain)
{
    mixloop<PARK_ZERO, 1>(ch, acc, n, mono_plain{gain});
}

void sd_c_imixmono(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gain)
{
    mixloop<PARK_LENGTH, 1>(ch, acc, n, mono_interp{gain});
}

void sd_c_mixstereo(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gainl, std::int32_t gainr)
{
    mixloop<PARK_LENGTH, 2>(ch, acc, n, stereo_plain{gainl, gainr});
}

void sd_c_imixstereo(mix_channel* ch, std::int32_t* acc, std::int32_t n, std::int32_t gainl, std::int32_t gainr)
{
    mixloop<PARK_ZERO, 2>(ch, acc, n, stereo_interp{gainl, gainr});
}

void sd_c_mono32tom16i(const std::int32_t* acc, std::uint8_t* out, std::int32_t n)
{
    for (std::int32_t i = 0; i < n; i++)
        put16(out + 2 * i, acc[i]);
}

void sd_c_mono32tom8u(const std::int32_t* acc, std::uint8_t* out, std::int32_t n)
{
    for (std::int32_t i = 0; i < n; i++)
        out[i] = to8u(acc[i]);
}

void sd_c_stereo32tos16i(const std::int32_t* acc, std::uint8_t* out, std::int32_t n)
{
    sd_c_mono32tom16i(acc, out, 2 * n);   // interleaved frames convert as 2n samples
}

void sd_c_stereo32tos8u(const std::int32_t* acc, std::uint8_t* out, std::int32_t n)
{
    sd_c_mono32tom8u(acc, out, 2 * n);
}

// Longer requests than the accumulators hold are mixed in consecutive slices after the
// one hand-over, which gives the same output as one long slice.
void sd_mix_mono(std::uint8_t* out, std::int32_t n, std::int32_t bits16)
{
    std::int32_t active = hand_over();
    while (n > 0) {
        std::int32_t part = std::min(n, MIX_BUFFER);
        std::memset(mix_buffer32, 0, sizeof(std::int32_t) * static_cast<std::size_t>(part));
        for (std::int32_t c = 0; c < active; c++) {
            mix_channel* ch = &mix_realchannels[c];
            if (silent(ch))
                continue;
            std::int32_t g = mix_monogain(ch->volume);
            if (sd_mix_interpolation)
                sd_c_imixmono(ch, mix_buffer32, part, g);
            else
                sd_c_mixmono(ch, mix_buffer32, part, g);
        }
        if (bits16) {
            sd_c_mono32tom16i(mix_buffer32, out, part);
            out += 2 * part;
        } else {
            sd_c_mono32tom8u(mix_buffer32, out, part);
            out += part;
        }
        n -= part;
    }
}

void sd_mix_stereo(std::uint8_t* out, std::int32_t n, std::int32_t bits16)
{
    std::int32_t active = hand_over();
    while (n > 0) {
        std::int32_t part = std::min(n, MIX_BUFFER / 2);
        std::memset(mix_buffer32, 0, sizeof(std::int32_t) * 2 * static_cast<std::size_t>(part));
        for (std::int32_t c = 0; c < active; c++) {
            mix_channel* ch = &mix_realchannels[c];
            if (silent(ch))
                continue;
            std::int32_t gl, gr;
            mix_stereogains(ch->volume, ch->panning, &gl, &gr);
            if (sd_mix_interpolation)
                sd_c_imixstereo(ch, mix_buffer32, part, gl, gr);
            else
                sd_c_mixstereo(ch, mix_buffer32, part, gl, gr);
        }
        if (bits16) {
            sd_c_stereo32tos16i(mix_buffer32, out, part);
            out += 4 * part;
        } else {
            sd_c_stereo32tos8u(mix_buffer32, out, part);
            out += 2 * part;
        }
        n -= part;
    }
}
