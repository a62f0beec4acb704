#include "platform/wayland/WaylandOutputs.h"

#include <QGuiApplication>
#include <QMutexLocker>
#include <QScreen>

#include <cmath>

QRect WaylandOutput::deviceGeometry() const
{
    return QRect(logical.topLeft(),
        QSize(int(std::lround(logical.width() * scale)), int(std::lround(logical.height() * scale))));
}

WaylandOutputs::WaylandOutputs()
{
    refresh();
    if (!qGuiApp)
        return;
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watch(screen);
        refresh();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &WaylandOutputs::refresh);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &WaylandOutputs::refresh);
}

void WaylandOutputs::watch(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &WaylandOutputs::refresh);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &WaylandOutputs::refresh);
}

quint32 WaylandOutputs::identifierForName(const QString &name)
{
    // FNV-1a over the name's UTF-8: small, fixed, and the same in every run.
    quint32 hash = 2166136261u;
    for (const char byte : name.toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    // 0 means "no display" to the callers.
    return hash ? hash : 1;
}

void WaylandOutputs::refresh()
{
    QList<WaylandOutput> outputs;
    std::optional<quint32> primary;
    if (qGuiApp) {
        for (const QScreen *screen : QGuiApplication::screens()) {
            const quint32 id = identifierForName(screen->name());
            outputs.append({id, screen->name(), screen->geometry(), screen->devicePixelRatio()});
            if (screen == QGuiApplication::primaryScreen())
                primary = id;
        }
        // The desktop's word over Qt's, which is only the first output.
        for (const WaylandOutput &output : outputs) {
            if (!m_primaryName.isEmpty() && output.name == m_primaryName)
                primary = output.displayID;
        }
    }
    if (!primary && !outputs.isEmpty())
        primary = outputs.front().displayID;
    QMutexLocker lock(&m_mutex);
    m_outputs = outputs;
    m_primary = primary;
}

QList<WaylandOutput> WaylandOutputs::outputs() const
{
    QMutexLocker lock(&m_mutex);
    return m_outputs;
}

QList<ShareableDisplay> WaylandOutputs::displays() const
{
    QList<ShareableDisplay> displays;
    for (const WaylandOutput &output : outputs())
        displays.append({output.displayID, output.deviceGeometry()});
    return displays;
}

std::optional<quint32> WaylandOutputs::primaryID() const
{
    QMutexLocker lock(&m_mutex);
    return m_primary;
}

void WaylandOutputs::setPrimaryName(const QString &name)
{
    m_primaryName = name;
    refresh();
}

QScreen *WaylandOutputs::primaryScreen() const
{
    const std::optional<quint32> primary = primaryID();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (primary && identifierForName(screen->name()) == *primary)
            return screen;
    }
    return QGuiApplication::primaryScreen();
}
