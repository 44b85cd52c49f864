// Module loader: reads a tracker module lying whole in memory, indexes its patterns,
// rewrites their cells in place into row records and announces the samples to the
// sound device. Owns the song, pattern and sample tables. Main thread, once.
#include "music/pt.h"

#include "sound/sd.h"

#include <cstring>

std::uint8_t* pt_module;
std::uint32_t pt_modpos;
std::size_t pt_modsize;
std::uint32_t pt_samplelength[PT_SAMPLES];
std::uint8_t pt_samplefinetune[PT_SAMPLES];
std::uint32_t pt_samplevolume[PT_SAMPLES];
std::uint32_t pt_loopstart[PT_SAMPLES];
std::uint32_t pt_looplength[PT_SAMPLES];
std::uint8_t pt_songlength;
std::uint32_t pt_restart;
std::uint8_t pt_order[128];
char pt_modtype[5];
std::uint32_t pt_channels;
std::uint8_t pt_maxpattern;
std::uint8_t* pt_patterns[128];
const char* pt_errorstr = "";

// Finetune-0 periods of the note scale, lowest note first; entry 84 repeats 83.
const std::uint16_t pt_notescale[PT_NOTES] = {
    3424, 3232, 3048, 2880, 2712, 2560, 2416, 2280, 2152, 2032, 1920, 1812,
    1712, 1616, 1524, 1440, 1356, 1280, 1208, 1140, 1076, 1016, 960,  906,
    856,  808,  762,  720,  678,  640,  604,  570,  538,  508,  480,  453,
    428,  404,  381,  360,  339,  320,  302,  285,  269,  254,  240,  226,
    214,  202,  190,  180,  170,  160,  151,  143,  135,  127,  120,  113,
    107,  101,  95,   90,   85,   80,   75,   71,   67,   63,   60,   56,
    53,   50,   47,   45,   42,   40,   37,   35,   33,   31,   30,   28,
    28,
};

namespace {

struct signature {
    char name[5];
    std::uint32_t channels;
};

// Searched in order; "STOP" ends the search without a match.
constexpr signature SIGNATURES[] = {
    {"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},  {"FLT8", 8},
    {"OCTA", 8},  {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10}, {"12CH", 12}, {"14CH", 14},
    {"16CH", 16}, {"18CH", 18}, {"20CH", 20}, {"22CH", 22}, {"24CH", 24}, {"26CH", 26},
    {"28CH", 28}, {"30CH", 30}, {"32CH", 32}, {"STOP", 0},
};


std::uint32_t channels_of(const char* sig)
{
    for (const signature& s : SIGNATURES) {
        if (s.channels == 0 || std::memcmp(s.name, sig, 4) == 0)
            return s.channels;
    }
    return 0;
}

int fail(const char* why)
{
    pt_channels = 0;
    pt_errorstr = why;
    return 0;
}

}  // namespace

std::uint32_t pt_getbyte() { return pt_module[pt_modpos++]; }

std::uint32_t pt_getword()
{
    std::uint32_t w = (static_cast<std::uint32_t>(pt_module[pt_modpos]) << 8) | pt_module[pt_modpos + 1];
    pt_modpos += 2;
    return w;
}

void pt_skip(std::uint32_t n) { pt_modpos += n; }

std::uint8_t pt_noteindex(std::uint32_t period)
{
    if (period >= pt_notescale[0])
        return 0;
    for (std::uint8_t i = 1; i < PT_NO_NOTE; i++) {
        if (pt_notescale[i] <= period)
            return i;
    }
    return PT_NO_NOTE;
}

void pt_convertpattern(std::uint8_t* pattern)
{
    for (std::uint32_t i = 0; i < pt_channels * 64; i++) {
        std::uint8_t* cell = pattern + 4 * i;
        std::uint32_t period = (cell[0] & 15u) * 256 + cell[1];
        std::uint32_t sample = (cell[0] & 240u) + (cell[2] >> 4);
        // The replay routine and the mixer know 31 samples; higher numbers mean none.
        cell[0] = static_cast<std::uint8_t>(sample < PT_SAMPLES ? sample : 0);
        cell[2] &= 15;
        cell[1] = pt_noteindex(period);
    }
}

int pt_takemod(std::uint8_t* module, std::size_t size)
{
    if (size < PT_HEADER_SIZE)
        return fail("pt_takemod error: module shorter than its header!");
    pt_module = module;
    pt_modsize = size;
    pt_modpos = 0;
    pt_skip(20);
    for (int s = 1; s < PT_SAMPLES; s++) {
        pt_skip(22);
        pt_samplelength[s] = pt_getword() * 2;
        pt_samplefinetune[s] = static_cast<std::uint8_t>(pt_getbyte() & 15);
        std::uint32_t volume = pt_getbyte();
        pt_samplevolume[s] = volume > 64 ? 64 : volume;
        pt_loopstart[s] = pt_getword() * 2;
        pt_looplength[s] = pt_getword() * 2;
    }
    pt_songlength = static_cast<std::uint8_t>(pt_getbyte());
    pt_restart = pt_getbyte();
    if (pt_restart > 126)
        pt_restart = 0;
    for (std::uint8_t& o : pt_order)
        o = static_cast<std::uint8_t>(pt_getbyte());
    for (int i = 0; i < 4; i++)
        pt_modtype[i] = static_cast<char>(pt_getbyte());
    pt_modtype[4] = 0;
    pt_channels = channels_of(pt_modtype);
    if (pt_channels == 0)
        return fail("pt_takemod error: unknown module type!");

    pt_maxpattern = 0;
    for (std::uint8_t o : pt_order) {
        if (o > pt_maxpattern)
            pt_maxpattern = o;
    }
    if (pt_maxpattern >= 128 || pt_songlength > 128)
        return fail("pt_takemod error: order table points past the 128 patterns!");
    std::size_t pattern_bytes = (pt_maxpattern + 1u) * pt_channels * 256u;
    if (size - PT_HEADER_SIZE < pattern_bytes)
        return fail("pt_takemod error: patterns run past the end of the module!");
    std::size_t sample_bytes = 0;
    for (int s = 1; s < PT_SAMPLES; s++)
        sample_bytes += pt_samplelength[s];
    if (size - PT_HEADER_SIZE - pattern_bytes < sample_bytes)
        return fail("pt_takemod error: sample data runs past the end of the module!");

    for (std::uint32_t p = 0; p <= pt_maxpattern; p++) {
        pt_patterns[p] = pt_module + pt_modpos;
        pt_convertpattern(pt_patterns[p]);
        pt_skip(pt_channels * 256);
    }
    for (std::int32_t s = 1; s < PT_SAMPLES; s++) {
        std::uint32_t length = pt_samplelength[s];
        if (length == 0)
            continue;
        // A loop reaching past its sample is cut at the sample's end, so the mixer,
        // which reads up to the byte at the loop end, stays inside the module.
        std::uint32_t loopend = pt_loopstart[s] + pt_looplength[s];
        if (loopend > length)
            loopend = length;
        std::uint32_t loopstart = pt_loopstart[s] < loopend ? pt_loopstart[s] : loopend;
        sd_getsample(s, reinterpret_cast<std::int8_t*>(pt_module + pt_modpos), length, loopstart,
                     loopend, pt_looplength[s] > 2 ? 1 : 0);
        pt_skip(length);
    }
    sd_setactivechannels(static_cast<std::int32_t>(pt_channels));
    return 1;
}
