#include "X11Desktop.h"

#include "../ShellCommand.h"
#include "../Utf8.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>
#include <utility>

namespace platform {

namespace {

template <typename T>
struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// Waits for a reply; null after an X error (BadWindow for a window that
// vanished). Only the checked request forms are used: their errors come back
// here and are dropped, instead of piling up in an event queue nobody reads.
template <typename ReplyFn, typename Cookie>
auto reply(xcb_connection_t* c, ReplyFn fn, Cookie cookie)
{
    using T = std::remove_pointer_t<decltype(fn(c, cookie, nullptr))>;
    return Reply<T>(fn(c, cookie, nullptr));
}

// WM_CLASS is "instance\0class\0"; the class part is what windows are known by.
std::string classPart(const std::string& wmClass)
{
    const std::size_t nul = wmClass.find('\0');
    if (nul == std::string::npos)
        return {};
    std::string cls = wmClass.substr(nul + 1);
    const std::size_t end = cls.find('\0');
    return end == std::string::npos ? cls : cls.substr(0, end);
}

// A text property's bytes, at most maxBytes of them; empty unless 8-bit.
std::string propertyText(const xcb_get_property_reply_t* r, std::size_t maxBytes)
{
    if (!r || r->format != 8)
        return {};
    const int len = xcb_get_property_value_length(r);
    const char* data = static_cast<const char*>(xcb_get_property_value(r));
    return std::string(data, data + std::min<std::size_t>(static_cast<std::size_t>(len), maxBytes));
}

constexpr std::size_t kClassBytes = 512;

constexpr std::uint32_t kIconicState = 3;

// Minimised: the window manager's WM_STATE says iconic, or EWMH says hidden.
bool iconic(const xcb_get_property_reply_t* wmState, const xcb_get_property_reply_t* netState,
            xcb_atom_t hidden)
{
    if (wmState && wmState->format == 32 && xcb_get_property_value_length(wmState) >= 4 &&
        *static_cast<const std::uint32_t*>(xcb_get_property_value(wmState)) == kIconicState)
        return true;
    if (!netState || netState->format != 32 || hidden == XCB_ATOM_NONE)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(netState));
    const int n = xcb_get_property_value_length(netState) / 4;
    return std::find(atoms, atoms + n, hidden) != atoms + n;
}

} // namespace

X11Desktop::X11Desktop(const char* displayName)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        xcb_disconnect(c);
        return;
    }
    conn_ = c;
    root_ = it.data->root;
}

X11Desktop::X11Desktop(xcb_connection_t* borrowed) : owned_(false)
{
    if (!borrowed || xcb_connection_has_error(borrowed))
        return;
    conn_ = borrowed;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(borrowed)).data->root;
}

X11Desktop::~X11Desktop()
{
    if (conn_ && owned_)
        xcb_disconnect(conn_);
}

xcb_atom_t X11Desktop::atom(const std::string& name)
{
    auto found = atoms_.find(name);
    if (found != atoms_.end())
        return found->second;
    auto r = reply(conn_, xcb_intern_atom_reply,
                   xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(name.size()), name.data()));
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (a != XCB_ATOM_NONE)
        atoms_[name] = a;
    return a;
}

std::vector<WindowId> X11Desktop::topLevelWindows()
{
    // The tree and the window manager's announcement travel together.
    const auto treeCookie = xcb_query_tree(conn_, root_);
    const auto managerCookie = xcb_get_property(conn_, 0, root_, atom("_NET_SUPPORTING_WM_CHECK"),
                                                XCB_ATOM_WINDOW, 0, 1);
    auto tree = reply(conn_, xcb_query_tree_reply, treeCookie);
    auto manager = reply(conn_, xcb_get_property_reply, managerCookie);
    if (!tree)
        return {};
    const xcb_window_t* kids = xcb_query_tree_children(tree.get());
    std::vector<WindowId> windows(kids, kids + xcb_query_tree_children_length(tree.get()));
    if (manager && manager->type != XCB_ATOM_NONE)
        replaceFramesByClients(windows);
    // The server lists the bottom of the stack first.
    std::reverse(windows.begin(), windows.end());
    return windows;
}

