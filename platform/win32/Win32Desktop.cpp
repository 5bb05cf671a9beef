#include "Win32Desktop.h"

#include "WideText.h"
#include "../Utf8.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace platform {

namespace {

// Long enough for a program that is busy for a moment, short enough that a
// hung one does not freeze the floater's pass.
constexpr UINT kReadTimeoutMs = 1000;
// A receiver may run a whole patient lookup before it answers.
constexpr UINT kSendTimeoutMs = 30000;
constexpr std::size_t kMaxAtomChars = 255;

HWND hwnd(WindowId w)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}

WindowId id(HWND h)
{
    return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(h));
}

BOOL CALLBACK collect(HWND h, LPARAM list)
{
    reinterpret_cast<std::vector<WindowId>*>(list)->push_back(id(h));
    return TRUE;
}

LRESULT CALLBACK applicationWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (auto* desktop = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(h, GWLP_USERDATA))) {
        const auto answer = desktop->dispatch(
            Message{id(h), msg, static_cast<std::int64_t>(wParam), static_cast<std::int64_t>(lParam)});
        if (answer)
            return static_cast<LRESULT>(*answer);
    }
    return DefWindowProcW(h, msg, wParam, lParam);
}

} // namespace

Win32Desktop::~Win32Desktop()
{
    for (WindowId w : windows_)
        DestroyWindow(hwnd(w));
    for (const std::wstring& cls : classes_)
        UnregisterClassW(cls.c_str(), GetModuleHandleW(nullptr));
}

