// Writes tehas2.mod: reads the tracker-style score (tracks of cells, patterns that stack one
// track a channel, the order list), turns it into an 8-channel module with the synthesised
// instruments. Runs once inside the generator; a fault in the score stops it with the line.
#include "tools/gendata/gendata.h"

#include "music/pt.h"
#include "tools/gendata/song.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

constexpr int CHANNELS = 8;
constexpr int ROWS = 64;

struct cell {
    int sample = 0;
    int note = -1;        // note index, -1 = none
    bool pitched = false; // written as a note name, so a transposition moves it
    int command = 0;
    int param = 0;
    bool empty() const { return sample == 0 && note < 0 && command == 0 && param == 0; }
};

using track = std::vector<cell>;

struct score_state {
    std::map<std::string, int> samples;   // alias -> sample number
    std::map<std::string, int> base_notes;
    std::map<std::string, track> tracks;
    std::map<int, std::array<track, CHANNELS>> patterns;
    std::vector<int> orders;
    int line = 0;
    std::string text;   // the line being read, for messages
};

[[noreturn]] void fail(const score_state& st, const std::string& what)
{
    throw std::runtime_error("score line " + std::to_string(st.line) + ": " + what + "\n  " + st.text);
}

int parse_note(const std::string& s)
{
    static const char* names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    if (s.size() != 3 || s[2] < '0' || s[2] > '6')
        return -1;
    for (int i = 0; i < 12; i++)
        if (s[0] == names[2 * i] && s[1] == names[2 * i + 1])
            return 12 * (s[2] - '0') + i;
    return -1;
}

// One row: ".", "^" (volume 0), NOTE, NOTE@alias, alias, each optionally ":EFF" (three hex
// digits: command and parameter), or ":EFF" alone.
cell parse_cell(const score_state& st, const std::string& tok, int default_sample)
{
    cell c;
    if (tok == "." || tok == "-")
        return c;
    if (tok == "^") {
        c.command = 0xC;
        return c;
    }
    std::string head = tok, eff;
    if (std::size_t colon = tok.find(':'); colon != std::string::npos) {
        head = tok.substr(0, colon);
        eff = tok.substr(colon + 1);
        if (eff.size() != 3 || eff.find_first_not_of("0123456789ABCDEF") != std::string::npos)
            fail(st, "bad effect in '" + tok + "'");
        c.command = std::stoi(eff.substr(0, 1), nullptr, 16);
        c.param = std::stoi(eff.substr(1), nullptr, 16);
    }
    if (head.empty())
        return c;
    std::string alias;
    std::string note = head;
    if (std::size_t at = head.find('@'); at != std::string::npos) {
        note = head.substr(0, at);
        alias = head.substr(at + 1);
    }
    c.note = parse_note(note);
    if (c.note >= 0) {
        c.pitched = true;
        c.sample = default_sample;
    } else {
        if (!alias.empty())
            fail(st, "bad note in '" + tok + "'");
        alias = head;
    }
    if (!alias.empty()) {
        auto it = st.samples.find(alias);
        if (it == st.samples.end())
            fail(st, "unknown instrument '" + alias + "'");
        c.sample = it->second;
        if (c.note < 0)
            c.note = st.base_notes.at(alias);
    }
    if (c.note >= 0 && c.sample == 0)
        fail(st, "note without instrument in '" + tok + "'");
    return c;
}

// A track reference: NAME, then any of +N / -N (semitones), @INSTRUMENT (its notes played by
// another instrument), >N (delayed by N rows, cells past the end dropped) and %VV (hex volume
// given to its notes that carry no effect): "themeA>3%10" is an echo of themeA.
track transposed(const score_state& st, const std::string& ref)
{
    std::size_t end = ref.find_first_of("+-@>%");
    std::string name = ref.substr(0, end);
    auto it = st.tracks.find(name);
    if (it == st.tracks.end())
        fail(st, "unknown track '" + name + "'");
    track t = it->second;
    while (end != std::string::npos) {
        char op = ref[end];
        std::size_t next = ref.find_first_of("+-@>%", end + 1);
        std::string arg = ref.substr(end + 1, next == std::string::npos ? std::string::npos : next - end - 1);
        if (arg.empty())
            fail(st, "empty modifier in '" + ref + "'");
        if (op == '+' || op == '-') {
            int shift = std::stoi(arg) * (op == '-' ? -1 : 1);
            for (cell& c : t)
                if (c.pitched) {
                    c.note += shift;
                    if (c.note < 0 || c.note > 83)
                        fail(st, "transposition of '" + name + "' leaves the note scale");
                }
        } else if (op == '@') {
            auto s = st.samples.find(arg);
            if (s == st.samples.end())
                fail(st, "unknown instrument '" + arg + "'");
            for (cell& c : t)
                if (c.pitched)
                    c.sample = s->second;
        } else if (op == '>') {
            std::size_t d = static_cast<std::size_t>(std::stoi(arg));
            t.insert(t.begin(), d, cell{});
            t.resize(t.size() - d);
        } else {
            int v = std::stoi(arg, nullptr, 16);
            for (cell& c : t)
                if (c.note >= 0 && c.command == 0 && c.param == 0) {
                    c.command = 0xC;
                    c.param = v;
                }
        }
        end = next;
    }
    return t;
}

