// Writes small seed pictures for the fuzzers into the directory given:
// <dir>/<format>/seed-*.
#include "images/PictureFile.h"
#include "images/codecs/Jpeg2000Bitmap.h"
#include "ocr/core/BackProp.h"
#include "ocr/core/FileStorage.h"

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

QByteArray Bytes(const std::vector<std::uint8_t>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

// A small network with two classes, and containers holding it.
void PutNetworks(const QDir& root)
{
    ocr::TBackProp net(2, 2, 2, 2, 3);
    net.SeedRandom(1);
    net.RandomizeWeights();
    for (const char* symbol : {"1", "7"}) {
        ocr::TTrainingPairs pairs;
        pairs.TargetPatternClass = symbol;
        pairs.InputPatterns.assign(2, ocr::TLayer(5, symbol[0] == '1' ? 1.0f : -1.0f));
        pairs.TargetPattern = pairs.InputPatterns.front();
        net.AddTrainingPairs(pairs);
    }
    const std::vector<std::uint8_t> knowledge = net.KnowledgeBytes();
    Put(root, "knowledge", "seed", Bytes(knowledge));

    ocr::TFileStorage storage{ocr::ShellFolders{}};
    auto entry = std::make_unique<ocr::TStoredFile>(&storage);
    entry->FileName = "net.dcr";
    entry->Data = knowledge;
    entry->Size = static_cast<int>(knowledge.size());
    storage.Files.push_back(std::move(entry));
    Put(root, "container", "seed-compressed", Bytes(storage.WriteContainer()));
    // The legacy layout: count, a skipped field, then raw entries.
    QByteArray legacy("\x01\0\0\0\0\0\0\0\x07\0\0\0net.dcr", 19);
    const auto size = static_cast<quint32>(knowledge.size());
    legacy.append(reinterpret_cast<const char*>(&size), 4);
    legacy.append(Bytes(knowledge));
    Put(root, "container", "seed-legacy", legacy);
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
    PutNetworks(root);
    return 0;
}
