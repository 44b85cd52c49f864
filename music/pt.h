// The module loader and the replay routine: the song, pattern and sample tables the
// loader fills from a module in memory, and the song and channel state the replay
// routine advances one tick at a time.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int PT_CHANNELS_MAX = 32;
constexpr int PT_SAMPLES = 32;             // sample numbers 0..31, 0 meaning none
constexpr int PT_NOTES = 85;               // note indices 0..84 in a period-table row
constexpr std::uint8_t PT_NO_NOTE = 84;    // note index of a cell without a note
constexpr std::int32_t PT_PERIOD_MIN = 27;
constexpr std::int32_t PT_PERIOD_MAX = 3628;
constexpr std::size_t PT_HEADER_SIZE = 1084;   // title, sample headers, orders, signature

// Loader state.
extern std::uint8_t* pt_module;
extern std::uint32_t pt_modpos;                    // read offset into pt_module
extern std::size_t pt_modsize;                     // bytes of pt_module that hold the module
extern std::uint32_t pt_samplelength[PT_SAMPLES];  // bytes
extern std::uint8_t pt_samplefinetune[PT_SAMPLES]; // 0..15
extern std::uint32_t pt_samplevolume[PT_SAMPLES];  // 0..64
extern std::uint32_t pt_loopstart[PT_SAMPLES];     // bytes
extern std::uint32_t pt_looplength[PT_SAMPLES];    // bytes
extern std::uint8_t pt_songlength;
extern std::uint32_t pt_restart;
extern std::uint8_t pt_order[128];
extern char pt_modtype[5];                         // signature and a NUL
extern std::uint32_t pt_channels;                  // 2..32; 0 after a failed load
extern std::uint8_t pt_maxpattern;
extern std::uint8_t* pt_patterns[128];
extern const char* pt_errorstr;

std::uint32_t pt_getbyte();
std::uint32_t pt_getword();   // big-endian
void pt_skip(std::uint32_t n);
// Rewrites the pt_channels x 64 cells at pattern into row records.
void pt_convertpattern(std::uint8_t* pattern);
// Note index 0..84 of an Amiga period on the finetune-0 scale.
std::uint8_t pt_noteindex(std::uint32_t period);
// Loads the module of size bytes at module, rewriting its patterns in place and
// announcing its samples to the sound device. Returns 1, or 0 with pt_errorstr set.
int pt_takemod(std::uint8_t* module, std::size_t size);

// Replay state. The position pair is read by the main thread while the music clock's
// thread writes it.
extern std::atomic<std::int32_t> pt_songpos;   // order position; -1 after pt_init
extern std::atomic<std::int32_t> pt_rowcount;  // row 0..63; 63 after pt_init
extern std::uint32_t pt_vbcount;               // tick within the row
extern std::uint32_t pt_speed;                 // ticks per row
// The latest row start of the replay routine, for tools that follow a song's course:
// how many row starts so far, the order position and row entered, and whether it left
// a pattern (for the next one, a jump's or a break's). Written by the thread that plays.
struct pt_rowstart_record {
    std::uint32_t count;
    std::int32_t pos;
    std::int32_t row;
    bool wrapped;
};
extern pt_rowstart_record pt_lastrowstart;
extern std::uint32_t pt_breakrow;              // row at which the next pattern starts
extern std::uint32_t pt_curpattern;
extern std::uint8_t* pt_lineptr;               // first cell of the current row

extern std::int32_t pt_cursample[PT_CHANNELS_MAX];
extern std::int32_t pt_volume[PT_CHANNELS_MAX];
extern std::int32_t pt_period[PT_CHANNELS_MAX];
extern std::int32_t pt_noteperiod[PT_CHANNELS_MAX];   // tone-portamento target
extern std::int32_t pt_note[PT_CHANNELS_MAX];
extern std::int32_t pt_finetune[PT_CHANNELS_MAX];
extern std::int32_t pt_panning[PT_CHANNELS_MAX];
extern std::int32_t pt_portaspeed[PT_CHANNELS_MAX];
extern std::int32_t pt_glissando[PT_CHANNELS_MAX];
extern std::int32_t pt_vibpos[PT_CHANNELS_MAX];
extern std::int32_t pt_vibspeed[PT_CHANNELS_MAX];
extern std::int32_t pt_vibdepth[PT_CHANNELS_MAX];
extern std::int32_t pt_trempos[PT_CHANNELS_MAX];
extern std::int32_t pt_tremspeed[PT_CHANNELS_MAX];
extern std::int32_t pt_tremdepth[PT_CHANNELS_MAX];   // twice the effect's digit
extern std::int32_t pt_loopcount[PT_CHANNELS_MAX];
extern std::int32_t pt_looprow[PT_CHANNELS_MAX];
extern std::int32_t pt_delay[PT_CHANNELS_MAX];

// Amiga periods by finetune row (0..7, then -8..-1) and note index.
extern std::uint16_t pt_periods[16][PT_NOTES];
// Finetune-0 periods of the note scale that cells are converted to, lowest note first.
extern const std::uint16_t pt_notescale[PT_NOTES];
extern const std::int16_t pt_sine[64];
extern std::int16_t pt_ramp[64];
extern const std::int16_t pt_square[64];
extern std::int16_t pt_random[64];
extern const std::int16_t* const pt_waveforms[4];   // sine, ramp, square, random
extern const std::int16_t* pt_vibwave;
extern const std::int16_t* pt_tremwave;
extern std::uint8_t pt_defaultpan[PT_CHANNELS_MAX];   // sixteenths of the panning range

// Puts the player before the first row of the song.
void pt_init();
// Plays one tick.
void pt_play();
