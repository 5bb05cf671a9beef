#include "dicom/DicomDataSet.h"

#include "dicom/DicomSetup.h"
#include "dicom/TextValues.h"
#include "dicom/TransferSyntax.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcdict.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcvrobow.h>

#include <algorithm>
#include <cmath>
#include <new>

using dicom::DicomError;

namespace {

DcmTagKey KeyOf(quint32 tag)
{
    return DcmTagKey(static_cast<Uint16>(tag >> 16), static_cast<Uint16>(tag & 0xFFFF));
}

// Longer values (pixels, bulk data) are not turned into text for listing.
constexpr quint32 kLongestListedValue = 1024;

void Check(const OFCondition& condition, const char* what)
{
    if (condition.bad())
        throw DicomError(std::string(what) + ": " + condition.text());
}

} // namespace

IDicomDataSet::IDicomDataSet() : m_file(std::make_unique<DcmFileFormat>())
{
    dicom::RegisterCodecs();
}

IDicomDataSet::~IDicomDataSet() = default;

DcmDataset& IDicomDataSet::Dataset() const
{
    return *m_file->getDataset();
}

void IDicomDataSet::LoadFile(const QString& path)
{
    auto file = std::make_unique<DcmFileFormat>();
    try {
        Check(file->loadFile(OFFilename(path.toLocal8Bit().constData()), EXS_Unknown, EGL_noChange,
                             DCM_MaxReadLength, ERM_autoDetect),
              "LoadFile");
    } catch (const std::bad_alloc&) {
        throw DicomError("LoadFile: out of memory");
    }
    m_file = std::move(file);
    m_pixelsDropped = false;
}

QByteArray IDicomDataSet::CharacterSet() const
{
    OFString charset;
    Dataset().findAndGetOFStringArray(DCM_SpecificCharacterSet, charset);
    return QByteArray(charset.c_str(), static_cast<qsizetype>(charset.length()));
}

QString IDicomDataSet::GetValue(int group, int element) const
{
    return GetValueByTag(dicom::PackTag(group, element));
}

QString IDicomDataSet::GetValueByTag(quint32 tag) const
{
    OFString value;
    if (Dataset().findAndGetOFStringArray(KeyOf(tag), value).bad())
        return {};
    return dicom::DecodeValue(QByteArray(value.c_str(), static_cast<qsizetype>(value.length())), CharacterSet());
}

void IDicomDataSet::SetValue(int group, int element, const QString& value, bool overwrite)
{
    SetValueByTag(dicom::PackTag(group, element), value, overwrite);
}

void IDicomDataSet::SetValueByTag(quint32 tag, const QString& value, bool overwrite)
{
    const DcmTagKey key = KeyOf(tag);
    if (value.isEmpty()) {
        Check(Dataset().insertEmptyElement(key, overwrite), "SetValue");
        return;
    }
    if (!overwrite && Dataset().tagExists(key))
        return;
    const QByteArray bytes = dicom::EncodeValue(value, CharacterSet());
    Check(Dataset().putAndInsertString(key, bytes.constData(), true), "SetValue");
}

long IDicomDataSet::GetIntByTag(quint32 tag) const
{
    const DcmTagKey key = KeyOf(tag);
    long int value = 0;
    if (Dataset().findAndGetLongInt(key, value).good())
        return value;
    OFString text;
    Check(Dataset().findAndGetOFString(key, text), "GetIntByTag");
    bool ok = false;
    const long parsed = QString::fromLatin1(text.c_str()).trimmed().toLong(&ok);
    if (!ok)
        throw DicomError("GetIntByTag: not a number");
    return parsed;
}

long IDicomDataSet::IntValueOrZero(quint32 tag) const
{
    if (!TagHasValue(tag))
        return 0;
    try {
        return GetIntByTag(tag);
    } catch (const DicomError&) {
        return 0;
    }
}

bool IDicomDataSet::TagExists(quint32 tag) const
{
    return Dataset().tagExists(KeyOf(tag));
}

bool IDicomDataSet::TagHasValue(quint32 tag) const
{
    return Dataset().tagExistsWithValue(KeyOf(tag));
}

QString IDicomDataSet::GetName(int group, int element) const
{
    DcmTag tag(static_cast<Uint16>(group), static_cast<Uint16>(element));
    return QString::fromLatin1(tag.getTagName());
}

