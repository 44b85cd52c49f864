// libFuzzer target: arbitrary bytes as a module through the loader, then a few hundred
// ticks of the replay routine mixed by the audio callback at either rate. The module
// gets only a few spare bytes, so a read past it shows under AddressSanitizer.
#include "music/cool_vek.h"
#include "music/pt.h"
#include "sound/sd.h"
#include "sound/sd_mix.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
constexpr int TICKS = 200;
constexpr std::size_t SPARE = 8;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The mixer forgets the previous module's samples, which pointed into freed memory.
    sd_mix_setfunctions();
    sd_mix_init(size & 1 ? 22050 : 44100);
    sd_setmainvolume(64);
    // Odd sizes run the 22050 Hz 8-bit path, even ones 44100 Hz 16-bit.
    laite = size & 1 ? 1 : 2;
    screenHz = 50;
    luku = 0;
    std::vector<std::uint8_t> module(size + SPARE, 0);
    if (size)
        std::memcpy(module.data(), data, size);
    if (!vek_get(module.data(), size))
        return 0;
    // Buffers of varying length, so carries of every size occur.
    std::vector<std::uint8_t> out(2 * 2048);
    const std::size_t sizes[] = {2048, 882, 1000, 1, 1763};
    const std::size_t width = laite == 2 ? 2 : 1;
    const std::size_t total = TICKS * static_cast<std::size_t>(laite == 2 ? 882 : 441);
    for (std::size_t done = 0, i = 0; done < total; i++) {
        std::size_t n = sizes[i % 5];
        mix_newhand(nullptr, out.data(), static_cast<int>(width * n));
        done += n;
    }
    return 0;
}
