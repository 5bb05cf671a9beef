#include "images/PictureFileImageData.h"

#include "images/PictureFile.h"
#include "images/Placeholders.h"
#include "toolkit/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace images {

namespace {

const QString kUnknownPictureType = QStringLiteral("Unknown picture file type");

// A 24-bit picture read from a file, or EGraphicFormat. `extension` chooses
// the decoder; an empty one reads by the file's own extension.
QImage ReadPicture(const QString& fileName, bool reduced, const QString& extension = {})
{
    QImage picture;
    if (extension.isEmpty())
        LoadPictureFile(picture, fileName, reduced);
    else
        LoadPictureData(picture, ReadFileBytes(fileName, "Cannot read the picture file"), extension,
                        reduced);
    if (picture.isNull())
        throw EGraphicFormat(kUnknownPictureType.toStdString());
    return picture;
}

int IntegerOrZero(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

} // namespace

QDateTime ZeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

bool IsZeroDate(const QDateTime& when)
{
    return !when.isValid() || when == ZeroDate();
}

QString FormatImageDate(const QDateTime& when, bool withTime, const QLocale& locale)
{
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    dateFormat.replace(twoDigitYear, QStringLiteral("yyyy"));
    const QDateTime shown = when.isValid() ? when : ZeroDate();
    QString text = locale.toString(shown.date(), dateFormat);
    if (withTime) {
        // The long time format without its time-zone name.
        static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*$"));
        text += ' ' + locale.toString(shown.time(),
                                      locale.timeFormat(QLocale::LongFormat).remove(zone));
    }
    return text;
}

QString JournalPicturePath(const QString& bildkatdir, const QString& bildnamn)
{
    if (bildkatdir.isEmpty() || bildkatdir.endsWith('/') || bildkatdir.endsWith('\\'))
        return bildkatdir + bildnamn;
    return bildkatdir + QDir::separator() + bildnamn;
}

QString ThumbnailFileName(const QString& picturePath)
{
    const QFileInfo info(picturePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString stem = dot < 0 ? name : name.left(dot);
    return picturePath.left(picturePath.size() - name.size()) + stem + QStringLiteral(".tmb");
}

PictureFileNumbers ParsePictureFileName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype underscore = name.indexOf('_');
    const qsizetype dot = name.indexOf('.');
    const qsizetype lopnrStart = underscore + 1; // the start of the name when there is no "_"
    PictureFileNumbers numbers;
    if (underscore >= 0)
        numbers.patientnr = IntegerOrZero(name.left(underscore));
    if (dot >= lopnrStart)
        numbers.lopnr = IntegerOrZero(name.mid(lopnrStart, dot - lopnrStart));
    return numbers;
}

bool PictureFileImageData::LoadFromFile(const QString& filename)
{
    loadedfilename = filename;
    FBitmapLoaded = true;
    m_picture = QImage();
    m_loadMessage.clear();
    if (!QFileInfo(filename).isFile()) {
        m_loadMessage = MissingFileMessage();
        return false;
    }
    try {
        m_picture = ReadPicture(filename, false);
        return true;
    } catch (const std::exception& e) {
        m_loadMessage = filename + "\r\r" + QString::fromStdString(e.what());
        return false;
    }
}

QString PictureFileImageData::MissingFileMessage() const
{
    return toolkit::Translate(QStringLiteral("Filen saknas: ")) + loadedfilename;
}

void PictureFileImageData::ReleasePicture()
{
    FBitmapLoaded = false;
    m_picture = QImage();
    m_loadMessage.clear();
}

bool PictureFileImageData::EnsurePicture(QString& message)
{
    if (!FBitmapLoaded) {
        if (!QFileInfo(loadedfilename).isFile()) {
            message = MissingFileMessage();
            return false;
        }
        LoadFromFile(loadedfilename);
    }
    if (m_picture.isNull()) {
        message = m_loadMessage;
        return false;
    }
    return true;
}

bool PictureFileImageData::GetGraphic(QImage& OutBmp, int, bool)
{
    QString message;
    if (!EnsurePicture(message)) {
        DrawMessagePlaceholder(OutBmp, message, QSize(0, 0));
        return false;
    }
    OutBmp = m_picture;
    return true;
}

bool PictureFileImageData::GetGraphic32(QImage& OutBmp, int, bool)
{
    QString message;
    if (!EnsurePicture(message)) {
        DrawMessagePlaceholder32(OutBmp, message);
        return false;
    }
    OutBmp = m_picture.convertToFormat(QImage::Format_ARGB32);
    return true;
}

bool PictureFileImageData::GetIconGraphic(QImage& OutBmp, int, bool)
{
    ReleasePicture();
    if (!QFileInfo(loadedfilename).isFile()) {
        DrawMessagePlaceholder(OutBmp, MissingFileMessage(), kPlaceholderSize);
        return false;
    }
    // A damaged thumbnail file must not hide a good picture.
    if (!thumbfilename.isEmpty() && QFileInfo(thumbfilename).isFile()) {
        try {
            OutBmp = ReadPicture(thumbfilename, false, QStringLiteral("jpg"));
            return true;
        } catch (const std::exception&) {
        }
    }
    try {
        OutBmp = ReadPicture(loadedfilename, true);
        return true;
    } catch (const std::exception& e) {
        DrawMessagePlaceholder(OutBmp, loadedfilename + "\r\r" + QString::fromStdString(e.what()),
                               kPlaceholderSize);
        return false;
    }
}

QString PictureFileImageData::GetDate(bool klockslag_to)
{
    QDateTime when = FilDatum;
    if (IsZeroDate(when)) {
        const QFileInfo file(loadedfilename);
        when = file.exists() ? file.lastModified() : ZeroDate();
    }
    return FormatImageDate(when, klockslag_to, QLocale());
}

QString PictureFileImageData::GetLocation()
{
    return loadedfilename;
}

bool PictureFileImageData::Store(bool, QString&)
{
    try {
        // Without a picture in memory there is nothing to write, and writing
        // an empty one would destroy the file.
        if (m_picture.isNull())
            throw EGraphicFormat("There is no picture in memory to save");
        SavePictureFile(m_picture, loadedfilename, 100);
        return true;
    } catch (const std::exception& e) {
        toolkit::ShowError(toolkit::Translate(QStringLiteral("Det gick inte att spara bilden!")) + "\r\r" +
                           QString::fromStdString(e.what()));
        return false;
    }
}

std::unique_ptr<PictureFileImageData> MakeJournalPictureImage(const QString& path, int bildflik)
{
    auto image = std::make_unique<PictureFileImageData>();
    image->LoadFromFile(path);
    const PictureFileNumbers numbers = ParsePictureFileName(path);
    image->patientnr = numbers.patientnr;
    image->lopnr = numbers.lopnr;
    image->bildflik = bildflik;
    return image;
}

} // namespace images
