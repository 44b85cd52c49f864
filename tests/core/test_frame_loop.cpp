// The frame loop on a simulated clock: video flags, the clock rule, video steps,
// events and pacing, with no display.
#include "core/canvas.h"
#include "core/main.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct flags_case { std::vector<std::string> args; bool fullscreen; };
std::ostream& operator<<(std::ostream& o, const flags_case& c)
{
    for (const std::string& a : c.args)
        o << '[' << a << ']';
    return o;
}

class VideoFlags : public ::testing::TestWithParam<flags_case> {};

TEST_P(VideoFlags, WindowOrFullScreen)
{
    std::vector<std::string> args = GetParam().args;
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::uint32_t f = choose_videoflags(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ((f & SDL_FULLSCREEN) != 0, GetParam().fullscreen);
    EXPECT_EQ(f & (SDL_HWSURFACE | SDL_DOUBLEBUF), SDL_HWSURFACE | SDL_DOUBLEBUF);
}

INSTANTIATE_TEST_SUITE_P(Args, VideoFlags, ::testing::Values(
    flags_case{{"demo"}, true}, flags_case{{"demo", "-w"}, false},
    flags_case{{"demo", "-w", "x"}, true}, flags_case{{"demo", "x", "-w"}, true},
    flags_case{{"demo", "-wx"}, true}, flags_case{{"demo", "-W"}, true},
    flags_case{{"./demow"}, false}, flags_case{{"./demow", "-w"}, true},
    flags_case{{""}, true}));

// Simulated world: a clock that only delay() moves (plus an optional cost per pass),
// scripted events, and a record of what was drawn and presented.
std::uint32_t now;
std::uint32_t pass_cost;
std::deque<SDL_Event> events;
struct drawn_frame { std::int32_t frametime, position, steps; };
std::vector<drawn_frame> drawn;
int presented;
std::int32_t quit_at_frametime;
std::uint32_t slept;

std::uint32_t sim_ticks() { return now; }
void sim_delay(std::uint32_t ms) { now += ms; slept += ms; }
int sim_poll(SDL_Event* e)
{
    if (events.empty())
        return 0;
    *e = events.front();
    events.pop_front();
    return 1;
}
void sim_present(SDL_Surface*) { presented++; now += pass_cost; }
std::int32_t sim_position() { return static_cast<std::int32_t>(now / 120) ; }
int sim_scene(std::int32_t f, std::int32_t p, std::int32_t s)
{
    drawn.push_back({f, p, s});
    displaybuf = buf2;
    return f >= quit_at_frametime;
}

struct FrameLoop : ::testing::Test {
    frame_platform saved = fl_platform;
    void SetUp() override
    {
        now = 1000;
        pass_cost = 0;
        events.clear();
        drawn.clear();
        presented = 0;
        slept = 0;
        quit_at_frametime = 1 << 30;
        fl_stop_requested = 0;
        fl_platform = {sim_ticks, sim_delay, sim_poll, sim_present, sim_position, sim_scene};
    }
    void TearDown() override { fl_platform = saved; fl_stop_requested = 0; }
    static SDL_Event key(SDLKey k, Uint8 type = SDL_KEYDOWN)
    {
        SDL_Event e{};
        e.type = type;
        e.key.type = type;
        e.key.keysym.sym = k;
        return e;
    }
};

TEST_F(FrameLoop, DrawsEveryTwoTicksAndPresentsEveryPass)
{
    quit_at_frametime = 10;
    frame_state s;
    frame_clock_start(s);
    EXPECT_EQ(frame_loop(s, nullptr), 5);
    ASSERT_EQ(drawn.size(), 5u);
    for (std::size_t i = 0; i < drawn.size(); i++) {
        EXPECT_EQ(drawn[i].frametime, static_cast<std::int32_t>(2 * (i + 1)));
        EXPECT_EQ(drawn[i].steps, 1);
    }
    EXPECT_EQ(presented, 11);   // frame times 0..10, one pass each
    EXPECT_EQ(displaybuf, buf2);
}

// A stalled machine: the next drawn frame takes the new frame time and counts its steps.
struct stall_case { std::uint32_t gap_ms; std::int32_t steps; };
std::ostream& operator<<(std::ostream& o, const stall_case& c) { return o << c.gap_ms << " ms"; }
class Stall : public FrameLoop, public ::testing::WithParamInterface<stall_case> {};

TEST_P(Stall, VideoStepsTruncate)
{
    frame_state s;
    frame_clock_start(s);
    now += GetParam().gap_ms;
    frame_pass(s, nullptr);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].steps, GetParam().steps);
    EXPECT_EQ(s.last_frametime, static_cast<std::int32_t>(GetParam().gap_ms / 20));
}

