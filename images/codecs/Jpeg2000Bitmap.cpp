#include "images/codecs/Jpeg2000Bitmap.h"

#include <openjpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace images {

namespace {

constexpr const char* kDecodingFailed = "JPEG 2000 image decoding failed";

const QByteArray kJp2Signature("\x00\x00\x00\x0C\x6A\x50\x20\x20", 8);
const QByteArray kCodeStreamStart("\xFF\x4F\xFF\x51", 4);

struct CodecDeleter {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using Codec = std::unique_ptr<opj_codec_t, CodecDeleter>;
using Stream = std::unique_ptr<opj_stream_t, StreamDeleter>;
using Image = std::unique_ptr<opj_image_t, ImageDeleter>;

// The bytes the decoder reads, and how far into them it got.
struct MemoryInput {
    const QByteArray& data;
    OPJ_SIZE_T pos = 0;
    OPJ_SIZE_T used = 0;
};

Stream InputStream(MemoryInput& input)
{
    Stream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
    opj_stream_set_user_data(stream.get(), &input, nullptr);
    opj_stream_set_user_data_length(stream.get(), OPJ_UINT64(input.data.size()));
    opj_stream_set_read_function(stream.get(), [](void* buffer, OPJ_SIZE_T count, void* user) {
        auto& in = *static_cast<MemoryInput*>(user);
        const OPJ_SIZE_T size = OPJ_SIZE_T(in.data.size());
        if (in.pos >= size)
            return OPJ_SIZE_T(-1);
        count = std::min(count, size - in.pos);
        std::memcpy(buffer, in.data.constData() + in.pos, count);
        in.pos += count;
        in.used = std::max(in.used, in.pos);
        return count;
    });
    opj_stream_set_skip_function(stream.get(), [](OPJ_OFF_T count, void* user) -> OPJ_OFF_T {
        auto& in = *static_cast<MemoryInput*>(user);
        const OPJ_OFF_T target = std::clamp<OPJ_OFF_T>(OPJ_OFF_T(in.pos) + count, 0, in.data.size());
        const OPJ_OFF_T skipped = target - OPJ_OFF_T(in.pos);
        in.pos = OPJ_SIZE_T(target);
        return skipped;
    });
    opj_stream_set_seek_function(stream.get(), [](OPJ_OFF_T position, void* user) -> OPJ_BOOL {
        auto& in = *static_cast<MemoryInput*>(user);
        if (position < 0 || position > in.data.size())
            return OPJ_FALSE;
        in.pos = OPJ_SIZE_T(position);
        return OPJ_TRUE;
    });
    return stream;
}

// The growing buffer the encoder writes into.
struct MemoryOutput {
    QByteArray data;
    qsizetype pos = 0;
};

Stream OutputStream(MemoryOutput& output)
{
    Stream stream(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE));
    opj_stream_set_user_data(stream.get(), &output, nullptr);
    opj_stream_set_write_function(stream.get(), [](void* buffer, OPJ_SIZE_T count, void* user) {
        auto& out = *static_cast<MemoryOutput*>(user);
        const qsizetype end = out.pos + qsizetype(count);
        if (end > out.data.size())
            out.data.resize(end);
        std::memcpy(out.data.data() + out.pos, buffer, count);
        out.pos = end;
        return count;
    });
    opj_stream_set_skip_function(stream.get(), [](OPJ_OFF_T count, void* user) -> OPJ_OFF_T {
        auto& out = *static_cast<MemoryOutput*>(user);
        if (out.pos + count < 0)
            return -1;
        out.pos += count;
        if (out.pos > out.data.size())
            out.data.resize(out.pos, '\0');
        return count;
    });
    opj_stream_set_seek_function(stream.get(), [](OPJ_OFF_T position, void* user) -> OPJ_BOOL {
        auto& out = *static_cast<MemoryOutput*>(user);
        if (position < 0)
            return OPJ_FALSE;
        out.pos = position;
        if (out.pos > out.data.size())
            out.data.resize(out.pos, '\0');
        return OPJ_TRUE;
    });
    return stream;
}

bool IsYcc(const opj_image_t& image)
{
    return image.color_space == OPJ_CLRSPC_SYCC || image.color_space == OPJ_CLRSPC_EYCC;
}

// The pixel byte a component fills (0 blue, 1 green, 2 red, 3 alpha), by its
// channel role. OpenJPEG marks alpha; the colour space names the other roles.
int ByteOfComponent(const opj_image_t& image, int index)
{
    if (image.comps[index].alpha)
        return 3;
    const int count = int(image.numcomps);
    if (image.color_space == OPJ_CLRSPC_SRGB && index < 3)
        return 2 - index; // red, green, blue
    if (IsYcc(image) && index < 3)
        return 2 - index; // luminance, Cb, Cr
    if (image.color_space == OPJ_CLRSPC_GRAY && index == 0)
        return 0; // luminance of a greyscale picture
    return count - 1 - index;
}

// Samples of one component as bytes.
uchar SampleToByte(qint64 sample, const opj_image_comp_t& comp)
{
    if (comp.sgnd)
        sample += qint64(1) << (comp.prec - 1);
    if (comp.prec == 8)
        return uchar(sample & 0xFF);
    const qint64 maximum = (qint64(1) << comp.prec) - 1;
    return uchar(std::clamp<qint64>(sample * 255 / maximum, 0, 255));
}

// Spreads a component over the pixels of the bitmap, one byte per pixel at
// the given offset within pixels of `stride` bytes.
void SpreadComponent(const opj_image_comp_t& comp, int width, int height, uchar* pixels,
                     int stride, int offset)
{
    for (int y = 0; y < height; ++y) {
        const OPJ_UINT32 sy = OPJ_UINT32(y) / comp.dy;
        if (sy >= comp.h)
            break;
        const OPJ_INT32* row = comp.data + std::size_t(sy) * comp.w;
        uchar* out = pixels + std::size_t(y) * width * stride + offset;
        for (int x = 0; x < width; ++x) {
            const OPJ_UINT32 sx = OPJ_UINT32(x) / comp.dx;
            if (sx >= comp.w)
                break;
            out[std::size_t(x) * stride] = SampleToByte(row[sx], comp);
        }
    }
}

uchar RoundedByte(double value)
{
    return uchar(std::clamp(std::nearbyint(value), 0.0, 255.0));
}

void YccToRgb(uchar* pixels, qsizetype count, int stride)
{
    for (qsizetype i = 0; i < count; ++i, pixels += stride) {
        const double y = pixels[2];
        const double cb = pixels[1] - 128.0;
        const double cr = pixels[0] - 128.0;
        pixels[2] = RoundedByte(y + 1.402 * cr);
        pixels[1] = RoundedByte(y - 0.34414 * cb - 0.71414 * cr);
        pixels[0] = RoundedByte(y + 1.772 * cb);
    }
}

bool ValidComponents(const opj_image_t& image)
{
    for (OPJ_UINT32 i = 0; i < image.numcomps; ++i) {
        const opj_image_comp_t& c = image.comps[i];
        if (!c.data || c.prec < 1 || c.prec > 31 || c.dx == 0 || c.dy == 0)
            return false;
    }
    return true;
}

} // namespace

