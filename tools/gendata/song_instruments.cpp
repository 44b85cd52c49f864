// The soundtrack's instruments, synthesised into signed 8-bit samples: drums from noise and
// swept sines, pitched sounds as sums of sine partials that complete whole cycles in their
// loop, so every loop is seamless and every note is in tune. Runs once inside the generator.
#include "tools/gendata/song.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

constexpr double PI = 3.14159265358979323846;
// Playback rates of the drum notes: 3546836 / period for C-4 (214) and B-4 (113).
constexpr double RATE_C4 = 3546836.0 / 214;
constexpr double RATE_B4 = 3546836.0 / 113;
// A pitched sample holds C in 32 bytes a cycle at C-3 (period 428, about 259 Hz); sounds
// pitched an octave lower hold 64 bytes a cycle.
constexpr int CYCLE_C3 = 32;

using signal = std::vector<double>;

// xorshift32 with a fixed seed per instrument: the same noise on every run.
struct noise_source {
    std::uint32_t s;
    double next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return static_cast<double>(s) / 2147483648.0 - 1.0;
    }
};

// Two-pole state-variable filter (Chamberlin), cutoff as a fraction of the sample rate.
struct svf {
    double low = 0, band = 0;
    double step(double x, double fc, double q)
    {
        double f = 2 * std::sin(PI * std::min(fc, 0.15));   // higher cutoffs are unstable
        low += f * band;
        double high = x - low - band / q;
        band += f * high;
        return high;
    }
};

// Scales the signal to the given peak and rounds with first-order error feedback, which moves
// the rounding noise of quiet tails up to where the hats and cymbals live.
std::vector<std::int8_t> to_bytes(const signal& x, double peak)
{
    double m = 1e-9;
    for (double v : x) {
        if (!std::isfinite(v))
            throw std::runtime_error("an instrument's synthesis diverged");
        m = std::max(m, std::fabs(v));
    }
    std::vector<std::int8_t> out(x.size() + (x.size() & 1), 0);
    double err = 0;
    for (std::size_t i = 0; i < x.size(); i++) {
        double v = x[i] * peak / m - err;
        double q = std::clamp(std::round(v), -127.0, 127.0);
        err = q - v;
        out[i] = static_cast<std::int8_t>(q);
    }
    out[0] = 0;
    return out;
}

// Fades the last n values to silence so a sample that plays once ends without a click.
void fade_tail(signal& x, std::size_t n)
{
    n = std::min(n, x.size());
    for (std::size_t i = 0; i < n; i++)
        x[x.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(n);
}

song_sample one_shot(const char* alias, signal x, int volume, int base_note, double peak = 124)
{
    fade_tail(x, 48);
    return {alias, to_bytes(x, peak), volume, 0, 0, base_note};
}

// Magnitude of a resonant two-pole low-pass at r = frequency / cutoff.
double lowpass_gain(double r, double q)
{
    double a = 1 - r * r;
    return 1 / std::sqrt(a * a + (r / q) * (r / q));
}

// A sustained sound: `attack` bytes followed by a loop of `loop` bytes. gain(partial, i) gives
// each partial's amplitude at byte i; it must be constant from the loop start on. Partial j
// completes cycles[j] whole cycles in `loop` bytes, so the loop repeats exactly. The loop start
// is moved to the quietest, gentlest zero crossing after `attack`.
song_sample looped(const char* alias, std::size_t attack, std::size_t loop,
                   const std::vector<int>& cycles, const std::function<double(std::size_t, std::size_t)>& gain,
                   int volume)
{
    std::vector<double> table(loop);
    for (std::size_t i = 0; i < loop; i++)
        table[i] = std::sin(2 * PI * static_cast<double>(i) / static_cast<double>(loop));
    std::size_t total = attack + 2 * loop + 2;
    signal x(total, 0.0);
    constexpr std::size_t BLOCK = 16;   // envelopes are evaluated once per 16 bytes
    for (std::size_t j = 0; j < cycles.size(); j++) {
        std::size_t k = static_cast<std::size_t>(cycles[j]);
        for (std::size_t b = 0; b < total; b += BLOCK) {
            double g = gain(j, std::min(b, attack));
            if (g == 0)
                continue;
            for (std::size_t i = b; i < std::min(total, b + BLOCK); i++)
                x[i] += g * table[(k * i) % loop];
        }
    }
    std::size_t start = attack & ~static_cast<std::size_t>(1);
    double best = 1e9;
    for (std::size_t i = start; i < attack + loop; i += 2) {
        double cost = std::fabs(x[i]) + std::fabs(x[i + 1] - x[i]);
        if ((x[i] <= 0) != (x[i + 1] <= 0) && cost < best) {
            best = cost;
            start = i;
        }
    }
    x.resize(start + loop + 2);
    std::vector<std::int8_t> data = to_bytes(x, 118);
    // The mixer plays bytes start + 1 .. start + loop and then wraps to start + 1.
    data[start + loop] = data[start];
    data[start + loop + 1] = data[start + 1];
    return {alias, data, volume, start, loop, 36};
}

signal make(double seconds, double rate) { return signal(static_cast<std::size_t>(seconds * rate), 0.0); }

song_sample kick()
{
    signal x = make(0.42, RATE_C4);
    double phase = 0;
    noise_source n{0x1234567u};
    double click = 0;
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE_C4;
        double f = 45 + 105 * std::exp(-t / 0.035);   // 150 Hz falling to 45 Hz
        double env = std::exp(-t / 0.22) * std::min(1.0, t / 0.001);
        click = 0.6 * click + 0.4 * n.next();
        x[i] = std::tanh(1.8 * std::sin(phase) * env) + click * std::exp(-t / 0.003) * 0.5;
        phase += 2 * PI * f / RATE_C4;
    }
    return one_shot("k", x, 50, 48);
}

