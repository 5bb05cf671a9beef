#include "X11Desktop.h"

#include "../ShellCommand.h"
#include "../Utf8.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

namespace {

template <typename T>
struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

constexpr std::uint32_t kIconicState = 3;

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
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    const xcb_atom_t a = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (a != XCB_ATOM_NONE)
        atoms_[name] = a;
    return a;
}

std::string X11Desktop::property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type,
                                 std::size_t maxBytes)
{
    const std::uint32_t longs = static_cast<std::uint32_t>((maxBytes + 3) / 4);
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, w, prop, type, 0, longs), nullptr));
    if (!r || r->format != 8)
        return {};
    const int len = xcb_get_property_value_length(r.get());
    const char* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return std::string(data, data + std::min<std::size_t>(static_cast<std::size_t>(len), maxBytes));
}

std::vector<WindowId> X11Desktop::topLevelWindows()
{
    return children(root_);
}

std::vector<WindowId> X11Desktop::children(WindowId parent)
{
    std::vector<WindowId> out;
    Reply<xcb_query_tree_reply_t> r(xcb_query_tree_reply(
        conn_, xcb_query_tree(conn_, static_cast<xcb_window_t>(parent)), nullptr));
    if (!r)
        return out;
    const xcb_window_t* kids = xcb_query_tree_children(r.get());
    out.assign(kids, kids + xcb_query_tree_children_length(r.get()));
    return out;
}

std::string X11Desktop::className(WindowId w)
{
    const std::string wmClass = property(static_cast<xcb_window_t>(w), XCB_ATOM_WM_CLASS,
                                         XCB_ATOM_STRING, 512);
    const std::size_t nul = wmClass.find('\0');
    if (nul == std::string::npos)
        return {};
    std::string cls = wmClass.substr(nul + 1);
    const std::size_t end = cls.find('\0');
    return end == std::string::npos ? cls : cls.substr(0, end);
}

std::string X11Desktop::windowText(WindowId w, std::size_t maxChars)
{
    const auto win = static_cast<xcb_window_t>(w);
    // A UTF-8 character takes at most four bytes.
    const std::size_t maxBytes = maxChars * 4;
    std::string text = property(win, atom("_NET_WM_NAME"), atom("UTF8_STRING"), maxBytes);
    if (!text.empty())
        return cutUtf8(sanitizeUtf8(text), maxChars);
    return cutUtf8(latin1ToUtf8(property(win, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, maxChars)),
                   maxChars);
}

bool X11Desktop::isVisible(WindowId w)
{
    Reply<xcb_get_window_attributes_reply_t> r(xcb_get_window_attributes_reply(
        conn_, xcb_get_window_attributes(conn_, static_cast<xcb_window_t>(w)), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool X11Desktop::isMinimized(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    const xcb_atom_t wmState = atom("WM_STATE");
    Reply<xcb_get_property_reply_t> state(xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, win, wmState, wmState, 0, 1), nullptr));
    if (state && state->format == 32 && xcb_get_property_value_length(state.get()) >= 4 &&
        *static_cast<std::uint32_t*>(xcb_get_property_value(state.get())) == kIconicState)
        return true;
    Reply<xcb_get_property_reply_t> net(xcb_get_property_reply(
        conn_, xcb_get_property(conn_, 0, win, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 32), nullptr));
    if (!net || net->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(net.get()));
    const int n = xcb_get_property_value_length(net.get()) / 4;
    const xcb_atom_t hidden = atom("_NET_WM_STATE_HIDDEN");
    for (int i = 0; i < n; ++i)
        if (atoms[i] == hidden)
            return true;
    return false;
}

std::optional<Rect> X11Desktop::windowRect(WindowId w)
{
    const auto win = static_cast<xcb_window_t>(w);
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, win), nullptr));
    if (!g)
        return std::nullopt;
    Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(
        conn_, xcb_translate_coordinates(conn_, win, root_, 0, 0), nullptr));
    if (!t)
        return std::nullopt;
    // The border is part of the outer rectangle.
    const int left = t->dst_x - g->border_width;
    const int top = t->dst_y - g->border_width;
    return Rect{left, top, left + g->width + 2 * g->border_width,
                top + g->height + 2 * g->border_width};
}

WindowId X11Desktop::mdiActiveChild(WindowId mdiClient)
{
    const std::vector<WindowId> kids = children(mdiClient);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (isVisible(*it))
            return *it;
    return 0;
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
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(text.size()), text.data()),
        nullptr));
    return r ? r->atom : 0;
}

std::string X11Desktop::atomName(AtomId a, std::size_t maxChars)
{
    if (a == 0)
        return {};
    Reply<xcb_get_atom_name_reply_t> r(
        xcb_get_atom_name_reply(conn_, xcb_get_atom_name(conn_, a), nullptr));
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
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(conn_, xcb_get_geometry(conn_, win), nullptr));
    if (!g || g->width == 0 || g->height == 0)
        return std::nullopt;
    Reply<xcb_get_image_reply_t> img(xcb_get_image_reply(
        conn_,
        xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, win, 0, 0, g->width, g->height, ~0u),
        nullptr));
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

bool X11Desktop::shellOpen(const std::string& file, const std::string& parameters,
                           const std::string& workingDir)
{
    return startDetached(shellOpenCommand(file, parameters), workingDir);
}

std::unique_ptr<Desktop> openSessionDesktop()
{
    auto desktop = std::make_unique<X11Desktop>();
    if (!desktop->ok())
        return nullptr;
    return desktop;
}

} // namespace platform