INSTANTIATE_TEST_SUITE_P(Gaps, Stall, ::testing::Values(
    stall_case{40, 1}, stall_case{79, 1}, stall_case{80, 2}, stall_case{100, 3},
    stall_case{120, 3}, stall_case{1000, 30}));

TEST_F(FrameLoop, OneTickIsNotEnoughToDraw)
{
    frame_state s;
    frame_clock_start(s);
    now += 39;
    frame_pass(s, nullptr);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(presented, 1);
}

struct event_case { const char* name; SDL_Event event; bool quits; };
std::ostream& operator<<(std::ostream& o, const event_case& c) { return o << c.name; }
class Events : public FrameLoop, public ::testing::WithParamInterface<event_case> {};

TEST_P(Events, OnlyEscapeAndMouseButtonsEnd)
{
    events.push_back(GetParam().event);
    frame_state s;
    frame_clock_start(s);
    frame_pass(s, nullptr);
    EXPECT_EQ(s.quit, GetParam().quits);
    EXPECT_EQ(presented, 1);   // the pass that quits still presents
}

SDL_Event make_event(Uint8 type, SDLKey k = SDLK_UNKNOWN)
{
    SDL_Event e{};
    e.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP)
        e.key.keysym.sym = k;
    return e;
}

INSTANTIATE_TEST_SUITE_P(Kinds, Events, ::testing::Values(
    event_case{"escape", make_event(SDL_KEYDOWN, SDLK_ESCAPE), true},
    event_case{"mouse", make_event(SDL_MOUSEBUTTONDOWN), true},
    event_case{"close", make_event(SDL_QUIT), false},
    event_case{"escape_release", make_event(SDL_KEYUP, SDLK_ESCAPE), false},
    event_case{"other_key", make_event(SDL_KEYDOWN, SDLK_SPACE), false},
    event_case{"mouse_up", make_event(SDL_MOUSEBUTTONUP), false}),
    [](const auto& info) { return std::string(info.param.name); });

// Waiting for the music's first row: -37 and other negative reports keep waiting, a
// stop signal ends the wait even when the music never starts.
std::int32_t scripted_position;
std::int32_t scripted_position_fn() { return now >= 1005 ? 0 : scripted_position; }

TEST_F(FrameLoop, WaitsForTheFirstRowUnlessStopped)
{
    fl_platform.position = scripted_position_fn;
    scripted_position = -37;
    EXPECT_TRUE(wait_first_row());
    EXPECT_EQ(now, 1005u);

    scripted_position = 101;
    now = 0;
    EXPECT_TRUE(wait_first_row());
    EXPECT_EQ(now, 1005u);

    fl_platform.position = [] { return std::int32_t{-37}; };
    fl_stop_requested = 1;
    EXPECT_FALSE(wait_first_row());
}

TEST_F(FrameLoop, StopSignalEndsLikeEscape)
{
    frame_state s;
    frame_clock_start(s);
    fl_stop_requested = 1;
    EXPECT_EQ(frame_loop(s, nullptr), 0);
    EXPECT_EQ(presented, 1);
}

// Pacing: with passes that cost nothing, the loop sleeps to each 20-ms tick, so one
// second of frame time takes 50 passes, not a spin.
TEST_F(FrameLoop, PacesPassesToTheTwentyMillisecondTick)
{
    quit_at_frametime = 50;
    frame_state s;
    frame_clock_start(s);
    frame_loop(s, nullptr);
    EXPECT_EQ(presented, 51);
    EXPECT_EQ(slept, 1000u);
}

TEST_F(FrameLoop, SlowPassesAreNotDelayed)
{
    pass_cost = 45;
    quit_at_frametime = 20;
    frame_state s;
    frame_clock_start(s);
    frame_loop(s, nullptr);
    EXPECT_EQ(slept, 0u);
    for (const drawn_frame& d : drawn)
        EXPECT_GE(d.steps, 1);
}

}  // namespace
