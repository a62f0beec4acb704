#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class ScreenCapturePermission;

// Holds whether screen capture is permitted, asks the platform for it and,
// after asking, checks once a second until the grant shows up. Main thread.
class PermissionService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasScreenCapturePermission READ hasScreenCapturePermission NOTIFY
            hasScreenCapturePermissionChanged)

public:
    static constexpr int PollIntervalMs = 1000;

    // Reads the permission once; does not poll. `permission` must outlive the service.
    explicit PermissionService(ScreenCapturePermission &permission, QObject *parent = nullptr);

    bool hasScreenCapturePermission() const { return m_hasScreenCapturePermission; }
    // Whether the desktop has a screen-capture permission to ask for at all.
    bool isPermissionRequired() const;

    // The running poll timer, or null when not polling.
    QTimer *pollTimer() const { return m_pollTimer; }

    void checkPermission();
    // Asks the platform and polls for the answer, unless already granted.
    void requestPermission();
    // Restarts polling: at most one poll timer runs at a time.
    void startPolling();
    // Ends polling, if it runs, whatever the answer.
    void stopPolling();
    void openSystemSettings();

    // One poll: what the timer does each second.
    void pollTick();

signals:
    void hasScreenCapturePermissionChanged(bool granted);
    void pollTimerChanged();

private:
    void setHasScreenCapturePermission(bool granted);

    ScreenCapturePermission &m_permission;
    bool m_hasScreenCapturePermission = false;
    QPointer<QTimer> m_pollTimer;
};
