#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <optional>

// The answer to a request of the XDG desktop portal: 0 = done, 1 = the user
// cancelled, 2 = refused or failed; `results` holds what the call returns.
struct PortalResponse
{
    uint code = 2;
    QVariantMap results;
};

// One call of an org.freedesktop.portal interface that answers through a
// Request object's Response signal. The signal is subscribed to before the
// call goes out, so a quick answer is never missed.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    static constexpr char Service[] = "org.freedesktop.portal.Desktop";
    static constexpr char Path[] = "/org/freedesktop/portal/desktop";

    // `arguments` are the call's leading arguments; `options` its a{sv},
    // to which the request's handle_token is added.
    PortalRequest(QString interface, QString method, QVariantList arguments, QVariantMap options,
        QObject *parent = nullptr);
    ~PortalRequest() override;

    // Sends the call and returns at once; `done` comes on this object's
    // thread with the response, or with code 2 and an "error" result when
    // the portal is missing or fails the call.
    void start(std::function<void(const PortalResponse &)> done);

    // Sends the call and waits on this thread (never the main thread: the
    // answer may need the user) until the response or `timeoutMs`.
    std::optional<PortalResponse> run(int timeoutMs);

private slots:
    void onResponse(uint code, const QVariantMap &results);

private:
    void finish(const PortalResponse &response);
    void unsubscribe();

    QString m_interface;
    QString m_method;
    QVariantList m_arguments;
    QVariantMap m_options;
    QString m_handle;
    std::function<void(const PortalResponse &)> m_done;
};
