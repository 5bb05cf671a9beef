#include "dicom/DicomImageData.h"

#include "dicom/Identifiers.h"
#include "images/ImageHandler.h"
#include "images/PictureFile.h"
#include "images/Placeholders.h"
#include "images/ScaleToBox.h"
#include "toolkit/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>

namespace dicom {

namespace {

constexpr int kIconWidth = 170;
constexpr QSize kInformationSize{110, 92};

// Frame caches live in one private folder per process, never under guessable
// names in the shared temporary folder. Images of the same object share the
// caches; the last one to go removes them.
struct CacheFolderState {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/tq7-dicom-XXXXXX")};
    std::map<QString, int> users;
};

CacheFolderState& Caches()
{
    static CacheFolderState state;
    return state;
}

// Patient IDs name sub-folders: no separators, no "..", no controls.
QString SafeFolderPart(const QString& text)
{
    QString out;
    for (QChar c : text)
        if (c.unicode() >= 0x20 && c != '/' && c != '\\' && c != ':')
            out += c;
    out = out.trimmed();
    if (out.isEmpty() || out == QLatin1String(".") || out == QLatin1String(".."))
        return {};
    return out;
}

QString RemoveSeparators(QString id)
{
    for (QChar c : {QChar('\t'), QChar('\n'), QChar('\r'), QChar('!'), QChar('&'), QChar('-'), QChar('/'),
                    QChar('\\')})
        id.remove(c);
    return id;
}

bool IsUnder(const QString& path, const QString& root)
{
    const QString r = QDir::cleanPath(QFileInfo(root).absoluteFilePath()) + '/';
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath()).startsWith(r);
}

QString ErrorText(const std::exception& e)
{
    return QString::fromLocal8Bit(e.what());
}

} // namespace

DicomImageData::DicomImageData(images::ImageHandler* handler, std::shared_ptr<IDicomDataSet> dataset,
                               const QString& fnamn)
    : m_dataset(std::move(dataset)), m_filename(fnamn)
{
    m_handler = handler;
    if (m_dataset) {
        const QString uid = m_dataset->GetValue(0x0008, 0x0018).trimmed();
        if (IsFileNameUid(uid)) {
            m_cacheUid = uid;
            ++Caches().users[uid];
        }
    }
}

DicomImageData::~DicomImageData()
{
    if (m_cacheUid.isEmpty())
        return;
    auto& users = Caches().users;
    if (--users[m_cacheUid] > 0)
        return;
    users.erase(m_cacheUid);
    images::DeleteFrameCacheFiles(CacheFolder(), m_cacheUid,
                                  m_dataset ? m_dataset->GetValue(0x0028, 0x0008) : QString());
}

QString DicomImageData::CacheFolder()
{
    return Caches().dir.isValid() ? Caches().dir.path() : QString();
}

DicomImageData::SourceKind DicomImageData::Kind() const
{
    if (m_handler == nullptr)
        return SourceKind::None;
    if (dynamic_cast<DicomFolderSource*>(m_handler) != nullptr)
        return SourceKind::Folder;
    if (dynamic_cast<DicomServerSource*>(m_handler) != nullptr)
        return SourceKind::Server;
    return SourceKind::Other;
}

long DicomImageData::IntAttribute(int group, int element) const
{
    return m_dataset ? m_dataset->IntValueOrZero(PackTag(group, element)) : 0;
}

QString DicomImageData::CacheFile(int frame, const char* suffix) const
{
    if (m_cacheUid.isEmpty() || CacheFolder().isEmpty() || frame < 0)
        return {};
    return QDir(CacheFolder()).filePath(QStringLiteral("%1.%2.%3").arg(m_cacheUid).arg(frame).arg(suffix));
}

