#include "editor/window/PrintPage.h"

#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace editor;

namespace {

QString RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

const QRgb kQuadrants[4] = {qRgb(220, 30, 30), qRgb(30, 200, 40), qRgb(30, 40, 210), qRgb(230, 220, 30)};

QImage QuadrantPicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    QPainter p(&picture);
    const int w = size.width() / 2, h = size.height() / 2;
    p.fillRect(0, 0, w, h, QColor(kQuadrants[0]));
    p.fillRect(w, 0, size.width() - w, h, QColor(kQuadrants[1]));
    p.fillRect(0, h, w, size.height() - h, QColor(kQuadrants[2]));
    p.fillRect(w, h, size.width() - w, size.height() - h, QColor(kQuadrants[3]));
    return picture;
}

} // namespace

TEST(PrintPage, PictureAreaLeavesRoomForHeaderAndDate)
{
    const QRect page(0, 0, 2480, 3508);
    const QRect area = PrintPictureArea(page, 60, 50);
    EXPECT_EQ(area.topLeft(), QPoint(2480 / 80, 3508 / 100 + 110));
    EXPECT_EQ(area.bottomRight(), page.bottomRight());
    // Wide pictures fill the width and sit in the middle of the height.
    const QRect wide = FitCentred({4000, 1000}, QRect(0, 0, 400, 400));
    EXPECT_EQ(wide, QRect(0, 150, 400, 100));
    const QRect tall = FitCentred({1000, 4000}, QRect(0, 0, 400, 400));
    EXPECT_EQ(tall, QRect(150, 0, 100, 400));
}

// The page as the printer's PDF gets it: A4, the full picture stored
// losslessly, each quadrant where it belongs, the patient and the date.
TEST(PrintPage, PdfHoldsTheLosslessPictureAndThePatient)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    PrintJob job;
    job.picture = QuadrantPicture({4000, 3000});
    job.header = QStringLiteral("Tolvan Tolvansson 19121212-1212");
    job.date = QStringLiteral("2026-12-11");
    QRect target;
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        QPainter painter(&writer);
        const QRect page(0, 0, writer.width(), writer.height());
        PrintPage(painter, page, job);
        target = FitCentred(job.picture.size(), PrintPictureArea(page, 0, 0));
    }
    const QString info = RunTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();

    const QString images = RunTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    const QStringList lines = images.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << images.toStdString();
    const QStringList row = lines.at(2).simplified().split(' ');
    ASSERT_GE(row.size(), 9) << images.toStdString();
    EXPECT_EQ(row.at(3), QStringLiteral("4000"));
    EXPECT_EQ(row.at(4), QStringLiteral("3000"));
    EXPECT_EQ(row.at(8), QStringLiteral("image")) << "lossy encoding: " << row.at(8).toStdString();

    const QString text = RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(job.header)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Bilden tagen: 2026-12-11"))) << text.toStdString();

    // At 30 dpi each quadrant's centre has its colour. The picture fills the
    // width (it is wider than the area), so only its top moves with the
    // header; the centres are sampled a tenth of the picture in from there.
    ASSERT_FALSE(RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf, dir.filePath("page")})
                     .startsWith(QStringLiteral("failed")));
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    const double scale = 30.0 / 300.0;
    const int left = int(target.left() * scale), width = int(target.width() * scale);
    // The real top lies below the one computed without header and date.
    int top = 0;
    for (int y = 0; y < page.height(); ++y)
        if (qRed(page.pixel(left + width / 4, y)) > 150 && qGreen(page.pixel(left + width / 4, y)) < 100) {
            top = y;
            break;
        }
    ASSERT_GT(top, int(target.top() * scale));
    const int height = int(width * 0.75);
    const QPoint centres[4] = {{left + width / 4, top + height / 4},
                               {left + 3 * width / 4, top + height / 4},
                               {left + width / 4, top + 3 * height / 4},
                               {left + 3 * width / 4, top + 3 * height / 4}};
    for (int i = 0; i < 4; ++i) {
        const QRgb got = page.pixel(centres[i]);
        EXPECT_NEAR(qRed(got), qRed(kQuadrants[i]), 8) << i;
        EXPECT_NEAR(qGreen(got), qGreen(kQuadrants[i]), 8) << i;
        EXPECT_NEAR(qBlue(got), qBlue(kQuadrants[i]), 8) << i;
    }
}
