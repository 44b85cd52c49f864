// The data generator as the build runs it: every file, the same bytes on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/loader.h"
#include "tests/support/run.h"

namespace fs = std::filesystem;

namespace {

std::vector<char> slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

TEST(Gendata, WritesTheSameElevenFilesAgain)
{
    fs::path dir = fs::temp_directory_path() / ("gendata-" + std::to_string(getpid()));
    fs::remove_all(dir);
    run_result r = run_program({DEMO_BINARY_DIR "/gendata", dir.string()}, DEMO_BINARY_DIR, {}, 120000);
    ASSERT_EQ(r.status, 0) << r.err;
    int files = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        files += e.is_regular_file();
    EXPECT_EQ(files, DATA_FILE_COUNT);
    for (const data_file& d : data_files) {
        fs::path name = fs::path(d.path).filename();
        std::vector<char> again = slurp(dir / name);
        EXPECT_GE(again.size(), d.min_size) << name;
        EXPECT_TRUE(again == slurp(fs::path(DEMO_BINARY_DIR) / "data" / name)) << name << " differs between runs";
    }
    fs::remove_all(dir);
}

TEST(Gendata, UsageAndUnwritableFolderFail)
{
    EXPECT_EQ(run_program({DEMO_BINARY_DIR "/gendata"}, DEMO_BINARY_DIR, {}, 10000).status, 2);
    EXPECT_NE(run_program({DEMO_BINARY_DIR "/gendata", "/proc/no/such/dir"}, DEMO_BINARY_DIR, {}, 120000).status, 0);
}

}  // namespace
