// The display's own limit for a 600 x 600 world: one thread turns a fresh plane of one-byte grey
// cells into pixels and puts them with XShmPutImage + XSync, nothing else, as often as it can.
// Prints the frames a second, then the milliseconds one conversion takes into memory that no other
// process reads. A generation of the real program can be no faster than the frames.
// Usage: tessera_display_floor [milliseconds]   (on DISPLAY, which must offer MIT-SHM)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/colour.h"

namespace {
constexpr int side = 600;
} // namespace

int main(int argc, char** argv) {
    const auto span = std::chrono::milliseconds(argc > 1 ? std::atol(argv[1]) : 3000);
    Display* display = XOpenDisplay(nullptr);
    if (!display || !XShmQueryExtension(display)) {
        std::fprintf(stderr, "no display with MIT-SHM\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, side, side, 0, 0, 0);
    XMapWindow(display, window);
    const GC gc = DefaultGC(display, screen);
    XShmSegmentInfo segment{};
    XImage* image = XShmCreateImage(display, DefaultVisual(display, screen), unsigned(DefaultDepth(display, screen)),
                                    ZPixmap, nullptr, &segment, side, side);
    segment.shmid = shmget(IPC_PRIVATE, std::size_t(image->bytes_per_line) * side, IPC_CREAT | 0600);
    segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    XShmAttach(display, &segment);
    shmctl(segment.shmid, IPC_RMID, nullptr);
    XSync(display, False);

    // Two planes of different greys, converted in turn, so every frame differs from the last.
    std::vector<std::uint8_t> planes[2];
    for (std::uint32_t plane = 0; plane < 2; ++plane) {
        planes[plane].resize(std::size_t(side) * side);
        for (std::size_t k = 0; k < planes[plane].size(); ++k)
            planes[plane][k] = std::uint8_t((k + plane) * 2654435761u >> 24);
    }
    auto* pixels = reinterpret_cast<std::uint32_t*>(image->data);
    // The program's own conversion, so the floor is what the program itself could reach.
    const auto frame = [&](long number) {
        const std::vector<std::uint8_t>& cells = planes[number % 2];
        PixelFormat{}.greyPixelRows(cells.data(), side, side, side, pixels);
        XShmPutImage(display, window, gc, image, 0, 0, 0, 0, side, side, False);
        XSync(display, False);
    };
    for (int warmUp = 0; warmUp < 50; ++warmUp) frame(warmUp);
    // The conversion alone, into memory no other process reads and with cached stores (there the
    // fastest), is the unit the program's processor time is measured in.
    constexpr int conversions = 200;
    std::vector<std::uint32_t> ownPixels(planes[0].size());
    const auto conversionStart = std::chrono::steady_clock::now();
    for (int k = 0; k < conversions; ++k)
        PixelFormat{}.greyPixels(planes[k % 2].data(), planes[k % 2].size(), ownPixels.data());
    const double conversionMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - conversionStart).count() /
        conversions;

    const auto start = std::chrono::steady_clock::now();
    long frames = 0;
    for (auto now = start; now - start < span; now = std::chrono::steady_clock::now()) frame(++frames);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.0f %.4f\n", double(frames) / seconds, conversionMs);

    XShmDetach(display, &segment);
    shmdt(segment.shmaddr);
    XCloseDisplay(display);
    return 0;
}
