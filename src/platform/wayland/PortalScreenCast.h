#pragma once

#include "platform/ScreenCast.h"

#include <QPointer>

class PipeWireFrames;
class PortalRequest;
struct PortalResponse;

// A display cast through the XDG desktop portal's ScreenCast interface and
// PipeWire: the user picks the display in the desktop's "Screen Share"
// dialog once, and the restore token it hands back makes later casts start
// without asking. Frames arrive in shared memory, only when the screen
// changed, at most PipeWireFrames::MaxFramesPerSecond a second.
class PortalScreenCast : public ScreenCast
{
    Q_OBJECT

public:
    explicit PortalScreenCast(QObject *parent = nullptr);
    ~PortalScreenCast() override;

    void start(const QString &restoreToken) override;
    void stop() override;

private:
    void request(const QString &method, QVariantList arguments, QVariantMap options,
        void (PortalScreenCast::*next)(const PortalResponse &));
    void sessionCreated(const PortalResponse &response);
    void sourcesSelected(const PortalResponse &response);
    void castStarted(const PortalResponse &response);
    bool openStream(quint32 node);
    void fail(const QString &reason);
    void closeSession();

    QString m_restoreToken;
    QString m_session;
    QPointer<PortalRequest> m_request;
    PipeWireFrames *m_frames = nullptr;
    // Bumped by stop(), so that an answer to an abandoned start is ignored.
    quint64 m_attempt = 0;
};
