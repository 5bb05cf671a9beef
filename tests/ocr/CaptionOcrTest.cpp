#include "ocr/core/CaptionOcr.h"
#include "ocr/core/StoredNetworks.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "platform/memory/MemoryDesktop.h"

#include "ocr/widgets/DCRFrame.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "ocr_caption_tests";
        static char* argv[] = {name, nullptr};
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class CountingDesktop : public platform::MemoryDesktop {
public:
    int captures = 0;
    std::optional<platform::Capture> captureWindow(platform::WindowId w) override
    {
        ++captures;
        return MemoryDesktop::captureWindow(w);
    }
};

class FakeFloater : public ocr::FloaterWindow {
public:
    std::optional<platform::Rect> bounds;
    std::vector<int> moves;
    int captureCountAtMove = -1;
    CountingDesktop* desktop = nullptr;
    int pumps = 0;
    std::optional<platform::Rect> floaterBounds() override { return bounds; }
    void moveFloaterTop(int top) override
    {
        moves.push_back(top);
        captureCountAtMove = desktop->captures;
        bounds->bottom += top - bounds->top;
        bounds->top = top;
    }
    void processMessages() override { ++pumps; }
};

platform::Capture toCapture(const ocr::Image& image)
{
    platform::Capture c;
    c.width = image.width();
    c.height = image.height();
    c.stride = image.width() * 3;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const ocr::Rgb p = image.pixel(x, y);
            c.bgr.push_back(static_cast<std::uint8_t>(ocr::blueOf(p)));
            c.bgr.push_back(static_cast<std::uint8_t>(ocr::greenOf(p)));
            c.bgr.push_back(static_cast<std::uint8_t>(ocr::redOf(p)));
        }
    return c;
}

struct Findings {
    std::vector<std::string> candidates;
    bool found = false;
    bool smoothing = false;
    ocr::OcrFindings refs() { return {candidates, found, smoothing}; }
};

class CaptionOcrTest : public ::testing::Test {
protected:
    CaptionOcrTest() { floater.desktop = &desktop; }

    platform::WindowId addWindow(const ocr::Image& pixels, const char* cls, const char* title,
                                 int left = 300, int top = 100)
    {
        const auto w = desktop.add(0, cls, title);
        desktop.window(w).rect = {left, top, left + pixels.width(), top + pixels.height()};
        desktop.window(w).pixels = toCapture(pixels);
        return w;
    }

    CountingDesktop desktop;
    FakeFloater floater;
    bool clearType = false;
    ocr::CaptionOcr reader{desktop, floater, [this] { return clearType; }};
    Findings findings;
};

TEST_F(CaptionOcrTest, CaptionBarNumberIsFoundAtEachOffsetAndLaterOffsetsAreNotTried)
{
    const int offsets[] = {0, 38, 106, 144};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(offsets[k]);
        const auto bar = ocr::RenderCaptionBar("19640823-4125", 420, offsets[k], false,
                                               QColor(0, 84, 147), QColor(255, 255, 255));
        const auto w = addWindow(bar, "MIAQ7CAPTIONBAR", "");
        // First sighting: seen, not yet followed; the offsets after it are not tried.
        desktop.captures = 0;
        findings = {};
        reader.ReadCaptionBar(w, findings.refs());
        EXPECT_TRUE(findings.candidates.empty());
        EXPECT_FALSE(findings.found);
        EXPECT_EQ(reader.LastReading().verdict, ocr::StripVerdict::Unconfirmed) << reader.LastReading().ink << " " << reader.LastReading().glyphs << " " << reader.LastReading().margin;
        EXPECT_EQ(desktop.captures, k + 1);
        // Second sighting: followed.
        desktop.captures = 0;
        reader.ReadCaptionBar(w, findings.refs());
        EXPECT_EQ(findings.candidates, std::vector<std::string>{"19640823-4125"});
        EXPECT_TRUE(findings.found);
        EXPECT_FALSE(findings.smoothing);
        EXPECT_EQ(desktop.captures, k + 1);
    }
}

