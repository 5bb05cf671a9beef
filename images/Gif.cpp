#include "images/Gif.h"

#include "images/ColorQuantizer.h"
#include "images/codecs/GraphicFormat.h"

#include <gif_lib.h>

#include <vector>

namespace images {

namespace {

int AppendToArray(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

[[noreturn]] void Fail(int error)
{
    throw EGraphicFormat(std::string("GIF saving error: ") + GifErrorString(error));
}

} // namespace

QImage QuantizeTo8Bit(const QImage& bitmap)
{
    TColorQuantizer quantizer(256, 8);
    quantizer.ProcessImage(bitmap);
    return bitmap.convertToFormat(kFormat24).convertToFormat(
        QImage::Format_Indexed8, quantizer.GetColorTable(), Qt::ThresholdDither);
}

QByteArray EncodeGif(const QImage& bitmap)
{
    if (bitmap.isNull() || bitmap.width() > 65535 || bitmap.height() > 65535)
        throw EGraphicFormat("GIF pictures hold 1 to 65535 pixels in each direction");
    const QImage indexed = QuantizeTo8Bit(bitmap);

    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < table.size(); ++i)
        colours[i] = {GifByteType(qRed(table[i])), GifByteType(qGreen(table[i])),
                      GifByteType(qBlue(table[i]))};

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToArray, &error);
    if (!gif)
        Fail(error);
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    bool ok = map && EGifPutScreenDesc(gif, indexed.width(), indexed.height(), 8, 0, map) == GIF_OK
              && EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < indexed.height(); ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(indexed.constScanLine(y)), indexed.width())
             == GIF_OK;
    if (!ok)
        error = gif->Error;
    GifFreeMapObject(map);
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) != GIF_OK && ok) {
        ok = false;
        error = closeError;
    }
    if (!ok)
        Fail(error);
    return out;
}

} // namespace images
