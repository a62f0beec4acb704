#include "platform/wayland/DesktopCaptureNotifier.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusMetaType>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

// The "image-data" hint: width, height, row stride, alpha, bits per
// sample, channels and the RGBA bytes.
struct ImageData
{
    QImage image;
};

QDBusArgument &operator<<(QDBusArgument &argument, const ImageData &data)
{
    const QImage &image = data.image;
    argument.beginStructure();
    argument << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, ImageData &)
{
    return argument; // only ever sent
}

} // namespace

Q_DECLARE_METATYPE(ImageData)

DesktopCaptureNotifier::DesktopCaptureNotifier()
{
    qDBusRegisterMetaType<ImageData>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(quint32, QString)));
    bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(quint32, quint32)));
}

DesktopCaptureNotifier::~DesktopCaptureNotifier() = default;

void DesktopCaptureNotifier::show(const QImage &picture, const QString &title, const QString &body,
                                  ActionCallback onAction)
{
    m_onAction = std::move(onAction);
    m_closeWhenAnswered = false;
    const QImage scaled = picture.scaled(PictureSize, PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGBA8888);
    const QVariantMap hints{
        {QStringLiteral("image-data"), QVariant::fromValue(ImageData{scaled})},
        {QStringLiteral("desktop-entry"), QStringLiteral("io.quillet.Quillet")},
        // Taken away with the thumbnail's time: nothing to keep in the list.
        {QStringLiteral("transient"), true},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    call << QStringLiteral("Quillet") << m_id.value_or(0) << QStringLiteral("io.quillet.Quillet") << title << body
         << QStringList{openAction, QStringLiteral("Open"), showInFolderAction, QStringLiteral("Show in Folder")}
         << hints << -1;
    const quint64 generation = ++m_generation;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        const QDBusPendingReply<quint32> reply = *watcher;
        if (reply.isError())
            return;
        // A newer capture was shown before the service answered for this one.
        if (generation != m_generation) {
            closeId(reply.value());
            return;
        }
        m_id = reply.value();
        if (std::exchange(m_closeWhenAnswered, false))
            close();
    });
}

void DesktopCaptureNotifier::close()
{
    if (!m_id) {
        m_closeWhenAnswered = true;
        return;
    }
    closeId(*std::exchange(m_id, std::nullopt));
    m_onAction = nullptr;
}

void DesktopCaptureNotifier::closeId(quint32 id)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    call << id;
    QDBusConnection::sessionBus().asyncCall(call);
}

void DesktopCaptureNotifier::actionInvoked(quint32 id, const QString &action)
{
    if (id != m_id || !m_onAction)
        return;
    const ActionCallback onAction = m_onAction;
    if (action == openAction)
        onAction(Action::open);
    else if (action == showInFolderAction)
        onAction(Action::showInFolder);
}

void DesktopCaptureNotifier::notificationClosed(quint32 id, quint32 reason)
{
    Q_UNUSED(reason);
    if (id == m_id)
        m_id.reset();
}
