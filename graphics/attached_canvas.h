#pragma once
#include "graphics/canvas.h"
#include "graphics/window_handle.h"

// The calling thread's attached canvas: the canvas window attachWindow chose, resolved through
// the registry and cached until the registry changes, and the drawing target setPixel writes
// through. The attachment goes with the thread, or earlier with its thread record.

// Attaches the calling thread to the canvas window `handle` (0: none), dropping what it had
// resolved.
void attachCanvas(WindowHandle handle);

// The canvas window the calling thread is attached to, 0 for none; it stays after the window is
// destroyed, resolving to nothing.
WindowHandle attachedCanvasHandle();

// The attached canvas, the cached resolution while the registry is unchanged; nullptr when there
// is none. redraw, canvasSize and focusWindow revalidate through this, so a window closed since
// the last resolution is noticed there.
Canvas* attachedCanvas();

// setPixel's resolution: the cached canvas as it stands, resolved only when nothing is cached yet.
// Until a revalidation notices that the window has closed, the pixels land in its buffer, which
// the cache keeps alive and nothing shows any more.
void resolveOnFirstDraw();
Canvas* drawingCanvas(bool& buffered);
