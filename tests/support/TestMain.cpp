#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

// Every test program runs with a HOME and XDG folders of its own, so nothing
// touches the real user's files, and with the en_US locale so that texts
// such as the AM/PM marker are fixed.
int main(int argc, char **argv)
{
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/quillet-test-home-XXXXXX"));
    if (!temporary.isValid())
        return 2;
    // A GNOME test session has a temporary HOME already, and every program
    // in it must share that one: GSettings reads under it.
    const QString home = qEnvironmentVariableIsEmpty("QUILLET_GNOME_HOME")
        ? temporary.path()
        : qEnvironmentVariable("QUILLET_GNOME_HOME");
    const QByteArray root = QFile::encodeName(home);
    for (const char *sub : {"/Desktop", "/.config", "/.local/share", "/.cache"})
        QDir().mkpath(home + QLatin1String(sub));
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/.cache").constData(), 1);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
