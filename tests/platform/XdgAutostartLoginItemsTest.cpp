#include "platform/XdgAutostartLoginItems.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using TestSupport::readFile;
using TestSupport::runProgram;
using TestSupport::writeFile;

// The entry as the desktop reads it: the freedesktop validator, then GLib's
// own loader, which must find the program and start exactly that file.
class XdgAutostartLoginItemsTest : public ::testing::Test
{
protected:
    void SetUp() override { QFile::remove(entry); }

    // A script at `dir/name` that leaves a mark when it runs.
    QString program(const QString &name) const
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFile(path, "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    bool validates() const
    {
        int status = -1;
        const QByteArray out = runProgram(QStringLiteral("desktop-file-validate"), {entry}, &status);
        EXPECT_TRUE(out.isEmpty()) << out.constData();
        return status == 0;
    }
    bool launchesTheProgram() const
    {
        int status = -1;
        runProgram(QStringLiteral("gio"), {QStringLiteral("launch"), entry}, &status);
        return status == 0 && TestSupport::waitUntil([&] { return QFile::exists(marker); });
    }

    QTemporaryDir dir;
    QString marker = dir.filePath(QStringLiteral("started"));
    QString entry = XdgAutostartLoginItems::entryPath();
};

TEST_F(XdgAutostartLoginItemsTest, TheEntryStartsTheVeryProgramOrIsRefused)
{
    const struct
    {
        const char *name;
        bool expressible;
    } cases[] = {
        {"quillet", true},
        {"My Apps quillet", true},
        {R"(q"u`o$t\e's)", true},
        {"tab\there", true},
        {"new\nline", true},
        {"carriage\rreturn", true},
        {"Bildschirmfotos ü ☃ 写真", true},
        {"$HOME ~ ; | & * ? # ( ) < >", true},
        // GLib looks for "%%" literally when it checks that the program exists.
        {"100% quillet", false},
        {"bell\x07", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(marker);
        XdgAutostartLoginItems items(program(QString::fromUtf8(c.name)));
        ASSERT_TRUE(items.setEnabled(false));
        EXPECT_EQ(items.setEnabled(true), c.expressible);
        EXPECT_EQ(items.isEnabled(), c.expressible);
        EXPECT_EQ(QFile::exists(entry), c.expressible);
        if (c.expressible) {
            EXPECT_TRUE(validates());
            EXPECT_TRUE(launchesTheProgram());
        }
    }
}

// What the desktops write to switch an entry off, and a file no desktop
// loads, both read as off; switching on again writes a whole new entry.
TEST_F(XdgAutostartLoginItemsTest, AnEntryTheDesktopSwitchedOffOrCannotLoadIsOff)
{
    XdgAutostartLoginItems items(program(QStringLiteral("quillet")));
    const struct
    {
        const char *appended;
        bool enabled;
    } cases[] = {
        {"Hidden = True\n", false},
        {"X-GNOME-Autostart-enabled=false\n", false},
        {"not a key, a group or a comment\n", false},
        {"[Another Group]\nHidden=true\n", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.appended);
        ASSERT_TRUE(items.setEnabled(true));
        ASSERT_TRUE(writeFile(entry, readFile(entry) + c.appended));
        EXPECT_EQ(items.isEnabled(), c.enabled);
        ASSERT_TRUE(items.setEnabled(true));
        EXPECT_TRUE(items.isEnabled());
    }
    ASSERT_TRUE(items.setEnabled(false));
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(items.isEnabled());
}

} // namespace
