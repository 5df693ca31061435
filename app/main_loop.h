#pragma once

#include "app/program_state.h"

// The reset step: plane 1 refilled at random, plane 1 current, the counter back to 0.
void resetWorld(ProgramState& state);

// One generation: counter line, drawing and the generation step, redraw, one key, the
// single-step wait and the end test. Gives the stage to go on with.
Stage runGeneration(ProgramState& state);

// Writes every cell of the World's current plane into the window's buffer as a grey pixel.
void drawCurrentPlane(const World& world);