TEST_F(CaptionOcrTest, NumberIsFollowedOnlyWhenTheSameWindowShowedItOnThePassBefore)
{
    auto bar = [](const char* number) {
        return ocr::RenderCaptionBar(number, 420, 0, false, QColor(0, 84, 147),
                                     QColor(255, 255, 255));
    };
    const auto first = addWindow(bar("19640823-4125"), "MIAQ7CAPTIONBAR", "");
    const auto other = addWindow(bar("19640823-4125"), "MIAQ7CAPTIONBAR", "", 300, 300);
    const auto changed = addWindow(bar("20011231-6658"), "MIAQ7CAPTIONBAR", "", 300, 500);
    const ocr::Image blank(420, ocr::kCaptionBarHeight, ocr::makeRgb(0, 84, 147));
    const auto empty = addWindow(blank, "MIAQ7CAPTIONBAR", "", 300, 700);
    const struct {
        platform::WindowId window;
        bool followed;
    } passes[] = {
        {first, false},   {first, true},  {first, true},
        {other, false},   {other, true},  // another window's number needs its own sighting
        {changed, false}, {changed, true},
        {empty, false},   {changed, false}, // a pass without a number breaks the run
        {changed, true},
    };
    for (std::size_t i = 0; i < std::size(passes); ++i) {
        SCOPED_TRACE(i);
        findings = {};
        reader.ReadCaptionBar(passes[i].window, findings.refs());
        EXPECT_EQ(findings.found, passes[i].followed);
        EXPECT_EQ(findings.candidates.size(), passes[i].followed ? 1u : 0u);
    }
}

TEST_F(CaptionOcrTest, NoNumberLeavesTheFindingsAloneAfterTryingEveryOffset)
{
    const ocr::Image blank(400, ocr::kCaptionBarHeight, ocr::makeRgb(0, 84, 147));
    reader.ReadCaptionBar(addWindow(blank, "MIAQ7CAPTIONBAR", ""), findings.refs());
    EXPECT_TRUE(findings.candidates.empty());
    EXPECT_FALSE(findings.found);
    EXPECT_EQ(desktop.captures, 4);
    EXPECT_EQ(floater.pumps, 4);
}

TEST_F(CaptionOcrTest, FloaterCoveringTheStripMovesBelowItBeforeTheCapture)
{
    const auto bar = ocr::RenderCaptionBar("19640823-4125", 400, 0, false, QColor(0, 84, 147),
                                           QColor(255, 255, 255));
    const auto w = addWindow(bar, "MIAQ7CAPTIONBAR", "", 300, 100); // right edge 700
    reader.ReadCaptionBar(w, findings.refs());
    floater.bounds = platform::Rect{650, 110, 900, 200};
    desktop.captures = 0;
    reader.ReadCaptionBar(w, findings.refs());
    // New top: the bar's height + the overlap's top + 2.
    ASSERT_EQ(floater.moves, std::vector<int>{ocr::kCaptionBarHeight + 110 + 2});
    EXPECT_EQ(floater.captureCountAtMove, 0);
    EXPECT_EQ(findings.candidates, std::vector<std::string>{"19640823-4125"});

    // A floater elsewhere stays where it is.
    floater.moves.clear();
    floater.bounds = platform::Rect{0, 0, 200, 50};
    findings = {};
    reader.ReadCaptionBar(w, findings.refs());
    EXPECT_TRUE(floater.moves.empty());
}

TEST_F(CaptionOcrTest, AppointmentWindowNumberIsFound)
{
    const auto window = ocr::RenderAppointmentWindow("19580412-2280", QSize(160, 50),
                                                     QColor(236, 233, 216), QColor(0, 0, 0));
    const auto w = addWindow(window, "AfxWnd80", "Appointment");
    reader.ReadAppointmentCaption(w, findings.refs());
    reader.ReadAppointmentCaption(w, findings.refs());
    EXPECT_EQ(findings.candidates, std::vector<std::string>{"19580412-2280"});
    EXPECT_TRUE(findings.found);
}

