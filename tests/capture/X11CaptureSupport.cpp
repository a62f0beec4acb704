#include "X11CaptureSupport.h"

#include "platform/x11/X11ScreenGrabber.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

namespace X11CaptureSupport {

QRgb rootPattern(int x, int y)
{
    return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0x0f) | (((y >> 8) & 0x0f) << 4));
}

bool paintRootPattern(const QSize &rootSize)
{
    QImage image(rootSize, QImage::Format_RGB32);
    for (int y = 0; y < rootSize.height(); ++y) {
        for (int x = 0; x < rootSize.width(); ++x)
            image.setPixel(x, y, rootPattern(x, y));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pattern.png"));
    if (!image.save(file))
        return false;
    // ImageMagick's display sets the root background and leaves at once.
    TestSupport::runProgram(
        QStringLiteral("display"), {QStringLiteral("-window"), QStringLiteral("root"), file});
    X11ScreenGrabber grabber;
    const QRect corner(rootSize.width() - 2, rootSize.height() - 2, 2, 2);
    return TestSupport::waitUntil([&] { return patternMismatches(grabber.grabArea(corner), corner) == 0; });
}

qint64 patternMismatches(const QImage &image, const QRect &nativeArea)
{
    if (image.size() != nativeArea.size())
        return -1;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != rootPattern(nativeArea.x() + x, nativeArea.y() + y))
                ++count;
        }
    }
    return count;
}

} // namespace X11CaptureSupport
