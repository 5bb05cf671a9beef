// Caption reading on screens drawn by another renderer than the one the
// stored networks were trained on (FreeType directly: mono, grey, LCD, in
// several fonts, sizes and themes), and on strips that hold no personal
// number. The same strips go through today's read (exact-colour cleaning,
// plain number rules, one pass), the floater's read (with the screen-number
// guards, confirmed on a second pass) and Tesseract in one run.
//
//   ocr_screens [--seed N] [--per-style N] [--negatives N] [--no-tesseract] [--strips DIR]
//
// --strips keeps the offset-0 strips as DIR/stripN.png with DIR/truth.txt
// (file, number shown or empty) for ocr-workbench --batch.
//
// Prints the breakdown by renderer, size, theme and font, the negatives, and
// processor time per caption read.

#include "FreeTypeCaption.h"
#include "OcrSamples.h"

#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"
#include "ocr/widgets/QtImage.h"
#include "toolkit/core/PersonalNumber.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include <sys/resource.h>

namespace {

using ocrbench::childSeconds;
using ocrbench::StillFloater;
using ocrbench::threadSeconds;

constexpr int kBarWidth = 420;

struct Strip {
    std::string truth; // YYYYMMDD-NNNN; empty for a strip without a number
    std::string shown; // what the bar shows
    std::string kind;  // for negatives
    ocrbench::CaptionStyle style;
    ocr::Image bar;
};

struct Outcome {
    std::optional<std::string> today, ours;
    std::string tesseract;
    int margin = 0; // the guarded read's smallest glyph margin
};

// Today's read: exact-colour cleaning, plain number rules, the first offset
// that gives a number wins, no second pass.
std::optional<std::string> readToday(ocr::TFrmOCR& host, const platform::Capture& capture,
                                     bool clearType, int height)
{
    for (int b : ocr::kCaptionOffsets) {
        const ocr::Image strip =
            ocr::CopyRect(capture, kBarWidth - b - 154, 0, ocr::kCaptionStripWidth, height);
        host.LoadDCRFile(clearType ? ocr::kCaptionClearType : ocr::kCaption);
        const auto number = toolkit::NumberFromRecognisedText(
            host.Recognize(ocr::CleanStrip(strip, ocr::StripKind::CaptionBar, clearType)));
        if (number)
            return number;
    }
    return std::nullopt;
}

struct Row {
    int strips = 0;
    int exact[3] = {0, 0, 0}, wrong[3] = {0, 0, 0};
};

void tally(Row& row, const Strip& s, const Outcome& o)
{
    ++row.strips;
    const std::optional<std::string> reads[3] = {
        o.today, o.ours,
        o.tesseract.empty() ? std::nullopt : std::optional<std::string>(o.tesseract)};
    for (int k = 0; k < 3; ++k) {
        if (!reads[k])
            continue;
        if (*reads[k] == s.truth)
            ++row.exact[k];
        else
            ++row.wrong[k];
    }
}

void printTable(const char* title, const std::map<std::string, Row>& rows, bool withTesseract)
{
    std::printf("\n%-24s %6s | %8s %6s | %8s %6s", title, "strips", "today%", "wrong",
                "guarded%", "wrong");
    if (withTesseract)
        std::printf(" | %8s %6s", "tess%", "wrong");
    std::printf("\n");
    for (const auto& [name, r] : rows) {
        auto pct = [&](int n) { return 100.0 * n / std::max(1, r.strips); };
        std::printf("%-24s %6d | %8.1f %6d | %8.1f %6d", name.c_str(), r.strips, pct(r.exact[0]),
                    r.wrong[0], pct(r.exact[1]), r.wrong[1]);
        if (withTesseract)
            std::printf(" | %8.1f %6d", pct(r.exact[2]), r.wrong[2]);
        std::printf("\n");
    }
}

// Tesseract reads every strip in one process (a list file) so start-up is paid once.
void saveStrips(const std::vector<Strip>& strips, int height, const QDir& dir)
{
    std::ofstream list(dir.filePath("strips.txt").toStdString());
    std::ofstream truth(dir.filePath("truth.txt").toStdString());
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const QString png = dir.filePath(QString("strip%1.png").arg(i));
        ocr::ToQImage(strips[i].bar).copy(kBarWidth - 154, 0, 150, height).save(png);
        list << png.toStdString() << "\n";
        truth << png.toStdString() << "\t" << strips[i].truth << "\n";
    }
}

