// The scene script. Until the effects exist it shows the final picture under the
// linear ramp and ends the demo at position 2548. Main thread only.
#include "core/scene.h"

#include "core/canvas.h"
#include "core/loader.h"

#include <cstring>

int scene_step(std::int32_t, std::int32_t position, std::int32_t)
{
    std::memcpy(buf, quendal, CANVAS_SHOWN_BYTES);
    return position >= 2548;
}