void X11Desktop::replaceFramesByClients(std::vector<WindowId>& windows)
{
    // A reparenting window manager puts each program's window into a frame of
    // its own: a child of the root without WM_CLASS. Such a frame stands for
    // the window it holds, the one the manager marked with WM_STATE.
    std::vector<xcb_get_property_cookie_t> classCookies;
    classCookies.reserve(windows.size());
    for (WindowId w : windows)
        classCookies.push_back(xcb_get_property(conn_, 0, static_cast<xcb_window_t>(w),
                                                XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 0));
    std::vector<std::pair<std::size_t, xcb_window_t>> search; // slot, window to look inside
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto r = reply(conn_, xcb_get_property_reply, classCookies[i]);
        if (r && r->type == XCB_ATOM_NONE)
            search.emplace_back(i, static_cast<xcb_window_t>(windows[i]));
    }
    if (search.empty())
        return;
    const xcb_atom_t wmState = atom("WM_STATE");
    std::vector<bool> found(windows.size(), false);
    // Managers nest the program's window one or two levels deep.
    for (int depth = 0; depth < 2 && !search.empty(); ++depth) {
        std::vector<xcb_query_tree_cookie_t> trees;
        trees.reserve(search.size());
        for (const auto& entry : search)
            trees.push_back(xcb_query_tree(conn_, entry.second));
        struct Inner {
            std::size_t slot;
            xcb_window_t window;
            xcb_get_property_cookie_t state;
        };
        std::vector<Inner> inner;
        for (std::size_t k = 0; k < search.size(); ++k) {
            auto r = reply(conn_, xcb_query_tree_reply, trees[k]);
            if (!r)
                continue;
            const xcb_window_t* kids = xcb_query_tree_children(r.get());
            for (int j = 0; j < xcb_query_tree_children_length(r.get()); ++j)
                inner.push_back({search[k].first, kids[j],
                                 xcb_get_property(conn_, 0, kids[j], wmState, wmState, 0, 0)});
        }
        std::vector<std::pair<std::size_t, xcb_window_t>> next;
        for (const Inner& in : inner) {
            auto r = reply(conn_, xcb_get_property_reply, in.state);
            if (found[in.slot])
                continue;
            if (r && r->type != XCB_ATOM_NONE) {
                windows[in.slot] = in.window;
                found[in.slot] = true;
            } else {
                next.emplace_back(in.slot, in.window);
            }
        }
        std::erase_if(next, [&](const auto& entry) { return found[entry.first]; });
        search = std::move(next);
    }
    // A frame with no marked window inside stays as it is.
}

std::vector<WindowId> X11Desktop::children(WindowId parent)
{
    std::vector<WindowId> out;
    auto r = reply(conn_, xcb_query_tree_reply,
                   xcb_query_tree(conn_, static_cast<xcb_window_t>(parent)));
    if (!r)
        return out;
    const xcb_window_t* kids = xcb_query_tree_children(r.get());
    out.assign(kids, kids + xcb_query_tree_children_length(r.get()));
    return out;
}

std::vector<WindowId> X11Desktop::descendants(WindowId parent)
{
    // One tree query per level of the hierarchy, all windows of a level at once.
    std::map<WindowId, std::vector<WindowId>> kids;
    std::vector<WindowId> level{parent};
    while (!level.empty()) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(level.size());
        for (WindowId w : level)
            cookies.push_back(xcb_query_tree(conn_, static_cast<xcb_window_t>(w)));
        std::vector<WindowId> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            auto r = reply(conn_, xcb_query_tree_reply, cookies[i]);
            if (!r)
                continue; // gone: no children
            const xcb_window_t* k = xcb_query_tree_children(r.get());
            std::vector<WindowId>& list = kids[level[i]];
            list.assign(k, k + xcb_query_tree_children_length(r.get()));
            next.insert(next.end(), list.begin(), list.end());
        }
        level = std::move(next);
    }
    // Depth first, each window before its children, siblings bottom of the stack first.
    std::vector<WindowId> out;
    std::vector<std::pair<WindowId, std::size_t>> stack{{parent, 0}};
    while (!stack.empty()) {
        auto& [w, nextChild] = stack.back();
        const std::vector<WindowId>& list = kids[w];
        if (nextChild == list.size()) {
            stack.pop_back();
            continue;
        }
        const WindowId child = list[nextChild++];
        out.push_back(child);
        stack.emplace_back(child, 0);
    }
    return out;
}

