#include "Q7Sim.h"

#include "ocr/core/CaptionOcr.h"
#include "ocr/widgets/CaptionRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace q7sim {

namespace {

constexpr const char* kDefaultTitle = "Q7 Kliniksystem - [Q7 Kliniksystem]";

struct Geometry {
    int x, y, width, height;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Splits off the first word of a line; the rest keeps its inner blanks.
std::string word(std::string& rest)
{
    const std::size_t begin = rest.find_first_not_of(' ');
    if (begin == std::string::npos) {
        rest.clear();
        return {};
    }
    const std::size_t end = rest.find(' ', begin);
    std::string w = rest.substr(begin, end - begin);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return w;
}

int number(const std::string& text)
{
    std::size_t used = 0;
    const int n = std::stoi(text, &used);
    if (used != text.size())
        throw std::invalid_argument("not a number: " + text);
    return n;
}

} // namespace

std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
                   hexDigit(text[i + 2]) >= 0 && hexDigit(text[i + 3]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 2]) * 16 + hexDigit(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

Q7Sim::Q7Sim(platform::X11Desktop& desktop, std::ostream& replies)
    : desktop_(desktop), replies_(replies)
{
}

xcb_window_t Q7Sim::window(const std::string& name) const
{
    auto it = windows_.find(name);
    if (it == windows_.end())
        throw std::invalid_argument("no window named " + name);
    return it->second;
}

xcb_window_t Q7Sim::create(const std::string& name, xcb_window_t parent, const std::string& cls,
                           const std::string& text)
{
    if (name.empty() || cls.empty())
        throw std::invalid_argument("a window needs a name and a class");
    if (windows_.count(name))
        throw std::invalid_argument("window exists: " + name);
    xcb_connection_t* c = desktop_.connection();
    Geometry g;
    if (parent == desktop_.root()) {
        const int n = topCount_++ % 20;
        g = {20 * n, 20 * n, 800, 600};
    } else {
        const int n = childCount_[parent]++;
        const std::string& parentClass = classes_[parent];
        if (cls == "MDIClient")
            g = {0, 40, 800, 560};
        else if (parentClass == "MDIClient")
            g = {10 * n, 10 * n, 600, 400};
        else if (cls == "MIAQ7CAPTIONBAR")
            g = {0, 0, 600, 24};
        else if (cls == "AfxWnd80" || cls == "AfxWnd100")
            g = {300, 30, 280, 60}; // room for the strip the appointment reader captures
        else
            g = {5, 30 + 22 * (n % 16), 250, 20};
    }
    const xcb_window_t w = xcb_generate_id(c);
    const std::uint32_t values[] = {0xFFFFFF};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, static_cast<std::int16_t>(g.x),
                      static_cast<std::int16_t>(g.y), static_cast<std::uint16_t>(g.width),
                      static_cast<std::uint16_t>(g.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
    desktop_.setClass(w, cls, cls);
    desktop_.setTitle(w, text);
    xcb_map_window(c, w);
    windows_[name] = w;
    parents_[w] = parent;
    classes_[w] = cls;
    return w;
}

void Q7Sim::frame(const std::string& name, int depth)
{
    const xcb_window_t client = window(name);
    if (parents_[client] != desktop_.root() || depth < 1 || depth > 2)
        throw std::invalid_argument("frame takes a top-level window and a depth of 1 or 2");
    xcb_connection_t* c = desktop_.connection();
    const std::uint32_t grey[] = {0xC0C0C0};
    xcb_window_t parent = desktop_.root();
    for (int i = 0; i < depth; ++i) {
        const xcb_window_t f = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, f, parent, 0, 0, 820, 640, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                          grey);
        xcb_map_window(c, f);
        windows_[name + "-frame" + std::to_string(i)] = f;
        parents_[f] = parent;
        parent = f;
    }
    // Reparenting a shown window hides and shows it again, as under a manager.
    xcb_reparent_window(c, client, parent, 10, 20);
    parents_[client] = parent;
    announceManager();
    const xcb_atom_t wmState = desktop_.atom("WM_STATE");
    const std::uint32_t normalState[] = {1, 0};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, client, wmState, wmState, 32, 2, normalState);
}

void Q7Sim::announceManager()
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

void Q7Sim::forget(xcb_window_t w)
{
    std::vector<xcb_window_t> kids;
    for (const auto& [child, parent] : parents_)
        if (parent == w)
            kids.push_back(child);
    for (xcb_window_t child : kids)
        forget(child);
    parents_.erase(w);
    classes_.erase(w);
    childCount_.erase(w);
    drawings_.erase(w);
    std::erase_if(windows_, [w](const auto& entry) { return entry.second == w; });
}

