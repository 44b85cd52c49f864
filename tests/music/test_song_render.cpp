// The whole song through the real mixer: modrender's length on the generated module,
// the audio clock's independence from buffer sizes, the demo heard through SDL's disk
// audio driver, and the demo without an audio device.
#include "core/loader.h"
#include "music/cool_vek.h"
#include "music/pt.h"
#include "tests/music/module_fixture.h"
#include "sound/sd.h"
#include "sound/sd_mix.h"
#include "sound/sd_ns.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string BIN = DEMO_BINARY_DIR;

std::vector<std::uint8_t> read_file(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::string run(const std::string& cmd)
{
    std::string out;
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

// Ticks from the song's start until it returns to an earlier order position, read
// straight from the module file: speeds, breaks, jumps, pattern delays and loops.
long song_ticks(const std::vector<std::uint8_t>& mod)
{
    const int songlength = mod[950];
    int restart = mod[951] > 126 ? 0 : mod[951];
    const char* sig = reinterpret_cast<const char*>(&mod[1080]);
    int channels = std::strncmp(sig, "M.K.", 4) == 0 ? 4 : std::atoi(sig);
    if (std::strncmp(sig, "FLT8", 4) == 0 || std::strncmp(sig, "OCTA", 4) == 0)
        channels = 8;
    std::vector<int> loopcount(channels, 0), looprow(channels, 0);
    int speed = 6, pos = 0, row = 0;
    long ticks = 0;
    for (int guard = 0; guard < 1000000; guard++) {
        const std::uint8_t* cells = &mod[1084 + (mod[952 + pos] * 64 + row) * channels * 4];
        int next_row = row + 1, next_pos = pos, breakrow = -1, delay = 0;
        for (int ch = 0; ch < channels; ch++) {
            const std::uint8_t* c = cells + 4 * ch;
            int cmd = c[2] & 15, p = c[3], x = p >> 4, y = p & 15;
            if (cmd == 0xF && p <= 31)
                speed = p;
            else if (cmd == 0xB) {
                next_pos = p;
                next_row = 64;
                if (breakrow < 0)
                    breakrow = 0;
            } else if (cmd == 0xD) {
                breakrow = 10 * x + y > 63 ? 0 : 10 * x + y;
                next_row = 64;
                next_pos = next_pos == pos ? pos + 1 : next_pos;
            } else if (cmd == 0xE && x == 0xE)
                delay = std::max(delay, y);
            else if (cmd == 0xE && x == 0x6) {
                if (y == 0)
                    looprow[ch] = row;
                else if (loopcount[ch] == 0 || --loopcount[ch] > 0) {
                    if (loopcount[ch] == 0)
                        loopcount[ch] = y;
                    next_row = looprow[ch];
                }
            }
        }
        if (speed == 0)
            return -1;
        ticks += static_cast<long>(speed) * (delay + 1);
        if (next_row > 63) {
            if (next_pos == pos)
                next_pos = pos + 1;
            next_row = breakrow < 0 ? 0 : breakrow;
        }
        if (next_pos >= songlength)
            next_pos = restart;
        if (next_pos < pos)
            return ticks;
        pos = next_pos;
        row = next_row;
    }
    return -1;
}

TEST(ModRender, SongLengthIsWhatItsOrdersRowsAndSpeedsGive)
{
    std::vector<std::uint8_t> mod = read_file(BIN + "/data/tehas2.mod");
    ASSERT_GT(mod.size(), 1084u);
    long ticks = song_ticks(mod);
    ASSERT_GT(ticks, 0);
    std::string wav = BIN + "/modrender_song.wav";
    ASSERT_EQ(std::system((BIN + "/modrender data/tehas2.mod " + wav).c_str()), 0);
    std::vector<std::uint8_t> w = read_file(wav);
    ASSERT_GE(w.size(), 44u);
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(w[22] | w[23] << 8, 1);                              // mono
    EXPECT_EQ(w[24] | w[25] << 8 | w[26] << 16, 44100);
    EXPECT_EQ(w[34], 16);
    EXPECT_EQ((w.size() - 44) / 2, static_cast<std::size_t>(ticks) * 882);

    // The timeline lists one line for every row played.
    std::string timeline = run("cd " + BIN + " && ./modrender --timeline data/tehas2.mod");
    EXPECT_TRUE(timeline.rfind("0 0\n0 1\n", 0) == 0);
    EXPECT_GT(std::count(timeline.begin(), timeline.end(), '\n'), 0);
    std::remove(wav.c_str());
}

TEST(ModRender, ReportsUnreadableAndUnknownModules)
{
    std::string out = run("cd " + BIN + " && ./modrender no/such.mod x.wav 2>&1; echo rc=$?");
    EXPECT_NE(out.find("cannot read no/such.mod"), std::string::npos) << out;
    EXPECT_NE(out.find("rc=1"), std::string::npos);
    out = run("cd " + BIN + " && ./modrender --timeline data/kooste.raw 2>&1; echo rc=$?");
    EXPECT_NE(out.find("unknown module type"), std::string::npos) << out;
    EXPECT_NE(out.find("rc=1"), std::string::npos);
}

struct comes_round_case {
    const char* name;
    std::vector<int> orders;
    int restart;
    int jump_row;    // row of pattern 0 holding B00, or -1
    int rows;        // rows played before the song comes round
};

class ModRenderStops : public ::testing::TestWithParam<comes_round_case> {};

// A song that starts over at the position it leaves has come round as much as one
// that jumps back: both end the render after one pass.
TEST_P(ModRenderStops, WhenTheSongComesRound)
{
    const comes_round_case& c = GetParam();
    fixture::module_file m("M.K.", 4, 2);
    m.song(c.orders, c.restart);
    if (c.jump_row >= 0)
        m.cell(0, c.jump_row, 2, 0, 0, 0xB, 0x00);
    std::size_t size = 0;
    std::vector<std::uint8_t> bytes = m.bytes(&size);
    const std::string mod = BIN + "/modrender_" + c.name + ".mod";
    const std::string wav = BIN + "/modrender_" + c.name + ".wav";
    std::ofstream(mod, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(size));
    ASSERT_EQ(std::system((BIN + "/modrender " + mod + " " + wav).c_str()), 0);
    EXPECT_EQ(read_file(wav).size(), 44u + 2u * 882u * 6u * static_cast<std::size_t>(c.rows));
    std::string timeline = run(BIN + "/modrender --timeline " + mod);
    EXPECT_EQ(std::count(timeline.begin(), timeline.end(), '\n'), c.rows);
    std::remove(mod.c_str());
    std::remove(wav.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModRenderStops,
    ::testing::Values(comes_round_case{"OnePosition", {0}, 0, -1, 64},
                      comes_round_case{"RestartAtTheLast", {0, 1}, 1, -1, 128},
                      comes_round_case{"RestartAtTheFirst", {1, 0}, 0, -1, 128},
                      comes_round_case{"JumpToItself", {0}, 0, 9, 10}),
    [](const ::testing::TestParamInfo<comes_round_case>& i) { return i.param.name; });

// Renders the generated song's first n samples through mix_newhand in buffers of
// the given sample count, at 44100 Hz with the real mixer.
std::vector<std::uint8_t> render(std::size_t n, std::size_t buffer_samples)
{
    static std::vector<std::uint8_t> file = read_file(BIN + "/data/tehas2.mod");
    static std::uint8_t defaultpan[PT_CHANNELS_MAX];
    static bool saved = false;
    if (!saved) {
        std::memcpy(defaultpan, pt_defaultpan, sizeof defaultpan);
        saved = true;
    }
    std::memcpy(pt_defaultpan, defaultpan, sizeof defaultpan);
    std::vector<std::uint8_t> module = file;
    module.resize(file.size() + LOAD_SPARE, 0);
    sd_mix_setfunctions();
    sd_mix_init(44100);
    sd_setmainvolume(64);
    laite = 2;
    screenHz = 50;
    luku = 0;
    std::srand(1);
    EXPECT_EQ(vek_get(module.data(), file.size()), 1);
    std::vector<std::uint8_t> out(2 * n);
    for (std::size_t at = 0; at < n; at += buffer_samples) {
        std::size_t m = std::min(buffer_samples, n - at);
        mix_newhand(nullptr, out.data() + 2 * at, static_cast<int>(2 * m));
    }
    laite = 0;
    return out;
}

TEST(AudioClockSong, OutputDoesNotDependOnBufferSizes)
{
    constexpr std::size_t N = 44100 * 3;
    std::vector<std::uint8_t> reference = render(N, 2048);
    bool sound = false;
    for (std::uint8_t b : reference)
        sound |= b != 0;
    EXPECT_TRUE(sound);
    for (std::size_t size : {882u, 1000u, 1u, 4096u})
        EXPECT_TRUE(render(N, size) == reference) << "buffers of " << size;
}

TEST(Demo, HeardThroughTheDiskDriverIsWhatModrenderRenders)
{
    std::string raw = BIN + "/demo_disk_audio.raw";
    std::string wav = BIN + "/demo_disk_audio.wav";
    std::remove(raw.c_str());
    run("cd " + BIN + " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + raw +
        " timeout -s TERM 4 ./demo -w </dev/null >/dev/null 2>&1");
    ASSERT_EQ(std::system(("cd " + BIN + " && ./modrender --seconds 8 data/tehas2.mod " + wav).c_str()), 0);
    std::vector<std::uint8_t> disk = read_file(raw);
    std::vector<std::uint8_t> ref = read_file(wav);
    ASSERT_GT(disk.size(), 4u * 44100);

    // The disk driver writes big-endian 16-bit frames, the mono signal on both
    // channels; the device opens paused, so silent buffers come first.
    std::vector<std::int16_t> heard;
    for (std::size_t i = 0; i + 4 <= disk.size(); i += 4) {
        auto left = static_cast<std::int16_t>(disk[i] << 8 | disk[i + 1]);
        auto right = static_cast<std::int16_t>(disk[i + 2] << 8 | disk[i + 3]);
        ASSERT_EQ(left, right) << "frame " << i / 4;
        heard.push_back(left);
    }
    std::vector<std::int16_t> rendered;
    for (std::size_t i = 44; i + 2 <= ref.size(); i += 2)
        rendered.push_back(static_cast<std::int16_t>(ref[i] | ref[i + 1] << 8));
    auto first_sound = [](const std::vector<std::int16_t>& v) {
        std::size_t i = 0;
        while (i < v.size() && v[i] == 0)
            i++;
        return i;
    };
    std::size_t a = first_sound(heard), b = first_sound(rendered);
    ASSERT_LT(a, heard.size());
    // SDL's layers may add or cut a buffer where the device starts and where it is
    // closed (one more buffer, silent or cut short, once the demo's callback is
    // detached). The steady stream between must be the rendered signal sample for
    // sample: from two device buffers after the first sound to one before the end.
    while (heard.size() > a && heard.back() == 0)
        heard.pop_back();
    constexpr std::size_t BUFFER = 2048;
    ASSERT_GT(heard.size(), a + 2 * BUFFER + 2u * 44100 + BUFFER) << "too little was heard";
    const std::size_t from = a + 2 * BUFFER, to = heard.size() - BUFFER;
    auto key = heard.begin() + static_cast<long>(from);
    std::size_t at = from - a + b;
    if (at + BUFFER > rendered.size() || !std::equal(key, key + BUFFER, rendered.begin() + static_cast<long>(at)))
        at = static_cast<std::size_t>(std::search(rendered.begin(), rendered.end(), key, key + BUFFER) - rendered.begin());
    ASSERT_LT(at, rendered.size()) << "what was heard is nowhere in the rendered song";
    std::size_t n = std::min(to - from, rendered.size() - at);
    ASSERT_GT(n, 2u * 44100);
    auto differ = std::mismatch(key, key + static_cast<long>(n), rendered.begin() + static_cast<long>(at));
    EXPECT_EQ(differ.first - key, static_cast<long>(n))
        << "heard " << heard.size() << " samples, sound from " << a << ", rendered sound from " << b
        << ", compared " << n << " from heard " << from << " against rendered " << at;
    std::remove(raw.c_str());
    std::remove(wav.c_str());
}

TEST(Demo, WithoutAnAudioDeviceSaysSoundIsOffAndRunsOnTheTimer)
{
    std::string out = run("cd " + BIN + " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no_such_driver "
                          "timeout --preserve-status -s TERM 2 ./demo -w </dev/null 2>&1 >/dev/null; echo rc=$?");
    EXPECT_NE(out.find("demo: sound is off"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
    EXPECT_NE(out.find("rc=0"), std::string::npos) << out;
}

TEST(NoSoundClock, TimerPlaysFiftyTicksASecond)
{
    std::vector<std::uint8_t> file = read_file(BIN + "/data/tehas2.mod");
    file.resize(file.size() + LOAD_SPARE, 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_TIMER), 0);
    ASSERT_EQ(vek_open_device('0'), 1);
    ASSERT_EQ(vek_get(file.data(), file.size() - LOAD_SPARE), 1);
    std::int32_t start_age = aikaa_siita_kun_viimeksi_tavattu[31];
    vek_start(50);
    SDL_Delay(1000);
    std::int32_t wall = vek_time();
    std::int32_t played = aikaa_siita_kun_viimeksi_tavattu[31] - start_age;
    vek_close();
    SDL_Quit();
    EXPECT_GE(wall, 50);
    // SDL's timer schedules each call from the last one's wake-up, so a loaded
    // machine loses a little; a wrong rate (25 or 100 a second) is far outside.
    EXPECT_LE(played, wall + 1);
    EXPECT_GE(played, wall * 4 / 5);
    EXPECT_GE(vek_position(), 0);
}

}  // namespace

namespace {

TEST(Demo, RejectedModuleIsReportedAndEndsTheDemo)
{
    // A copy of the data folder whose module claims more patterns than it holds.
    std::string dir = BIN + "/demo_bad_module";
    run("rm -rf " + dir + " && mkdir -p " + dir + " && cp -r " + BIN + "/data " + dir + "/");
    std::vector<std::uint8_t> mod = read_file(BIN + "/data/tehas2.mod");
    ASSERT_GT(mod.size(), 1084u);
    mod[952 + 127] = 100;
    mod.resize(1084 + 1024);
    std::ofstream(dir + "/data/tehas2.mod", std::ios::binary)
        .write(reinterpret_cast<const char*>(mod.data()), static_cast<std::streamsize>(mod.size()));
    std::string out = run("cd " + dir + " && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout -s KILL 10 " +
                          BIN + "/demo -w </dev/null 2>&1 >/dev/null; echo rc=$?");
    EXPECT_NE(out.find("demo: cannot play data/tehas2.mod: pt_takemod error: patterns run past the end"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("rc=1"), std::string::npos) << out;
    run("rm -rf " + dir);
}

}  // namespace