song_sample snare()
{
    signal x = make(0.3, RATE_C4);
    noise_source n{0xBEEF01u};
    svf hp, lp;
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE_C4;
        double body = std::sin(2 * PI * 185 * t) * std::exp(-t / 0.05) +
                      0.5 * std::sin(2 * PI * 330 * t) * std::exp(-t / 0.03);
        double h = hp.step(n.next(), 900 / RATE_C4, 0.7);
        lp.step(h, 6500 / RATE_C4, 0.7);
        double noise = lp.low * std::exp(-t / 0.11);
        x[i] = (0.7 * body + 1.3 * noise) * std::min(1.0, t / 0.0008);
    }
    return one_shot("s", x, 48, 48);
}

song_sample clap()
{
    signal x = make(0.32, RATE_C4);
    noise_source n{0xC1A9u};
    svf bp;
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE_C4;
        double env = 0;
        for (int b = 0; b < 3; b++) {   // three quick hands, then the room
            double tb = t - 0.009 * b;
            if (tb >= 0)
                env = std::max(env, std::exp(-tb / 0.004));
        }
        if (t >= 0.027)
            env = std::max(env, 0.8 * std::exp(-(t - 0.027) / 0.09));
        bp.step(n.next(), 1300 / RATE_C4, 1.8);
        x[i] = bp.band * env;
    }
    return one_shot("cl", x, 40, 48);
}

// Metallic noise of hats and cymbals: detuned square waves and white noise, high-passed.
signal metal(double seconds, double decay, double cutoff, std::uint32_t seed, double noise_mix)
{
    static constexpr double ratios[] = {263, 400, 421, 474, 587, 845};
    signal x = make(seconds, RATE_B4);
    noise_source n{seed};
    svf a, b;
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE_B4;
        double m = 0;
        for (double r : ratios)
            m += std::sin(2 * PI * r * 1.71 * t) > 0 ? 1 : -1;
        double v = m / 6 * (1 - noise_mix) + n.next() * noise_mix;
        v = b.step(a.step(v, cutoff / RATE_B4, 0.8), cutoff / RATE_B4, 0.8);
        x[i] = v * std::exp(-t / decay) * std::min(1.0, t / 0.0005);
    }
    return x;
}

song_sample crash()
{
    signal x = metal(1.7, 0.6, 3800, 0xCA5Bu, 0.7);
    return one_shot("cr", x, 30, 59);
}

song_sample sweep()
{
    signal x = make(2.3, RATE_C4);
    noise_source n{0x5EEEu};
    svf f;
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE_C4;
        double fc = 300 * std::pow(20.0, t / 2.3);   // 300 Hz up to 6 kHz over the sample
        f.step(n.next(), fc / RATE_C4, 3.0);
        x[i] = f.band * (0.1 + 0.9 * (t / 2.3) * (t / 2.3));
    }
    return one_shot("sw", x, 28, 48);
}

// Sawtooth partials of one oscillator completing `k` cycles per loop: harmonic h completes
// h * k cycles, kept below the half-rate limit of `loop` bytes. The sign (-1)^h starts the
// wave in the middle of its ramp, a zero crossing away from the jump.
void saw_partials(std::vector<int>& cycles, std::vector<double>& rel, std::vector<double>& amp, int k,
                  std::size_t loop, int root_k, double level)
{
    for (int h = 1; static_cast<std::size_t>(h * k) < loop / 2; h++) {
        cycles.push_back(h * k);
        rel.push_back(static_cast<double>(h * k) / root_k);   // in multiples of the root
        amp.push_back((h % 2 ? -level : level) / h);
    }
}

