// The floater's caption reader on the in-memory desktop: the recognition
// writes the tracking state and moves a real widget out of the strip.

#include "app/floater/FloaterCaptionReader.h"
#include "ocr/widgets/CaptionRenderer.h"
#include "platform/memory/MemoryDesktop.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

platform::Capture toCapture(const ocr::Image& image)
{
    platform::Capture c;
    c.width = image.width();
    c.height = image.height();
    c.stride = image.width() * 3;
    for (ocr::Rgb p : image.pixels())
        c.bgr.insert(c.bgr.end(), {static_cast<std::uint8_t>(ocr::blueOf(p)),
                                   static_cast<std::uint8_t>(ocr::greenOf(p)),
                                   static_cast<std::uint8_t>(ocr::redOf(p))});
    return c;
}

class FloaterCaptionReaderTest : public ::testing::Test {
protected:
    FloaterCaptionReaderTest()
    {
        floater.setWindowFlag(Qt::FramelessWindowHint);
        floater.resize(240, 138);
    }

    // A window at (left, top) showing the picture.
    platform::WindowId addWindow(const ocr::Image& picture, const std::string& cls,
                                 const std::string& title, int left, int top)
    {
        const auto w = desktop.add(0, cls, title);
        desktop.window(w).rect = {left, top, left + picture.width(), top + picture.height()};
        desktop.window(w).pixels = toCapture(picture);
        return w;
    }

    platform::MemoryDesktop desktop;
    QWidget floater;
    bool clearType = false;
    floater::FloaterCaptionReader reader{floater, [this] { return clearType; }};
    app::TrackingState state;
};

} // namespace

TEST_F(FloaterCaptionReaderTest, CaptionBarNumberReachesTheStateAndTheFloaterLeavesTheStrip)
{
    // The bar covers (0, 120)-(420, 144); the offset-0 strip starts at x = 266.
    const struct {
        int left, top;
        int expectedTop;
    } cases[] = {
        {200, 100, 146}, // over the strip from above: below the bar
        {200, 130, 156}, // inside the bar's rows: its own top + bar height + 2
        {26, 100, 100},  // ends where the strip begins: stays
        {27, 100, 146},  // one column into the strip: moves
        {200, 300, 300}, // below the bar: stays
    };
    const auto bar = ocr::RenderCaptionBar("19640823-4125", 420, 0, false, QColor(0, 84, 147),
                                           QColor(250, 250, 250));
    const auto w = addWindow(bar, "MIAQ7CAPTIONBAR", "", 0, 120);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.top);
        state = {};
        floater.move(c.left, c.top);
        floater.show();
        // A screen number is followed on its second sighting; each pass starts empty.
        reader.ReadCaptionBar(desktop, w, state);
        state = {};
        reader.ReadCaptionBar(desktop, w, state);
        EXPECT_EQ(state.candidates, std::vector<std::string>{"19640823-4125"});
        EXPECT_TRUE(state.OCRFoundPersonnr);
        EXPECT_FALSE(state.fontsmoothingon);
        EXPECT_EQ(floater.y(), c.expectedTop);
        EXPECT_EQ(floater.x(), c.left);
    }
}

TEST_F(FloaterCaptionReaderTest, HiddenFloaterIsNotMoved)
{
    const auto bar = ocr::RenderCaptionBar("19640823-4125", 420, 0, false, QColor(0, 84, 147),
                                           QColor(250, 250, 250));
    const auto w = addWindow(bar, "MIAQ7CAPTIONBAR", "", 0, 120);
    floater.move(200, 100);
    reader.ReadCaptionBar(desktop, w, state);
    reader.ReadCaptionBar(desktop, w, state);
    EXPECT_EQ(state.candidates, std::vector<std::string>{"19640823-4125"});
    EXPECT_EQ(floater.y(), 100);
}

TEST_F(FloaterCaptionReaderTest, ClearTypeModeIsAskedAtTheCapture)
{
    clearType = true;
    const auto bar = ocr::RenderCaptionBar("20011231-6658", 400, 38, true, QColor(0, 84, 147),
                                           QColor(250, 250, 250));
    const auto w = addWindow(bar, "MIAQ7CAPTIONBAR", "", 0, 0);
    reader.ReadCaptionBar(desktop, w, state);
    reader.ReadCaptionBar(desktop, w, state);
    EXPECT_EQ(state.candidates, std::vector<std::string>{"20011231-6658"});
    EXPECT_TRUE(state.fontsmoothingon);
}

TEST_F(FloaterCaptionReaderTest, AppointmentNumberReachesTheState)
{
    const auto view = ocr::RenderAppointmentWindow("19580412-2280", QSize(160, 50),
                                                   QColor(240, 240, 240), Qt::black);
    const auto w = addWindow(view, "AfxWnd100", "Appointment", 0, 0);
    reader.ReadAppointmentCaption(desktop, w, state);
    EXPECT_TRUE(state.candidates.empty());
    reader.ReadAppointmentCaption(desktop, w, state);
    EXPECT_EQ(state.candidates, std::vector<std::string>{"19580412-2280"});
    EXPECT_TRUE(state.OCRFoundPersonnr);
}

TEST_F(FloaterCaptionReaderTest, UnreadablePictureLeavesTheStateAlone)
{
    state.currentPersonalNumber = "19121212-1212";
    const ocr::Image blank(420, 24, ocr::makeRgb(0, 84, 147));
    reader.ReadCaptionBar(desktop, addWindow(blank, "MIAQ7CAPTIONBAR", "", 0, 0), state);
    EXPECT_TRUE(state.candidates.empty());
    EXPECT_FALSE(state.OCRFoundPersonnr);
    EXPECT_EQ(state.currentPersonalNumber, "19121212-1212");
}
