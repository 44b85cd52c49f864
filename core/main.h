// The demo's entry: video flags, start-up and the frame loop with its 20-ms clock.
#pragma once
#include <SDL/SDL.h>
#include <csignal>
#include <cstdint>

// Flags for SDL_SetVideoMode from the command line and the program's name.
std::uint32_t choose_videoflags(int argc, char** argv);

// Draws one frame for the frame time, music position and video steps; returns 1 when
// the script has run out and the demo should end.
using scene_step_fn = int (*)(std::int32_t frametime, std::int32_t position, std::int32_t video_steps);

// Everything the frame loop takes from the outside world, replaceable so that tests and
// the offline capture run the same loop on a simulated clock and surface.
struct frame_platform {
    std::uint32_t (*getticks)();              // milliseconds
    void (*delay)(std::uint32_t ms);
    int (*pollevent)(SDL_Event* event);       // 1 while an event was taken
    void (*present)(SDL_Surface* screen);
    std::int32_t (*position)();               // music position: order * 100 + row
    scene_step_fn scene;
};
extern frame_platform fl_platform;   // SDL's clock and events, present_canvas, the music and the script

// State of the frame loop between passes.
struct frame_state {
    std::uint32_t start_ticks;
    std::int32_t frametime;        // whole 20-ms ticks since start_ticks
    std::int32_t last_frametime;   // frametime of the last drawn frame
    std::int32_t video_steps;
    bool quit;
    int drawn;                     // frames drawn so far
};

// Set by SIGINT or SIGTERM; the frame loop ends as on Escape.
extern volatile std::sig_atomic_t fl_stop_requested;

// Starts the frame clock now: frametime 0, nothing drawn yet.
void frame_clock_start(frame_state& s);
// Empties the event queue; returns true for Escape, a mouse-button press or a stop signal.
bool frame_events();
// One pass: events, clock, a drawn frame when two ticks have passed, presentation.
void frame_pass(frame_state& s, SDL_Surface* screen);
// Sleeps until the next 20-ms tick of the frame clock is due.
void frame_pace(const frame_state& s);
// Waits until the music stands on its first row; false when a stop signal came first.
bool wait_first_row();
// Runs passes until quit, pacing each; returns the frames drawn.
int frame_loop(frame_state& s, SDL_Surface* screen);

// The whole program: returns the process exit code.
int demo_main(int argc, char** argv);
