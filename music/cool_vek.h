// The music interface: device choice, loading and starting the song, the music clock
// (audio callback or timer) and the music position; and the sync functions that tell
// what the music is doing.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

extern std::int32_t laite;      // device: 0 no sound, 1 22050 Hz 8-bit, 2 44100 Hz 16-bit
// Ticks per second given to vek_start; 0 before. Stored last by vek_start, so the
// clock's thread that reads it sees the loaded song and the mixer's samples.
extern std::atomic<std::int32_t> screenHz;
extern std::int32_t luku;       // samples of the current tick still to mix next callback

// Mixes n samples of the running tick into out, 16-bit when sixteen is nonzero; the
// sound mixer's mono entry point unless replaced (by tests, to watch the tick slices).
extern void (*vek_mix_slice)(std::uint8_t* out, std::int32_t n, std::int32_t sixteen);

// Device menu: prints an empty line, reads one word from standard input and registers
// the device its first character names. Returns 1 when a device was started.
std::int32_t vek_init();
// Registers and starts the device of a menu answer: '0' no sound, '1' 22050 Hz 8-bit,
// '2' 44100 Hz 16-bit. Returns 0 for any other answer or when SDL audio fails to open.
std::int32_t vek_open_device(char choice);
// Loads the module of size bytes and puts the player at the song's start. Returns 1,
// or 0 when the loader rejects the module (pt_errorstr says why).
std::int32_t vek_get(std::uint8_t* module, std::size_t size);
// Starts the music clock at screen_hz ticks a second.
void vek_start(std::int32_t screen_hz);
// Order position x 100 + row.
std::int32_t vek_position();
// Ticks since vek_start by the wall clock.
std::int32_t vek_time();
void vek_set_mastervolume(double volume);   // 1.0 is main volume 63
void vek_close();
// Records a callback; returns its handle, or 0 when the table is full.
std::int32_t vek_set_callback(void (*callback)());
// The no-sound clock: one tick a timer period.
std::uint32_t timeri(std::uint32_t interval);
// The audio callback: ticks and mixes len bytes, split at tick boundaries.
void mix_newhand(void* userdata, std::uint8_t* stream, int len);
// One tick of the song and the trigger ages.
void vek_tick();

// Inclusive bounds; a negative hi lets every value pass.
struct sync_range {
    std::int32_t lo;
    std::int32_t hi;
};

// A condition on one channel's state in the current row.
struct ehto {
    sync_range channel_range;
    sync_range sample_range;
    sync_range spare_range;    // not consulted
    sync_range command_range;
    sync_range param_range;
    sync_range songpos_range;
    std::uint32_t row_divisor; // at least 1
    sync_range row_range;      // row modulo row_divisor
    sync_range tick_range;
};

// Ticks since a note last triggered each sample number; 999999 at start.
extern std::int32_t aikaa_siita_kun_viimeksi_tavattu[32];

std::int32_t inrange(std::int32_t value, sync_range range);
// 1 when some channel meets every bound of the condition.
std::int32_t ehto_toteutuu(const ehto* condition);
// Ages the samples one tick; a note triggered on this row start sets its sample's age to 0.
void update_sample_trig_times();