bool IDicomDataSet::TagByKeyword(const QString& keyword, int& group, int& element) const
{
    if (keyword.trimmed().isEmpty())
        return false;
    DcmTag tag;
    if (DcmTag::findTagFromName(keyword.trimmed().toLatin1().constData(), tag).bad())
        return false;
    group = tag.getGTag();
    element = tag.getETag();
    return true;
}

int IDicomDataSet::GetVR(int group, int element) const
{
    const DcmTagKey key(static_cast<Uint16>(group), static_cast<Uint16>(element));
    DcmElement* found = nullptr;
    if (Dataset().findAndGetElement(key, found).good() && found != nullptr)
        return found->getTag().getEVR();
    return DcmTag(key).getEVR();
}

std::vector<dicom::DicomAttribute> IDicomDataSet::GetAllAttributes() const
{
    std::vector<dicom::DicomAttribute> items;
    DcmDataset& dataset = Dataset();
    const QByteArray charset = CharacterSet();
    for (unsigned long i = 0; i < dataset.card(); ++i) {
        DcmElement* element = dataset.getElement(i);
        if (element == nullptr)
            continue;
        dicom::DicomAttribute item;
        item.Group = element->getGTag();
        item.Element = element->getETag();
        item.Name = QString::fromLatin1(DcmTag(element->getTag()).getTagName());
        item.Length = element->getLength();
        OFString value;
        // Bulk data and sequences are listed by name and length only.
        if (element->isLeaf() && item.Length <= kLongestListedValue &&
            element->getOFStringArray(value, OFFalse).good())
            item.Value = dicom::DecodeValue(QByteArray(value.c_str(), static_cast<qsizetype>(value.length())),
                                            charset);
        items.push_back(std::move(item));
    }
    return items;
}

QByteArray IDicomDataSet::GetByteArray(int group, int element) const
{
    const Uint8* bytes = nullptr;
    unsigned long count = 0;
    const DcmTagKey key(static_cast<Uint16>(group), static_cast<Uint16>(element));
    if (Dataset().findAndGetUint8Array(key, bytes, &count).bad() || bytes == nullptr)
        return {};
    return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
}

void IDicomDataSet::SetByteArrayByTag(quint32 tag, const QByteArray& bytes, bool replace)
{
    const DcmTagKey key = KeyOf(tag);
    if (key == DCM_PixelData && bytes.isEmpty()) {
        Dataset().findAndDeleteElement(DCM_PixelData);
        m_pixelsDropped = true;
        return;
    }
    if (!replace && Dataset().tagExists(key))
        return;
    Check(Dataset().putAndInsertUint8Array(key, reinterpret_cast<const Uint8*>(bytes.constData()),
                                           static_cast<unsigned long>(bytes.size()), true),
          "SetByteArray");
}

int IDicomDataSet::GetTransferSyntax() const
{
    return dicom::FromDcmtkTransferSyntax(Dataset().getCurrentXfer()).value_or(-1);
}

int IDicomDataSet::GetArrivalTransferSyntax() const
{
    return dicom::FromDcmtkTransferSyntax(Dataset().getOriginalXfer()).value_or(-1);
}

void IDicomDataSet::SaveToFile(const QString& path, int transferSyntaxCode)
{
    if (m_pixelsDropped)
        throw DicomError("SaveToFile: the object's pixel data were dropped");
    E_TransferSyntax xfer = dicom::ToDcmtkTransferSyntax(transferSyntaxCode);
    if (xfer == EXS_Unknown)
        xfer = Dataset().getOriginalXfer();
    DcmDataset& dataset = Dataset();
    if (dataset.tagExists(DCM_PixelData)) {
        Check(dataset.chooseRepresentation(xfer, nullptr), "SaveToFile");
        if (!dataset.canWriteXfer(xfer))
            throw DicomError(std::string("SaveToFile: cannot write ") + DcmXfer(xfer).getXferName());
    }
    Check(m_file->saveFile(OFFilename(path.toLocal8Bit().constData()), xfer), "SaveToFile");
}

void IDicomDataSet::SaveToFileDefault(const QString& path)
{
    SaveToFile(path, -1);
}

dicom::WindowMode IDicomDataSet::WindowModeFromAttributes() const
{
    return dicom::WindowModeFor(GetValueByTag(dicom::PackTag(0x0028, 0x1055)),
                                GetValueByTag(dicom::PackTag(0x0028, 0x0101)),
                                GetValueByTag(dicom::PackTag(0x0028, 0x1050)),
                                GetValueByTag(dicom::PackTag(0x0028, 0x1051)));
}

