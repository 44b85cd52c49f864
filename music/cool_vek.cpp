// The music interface and the sync functions: picks and starts the sound device,
// loads the song, runs the music clock (audio callback or timer) and reports the
// position and the samples' trigger ages. Owns the device choice, the tick carry and
// the age table. Main thread for start-up; the clock runs on SDL's audio or timer thread.
#include "music/cool_vek.h"

#include "music/pt.h"
#include "sound/sd.h"
#include "sound/sd_dsp16.h"
#include "sound/sd_mix.h"
#include "sound/sd_ns.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

std::int32_t laite;
std::atomic<std::int32_t> screenHz;
std::int32_t luku;

std::int32_t aikaa_siita_kun_viimeksi_tavattu[32] = {
    999999, 999999, 999999, 999999, 999999, 999999, 999999, 999999,
    999999, 999999, 999999, 999999, 999999, 999999, 999999, 999999,
    999999, 999999, 999999, 999999, 999999, 999999, 999999, 999999,
    999999, 999999, 999999, 999999, 999999, 999999, 999999, 999999,
};

namespace {

constexpr int CALLBACKS_MAX = 1024;

std::int32_t jacaja;              // milliseconds a tick: the timer period
std::uint32_t tix;                // SDL tick count at vek_start
std::int32_t curhandle = 1;
std::int32_t callbackcount;
std::int32_t cbhandles[CALLBACKS_MAX];
void (*callbacks[CALLBACKS_MAX])();

}  // namespace

void (*vek_mix_slice)(std::uint8_t* out, std::int32_t n, std::int32_t sixteen) = sd_mix_mono;

std::int32_t vek_init()
{
    std::puts("");
    char word[100];
    if (std::scanf("%99s", word) != 1)
        return 0;
    return vek_open_device(word[0]);
}

std::int32_t vek_open_device(char choice)
{
    switch (choice) {
    case '0':
        laite = 0;
        sd_ns_init();
        break;
    case '1':
    case '2':
        laite = choice - '0';
        dsp16_callback = mix_newhand;
        if (!sd_dsp16_init(laite == 1 ? 22050 : 44100))
            return 0;
        break;
    default:
        return 0;
    }
    callbackcount = 0;
    sd_init();
    sd_setmainvolume(64);
    sd_start();
    return 1;
}

std::int32_t vek_get(std::uint8_t* module, std::size_t size)
{
    pt_songpos.store(0, std::memory_order_relaxed);
    pt_rowcount.store(0, std::memory_order_relaxed);
    if (!pt_takemod(module, size))
        return 0;
    pt_init();
    return 1;
}

void vek_start(std::int32_t screen_hz)
{
    tix = SDL_GetTicks();
    jacaja = 1000 / screen_hz;
    screenHz.store(screen_hz, std::memory_order_release);
    if (laite != 0) {
        SDL_PauseAudio(0);
    } else {
        SDL_InitSubSystem(SDL_INIT_TIMER);
        SDL_SetTimer(static_cast<Uint32>(jacaja), timeri);
    }
}

std::int32_t vek_position()
{
    return pt_songpos.load(std::memory_order_relaxed) * 100 + pt_rowcount.load(std::memory_order_relaxed);
}

std::int32_t vek_time()
{
    return static_cast<std::int32_t>((SDL_GetTicks() - tix) / static_cast<std::uint32_t>(jacaja));
}

void vek_set_mastervolume(double volume) { sd_setmainvolume(static_cast<std::int32_t>(volume * 63.0)); }

void vek_close()
{
    if (laite == 0) {
        SDL_SetTimer(0, nullptr);
    } else {
        sd_stop();
        sd_shutdown();
    }
}

std::int32_t vek_set_callback(void (*callback)())
{
    if (callbackcount >= CALLBACKS_MAX)
        return 0;
    cbhandles[callbackcount] = curhandle;
    callbacks[callbackcount] = callback;
    callbackcount++;
    return curhandle++;
}

void vek_tick()
{
    pt_play();
    update_sample_trig_times();
}

std::uint32_t timeri(std::uint32_t interval)
{
    if (laite == 0 && screenHz.load(std::memory_order_acquire) != 0)
        vek_tick();
    return interval;
}

void mix_newhand(void*, std::uint8_t* stream, int len)
{
    std::int32_t n;
    std::int32_t tick;
    std::int32_t sixteen;
    const std::int32_t hz = screenHz.load(std::memory_order_acquire);
    if (hz == 0) {
        // Before vek_start nothing is played: silence in the device's format.
        if (laite == 1 || laite == 2)
            std::memset(stream, laite == 1 ? 128 : 0, static_cast<std::size_t>(len));
        return;
    }
    if (laite == 1) {
        n = len;
        tick = 22050 / hz;
        sixteen = 0;
    } else if (laite == 2) {
        n = len / 2;
        tick = 44100 / hz;
        sixteen = 1;
    } else {
        return;
    }
    const std::int32_t width = sixteen ? 2 : 1;
    std::int32_t off = 0;
    if (luku != 0) {
        // A buffer shorter than the carried rest of the tick takes what fits; the
        // next tick starts only once this one is mixed whole.
        std::int32_t m = luku < n ? luku : n;
        vek_mix_slice(stream, m, sixteen);
        off += m;
        luku -= m;
        if (luku != 0)
            return;
    }
    while (off + tick <= n) {
        vek_tick();
        vek_mix_slice(stream + off * width, tick, sixteen);
        off += tick;
    }
    std::int32_t r = n - off;
    vek_tick();
    vek_mix_slice(stream + off * width, r, sixteen);
    luku = tick - r;
}

std::int32_t inrange(std::int32_t value, sync_range range)
{
    return range.hi < 0 || (range.lo <= value && value <= range.hi) ? 1 : 0;
}

std::int32_t ehto_toteutuu(const ehto* condition)
{
    const ehto& e = *condition;
    if (pt_lineptr == nullptr)
        return 0;
    const std::int32_t songpos = pt_songpos.load(std::memory_order_relaxed);
    const auto row = static_cast<std::uint32_t>(pt_rowcount.load(std::memory_order_relaxed));
    // A divisor of 0 would divide by zero; it counts as 1.
    const std::uint32_t divisor = e.row_divisor != 0 ? e.row_divisor : 1;
    for (std::uint32_t ch = 0; ch < pt_channels; ch++) {
        const std::uint8_t* cell = pt_lineptr + 4 * ch;
        if (inrange(static_cast<std::int32_t>(ch), e.channel_range) &&
            inrange(pt_cursample[ch], e.sample_range) && inrange(cell[2] & 15, e.command_range) &&
            inrange(cell[3], e.param_range) && inrange(songpos, e.songpos_range) &&
            inrange(static_cast<std::int32_t>(row % divisor), e.row_range) &&
            inrange(static_cast<std::int32_t>(pt_vbcount), e.tick_range))
            return 1;
    }
    return 0;
}

void update_sample_trig_times()
{
    if (pt_vbcount == 0 && pt_lineptr != nullptr) {
        for (std::uint32_t ch = 0; ch < pt_channels; ch++) {
            const std::uint8_t* cell = pt_lineptr + 4 * ch;
            std::uint32_t c = cell[2] & 15u;
            if (cell[1] < PT_NO_NOTE && c != 3 && c != 5 && cell[0] < 32)
                aikaa_siita_kun_viimeksi_tavattu[cell[0]] = -1;
        }
    }
    for (std::int32_t& age : aikaa_siita_kun_viimeksi_tavattu)
        age++;
}