std::vector<std::string> runTesseract(const std::vector<Strip>& strips, int height)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("strips.txt");
    saveStrips(strips, height, QDir(dir.path()));
    const std::string command = "OMP_THREAD_LIMIT=1 tesseract '" + list.toStdString() +
                                "' stdout --psm 7 -c tessedit_char_whitelist=0123456789-A 2>/dev/null";
    std::string all;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
            all.append(buf, n);
        pclose(pipe);
    }
    std::vector<std::string> texts;
    std::string current;
    for (char c : all) {
        if (c == '\f') {
            texts.push_back(current);
            current.clear();
        } else if (c != ' ' && c != '\n' && c != '\r') {
            current += c;
        }
    }
    texts.resize(strips.size());
    return texts;
}

// A Tesseract text as a number the floater would follow under the screen rules.
bool tesseractAccepts(const std::string& text, std::chrono::year_month_day today)
{
    std::string digits = text;
    if (digits.size() == 13 && digits[8] == '-')
        digits.erase(8, 1);
    return toolkit::CheckScreenNumber(digits, today) == toolkit::ScreenNumberVerdict::Accepted;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    unsigned seed = 7311;
    int perStyle = 2, negatives = 400;
    bool withTesseract = true;
    QString stripsDir;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::stoul(argv[++i]));
        else if (a == "--per-style" && i + 1 < argc)
            perStyle = std::stoi(argv[++i]);
        else if (a == "--negatives" && i + 1 < argc)
            negatives = std::stoi(argv[++i]);
        else if (a == "--no-tesseract")
            withTesseract = false;
        else if (a == "--strips" && i + 1 < argc)
            stripsDir = argv[++i];
    }

    const auto fonts = ocrbench::CaptionFonts();
    const ocrbench::Raster rasters[] = {ocrbench::Raster::Mono,   ocrbench::Raster::Grey,
                                        ocrbench::Raster::GreyLinear, ocrbench::Raster::LcdRgb,
                                        ocrbench::Raster::LcdBgr, ocrbench::Raster::LcdRgbUnfiltered};
    const ocrbench::Theme themes[] = {ocrbench::Theme::FlatBlue, ocrbench::Theme::Gradient,
                                      ocrbench::Theme::DarkGrey, ocrbench::Theme::LightGrey};
    const int height = ocr::kCaptionBarHeight;
    std::mt19937 rng(seed);
    auto phase = [&] { return std::uniform_int_distribution<int>(0, 63)(rng); };
    ocrbench::FreeTypeCaption renderer;

    std::vector<Strip> strips;
    for (const auto& font : fonts)
        for (int size = 17; size <= 21; ++size)
            for (auto raster : rasters)
                for (auto theme : themes)
                    for (int k = 0; k < perStyle; ++k) {
                        Strip s;
                        s.truth = s.shown = ocrbench::RandomPersonalNumber(rng);
                        s.style = {&font, size, raster, theme, phase()};
                        if (renderer.Render(s.shown, s.style, kBarWidth, height, s.bar))
                            strips.push_back(std::move(s));
                    }
    const std::size_t positives = strips.size();

    // Strips without a personal number.
    const char* names[] = {"Anna Svensson", "Erik Johansson", "Karin Lindqvist", "Lars Berg",
                           "Maria Nilsson", "Per Andersson"};
    for (int i = 0; i < negatives; ++i) {
        Strip s;
        const std::string n = ocrbench::RandomPersonalNumber(rng);
        const std::string digits = n.substr(0, 8) + n.substr(9);
        switch (i % 11) {
        case 0: s.kind = "name"; s.shown = names[i / 11 % std::size(names)]; break;
        case 1: s.kind = "date"; s.shown = n.substr(0, 8); break;
        case 2: s.kind = "date and time"; s.shown = n.substr(0, 8) + " 1330"; break;
        case 3: s.kind = "date and time"; s.shown = n.substr(0, 4) + "-" + n.substr(4, 2) + "-" + n.substr(6, 2) + " 13:30"; break;
        case 4: s.kind = "10 digits"; s.shown = n.substr(2); break;
        case 5: s.kind = "10 digits"; s.shown = digits.substr(2); break;
        case 6: s.kind = "11 digits"; s.shown = digits.substr(0, 11); break;
        case 7: s.kind = "impossible date"; s.shown = n.substr(0, 4) + "1345-" + n.substr(9); break;
        case 8: s.kind = "impossible date"; s.shown = n.substr(0, 4) + "0230-" + n.substr(9); break;
        case 9: {
            s.kind = "wrong check digit";
            s.shown = n;
            s.shown[12] = static_cast<char>('0' + (s.shown[12] - '0' + 1 + i % 9) % 10);
            break;
        }
        default: s.kind = "noise"; break;
        }
        s.style = {&fonts[static_cast<std::size_t>(i) % fonts.size()], 17 + i % 5,
                   rasters[static_cast<std::size_t>(i / 3) % std::size(rasters)],
                   themes[static_cast<std::size_t>(i / 7) % std::size(themes)], phase()};
        if (s.kind == "noise") {
            renderer.Render("", s.style, kBarWidth, height, s.bar);
            std::uniform_int_distribution<int> x(kBarWidth - 154, kBarWidth - 1), y(0, height - 1),
                grey(0, 255);
            const int specks = std::uniform_int_distribution<int>(20, 400)(rng);
            for (int k = 0; k < specks; ++k) {
                const int g = grey(rng);
                const int px = x(rng), py = y(rng);
                s.bar.fillRect(px, py, px + 1 + k % 3, py + 1 + k % 2, ocr::makeRgb(g, g, g));
            }
            strips.push_back(std::move(s));
        } else if (renderer.Render(s.shown, s.style, kBarWidth, height, s.bar)) {
            strips.push_back(std::move(s));
        }
    }

    if (!stripsDir.isEmpty()) {
        QDir().mkpath(stripsDir);
        saveStrips(strips, height, QDir(stripsDir));
    }
    const auto today = toolkit::LocalToday();
    platform::MemoryDesktop desktop;
    StillFloater floater;
    bool clearType = false;
    ocr::CaptionOcr reader(desktop, floater, [&] { return clearType; });
    ocr::TFrmOCR todayHost;
    std::vector<Outcome> outcomes(strips.size());
    double todayCpu = 0, oursCpu = 0, oursSecondCpu = 0;
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const Strip& s = strips[i];
        clearType = ocrbench::IsSubPixel(s.style.raster);
        const auto capture = ocrbench::ToCapture(s.bar);
        double t = threadSeconds();
        outcomes[i].today = readToday(todayHost, capture, clearType, height);
        todayCpu += threadSeconds() - t;

        const auto w = desktop.add(0, "MIAQ7CAPTIONBAR", "");
        desktop.window(w).rect = {100, 200, 100 + kBarWidth, 200 + height};
        desktop.window(w).pixels = capture;
        std::vector<std::string> candidates;
        bool found = false, smoothing = false;
        t = threadSeconds();
        reader.ReadCaptionBar(w, {candidates, found, smoothing}); // first sighting
        oursCpu += threadSeconds() - t;
        candidates.clear();
        t = threadSeconds();
        reader.ReadCaptionBar(w, {candidates, found, smoothing}); // the next pass
        oursSecondCpu += threadSeconds() - t;
        if (!candidates.empty())
            outcomes[i].ours = candidates.front();
        outcomes[i].margin = reader.LastReading().margin;
        desktop.remove(w);
    }
    double tessCpu = 0;
    if (withTesseract) {
        const double t = childSeconds();
        const auto texts = runTesseract(strips, height);
        tessCpu = childSeconds() - t;
        for (std::size_t i = 0; i < strips.size(); ++i)
            outcomes[i].tesseract = texts[i];
    }

    std::map<std::string, Row> byRaster, bySize, byTheme, byFont, total;
    for (std::size_t i = 0; i < positives; ++i) {
        const Strip& s = strips[i];
        Outcome o = outcomes[i];
        tally(byRaster[ocrbench::RasterName(s.style.raster)], s, o);
        tally(bySize[std::to_string(s.style.pixelSize) + " px"], s, o);
        tally(byTheme[ocrbench::ThemeName(s.style.theme)], s, o);
        tally(byFont[s.style.font->name], s, o);
        tally(total["all"], s, o);
    }
    std::printf("FreeType-drawn caption bars, seed %u: %zu with a number, %zu without\n", seed,
                positives, strips.size() - positives);
    std::printf("today = exact-colour cleaning + plain rules; guarded = the floater's read now;"
                " tess = Tesseract --psm 7 (its text compared as shown, with the hyphen)\n");
    printTable("renderer", byRaster, withTesseract);
    printTable("size", bySize, withTesseract);
    printTable("theme", byTheme, withTesseract);
    printTable("font", byFont, withTesseract);
    printTable("total", total, withTesseract);
    std::vector<int> rightMargins;
    for (std::size_t i = 0; i < positives; ++i)
        if (outcomes[i].ours && *outcomes[i].ours == strips[i].truth)
            rightMargins.push_back(outcomes[i].margin);
    std::sort(rightMargins.begin(), rightMargins.end());
    if (!rightMargins.empty())
        std::printf("glyph margins of right reads: smallest %d, median %d (accepted from %d)\n",
                    rightMargins.front(), rightMargins[rightMargins.size() / 2], ocr::kMinGlyphMargin);
    for (std::size_t i = 0; i < strips.size(); ++i)
        if (outcomes[i].ours && *outcomes[i].ours != strips[i].truth)
            std::printf("WRONG ACCEPT: shown \"%s\" read %s (%s, %d px, %s, %s, margin %d)\n",
                        strips[i].shown.c_str(), outcomes[i].ours->c_str(),
                        ocrbench::RasterName(strips[i].style.raster), strips[i].style.pixelSize,
                        ocrbench::ThemeName(strips[i].style.theme), strips[i].style.font->name.c_str(),
                        outcomes[i].margin);

    std::map<std::string, std::array<int, 4>> negativeRows; // strips, today, ours, tesseract
    for (std::size_t i = positives; i < strips.size(); ++i) {
        auto& r = negativeRows[strips[i].kind];
        ++r[0];
        r[1] += outcomes[i].today.has_value();
        r[2] += outcomes[i].ours.has_value();
        r[3] += withTesseract && tesseractAccepts(outcomes[i].tesseract, today);
    }
    std::printf("\n%-24s %6s | %8s | %8s | %8s\n", "without a number", "strips", "today", "guarded",
                "tess");
    std::array<int, 4> sum{};
    for (const auto& [kind, r] : negativeRows) {
        std::printf("%-24s %6d | %8d | %8d | %8d\n", kind.c_str(), r[0], r[1], r[2], r[3]);
        for (int k = 0; k < 4; ++k)
            sum[static_cast<std::size_t>(k)] += r[static_cast<std::size_t>(k)];
    }
    std::printf("%-24s %6d | %8d | %8d | %8d   (accepted)\n", "all", sum[0], sum[1], sum[2], sum[3]);

    const double n = static_cast<double>(strips.size());
    std::printf("\nprocessor time per caption read (all %zu strips, this thread):\n", strips.size());
    std::printf("  today                 %.3f ms\n", 1000 * todayCpu / n);
    std::printf("  guarded, first pass   %.3f ms  (ratio to today %.2f)\n", 1000 * oursCpu / n,
                oursCpu / todayCpu);
    std::printf("  guarded, second pass  %.3f ms\n", 1000 * oursSecondCpu / n);
    if (withTesseract)
        std::printf("  tesseract (one process, all strips)  %.3f ms\n", 1000 * tessCpu / n);
    return 0;
}
