#include "output/JpegWriter.h"
#include "output/PngWriter.h"

#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>

namespace {

// A write-only device that accepts a given number of bytes, then refuses
// every write: a full disk, or a file system that goes away mid-write.
class RefusingDevice : public QIODevice
{
public:
    explicit RefusingDevice(qint64 accept)
        : m_accept(accept)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        if (length > m_accept)
            return -1;
        m_accept -= length;
        return length;
    }

private:
    qint64 m_accept;
};

// Screen-like content: flat panels, sharp-edged "text", gradients and noise,
// so that every PNG filter and the compressor see both repetitive and
// unpredictable bytes, and every JPEG band both cheap and expensive MCU rows.
QImage pattern(QSize size, QImage::Format format = QImage::Format_RGB32, bool translucent = false)
{
    QImage image(size, QImage::Format_ARGB32);
    std::mt19937 random(size.width() * 7919 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int alpha = translucent ? (x * 37 + y * 11) % 256 : 255;
            const bool flat = (x / 24 + y / 20) % 3 == 0, glyph = (x * 3 + y) % 7 < 2;
            const int noise = int(random() % 48);
            image.setPixel(x, y,
                flat ? qRgba(235, 235, 240, alpha)
                     : (glyph ? qRgba(20, 20, 30, alpha)
                              : qRgba((x * 5 + noise) % 256, (y * 3) % 256, (x + y + noise) % 256, alpha)));
        }
    }
    return image.convertToFormat(format);
}

using Write = std::function<bool(QIODevice &)>;

QByteArray written(const Write &write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(write(buffer));
    return buffer.data();
}

// What a PNG writer, or a JPEG writer at the given quality, makes of `image`.
template <typename Writer, typename... Quality>
QByteArray encode(Writer &writer, const QImage &image, Quality... quality)
{
    return written([&](QIODevice &device) { return writer.write(image, quality..., device); });
}

QByteArray qtJpeg(const QImage &image, int quality)
{
    return written([&](QIODevice &device) {
        QImageWriter writer(&device, "jpeg");
        writer.setQuality(quality);
        return writer.write(image);
    });
}

QImage decode(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
}

// The largest difference of any channel and the mean difference of the
// colour channels, compared as straight ARGB, or 256 when the sizes differ.
std::pair<int, double> difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return {256, 256};
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            if (qAlpha(p) == 0 && qAlpha(q) == 0)
                continue; // a fully transparent pixel has no colour
            for (int shift : {0, 8, 16, 24}) {
                const int channel = std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff));
                worst = std::max(worst, channel);
                sum += shift < 24 ? channel : 0;
            }
        }
    }
    return {worst, sum / (3.0 * x.width() * x.height())};
}

using F = Png::Filter;

TEST(PngWriter, DecodesToTheSamePixels)
{
    const std::tuple<const char *, QSize, QImage::Format, bool /*translucent*/, PngWriter::Options> cases[]
        = {
            {"OnePixel", {1, 1}, QImage::Format_RGB32, false, {}},
            {"OnePixelTranslucent", {1, 1}, QImage::Format_ARGB32, true, {}},
            {"OddWidthRgb32", {333, 41}, QImage::Format_RGB32, false, {}},
            {"OddWidthRgb888", {17, 9}, QImage::Format_RGB888, false, {}},
            {"Argb32Translucent", {101, 33}, QImage::Format_ARGB32, true, {}},
            {"Argb32Opaque", {64, 20}, QImage::Format_ARGB32, false, {}},
            {"PremultipliedTranslucent", {99, 31}, QImage::Format_ARGB32_Premultiplied, true, {}},
            {"Rgba8888Translucent", {45, 12}, QImage::Format_RGBA8888, true, {}},
            {"ConvertedRgba64", {23, 7}, QImage::Format_RGBA64, true, {}},
            {"MoreStripsThanRows", {50, 3}, QImage::Format_RGB32, false, {F::up, 1, 16, 0}},
            {"StripsLeaveRemainder", {70, 29}, QImage::Format_ARGB32, true, {F::up, 1, 4, 2}},
            // Every filter and level, with bands that reach back across their
            // boundary for the row above.
            {"None", {77, 19}, QImage::Format_RGB32, false, {F::none, 1, 3, 0}},
            {"Sub", {77, 19}, QImage::Format_ARGB32, true, {F::sub, 1, 3, 0}},
            {"Up", {77, 19}, QImage::Format_RGB32, false, {F::up, 1, 3, 0}},
            {"Average", {77, 19}, QImage::Format_ARGB32, true, {F::average, 1, 3, 0}},
            {"Paeth", {77, 19}, QImage::Format_RGB32, false, {F::paeth, 1, 3, 0}},
            {"Level0", {77, 19}, QImage::Format_RGB32, false, {F::up, 0, 3, 0}},
            {"Level3", {77, 19}, QImage::Format_RGB32, false, {F::up, 3, 3, 0}},
        };
    for (const auto &[name, size, format, translucent, options] : cases) {
        SCOPED_TRACE(name);
        const QImage image = pattern(size, format, translucent);
        PngWriter writer(options);
        const QByteArray encoded = encode(writer, image);
        QImage decoded;
        ASSERT_TRUE(decoded.loadFromData(encoded, "PNG"));
        EXPECT_EQ(encoded.size() > 25 ? uchar(encoded[25]) : -1, translucent ? 6 : 2); // the colour type
        // Un-premultiplying is inexact: Qt's own conversions round differently
        // from one path to another by one step.
        EXPECT_LE(difference(decoded, image).first, format == QImage::Format_ARGB32_Premultiplied ? 1 : 0);
    }
}