std::vector<WindowFacts> X11Desktop::windowFacts(const std::vector<WindowId>& windows,
                                                 const FactRequest& request)
{
    // Every request goes out before the first reply is read: one round trip
    // for the lot instead of one per window and fact.
    const std::size_t maxChars = request.textChars;
    const xcb_atom_t netName = maxChars ? atom("_NET_WM_NAME") : xcb_atom_t{XCB_ATOM_NONE};
    const xcb_atom_t utf8 = maxChars ? atom("UTF8_STRING") : xcb_atom_t{XCB_ATOM_NONE};
    // A UTF-8 character takes at most four bytes.
    const std::size_t maxBytes = maxChars * 4;
    const auto longs = static_cast<std::uint32_t>((maxBytes + 3) / 4);
    const xcb_atom_t wmState = request.visible ? atom("WM_STATE") : xcb_atom_t{XCB_ATOM_NONE};
    const xcb_atom_t netState = request.visible ? atom("_NET_WM_STATE") : xcb_atom_t{XCB_ATOM_NONE};
    const xcb_atom_t hidden = request.visible ? atom("_NET_WM_STATE_HIDDEN") : xcb_atom_t{XCB_ATOM_NONE};
    struct Cookies {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_property_cookie_t wmState, netState, wmClass, netName, wmName;
    };
    std::vector<Cookies> cookies(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const auto w = static_cast<xcb_window_t>(windows[i]);
        Cookies& c = cookies[i];
        if (request.visible) {
            c.attributes = xcb_get_window_attributes(conn_, w);
            c.wmState = xcb_get_property(conn_, 0, w, wmState, wmState, 0, 1);
            c.netState = xcb_get_property(conn_, 0, w, netState, XCB_ATOM_ATOM, 0, 32);
        }
        if (request.className)
            c.wmClass = xcb_get_property(conn_, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0,
                                         kClassBytes / 4);
        if (maxChars) {
            // Both names at once: asking for WM_NAME only when _NET_WM_NAME is
            // missing would cost a second round trip.
            c.netName = xcb_get_property(conn_, 0, w, netName, utf8, 0, longs);
            c.wmName = xcb_get_property(conn_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY,
                                        0, longs);
        }
    }
    std::vector<WindowFacts> out(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        WindowFacts& f = out[i];
        if (request.visible) {
            auto attributes = reply(conn_, xcb_get_window_attributes_reply, cookies[i].attributes);
            auto state = reply(conn_, xcb_get_property_reply, cookies[i].wmState);
            auto net = reply(conn_, xcb_get_property_reply, cookies[i].netState);
            f.visible = attributes && (attributes->map_state == XCB_MAP_STATE_VIEWABLE ||
                                       iconic(state.get(), net.get(), hidden));
        }
        if (request.className)
            f.className = sanitizeUtf8(classPart(propertyText(
                reply(conn_, xcb_get_property_reply, cookies[i].wmClass).get(), kClassBytes)));
        if (maxChars) {
            const std::string utf8Text = propertyText(
                reply(conn_, xcb_get_property_reply, cookies[i].netName).get(), maxBytes);
            const std::string latin1Text = propertyText(
                reply(conn_, xcb_get_property_reply, cookies[i].wmName).get(), maxChars);
            f.text = utf8Text.empty() ? cutUtf8(latin1ToUtf8(latin1Text), maxChars)
                                      : cutUtf8(sanitizeUtf8(utf8Text), maxChars);
        }
    }
    return out;
}

// The single reads go through the batch (named explicitly: a subclass that
// routes the batch back to them must not recurse).
std::string X11Desktop::className(WindowId w)
{
    return X11Desktop::windowFacts({w}, {.className = true}).front().className;
}

std::string X11Desktop::windowText(WindowId w, std::size_t maxChars)
{
    return X11Desktop::windowFacts({w}, {.textChars = maxChars}).front().text;
}

bool X11Desktop::isVisible(WindowId w)
{
    return X11Desktop::windowFacts({w}, {.visible = true}).front().visible;
}

bool X11Desktop::isMinimized(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    const xcb_atom_t wmState = atom("WM_STATE");
    const auto stateCookie = xcb_get_property(conn_, 0, win, wmState, wmState, 0, 1);
    const auto netCookie = xcb_get_property(conn_, 0, win, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 32);
    auto state = reply(conn_, xcb_get_property_reply, stateCookie);
    auto net = reply(conn_, xcb_get_property_reply, netCookie);
    return iconic(state.get(), net.get(), atom("_NET_WM_STATE_HIDDEN"));
}

