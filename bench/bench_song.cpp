// Whole-song rendering: the generated module rendered to 44100 Hz 16-bit mono through
// the demo's loader, replay routine, mix_newhand and mixer, side by side with
// libopenmpt and libxmp rendering the same file and the same number of samples with
// nearest-neighbour resampling. The x_realtime counter is song seconds per second.
#include "core/loader.h"
#include "music/cool_vek.h"
#include "music/pt.h"
#include "sound/sd.h"
#include "sound/sd_mix.h"

#include <benchmark/benchmark.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr int RATE = 44100;
constexpr int BUFFER = 2048;   // samples a callback, as SDL asks for them

const std::vector<std::uint8_t>& song_file()
{
    static const std::vector<std::uint8_t> file = [] {
        std::ifstream f("data/tehas2.mod", std::ios::binary);
        std::vector<std::uint8_t> v(std::istreambuf_iterator<char>(f), {});
        if (v.empty())
            std::fprintf(stderr, "bench_song: run from the build folder (data/tehas2.mod)\n");
        return v;
    }();
    return file;
}

// The song's length in samples: up to its return to an earlier order position, as
// modrender plays it.
std::size_t song_samples()
{
    static const std::size_t n = [] {
        std::vector<std::uint8_t> module = song_file();
        module.resize(module.size() + LOAD_SPARE, 0);
        sd_mix_setfunctions();
        if (!vek_get(module.data(), song_file().size()))
            return std::size_t{0};
        std::size_t ticks = 1;
        std::int32_t last = 0;
        for (;;) {
            vek_tick();
            std::int32_t pos = pt_songpos.load();
            if (pos < last)
                return (ticks - 1) * (RATE / 50);
            last = pos;
            ticks++;
        }
    }();
    return n;
}

void set_counters(benchmark::State& state, std::size_t samples)
{
    state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(samples) / RATE,
                                                      benchmark::Counter::kIsIterationInvariantRate);
    state.counters["song_s"] = static_cast<double>(samples) / RATE;
}

void BM_demo_player(benchmark::State& state)
{
    const std::size_t total = song_samples();
    std::vector<std::uint8_t> module;
    std::vector<std::uint8_t> out(2 * BUFFER);
    for (auto _ : state) {
        module = song_file();
        module.resize(module.size() + LOAD_SPARE, 0);
        sd_mix_setfunctions();
        sd_mix_init(RATE);
        sd_setmainvolume(64);
        laite = 2;
        screenHz = 50;
        luku = 0;
        vek_get(module.data(), song_file().size());
        for (std::size_t at = 0; at < total; at += BUFFER) {
            std::size_t n = std::min<std::size_t>(BUFFER, total - at);
            mix_newhand(nullptr, out.data(), static_cast<int>(2 * n));
            benchmark::DoNotOptimize(out.data());
        }
    }
    set_counters(state, total);
}

void BM_libopenmpt(benchmark::State& state)
{
    const std::size_t total = song_samples();
    std::vector<std::int16_t> out(BUFFER);
    for (auto _ : state) {
        openmpt_module* mod = openmpt_module_create_from_memory2(
            song_file().data(), song_file().size(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!mod) {
            state.SkipWithError("libopenmpt cannot load the module");
            return;
        }
        openmpt_module_set_render_param(mod, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 1);
        for (std::size_t at = 0; at < total; at += BUFFER) {
            std::size_t n = std::min<std::size_t>(BUFFER, total - at);
            openmpt_module_read_mono(mod, RATE, n, out.data());
            benchmark::DoNotOptimize(out.data());
        }
        openmpt_module_destroy(mod);
    }
    set_counters(state, total);
}

void BM_libxmp(benchmark::State& state)
{
    const std::size_t total = song_samples();
    std::vector<std::int16_t> out(BUFFER);
    for (auto _ : state) {
        xmp_context ctx = xmp_create_context();
        if (xmp_load_module_from_memory(ctx, song_file().data(), static_cast<long>(song_file().size())) != 0) {
            xmp_free_context(ctx);
            state.SkipWithError("libxmp cannot load the module");
            return;
        }
        xmp_start_player(ctx, RATE, XMP_FORMAT_MONO);
        xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
        for (std::size_t at = 0; at < total; at += BUFFER) {
            std::size_t n = std::min<std::size_t>(BUFFER, total - at);
            xmp_play_buffer(ctx, out.data(), static_cast<int>(2 * n), 0);
            benchmark::DoNotOptimize(out.data());
        }
        xmp_end_player(ctx);
        xmp_release_module(ctx);
        xmp_free_context(ctx);
    }
    set_counters(state, total);
}

BENCHMARK(BM_demo_player)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_libopenmpt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_libxmp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
