// The whole path through LoadPictureFile, file and all (see PictureFileInput.h).

#include "fuzz/PictureFileInput.h"
#include "images/PictureFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (size < 1)
        return 0;
    const QString path = dir.filePath("input." + fuzz::PictureFileExtension(data[0]));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    file.close();
    QImage target;
    try {
        images::LoadPictureFile(target, path, fuzz::PictureFileReduced(data[0]));
    } catch (const images::EGraphicFormat&) {
    }
    return 0;
}
