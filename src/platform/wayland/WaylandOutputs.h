#pragma once

#include "platform/ScreenGrabber.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QString>

#include <optional>

class QScreen;

// One output of the compositor as the portals' pictures lay it out.
struct WaylandOutput
{
    quint32 displayID = 0;
    QString name; // the compositor's connector name, "Meta-0" on a headless GNOME
    QRect logical; // Qt's geometry: the compositor's layout coordinates
    qreal scale = 1;

    // Where its pixels lie in the virtual desktop, in the same convention
    // as the X11 backends: the corner as Qt gives it, the size in pixels.
    QRect deviceGeometry() const;
};

// The outputs, read on the main thread (QScreen lives there) whenever Qt
// reports a change, and handed to any thread as a copy.
class WaylandOutputs : public QObject
{
public:
    WaylandOutputs();

    // A display's identifier from its output name: the same for the same
    // name, so it stays put while outputs come and go, and across runs.
    static quint32 identifierForName(const QString &name);

    QList<WaylandOutput> outputs() const;
    QList<ShareableDisplay> displays() const;
    std::optional<quint32> primaryID() const;
    // The primary output by its name, when the desktop says which it is;
    // otherwise Qt's primary screen is.
    void setPrimaryName(const QString &name);
    // The screen of primaryID(), main thread.
    QScreen *primaryScreen() const;

private:
    void refresh();
    void watch(QScreen *screen);

    mutable QMutex m_mutex;
    QList<WaylandOutput> m_outputs;
    std::optional<quint32> m_primary;
    QString m_primaryName; // main thread
};
