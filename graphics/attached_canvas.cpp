#include "graphics/attached_canvas.h"

#include <memory>

#include "graphics/window_registry.h"
#include "runtime/thread_record.h"

constinit thread_local DrawingTarget drawingTarget;

namespace {
// The calling thread's attachment: the canvas window's handle, its resolution (kept alive while
// cached), the registry generation it was resolved at (0: not resolved) and the canvas's redraw
// mode then. The drawing target, which points into the canvas, is cleared with the resolution.
struct Attachment {
    WindowHandle handle = 0;
    std::shared_ptr<Canvas> canvas;
    std::uint64_t generation = 0;
    bool buffered = false;

    Attachment() = default;
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    ~Attachment();
};
thread_local Attachment attachment;

void forgetDrawingTarget() { drawingTarget = {}; }

void forgetResolution() {
    attachment.canvas.reset();
    attachment.generation = 0;
    forgetDrawingTarget();
}

void forgetAttachment() {
    attachment.handle = 0;
    forgetResolution();
}

// The thread record's release takes the attachment with it.
void releaseWithThreadRecord() { threadRecord().onRelease = forgetAttachment; }

// Called after every change to the resolution, so the target never outlives what it points into.
void aimDrawingTarget() {
    Canvas* canvas = attachment.canvas.get();
    if (!canvas || !attachment.buffered || !canvas->format().drawnDirectly()) {
        forgetDrawingTarget();
        return;
    }
    drawingTarget = {canvas->lastPointSlot(), canvas->pixels(), canvas->columns(), canvas->rows(),
                     canvas->format().isCommon() ? canvas->columns() : 0, canvas->foregroundPixel(), canvas->format()};
}

// Resolves the attachment through the registry, caches it and re-aims the drawing target.
Canvas* resolveAttachedCanvas() {
    releaseWithThreadRecord();
    // Stamped with the count read before the lookup, so a change during it forces a new one.
    const std::uint64_t generation = windowRegistryGeneration.load(std::memory_order_acquire);
    std::shared_ptr<Canvas> canvas = windowRegistry().canvas(attachment.handle).canvas;
    Canvas* resolved = canvas.get();
    attachment.buffered = resolved && resolved->buffered();
    attachment.canvas = std::move(canvas);
    aimDrawingTarget();
    attachment.generation = generation;
    return resolved;
}
} // namespace

Attachment::~Attachment() {
    forgetDrawingTarget();
    // The record may outlive the attachment at thread end; its release must not reach back here.
    if (threadRecordSlot && threadRecordSlot->onRelease == forgetAttachment) threadRecordSlot->onRelease = nullptr;
}

void attachCanvas(WindowHandle handle) {
    releaseWithThreadRecord();
    attachment.handle = handle;
    forgetResolution();
}

WindowHandle attachedCanvasHandle() { return attachment.handle; }

Canvas* attachedCanvas() {
    if (attachment.generation == windowRegistryGeneration.load(std::memory_order_acquire))
        return attachment.canvas.get();
    return resolveAttachedCanvas();
}

void resolveOnFirstDraw() {
    if (attachment.generation == 0) resolveAttachedCanvas();
}

Canvas* drawingCanvas(bool& buffered) {
    resolveOnFirstDraw();
    buffered = attachment.buffered;
    return attachment.canvas.get();
}
