#include "platform/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

QString programFor(const QString &commandPath)
{
    const QDir folder = QFileInfo(commandPath).absoluteDir();
    for (const char *place : {"../libexec/quillet/quillet", "libexec/quillet/quillet"}) {
        const QFileInfo program(folder.filePath(QLatin1String(place)));
        if (program.isFile() && program.isExecutable())
            return QDir::cleanPath(program.absoluteFilePath());
    }
    return {};
}

QString waylandModuleBeside(const QString &programPath)
{
    return QFileInfo(programPath).absoluteDir().filePath(QLatin1String(waylandModuleName));
}

QString command()
{
    static const QString path = [] {
        QString passed = qEnvironmentVariable(commandVariable);
        qunsetenv(commandVariable);
        if (!passed.isEmpty())
            return passed;
        const QString appImage = qEnvironmentVariable("APPIMAGE");
        return appImage.isEmpty() ? QCoreApplication::applicationFilePath() : appImage;
    }();
    return path;
}

} // namespace ProgramFiles
