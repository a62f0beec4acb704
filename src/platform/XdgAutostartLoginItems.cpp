#include "platform/XdgAutostartLoginItems.h"

#include "platform/DesktopEntry.h"
#include "platform/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

XdgAutostartLoginItems::XdgAutostartLoginItems(QString program)
    : m_program(std::move(program))
{
}

QString XdgAutostartLoginItems::runningProgram()
{
    return ProgramFiles::command();
}

QString XdgAutostartLoginItems::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/quillet.desktop");
}

bool XdgAutostartLoginItems::isEnabled()
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const auto keys = DesktopEntry::readGroup(file.readAll(), QStringLiteral("Desktop Entry"));
    if (!keys || keys->value(QStringLiteral("Exec")).isEmpty())
        return false;
    const auto is = [&](const char *key, const char *value) {
        return keys->value(QLatin1String(key)).compare(QLatin1String(value), Qt::CaseInsensitive) == 0;
    };
    return !is("Hidden", "true") && !is("X-GNOME-Autostart-enabled", "false");
}

bool XdgAutostartLoginItems::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled)
        return !QFileInfo::exists(path) || QFile::remove(path);
    const std::optional<QString> exec = DesktopEntry::execArgument(m_program);
    if (!exec || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Quillet\n"
                                        "Comment=Screenshots from the system tray\n"
                                        "Exec=%1\n"
                                        "Icon=io.quillet.Quillet\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(*exec);
    file.write(text.toUtf8());
    return file.commit();
}
