// The scene script: picks and runs the effects for each drawn frame by music position.
#pragma once
#include <cstdint>

// Draws the frame for frame time F, music position P and video steps S into buf/buf2,
// points displaybuf at the canvas to show; returns 1 at the end of the timeline.
int scene_step(std::int32_t frametime, std::int32_t position, std::int32_t video_steps);