std::optional<Rect> X11Desktop::windowRect(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    const auto geometryCookie = xcb_get_geometry(conn_, win);
    const auto translateCookie = xcb_translate_coordinates(conn_, win, root_, 0, 0);
    auto g = reply(conn_, xcb_get_geometry_reply, geometryCookie);
    auto t = reply(conn_, xcb_translate_coordinates_reply, translateCookie);
    if (!g || !t)
        return std::nullopt;
    // The border is part of the outer rectangle.
    const int left = t->dst_x - g->border_width;
    const int top = t->dst_y - g->border_width;
    return Rect{left, top, left + g->width + 2 * g->border_width,
                top + g->height + 2 * g->border_width};
}

WindowId X11Desktop::mdiActiveChild(WindowId mdiClient)
{
    // Mapped, not viewable: Q7 hidden or minimised keeps its active document.
    const std::vector<WindowId> kids = children(mdiClient);
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(kids.size());
    for (WindowId k : kids)
        cookies.push_back(xcb_get_window_attributes(conn_, static_cast<xcb_window_t>(k)));
    WindowId active = 0;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        auto attributes = reply(conn_, xcb_get_window_attributes_reply, cookies[i]);
        if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED)
            active = kids[i]; // children come bottom of the stack first
    }
    return active;
}

MessageId X11Desktop::registerMessage(const std::string& name)
{
    return atom(name);
}

AtomId X11Desktop::addAtom(const std::string& text)
{
    // Global atoms hold at most 255 characters; refuse longer texts as the
    // original system would.
    if (text.empty() || utf8Length(text) > 255)
        return 0;
    auto r = reply(conn_, xcb_intern_atom_reply,
                   xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(text.size()), text.data()));
    return r ? r->atom : 0;
}

std::string X11Desktop::atomName(AtomId a, std::size_t maxChars)
{
    if (a == 0)
        return {};
    auto r = reply(conn_, xcb_get_atom_name_reply, xcb_get_atom_name(conn_, a));
    if (!r)
        return {};
    const char* name = xcb_get_atom_name_name(r.get());
    return cutUtf8(sanitizeUtf8(std::string(name, name + xcb_get_atom_name_name_length(r.get()))),
                   maxChars);
}

void X11Desktop::deleteAtom(AtomId) {}

bool X11Desktop::sendMessage(WindowId target, MessageId msg, std::int64_t wParam,
                             std::int64_t lParam)
{
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = static_cast<xcb_window_t>(target);
    ev.type = msg;
    ev.data.data32[0] = static_cast<std::uint32_t>(wParam);
    ev.data.data32[1] = static_cast<std::uint32_t>(lParam);
    xcb_void_cookie_t c = xcb_send_event_checked(conn_, 0, ev.window, XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&ev));
    std::unique_ptr<xcb_generic_error_t, FreeDeleter<xcb_generic_error_t>> err(
        xcb_request_check(conn_, c));
    return !err;
}

bool X11Desktop::sendPrivateText(WindowId target, MessageId msg, std::int64_t wParam,
                                 const std::string& text)
{
    if (text.empty())
        return sendMessage(target, msg, wParam, 0);
    if (utf8Length(text) > 255 || msg == 0)
        return false;
    const xcb_void_cookie_t c = xcb_change_property_checked(
        conn_, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(target), msg, atom("UTF8_STRING"), 8,
        static_cast<std::uint32_t>(text.size()), text.data());
    std::unique_ptr<xcb_generic_error_t, FreeDeleter<xcb_generic_error_t>> err(xcb_request_check(conn_, c));
    return !err && sendMessage(target, msg, wParam, msg);
}

std::string X11Desktop::receivePrivateText(const Message& message, std::size_t maxChars)
{
    // Only the property this message names, on the window it was sent to.
    if (message.lParam == 0 || message.lParam != static_cast<std::int64_t>(message.id))
        return {};
    const std::size_t maxBytes = maxChars * 4;
    auto r = reply(conn_, xcb_get_property_reply,
                   xcb_get_property(conn_, 1, static_cast<xcb_window_t>(message.target), message.id,
                                    atom("UTF8_STRING"), 0, static_cast<std::uint32_t>((maxBytes + 3) / 4)));
    if (r && r->bytes_after != 0) // too long to have been deleted: remove it anyway
        xcb_delete_property(conn_, static_cast<xcb_window_t>(message.target), message.id);
    return cutUtf8(sanitizeUtf8(propertyText(r.get(), maxBytes)), maxChars);
}

