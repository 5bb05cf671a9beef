#include "../display/CodedImage.h"
#include "EditorTestSupport.h"

#include "editor/display/MagnifierImage.h"
#include "editor/display/RogBevel.h"
#include "editor/display/ZoomRules.h"
#include "editor/window/BildEditorForm3.h"
#include "editor/window/EditorExport.h"
#include "editor/window/Scrambling.h"
#include "images/PictureFileImageData.h"
#include "toolkit/InputForm.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <functional>

using namespace editor;
using namespace editortest;

namespace {

const QSize kPicture(600, 400);

class EditorTest : public EditorEnvironment {
protected:
    void SetUp() override
    {
        EditorEnvironment::SetUp();
        original = CodedImage(kPicture.width(), kPicture.height());
        ASSERT_TRUE(original.save(path("7_1.png")));
        Open(path("7_1.png"));
    }
    void Open(const QString& file)
    {
        form.reset();
        image = images::MakeJournalPictureImage(file, 1);
        form = std::make_unique<TBildEditorForm3>();
        form->SetImage(image.get());
        form->SetPrompts(&prompts);
        form->resize(800, 600);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QApplication::processEvents();
    }
    QImage Shown() { return form->Display()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    void Wheel(QPoint at, bool in, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWheelEvent e(at, form->Display()->mapToGlobal(at), QPoint(), QPoint(0, in ? 120 : -120), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->Display(), &e);
    }
    void Hover(QPoint at, Qt::KeyboardModifiers mods)
    {
        QMouseEvent e(QEvent::MouseMove, at, form->Display()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, mods);
        QApplication::sendEvent(form->Display(), &e);
    }

    QImage original;
    Prompts prompts;
    std::unique_ptr<images::PictureFileImageData> image;
    std::unique_ptr<TBildEditorForm3> form;
};

QImage Rgb(const QImage& i) { return i.convertToFormat(QImage::Format_RGB32); }

} // namespace

TEST_F(EditorTest, OpensFittedAndZoomsWithTheWheelAroundTheCursor)
{
    EXPECT_EQ(Rgb(form->WorkingBitmap()), Rgb(original));
    EXPECT_EQ(form->StatusText(0), QStringLiteral("600x400"));
    const double fit = FitFactor(form->Display()->size(), kPicture);
    EXPECT_DOUBLE_EQ(form->GetFactor(), fit);
    EXPECT_EQ(form->GetPortCenter(), QPoint(300, 200));

    const QPoint cursor(form->Display()->width() / 4, form->Display()->height() / 3);
    const QPoint under = form->Display()->GetBitmapPoint(cursor);
    Wheel(cursor, true);
    EXPECT_DOUBLE_EQ(form->GetFactor(), fit * 1.1);
    EXPECT_EQ(form->Display()->GetBitmapPoint(cursor), under);
    const QPoint drawn = DecodeRgb(Shown().pixel(cursor));
    EXPECT_LE((drawn - under).manhattanLength(), 2); // the drawing's and the conversion's rounding

    // Panning by 40 screen pixels to the left moves the centre right.
    const QPoint centre = form->GetPortCenter();
    QTest::mousePress(form->Display(), Qt::LeftButton, {}, cursor);
    QTest::mouseMove(form->Display(), cursor - QPoint(40, 0));
    QTest::mouseRelease(form->Display(), Qt::LeftButton, {}, cursor - QPoint(40, 0));
    EXPECT_EQ(form->GetPortCenter(), centre + QPoint(RoundEven(40 / form->GetFactor()), 0));

    Wheel(cursor, false);
    Wheel(cursor, false); // the second step stops at the fit and centres
    EXPECT_DOUBLE_EQ(form->GetFactor(), fit);
    EXPECT_EQ(form->GetPortCenter(), QPoint(300, 200));

    Wheel(cursor, true, Qt::ControlModifier); // the magnifier's zoom only
    EXPECT_DOUBLE_EQ(form->GetFactor(), fit);
    EXPECT_DOUBLE_EQ(form->RelativeFactor(), 2.2);
}

// Every geometry and pixel command by its key, checked pixel by pixel with
// the position each picture pixel names.
TEST_F(EditorTest, FunctionKeysChangeTheWorkingCopy)
{
    using Check = std::function<bool(const QImage& result)>;
    const int w = kPicture.width(), h = kPicture.height();
    const auto mapped = [](QSize size, std::function<QPoint(int, int)> from) {
        return [size, from](const QImage& r) {
            if (r.size() != size)
                return false;
            for (int y = 0; y < r.height(); y += 7)
                for (int x = 0; x < r.width(); x += 5)
                    if (DecodeRgb(r.pixel(x, y)) != from(x, y))
                        return false;
            return true;
        };
    };
    const struct {
        Qt::Key key;
        Check check;
    } cases[] = {
        {Qt::Key_F2, mapped({w, h}, [w](int x, int y) { return QPoint(w - 1 - x, y); })},
        {Qt::Key_F3, mapped({w, h}, [h](int x, int y) { return QPoint(x, h - 1 - y); })},
        {Qt::Key_F4, mapped({h, w}, [h](int x, int y) { return QPoint(y, h - 1 - x); })},
        {Qt::Key_F5, mapped({h, w}, [w](int x, int y) { return QPoint(w - 1 - y, x); })},
        {Qt::Key_F6, mapped({w, h}, [h](int x, int y) { return QPoint(x, h - 1 - y); })},
        {Qt::Key_F8, [this](const QImage& r) {
             const QRgb o = original.pixel(123, 321), g = r.pixel(123, 321);
             const int l = (std::max({qRed(o), qGreen(o), qBlue(o)}) + std::min({qRed(o), qGreen(o), qBlue(o)})) / 2;
             return qRed(g) == l && qGreen(g) == l && qBlue(g) == l;
         }},
        {Qt::Key_F9, [this](const QImage& r) {
             return (r.pixel(77, 99) & 0xffffff) == (~original.pixel(77, 99) & 0xffffff);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
        form->LoadImage();
        QTest::keyClick(form.get(), c.key);
        EXPECT_TRUE(c.check(form->WorkingBitmap()));
        EXPECT_TRUE(form->Modified());
    }
    // Inverted (alpha too), the display still shows the picture, inverted.
    form->LoadImage();
    form->Invert();
    const QPoint middle(form->Display()->width() / 2, form->Display()->height() / 2);
    const QPoint at = form->Display()->GetBitmapPoint(middle);
    const QRgb shown = Shown().pixel(middle);
    EXPECT_NEAR(qRed(shown), 255 - qRed(original.pixel(at)), 1);
}

TEST_F(EditorTest, EscCancelsWhatIsInProgressAndAsksBeforeDiscarding)
{
    const QPoint inside(form->Display()->width() / 2, form->Display()->height() / 2);
    Hover(inside, Qt::ControlModifier);
    ASSERT_EQ(form->Lens(), LensKind::MaxContrast);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(form->Lens(), LensKind::None);
    EXPECT_TRUE(form->isVisible());

    form->ShowUrval();
    ASSERT_TRUE(form->SelectionFrame()->isVisible());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->SelectionFrame()->isVisible());
    EXPECT_TRUE(form->isVisible());

    form->Invert();
    dialogs.answer = 1; // No: the changes stay
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Modified());
    EXPECT_NE(Rgb(form->WorkingBitmap()), Rgb(original));
    EXPECT_EQ(dialogs.shown.size(), 1u);

    dialogs.answer = 0; // Yes: read the picture again, stay open
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(Rgb(form->WorkingBitmap()), Rgb(original));

    QTest::keyClick(form.get(), Qt::Key_Escape); // nothing left: closes
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
}

TEST_F(EditorTest, LensesFollowTheModifiersAndShowTheirEffect)
{
    const QPoint at(form->Display()->width() / 2, form->Display()->height() / 2);
    const QPoint under = form->Display()->GetBitmapPoint(at);
    Hover(at, Qt::AltModifier);
    ASSERT_EQ(form->Lens(), LensKind::Lightness);
    EXPECT_FALSE(form->Display()->LensRect().isEmpty());
    const QRgb lensed = Shown().pixel(at);
    const QRgb o = original.pixel(under);
    EXPECT_NEAR(qGreen(lensed), std::min(255, qGreen(o) + 10), 2);
    Hover(at, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(form->Lens(), LensKind::Invert);
    EXPECT_NEAR(qGreen(Shown().pixel(at)), 255 - qGreen(o), 2);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &release);
    EXPECT_EQ(form->Lens(), LensKind::None);
    EXPECT_LE((DecodeRgb(Shown().pixel(at)) - under).manhattanLength(), 2);
}

TEST_F(EditorTest, SelectionCropsTheCopy)
{
    form->ShowUrval();
    const QRect frame = form->SelectionFrame()->geometry();
    EXPECT_EQ(frame.size(), QSize(150, 150));
    EXPECT_EQ(frame.topLeft(), form->Display()->Layout().target.topLeft() + QPoint(10, 10));
    EXPECT_TRUE(form->SelectionFrame()->Caption().startsWith(QStringLiteral("Bredd: 150\nHöjd: 150")));
    const QRect r = form->SelectionImageRect();
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r.topLeft(), form->Display()->GetBitmapPoint(frame.topLeft()));
    form->CopyToClipboard();
    EXPECT_EQ(Rgb(QApplication::clipboard()->image()), Rgb(original.copy(r)));

