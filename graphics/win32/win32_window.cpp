// The window thread: every window, GDI and message call for a window happens here, in the
// window's own message loop. Drawing threads reach it only through the canvas's paint requests.
#include <windows.h>

#include <memory>

#include "graphics/canvas.h"
#include "graphics/frame_style.h"
#include "graphics/platform_window.h"

namespace {

const char frameClassName[] = "TesseraFrame";
const char canvasClassName[] = "TesseraCanvas";


// The canvas's pixels are a view of a section of our own that the DIB section shares, so the
// canvas can keep its memory after the window and its bitmap are gone.
void releasePixelView(std::uint32_t* pixels) { UnmapViewOfFile(pixels); }

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK canvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool registerClasses() {
    static const bool registered = [] {
        WNDCLASSEXA frame = {};
        frame.cbSize = sizeof frame;
        frame.lpfnWndProc = frameProcedure;
        frame.hInstance = GetModuleHandleA(nullptr);
        frame.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
        frame.lpszClassName = frameClassName;
        WNDCLASSEXA canvas = frame;
        canvas.lpfnWndProc = canvasProcedure;
        canvas.hbrBackground = nullptr; // the canvas paints every pixel itself
        canvas.lpszClassName = canvasClassName;
        return RegisterClassExA(&frame) != 0 && RegisterClassExA(&canvas) != 0;
    }();
    return registered;
}

class Win32Window final : public PlatformWindow {
public:
    ~Win32Window() override { close(); }

    bool open(const FrameSettings& settings) override;

    WindowHandle frame() const override { return reinterpret_cast<WindowHandle>(frame_); }
    WindowHandle canvasWindow() const override { return reinterpret_cast<WindowHandle>(canvasWindow_); }
    const std::shared_ptr<Canvas>& canvas() const override { return canvas_; }
    bool waitForRequests() override;
    // The paint is done in the window procedure before this returns.
    void putImage() override { RedrawWindow(canvasWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    void activate() override { SetForegroundWindow(frame_); }
    // Waits until the system has carried out this thread's drawing.
    void sync() override { GdiFlush(); }
    // Destroys the windows and the off-screen bitmap and context.
    void close() override;

    // The window procedures' work; `window` is the frame or the canvas window, also while it is
    // being created and its handle is not stored yet.
    LRESULT frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT canvasMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool createWindows(const FrameSettings& settings);
    bool createCanvas(std::int32_t width, std::int32_t height);
    void paint(HDC target);

    HWND frame_ = nullptr;
    HWND canvasWindow_ = nullptr;
    SIZE outerSize_ = {};
    HDC memoryDc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ replacedBitmap_ = nullptr;
    bool closed_ = false;
    std::shared_ptr<Canvas> canvas_;
};

Win32Window* windowOf(HWND window) {
    return reinterpret_cast<Win32Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The window's object comes with its creation parameters and is kept in its user data.
LRESULT dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool frame) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    Win32Window* owner = windowOf(window);
    if (!owner) return DefWindowProcA(window, message, wParam, lParam);
    return frame ? owner->frameMessage(window, message, wParam, lParam)
                 : owner->canvasMessage(window, message, wParam, lParam);
}

LRESULT CALLBACK frameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatch(window, message, wParam, lParam, true);
}

LRESULT CALLBACK canvasProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatch(window, message, wParam, lParam, false);
}

