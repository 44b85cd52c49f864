// The no-sound device: installs empty device controls and the mixer's channel controls,
// so that the song loads and advances while nothing is mixed. No state of its own;
// registered on the main thread.
#include "sound/sd_ns.h"

#include "sound/sd.h"
#include "sound/sd_mix.h"

std::int32_t ns_init() { return 0; }

std::int32_t ns_dummyfunction() { return 0; }

std::int32_t sd_ns_init()
{
    sd_init = ns_init;
    sd_secondhand = ns_dummyfunction;
    sd_start = ns_dummyfunction;
    sd_stop = ns_dummyfunction;
    sd_shutdown = ns_dummyfunction;
    sd_mix_setfunctions();
    sd_devicename = "Super Tovu NoSound Device 2.0c";
    return 1;
}
