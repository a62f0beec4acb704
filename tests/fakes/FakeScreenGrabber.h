#pragma once

#include "platform/Error.h"
#include "platform/ScreenGrabber.h"

#include <QThread>

#include <optional>

// Serves fixed displays and windows. Areas come back filled with `areaColor`,
// windows with `windowColor`, each at the size asked. Records what it was
// asked and on which thread. Read the records only after the future finished.
class FakeScreenGrabber : public ScreenGrabber
{
public:
    QList<ShareableDisplay> shareableDisplays;
    QList<ShareableWindow> shareableWindows;
    QRgb areaColor = qRgb(10, 200, 30);
    QRgb windowColor = qRgb(200, 40, 90);
    std::optional<QString> failure; // thrown as Error by every grab

    QList<QRect> grabbedAreas;
    QList<quint32> grabbedWindows;
    QThread *lastThread = nullptr;

    QList<ShareableDisplay> displays() override { return shareableDisplays; }
    QList<ShareableWindow> windows() override { return shareableWindows; }

    QImage grabArea(const QRect &area) override
    {
        grabbedAreas.append(area);
        return deliver(area.size(), areaColor);
    }

    QImage grabWindow(quint32 windowID) override
    {
        grabbedWindows.append(windowID);
        for (const ShareableWindow &w : shareableWindows) {
            if (w.windowID == windowID)
                return deliver(w.frame.size(), windowColor);
        }
        throw Error(QStringLiteral("Could not read window: BadWindow"));
    }

private:
    QImage deliver(const QSize &size, QRgb color)
    {
        lastThread = QThread::currentThread();
        if (failure)
            throw Error(*failure);
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }
};
