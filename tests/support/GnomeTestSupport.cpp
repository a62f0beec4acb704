#include "support/GnomeTestSupport.h"

#include "support/TestSupport.h"

#include <QColorSpace>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <optional>

namespace GnomeTestSupport {

namespace {

constexpr char RemoteDesktop[] = "org.gnome.Mutter.RemoteDesktop";
constexpr char ScreenCast[] = "org.gnome.Mutter.ScreenCast";

QDBusMessage callBus(const QString &service, const QString &path, const QString &interface,
    const QString &method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 15000);
}

QString objectPathOf(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().first().value<QDBusObjectPath>().path();
}

// Counts the PipeWireStreamAdded signals of the streams it listens to.
class StreamWatcher : public QObject
{
    Q_OBJECT
public:
    int added = 0;
public slots:
    void onAdded(uint) { ++added; }
};

} // namespace

QString sessionHome()
{
    return qEnvironmentVariable("QUILLET_GNOME_HOME");
}

namespace {

// GNOME answers only a few allow-listed bus names; the test owns the one
// GNOME's own screenshot tool uses, on a bus that is the test's alone.
std::optional<QImage> shellCall(const QString &method, const QVariantList &leading)
{
    static const bool owned = QDBusConnection::sessionBus()
                                  .interface()
                                  ->registerService(QStringLiteral("org.gnome.Screenshot"))
                                  .value()
        == QDBusConnectionInterface::ServiceRegistered;
    if (!owned)
        return std::nullopt;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("oracle.png"));
    const QDBusMessage reply = callBus(QStringLiteral("org.gnome.Shell.Screenshot"),
        QStringLiteral("/org/gnome/Shell/Screenshot"), QStringLiteral("org.gnome.Shell.Screenshot"), method,
        leading + QVariantList{false, file});
    if (reply.type() != QDBusMessage::ReplyMessage || !reply.arguments().value(0).toBool())
        return std::nullopt;
    return QImage(reply.arguments().value(1).toString());
}

} // namespace

QImage shellScreenshot()
{
    return shellCall(QStringLiteral("Screenshot"), {false}).value_or(QImage());
}

bool RemoteInput::sync()
{
    // First a call that the shell answers on its main loop, which by then
    // has taken in what the input thread handed over; then a picture of the
    // whole stage, painted in a frame of its own for which the pointer's
    // target is picked again. (A small area is read without a new frame.)
    const QDBusMessage version = callBus(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QStringLiteral("org.gnome.Shell"), QStringLiteral("ShellVersion")});
    return version.type() == QDBusMessage::ReplyMessage && shellCall(QStringLiteral("Screenshot"), {false});
}

QImage pixels(const QImage &image)
{
    QImage plain = image.convertToFormat(QImage::Format_RGB32);
    plain.setColorSpace(QColorSpace());
    plain.setDevicePixelRatio(1);
    return plain;
}

std::unique_ptr<RemoteInput> RemoteInput::open()
{
    std::unique_ptr<RemoteInput> input(new RemoteInput);
    input->m_session = objectPathOf(callBus(QString::fromLatin1(RemoteDesktop),
        QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), QString::fromLatin1(RemoteDesktop),
        QStringLiteral("CreateSession")));
    if (input->m_session.isEmpty())
        return nullptr;
    const QDBusMessage id = callBus(QString::fromLatin1(RemoteDesktop), input->m_session,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), QStringLiteral("SessionId")});
    const QString sessionId = id.arguments().value(0).value<QDBusVariant>().variant().toString();
    input->m_screenCast = objectPathOf(callBus(QString::fromLatin1(ScreenCast),
        QStringLiteral("/org/gnome/Mutter/ScreenCast"), QString::fromLatin1(ScreenCast),
        QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("remote-desktop-session-id"), sessionId}}}));
    if (input->m_screenCast.isEmpty())
        return nullptr;
    StreamWatcher watcher;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QString stream = objectPathOf(callBus(QString::fromLatin1(ScreenCast), input->m_screenCast,
            QStringLiteral("org.gnome.Mutter.ScreenCast.Session"), QStringLiteral("RecordMonitor"),
            {screen->name(), QVariantMap{}}));
        if (stream.isEmpty())
            return nullptr;
        QDBusConnection::sessionBus().connect(QString::fromLatin1(ScreenCast), stream,
            QStringLiteral("org.gnome.Mutter.ScreenCast.Stream"), QStringLiteral("PipeWireStreamAdded"),
            &watcher, SLOT(onAdded(uint)));
        input->m_streams.append({stream, screen->geometry()});
    }
    if (input->m_streams.isEmpty() || !input->call(QStringLiteral("Start"), {}))
        return nullptr;
    // Absolute motion is refused until the streams are negotiated.
    if (!TestSupport::waitUntil([&] { return watcher.added >= input->m_streams.size(); }))
        return nullptr;
    if (!input->keys({Keysym::ShiftL}))
        return nullptr;
    return input;
}

RemoteInput::~RemoteInput()
{
    if (!m_session.isEmpty())
        call(QStringLiteral("Stop"), {});
}

bool RemoteInput::call(const QString &method, const QVariantList &arguments)
{
    const QDBusMessage reply = callBus(QString::fromLatin1(RemoteDesktop), m_session,
        QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session"), method, arguments);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool RemoteInput::moveTo(QPoint global)
{
    for (const Stream &stream : m_streams) {
        if (stream.geometry.contains(global)) {
            const QPoint local = global - stream.geometry.topLeft();
            return call(QStringLiteral("NotifyPointerMotionAbsolute"),
                       {stream.path, double(local.x()), double(local.y())})
                && sync();
        }
    }
    return false;
}

bool RemoteInput::button(bool pressed, int button)
{
    return call(QStringLiteral("NotifyPointerButton"), {button, pressed});
}

bool RemoteInput::click(QPoint global)
{
    return moveTo(global) && button(true) && button(false);
}

bool RemoteInput::drag(QPoint from, QPoint to)
{
    if (!moveTo(from) || !button(true))
        return false;
    // Steps between, as a hand moves: a jump straight to the end may not
    // count as a drag for every widget.
    for (int step = 1; step <= 4; ++step) {
        if (!moveTo(from + (to - from) * step / 4))
            return false;
    }
    return button(false);
}

bool RemoteInput::keys(const QList<quint32> &keysyms)
{
    for (const quint32 keysym : keysyms) {
        if (!call(QStringLiteral("NotifyKeyboardKeysym"), {keysym, true}))
            return false;
    }
    for (auto it = keysyms.rbegin(); it != keysyms.rend(); ++it) {
        if (!call(QStringLiteral("NotifyKeyboardKeysym"), {*it, false}))
            return false;
    }
    return true;
}

bool RemoteInput::wheel(int steps)
{
    for (int i = 0; i < std::abs(steps); ++i) {
        if (!call(QStringLiteral("NotifyPointerAxisDiscrete"), {0u, steps > 0 ? 1 : -1}))
            return false;
    }
    return true;
}

} // namespace GnomeTestSupport

#include "GnomeTestSupport.moc"