song_sample bass()
{
    constexpr std::size_t LOOP = 2 * CYCLE_C3;   // one cycle, an octave below the lead
    std::vector<int> cycles;
    std::vector<double> rel, amp;
    saw_partials(cycles, rel, amp, 1, LOOP, 1, 1.0);
    constexpr std::size_t ATTACK = 4096;
    auto gain = [&](std::size_t j, std::size_t i) {
        double t = static_cast<double>(i) / ATTACK;
        double cutoff = 4.5 + 11 * std::exp(-5 * t);   // filter closes from 15 to 4.5 harmonics
        double env = 1 - 0.25 * t;
        return amp[j] * lowpass_gain(rel[j] / cutoff, 1.3) * env;
    };
    return looped("bass", ATTACK, LOOP, cycles, gain, 34);
}

song_sample lead()
{
    constexpr int K = 128;   // 128 and 129 cycles a loop: two saws 13.5 cents apart
    constexpr std::size_t LOOP = static_cast<std::size_t>(K) * CYCLE_C3;
    std::vector<int> cycles;
    std::vector<double> rel, amp;
    saw_partials(cycles, rel, amp, K, LOOP, K, 1.0);
    saw_partials(cycles, rel, amp, K + 1, LOOP, K, 0.75);
    constexpr std::size_t ATTACK = 2048;
    auto gain = [&](std::size_t j, std::size_t i) {
        double t = static_cast<double>(i) / ATTACK;
        double cutoff = 5.5 + 5 * std::exp(-4 * t);
        return amp[j] * lowpass_gain(rel[j] / cutoff, 1.6) * std::min(1.0, t * 30);
    };
    return looped("lead", ATTACK, LOOP, cycles, gain, 36);
}

// A chorused string chord in just-tuned whole cycles: root, third, fifth and octave, each
// voice two saws one cycle apart in a loop of 128 root cycles.
song_sample pad(const char* alias, int third_cycles)
{
    constexpr int K = 128;
    constexpr std::size_t LOOP = static_cast<std::size_t>(K) * 2 * CYCLE_C3;
    std::vector<int> cycles;
    std::vector<double> rel, amp;
    for (int voice : {K, third_cycles, 192, 256})
        for (int d : {-1, 1})
            saw_partials(cycles, rel, amp, voice + d, LOOP, K, voice == K ? 1.0 : 0.8);
    constexpr std::size_t ATTACK = 600;
    auto gain = [&](std::size_t j, std::size_t i) {
        double t = static_cast<double>(i) / ATTACK;
        if (rel[j] > 14)
            return 0.0;
        return amp[j] * lowpass_gain(rel[j] / 5.0, 0.8) * std::min(1.0, t);
    };
    return looped(alias, ATTACK, LOOP, cycles, gain, 24);
}

song_sample pluck()
{
    constexpr double RATE = 2 * 3546836.0 / 428;   // its notes sit in octave 4
    signal x(9000, 0.0);
    noise_source n{0x9111u};
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE;
        double v = 0;
        for (int h = 1; h < CYCLE_C3 / 2; h++)
            v += std::sin(2 * PI * h * static_cast<double>(i) / CYCLE_C3) / (h % 2 ? -h : h) *
                 std::exp(-t * (2.5 + 1.6 * h * h / 4.0));
        x[i] = v + 0.3 * n.next() * std::exp(-t / 0.002) * std::min(1.0, t * 4000);
    }
    return one_shot("pl", x, 30, 48);
}

song_sample bell()
{
    constexpr double RATE = 2 * 3546836.0 / 428;
    signal x(16000, 0.0);
    for (std::size_t i = 0; i < x.size(); i++) {
        double t = static_cast<double>(i) / RATE;
        double w = 2 * PI * static_cast<double>(i) / CYCLE_C3;
        double index = 2.2 * std::exp(-t / 0.35);
        double fm = std::sin(w + index * std::sin(3.5 * w));
        x[i] = (fm * std::exp(-t / 0.9) + 0.25 * std::sin(2 * w) * std::exp(-t / 0.3)) *
               std::min(1.0, t / 0.002);
    }
    return one_shot("bell", x, 26, 48);
}

}  // namespace

std::vector<song_sample> song_instruments()
{
    return {kick(),
            snare(),
            clap(),
            one_shot("hc", metal(0.12, 0.022, 7000, 0x4A7u, 0.55), 22, 59),
            one_shot("ho", metal(0.6, 0.16, 6500, 0x4A8u, 0.5), 20, 59),
            crash(),
            sweep(),
            bass(),
            lead(),
            pad("min", 152),
            pad("maj", 161),
            pluck(),
            bell()};
}