TEST(PngWriter, BandsJoinIntoOneZlibStreamWithItsChecksum)
{
    PngWriter writer({F::up, 1, 7, 2});
    const QByteArray encoded = encode(writer, pattern({257, 61}));
    QByteArray zlib; // the concatenated IDAT data
    for (qsizetype at = 8; at + 12 <= encoded.size();) {
        const auto length = qsizetype(qFromBigEndian<quint32>(encoded.constData() + at));
        if (encoded.mid(at + 4, 4) == "IDAT")
            zlib += encoded.mid(at + 8, length);
        at += 12 + length;
    }
    // libdeflate checks the zlib header, every block and the Adler-32 that
    // the writer combines from the bands' own checksums.
    const std::size_t expectedSize = std::size_t(61) * (1 + 257 * 3);
    std::vector<char> out(expectedSize + 16);
    std::size_t actual = 0;
    libdeflate_decompressor *decompressor = libdeflate_alloc_decompressor();
    const auto result = libdeflate_zlib_decompress(
        decompressor, zlib.constData(), std::size_t(zlib.size()), out.data(), out.size(), &actual);
    libdeflate_free_decompressor(decompressor);
    EXPECT_EQ(std::pair(result, actual), std::pair(LIBDEFLATE_SUCCESS, expectedSize));
}

TEST(PngWriter, ReusedBetweenImagesOfDifferentShapesAndReadiedSizes)
{
    // The single band of the tall image outgrows the buffers a writer keeps,
    // so the next image also runs on freshly allocated ones. Buffers readied
    // for a screen (larger or smaller than the image, still being readied
    // when the write comes) leave no trace in the next image.
    for (const PngWriter::Options &options : {PngWriter::Options{}, PngWriter::Options{F::up, 2, 1, 1}}) {
        PngWriter writer(options);
        writer.prepare(QSize(1920, 1080));
        for (const auto &[size, format, translucent] :
            {std::tuple{QSize(640, 200), QImage::Format_ARGB32, true},
                std::tuple{QSize(1500, 3000), QImage::Format_RGB32, false},
                std::tuple{QSize(3, 2), QImage::Format_RGB32, false},
                std::tuple{QSize(500, 300), QImage::Format_RGB888, false}}) {
            const QImage image = pattern(size, format, translucent);
            QImage decoded;
            ASSERT_TRUE(decoded.loadFromData(encode(writer, image), "PNG")) << size.height();
            EXPECT_EQ(difference(decoded, image).first, 0) << size.height();
            writer.prepare(QSize(1280, 800));
        }
    }
}

// Banding must not change a single decoded pixel: bands are cut on MCU
// rows, so the blocks, their coefficients and the chroma subsampling are the
// same as in one piece. A restart marker numbered wrongly or a scan joined
// at the wrong byte makes the decoder resynchronise and smear rows.
TEST(JpegWriter, BandsDecodeLikeOnePieceAndLikeQt)
{
    const std::tuple<const char *, QSize, int> cases[] = {
        {"OnePixel", {1, 1}, 90},
        {"OddSmall", {17, 9}, 90},
        {"HeightNotMultipleOf16", {123, 41}, 90},
        {"ManyMcuRows", {301, 517}, 90},
        {"QualityZero", {200, 150}, 0},
        {"QualityHundred", {200, 150}, 100},
        {"QualityOutOfRange", {64, 40}, 140},
    };
    for (const auto &[name, size, quality] : cases) {
        SCOPED_TRACE(name);
        const QImage image = pattern(size);
        JpegWriter whole({1, 1});
        const QByteArray reference = encode(whole, image, quality);
        const QImage expected = decode(reference);
        ASSERT_EQ(expected.size(), size);
        EXPECT_LT(difference(expected, decode(qtJpeg(image, quality))).second, 0.05);
        for (int bands : {2, 3, 9, 1000}) {
            JpegWriter writer({bands, 2});
            const QByteArray banded = encode(writer, image, quality);
            EXPECT_EQ(difference(decode(banded), expected).first, 0) << bands << " bands";
            // Restart markers cost two bytes and a few padding bits per MCU row.
            EXPECT_LE(banded.size(), reference.size() + 4 * (size.height() / 16 + 1)) << bands << " bands";
        }
    }
}

