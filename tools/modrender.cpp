// modrender: renders a module to a 44100 Hz 16-bit mono WAV file, or prints its
// timeline, through the demo's own loader, replay routine, audio callback and mixer,
// without an audio device. Single-threaded.
#include "core/loader.h"
#include "music/cool_vek.h"
#include "music/pt.h"
#include "sound/sd.h"
#include "sound/sd_mix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t RATE = 44100;
constexpr std::int32_t TICKS_PER_SECOND = 50;
constexpr std::int32_t TICK_SAMPLES = RATE / TICKS_PER_SECOND;
constexpr double DEFAULT_SECONDS = 1200;   // a frozen (speed 0) song still ends

void usage(std::FILE* to)
{
    std::fputs("usage: modrender [--seconds N] MODULE OUT.wav\n"
               "       modrender [--seconds N] --timeline MODULE\n"
               "Renders MODULE to OUT.wav (44100 Hz, 16-bit, mono) until the song comes round (moves\n"
               "to an order position at or before the one it leaves) or N seconds have passed\n"
               "(default 1200), whichever comes first. With --timeline, prints \"order row\" at\n"
               "every row start instead.\n",
               to);
}

void put32(std::FILE* f, std::uint32_t v)
{
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                               static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    std::fwrite(b, 1, 4, f);
}

void put16(std::FILE* f, std::uint16_t v)
{
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    std::fwrite(b, 1, 2, f);
}

void wav_header(std::FILE* f, std::uint32_t samples)
{
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + 2 * samples);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);               // PCM
    put16(f, 1);               // mono
    put32(f, RATE);
    put32(f, RATE * 2);        // bytes a second
    put16(f, 2);               // bytes a frame
    put16(f, 16);              // bits a sample
    std::fwrite("data", 1, 4, f);
    put32(f, 2 * samples);
}

// The audio device's start-up without a device: the mixer at 44100 Hz, main volume 64.
void open_mixer()
{
    sd_mix_setfunctions();
    sd_mix_init(RATE);
    sd_setmainvolume(64);
    laite = 2;
    screenHz = TICKS_PER_SECOND;
    luku = 0;
}

// The song has come round when the latest tick's row start entered an order position at
// or before the one it left: a jump back, the restart, or a one-position song starting
// over. The row start is the one the replay routine recorded, before any jump or break
// in the new row rewrote the position it reports.
bool came_round(std::uint32_t& seen, std::int32_t& last_pos)
{
    const pt_rowstart_record& r = pt_lastrowstart;
    if (r.count == seen)
        return false;
    seen = r.count;
    bool entered = r.wrapped || r.pos != last_pos;
    bool back = entered && r.pos <= last_pos;
    last_pos = r.pos;
    return back;
}

// Ticks until the song comes round or the time runs out, printing each row start.
int timeline(std::uint32_t max_ticks)
{
    std::int32_t last_pos = -1;
    std::uint32_t seen = 0;
    for (std::uint32_t t = 0; t < max_ticks; t++) {
        vek_tick();
        std::uint32_t before = seen;
        if (came_round(seen, last_pos))
            break;
        if (seen != before)
            std::printf("%d %d\n", pt_lastrowstart.pos, pt_lastrowstart.row);
    }
    return 0;
}

// Renders one tick a callback: the callback mixes the tick begun at the end of the
// previous one, then begins the next; the song coming round is seen as that tick
// begins, and its samples are not written. An empty first callback begins the first
// tick, so that every callback runs exactly one.
int render(const char* out_path, std::uint32_t max_samples)
{
    std::FILE* out = std::fopen(out_path, "wb");
    if (!out) {
        std::fprintf(stderr, "modrender: cannot write %s: %s\n", out_path, std::strerror(errno));
        return 1;
    }
    wav_header(out, 0);
    std::vector<std::uint8_t> buffer(2 * TICK_SAMPLES);
    std::uint32_t written = 0;
    std::int32_t last_pos = -1;
    std::uint32_t seen = 0;
    mix_newhand(nullptr, buffer.data(), 0);
    came_round(seen, last_pos);
    while (written < max_samples) {
        mix_newhand(nullptr, buffer.data(), static_cast<int>(buffer.size()));
        std::uint32_t n = std::min<std::uint32_t>(TICK_SAMPLES, max_samples - written);
        for (std::uint32_t i = 0; i < n; i++)
            put16(out, static_cast<std::uint16_t>(buffer[2 * i] << 8 | buffer[2 * i + 1]));
        written += n;
        if (came_round(seen, last_pos))
            break;
    }
    std::fseek(out, 0, SEEK_SET);
    wav_header(out, written);
    bool ok = std::fclose(out) == 0;
    if (!ok) {
        std::fprintf(stderr, "modrender: cannot write %s\n", out_path);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = DEFAULT_SECONDS;
    bool want_timeline = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return 0;
        } else if (a == "--timeline") {
            want_timeline = true;
        } else if (a == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            seconds = std::strtod(argv[++i], &end);
            if (*end != 0 || !(seconds >= 0) || seconds > 86400) {
                std::fprintf(stderr, "modrender: --seconds wants a number of seconds, not %s\n", argv[i]);
                return 2;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            usage(stderr);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != (want_timeline ? 1u : 2u)) {
        usage(stderr);
        return 2;
    }

    // Read as the demo reads its data: the whole file plus spare zero bytes.
    std::uint8_t* module = nullptr;
    std::size_t size = 0;
    const char* why = "";
    if (loadfile(files[0], &module, 0, &size, &why) != 0) {
        std::fprintf(stderr, "modrender: cannot read %s: %s\n", files[0], why);
        return 1;
    }

    open_mixer();
    if (!vek_get(module, size)) {
        std::fprintf(stderr, "modrender: %s: %s\n", files[0], pt_errorstr);
        return 1;
    }
    if (want_timeline)
        return timeline(static_cast<std::uint32_t>(seconds * TICKS_PER_SECOND));
    return render(files[1], static_cast<std::uint32_t>(seconds * RATE));
}