bool DicomImageData::LoadCache(QImage& out, int frame, bool bits32)
{
    if (IntAttribute(0x0028, 0x0010) <= 0 || IntAttribute(0x0028, 0x0011) <= 0)
        return false;
    const char* order[2] = {bits32 ? "b32" : "bmp", bits32 ? "bmp" : "b32"};
    for (const char* suffix : order) {
        const QString name = CacheFile(frame, suffix);
        QImage picture;
        if (name.isEmpty() || !QFile::exists(name) || !picture.load(name, "BMP"))
            continue;
        out = picture.convertToFormat(bits32 ? QImage::Format_ARGB32 : QImage::Format_RGB888);
        ApplyPixelDrop();
        return true;
    }
    return false;
}

void DicomImageData::SaveCache(const QImage& picture, int frame, bool bits32)
{
    const QString bmp = CacheFile(frame, "bmp");
    const QString b32 = CacheFile(frame, "b32");
    if (bmp.isEmpty())
        return;
    QFile::remove(bmp);
    QFile::remove(b32);
    const QString name = bits32 ? b32 : bmp;
    if (picture.save(name, "BMP"))
        TempBitmapFilename = name;
}

void DicomImageData::ApplyPixelDrop()
{
    if (!m_dataset || IntAttribute(0x0028, 0x0101) > 8)
        return;
    m_dataset->SetByteArrayByTag(PackTag(0x7FE0, 0x0010), {}, true);
    FImageIsThumbnail = true;
}

bool DicomImageData::Render(QImage& out, int frame, bool save, bool bits32)
{
    if (!m_dataset || frame < 0 || IntAttribute(0x0028, 0x0010) <= 0 || IntAttribute(0x0028, 0x0011) <= 0)
        return false;
    m_dataset->SetWindowMode(m_dataset->WindowModeFromAttributes());
    const QImage picture = m_dataset->RenderFrame(static_cast<unsigned>(frame))
                               .convertToFormat(bits32 ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    TempBitmapFilename.clear();
    if (save)
        SaveCache(picture, frame, bits32);
    out = picture;
    return true;
}

QString DicomImageData::InformationText() const
{
    return toolkit::Translate(QStringLiteral("Ingen bildinformation!")) + "\r" +
           toolkit::Translate(QStringLiteral("Modalitet: ")) + Value(0x0008, 0x0060) + "\r" +
           Value(0x0008, 0x1030) + " " + Value(0x0008, 0x0031);
}

QString DicomImageData::Value(int group, int element) const
{
    return m_dataset ? m_dataset->GetValue(group, element) : QString();
}

bool DicomImageData::Picture(QImage& out, int frame, bool saveBitmap, bool bits32)
{
    try {
        if (LoadCache(out, frame, bits32))
            return true;
        const bool save = saveBitmap && IntAttribute(0x0028, 0x0101) < 9;
        switch (Kind()) {
        case SourceKind::None:
        case SourceKind::Folder:
        case SourceKind::Server:
            // A server object without its pixels is fetched by its source
            // first; until then it shows what it has.
            if (Kind() == SourceKind::Server && (FImageIsThumbnail || !m_dataset || m_dataset->PixelsDropped())) {
                images::DrawNotFetchedPlaceholder(out);
                if (bits32)
                    out = out.convertToFormat(QImage::Format_ARGB32);
                return false;
            }
            if (Render(out, frame, save, bits32))
                return true;
            if (bits32)
                images::DrawMessagePlaceholder32(out, InformationText());
            else
                images::DrawMessagePlaceholder(out, InformationText(), kInformationSize);
            return false;
        case SourceKind::Other:
            break;
        }
        images::DrawNoPreviewPlaceholder(out, bits32);
        return false;
    } catch (const std::exception& e) {
        const QString lead = toolkit::Translate(QStringLiteral("Bilden kunde inte visas!")) + "\r";
        if (bits32)
            images::DrawMessagePlaceholder32(out, lead + "Error in GetGraphic: " + ErrorText(e));
        else
            images::DrawMessagePlaceholder(out, lead + "Error in GetGraphic:" + "\r\r" + ErrorText(e),
                                           kInformationSize);
        return false;
    }
}

bool DicomImageData::GetGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap)
{
    return Picture(OutBmp, Framnr, SaveBitmap, false);
}

