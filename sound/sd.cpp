// The sound-device operation table, empty until a device registers; written on the
// main thread before the music clock starts, only read afterwards.
#include "sound/sd.h"

std::int32_t (*sd_init)();
std::int32_t (*sd_start)();
std::int32_t (*sd_stop)();
std::int32_t (*sd_shutdown)();
std::int32_t (*sd_secondhand)();
std::int32_t (*sd_getsample)(std::int32_t, std::int8_t*, std::uint32_t, std::uint32_t, std::uint32_t,
                             std::int32_t);
std::int32_t (*sd_setactivechannels)(std::int32_t);
std::int32_t (*sd_selectchannel)(std::int32_t);
std::int32_t (*sd_setsample)(std::int32_t);
std::int32_t (*sd_setamigaperiod)(std::int32_t);
std::int32_t (*sd_setvolume)(std::int32_t);
std::int32_t (*sd_setpanning)(std::int32_t);
std::int32_t (*sd_setoffset)(std::uint32_t);
std::int32_t (*sd_setmainvolume)(std::int32_t);

const char* sd_errorstr = "";
const char* sd_devicename = "";
