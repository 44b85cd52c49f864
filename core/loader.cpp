// Data loader: reads the eleven files under data/ (relative to the working directory)
// into blocks that live until the program ends. Owns the global block pointers.
// Runs once on the main thread, before anything else starts.
#include "core/loader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

std::uint8_t* musakki;
std::uint8_t* dd;
std::uint8_t* na_eka;
std::uint8_t* na_toka;
std::uint8_t* onnettomuus;
std::uint8_t* paa;
std::uint8_t* siunaus;
std::uint8_t* ukko;
std::uint8_t* ratas;
std::uint8_t* kooste;
std::uint8_t* quendal;
std::size_t musakki_size;

namespace {
constexpr std::size_t VIDEO_FRAME = 8000;   // 200 rows of 40 bytes
}

// The module has no fixed size here; its loader checks it against its own header.
const data_file data_files[DATA_FILE_COUNT] = {
    {"data/tehas2.mod", &musakki, 0},
    {"data/dd.raw", &dd, 80 * VIDEO_FRAME},
    {"data/na_eka.raw", &na_eka, 40 * VIDEO_FRAME},
    {"data/na_toka.raw", &na_toka, 40 * VIDEO_FRAME},
    {"data/onnettomuus.raw", &onnettomuus, 80 * VIDEO_FRAME},
    {"data/paa.raw", &paa, 40 * VIDEO_FRAME},
    {"data/siunaus.raw", &siunaus, 40 * VIDEO_FRAME},
    {"data/ukko.raw", &ukko, 40 * VIDEO_FRAME},
    {"data/ratas.raw", &ratas, 65536},
    {"data/kooste.raw", &kooste, 448 * 47},
    {"data/quendal.raw", &quendal, 61440},
};

int loadfile(const char* path, std::uint8_t** block, std::size_t min_size, std::size_t* size,
             const char** why)
{
    const char* dummy;
    if (!why)
        why = &dummy;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        *why = std::strerror(errno);
        return 1;
    }
    // A directory opens like a file but reports a nonsense size.
    struct stat st{};
    long end = -1;
    if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && std::fseek(f, 0, SEEK_END) == 0)
        end = std::ftell(f);
    if (end < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        *why = "cannot be read (not a regular file)";
        std::fclose(f);
        return 1;
    }
    auto n = static_cast<std::size_t>(end);
    if (n < min_size) {
        static char text[96];
        std::snprintf(text, sizeof text, "too short: %zu bytes, at least %zu needed", n, min_size);
        *why = text;
        std::fclose(f);
        return 1;
    }
    auto* p = static_cast<std::uint8_t*>(std::calloc(n + LOAD_SPARE, 1));
    if (!p) {
        *why = "out of memory";
        std::fclose(f);
        return 1;
    }
    std::size_t got = std::fread(p, 1, n, f);
    std::fclose(f);
    if (got != n) {
        *why = "read error";
        std::free(p);
        return 1;
    }
    *block = p;
    if (size)
        *size = n;
    return 0;
}

int readall()
{
    int failed = 0;
    for (const data_file& d : data_files) {
        const char* why = "";
        std::size_t size = 0;
        int r = loadfile(d.path, d.block, d.min_size, &size, &why);
        if (r)
            std::fprintf(stderr, "demo: %s: %s\n", d.path, why);
        else if (d.block == &musakki)
            musakki_size = size;
        failed += r;
    }
    return failed;
}