void Q7Sim::draw(const std::string& name, std::string arguments)
{
    const xcb_window_t w = window(name);
    const std::string& cls = classes_[w];
    Drawing drawing;
    drawing.number = word(arguments);
    if (drawing.number.empty())
        throw std::invalid_argument("draw needs a number");
    if (cls == "MIAQ7CAPTIONBAR") {
        const std::string offset = word(arguments);
        const std::string smoothing = word(arguments);
        drawing.offset = offset.empty() ? 0 : number(offset);
        if (!std::ranges::count(ocr::kCaptionOffsets, drawing.offset))
            throw std::invalid_argument("the strip offset is 0, 38, 106 or 144");
        if (smoothing != "" && smoothing != "plain" && smoothing != "subpixel")
            throw std::invalid_argument("smoothing is plain or subpixel");
        drawing.subPixel = smoothing == "subpixel";
    } else if (cls != "AfxWnd80" && cls != "AfxWnd100") {
        throw std::invalid_argument("only caption bars and appointment windows draw numbers");
    }
    if (!word(arguments).empty())
        throw std::invalid_argument("too many arguments to draw");
    drawings_[w] = drawing;
    paint(w);
}

void Q7Sim::paint(xcb_window_t w)
{
    const auto drawing = drawings_.find(w);
    if (drawing == drawings_.end())
        return;
    xcb_connection_t* c = desktop_.connection();
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (!g)
        return;
    const int width = g->width, height = g->height, depth = g->depth;
    std::free(g);
    if (depth != 24 && depth != 32)
        throw std::invalid_argument("numbers are drawn on true-colour windows only");
    const QString text = QString::fromStdString(drawing->second.number);
    // The colours of Q7's blue caption bar and grey appointment view.
    const ocr::Image picture =
        classes_[w] == "MIAQ7CAPTIONBAR"
            ? ocr::RenderCaptionBar(text, width, drawing->second.offset, drawing->second.subPixel,
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

void Q7Sim::drainEvents()
{
    // Errors (a request on a window another client destroyed) arrive as events.
    while (xcb_generic_event_t* e = xcb_poll_for_event(desktop_.connection()))
        std::free(e);
}

bool Q7Sim::run(const std::string& line)
{
    std::string rest = line;
    if (!rest.empty() && rest.back() == '\r')
        rest.pop_back();
    const std::string command = word(rest);
    xcb_connection_t* c = desktop_.connection();
    try {
        if (command.empty() || command[0] == '#') {
            return true;
        } else if (command == "q7") {
            const std::string title = rest.empty() ? kDefaultTitle : unescape(rest);
            const xcb_window_t main = create("q7", desktop_.root(), "ThunderRT6Main", title);
            create("mdi", main, "MDIClient", "");
        } else if (command == "top") {
            const std::string name = word(rest);
            const std::string cls = word(rest);
            create(name, desktop_.root(), cls, unescape(rest));
        } else if (command == "child") {
            const std::string name = word(rest);
            const xcb_window_t parent = window(word(rest));
            const std::string cls = word(rest);
            create(name, parent, cls, unescape(rest));
        } else if (command == "text") {
            const xcb_window_t w = window(word(rest));
            desktop_.setTitle(w, unescape(rest));
        } else if (command == "draw") {
            const std::string name = word(rest);
            draw(name, rest);
        } else if (command == "raise") {
            const std::uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_configure_window(c, window(word(rest)), XCB_CONFIG_WINDOW_STACK_MODE, &above);
        } else if (command == "show") {
            xcb_map_window(c, window(word(rest)));
        } else if (command == "hide") {
            xcb_unmap_window(c, window(word(rest)));
        } else if (command == "geometry") {
            const xcb_window_t w = window(word(rest));
            std::uint32_t values[4];
            for (std::uint32_t& v : values)
                v = static_cast<std::uint32_t>(number(word(rest)));
            xcb_configure_window(c, w,
                                 XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                     XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                 values);
            paint(w);
        } else if (command == "frame") {
            const std::string name = word(rest);
            frame(name, rest.empty() ? 1 : number(word(rest)));
        } else if (command == "close") {
            const xcb_window_t w = window(word(rest));
            xcb_destroy_window(c, w);
            forget(w);
        } else if (command == "sync") {
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            drainEvents();
            replies_ << "ok" << std::endl;
        } else if (command == "quit") {
            for (const auto& [w, parent] : parents_)
                if (parent == desktop_.root())
                    xcb_destroy_window(c, w);
            if (managerCheck_)
                xcb_delete_property(c, desktop_.root(), desktop_.atom("_NET_SUPPORTING_WM_CHECK"));
            // A round trip, so the windows are gone once this process has ended.
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
            return false;
        } else {
            throw std::invalid_argument("unknown command " + command);
        }
    } catch (const std::exception& e) {
        replies_ << "error: " << e.what() << std::endl;
    }
    desktop_.flush();
    drainEvents();
    return true;
}

} // namespace q7sim
