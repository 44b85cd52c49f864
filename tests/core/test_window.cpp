// The demo in a real window on a virtual X server (Xvfb): size, title, black bands,
// Escape ends it, a close request does not.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/run.h"

namespace {

const char* const TITLE = "Quendal by Tovu & Kestrow";

std::string xdotool(const std::string& display, const std::string& args)
{
    std::string cmd = "DISPLAY=" + display + " xdotool " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char line[256];
        while (fgets(line, sizeof line, p))
            out += line;
        pclose(p);
    }
    return out;
}

// One Xvfb server and one demo per test.
struct Window : ::testing::Test {
    std::string display;
    pid_t xvfb = 0;
    pid_t demo = 0;
    Display* dpy = nullptr;
    ::Window win = 0;

    void SetUp() override
    {
        // Xvfb picks a free display itself and writes its number to standard output.
        std::string numfile = std::filesystem::temp_directory_path() / ("xvfb-" + std::to_string(getpid()));
        xvfb = spawn_program({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"},
                             "/", {}, numfile);
        for (int i = 0; i < 500 && !dpy; i++) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ifstream f(numfile);
            std::string n;
            if (std::getline(f, n) && !n.empty()) {
                display = ":" + n;
                dpy = XOpenDisplay(display.c_str());
            }
        }
        std::filesystem::remove(numfile);
        ASSERT_NE(dpy, nullptr) << "Xvfb did not start";
    }

    void start_demo(const std::vector<std::string>& argv)
    {
        demo = spawn_program(argv, DEMO_BINARY_DIR,
                             {{"DISPLAY", display}, {"SDL_VIDEODRIVER", ""}, {"SDL_AUDIODRIVER", "dummy"}});
        std::string id = xdotool(display, std::string("search --sync --name '") + TITLE + "'");
        win = static_cast<::Window>(std::strtoul(id.c_str(), nullptr, 10));
        ASSERT_NE(win, 0u) << "no window titled " << TITLE;
    }

    void TearDown() override
    {
        if (demo && wait_program(demo, 0) == -2) {
            kill(demo, SIGKILL);
            wait_program(demo, 5000);
        }
        if (dpy)
            XCloseDisplay(dpy);
        if (xvfb) {
            kill(xvfb, SIGTERM);
            wait_program(xvfb, 5000);
        }
    }

    // Grey level (the green byte) of every pixel of the window.
    std::vector<std::uint8_t> grab(int& w, int& h)
    {
        XWindowAttributes a;
        XGetWindowAttributes(dpy, win, &a);
        w = a.width;
        h = a.height;
        std::vector<std::uint8_t> g;
        XImage* img = XGetImage(dpy, win, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
        if (!img)
            return g;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                g.push_back(static_cast<std::uint8_t>((XGetPixel(img, x, y) >> 8) & 0xFF));
        XDestroyImage(img);
        return g;
    }
};

TEST_F(Window, OpensWithTitleAndBlackBands)
{
    start_demo({DEMO_BINARY_DIR "/demo", "-w"});
    int w = 0, h = 0;
    std::vector<std::uint8_t> g;
    bool drawn = false;
    for (int i = 0; i < 100 && !drawn; i++) {   // until the first frame is shown
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        g = grab(w, h);
        for (int y = 48; y < 432 && !drawn && g.size() == 640u * 480u; y++)
            for (int x = 0; x < 640 && !drawn; x++)
                drawn = g[static_cast<std::size_t>(y) * 640 + x] != 0;
    }
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    EXPECT_TRUE(drawn) << "the picture never appeared";
    for (int y : {0, 20, 47, 432, 460, 479})
        for (int x = 0; x < 640; x++)
            ASSERT_EQ(g[static_cast<std::size_t>(y) * 640 + x], 0) << "band pixel " << x << "," << y;
}

TEST_F(Window, EscapeEndsTheDemoAndACloseRequestDoesNot)
{
    start_demo({DEMO_BINARY_DIR "/demo", "-w"});

    Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = protocols;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, win, False, NoEventMask, &ev);
    XFlush(dpy);
    EXPECT_EQ(wait_program(demo, 1000), -2) << "a close request ended the demo";

    xdotool(display, "windowfocus --sync " + std::to_string(win));
    auto t0 = std::chrono::steady_clock::now();
    xdotool(display, "key Escape");
    int status = wait_program(demo, 1000);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_EQ(status, 0) << "after " << ms << " ms";
}

TEST_F(Window, MissingDataOpensNoWindow)
{
    std::filesystem::path empty = std::filesystem::temp_directory_path() / ("nodata-" + std::to_string(getpid()));
    std::filesystem::create_directories(empty);
    demo = spawn_program({DEMO_BINARY_DIR "/demo", "-w"}, empty, {{"DISPLAY", display}, {"SDL_VIDEODRIVER", ""}});
    EXPECT_EQ(wait_program(demo, 10000), 1);
    EXPECT_EQ(xdotool(display, std::string("search --name '") + TITLE + "'"), "");
    std::filesystem::remove_all(empty);
}

}  // namespace