float Jpeg2000Rate(int quality, qint64 width, qint64 height, int components)
{
    const float f = 100.0f / float((115 - quality) * (115 - quality));
    const float s = float(width) * float(height) * float(components);
    return s / (s * f + 550.0f + 142.0f * float(components - 1));
}

void TJpeg2000Bitmap::LoadFromStream(QIODevice& stream)
{
    const QByteArray data = ReadFromStart(stream);
    const qsizetype used = Decode(data);
    if (!stream.isSequential())
        stream.seek(used);
}

void TJpeg2000Bitmap::SaveToStream(QIODevice& stream) const
{
    WriteFromStart(stream, Encode());
}

qsizetype TJpeg2000Bitmap::Decode(const QByteArray& data)
{
    OPJ_CODEC_FORMAT format;
    if (data.startsWith(kJp2Signature))
        format = OPJ_CODEC_JP2;
    else if (data.startsWith(kCodeStreamStart))
        format = OPJ_CODEC_J2K;
    else
        throw EJpeg2000Error("Unknown JPEG 2000 file type");

    MemoryInput input{data};
    Stream stream = InputStream(input);
    Codec codec(opj_create_decompress(format));
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    opj_image_t* header = nullptr;
    if (!opj_setup_decoder(codec.get(), &parameters)
        || !opj_read_header(stream.get(), codec.get(), &header))
        throw EJpeg2000Error(kDecodingFailed);
    Image image(header);

    // Refuse sizes no real picture has before the decoder allocates for them
    // (four bytes per sample).
    const qint64 width = qint64(image->x1) - image->x0;
    const qint64 height = qint64(image->y1) - image->y0;
    if (image->numcomps == 0 || width <= 0 || height <= 0 || width * height > kMaxBitmapPixels
        || width * height * image->numcomps > 2 * kMaxBitmapPixels)
        throw EJpeg2000Error(kDecodingFailed);
    // Every tile takes at least a tile-part header (SOT and SOD, 14 bytes);
    // a file promising more tiles than that would only make the decoder spin.
    opj_codestream_info_v2_t* info = opj_get_cstr_info(codec.get());
    const qint64 tiles = info ? qint64(info->tw) * info->th : 0;
    opj_destroy_cstr_info(&info);
    if (tiles * 14 > data.size())
        throw EJpeg2000Error(kDecodingFailed);
    if (!opj_decode(codec.get(), stream.get(), image.get())
        || !opj_end_decompress(codec.get(), stream.get()) || !ValidComponents(*image))
        throw EJpeg2000Error(kDecodingFailed);

    const int count = int(image->numcomps);
    if (count == 3 || count == 4) {
        const int stride = 4;
        std::vector<uchar> pixels(std::size_t(width * height) * stride, 0);
        for (int i = 0; i < count; ++i) {
            const int byte = ByteOfComponent(*image, i);
            if (byte < count)
                SpreadComponent(image->comps[i], int(width), int(height), pixels.data(), stride, byte);
        }
        if (IsYcc(*image))
            YccToRgb(pixels.data(), width * height, stride);
        bitmap = NewBitmap(width, height, count == 3 ? kFormat24 : QImage::Format_ARGB32,
                           kDecodingFailed);
        const uchar* p = pixels.data();
        for (int y = 0; y < height; ++y) {
            uchar* out = bitmap.scanLine(y);
            for (int x = 0; x < width; ++x, p += stride) {
                if (count == 3) {
                    out[3 * x] = p[2];
                    out[3 * x + 1] = p[1];
                    out[3 * x + 2] = p[0];
                } else {
                    reinterpret_cast<QRgb*>(out)[x] = qRgba(p[2], p[1], p[0], p[3]);
                }
            }
        }
    } else {
        bitmap = NewBitmap(width, height, QImage::Format_Indexed8, kDecodingFailed);
        bitmap.setColorTable(GreyPalette());
        std::vector<uchar> grey(std::size_t(width * height), 0);
        SpreadComponent(image->comps[0], int(width), int(height), grey.data(), 1, 0);
        for (int y = 0; y < height; ++y)
            std::memcpy(bitmap.scanLine(y), grey.data() + std::size_t(y) * width, width);
    }
    return qsizetype(input.used);
}

