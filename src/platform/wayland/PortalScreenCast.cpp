#include "platform/wayland/PortalScreenCast.h"

#include "platform/wayland/PipeWireFrames.h"
#include "platform/wayland/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>

namespace {

const QString Interface = QStringLiteral("org.freedesktop.portal.ScreenCast");

enum : uint { MonitorSource = 1, CursorHidden = 1, PersistUntilRevoked = 2 };

struct CastStream
{
    quint32 node = 0;
    QRect area;
};

QPoint pairOf(const QVariant &value)
{
    if (!value.canConvert<QDBusArgument>())
        return {};
    const auto argument = value.value<QDBusArgument>();
    int x = 0, y = 0;
    argument.beginStructure();
    argument >> x >> y;
    argument.endStructure();
    return {x, y};
}

// The first stream of a Start answer: a(ua{sv}), the node and where the
// display sits in the desktop's layout.
std::optional<CastStream> firstStream(const QVariantMap &results)
{
    const auto streams = results.value(QStringLiteral("streams")).value<QDBusArgument>();
    std::optional<CastStream> first;
    streams.beginArray();
    while (!streams.atEnd()) {
        CastStream stream;
        QVariantMap properties;
        streams.beginStructure();
        streams >> stream.node >> properties;
        streams.endStructure();
        const QPoint size = pairOf(properties.value(QStringLiteral("size")));
        stream.area = QRect(pairOf(properties.value(QStringLiteral("position"))), QSize(size.x(), size.y()));
        if (!first)
            first = stream;
    }
    streams.endArray();
    return first;
}

QString failureReason(const PortalResponse &response)
{
    const QString error = response.results.value(QStringLiteral("error")).toString();
    return error.isEmpty() ? QStringLiteral("The desktop refused to share the screen.") : error;
}

} // namespace

PortalScreenCast::PortalScreenCast(QObject *parent)
    : ScreenCast(parent)
{
}

PortalScreenCast::~PortalScreenCast()
{
    stop();
}

void PortalScreenCast::start(const QString &restoreToken)
{
    stop();
    m_restoreToken = restoreToken;
    request(QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), QStringLiteral("quillet%1").arg(m_attempt)}},
        &PortalScreenCast::sessionCreated);
}

void PortalScreenCast::stop()
{
    ++m_attempt;
    // Both may be the sender of what brought us here: let them go afterwards.
    if (m_request)
        m_request->deleteLater();
    m_request = nullptr;
    if (m_frames) {
        m_frames->disconnect(this);
        m_frames->deleteLater();
        m_frames = nullptr;
    }
    closeSession();
}

void PortalScreenCast::request(const QString &method, QVariantList arguments, QVariantMap options,
    void (PortalScreenCast::*next)(const PortalResponse &))
{
    if (m_request)
        m_request->deleteLater();
    m_request = new PortalRequest(Interface, method, std::move(arguments), std::move(options), this);
    const quint64 attempt = m_attempt;
    m_request->start([this, next, attempt](const PortalResponse &response) {
        if (attempt != m_attempt)
            return;
        if (response.code == 1)
            fail({}); // the user cancelled the dialog
        else if (response.code != 0 && !m_restoreToken.isEmpty())
            start({}); // a token the desktop no longer honours: ask the user instead
        else if (response.code != 0)
            fail(failureReason(response));
        else
            (this->*next)(response);
    });
}

void PortalScreenCast::sessionCreated(const PortalResponse &response)
{
    m_session = response.results.value(QStringLiteral("session_handle")).toString();
    QVariantMap options {{QStringLiteral("types"), uint(MonitorSource)}, {QStringLiteral("multiple"), false},
        {QStringLiteral("cursor_mode"), uint(CursorHidden)},
        {QStringLiteral("persist_mode"), uint(PersistUntilRevoked)}};
    if (!m_restoreToken.isEmpty())
        options.insert(QStringLiteral("restore_token"), m_restoreToken);
    request(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(m_session))}, options,
        &PortalScreenCast::sourcesSelected);
}

void PortalScreenCast::sourcesSelected(const PortalResponse &)
{
    // No parent window: the dialog, when one is needed, comes up on its own.
    request(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {},
        &PortalScreenCast::castStarted);
}

void PortalScreenCast::castStarted(const PortalResponse &response)
{
    const std::optional<CastStream> stream = firstStream(response.results);
    if (!stream) {
        fail(QStringLiteral("The desktop shared no screen."));
        return;
    }
    if (!openStream(stream->node))
        return;
    emit started(stream->area, response.results.value(QStringLiteral("restore_token")).toString());
}

bool PortalScreenCast::openStream(quint32 node)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::Service),
        QString::fromLatin1(PortalRequest::Path), Interface, QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
    // Answered at once by the portal itself; the frames need it before anything else.
    const QDBusReply<QDBusUnixFileDescriptor> remote = QDBusConnection::sessionBus().call(call);
    if (!remote.isValid()) {
        fail(QStringLiteral("Could not open the screen cast: %1").arg(remote.error().message()));
        return false;
    }
    m_frames = new PipeWireFrames(this);
    if (!m_frames->open(remote.value().fileDescriptor(), node)) {
        fail(m_frames->errorString());
        return false;
    }
    connect(m_frames, &PipeWireFrames::frameReady, this, &ScreenCast::frameReady);
    connect(m_frames, &PipeWireFrames::broken, this, &PortalScreenCast::fail);
    return true;
}

void PortalScreenCast::fail(const QString &reason)
{
    stop();
    emit failed(reason);
}

void PortalScreenCast::closeSession()
{
    if (m_session.isEmpty())
        return;
    // Closing the session is what takes the desktop's sharing indicator away.
    QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(QString::fromLatin1(PortalRequest::Service),
        m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
}
