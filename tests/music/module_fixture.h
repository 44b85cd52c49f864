// Test fixtures for the music player: a module built in memory cell by cell, and a
// sound device that records every operation the loader and the replay routine call.
#pragma once
#include "music/pt.h"
#include "sound/sd.h"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace fixture {

struct device_call {
    char op;            // c select, v volume, p panning, s sample, a period, o offset,
                        // g getsample, n active channels, m main volume
    std::int64_t arg;
    bool operator==(const device_call&) const = default;
};

struct sample_announce {
    std::int32_t n;
    const std::int8_t* data;
    std::uint32_t length, loopstart, loopend;
    std::int32_t looped;
};

inline std::vector<device_call> calls;
inline std::vector<sample_announce> samples;

inline void install_recording_device()
{
    calls.clear();
    samples.clear();
    sd_init = [] { return 0; };
    sd_start = [] { return 0; };
    sd_stop = [] { return 0; };
    sd_shutdown = [] { return 0; };
    sd_secondhand = [] { return 0; };
    sd_getsample = [](std::int32_t n, std::int8_t* d, std::uint32_t len, std::uint32_t ls,
                      std::uint32_t le, std::int32_t looped) {
        samples.push_back({n, d, len, ls, le, looped});
        calls.push_back({'g', n});
        return 1;
    };
    sd_setactivechannels = [](std::int32_t n) { calls.push_back({'n', n}); return n; };
    sd_selectchannel = [](std::int32_t n) { calls.push_back({'c', n}); return n; };
    sd_setsample = [](std::int32_t n) { calls.push_back({'s', n}); return n; };
    sd_setamigaperiod = [](std::int32_t n) { calls.push_back({'a', n}); return n; };
    sd_setvolume = [](std::int32_t n) { calls.push_back({'v', n}); return n; };
    sd_setpanning = [](std::int32_t n) { calls.push_back({'p', n}); return n; };
    sd_setoffset = [](std::uint32_t n) { calls.push_back({'o', n}); return 0; };
    sd_setmainvolume = [](std::int32_t n) { calls.push_back({'m', n}); return n; };
}

// The calls made for one channel in a call list, without the selects.
inline std::vector<device_call> channel_calls(const std::vector<device_call>& list, int ch)
{
    std::vector<device_call> out;
    int selected = -1;
    for (const device_call& c : list) {
        if (c.op == 'c')
            selected = static_cast<int>(c.arg);
        else if (selected == ch)
            out.push_back(c);
    }
    return out;
}

// The last value of one operation on a channel in a call list, or -1.
inline std::int64_t last_of(const std::vector<device_call>& list, int ch, char op)
{
    std::int64_t v = -1;
    for (const device_call& c : channel_calls(list, ch))
        if (c.op == op)
            v = c.arg;
    return v;
}

// A module file under construction: header, patterns and sample data.
struct module_file {
    std::vector<std::uint8_t> header = std::vector<std::uint8_t>(PT_HEADER_SIZE, 0);
    std::vector<std::vector<std::uint8_t>> patterns;
    std::vector<std::uint8_t> sample_data[32];
    int channels;

    explicit module_file(const char* sig = "M.K.", int chans = 4, int pattern_count = 1)
        : channels(chans)
    {
        std::memcpy(&header[1080], sig, 4);
        patterns.assign(pattern_count, std::vector<std::uint8_t>(64 * 4 * chans, 0));
        header[950] = 1;
    }
    void word(std::size_t at, unsigned w)
    {
        header[at] = static_cast<std::uint8_t>(w >> 8);
        header[at + 1] = static_cast<std::uint8_t>(w);
    }
    // Sample n of len bytes (even), filled with a ramp.
    void sample(int n, unsigned len, unsigned volume = 64, unsigned finetune = 0,
                unsigned loopstart = 0, unsigned looplen = 0)
    {
        std::size_t h = 20 + 30 * (n - 1);
        word(h + 22, len / 2);
        header[h + 24] = static_cast<std::uint8_t>(finetune);
        header[h + 25] = static_cast<std::uint8_t>(volume);
        word(h + 26, loopstart / 2);
        word(h + 28, looplen / 2);
        sample_data[n].resize(len);
        for (unsigned i = 0; i < len; i++)
            sample_data[n][i] = static_cast<std::uint8_t>(i * 7);
    }
    void song(std::vector<int> orders, int restart = 0)
    {
        header[950] = static_cast<std::uint8_t>(orders.size());
        header[951] = static_cast<std::uint8_t>(restart);
        for (std::size_t i = 0; i < orders.size(); i++)
            header[952 + i] = static_cast<std::uint8_t>(orders[i]);
    }
    // A cell as the file stores it; period 0 means no note.
    void cell(int pattern, int row, int ch, unsigned sample, unsigned period, unsigned cmd,
              unsigned param)
    {
        std::uint8_t* c = &patterns[pattern][(row * channels + ch) * 4];
        c[0] = static_cast<std::uint8_t>((sample & 0xF0) | ((period >> 8) & 15));
        c[1] = static_cast<std::uint8_t>(period);
        c[2] = static_cast<std::uint8_t>(((sample & 15) << 4) | (cmd & 15));
        c[3] = static_cast<std::uint8_t>(param);
    }
    // The whole file, followed by spare zero bytes as the data loader allocates them.
    std::vector<std::uint8_t> bytes(std::size_t* size = nullptr) const
    {
        std::vector<std::uint8_t> out = header;
        for (const auto& p : patterns)
            out.insert(out.end(), p.begin(), p.end());
        for (const auto& s : sample_data)
            out.insert(out.end(), s.begin(), s.end());
        if (size)
            *size = out.size();
        out.resize(out.size() + 4096, 0);
        return out;
    }
};

// A module loaded into the player and held in memory for the test's length.
struct loaded_module {
    std::size_t size = 0;   // before data, which fills it
    std::vector<std::uint8_t> data;
    int ok = 0;
    explicit loaded_module(const module_file& m) : data(m.bytes(&size))
    {
        ok = pt_takemod(data.data(), size);
        if (ok)
            pt_init();
    }
};

// Plays one tick and returns the device calls it made.
inline std::vector<device_call> tick()
{
    calls.clear();
    pt_play();
    return calls;
}

}  // namespace fixture

namespace fixture {
inline void PrintTo(const device_call& c, std::ostream* os) { *os << c.op << ':' << c.arg; }
}  // namespace fixture