// A track of 1, 2, 4, ... 64 rows repeats to fill the pattern; other lengths are mistakes.
track full_pattern(const score_state& st, const std::string& name, const track& t)
{
    if (t.empty() || ROWS % t.size() != 0)
        fail(st, "track '" + name + "' has " + std::to_string(t.size()) + " rows, not a divisor of 64");
    track out(ROWS);
    for (int r = 0; r < ROWS; r++)
        out[r] = t[static_cast<std::size_t>(r) % t.size()];
    return out;
}

// "A&B": B's filled rows replace A's; "A|B": B takes the channel over from its first filled
// row on. Read left to right.
track channel_track(const score_state& st, const std::string& spec)
{
    track out(ROWS);
    if (spec == "-")
        return out;
    std::size_t pos = 0;
    char op = '&';
    while (pos <= spec.size()) {
        std::size_t next = spec.find_first_of("&|", pos);
        std::string part = spec.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        track t = full_pattern(st, part, transposed(st, part));
        bool taken = false;
        for (int r = 0; r < ROWS; r++) {
            taken = taken || (op == '|' && !t[r].empty());
            if (taken || !t[r].empty())
                out[r] = t[r];
        }
        if (next == std::string::npos)
            break;
        op = spec[next];
        pos = next + 1;
    }
    return out;
}

void parse_score(score_state& st, const char* text)
{
    std::istringstream in(text);
    std::string raw;
    track* cur = nullptr;
    int cur_sample = 0;
    std::size_t cursor = 0;
    while (std::getline(in, raw)) {
        st.line++;
        st.text = raw;
        for (std::size_t i = 0; i < raw.size(); i++)   // a comment starts a word with '#'
            if (raw[i] == '#' && (i == 0 || raw[i - 1] == ' ')) {
                raw.erase(i);
                break;
            }
        std::istringstream ls(raw);
        std::vector<std::string> tok;
        for (std::string w; ls >> w;)
            tok.push_back(w);
        if (tok.empty())
            continue;
        if (tok[0] == "track") {
            if (tok.size() < 2 || tok.size() > 3)
                fail(st, "track NAME [INSTRUMENT]");
            if (st.tracks.count(tok[1]))
                fail(st, "track '" + tok[1] + "' is defined twice");
            cur = &st.tracks[tok[1]];
            cursor = 0;
            cur_sample = 0;
            if (tok.size() == 3) {
                auto it = st.samples.find(tok[2]);
                if (it == st.samples.end())
                    fail(st, "unknown instrument '" + tok[2] + "'");
                cur_sample = it->second;
            }
        } else if (tok[0] == "pattern") {
            if (tok.size() != 2 + CHANNELS)
                fail(st, "pattern NUMBER and one track a channel");
            cur = nullptr;
            int n = std::stoi(tok[1]);
            if (n < 0 || n > 127 || st.patterns.count(n))
                fail(st, "bad or repeated pattern number");
            for (int ch = 0; ch < CHANNELS; ch++)
                st.patterns[n][ch] = channel_track(st, tok[2 + ch]);
        } else if (tok[0] == "order") {
            cur = nullptr;
            for (std::size_t i = 1; i < tok.size(); i++) {
                int n = std::stoi(tok[i]);
                if (!st.patterns.count(n))
                    fail(st, "order names a pattern that does not exist");
                st.orders.push_back(n);
            }
        } else if (!cur) {
            fail(st, "rows outside a track");
        } else {
            std::size_t i = 0;
            if (tok[0][0] == '@') {
                cursor = static_cast<std::size_t>(std::stoi(tok[0].substr(1)));
                i = 1;
            } else if (tok[0] == "use") {
                if (tok.size() != 2)
                    fail(st, "use TRACK");
                track t = transposed(st, tok[1]);
                i = tok.size();
                if (cur->size() < cursor + t.size())
                    cur->resize(cursor + t.size());
                std::copy(t.begin(), t.end(), cur->begin() + static_cast<std::ptrdiff_t>(cursor));
                cursor += t.size();
            }
            for (; i < tok.size(); i++, cursor++) {
                if (cur->size() <= cursor)
                    cur->resize(cursor + 1);
                (*cur)[cursor] = parse_cell(st, tok[i], cur_sample);
            }
            if (cur->size() < cursor)
                cur->resize(cursor);
        }
    }
    if (st.orders.empty() || st.orders.size() > 128)
        throw std::runtime_error("the score needs 1 to 128 order positions");
}

