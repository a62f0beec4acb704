#include "output/FileService.h"

#include "fakes/FakeSoundPlayer.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// Reads the clipboard as another X client does. Our own event loop serves
// the selection, so xclip runs asynchronously while events are processed.
QByteArray readClipboardWithXclip(const char *target)
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
        {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
            QString::fromLatin1(target), QStringLiteral("-o")});
    const bool finished = TestSupport::waitUntil([&xclip] { return xclip.state() == QProcess::NotRunning; });
    EXPECT_TRUE(finished) << "xclip did not finish";
    if (!finished) {
        xclip.kill();
        xclip.waitForFinished();
    }
    return xclip.readAllStandardOutput();
}

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
    const QByteArray targets = readClipboardWithXclip("TARGETS");
    EXPECT_TRUE(targets.contains("image/png")) << targets.constData();
    EXPECT_FALSE(targets.contains("text/plain")) << targets.constData();
    const QImage readBack = QImage::fromData(readClipboardWithXclip("image/png"), "png");
    ASSERT_FALSE(readBack.isNull());
    EXPECT_EQ(readBack.size(), QSize(64, 48));
    EXPECT_EQ(readBack.convertToFormat(QImage::Format_RGB32), opaqueTestImage());
}

} // namespace