bool DicomImageData::GetGraphic32(QImage& OutBmp, int Framnr, bool SaveBitmap)
{
    return Picture(OutBmp, Framnr, SaveBitmap, true);
}

bool DicomImageData::GetIconGraphic(QImage& OutBmp, int Framnr, bool SaveBitmap)
{
    QImage picture;
    if (Kind() == SourceKind::Folder && !m_filename.isEmpty()) {
        const QString thumbnail = QFileInfo(m_filename).path() + '/' + QFileInfo(m_filename).completeBaseName() +
                                  QStringLiteral(".tmb");
        if (QFile::exists(thumbnail)) {
            try {
                images::LoadPictureFile(OutBmp, thumbnail, false);
                return true;
            } catch (const std::exception&) {
                // the thumbnail is unreadable: make one from the object
            }
        }
    }
    if (Kind() == SourceKind::Other) {
        images::DrawNoPreviewPlaceholder(OutBmp, false);
        return false;
    }
    bool ok = LoadCache(picture, Framnr, false);
    if (!ok && m_dataset) {
        try {
            picture = m_dataset->RenderIcon().convertToFormat(QImage::Format_RGB888);
            ok = true;
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (!ok)
        ok = GetGraphic(picture, 0, SaveBitmap);
    if (!ok) {
        OutBmp = picture;
        return false;
    }
    images::ScaleToBox(picture, OutBmp, kIconWidth);
    return true;
}

QString DicomImageData::GetDate(bool klockslag_to)
{
    if (!m_dataset)
        return {};
    // (date, time) pairs in the order they are tried.
    static constexpr int kPairs[][2] = {{0x0022, 0x0032}, {0x0023, 0x0033}, {0x0021, 0x0031},
                                        {0x0020, 0x0030}, {0x0012, 0x0013}};
    QString date;
    QString time;
    for (const auto& pair : kPairs) {
        date = Value(0x0008, pair[0]).trimmed();
        if (!date.isEmpty()) {
            time = Value(0x0008, pair[1]).trimmed();
            break;
        }
    }
    if (!klockslag_to || date.isEmpty())
        return date;
    if (!time.isEmpty())
        return date + time;
    for (const auto& pair : kPairs) {
        const QString other = Value(0x0008, pair[1]).trimmed();
        if (!other.isEmpty())
            return date + ' ' + other;
    }
    return date;
}

QString DicomImageData::GetLocation()
{
    switch (Kind()) {
    case SourceKind::None:
    case SourceKind::Folder:
        return m_filename;
    case SourceKind::Server:
        return Value(0x0008, 0x0018);
    case SourceKind::Other:
        break;
    }
    return {};
}

QString DicomImageData::GetDcmValue(int groupId, int itemId)
{
    return Value(groupId, itemId);
}

void DicomImageData::SetDcmValue(int groupId, int itemId, const QString& value, bool overwrite)
{
    if (m_dataset)
        m_dataset->SetValue(groupId, itemId, value, overwrite);
}

bool DicomImageData::TagExistsWithValue(int GroupID, int ItemID) const
{
    return m_dataset && m_dataset->TagHasValue(PackTag(GroupID, ItemID));
}

void DicomImageData::GenerateIcon()
{
    if (!m_dataset)
        throw DicomError("No DICOM object");
    m_dataset->MakeIcon(kIconWidth);
}

void DicomImageData::SaveToFile(const QString& filename, int writeXfer)
{
    GenerateIcon();
    m_dataset->SaveToFile(filename, writeXfer);
    if (!TempBitmapFilename.isEmpty() && QFile::exists(TempBitmapFilename))
        ApplyPixelDrop();
}

QString NormalisePatientId(const QString& id, images::TPatientIdType type, bool trimBlanks)
{
    if (type == images::pidMedBindestreck) {
        QString out = id;
        if (!out.contains('-') && out.size() > 4)
            out.insert(out.size() - 4, '-');
        return out;
    }
    const QString out = RemoveSeparators(id);
    return trimBlanks ? out.trimmed() : out;
}

bool DicomImageData::StoreToFolder(DicomFolderSource& folder)
{
    const QString root = folder.FolderRoot();
    const QString stored = Value(0x0010, 0x0020);
    const QString id = NormalisePatientId(stored, m_handler->PatientIdType, true);
    if (id != stored)
        m_dataset->SetValue(0x0010, 0x0020, id, true);
    const QString sub = SafeFolderPart(id);
    QString name = QFileInfo(m_filename).fileName();
    if (name.isEmpty()) {
        const QString uid = Value(0x0008, 0x0018).trimmed();
        if (!IsFileNameUid(uid))
            throw DicomError("The object has no usable SOP Instance UID for a file name");
        name = uid + QStringLiteral(".dcm");
    }
    if (sub.isEmpty() || SafeFolderPart(name) != name)
        throw DicomError("The Patient ID or the file name cannot name a file");
    const QString target = QDir(QDir(root).filePath(sub)).filePath(name);
    if (!IsUnder(target, root))
        throw DicomError("The file would lie outside the DICOM folder");
    m_filename = target;
    if (FPD_TransferSyntax < 0 || FPD_TransferSyntax > 30)
        FPD_TransferSyntax = 0;
    GenerateIcon();
    if (!QDir().mkpath(QFileInfo(target).path()))
        throw DicomError((toolkit::Translate(QStringLiteral("Det gick inte att skapa DicomDir-katalogen: ")) + root +
                          '/' + sub + '/')
                             .toStdString());
    m_dataset->SaveToFile(m_filename, FPD_TransferSyntax);
    return true;
}

bool DicomImageData::Store(bool silenterrors, QString& errorres)
{
    const SourceKind kind = Kind();
    if (kind != SourceKind::Folder && kind != SourceKind::Server)
        return false;
    try {
        if (!m_dataset)
            throw DicomError("No DICOM object");
        // A dataset whose pixels were dropped would replace the stored
        // picture by none.
        if (m_dataset->PixelsDropped())
            throw DicomError("The object holds no pixel data");
        if (kind == SourceKind::Folder) {
            StoreToFolder(*dynamic_cast<DicomFolderSource*>(m_handler));
        } else {
            m_dataset->SetValue(0x0010, 0x0020,
                                NormalisePatientId(Value(0x0010, 0x0020), m_handler->PatientIdType, false), true);
            GenerateIcon();
            dynamic_cast<DicomServerSource*>(m_handler)->StoreDataSet(*m_dataset, FPD_TransferSyntax);
        }
        if (!TempBitmapFilename.isEmpty() && QFile::exists(TempBitmapFilename))
            ApplyPixelDrop();
        return true;
    } catch (const std::exception& e) {
        const QString text = kind == SourceKind::Folder
                                 ? toolkit::Translate(QStringLiteral("Det gick inte att spara bilden!")) + "\r\r" +
                                       ErrorText(e)
                                 : QStringLiteral("Error in Store: ") + ErrorText(e);
        if (silenterrors)
            errorres = text;
        else
            toolkit::ShowError(text);
        return false;
    }
}

bool DicomImageData::Delete()
{
    // Without a source nothing says where the object may be deleted.
    auto* folder = dynamic_cast<DicomFolderSource*>(m_handler);
    if (folder == nullptr || m_filename.isEmpty())
        return false;
    const QString path = QDir::cleanPath(QFileInfo(m_filename).absoluteFilePath());
    if (!IsUnder(path, folder->FolderRoot()))
        return false;
    QStringList& files = folder->FileList();
    bool listed = false;
    for (qsizetype i = files.size() - 1; i >= 0; --i)
        if (QDir::cleanPath(QFileInfo(files[i]).absoluteFilePath()) == path) {
            files.removeAt(i);
            listed = true;
        }
    return listed && QFile::remove(path);
}

} // namespace dicom
