#include "images/codecs/Jpeg2000Bitmap.h"

#include "TestData.h"

#include <QBuffer>
#include <QFile>

#include <openjpeg.h>

#include <cstring>
#include <vector>

using namespace images;
using namespace images::testing;

namespace {

struct Component {
    std::vector<int> samples;
    int dx = 1;
    int dy = 1;
    int prec = 8;
    bool sgnd = false;
};

// Encodes components losslessly with OpenJPEG itself, so that the decoder
// meets layouts our own encoder never writes.
QByteArray EncodeComponents(const std::vector<Component>& components, int width, int height,
                            OPJ_CODEC_FORMAT format, OPJ_COLOR_SPACE space)
{
    std::vector<opj_image_cmptparm_t> parameters(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        const Component& c = components[i];
        opj_image_cmptparm_t& p = parameters[i];
        p = {};
        p.dx = OPJ_UINT32(c.dx);
        p.dy = OPJ_UINT32(c.dy);
        p.w = OPJ_UINT32((width + c.dx - 1) / c.dx);
        p.h = OPJ_UINT32((height + c.dy - 1) / c.dy);
        p.prec = OPJ_UINT32(c.prec);
        p.sgnd = c.sgnd;
    }
    opj_image_t* image = opj_image_create(OPJ_UINT32(components.size()), parameters.data(), space);
    image->x1 = OPJ_UINT32(width);
    image->y1 = OPJ_UINT32(height);
    for (std::size_t i = 0; i < components.size(); ++i)
        std::copy(components[i].samples.begin(), components[i].samples.end(), image->comps[i].data);

    opj_cparameters_t encoding;
    opj_set_default_encoder_parameters(&encoding);
    encoding.tcp_numlayers = 1;
    encoding.tcp_rates[0] = 0;
    encoding.cp_disto_alloc = 1;
    encoding.numresolution = 1;
    const char* path = "/tmp/tq7-j2k-test.bin";
    opj_stream_t* stream = opj_stream_create_default_file_stream(path, OPJ_FALSE);
    opj_codec_t* codec = opj_create_compress(format);
    const bool ok = opj_setup_encoder(codec, &encoding, image) && opj_start_compress(codec, image, stream)
                    && opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    EXPECT_TRUE(ok);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray data = file.readAll();
    file.remove();
    return data;
}

QImage Decoded(const QByteArray& data)
{
    TJpeg2000Bitmap jpeg2000;
    jpeg2000.Decode(data);
    return jpeg2000.bitmap;
}

QByteArray Encoded(const QImage& image, bool lossless, int quality = 80)
{
    TJpeg2000Bitmap jpeg2000;
    jpeg2000.bitmap = image;
    jpeg2000.SetLossless(lossless);
    jpeg2000.SetQuality(quality);
    return jpeg2000.Encode();
}

} // namespace

TEST(Jpeg2000Bitmap, LosslessFilesRoundTrip)
{
    const QImage rgb = Pattern24(40, 33);
    const QByteArray file = Encoded(rgb, true);
    EXPECT_TRUE(file.startsWith(QByteArray("\x00\x00\x00\x0C\x6A\x50\x20\x20", 8))); // always JP2
    EXPECT_EQ(Decoded(file), rgb);

    QImage argb = Pattern24(17, 9).convertToFormat(QImage::Format_ARGB32);
    argb.setPixel(3, 4, qRgba(1, 2, 3, 40));
    argb.setPixel(0, 0, qRgba(200, 100, 50, 0));
    const QImage back = Decoded(Encoded(argb, true));
    EXPECT_EQ(back.format(), QImage::Format_ARGB32);
    EXPECT_EQ(back, argb);
}

TEST(Jpeg2000Bitmap, SmallPicturesCanBeSaved)
{
    const QImage tiny = Pattern24(3, 2);
    EXPECT_EQ(Decoded(Encoded(tiny, true)), tiny);
}

