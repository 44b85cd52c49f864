// The eleven data files under data/, each read whole into a block of its own.
#pragma once
#include <cstddef>
#include <cstdint>

extern std::uint8_t* musakki;      // data/tehas2.mod, the music module
extern std::uint8_t* dd;           // 1-bit videos, 8000 bytes a frame
extern std::uint8_t* na_eka;
extern std::uint8_t* na_toka;
extern std::uint8_t* onnettomuus;
extern std::uint8_t* paa;
extern std::uint8_t* siunaus;
extern std::uint8_t* ukko;
extern std::uint8_t* ratas;        // gear texture, 256 x 256
extern std::uint8_t* kooste;       // tile strip, 448 bytes a row, 47 rows used
extern std::uint8_t* quendal;      // final picture, 320 x 192
extern std::size_t musakki_size;   // the module file's size in bytes, without the spare bytes

// Zero bytes allocated after every block, so that a reader running a little past a
// file's end (the mixer at the end of the last sample) still reads memory that exists.
constexpr std::size_t LOAD_SPARE = 4096;

struct data_file {
    const char* path;
    std::uint8_t** block;
    std::size_t min_size;   // bytes its consumer reads; a shorter file is rejected
};
constexpr int DATA_FILE_COUNT = 11;
extern const data_file data_files[DATA_FILE_COUNT];   // in loading order

// Reads a whole file into a new block stored at *block. Returns 0 when read, 1 when the
// file cannot be opened, read or allocated, or is shorter than min_size; then *why says
// which, and *block is left as it was. size, when given, receives the file's size.
int loadfile(const char* path, std::uint8_t** block, std::size_t min_size = 0,
             std::size_t* size = nullptr, const char** why = nullptr);

// Loads all eleven files in order, naming each failure on standard error.
// Returns the number of files that failed, 0 to 11.
int readall();
