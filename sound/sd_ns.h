// The no-sound device: the mixer's controls without any output.
#pragma once
#include <cstdint>

// Registers the no-sound device in the sound-device table; always returns 1.
std::int32_t sd_ns_init();
std::int32_t ns_init();            // does nothing
std::int32_t ns_dummyfunction();   // does nothing