QByteArray TJpeg2000Bitmap::Encode() const
{
    const bool alpha = bitmap.format() == QImage::Format_ARGB32;
    const QImage source = bitmap.convertToFormat(alpha ? QImage::Format_ARGB32 : kFormat24);
    const int count = alpha ? 4 : 3;
    const int width = source.width();
    const int height = source.height();

    std::array<opj_image_cmptparm_t, 4> parameters{};
    for (int i = 0; i < count; ++i) {
        opj_image_cmptparm_t& p = parameters[i];
        p.dx = p.dy = 1;
        p.w = OPJ_UINT32(width);
        p.h = OPJ_UINT32(height);
        p.prec = 8;
        p.sgnd = 0;
    }
    Image image(source.isNull() ? nullptr
                                : opj_image_create(OPJ_UINT32(count), parameters.data(), OPJ_CLRSPC_SRGB));
    if (!image)
        throw EJpeg2000Error("Failed to create JPEG 2000 image struct for saving");
    image->x1 = OPJ_UINT32(width);
    image->y1 = OPJ_UINT32(height);
    if (alpha)
        image->comps[3].alpha = 1;
    for (int y = 0; y < height; ++y) {
        const uchar* row = source.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::size_t at = std::size_t(y) * width + x;
            if (alpha) {
                const QRgb c = reinterpret_cast<const QRgb*>(row)[x];
                image->comps[0].data[at] = qRed(c);
                image->comps[1].data[at] = qGreen(c);
                image->comps[2].data[at] = qBlue(c);
                image->comps[3].data[at] = qAlpha(c);
            } else {
                for (int i = 0; i < 3; ++i)
                    image->comps[i].data[at] = row[3 * x + i];
            }
        }
    }

    opj_cparameters_t encoding;
    opj_set_default_encoder_parameters(&encoding);
    encoding.cp_disto_alloc = 1;
    encoding.tcp_numlayers = 1;
    encoding.tcp_mct = 1;
    encoding.tcp_rates[0] = FLossless ? 0.0f : Jpeg2000Rate(FQuality, width, height, count);
    // Six resolution levels, fewer for pictures too small to halve five times.
    int levels = 1;
    while (levels < 6 && (std::min(width, height) >> levels) > 0)
        ++levels;
    encoding.numresolution = levels;

    MemoryOutput output;
    Stream stream = OutputStream(output);
    Codec codec(opj_create_compress(OPJ_CODEC_JP2));
    if (!opj_setup_encoder(codec.get(), &encoding, image.get())
        || !opj_start_compress(codec.get(), image.get(), stream.get())
        || !opj_encode(codec.get(), stream.get()) || !opj_end_compress(codec.get(), stream.get()))
        throw EJpeg2000Error("JPEG 2000 image encoding failed");
    stream.reset();
    return output.data;
}

} // namespace images
