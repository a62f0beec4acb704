#include "output/FileService.h"

#include "fakes/FakeSoundPlayer.h"
#include "support/X11TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

QImage opaqueTestImage()
{
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 5, (x ^ y) * 3));
    }
    return image;
}

TEST(ClipboardTest, AnotherClientReadsTheCopiedImageAtItsPixelSize)
{
    FakeSoundPlayer sound;
    FileService service(sound);
    QGuiApplication::clipboard()->setText(QStringLiteral("earlier text"));
    // A capture of a scaled display: the clipboard must still carry every pixel.
    QImage image = opaqueTestImage();
    image.setDevicePixelRatio(2.0);
    service.copyImageToClipboard(image);
    const QByteArray targets = X11TestSupport::clipboard(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("image/png")) << targets.constData();
    EXPECT_FALSE(targets.contains("text/plain")) << targets.constData();
    const QImage readBack = QImage::fromData(X11TestSupport::clipboard(QStringLiteral("image/png")), "png");
    ASSERT_FALSE(readBack.isNull());
    EXPECT_EQ(readBack.size(), QSize(64, 48));
    EXPECT_EQ(readBack.convertToFormat(QImage::Format_RGB32), opaqueTestImage());
}

} // namespace