void put_word(bytes& b, std::size_t at, std::size_t w)
{
    b[at] = static_cast<std::uint8_t>(w >> 8);
    b[at + 1] = static_cast<std::uint8_t>(w);
}

bytes write_module(const score_state& st, const std::vector<song_sample>& samples)
{
    int max_pattern = 0;
    for (int n : st.orders)
        max_pattern = std::max(max_pattern, n);
    bytes m(1084, 0);
    std::memcpy(m.data(), "quendal", 7);
    for (std::size_t i = 0; i < samples.size(); i++) {
        const song_sample& s = samples[i];
        std::size_t h = 20 + 30 * i;
        std::memcpy(&m[h], s.alias.data(), std::min<std::size_t>(22, s.alias.size()));
        put_word(m, h + 22, s.data.size() / 2);
        m[h + 25] = static_cast<std::uint8_t>(s.volume);
        put_word(m, h + 26, s.loop_start / 2);
        put_word(m, h + 28, s.loop_length ? s.loop_length / 2 : 1);
    }
    m[950] = static_cast<std::uint8_t>(st.orders.size());
    m[951] = 0;
    for (std::size_t i = 0; i < st.orders.size(); i++)
        m[952 + i] = static_cast<std::uint8_t>(st.orders[i]);
    std::memcpy(&m[1080], "8CHN", 4);
    const std::array<track, CHANNELS> silent{track(ROWS), track(ROWS), track(ROWS), track(ROWS),
                                             track(ROWS), track(ROWS), track(ROWS), track(ROWS)};
    for (int p = 0; p <= max_pattern; p++) {
        auto it = st.patterns.find(p);
        const auto& pat = it == st.patterns.end() ? silent : it->second;
        for (int r = 0; r < ROWS; r++)
            for (int ch = 0; ch < CHANNELS; ch++) {
                const cell& c = pat[ch][r];
                int period = c.note >= 0 ? pt_notescale[c.note] : 0;
                m.push_back(static_cast<std::uint8_t>((c.sample & 0xF0) | (period >> 8)));
                m.push_back(static_cast<std::uint8_t>(period & 0xFF));
                m.push_back(static_cast<std::uint8_t>(((c.sample & 0x0F) << 4) | c.command));
                m.push_back(static_cast<std::uint8_t>(c.param));
            }
    }
    for (const song_sample& s : samples)
        for (std::int8_t v : s.data)
            m.push_back(static_cast<std::uint8_t>(v));
    return m;
}

}  // namespace

bytes gen_module()
{
    std::vector<song_sample> samples = song_instruments();
    if (samples.size() > 31)
        throw std::runtime_error("a module holds at most 31 samples");
    for (const song_sample& smp : samples)
        if (smp.data.size() > 2 * 65535 || smp.data.size() % 2)
            throw std::runtime_error("sample '" + smp.alias + "' does not fit a module");
    score_state st;
    for (std::size_t i = 0; i < samples.size(); i++) {
        st.samples[samples[i].alias] = static_cast<int>(i + 1);
        st.base_notes[samples[i].alias] = samples[i].base_note;
    }
    try {
        parse_score(st, song_score());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gendata: %s\n", e.what());
        std::exit(1);
    }
    return write_module(st, samples);
}