// Alpha is ignored as Qt's writer ignores it: ARGB32_Premultiplied comes out
// flattened onto black, every other format in its straight colours.
TEST(JpegWriter, PixelFormatsComeOutAsWithQt)
{
    JpegWriter writer({3, 2});
    for (const auto format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
             QImage::Format_RGBA8888, QImage::Format_RGBA8888_Premultiplied, QImage::Format_RGB888,
             QImage::Format_RGBA64, QImage::Format_Grayscale8}) {
        const QImage image = pattern({90, 70}, format, true);
        EXPECT_LT(difference(decode(encode(writer, image, 90)), decode(qtJpeg(image, 90))).second, 0.5)
            << "format " << format;
    }
}

TEST(ImageWriters, ReportFailureAndStayUsable)
{
    PngWriter pngWriter;
    JpegWriter jpegWriter({4, 2});
    const QImage image = pattern({120, 100});
    // A frame header holds 16 bits a side and libjpeg stops at 65500: the
    // joined height is checked before banding, the width by libjpeg, whose
    // fatal error must leave every band's compressor ready for the next image.
    const std::tuple<const char *, std::function<bool(const QImage &, QIODevice &)>, QList<QSize>> writers[]
        = {
            {"PNG", [&](const QImage &i, QIODevice &device) { return pngWriter.write(i, device); }, {}},
            {"JPEG", [&](const QImage &i, QIODevice &device) { return jpegWriter.write(i, 90, device); },
                {{1, 65501}, {65501, 40}}},
        };
    for (const auto &[name, write, tooLarge] : writers) {
        SCOPED_TRACE(name);
        const Write writeImage = [&](QIODevice &device) { return write(image, device); };
        const QByteArray reference = written(writeImage);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        for (const QSize size : tooLarge)
            EXPECT_FALSE(write(QImage(size, QImage::Format_RGB32), buffer)) << size.width();
        EXPECT_FALSE(write(QImage(), buffer));
        EXPECT_EQ(buffer.size(), 0);
        QBuffer notOpen;
        EXPECT_FALSE(writeImage(notOpen));
        // Cut inside the header, inside the image data, and just before the end.
        const qint64 full = reference.size();
        for (qint64 accepted : {qint64(0), qint64(20), qint64(100), full / 2, full - 4, full - 1}) {
            RefusingDevice device(accepted);
            EXPECT_FALSE(writeImage(device)) << "accepting " << accepted << " bytes";
        }
        RefusingDevice roomy(full);
        EXPECT_TRUE(writeImage(roomy));
        EXPECT_EQ(written(writeImage), reference);
        pngWriter.releaseBuffers(); // what an idle program does between captures
        jpegWriter.releaseBuffers();
        EXPECT_EQ(written(writeImage), reference);
    }
}

// Another decoder reads the joined bands without complaint: PNG's zlib
// stream and JPEG's restart markers on MCU rows that are not multiples of 8.
TEST(ImageWriters, ImageMagickReadsTheSamePixels)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    QTemporaryDir dir;
    // The pixels convert reads from `bytes` saved as `name`.
    const auto viaConvert = [&](const char *name, const QByteArray &bytes, QSize size) {
        const QString path = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(TestSupport::writeFile(path, bytes));
        int exitCode = -1;
        const QByteArray rgba
            = TestSupport::runProgram(convert, {"-regard-warnings", path, "rgba:-"}, &exitCode);
        EXPECT_EQ(exitCode, 0) << name;
        return rgba.size() != size.width() * size.height() * 4
            ? QImage()
            : QImage(reinterpret_cast<const uchar *>(rgba.constData()), size.width(), size.height(),
                QImage::Format_RGBA8888)
                  .copy();
    };
    PngWriter pngWriter({F::up, 1, 5, 0});
    JpegWriter jpegWriter({7, 2});
    const QImage translucent = pattern({31, 17}, QImage::Format_ARGB32_Premultiplied, true);
    const QImage screen = pattern({211, 300});
    EXPECT_LE(difference(viaConvert("x.png", encode(pngWriter, translucent), translucent.size()), translucent)
                  .first,
        1);
    EXPECT_LT(difference(viaConvert("x.jpeg", encode(jpegWriter, screen, 85), screen.size()),
                  decode(qtJpeg(screen, 85)))
                  .second,
        0.5);
}

} // namespace
