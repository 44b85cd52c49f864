// Presentation's table-and-copy step against a plain memcpy of the same 1228800 bytes.
#include "core/canvas.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> screen_mem(SCREEN_W * SCREEN_H * 4);
std::vector<std::uint8_t> source_mem(SCREEN_W * SCREEN_H * 4, 7);

void present(benchmark::State& state)
{
    burnpalette(1, 0);
    for (int i = 0; i < CANVAS_BYTES; i++)
        buf[i] = static_cast<std::uint8_t>(i * 7);
    displaybuf = buf;
    for (auto _ : state) {
        present_pixels(screen_mem.data(), SCREEN_W * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * SCREEN_W * SCREEN_H * 4);
}
BENCHMARK(present);

void plain_memcpy(benchmark::State& state)
{
    for (auto _ : state) {
        std::memcpy(screen_mem.data(), source_mem.data(), screen_mem.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * SCREEN_W * SCREEN_H * 4);
}
BENCHMARK(plain_memcpy);

}  // namespace

BENCHMARK_MAIN();
