// The demo program as a user runs it, with the dummy video and audio drivers.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/run.h"

namespace fs = std::filesystem;

namespace {

// A working directory holding a copy of the generated data/, less some files.
fs::path data_copy(const char* tag, std::initializer_list<const char*> missing)
{
    fs::path dir = fs::temp_directory_path() / (std::string("demo-") + tag + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(fs::path(DEMO_BINARY_DIR) / "data", dir / "data");
    for (const char* m : missing)
        fs::remove(dir / "data" / m);
    return dir;
}

TEST(Program, MissingDataFileIsReportedAndFails)
{
    fs::path dir = data_copy("missing", {"siunaus.raw", "tehas2.mod"});
    run_result r = run_program({DEMO_BINARY_DIR "/demo", "-w"}, dir, {}, 20000);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Problem loading datas\n");
    EXPECT_NE(r.err.find("data/siunaus.raw"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("data/tehas2.mod"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("data/ukko.raw"), std::string::npos) << r.err;
    fs::remove_all(dir);
}

TEST(Program, ShortDataFileIsReportedAndFails)
{
    fs::path dir = data_copy("short", {});
    fs::resize_file(dir / "data" / "ratas.raw", 1000);
    run_result r = run_program({DEMO_BINARY_DIR "/demo"}, dir, {}, 20000);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Problem loading datas\n");
    EXPECT_NE(r.err.find("data/ratas.raw: too short"), std::string::npos) << r.err;
    fs::remove_all(dir);
}

TEST(Program, StopSignalEndsTheDemoCleanly)
{
    run_result r = run_program({DEMO_BINARY_DIR "/demo", "-w"}, DEMO_BINARY_DIR, {}, 20000, 1500, SIGTERM);
    EXPECT_EQ(r.status, 0) << r.err;
}

}  // namespace
