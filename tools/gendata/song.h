// The soundtrack's parts shared by the module writer, the instruments and the score:
// synthesised samples in score order and the score text that names them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct song_sample {
    std::string alias;               // the name the score uses
    std::vector<std::int8_t> data;   // even length, byte 0 is silence
    int volume;                      // default volume 0-64
    std::size_t loop_start;          // bytes, even
    std::size_t loop_length;         // bytes, even; 0 = plays once
    int base_note;                   // note index a bare alias plays (drums)
};

std::vector<song_sample> song_instruments();   // samples 1, 2, ... in order
const char* song_score();                      // the score, tracker-style text
