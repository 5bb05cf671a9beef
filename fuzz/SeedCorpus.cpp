// Writes small seed pictures for the fuzzers into the directory given:
// <dir>/<format>/seed-*.
#include "images/PictureFile.h"
#include "images/codecs/Jpeg2000Bitmap.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

QImage Picture(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 16, y * 16, (x * y) & 0xFF));
    return format == QImage::Format_Indexed8
               ? image.convertToFormat(format, Qt::ThresholdDither | Qt::AvoidDither)
               : image.convertToFormat(format);
}

void Put(const QDir& root, const QString& format, const QString& name, const QByteArray& data)
{
    root.mkpath(format);
    QFile file(root.filePath(format + "/" + name));
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

QByteArray Saved(const QImage& image, const QString& extension)
{
    const QString path = QDir::temp().filePath("tq7-seed." + extension);
    images::SavePictureFile(image, path, 75);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray data = file.readAll();
    file.remove();
    return data;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus directory>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (auto [format, extension] : {std::pair{"pcx", "pcx"}, std::pair{"tga", "tga"},
                                     std::pair{"bmp", "bmp"}, std::pair{"gif", "gif"},
                                     std::pair{"tiff", "tif"}}) {
        Put(root, format, "seed-24", Saved(Picture(9, 5, QImage::Format_RGB888), extension));
        Put(root, format, "seed-8", Saved(Picture(7, 6, QImage::Format_Indexed8), extension));
    }
    images::TJpeg2000Bitmap jpeg2000;
    jpeg2000.bitmap = Picture(12, 9, QImage::Format_RGB888);
    Put(root, "jp2", "seed-24", jpeg2000.Encode());
    jpeg2000.bitmap = Picture(5, 4, QImage::Format_ARGB32);
    jpeg2000.SetLossless(true);
    const QByteArray jp2 = jpeg2000.Encode();
    Put(root, "jp2", "seed-32", jp2);
    // The raw code stream inside the JP2 file's "jp2c" box.
    const qsizetype box = jp2.indexOf("jp2c");
    if (box > 0)
        Put(root, "jp2", "seed-j2k", jp2.mid(box + 4));
    Put(root, "picturefile", "seed-jpg", char(1) + Saved(Picture(16, 8, QImage::Format_RGB888), "jpg"));
    Put(root, "picturefile", "seed-png", char(11) + Saved(Picture(6, 6, QImage::Format_RGB888), "png"));
    return 0;
}
