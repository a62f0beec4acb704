#include "setup/MoveToApplications.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Outcome = MoveToApplications::Outcome;
using Placement = MoveToApplications::Placement;

using TestSupport::readFile;
using TestSupport::runProgram;
using TestSupport::writeFile;

// A home of its own, with the command in a build folder and the program it
// starts beside it; the program leaves a mark when it runs.
struct Home
{
    QTemporaryDir dir;
    QString path(const QString &relative) const { return dir.path() + u'/' + relative; }
    InstallPlaces places() const { return InstallPlaces::forUser(dir.path(), path("data")); }
    QString build() const { return path("src/quillet/build/quillet"); }
    QString builtProgram() const { return path("src/quillet/build/libexec/quillet/quillet"); }
    QString builtModule() const { return path("src/quillet/build/libexec/quillet/quillet-wayland.so"); }
    QString marker() const { return path("started"); }
    QString program() const { return path(".local/bin/quillet"); }
    QString installedProgram() const { return path(".local/libexec/quillet/quillet"); }
    QString installedModule() const { return path(".local/libexec/quillet/quillet-wayland.so"); }
    QString entry() const { return path("data/applications/io.quillet.Quillet.desktop"); }
    QString icon() const { return path("data/icons/hicolor/scalable/apps/io.quillet.Quillet.svg"); }
    QStringList installed() const { return {installedModule(), installedProgram(), program(), entry(), icon()}; }

    void makeBuild() const
    {
        // Where the command looks for its program once installed.
        ASSERT_TRUE(writeFile(build(), "#!/bin/sh\nexec \"$(dirname \"$0\")/../libexec/quillet/quillet\"\n"));
        ASSERT_TRUE(writeFile(builtProgram(), "#!/bin/sh\ntouch '" + QFile::encodeName(marker()) + "'\n"));
        ASSERT_TRUE(writeFile(builtModule(), "the Wayland backends"));
        for (const QString &file : {build(), builtProgram()})
            ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
};

TEST(MoveToApplicationsTest, AProgramInstalledByTheSystemOrInLocalBinIsInPlace)
{
    Home home;
    QTemporaryDir elsewhere;
    const QString realHome = home.dir.path();
    const QString linkedHome = elsewhere.filePath(QStringLiteral("home"));
    ASSERT_TRUE(QFile::link(realHome, linkedHome));
    ASSERT_TRUE(QDir().mkpath(home.path(".local/bin")));
    const struct
    {
        QString program;
        QString home;
        Placement placement;
    } cases[] = {
        {"/usr/local/bin/quillet", realHome, Placement::system},
        {"/opt/Quillet/quillet", realHome, Placement::system},
        {"/snap/quillet/12/usr/bin/quillet", realHome, Placement::system},
        {realHome + "/.local/bin/Quillet-x86_64.AppImage", realHome, Placement::user},
        // The same folder, once through a linked home in the running
        // program's path and once in the home the session names.
        {linkedHome + "/.local/bin/quillet", realHome, Placement::user},
        {realHome + "/.local/bin/quillet", linkedHome, Placement::user},
        {realHome + "/Downloads/Quillet-x86_64.AppImage", realHome, Placement::elsewhere},
        {realHome + "/.local/binaries/quillet", realHome, Placement::elsewhere},
        {"/usrx/quillet", realHome, Placement::elsewhere},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.program.toStdString() + " in " + c.home.toStdString());
        int launches = 0;
        const MoveToApplications move(c.program, InstallPlaces::forUser(c.home, home.path("data")),
            [&](const QString &) { return ++launches > 0; });
        EXPECT_EQ(move.placement(), c.placement);
        if (c.placement != Placement::elsewhere) {
            EXPECT_EQ(move.moveToApplications().outcome, Outcome::alreadyInstalled);
        }
        EXPECT_EQ(launches, 0);
    }
    EXPECT_FALSE(QFile::exists(home.path("data"))); // nothing installed
}

