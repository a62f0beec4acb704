#include "output/PngWriter.h"

#include "support/RefusingDevice.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

// Deterministic content with flat runs, gradients and noise, so that every
// filter and the compressor see both repetitive and unpredictable bytes.
QImage pattern(QSize size, QImage::Format format, bool translucent)
{
    QImage image(size, QImage::Format_ARGB32);
    std::mt19937 random(size.width() * 7919 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random() % 64);
            const int alpha = translucent ? int((x * 37 + y * 11) % 256) : 255;
            const bool flat = (x / 8 + y / 4) % 3 == 0;
            image.setPixel(x, y,
                flat ? qRgba(30, 60, 90, alpha)
                     : qRgba((x * 5 + noise) % 256, (y * 3) % 256, (x + y + noise) % 256, alpha));
        }
    }
    return image.convertToFormat(format);
}

QByteArray encode(PngWriter &writer, const QImage &image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer.write(image, buffer));
    return buffer.data();
}

// Largest difference of any channel between two images of the same size
// (compared as straight ARGB), or 256 when the sizes differ.
int maxChannelDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            if (qAlpha(p) == 0 && qAlpha(q) == 0)
                continue; // a fully transparent pixel has no colour
            for (int shift : {0, 8, 16, 24})
                worst = std::max(worst, std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff)));
        }
    }
    return worst;
}

// Un-premultiplying is inexact: Qt's own conversions round differently
// from one path to another by one step.
int tolerance(QImage::Format format)
{
    return format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_RGBA8888_Premultiplied
        ? 1
        : 0;
}

int colourType(const QByteArray &png)
{
    return png.size() > 25 ? uchar(png[25]) : -1;
}

struct RoundTrip
{
    const char *name;
    QSize size;
    QImage::Format format;
    bool translucent;
    PngWriter::Options options;
};

class PngRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

TEST_P(PngRoundTrip, DecodesToTheSamePixels)
{
    const RoundTrip &c = GetParam();
    const QImage image = pattern(c.size, c.format, c.translucent);
    PngWriter writer(c.options);
    const QByteArray png = encode(writer, image);

    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(png, "PNG"));
    EXPECT_EQ(colourType(png), c.translucent ? 6 : 2);
    EXPECT_LE(maxChannelDifference(decoded, image), tolerance(c.format));
}

