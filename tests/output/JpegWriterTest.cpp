#include "output/JpegWriter.h"

#include "support/RefusingDevice.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

// Screen-like content: flat panels, sharp-edged "text", gradients and noise,
// so that every band has both cheap and expensive MCU rows.
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

QByteArray encode(JpegWriter &writer, const QImage &image, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writer.write(image, quality, buffer));
    return buffer.data();
}

QByteArray encodeWithQt(const QImage &image, int quality)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image));
    return buffer.data();
}

QImage decode(const QByteArray &jpeg)
{
    return QImage::fromData(jpeg, "JPEG").convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per channel, or 256 when the sizes differ.
double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q))
                + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

struct Shape
{
    const char *name;
    QSize size;
    int quality;
};

void PrintTo(const Shape &c, std::ostream *os)
{
    *os << c.name;
}

class JpegShapes : public ::testing::TestWithParam<Shape>
{
};

// Banding must not change a single decoded pixel: bands are cut on MCU
// rows, so the blocks, their coefficients and the chroma subsampling are the
// same as in one piece. A restart marker numbered wrongly or a scan joined
// at the wrong byte makes the decoder resynchronise and smear rows.
TEST_P(JpegShapes, BandsDecodeLikeOnePieceAndLikeQt)
{
    const Shape &c = GetParam();
    const QImage image = pattern(c.size);
    JpegWriter whole({1, 1});
    const QByteArray reference = encode(whole, image, c.quality);
    const QImage expected = decode(reference);
    ASSERT_EQ(expected.size(), c.size);
    EXPECT_LT(meanDifference(expected, decode(encodeWithQt(image, c.quality))), 0.05);

    for (int bands : {2, 3, 9, 1000}) {
        JpegWriter writer({bands, 2});
        const QByteArray banded = encode(writer, image, c.quality);
        EXPECT_EQ(meanDifference(decode(banded), expected), 0.0) << bands << " bands";
        // Restart markers cost two bytes and a few padding bits per MCU row.
        EXPECT_LE(banded.size(), reference.size() + 4 * (c.size.height() / 16 + 1)) << bands << " bands";
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, JpegShapes,
    ::testing::Values(Shape{"OnePixel", {1, 1}, 90}, Shape{"OddSmall", {17, 9}, 90},
        Shape{"HeightNotMultipleOf16", {123, 41}, 90}, Shape{"ManyMcuRows", {301, 517}, 90},
        Shape{"QualityZero", {200, 150}, 0}, Shape{"QualityHundred", {200, 150}, 100},
        Shape{"QualityOutOfRange", {64, 40}, 140}),
    [](const auto &info) { return std::string(info.param.name); });

// Alpha is ignored as Qt's writer ignores it: ARGB32_Premultiplied comes out
// flattened onto black, every other format in its straight colours.
TEST(JpegWriter, PixelFormatsComeOutAsWithQt)
{
    JpegWriter writer({3, 2});
    for (const auto format : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
             QImage::Format_RGBA8888, QImage::Format_RGBA8888_Premultiplied, QImage::Format_RGB888,
             QImage::Format_RGBA64, QImage::Format_Grayscale8}) {
        const QImage image = pattern({90, 70}, format, true);
        const QImage ours = decode(encode(writer, image, 90));
        EXPECT_LT(meanDifference(ours, decode(encodeWithQt(image, 90))), 0.5) << "format " << format;
    }
}

TEST(JpegWriter, ReportsFailureAndStaysUsable)
{
    JpegWriter writer({4, 2});
    const QImage image = pattern({120, 100});
    const qint64 fullSize = encode(writer, image, 90).size();
    // Cut inside the header, inside a band's scan, and just before the end marker.
    for (qint64 accepted : {qint64(0), qint64(100), fullSize / 2, fullSize - 1}) {
        RefusingDevice device(accepted);
        EXPECT_FALSE(writer.write(image, 90, device)) << "accepting " << accepted << " bytes";
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writer.write(QImage(), 90, buffer));
    // A frame header holds 16 bits a side and libjpeg stops at 65500: the
    // joined height is checked before banding, the width by libjpeg, whose
    // fatal error must leave every band's compressor ready for the next image.
    EXPECT_FALSE(writer.write(QImage(1, 65501, QImage::Format_RGB32), 90, buffer));
    EXPECT_FALSE(writer.write(QImage(65501, 40, QImage::Format_RGB32), 90, buffer));
    EXPECT_EQ(buffer.size(), 0);

    RefusingDevice roomy(fullSize);
    EXPECT_TRUE(writer.write(image, 90, roomy));
    EXPECT_LT(meanDifference(decode(encode(writer, image, 90)), decode(encodeWithQt(image, 90))), 0.05);
}

TEST(JpegWriter, ImageMagickReadsABandedFileWithoutComplaint)
{
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.jpeg"));
    const QImage image = pattern({211, 300});
    JpegWriter writer({7, 2}); // bands starting on MCU rows that are not multiples of 8
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writer.write(image, 85, file));
    file.close();

    int exitCode = -1;
    const QByteArray rgb = TestSupport::runProgram(
        convert, {QStringLiteral("-regard-warnings"), path, QStringLiteral("rgba:-")}, &exitCode);
    ASSERT_EQ(exitCode, 0);
    ASSERT_EQ(rgb.size(), 211 * 300 * 4);
    const QImage decoded(reinterpret_cast<const uchar *>(rgb.constData()), 211, 300, QImage::Format_RGBA8888);
    EXPECT_LT(meanDifference(decoded, decode(encodeWithQt(image, 85))), 0.5);
}

} // namespace
