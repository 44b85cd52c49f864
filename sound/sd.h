// The sound-device operation table: fourteen function pointers that a device fills
// when it registers, and two texts for diagnosis.
#pragma once
#include <cstdint>

extern std::int32_t (*sd_init)();
extern std::int32_t (*sd_start)();
extern std::int32_t (*sd_stop)();
extern std::int32_t (*sd_shutdown)();
extern std::int32_t (*sd_secondhand)();
// Registers sample n: data, length, loop start and loop end in bytes, loop flag.
extern std::int32_t (*sd_getsample)(std::int32_t n, std::int8_t* data, std::uint32_t length,
                                    std::uint32_t loopstart, std::uint32_t loopend, std::int32_t looped);
extern std::int32_t (*sd_setactivechannels)(std::int32_t n);
extern std::int32_t (*sd_selectchannel)(std::int32_t n);
extern std::int32_t (*sd_setsample)(std::int32_t n);
extern std::int32_t (*sd_setamigaperiod)(std::int32_t period);
extern std::int32_t (*sd_setvolume)(std::int32_t volume);
extern std::int32_t (*sd_setpanning)(std::int32_t panning);   // 0 left .. 255 right
extern std::int32_t (*sd_setoffset)(std::uint32_t offset);    // play position in bytes
extern std::int32_t (*sd_setmainvolume)(std::int32_t volume); // 0..252

extern const char* sd_errorstr;     // error text of a device that failed to open
extern const char* sd_devicename;   // name of the registered device
