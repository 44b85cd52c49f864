// The data loader against real files in a scratch working directory.
#include "core/loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs each test in a fresh directory holding a copy of the generated data/.
struct DataLoader : ::testing::Test {
    fs::path old = fs::current_path();
    fs::path dir = fs::temp_directory_path() / ("loader-" + std::to_string(getpid()));
    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir / "data");
        for (const data_file& d : data_files)
            fs::copy_file(fs::path(DEMO_BINARY_DIR) / d.path, dir / d.path);
        for (const data_file& d : data_files)
            *d.block = nullptr;
        fs::current_path(dir);
    }
    void TearDown() override
    {
        fs::current_path(old);
        fs::remove_all(dir);
    }
};

TEST_F(DataLoader, AllPresentLoadEveryFileWhole)
{
    EXPECT_EQ(readall(), 0);
    for (const data_file& d : data_files) {
        ASSERT_NE(*d.block, nullptr) << d.path;
        std::ifstream f(d.path, std::ios::binary);
        std::vector<char> want((std::istreambuf_iterator<char>(f)), {});
        EXPECT_EQ(0, std::memcmp(*d.block, want.data(), want.size())) << d.path;
        for (std::size_t i = 0; i < LOAD_SPARE; i++)
            ASSERT_EQ((*d.block)[want.size() + i], 0) << d.path;   // spare bytes are zero
    }
    EXPECT_EQ(musakki_size, fs::file_size("data/tehas2.mod"));
}

TEST_F(DataLoader, MissingFilesAreCountedAndTheRestStillLoad)
{
    fs::remove("data/na_eka.raw");
    fs::remove("data/ratas.raw");
    testing::internal::CaptureStderr();
    EXPECT_EQ(readall(), 2);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("data/na_eka.raw"), std::string::npos);
    EXPECT_NE(err.find("data/ratas.raw"), std::string::npos);
    EXPECT_EQ(na_eka, nullptr);
    EXPECT_EQ(ratas, nullptr);
    EXPECT_NE(kooste, nullptr);
    EXPECT_NE(quendal, nullptr);
}

TEST_F(DataLoader, AnotherWorkingDirectoryFailsEveryFile)
{
    fs::create_directories(dir / "elsewhere");
    fs::current_path(dir / "elsewhere");
    testing::internal::CaptureStderr();
    EXPECT_EQ(readall(), 11);
    testing::internal::GetCapturedStderr();
}

// A file shorter than its consumer reads is rejected; a longer one is accepted.
TEST_F(DataLoader, ShortFilesAreRejectedLongerOnesAccepted)
{
    fs::resize_file("data/dd.raw", 80 * 8000 - 1);
    fs::resize_file("data/quendal.raw", 61440 + 100);
    fs::resize_file("data/kooste.raw", 448 * 47);
    testing::internal::CaptureStderr();
    EXPECT_EQ(readall(), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("data/dd.raw: too short"), std::string::npos) << err;
    EXPECT_EQ(dd, nullptr);
    EXPECT_NE(quendal, nullptr);
    EXPECT_NE(kooste, nullptr);
}

TEST_F(DataLoader, DirectoryInPlaceOfAFileFails)
{
    fs::remove("data/paa.raw");
    fs::create_directory("data/paa.raw");
    std::uint8_t* p = nullptr;
    const char* why = nullptr;
    EXPECT_EQ(loadfile("data/paa.raw", &p, 0, nullptr, &why), 1);
    EXPECT_EQ(p, nullptr);
    EXPECT_NE(why, nullptr);
}

}  // namespace
