// Mixing throughput of sd_mix_mono: 4, 8 and 32 looping channels mixed into 16-bit
// output in slices of one tick at 44100 Hz, as the audio callback asks for them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "sound/sd_mix.h"

namespace {

constexpr int SLICE = 882;        // samples in one 20-ms tick at 44100 Hz
constexpr double RATE = 44100.0;
constexpr int SAMPLE_BYTES = 8192;

std::vector<std::int8_t> wave(SAMPLE_BYTES + 64);

void setup(int channels)
{
    for (std::size_t i = 0; i < wave.size(); i++)
        wave[i] = static_cast<std::int8_t>((i * 37u) ^ (i >> 3));
    sd_mix_init(44100);
    sd_mix_interpolation = 0;
    mix_setmainvolume(64);
    mix_getsample(1, wave.data(), SAMPLE_BYTES, 1000, SAMPLE_BYTES, 1);
    mix_setactivechannels(channels);
    static const std::int32_t periods[] = {428, 214, 856, 320, 113, 508, 381, 160};
    for (int c = 0; c < channels; c++) {
        mix_selectchannel(c);
        mix_setsample(1);
        mix_setvolume(64);
        mix_setamigaperiod(periods[c % 8] + c);
        mix_setoffset(static_cast<std::uint32_t>(c * 97));
    }
}

void BM_MixMono(benchmark::State& state)
{
    setup(static_cast<int>(state.range(0)));
    std::vector<std::uint8_t> out(2 * SLICE);
    for (auto _ : state) {
        sd_mix_mono(out.data(), SLICE, 1);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["samples/s"] = benchmark::Counter(static_cast<double>(SLICE), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["x_realtime"] = benchmark::Counter(SLICE / RATE, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_MixMono)->Arg(4)->Arg(8)->Arg(32);

BENCHMARK_MAIN();