void Win32Window::close() {
    if (frame_) DestroyWindow(frame_); // the canvas window goes with it
    if (memoryDc_) {
        if (replacedBitmap_) SelectObject(memoryDc_, replacedBitmap_);
        DeleteDC(memoryDc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    frame_ = canvasWindow_ = nullptr;
    memoryDc_ = nullptr;
    bitmap_ = nullptr;
    replacedBitmap_ = nullptr;
}

bool Win32Window::open(const FrameSettings& settings) {
    if (settings.width <= 0 || settings.height <= 0 || !registerClasses()) return false;
    return createCanvas(settings.width, settings.height) && createWindows(settings);
}

// A fixed frame: the maximise box and the sizing border are never offered, whatever the style.
bool Win32Window::createWindows(const FrameSettings& settings) {
    const DWORD style = (chosenFrameStyle(settings.style, settings.caption) & ~(WS_MAXIMIZEBOX | WS_THICKFRAME)) |
                        WS_CLIPCHILDREN;
    RECT outer = {0, 0, settings.width, settings.height};
    if (!AdjustWindowRectEx(&outer, style, FALSE, 0)) return false;
    outerSize_ = {outer.right - outer.left, outer.bottom - outer.top};
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    frame_ = CreateWindowExA(0, frameClassName, settings.caption.c_str(), style, settings.x, settings.y,
                             outerSize_.cx, outerSize_.cy, nullptr, nullptr, instance, this);
    if (!frame_) return false;
    canvasWindow_ = CreateWindowExA(0, canvasClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, settings.width,
                                    settings.height, frame_, nullptr, instance, this);
    if (!canvasWindow_) return false;
    ShowWindow(frame_, SW_SHOWNORMAL);
    UpdateWindow(frame_);
    return true;
}

bool Win32Window::createCanvas(std::int32_t width, std::int32_t height) {
    const auto bytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    const HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, nullptr);
    if (!section) return false;
    PixelMemory memory(static_cast<std::uint32_t*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, bytes)),
                       releasePixelView);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first, as the canvas stores its rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    if (memory) bitmap_ = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, section, 0);
    CloseHandle(section); // the view and the bitmap keep the section
    if (!memory || !bitmap_) return false;

    memoryDc_ = CreateCompatibleDC(nullptr);
    if (!memoryDc_) return false;
    replacedBitmap_ = SelectObject(memoryDc_, bitmap_);

    // A 32-bit DIB holds blue, green, red from the lowest byte up: 0x00RRGGBB.
    PixelFormat pixelFormat;
    PixelFormat::fromMasks(0xFF0000, 0xFF00, 0xFF, false, pixelFormat);
    const auto systemColour = [](int index) { return static_cast<ColourValue>(GetSysColor(index)); };
    canvas_ = std::make_shared<Canvas>(std::move(memory), width, height, pixelFormat,
                                       systemColour(COLOR_WINDOWTEXT), systemColour(COLOR_3DFACE));
    return canvas_->requests().usable();
}

bool Win32Window::waitForRequests() {
    const auto wakeUp = reinterpret_cast<HANDLE>(canvas_->requests().wakeUp().waitable());
    for (;;) {
        MSG message;
        while (!closed_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (closed_) return false;
        const DWORD woken = MsgWaitForMultipleObjects(1, &wakeUp, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken == WAIT_FAILED) return false;
    }
}

void Win32Window::paint(HDC target) {
    BitBlt(target, 0, 0, canvas_->width(), canvas_->height(), memoryDc_, 0, 0, SRCCOPY);
}

LRESULT Win32Window::frameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETMINMAXINFO: {
        // The system would hold a captioned window to its own minimum width; the frame keeps
        // exactly the size that gives the canvas its client area.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {outerSize_.cx, outerSize_.cy};
        limits->ptMaxTrackSize = {outerSize_.cx, outerSize_.cy};
        return 0;
    }
    case WM_CLOSE:
        closed_ = true;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT Win32Window::canvasMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT painting;
        const HDC target = BeginPaint(window, &painting);
        if (target) paint(target);
        EndPaint(window, &painting);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::make() { return std::make_unique<Win32Window>(); }

// Windows has no display name; the desktop the window would have opened on stands in for it.
Text PlatformWindow::whereWindowsOpen() {
    char name[256] = {};
    DWORD length = 0;
    if (!GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof name, &length))
        name[0] = '\0';
    return "display \"" + Text(name) + "\"";
}
