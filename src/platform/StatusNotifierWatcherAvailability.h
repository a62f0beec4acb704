#pragma once

#include "platform/TrayAvailability.h"

#include <QDBusConnection>

class QDBusMessage;
class QDBusServiceWatcher;

// A StatusNotifierItem tray: the watcher org.kde.StatusNotifierWatcher is on
// the session bus and a host (the panel that draws the icons) has
// registered with it. Qt 6.4 asks this once per process, when the first tray
// icon is made; this keeps asking, so an icon can be made once a host is
// there. Main thread.
class StatusNotifierWatcherAvailability final : public TrayAvailability
{
    Q_OBJECT

public:
    static constexpr int AnswerTimeoutMs = 2000;

    // Asks the bus once, waiting at most AnswerTimeoutMs, then follows it.
    explicit StatusNotifierWatcherAvailability(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~StatusNotifierWatcherAvailability() override;

    bool isAvailable() const override { return m_available; }

private slots:
    void hostsChanged();

private:
    void ownerChanged(const QString &newOwner);
    QDBusMessage hostQuestion() const;
    void setAvailable(bool available);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    bool m_available = false;
};