TEST(Jpeg2000Bitmap, StreamKindIsDetectedFromTheFirstBytes)
{
    const Component grey{{0, 50, 100, 150, 200, 250}};
    const QByteArray raw = EncodeComponents({grey, grey, grey}, 3, 2, OPJ_CODEC_J2K, OPJ_CLRSPC_UNSPECIFIED);
    ASSERT_TRUE(raw.startsWith("\xFF\x4F\xFF\x51"));
    EXPECT_EQ(Decoded(raw).pixel(2, 1), qRgb(250, 250, 250));

    ExpectFormatError([] { Decoded(Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0, 0})); },
                      "Unknown JPEG 2000 file type");
    ExpectFormatError([] { Decoded(QByteArray("\x00\x00\x00\x0C\x6A\x50\x20\x20garbage", 15)); },
                      "JPEG 2000 image decoding failed");
    ExpectFormatError([&] { Decoded(raw.left(raw.size() / 2)); }, "JPEG 2000 image decoding failed");
}

TEST(Jpeg2000Bitmap, TwoComponentsGiveGreyFromTheFirst)
{
    const QByteArray file = EncodeComponents({{{10, 20, 30, 40}}, {{99, 99, 99, 99}}}, 2, 2,
                                             OPJ_CODEC_JP2, OPJ_CLRSPC_GRAY);
    const QImage image = Decoded(file);
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.colorTable(), GreyPalette());
    EXPECT_EQ(image.pixelIndex(0, 0), 10);
    EXPECT_EQ(image.pixelIndex(1, 1), 40);
}

TEST(Jpeg2000Bitmap, PrecisionAndSignednessBecomeBytes)
{
    const Component twelveBit{{0, 2048, 4095, 1000}, 1, 1, 12};
    const Component signedEight{{-128, 0, 127, -1}, 1, 1, 8, true};
    const QImage image = Decoded(EncodeComponents({twelveBit, signedEight, twelveBit}, 4, 1,
                                                  OPJ_CODEC_J2K, OPJ_CLRSPC_UNSPECIFIED));
    // Component 0 is red, 1 green, 2 blue; 12-bit samples take x * 255 div 4095.
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(127, 128, 127));
    EXPECT_EQ(image.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(3, 0), qRgb(62, 127, 62));
}

TEST(Jpeg2000Bitmap, SubsampledComponentsAreSpread)
{
    const Component red{{1, 2, 3, 4, 5, 6, 7, 8, 9}};
    const Component half{{100, 200, 150, 250}, 2, 2};
    const QImage image = Decoded(EncodeComponents({red, half, half}, 3, 3, OPJ_CODEC_J2K,
                                                  OPJ_CLRSPC_UNSPECIFIED));
    EXPECT_EQ(image.pixel(0, 0), qRgb(1, 100, 100));
    EXPECT_EQ(image.pixel(1, 1), qRgb(5, 100, 100));
    EXPECT_EQ(image.pixel(2, 0), qRgb(3, 200, 200));
    EXPECT_EQ(image.pixel(0, 2), qRgb(7, 150, 150));
    EXPECT_EQ(image.pixel(2, 2), qRgb(9, 250, 250));
}

TEST(Jpeg2000Bitmap, YccPicturesAreConvertedToRgb)
{
    const QByteArray file = EncodeComponents({{{100}}, {{128}}, {{200}}}, 1, 1, OPJ_CODEC_JP2,
                                             OPJ_CLRSPC_SYCC);
    // R = 100 + 1.402 * 72, G = 100 - 0.71414 * 72, B = 100.
    EXPECT_EQ(Decoded(file).pixel(0, 0), qRgb(201, 49, 100));
}

TEST(Jpeg2000Bitmap, RateFollowsTheQuality)
{
    EXPECT_NEAR(Jpeg2000Rate(100, 100, 100, 3), 2.11755f, 1e-4);
    EXPECT_NEAR(Jpeg2000Rate(15, 100, 100, 3), 26.455f, 1e-3);
    EXPECT_NEAR(Jpeg2000Rate(80, 1000, 1000, 4), 12.2135f, 1e-3);

    const QImage image = Pattern24(96, 96);
    const qsizetype low = Encoded(image, false, 20).size();
    const qsizetype high = Encoded(image, false, 95).size();
    const qsizetype lossless = Encoded(image, true).size();
    EXPECT_LT(low, high);
    EXPECT_LT(high, lossless);
}

TEST(Jpeg2000Bitmap, StreamIsLeftAfterTheDecodedBytes)
{
    const QByteArray file = Encoded(Pattern24(8, 8), true);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(5);
    TJpeg2000Bitmap jpeg2000;
    jpeg2000.LoadFromStream(buffer);
    EXPECT_EQ(jpeg2000.bitmap, Pattern24(8, 8));
    EXPECT_EQ(buffer.pos(), file.size());
}
