#pragma once

#include "platform/CaptureNotifier.h"

#include <QObject>

#include <optional>

// The capture notification through the freedesktop notification service
// (org.freedesktop.Notifications on the session bus). One notification at a
// time: a new one replaces the previous in place.
class DesktopCaptureNotifier : public QObject, public CaptureNotifier
{
    Q_OBJECT

public:
    static inline const QString openAction = QStringLiteral("default");
    static inline const QString showInFolderAction = QStringLiteral("show-in-folder");
    // The picture is scaled to fit this square, as notifications show no more.
    static constexpr int PictureSize = 256;

    DesktopCaptureNotifier();
    ~DesktopCaptureNotifier() override;

    void show(const QImage &picture, const QString &title, const QString &body, ActionCallback onAction) override;
    void close() override;

    // The id the service gave the notification that is up, once it answered.
    std::optional<quint32> currentId() const { return m_id; }

private slots:
    void actionInvoked(quint32 id, const QString &action);
    void notificationClosed(quint32 id, quint32 reason);

private:
    void closeId(quint32 id);

    std::optional<quint32> m_id;
    quint64 m_generation = 0; // the latest show(); older answers are stale
    bool m_closeWhenAnswered = false;
    ActionCallback m_onAction;
};