TEST_F(CaptionOcrTest, VanishedWindowGivesNothing)
{
    reader.ReadCaptionBar(0x999, findings.refs());
    reader.ReadAppointmentCaption(0x999, findings.refs());
    EXPECT_TRUE(findings.candidates.empty());
    EXPECT_FALSE(findings.found);
}

TEST(FrmOcr, LoadsOnlyEntriesThatExist)
{
    ocr::TFrmOCR host;
    EXPECT_TRUE(host.LoadDCRFile(ocr::kAppointment));
    EXPECT_EQ(host.Network.GetKnownSymbol(0), "1");
    EXPECT_FALSE(host.LoadDCRFile(4));
    EXPECT_FALSE(host.LoadDCRFile(-1));
}

TEST(CopyRect, PixelsOutsideTheCaptureAreBlack)
{
    platform::Capture c;
    c.width = 2;
    c.height = 1;
    c.stride = 6;
    c.bgr = {1, 2, 3, 4, 5, 6};
    const ocr::Image copy = ocr::CopyRect(c, -1, 0, 4, 2);
    EXPECT_EQ(copy.pixel(0, 0), ocr::kBlack);
    EXPECT_EQ(copy.pixel(1, 0), ocr::makeRgb(3, 2, 1));
    EXPECT_EQ(copy.pixel(2, 0), ocr::makeRgb(6, 5, 4));
    EXPECT_EQ(copy.pixel(3, 0), ocr::kBlack);
    EXPECT_EQ(copy.pixel(1, 1), ocr::kBlack);
}

void mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &event);
}

TEST(DCRFrame, DrawEraseSaveAndOpen)
{
    ocr::TDCRFrame frame;
    frame.resize(200, 100);
    frame.Init();
    EXPECT_EQ(frame.Core.BWThreshold, 196);
    ASSERT_EQ(frame.Picture().size(), QSize(200, 80)); // below the title panel
    EXPECT_FALSE(frame.Modified);

    // The picture starts one pixel below the 20-pixel title.
    mouse(frame, QEvent::MouseButtonPress, {20, 41}, Qt::LeftButton);
    mouse(frame, QEvent::MouseMove, {80, 41}, Qt::LeftButton);
    mouse(frame, QEvent::MouseButtonRelease, {80, 41}, Qt::NoButton);
    mouse(frame, QEvent::MouseMove, {80, 90}, Qt::NoButton); // not drawing any more
    EXPECT_TRUE(frame.Modified);
    EXPECT_EQ(frame.Picture().pixelColor(50, 20), QColor(Qt::black));
    EXPECT_EQ(frame.Picture().pixelColor(80, 60), QColor(Qt::white));

    frame.DrawingTool = ocr::TDrawingTool::dtEraser;
    mouse(frame, QEvent::MouseButtonPress, {50, 41}, Qt::LeftButton);
    mouse(frame, QEvent::MouseButtonRelease, {50, 41}, Qt::NoButton);
    EXPECT_EQ(frame.Picture().pixelColor(50, 20), QColor(Qt::white));
    EXPECT_EQ(frame.Picture().pixelColor(30, 20), QColor(Qt::black));

    QTemporaryDir dir;
    const QString file = dir.filePath("drawn.png");
    ASSERT_TRUE(frame.SavePicture(file));
    EXPECT_FALSE(frame.Modified);
    ocr::TDCRFrame other;
    ASSERT_TRUE(other.OpenPicture(file));
    EXPECT_EQ(other.Picture(), frame.Picture());
    EXPECT_FALSE(other.OpenPicture(dir.filePath("missing.png")));
}

} // namespace