// The command, its program and the module it loads, its launcher entry and its icon land where the
// desktop looks; the entry passes the validator and GLib starts the
// installed copy from it, which finds its program.
// Older copies (files or links, even dangling) are replaced, leftover
// backups too, and nothing is left set aside.
TEST(MoveToApplicationsTest, InstallsForThisUserAndStartsTheCopy)
{
    for (const bool olderCopies : {false, true}) {
        SCOPED_TRACE(olderCopies);
        Home home;
        home.makeBuild();
        if (olderCopies) {
            ASSERT_TRUE(writeFile(home.program(), "old"));
            ASSERT_TRUE(writeFile(home.program() + ".backup", "older"));
            ASSERT_TRUE(QDir().mkpath(QFileInfo(home.entry()).path()));
            ASSERT_TRUE(QFile::link(home.path("gone"), home.entry()));
            ASSERT_TRUE(writeFile(home.path("old.svg"), "<svg/>"));
            ASSERT_TRUE(QDir().mkpath(QFileInfo(home.icon()).path()));
            ASSERT_TRUE(QFile::link(home.path("old.svg"), home.icon()));
        }
        QStringList launched;
        const MoveToApplications move(home.build(), home.places(), [&](const QString &program) {
            launched << program;
            return true;
        });
        const MoveToApplications::Result result = move.moveToApplications();
        EXPECT_EQ(result.outcome, Outcome::relaunched);
        EXPECT_EQ(result.destination, home.program());
        EXPECT_EQ(launched, QStringList{home.program()});
        EXPECT_EQ(readFile(home.program()), readFile(home.build()));
        EXPECT_EQ(readFile(home.installedProgram()), readFile(home.builtProgram()));
        EXPECT_EQ(readFile(home.installedModule()), readFile(home.builtModule()));
        EXPECT_TRUE(QFileInfo(home.program()).isExecutable());
        EXPECT_TRUE(readFile(home.icon()).contains("<svg"));
        EXPECT_FALSE(QFileInfo(home.icon()).isSymLink());
        EXPECT_EQ(readFile(home.path("old.svg")), olderCopies ? "<svg/>" : "(unreadable)"); // a link's target stays
        for (const QString &file : home.installed())
            EXPECT_FALSE(QFileInfo(file + ".backup").exists() || QFileInfo(file + ".backup").isSymLink()) << file.toStdString();
        EXPECT_TRUE(QFile::exists(home.build()));

        int status = -1;
        const QByteArray complaints = runProgram("desktop-file-validate", {home.entry()}, &status);
        EXPECT_EQ(status, 0) << complaints.constData();
        runProgram("gio", {"launch", home.entry()}, &status);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(TestSupport::waitUntil([&] { return QFile::exists(home.marker()); }));
    }
}

// A folder (or anything but a file or a link) where a file would go is the
// user's: it stays with everything in it, the install fails naming it, and
// whatever was replaced before that is put back.
TEST(MoveToApplicationsTest, AFolderInTheWayIsLeftAloneAndNamed)
{
    const struct
    {
        const char *name;
        QString folder;
        bool olderProgram;
    } cases[] = {
        {"program", "/.local/bin/quillet", false},
        {"icon, after the program and entry were put in place", "/data/icons/hicolor/scalable/apps/io.quillet.Quillet.svg",
            true},
        {"the older program's backup", "/.local/bin/quillet.backup", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Home home;
        home.makeBuild();
        const QString folder = home.dir.path() + c.folder;
        ASSERT_TRUE(writeFile(folder + "/notes.txt", "the user's"));
        if (c.olderProgram) {
            ASSERT_TRUE(writeFile(home.program(), "old"));
        }
        int launches = 0;
        const MoveToApplications move(home.build(), home.places(), [&](const QString &) { return ++launches > 0; });
        const MoveToApplications::Result result = move.moveToApplications();
        EXPECT_EQ(result.outcome, Outcome::failed);
        EXPECT_EQ(result.problem, folder + " is a folder. Move it elsewhere, then try again.");
        EXPECT_EQ(readFile(folder + "/notes.txt"), "the user's");
        EXPECT_EQ(launches, 0);
        if (c.olderProgram) {
            EXPECT_EQ(readFile(home.program()), "old");
        }
        EXPECT_FALSE(QFile::exists(home.entry()));
        EXPECT_EQ(QFile::exists(home.program() + ".backup"), folder == home.program() + ".backup");
    }
}

} // namespace
