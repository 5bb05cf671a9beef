#include "Win32Backend.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <cmath>
#include <cwchar>
#include <stdexcept>

namespace q7sim {

namespace {

constexpr const wchar_t* kCaptionBarClass = L"MIAQ7CAPTIONBAR";
// Q7's caption bar: white Arial 14 pt (19 pixels; Liberation Sans where
// Arial is missing) on dark blue, without smoothing.
constexpr COLORREF kCaptionColour = RGB(0, 84, 147);
constexpr int kCaptionFontPixels = 19;
// The caption reader's first strip ends 4 pixels left of the bar's right edge
// and is 150 wide; its cleaning paints the hyphen's place white, the area
// centred at (95, 14) of the strip.
constexpr int kStripFromRight = 154;
constexpr double kHyphenCentreX = 95, kHyphenCentreY = 14;

HWND hwnd(Handle w)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}

Handle handle(HWND h)
{
    return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(h));
}

[[noreturn]] void fail(const std::string& what)
{
    throw std::runtime_error(what + " (Windows error " + std::to_string(GetLastError()) + ")");
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE)
        return 0; // only "close" closes
    if (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_MDICHILD)
        return DefMDIChildProcW(h, msg, wParam, lParam);
    return DefWindowProcW(h, msg, wParam, lParam);
}

// Draws the number so that its hyphen lies where the reader expects it.
void paintCaption(HWND h)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    HBRUSH brush = CreateSolidBrush(kCaptionColour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    HFONT font = CreateFontW(-kCaptionFontPixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Liberation Sans");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    wchar_t text[256];
    const int n = GetWindowTextW(h, text, 256);
    const wchar_t* hyphen = std::wcschr(text, L'-');
    const int before = hyphen ? static_cast<int>(hyphen - text) : n;
    SIZE advance{};
    GetTextExtentPoint32W(dc, text, before, &advance);
    GLYPHMETRICS gm{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GetGlyphOutlineW(dc, L'-', GGO_METRICS, &gm, 0, nullptr, &identity);
    const double inkX = gm.gmptGlyphOrigin.x + gm.gmBlackBoxX / 2.0;
    const double inkY = -gm.gmptGlyphOrigin.y + gm.gmBlackBoxY / 2.0;
    const int stripLeft = r.right - kStripFromRight;
    const int x = static_cast<int>(std::lround(stripLeft + kHyphenCentreX - inkX - advance.cx));
    const int y = static_cast<int>(std::lround(kHyphenCentreY - inkY));
    ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(n), nullptr);
    SelectObject(dc, old);
    DeleteObject(font);
    EndPaint(h, &ps);
}

LRESULT CALLBACK captionProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        paintCaption(h);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        const LRESULT r = DefWindowProcW(h, msg, wParam, lParam);
        InvalidateRect(h, nullptr, FALSE);
        return r;
    }
    default:
        return DefWindowProcW(h, msg, wParam, lParam);
    }
}

} // namespace

Win32Backend::~Win32Backend()
{
    for (const std::wstring& cls : classes_)
        UnregisterClassW(cls.c_str(), GetModuleHandleW(nullptr));
}

void Win32Backend::ensureClass(const std::wstring& cls)
{
    if (classes_.count(cls))
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = cls == kCaptionBarClass ? captionProc : windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassExW(&wc))
        fail("cannot register the window class " + platform::narrow(cls));
    classes_.insert(cls);
}

Handle Win32Backend::create(Handle parent, const std::string& parentClass, const std::string& cls,
                            const std::string& text, const Geometry& g)
{
    const std::wstring wcls = platform::widen(cls), wtext = platform::widen(text);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND h = nullptr;
    if (cls == "MDIClient") {
        CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
        h = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                            WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, g.x, g.y, g.width, g.height,
                            hwnd(parent), nullptr, instance, &ccs);
    } else if (parentClass == "MDIClient") {
        ensureClass(wcls);
        MDICREATESTRUCTW mcs{wcls.c_str(), wtext.c_str(), instance, g.x, g.y, g.width, g.height,
                             WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0};
        h = reinterpret_cast<HWND>(
            SendMessageW(hwnd(parent), WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    } else if (parent == 0) {
        ensureClass(wcls);
        h = CreateWindowExW(0, wcls.c_str(), wtext.c_str(),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, g.x, g.y, g.width,
                            g.height, nullptr, nullptr, instance, nullptr);
    } else if (cls == "Edit") {
        h = CreateWindowExW(0, L"EDIT", wtext.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                            g.x, g.y, g.width, g.height, hwnd(parent), nullptr, instance, nullptr);
    } else {
        ensureClass(wcls);
        h = CreateWindowExW(0, wcls.c_str(), wtext.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                            g.x, g.y, g.width, g.height, hwnd(parent), nullptr, instance, nullptr);
    }
    if (!h)
        fail("cannot create a window of class " + cls);
    return handle(h);
}

void Win32Backend::setText(Handle w, const std::string& text)
{
    SetWindowTextW(hwnd(w), platform::widen(text).c_str());
}

void Win32Backend::raise(Handle w, const std::string& parentClass)
{
    if (parentClass == "MDIClient")
        SendMessageW(GetParent(hwnd(w)), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hwnd(w)), 0);
    else
        SetWindowPos(hwnd(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32Backend::setShown(Handle w, bool shown)
{
    ShowWindow(hwnd(w), shown ? SW_SHOWNA : SW_HIDE);
}

void Win32Backend::minimize(Handle w)
{
    ShowWindow(hwnd(w), SW_SHOWMINNOACTIVE);
}

void Win32Backend::setGeometry(Handle w, const Geometry& g)
{
    MoveWindow(hwnd(w), g.x, g.y, g.width, g.height, TRUE);
}

std::vector<Handle> Win32Backend::frame(Handle, int)
{
    throw std::invalid_argument("frame: Win32 has no window manager frames");
}

void Win32Backend::destroy(Handle w, const std::string& parentClass)
{
    if (parentClass == "MDIClient")
        SendMessageW(GetParent(hwnd(w)), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd(w)), 0);
    else
        DestroyWindow(hwnd(w));
}

void Win32Backend::sync()
{
    // Everything ran on this thread already; only the painting is left.
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM) -> BOOL {
            RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            return TRUE;
        },
        0);
    GdiFlush();
}

void Win32Backend::quit(const std::vector<Handle>& topLevel)
{
    for (Handle w : topLevel)
        DestroyWindow(hwnd(w));
}

void Win32Backend::draw(Handle, const std::string&, const Drawing&)
{
    throw std::invalid_argument("draw is X11 only; the Win32 caption bar paints its text");
}

} // namespace q7sim