std::vector<WindowId> Win32Desktop::topLevelWindows()
{
    std::vector<WindowId> out;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::vector<WindowId> Win32Desktop::children(WindowId parent)
{
    std::vector<WindowId> out;
    for (HWND c = GetWindow(hwnd(parent), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back(id(c));
    return out;
}

std::vector<WindowId> Win32Desktop::descendants(WindowId parent)
{
    std::vector<WindowId> out;
    if (IsWindow(hwnd(parent)))
        EnumChildWindows(hwnd(parent), collect, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::string Win32Desktop::className(WindowId w)
{
    wchar_t buf[256];
    const int n = GetClassNameW(hwnd(w), buf, 256);
    return n > 0 ? narrow(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string Win32Desktop::windowText(WindowId w, std::size_t maxChars)
{
    if (maxChars == 0 || !IsWindow(hwnd(w)))
        return {};
    std::wstring buf(maxChars + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd(w), WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, kReadTimeoutMs, &copied))
        return {};
    // The answer comes from another program: trust only the terminating NUL.
    const std::size_t len = std::min<std::size_t>(wcsnlen(buf.data(), buf.size()), maxChars);
    return cutUtf8(narrow(buf.data(), len), maxChars);
}

bool Win32Desktop::isVisible(WindowId w)
{
    return IsWindowVisible(hwnd(w)) != FALSE;
}

bool Win32Desktop::isMinimized(WindowId w)
{
    return IsIconic(hwnd(w)) != FALSE;
}

std::optional<Rect> Win32Desktop::windowRect(WindowId w)
{
    RECT r;
    if (!IsWindow(hwnd(w)) || !GetWindowRect(hwnd(w), &r))
        return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

WindowId Win32Desktop::mdiActiveChild(WindowId mdiClient)
{
    DWORD_PTR active = 0;
    if (!IsWindow(hwnd(mdiClient)) ||
        !SendMessageTimeoutW(hwnd(mdiClient), WM_MDIGETACTIVE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kReadTimeoutMs, &active))
        return 0;
    return static_cast<WindowId>(active);
}

MessageId Win32Desktop::registerMessage(const std::string& name)
{
    return RegisterWindowMessageW(widen(name).c_str());
}

AtomId Win32Desktop::addAtom(const std::string& text)
{
    if (text.empty() || utf8Length(text) > kMaxAtomChars)
        return 0;
    return GlobalAddAtomW(widen(text).c_str());
}

std::string Win32Desktop::atomName(AtomId atom, std::size_t maxChars)
{
    if (atom == 0 || atom > 0xFFFF)
        return {};
    wchar_t buf[kMaxAtomChars + 1];
    const UINT n = GlobalGetAtomNameW(static_cast<ATOM>(atom), buf, kMaxAtomChars + 1);
    return cutUtf8(narrow(buf, n), maxChars);
}

void Win32Desktop::deleteAtom(AtomId atom)
{
    if (atom != 0 && atom <= 0xFFFF)
        GlobalDeleteAtom(static_cast<ATOM>(atom));
}

bool Win32Desktop::sendMessage(WindowId target, MessageId msg, std::int64_t wParam,
                               std::int64_t lParam)
{
    DWORD_PTR result = 0;
    return IsWindow(hwnd(target)) &&
           SendMessageTimeoutW(hwnd(target), msg, static_cast<WPARAM>(wParam),
                               static_cast<LPARAM>(lParam), SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG,
                               kSendTimeoutMs, &result) != 0;
}

void Win32Desktop::restoreWindow(WindowId w)
{
    ShowWindow(hwnd(w), SW_RESTORE);
}

void Win32Desktop::raiseWindow(WindowId w)
{
    SetWindowPos(hwnd(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd(w));
}

std::optional<Capture> Win32Desktop::captureWindow(WindowId w)
{
    const std::optional<Rect> rect = windowRect(w);
    if (!rect || rect->width() <= 0 || rect->height() <= 0)
        return std::nullopt;
    Capture cap;
    cap.width = rect->width();
    cap.height = rect->height();
    cap.stride = (cap.width * 3 + 3) & ~3; // DIB rows are padded to four bytes
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cap.width;
    info.bmiHeader.biHeight = -cap.height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory && dib) {
        HGDIOBJ old = SelectObject(memory, dib);
        // The window's own device context, frame included. Wine cannot copy
        // from another process's window; there the window's area of the
        // screen gives the same pixels while the window is not covered.
        if (HDC window = GetWindowDC(hwnd(w))) {
            copied = BitBlt(memory, 0, 0, cap.width, cap.height, window, 0, 0, SRCCOPY) != FALSE;
            ReleaseDC(hwnd(w), window);
        }
        if (!copied)
            copied = BitBlt(memory, 0, 0, cap.width, cap.height, screen, rect->left, rect->top,
                            SRCCOPY) != FALSE;
        GdiFlush();
        if (copied) {
            const auto* p = static_cast<const std::uint8_t*>(bits);
            cap.bgr.assign(p, p + static_cast<std::size_t>(cap.stride) * cap.height);
        }
        SelectObject(memory, old);
    }
    if (dib)
        DeleteObject(dib);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
        return std::nullopt;
    return cap;
}

WindowId Win32Desktop::createApplicationWindow(const std::string& cls, const std::string& title)
{
    const std::wstring name = widen(cls);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!classes_.count(name)) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = applicationWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = name.c_str();
        if (!RegisterClassExW(&wc))
            return 0;
        classes_.insert(name);
    }
    HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, name.c_str(), widen(title).c_str(), WS_POPUP, 0, 0,
                             1, 1, nullptr, nullptr, instance, this);
    if (h)
        windows_.insert(id(h));
    return id(h);
}

void Win32Desktop::setWindowIdentity(WindowId w, const std::string&, const std::string& title)
{
    SetWindowTextW(hwnd(w), widen(title).c_str());
}

void Win32Desktop::destroyWindow(WindowId w)
{
    windows_.erase(w);
    DestroyWindow(hwnd(w));
}

bool Win32Desktop::shellOpen(const std::string& file, const std::string& workingDir)
{
    return runProgram(file, std::string(), workingDir);
}

// The shell's "open" verb serves both: Windows tells programs from documents.
bool Win32Desktop::runProgram(const std::string& file, const std::string& parameters,
                              const std::string& workingDir)
{
    const std::wstring f = widen(file), p = widen(parameters), d = widen(workingDir);
    const auto rc = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", f.c_str(), p.empty() ? nullptr : p.c_str(),
                      d.empty() ? nullptr : d.c_str(), SW_SHOWNORMAL));
    return rc > 32; // smaller values are error codes
}

bool Win32Desktop::processMessages(int timeoutMs, void* waitHandle)
{
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    HANDLE handle = waitHandle;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        const DWORD woke = MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr,
                                                     FALSE, static_cast<DWORD>(end - now),
                                                     QS_ALLINPUT);
        if (handle && woke == WAIT_OBJECT_0)
            return true;
    }
}

std::optional<std::int64_t> Win32Desktop::dispatch(const Message& message)
{
    return handler_ ? handler_(message) : std::nullopt;
}

} // namespace platform
