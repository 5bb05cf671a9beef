#include "Q7Sim.h"

#include "ocr/core/CaptionOcr.h"

#include <algorithm>
#include <fstream>

#include <stdexcept>
#include <vector>

namespace q7sim {

namespace {

constexpr const char* kDefaultTitle = "Q7 Kliniksystem - [Q7 Kliniksystem]";

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

int number(const std::string& text);

// The arguments of "draw" for a window of class cls.
Drawing parseDrawing(const std::string& cls, std::string arguments)
{
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
    return drawing;
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

Q7Sim::Q7Sim(WindowBackend& backend, std::ostream& replies) : backend_(backend), replies_(replies)
{
}

Handle Q7Sim::window(const std::string& name) const
{
    auto it = windows_.find(name);
    if (it == windows_.end())
        throw std::invalid_argument("no window named " + name);
    return it->second;
}

const std::string& Q7Sim::parentClass(Handle w) const
{
    static const std::string none;
    const auto parent = parents_.find(w);
    if (parent == parents_.end())
        return none;
    const auto cls = classes_.find(parent->second);
    return cls == classes_.end() ? none : cls->second;
}

Handle Q7Sim::create(const std::string& name, Handle parent, const std::string& cls,
                     const std::string& text)
{
    if (name.empty() || cls.empty())
        throw std::invalid_argument("a window needs a name and a class");
    if (windows_.count(name))
        throw std::invalid_argument("window exists: " + name);
    Geometry g;
    const std::string parentCls = parent ? classes_[parent] : std::string();
    if (parent == 0) {
        const int n = topCount_++ % 20;
        g = {20 * n, 20 * n, 800, 600};
    } else {
        const int n = childCount_[parent]++;
        if (cls == "MDIClient")
            g = {0, 40, 800, 560};
        else if (parentCls == "MDIClient")
            g = {10 * n, 10 * n, 600, 400};
        else if (cls == "MIAQ7CAPTIONBAR")
            g = {0, 0, 600, 24};
        else if (cls == "AfxWnd80" || cls == "AfxWnd100")
            g = {300, 30, 280, 60}; // room for the strip the appointment reader captures
        else
            g = {5, 30 + 22 * (n % 16), 250, 20};
    }
    const Handle w = backend_.create(parent, parentCls, cls, text, g);
    windows_[name] = w;
    parents_[w] = parent;
    classes_[w] = cls;
    return w;
}

void Q7Sim::forget(Handle w)
{
    std::vector<Handle> kids;
    for (const auto& [child, parent] : parents_)
        if (parent == w)
            kids.push_back(child);
    for (Handle child : kids)
        forget(child);
    parents_.erase(w);
    classes_.erase(w);
    childCount_.erase(w);
    std::erase_if(windows_, [w](const auto& entry) { return entry.second == w; });
}

bool Q7Sim::run(const std::string& line)
{
    std::string rest = line;
    if (!rest.empty() && rest.back() == '\r')
        rest.pop_back();
    const std::string command = word(rest);
    try {
        if (command.empty() || command[0] == '#') {
            return true;
        } else if (command == "q7") {
            const std::string title = rest.empty() ? kDefaultTitle : unescape(rest);
            const Handle main = create("q7", 0, "ThunderRT6Main", title);
            create("mdi", main, "MDIClient", "");
        } else if (command == "top") {
            const std::string name = word(rest);
            const std::string cls = word(rest);
            create(name, 0, cls, unescape(rest));
        } else if (command == "child") {
            const std::string name = word(rest);
            const Handle parent = window(word(rest));
            const std::string cls = word(rest);
            create(name, parent, cls, unescape(rest));
        } else if (command == "text") {
            const Handle w = window(word(rest));
            backend_.setText(w, unescape(rest));
        } else if (command == "raise") {
            const Handle w = window(word(rest));
            backend_.raise(w, parentClass(w));
        } else if (command == "show" || command == "hide") {
            backend_.setShown(window(word(rest)), command == "show");
        } else if (command == "minimize") {
            const Handle w = window(word(rest));
            if (parents_[w] != 0)
                throw std::invalid_argument("minimize takes a top-level window");
            backend_.minimize(w);
        } else if (command == "geometry") {
            const Handle w = window(word(rest));
            Geometry g;
            for (int* v : {&g.x, &g.y, &g.width, &g.height})
                *v = number(word(rest));
            backend_.setGeometry(w, g);
        } else if (command == "frame") {
            const std::string name = word(rest);
            const Handle client = window(name);
            const int depth = rest.empty() ? 1 : number(word(rest));
            if (parents_[client] != 0 || depth < 1 || depth > 2)
                throw std::invalid_argument("frame takes a top-level window and a depth of 1 or 2");
            const std::vector<Handle> frames = backend_.frame(client, depth);
            Handle parent = 0;
            for (std::size_t i = 0; i < frames.size(); ++i) {
                windows_[name + "-frame" + std::to_string(i)] = frames[i];
                parents_[frames[i]] = parent;
                parent = frames[i];
            }
            parents_[client] = parent;
        } else if (command == "draw") {
            const Handle w = window(word(rest));
            backend_.draw(w, classes_[w], parseDrawing(classes_[w], rest));
        } else if (command == "close") {
            const Handle w = window(word(rest));
            backend_.destroy(w, parentClass(w));
            forget(w);
        } else if (command == "sync") {
            backend_.sync();
            replies_ << "ok" << std::endl;
        } else if (command == "quit") {
            std::vector<Handle> topLevel;
            for (const auto& [w, parent] : parents_)
                if (parent == 0)
                    topLevel.push_back(w);
            backend_.quit(topLevel);
            return false;
        } else {
            throw std::invalid_argument("unknown command " + command);
        }
    } catch (const std::exception& e) {
        replies_ << "error: " << e.what() << std::endl;
    }
    backend_.afterCommand();
    return true;
}

bool RunScenarioFiles(Q7Sim& sim, const std::vector<std::string>& files, std::ostream& errors, bool* quit)
{
    *quit = false;
    for (const std::string& file : files) {
        std::ifstream in(file);
        if (!in) {
            errors << "q7sim: cannot read " << file << "\n";
            return false;
        }
        for (std::string line; std::getline(in, line);)
            if (!sim.run(line)) {
                *quit = true;
                return false;
            }
    }
    return true;
}

} // namespace q7sim