using F = Png::Filter;
INSTANTIATE_TEST_SUITE_P(Shapes, PngRoundTrip,
    ::testing::Values(RoundTrip{"OnePixel", {1, 1}, QImage::Format_RGB32, false, {}},
        RoundTrip{"OnePixelTranslucent", {1, 1}, QImage::Format_ARGB32, true, {}},
        RoundTrip{"OddWidthRgb32", {333, 41}, QImage::Format_RGB32, false, {}},
        RoundTrip{"OddWidthRgb888", {17, 9}, QImage::Format_RGB888, false, {}},
        RoundTrip{"Argb32Translucent", {101, 33}, QImage::Format_ARGB32, true, {}},
        RoundTrip{"Argb32Opaque", {64, 20}, QImage::Format_ARGB32, false, {}},
        RoundTrip{"PremultipliedTranslucent", {99, 31}, QImage::Format_ARGB32_Premultiplied, true, {}},
        RoundTrip{"Rgba8888Translucent", {45, 12}, QImage::Format_RGBA8888, true, {}},
        RoundTrip{"ConvertedRgba64", {23, 7}, QImage::Format_RGBA64, true, {}},
        RoundTrip{"MoreStripsThanRows", {50, 3}, QImage::Format_RGB32, false, {F::up, 1, 16, 0}},
        RoundTrip{"StripsLeaveRemainder", {70, 29}, QImage::Format_ARGB32, true, {F::up, 1, 4, 2}},
        // Every filter and level, with bands that reach back across their
        // boundary for the row above.
        RoundTrip{"None", {77, 19}, QImage::Format_RGB32, false, {F::none, 1, 3, 0}},
        RoundTrip{"Sub", {77, 19}, QImage::Format_ARGB32, true, {F::sub, 1, 3, 0}},
        RoundTrip{"Up", {77, 19}, QImage::Format_RGB32, false, {F::up, 1, 3, 0}},
        RoundTrip{"Average", {77, 19}, QImage::Format_ARGB32, true, {F::average, 1, 3, 0}},
        RoundTrip{"Paeth", {77, 19}, QImage::Format_RGB32, false, {F::paeth, 1, 3, 0}},
        RoundTrip{"Level0", {77, 19}, QImage::Format_RGB32, false, {F::up, 0, 3, 0}},
        RoundTrip{"Level3", {77, 19}, QImage::Format_RGB32, false, {F::up, 3, 3, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

// The concatenated IDAT data of a PNG stream.
QByteArray idatStream(const QByteArray &png)
{
    QByteArray data;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = quint32(uchar(png[at])) << 24 | quint32(uchar(png[at + 1])) << 16
            | quint32(uchar(png[at + 2])) << 8 | quint32(uchar(png[at + 3]));
        if (png.mid(at + 4, 4) == "IDAT")
            data += png.mid(at + 8, length);
        at += 12 + qsizetype(length);
    }
    return data;
}

TEST(PngWriter, BandsJoinIntoOneZlibStreamWithItsChecksum)
{
    // libdeflate checks the zlib header, every block and the Adler-32 that
    // the writer combines from the bands' own checksums.
    const QImage image = pattern({257, 61}, QImage::Format_RGB32, false);
    PngWriter writer({Png::Filter::up, 1, 7, 2});
    const QByteArray zlib = idatStream(encode(writer, image));

    const std::size_t expectedSize = std::size_t(61) * (1 + 257 * 3);
    std::vector<char> out(expectedSize + 16);
    std::size_t actual = 0;
    libdeflate_decompressor *decompressor = libdeflate_alloc_decompressor();
    const auto result = libdeflate_zlib_decompress(
        decompressor, zlib.constData(), std::size_t(zlib.size()), out.data(), out.size(), &actual);
    libdeflate_free_decompressor(decompressor);
    EXPECT_EQ(result, LIBDEFLATE_SUCCESS);
    EXPECT_EQ(actual, expectedSize);
}

TEST(PngWriter, ReusedBetweenImagesOfDifferentShapes)
{
    // The single band of the tall image outgrows the buffers a writer keeps,
    // so the next image also runs on freshly allocated ones.
    for (const PngWriter::Options &options :
        {PngWriter::Options{}, PngWriter::Options{Png::Filter::up, 2, 1, 1}}) {
        PngWriter writer(options);
        for (const auto &[size, format, translucent] :
            {std::tuple{QSize(640, 200), QImage::Format_ARGB32, true},
                std::tuple{QSize(1500, 3000), QImage::Format_RGB32, false},
                std::tuple{QSize(3, 2), QImage::Format_RGB32, false},
                std::tuple{QSize(500, 300), QImage::Format_RGB888, false}}) {
            const QImage image = pattern(size, format, translucent);
            QImage decoded;
            ASSERT_TRUE(decoded.loadFromData(encode(writer, image), "PNG")) << size.height();
            EXPECT_EQ(maxChannelDifference(decoded, image), 0) << size.height();
        }
    }
}

TEST(PngWriter, ImageMagickReadsTheSamePixels)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.png"));
    const QImage image = pattern({31, 17}, QImage::Format_ARGB32_Premultiplied, true);
    PngWriter writer({Png::Filter::up, 1, 5, 0});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writer.write(image, file));
    file.close();

    int exitCode = -1;
    const QByteArray rgba = TestSupport::runProgram(convert, {path, QStringLiteral("rgba:-")}, &exitCode);
    ASSERT_EQ(exitCode, 0);
    ASSERT_EQ(rgba.size(), 31 * 17 * 4);
    const QImage decoded(reinterpret_cast<const uchar *>(rgba.constData()), 31, 17, QImage::Format_RGBA8888);
    EXPECT_LE(maxChannelDifference(decoded, image), 1);
}

TEST(PngWriter, ReportsFailure)
{
    PngWriter writer;
    const QImage image = pattern({40, 40}, QImage::Format_RGB32, false);
    const qint64 fullSize = encode(writer, image).size();
    for (qint64 accepted : {qint64(0), qint64(20), fullSize / 2, fullSize - 4}) {
        RefusingDevice device(accepted);
        EXPECT_FALSE(writer.write(image, device)) << "accepting " << accepted << " bytes";
    }
    RefusingDevice roomy(fullSize);
    EXPECT_TRUE(writer.write(image, roomy));

    QBuffer notOpen;
    EXPECT_FALSE(writer.write(image, notOpen));
    QBuffer open;
    open.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writer.write(QImage(), open));
}

} // namespace