    // Pasting replaces the working copy with the clipboard's picture.
    form->SelectionFrame()->hide();
    form->PasteFromClipboard();
    EXPECT_EQ(form->WorkingBitmap().size(), r.size());
    EXPECT_TRUE(form->Modified());
}

TEST_F(EditorTest, AutomaticColourUsesTheStoredDefaultsAndMarksOnlyARealChange)
{
    form->AutoColour(); // nothing stored: nothing to do
    EXPECT_FALSE(form->Modified());
    toolkit::WriteSetting("BildEditor", "DefaultLUMINANCE", "20");
    QTest::keyClick(form.get(), Qt::Key_F7);
    EXPECT_TRUE(form->Modified());
    const QRgb before = original.pixel(10, 10), after = form->WorkingBitmap().pixel(10, 10);
    EXPECT_EQ(qRed(after), qRed(before) + 20);
    EXPECT_EQ(qGreen(after), qGreen(before) + 20);
}

TEST(Scrambling, SameValueRestoresExactlyAnotherDoesNot)
{
    for (int width : {1, 2, 3, 4, 5, 601}) {
        SCOPED_TRACE(width);
        const QImage picture = CodedImage(width, 7);
        const QImage once = ScramblePicture(picture, 79083);
        EXPECT_NE(once, picture);
        EXPECT_EQ(ScramblePicture(once, 79083), picture);
        EXPECT_NE(ScramblePicture(once, 79084), picture);
    }
    // The stream: seed * 134775813 + 1, top byte.
    ScrambleStream s(79083);
    const quint32 first = 79083u * 134775813u + 1u;
    EXPECT_EQ(s.next(), quint8(first >> 24));
    EXPECT_EQ(s.next(), quint8((first * 134775813u + 1u) >> 24));
}

