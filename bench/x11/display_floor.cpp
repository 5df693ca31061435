// The display's own limit for a 600 x 600 world: one thread turns a fresh plane of one-byte grey
// cells into pixels and puts them with XShmPutImage + XSync, nothing else, as often as it can.
// Prints the frames a second. A generation of the real program can be no faster than this.
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

namespace {
constexpr int side = 600;

// Grey level g as the usual 24-bit pixel 0x00GGGGGG.
void convertPlane(const std::vector<std::uint8_t>& cells, std::uint8_t shift, std::uint32_t* pixels) {
    for (std::size_t k = 0; k < cells.size(); ++k) {
        const std::uint32_t grey = std::uint8_t(cells[k] + shift);
        pixels[k] = grey | grey << 8 | grey << 16;
    }
}
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

    std::vector<std::uint8_t> cells(std::size_t(side) * side);
    for (std::size_t k = 0; k < cells.size(); ++k) cells[k] = std::uint8_t(k * 2654435761u >> 24);
    auto* pixels = reinterpret_cast<std::uint32_t*>(image->data);
    const auto frame = [&](std::uint8_t shift) {
        convertPlane(cells, shift, pixels);
        XShmPutImage(display, window, gc, image, 0, 0, 0, 0, side, side, False);
        XSync(display, False);
    };
    for (int warmUp = 0; warmUp < 50; ++warmUp) frame(std::uint8_t(warmUp));
    const auto start = std::chrono::steady_clock::now();
    long frames = 0;
    for (auto now = start; now - start < span; now = std::chrono::steady_clock::now()) frame(std::uint8_t(++frames));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.0f\n", double(frames) / seconds);

    XShmDetach(display, &segment);
    shmdt(segment.shmaddr);
    XCloseDisplay(display);
    return 0;
}
