#include "gnome/GnomeQuillet.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QScreen>

GnomeQuillet::GnomeQuillet()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

GnomeQuillet::~GnomeQuillet()
{
    stop();
}

QString GnomeQuillet::shots()
{
    return GnomeTestSupport::sessionHome() + QStringLiteral("/shots");
}

bool GnomeQuillet::start(const QJsonObject &extra, const QProcessEnvironment &environment)
{
    QDir().mkpath(shots());
    QJsonObject keys{{"hasCompletedOnboarding", true}, {"savePath", shots()}, {"playSound", false},
        {"showPreviewThumbnail", false}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        keys[it.key()] = it.value();
    const QString config = environment.value(QStringLiteral("XDG_CONFIG_HOME"),
                               GnomeTestSupport::sessionHome() + QStringLiteral("/.config"))
        + QStringLiteral("/quillet");
    QDir().mkpath(config);
    EXPECT_TRUE(TestSupport::writeFile(config + QStringLiteral("/defaults.json"), QJsonDocument(keys).toJson()));
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(QUILLET_BINARY), {});
    m_process.waitForStarted();
    const bool ready = TestSupport::waitUntil([this] {
        return !isRunning()
            || QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("io.quillet.Quillet"));
    }) && isRunning();
    EXPECT_TRUE(ready) << "quillet did not start: " << output().constData();
    return ready;
}

void GnomeQuillet::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QByteArray GnomeQuillet::output()
{
    return m_output += m_process.readAll();
}

int GnomeQuillet::run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QUILLET_BINARY), arguments);
    if (!process.waitForFinished(30000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList GnomeQuillet::files() const
{
    QStringList paths;
    for (const QFileInfo &info : QDir(shots()).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed))
        paths << info.filePath();
    return paths;
}

QStringList GnomeQuillet::waitForFiles(int count) const
{
    QStringList found;
    TestSupport::waitUntil([&] { return (found = files()).size() >= count; });
    return found;
}

void GnomeQuillet::removeFiles() const
{
    for (const QString &file : files())
        QFile::remove(file);
}

QImage GnomeQuillet::stillScreen()
{
    QImage last;
    QImage found;
    TestSupport::waitUntil([&] {
        const QImage now = GnomeTestSupport::pixels(GnomeTestSupport::shellScreenshot());
        if (!now.isNull() && now == last)
            found = now;
        last = now;
        return !found.isNull();
    });
    return found;
}

bool GnomeQuillet::waitForOverlays(const QImage &before)
{
    QImage last;
    return TestSupport::waitUntil([&] {
        const QImage now = GnomeTestSupport::pixels(GnomeTestSupport::shellScreenshot());
        bool covered = !now.isNull();
        for (const QScreen *screen : QGuiApplication::screens()) {
            const QRect g = screen->geometry();
            for (const QPoint p : {g.topLeft() + QPoint(5, 40), g.bottomRight() - QPoint(5, 5)})
                covered = covered && now.pixel(p) != before.pixel(p);
        }
        const bool settled = covered && now == last;
        last = now;
        return settled;
    });
}