std::unique_ptr<dicom::FrameRenderer> IDicomDataSet::FrameRendererFor(unsigned frame) const
{
    if (m_pixelsDropped)
        throw DicomError("The object's pixel data were dropped");
    auto renderer = std::make_unique<dicom::FrameRenderer>(Dataset(), Dataset().getOriginalXfer(), frame, m_pixelCap);
    renderer->setWindowMode(m_windowMode);
    return renderer;
}

QImage IDicomDataSet::RenderFrame(unsigned frame) const
{
    try {
        return FrameRendererFor(frame)->render();
    } catch (const std::bad_alloc&) {
        throw DicomError("Out of memory while rendering");
    }
}

unsigned IDicomDataSet::FrameCount() const
{
    const long frames = IntValueOrZero(dicom::PackTag(0x0028, 0x0008));
    return frames > 1 ? static_cast<unsigned>(frames) : 1U;
}

void IDicomDataSet::MakeIcon(int width)
{
    const long rows = IntValueOrZero(dicom::PackTag(0x0028, 0x0010));
    const long columns = IntValueOrZero(dicom::PackTag(0x0028, 0x0011));
    if (width < 1 || rows < 1 || columns < 1)
        throw DicomError("MakeIcon: the object has no picture");
    // Width `width`, height Rows / (Columns / width), rounded.
    const long height = std::lround(static_cast<double>(rows) * width / static_cast<double>(columns));
    const QImage icon = FrameRendererFor(0)->renderScaled(width, static_cast<int>(std::max(1L, height)));
    const bool grey = icon.format() == QImage::Format_Grayscale8;
    QByteArray pixels;
    const qsizetype rowBytes = static_cast<qsizetype>(icon.width()) * (grey ? 1 : 3);
    for (int y = 0; y < icon.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(icon.constScanLine(y)), rowBytes);

    Dataset().findAndDeleteElement(DCM_IconImageSequence);
    DcmItem* item = nullptr;
    Check(Dataset().findOrCreateSequenceItem(DCM_IconImageSequence, item, 0), "MakeIcon");
    item->putAndInsertUint16(DCM_SamplesPerPixel, grey ? 1 : 3);
    item->putAndInsertString(DCM_PhotometricInterpretation, grey ? "MONOCHROME2" : "RGB");
    if (!grey)
        item->putAndInsertUint16(DCM_PlanarConfiguration, 0);
    item->putAndInsertUint16(DCM_Rows, static_cast<Uint16>(icon.height()));
    item->putAndInsertUint16(DCM_Columns, static_cast<Uint16>(icon.width()));
    item->putAndInsertUint16(DCM_BitsAllocated, 8);
    item->putAndInsertUint16(DCM_BitsStored, 8);
    item->putAndInsertUint16(DCM_HighBit, 7);
    item->putAndInsertUint16(DCM_PixelRepresentation, 0);
    Check(item->putAndInsertUint8Array(DCM_PixelData, reinterpret_cast<const Uint8*>(pixels.constData()),
                                       static_cast<unsigned long>(pixels.size())),
          "MakeIcon");
}

DcmItem* IDicomDataSet::IconItem() const
{
    DcmItem* item = nullptr;
    if (Dataset().findAndGetSequenceItem(DCM_IconImageSequence, item, 0).bad())
        return nullptr;
    return item;
}

bool IDicomDataSet::GetIconSize(int& width, int& height) const
{
    DcmItem* item = IconItem();
    Uint16 rows = 0;
    Uint16 columns = 0;
    if (item == nullptr || item->findAndGetUint16(DCM_Rows, rows).bad() ||
        item->findAndGetUint16(DCM_Columns, columns).bad())
        return false;
    width = columns;
    height = rows;
    return width > 0 || height > 0;
}

QImage IDicomDataSet::RenderIcon() const
{
    DcmItem* item = IconItem();
    if (item == nullptr)
        throw DicomError("The object has no icon");
    // Icons are always held uncompressed.
    // and already windowed to 8 bits.
    dicom::FrameRenderer renderer(*item, EXS_LittleEndianExplicit, 0, m_pixelCap);
    renderer.setWindowMode(dicom::WindowMode::Default);
    return renderer.render();
}
