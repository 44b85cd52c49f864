// Entry, start-up and the frame loop: picks window or full screen, loads the data,
// starts SDL and the music, then draws and presents frames on a 20-ms clock until
// Escape, a mouse click, a stop signal or the end of the script. Main thread only.
#include "core/main.h"

#include "core/canvas.h"
#include "core/loader.h"
#include "core/scene.h"
#include "music/cool_vek.h"
#include "music/pt.h"
#include "sound/sd.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>

volatile std::sig_atomic_t fl_stop_requested = 0;

namespace {

constexpr std::uint32_t TICK_MS = 20;

std::uint32_t sdl_getticks() { return SDL_GetTicks(); }
void sdl_delay(std::uint32_t ms) { SDL_Delay(ms); }
std::int32_t no_music_position() { return 0; }

void on_stop_signal(int) { fl_stop_requested = 1; }

// SDL turns SIGINT and SIGTERM into close requests, which the demo ignores; these
// handlers replace SDL's so that Ctrl-C and kill still end the demo cleanly.
void install_stop_handlers()
{
    struct sigaction sa{};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Answers the device menu with "2" (SDL audio at 44100 Hz) through standard input;
// when that device cannot open, the no-sound device with its timer clock runs the
// music instead, and one line on standard error says so.
void start_music_device()
{
    // With standard input closed, a stream on /dev/null takes its place so that the
    // pushed-back answer has somewhere to live.
    bool have_stdin = fcntl(0, F_GETFD) != -1 || std::freopen("/dev/null", "r", stdin);
    if (have_stdin) {
        std::ungetc('\n', stdin);
        std::ungetc('2', stdin);
        if (vek_init())
            return;
    }
    std::fprintf(stderr, "demo: sound is off, the audio device cannot be opened: %s\n",
                 *sd_errorstr ? SDL_GetError() : "no answer to the device menu");
    vek_open_device('0');
}

void clear_surface(SDL_Surface* screen)
{
    SDL_LockSurface(screen);
    auto* p = static_cast<std::uint8_t*>(screen->pixels);
    for (int y = 0; y < screen->h; y++)
        std::memset(p + y * screen->pitch, 0, static_cast<std::size_t>(screen->w) * 4);
    SDL_UnlockSurface(screen);
}

}  // namespace

frame_platform fl_platform = {sdl_getticks, sdl_delay, SDL_PollEvent, present_canvas,
                              no_music_position, scene_step};

std::uint32_t choose_videoflags(int argc, char** argv)
{
    std::uint32_t flags = SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_FULLSCREEN;
    if (argc == 2 && std::strcmp(argv[1], "-w") == 0)
        flags = SDL_HWSURFACE | SDL_DOUBLEBUF;
    if (argc > 0 && argv[0]) {
        std::size_t n = std::strlen(argv[0]);
        if (n > 0 && argv[0][n - 1] == 'w')
            flags ^= SDL_FULLSCREEN;
    }
    return flags;
}

void frame_clock_start(frame_state& s)
{
    s = frame_state{};
    s.start_ticks = fl_platform.getticks();
}

bool frame_events()
{
    bool quit = false;
    SDL_Event e;
    while (fl_platform.pollevent(&e)) {
        if (e.type == SDL_MOUSEBUTTONDOWN)
            quit = true;
        else if (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)
            quit = true;
    }
    return quit || fl_stop_requested;
}

void frame_pass(frame_state& s, SDL_Surface* screen)
{
    if (frame_events())
        s.quit = true;
    s.frametime = static_cast<std::int32_t>((fl_platform.getticks() - s.start_ticks) / TICK_MS);
    if (s.frametime > s.last_frametime + 1) {
        std::int32_t position = fl_platform.position();
        s.video_steps = (30 * (s.frametime - s.last_frametime)) / 50;
        s.last_frametime = s.frametime;
        displaybuf = buf;
        if (fl_platform.scene(s.frametime, position, s.video_steps))
            s.quit = true;
        s.drawn++;
    }
    fl_platform.present(screen);
}

void frame_pace(const frame_state& s)
{
    std::uint32_t due = s.start_ticks + TICK_MS * static_cast<std::uint32_t>(s.frametime + 1);
    auto wait = static_cast<std::int32_t>(due - fl_platform.getticks());
    if (wait > 0)
        fl_platform.delay(static_cast<std::uint32_t>(wait));
}

bool wait_first_row()
{
    // The music's position reads -37 until its first row; compared unsigned, a
    // negative report keeps waiting too.
    while (static_cast<std::uint32_t>(fl_platform.position()) > 100) {
        if (fl_stop_requested)
            return false;
        fl_platform.delay(1);
    }
    return true;
}

int frame_loop(frame_state& s, SDL_Surface* screen)
{
    for (;;) {
        frame_pass(s, screen);
        if (s.quit)
            return s.drawn;
        frame_pace(s);
    }
}

int demo_main(int argc, char** argv)
{
    std::uint32_t videoflags = choose_videoflags(argc, argv);

    if (readall() != 0) {
        std::puts("Problem loading datas");
        return 1;
    }

    SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);

    start_music_device();
    if (!vek_get(musakki, musakki_size)) {
        std::fprintf(stderr, "demo: cannot play data/tehas2.mod: %s\n", pt_errorstr);
        SDL_Quit();
        return 1;
    }

    SDL_Surface* screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, videoflags);
    if (!screen) {
        std::fprintf(stderr, "demo: cannot open a %dx%d video mode: %s\n", SCREEN_W, SCREEN_H,
                     SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("Quendal by Tovu & Kestrow", nullptr);
    SDL_ShowCursor(0);
    clear_surface(screen);
    burnpalette(1, 0);

    vek_start(50);
    fl_platform.position = vek_position;
    install_stop_handlers();
    if (wait_first_row()) {
        frame_state s;
        frame_clock_start(s);
        frame_loop(s, screen);
    }
    SDL_Quit();
    return 0;
}
