#include "platform/wayland/PortalScreenCapturePermission.h"

#include "platform/wayland/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

constexpr char StoreService[] = "org.freedesktop.impl.portal.PermissionStore";
constexpr char StorePath[] = "/org/freedesktop/impl/portal/PermissionStore";
// Where xdg-desktop-portal keeps the screenshot answer: table and id
// "screenshot", app id "" for programs outside a sandbox.
const QString Table = QStringLiteral("screenshot");

QDBusMessage callStore(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(StoreService),
        QString::fromLatin1(StorePath), QString::fromLatin1(StoreService), method);
    call.setArguments(arguments);
    // The store is a small local service: a second is ample, and a store
    // that hangs must not hang the settings window with it.
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 1000);
}

} // namespace

PortalScreenCapturePermission::Stored PortalScreenCapturePermission::readStore()
{
    const QDBusMessage reply = callStore(QStringLiteral("Lookup"), {Table, Table});
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // No table yet: nobody has been asked.
        return reply.errorName() == QLatin1String("org.freedesktop.portal.Error.NotFound") ? Stored::unanswered
                                                                                          : Stored::unknown;
    }
    const QDBusArgument argument = reply.arguments().value(0).value<QDBusArgument>();
    QMap<QString, QStringList> apps;
    argument >> apps;
    if (!apps.contains(QString()))
        return Stored::unanswered;
    const QStringList answer = apps.value(QString());
    if (answer == QStringList{QStringLiteral("yes")})
        return Stored::granted;
    return answer == QStringList{QStringLiteral("no")} ? Stored::refused : Stored::unanswered;
}

bool PortalScreenCapturePermission::preflight()
{
    switch (readStore()) {
    case Stored::granted:
        return true;
    case Stored::refused:
    case Stored::unanswered:
        return false;
    case Stored::unknown:
        break;
    }
    // A portal without a store of ours to read (another desktop's) answers
    // screenshots itself: what it last said counts, and at first we assume
    // it will answer, so a capture tries.
    return m_answered.value_or(true);
}

bool PortalScreenCapturePermission::request()
{
    if (preflight())
        return true;
    if (m_pending)
        return false;
    // After a refusal the portal answers at once and GNOME asks nothing:
    // without a word from us a capture would simply do nothing.
    if (readStore() == Stored::refused) {
        showRefusal();
        return false;
    }
    auto *request = new PortalRequest(QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"), {QString()}, {{QStringLiteral("interactive"), false}}, this);
    m_pending = request;
    request->start([this, request](const PortalResponse &response) {
        m_answered = response.code == 0;
        // Asking took a real screenshot: it is nobody's, so it goes.
        const QString file = QUrl(response.results.value(QStringLiteral("uri")).toString()).toLocalFile();
        if (!file.isEmpty())
            QFile::remove(file);
        request->deleteLater();
    });
    return false;
}

void PortalScreenCapturePermission::showRefusal()
{
    if (m_refusal && m_refusal->isVisible()) {
        m_refusal->raise();
        m_refusal->activateWindow();
        return;
    }
    auto *alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Quillet"), refusalText());
    alert->setInformativeText(refusalHint());
    alert->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *grant = alert->addButton(QStringLiteral("Grant Access…"), QMessageBox::AcceptRole);
    alert->addButton(QMessageBox::Cancel);
    alert->setDefaultButton(grant);
    connect(alert, &QMessageBox::finished, this, [this, alert, grant] {
        if (alert->clickedButton() == grant)
            openSystemSettings();
    });
    m_refusal = alert;
    // Never modal: the capture flow that asked does not wait for the user.
    alert->open();
}

QString PortalScreenCapturePermission::refusalText()
{
    return QStringLiteral("Screen Recording permission is required.");
}

QString PortalScreenCapturePermission::refusalHint()
{
    return QStringLiteral("GNOME was told not to let Quillet take screenshots, and does not ask again by itself. "
                          "Choose \u201cGrant Access\u2026\u201d here or in Quillet\u2019s settings, then "
                          "\u201cAllow\u201d in GNOME\u2019s question.");
}

void PortalScreenCapturePermission::openSystemSettings()
{
    // The portal asks only while the store holds no answer; the user asked
    // for the question back.
    if (readStore() == Stored::refused)
        callStore(QStringLiteral("DeletePermission"), {Table, Table, QString()});
    request();
}
