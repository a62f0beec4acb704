#include "setup/MoveToApplications.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Outcome = MoveToApplications::Outcome;

using TestSupport::readFile;
using TestSupport::writeFile;

// A root with the running program in Downloads and two Applications folders
// that do not exist yet. A plain file where a folder's parent should be
// makes that folder impossible to create, even for root.
struct Root
{
    QTemporaryDir dir;
    QString path(const char *relative) const { return dir.path() + u'/' + QLatin1String(relative); }
    QString bundle() const { return path("Downloads/quillet"); }
    ApplicationsFolders folders() const { return {path("sys/Applications"), path("home/Applications")}; }
    QString systemCopy() const { return path("sys/Applications/quillet"); }
    QString homeCopy() const { return path("home/Applications/quillet"); }
    void block(const char *parent) const { ASSERT_TRUE(writeFile(path(parent), "not a folder")); }
};

TEST(MoveToApplicationsTest, CopiesIntoTheFirstFolderThatTakesItAndStartsTheCopy)
{
    struct Case
    {
        const char *name;
        std::function<void(const Root &)> arrange;
        bool launches;
        Outcome outcome;
        QString (Root::*destination)() const;
    };
    const Case cases[] = {
        {"fresh install", [](const Root &) {}, true, Outcome::relaunched, &Root::systemCopy},
        {"older copy and a leftover backup",
            [](const Root &r) {
                ASSERT_TRUE(writeFile(r.systemCopy(), "old"));
                ASSERT_TRUE(writeFile(r.systemCopy() + ".backup", "older"));
            },
            true, Outcome::relaunched, &Root::systemCopy},
        {"system folder cannot be made", [](const Root &r) { r.block("sys"); }, true, Outcome::relaunched,
            &Root::homeCopy},
        {"copy will not start", [](const Root &) {}, false, Outcome::installedNotStarted, &Root::systemCopy},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Root root;
        ASSERT_TRUE(writeFile(root.bundle(), "new build"));
        ASSERT_TRUE(
            QFile::setPermissions(root.bundle(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        c.arrange(root);
        QStringList launched;
        const MoveToApplications move(root.bundle(), root.folders(), [&](const QString &program) {
            launched << program;
            return c.launches;
        });
        const MoveToApplications::Result result = move.moveToApplications();
        const QString destination = (root.*c.destination)();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.destination, destination);
        EXPECT_EQ(launched, QStringList{destination});
        EXPECT_EQ(readFile(destination), "new build");
        EXPECT_TRUE(QFileInfo(destination).isExecutable());
        EXPECT_FALSE(QFileInfo::exists(destination + ".backup"));
        EXPECT_EQ(readFile(root.bundle()), "new build"); // the source stays
    }
}

// A failed copy puts the older copy back; running from the system-wide copy
// copies nothing (the home folder's case goes through the onboarding page's
// own check). Neither starts anything.
TEST(MoveToApplicationsTest, AFailedCopyOrAnInstalledProgramStartsNothingAndLeavesTheCopyAsItWas)
{
    for (const bool installed : {false, true}) {
        SCOPED_TRACE(installed);
        Root root;
        ASSERT_TRUE(writeFile(root.systemCopy(), "old"));
        root.block("home");
        int launches = 0;
        // Unless it runs from the system-wide copy, the program file has gone away and cannot be copied.
        const MoveToApplications move(installed ? root.systemCopy() : root.bundle(), root.folders(),
            [&](const QString &) { return ++launches > 0; });
        EXPECT_EQ(move.moveToApplications().outcome, installed ? Outcome::alreadyInstalled : Outcome::failed);
        EXPECT_EQ(launches, 0);
        EXPECT_EQ(readFile(root.systemCopy()), "old");
        EXPECT_FALSE(QFileInfo::exists(root.systemCopy() + ".backup"));
    }
}

} // namespace
