#include "X11Backend.h"

#include "ocr/widgets/CaptionRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace q7sim {

namespace {
xcb_window_t xid(Handle w)
{
    return static_cast<xcb_window_t>(w);
}
} // namespace

Handle X11Backend::create(Handle parent, const std::string&, const std::string& cls,
                          const std::string& text, const Geometry& g)
{
    xcb_connection_t* c = desktop_.connection();
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {0xFFFFFF};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent ? xid(parent) : desktop_.root(),
                      static_cast<std::int16_t>(g.x), static_cast<std::int16_t>(g.y),
                      static_cast<std::uint16_t>(g.width), static_cast<std::uint16_t>(g.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                      values);
    desktop_.setClass(w, cls, cls);
    desktop_.setTitle(w, text);
    xcb_map_window(c, w);
    return w;
}

void X11Backend::setText(Handle w, const std::string& text)
{
    desktop_.setTitle(xid(w), text);
}

void X11Backend::raise(Handle w, const std::string&)
{
    // The topmost shown document of the MDI client is Q7's active one.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(desktop_.connection(), xid(w), XCB_CONFIG_WINDOW_STACK_MODE, &above);
}

void X11Backend::setShown(Handle w, bool shown)
{
    if (shown)
        xcb_map_window(desktop_.connection(), xid(w));
    else
        xcb_unmap_window(desktop_.connection(), xid(w));
}

void X11Backend::minimize(Handle w)
{
    xcb_connection_t* c = desktop_.connection();
    const xcb_atom_t wmState = desktop_.atom("WM_STATE");
    const std::uint32_t iconicState[] = {3, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xid(w), wmState, wmState, 32, 2, iconicState);
    const xcb_atom_t hidden = desktop_.atom("_NET_WM_STATE_HIDDEN");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xid(w), desktop_.atom("_NET_WM_STATE"), XCB_ATOM_ATOM,
                        32, 1, &hidden);
    xcb_unmap_window(c, xid(w));
}

void X11Backend::setGeometry(Handle w, const Geometry& g)
{
    const std::uint32_t values[] = {static_cast<std::uint32_t>(g.x), static_cast<std::uint32_t>(g.y),
                                    static_cast<std::uint32_t>(g.width),
                                    static_cast<std::uint32_t>(g.height)};
    xcb_configure_window(desktop_.connection(), xid(w),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    paint(w); // a drawing follows the new size
}

std::vector<Handle> X11Backend::frame(Handle client, int depth)
{
    xcb_connection_t* c = desktop_.connection();
    const std::uint32_t grey[] = {0xC0C0C0};
    std::vector<Handle> frames;
    xcb_window_t parent = desktop_.root();
    for (int i = 0; i < depth; ++i) {
        const xcb_window_t f = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, f, parent, 0, 0, 820, 640, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                          grey);
        xcb_map_window(c, f);
        frames.push_back(f);
        parent = f;
    }
    // Reparenting a shown window hides and shows it again, as under a manager.
    xcb_reparent_window(c, xid(client), parent, 10, 20);
    announceManager();
    const xcb_atom_t wmState = desktop_.atom("WM_STATE");
    const std::uint32_t normalState[] = {1, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, xid(client), wmState, wmState, 32, 2,
                        normalState);
    return frames;
}

void X11Backend::announceManager()
{
    // EWMH: the root names a window of the manager's that names itself.
    if (managerCheck_)
        return;
    xcb_connection_t* c = desktop_.connection();
    managerCheck_ = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, managerCheck_, desktop_.root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t check = desktop_.atom("_NET_SUPPORTING_WM_CHECK");
    for (xcb_window_t w : {managerCheck_, desktop_.root()})
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, check, XCB_ATOM_WINDOW, 32, 1,
                            &managerCheck_);
    desktop_.setClass(managerCheck_, "q7sim", "q7sim");
}

void X11Backend::destroy(Handle w, const std::string&)
{
    xcb_destroy_window(desktop_.connection(), xid(w));
    drawings_.erase(w);
}

void X11Backend::draw(Handle w, const std::string& cls, const Drawing& drawing)
{
    drawings_[w] = {cls, drawing};
    paint(w);
}

void X11Backend::paint(Handle handle)
{
    const auto drawn = drawings_.find(handle);
    if (drawn == drawings_.end())
        return;
    const xcb_window_t w = xid(handle);
    const Drawing& drawing = drawn->second.drawing;
    xcb_connection_t* c = desktop_.connection();
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (!g)
        return;
    const int width = g->width, height = g->height, depth = g->depth;
    std::free(g);
    if (depth != 24 && depth != 32)
        throw std::invalid_argument("numbers are drawn on true-colour windows only");
    const QString text = QString::fromStdString(drawing.number);
    // The colours of Q7's blue caption bar and grey appointment view.
    const ocr::Image picture =
        drawn->second.cls == "MIAQ7CAPTIONBAR"
            ? ocr::RenderCaptionBar(text, width, drawing.offset, drawing.subPixel,
                                    QColor(0, 84, 147), QColor(250, 250, 250))
            : ocr::RenderAppointmentWindow(text, QSize(width, height), QColor(240, 240, 240),
                                           Qt::black);
    // Depth-24 visuals take 32-bit little-endian pixels, blue first: the
    // picture's 0xRRGGBB words as they lie in memory.
    const std::vector<ocr::Rgb>& pixels = picture.pixels();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, static_cast<std::uint8_t>(depth), pixmap, w,
                      static_cast<std::uint16_t>(picture.width()),
                      static_cast<std::uint16_t>(picture.height()));
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // As many rows per request as the server takes.
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width()) * 4;
    const std::size_t maxBytes = static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4 - 64;
    const int band = std::max(1, static_cast<int>(maxBytes / std::max<std::size_t>(rowBytes, 1)));
    for (int top = 0; top < picture.height(); top += band) {
        const int rows = std::min(band, picture.height() - top);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                      static_cast<std::uint16_t>(picture.width()), static_cast<std::uint16_t>(rows), 0,
                      static_cast<std::int16_t>(top), 0, static_cast<std::uint8_t>(depth),
                      static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(rows)),
                      reinterpret_cast<const std::uint8_t*>(pixels.data() +
                                                            static_cast<std::size_t>(top) * picture.width()));
    }
    xcb_free_gc(c, gc);
    const std::uint32_t background[] = {pixmap};
    xcb_change_window_attributes(c, w, XCB_CW_BACK_PIXMAP, background);
    xcb_free_pixmap(c, pixmap); // the window keeps it
    xcb_clear_area(c, 0, w, 0, 0, 0, 0);
}

void X11Backend::sync()
{
    xcb_connection_t* c = desktop_.connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    drainEvents();
}

void X11Backend::quit(const std::vector<Handle>& topLevel)
{
    xcb_connection_t* c = desktop_.connection();
    for (Handle w : topLevel)
        xcb_destroy_window(c, xid(w));
    if (managerCheck_)
        xcb_delete_property(c, desktop_.root(), desktop_.atom("_NET_SUPPORTING_WM_CHECK"));
    // A round trip, so the windows are gone once this process has ended.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

void X11Backend::afterCommand()
{
    desktop_.flush();
    drainEvents();
}

void X11Backend::drainEvents()
{
    // Errors (a request on a window another client destroyed) arrive as events.
    while (xcb_generic_event_t* e = xcb_poll_for_event(desktop_.connection()))
        std::free(e);
}

} // namespace q7sim
