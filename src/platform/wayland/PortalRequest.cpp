#include "platform/wayland/PortalRequest.h"

#include <QAtomicInt>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QTimer>

namespace {

constexpr char RequestInterface[] = "org.freedesktop.portal.Request";

QString nextToken()
{
    static QAtomicInt counter;
    return QStringLiteral("quillet%1").arg(counter.fetchAndAddRelaxed(1));
}

// The portal names a request's object after the caller's unique bus name
// and the token: ":1.42" and "t" give .../request/1_42/t.
QString handleFor(const QString &token)
{
    QString sender = QDBusConnection::sessionBus().baseService().mid(1);
    sender.replace(u'.', u'_');
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

PortalResponse failure(const QString &error)
{
    return PortalResponse{2, {{QStringLiteral("error"), error}}};
}

} // namespace

PortalRequest::PortalRequest(
    QString interface, QString method, QVariantList arguments, QVariantMap options, QObject *parent)
    : QObject(parent)
    , m_interface(std::move(interface))
    , m_method(std::move(method))
    , m_arguments(std::move(arguments))
    , m_options(std::move(options))
{
}

PortalRequest::~PortalRequest()
{
    unsubscribe();
}

void PortalRequest::start(std::function<void(const PortalResponse &)> done)
{
    m_done = std::move(done);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        finish(failure(QStringLiteral("no session D-Bus")));
        return;
    }
    const QString token = nextToken();
    m_handle = handleFor(token);
    bus.connect(QString::fromLatin1(Service), m_handle, QString::fromLatin1(RequestInterface),
        QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(Service), QString::fromLatin1(Path), m_interface, m_method);
    QVariantMap options = m_options;
    options.insert(QStringLiteral("handle_token"), token);
    call.setArguments(m_arguments + QVariantList{options});
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError())
            finish(failure(reply.error().name() + QStringLiteral(": ") + reply.error().message()));
        // Portals older than handle_token answer on a path of their own.
        else if (reply.value().path() != m_handle) {
            unsubscribe();
            m_handle = reply.value().path();
            QDBusConnection::sessionBus().connect(QString::fromLatin1(Service), m_handle,
                QString::fromLatin1(RequestInterface), QStringLiteral("Response"), this,
                SLOT(onResponse(uint, QVariantMap)));
        }
    });
}

std::optional<PortalResponse> PortalRequest::run(int timeoutMs)
{
    std::optional<PortalResponse> answer;
    QEventLoop loop;
    start([&](const PortalResponse &response) {
        answer = response;
        loop.quit();
    });
    if (!answer) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_done = nullptr;
    unsubscribe();
    return answer;
}

void PortalRequest::onResponse(uint code, const QVariantMap &results)
{
    finish(PortalResponse{code, results});
}

void PortalRequest::finish(const PortalResponse &response)
{
    unsubscribe();
    if (auto done = std::exchange(m_done, nullptr))
        done(response);
}

void PortalRequest::unsubscribe()
{
    if (m_handle.isEmpty())
        return;
    QDBusConnection::sessionBus().disconnect(QString::fromLatin1(Service), m_handle,
        QString::fromLatin1(RequestInterface), QStringLiteral("Response"), this,
        SLOT(onResponse(uint, QVariantMap)));
    m_handle.clear();
}