std::optional<Message> X11Desktop::decodeClientMessage(const void* xcbEvent)
{
    const auto* ev = static_cast<const xcb_generic_event_t*>(xcbEvent);
    if ((ev->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
        return std::nullopt;
    const auto* cm = static_cast<const xcb_client_message_event_t*>(xcbEvent);
    if (cm->format != 32)
        return std::nullopt;
    // WPARAM is signed on the wire (a modality tile sends -1).
    return Message{cm->window, cm->type,
                   static_cast<std::int32_t>(cm->data.data32[0]),
                   static_cast<std::int32_t>(cm->data.data32[1])};
}

void X11Desktop::restoreWindow(WindowId w)
{
    xcb_map_window(conn_, static_cast<xcb_window_t>(w));
    raiseWindow(w);
}

void X11Desktop::raiseWindow(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    // Ask a window manager (EWMH) first, then restack directly for desktops without one.
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = win;
    ev.type = atom("_NET_ACTIVE_WINDOW");
    ev.data.data32[0] = 2; // source: pager, so the request is honoured
    xcb_send_event(conn_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn_, win, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    flush();
}

std::optional<Capture> X11Desktop::captureWindow(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    auto g = reply(conn_, xcb_get_geometry_reply, xcb_get_geometry(conn_, win));
    if (!g || g->width == 0 || g->height == 0)
        return std::nullopt;
    auto img = reply(
        conn_, xcb_get_image_reply,
        xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, win, 0, 0, g->width, g->height, ~0u));
    if (!img)
        return std::nullopt;
    const int w32 = g->width, h32 = g->height;
    const std::size_t bytes = static_cast<std::size_t>(xcb_get_image_data_length(img.get()));
    // Depth 24 and 32 visuals arrive as 32-bit little-endian BGRX pixels.
    if (bytes < static_cast<std::size_t>(w32) * h32 * 4)
        return std::nullopt;
    const std::uint8_t* src = xcb_get_image_data(img.get());
    Capture cap;
    cap.width = w32;
    cap.height = h32;
    cap.stride = w32 * 3;
    cap.bgr.resize(static_cast<std::size_t>(cap.stride) * h32);
    const std::size_t srcStride = bytes / h32;
    for (int y = 0; y < h32; ++y) {
        const std::uint8_t* s = src + y * srcStride;
        std::uint8_t* d = cap.bgr.data() + static_cast<std::size_t>(y) * cap.stride;
        for (int x = 0; x < w32; ++x, s += 4, d += 3) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return cap;
}

void X11Desktop::setTitle(xcb_window_t w, const std::string& title)
{
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_NAME"), atom("UTF8_STRING"),
                        8, static_cast<std::uint32_t>(title.size()), title.data());
    const std::string latin1 = utf8ToLatin1(title);
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(latin1.size()), latin1.data());
}

void X11Desktop::setClass(xcb_window_t w, const std::string& instance, const std::string& cls)
{
    std::string value = instance + '\0' + cls + '\0';
    xcb_change_property(conn_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(value.size()), value.data());
}

void X11Desktop::flush()
{
    xcb_flush(conn_);
}

WindowId X11Desktop::createApplicationWindow(const std::string& cls, const std::string& title)
{
    const xcb_window_t w = xcb_generate_id(conn_);
    xcb_create_window(conn_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    setClass(w, cls, cls);
    setTitle(w, title);
    flush();
    return w;
}

void X11Desktop::setWindowIdentity(WindowId w, const std::string& cls, const std::string& title)
{
    setClass(static_cast<xcb_window_t>(w), cls, cls);
    setTitle(static_cast<xcb_window_t>(w), title);
    flush();
}

void X11Desktop::destroyWindow(WindowId w)
{
    xcb_destroy_window(conn_, static_cast<xcb_window_t>(w));
    flush();
}

bool X11Desktop::shellOpen(const std::string& file, const std::string& workingDir)
{
    return startDetached(openDocumentCommand(file), workingDir);
}

bool X11Desktop::runProgram(const std::string& file, const std::string& parameters,
                            const std::string& workingDir)
{
    return startDetached(programCommand(file, parameters), workingDir);
}

} // namespace platform
