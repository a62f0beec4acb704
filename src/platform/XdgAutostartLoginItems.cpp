#include "platform/XdgAutostartLoginItems.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

XdgAutostartLoginItems::XdgAutostartLoginItems(QString program)
    : m_program(std::move(program))
{
}

QString XdgAutostartLoginItems::runningProgram()
{
    const QString appImage = qEnvironmentVariable("APPIMAGE");
    return appImage.isEmpty() ? QCoreApplication::applicationFilePath() : appImage;
}

QString XdgAutostartLoginItems::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/quillet.desktop");
}

// Inside the double quotes an Exec argument needs, `"`, `` ` ``, `$` and `\`
// take a backslash; the key's value then escapes every backslash once more,
// and a literal % is written %%.
QString XdgAutostartLoginItems::execArgument(const QString &program)
{
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'%', QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

bool XdgAutostartLoginItems::isEnabled()
{
    const QString path = entryPath();
    if (!QFileInfo(path).isFile())
        return false;
    // QSettings reads the key=value lines; only Hidden matters here.
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    return entry.value(QStringLiteral("Hidden")).toString().compare(u"true", Qt::CaseInsensitive) != 0;
}

bool XdgAutostartLoginItems::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Quillet\n"
                                        "Comment=Screenshots from the system tray\n"
                                        "Exec=%1\n"
                                        "Icon=io.quillet.Quillet\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(execArgument(m_program));
    file.write(text.toUtf8());
    return file.commit();
}
