#include "e2e/QuilletE2E.h"

#include <QColorSpace>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>

using TestSupport::runProgram;

void QuilletE2E::TearDown()
{
    if (HasFailure()) {
        std::cerr << "quillet's standard output:\n"
                  << output().constData() << "\nits standard error:\n"
                  << m_process.readAllStandardError().constData() << std::endl;
    }
    stop();
}

bool QuilletE2E::start(const QJsonObject &extra, bool seed)
{
    if (!launch(extra, seed))
        return false;
    // The icon is embedded after every service is built, so the shortcuts are live.
    const bool ready = TestSupport::waitUntil([this] { return !isRunning() || trayIcon(); }) && isRunning();
    EXPECT_TRUE(ready) << "quillet did not show its tray icon; exit code " << m_process.exitCode();
    return ready;
}

bool QuilletE2E::launch(const QJsonObject &extra, bool seed)
{
    EXPECT_TRUE(m_home.isValid());
    QDir(home()).mkpath(QStringLiteral("Desktop"));
    if (seed) {
        QJsonObject keys{{"hasCompletedOnboarding", true}, {"savePath", shots()}, {"playSound", false},
            {"showPreviewThumbnail", false}};
        for (auto it = extra.begin(); it != extra.end(); ++it)
            keys[it.key()] = it.value();
        writeDefaults(QJsonDocument(keys).toJson());
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home());
    for (const auto &[name, sub] : {std::pair{"XDG_CONFIG_HOME", ".config"},
             {"XDG_DATA_HOME", ".local/share"}, {"XDG_CACHE_HOME", ".cache"}})
        environment.insert(QLatin1String(name), m_home.filePath(QLatin1String(sub)));
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(QUILLET_BINARY), m_arguments);
    const bool started = m_process.waitForStarted();
    EXPECT_TRUE(started) << m_process.errorString().toStdString();
    return started;
}

QStringList QuilletE2E::files(const QString &folder) const
{
    // Files are renamed into place once written, so every listed file is whole.
    QStringList paths;
    for (const QFileInfo &info :
        QDir(folder.isEmpty() ? shots() : folder).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed))
        paths << info.filePath();
    return paths;
}

QStringList QuilletE2E::waitForFiles(int count, const QString &folder) const
{
    QStringList found;
    TestSupport::waitUntil([&] { return (found = files(folder)).size() >= count; });
    return found;
}

std::optional<quint32> QuilletE2E::findWindow(const QString &title) const
{
    const QByteArray ids = runProgram(QStringLiteral("xdotool"),
        {"search", "--all", "--onlyvisible", "--pid", QString::number(m_process.processId()), "--name",
            QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
    return ids.trimmed().isEmpty() ? std::nullopt : std::optional(ids.split('\n').first().toUInt());
}

std::optional<quint32> QuilletE2E::windowWith(const char *property, const char *marker) const
{
    for (const quint32 id : visibleWindows()) {
        if (runProgram(QStringLiteral("xprop"), {"-id", QString::number(id), property}).contains(marker))
            return id;
    }
    return std::nullopt;
}

QList<quint32> QuilletE2E::visibleWindows() const
{
    QList<quint32> windows;
    const QByteArray ids = runProgram(QStringLiteral("xdotool"),
        {"search", "--onlyvisible", "--pid", QString::number(m_process.processId())});
    for (const QByteArray &id : ids.split('\n')) {
        if (!id.isEmpty())
            windows << id.toUInt();
    }
    return windows;
}

QRect QuilletE2E::frameOf(const X11TestSupport::HelperWindow &window, QSize contentSize)
{
    const QList<int> e = X11TestSupport::frameExtents(window.id); // left, right, top, bottom
    return e.size() == 4
        ? QRect(window.origin - QPoint(e[0], e[2]), contentSize + QSize(e[0] + e[1], e[2] + e[3]))
        : QRect();
}

bool QuilletE2E::overlayShows(bool shows)
{
    const QRect probe(100, 100, 4, 4);
    return X11TestSupport::waitUntilScreenShows(
        probe, [&](const QImage &s) { return (X11TestSupport::patternMismatches(s, probe) != 0) == shows; });
}

QImage QuilletE2E::grabScreenWithImageMagick()
{
    return pixels(
        QImage::fromData(runProgram(QStringLiteral("import"), {"-silent", "-window", "root", "png:-"})));
}

QImage QuilletE2E::pixels(const QImage &image)
{
    QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    rgb.setColorSpace(QColorSpace());
    return rgb;
}