TEST_F(EditorTest, ScrambleCommandsRoundTripThroughTheInputBox)
{
    static QString typed;
    toolkit::setInputFormRunner([](toolkit::TInputForm& f) {
        f.Edit()->setText(typed);
        return int(QDialog::Accepted);
    });
    typed = QStringLiteral("79083");
    form->Scramble(true);
    EXPECT_NE(Rgb(form->WorkingBitmap()), Rgb(original));
    form->Scramble(false);
    EXPECT_EQ(Rgb(form->WorkingBitmap()), Rgb(original));
    typed = QStringLiteral("abc");
    form->Scramble(true);
    EXPECT_TRUE(dialogs.showed(QStringLiteral("abc är inget giltigt heltal!")));
    EXPECT_EQ(Rgb(form->WorkingBitmap()), Rgb(original));
    toolkit::setInputFormRunner(nullptr);
}

double Psnr(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                sum += d * d;
        }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The working copy is exported as it is now and stays as it is afterwards:
// nothing is read again from the picture file.
TEST_F(EditorTest, ExportWritesTheWorkingCopyAndKeepsIt)
{
    form->Invert();
    const QImage inverted = Rgb(form->WorkingBitmap());
    const struct {
        int filter;
        const char* typed;
        const char* written;
        bool exact;
    } cases[] = {
        {3, "bild", "bild.png", true},
        {3, "bild2.PNG", "bild2.PNG", true},
        {2, "bild", "bild.bmp", true},
        {4, "bild", "bild.tif", true},
        {1, "bild", "bild.jpg", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        prompts.filter = ExportFilters().at(c.filter);
        prompts.fileName = path(c.typed);
        dialogs.shown.clear();
        form->ExportAs();
        QImage back(path(c.written));
        ASSERT_FALSE(back.isNull());
        if (c.exact)
            EXPECT_EQ(Rgb(back), inverted);
        else
            EXPECT_GT(Psnr(Rgb(back), inverted), 35.0); // a wrong picture scores about 10
        EXPECT_TRUE(dialogs.showed(QStringLiteral("Bilden sparad som ") + path(c.written) + '.'));
        EXPECT_EQ(Rgb(form->WorkingBitmap()), inverted);
        EXPECT_TRUE(form->Modified());
    }
    // A folder that cannot be written says so and keeps the copy.
    prompts.filter = ExportFilters().at(3);
    prompts.fileName = path("no-such-folder/bild.png");
    dialogs.shown.clear();
    form->ExportAs();
    EXPECT_TRUE(dialogs.showed(QStringLiteral("Det gick inte att spara bilden!")));
    EXPECT_FALSE(dialogs.showed(QStringLiteral("Bilden sparad som")));
    EXPECT_EQ(Rgb(form->WorkingBitmap()), inverted);
    // A picture is never written as DICOM.
    prompts.filter = ExportFilters().at(0);
    prompts.fileName = path("bild");
    dialogs.shown.clear();
    form->ExportAs();
    EXPECT_TRUE(dialogs.showed(QStringLiteral("För att spara bilden som en Dicom-bild")));
    EXPECT_FALSE(QFile::exists(path("bild.dcm")));
}

// A picture that cannot be read opens with the placeholder and its message;
// the editing commands are off.
TEST_F(EditorTest, UnreadablePicturesOpenWithThePlaceholder)
{
    QFile empty(path("7_2.jpg"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QFile text(path("7_3.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all");
    text.close();
    for (const QString& name : {QStringLiteral("7_2.jpg"), QStringLiteral("7_3.png"), QStringLiteral("7_4.jpg"),
                                QStringLiteral("7_5.xyz")}) {
        SCOPED_TRACE(name.toStdString());
        Open(path(name));
        EXPECT_EQ(form->WorkingBitmap().size(), QSize(105, 92));
        EXPECT_FALSE(form->EditingAllowed());
        EXPECT_FALSE(form->Action(QStringLiteral("Invertera"))->isEnabled());
        QTest::keyClick(form.get(), Qt::Key_F9);
        EXPECT_FALSE(form->Modified());
    }
}

TEST_F(EditorTest, PrintJobCarriesTheShownImagesPatient)
{
    form->SetPatientLookup([](int patientnr) -> std::optional<PatientIdentity> {
        if (patientnr != 7)
            return std::nullopt;
        return PatientIdentity{QStringLiteral("19121212-1212"), QStringLiteral("Tolvan"), QStringLiteral("Tolvansson")};
    });
    form->LoadImage();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Redigera bild 19121212-1212 - Tolvan Tolvansson"));
    const PrintJob job = form->MakePrintJob();
    EXPECT_EQ(job.header, QStringLiteral("Tolvan Tolvansson 19121212-1212"));
    EXPECT_EQ(job.date, image->GetDate(false));
    EXPECT_EQ(job.picture.size(), kPicture);
}

TEST_F(EditorTest, SettingsKeepTheWindowAndDisplayChoices)
{
    form->SetSmooth(true);
    form->SetEffextSize(120);
    form->SetEffectShape(false);
    form->move(40, 50);
    form->reject();
    EXPECT_EQ(toolkit::ReadSetting("ImageEditor", "StretchFilterLinear"), "-1");
    EXPECT_EQ(toolkit::ReadSetting("ImageEditor", "EffectSizeX"), "120");
    EXPECT_EQ(toolkit::ReadSetting("ImageEditor", "EffectShapeCircle"), "0");
    EXPECT_EQ(toolkit::ReadSetting("DicomBildEditor", "FORMWIDTH"), std::to_string(form->width()));
    TBildEditorForm3 again;
    EXPECT_TRUE(again.GetSmooth());
    EXPECT_EQ(again.GetEffextSize(), 120);
    EXPECT_FALSE(again.GetEffectShape());
}
