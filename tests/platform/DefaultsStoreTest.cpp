#include "platform/DefaultsStore.h"

#include "support/TestSupport.h"
#include "support/Unprivileged.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using TestSupport::readFile;
using TestSupport::readJsonFile;
using TestSupport::writeFile;

// The kind of the entry itself: a link is not followed.
mode_t typeOf(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & S_IFMT : 0;
}

// What the store says on standard error.
class DefaultsStoreTest : public ::testing::Test
{
protected:
    static inline QStringList warnings;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));

    void SetUp() override
    {
        warnings.clear();
        qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings << text; });
    }
    void TearDown() override { qInstallMessageHandler(nullptr); }
};

TEST_F(DefaultsStoreTest, UnusableFilesAreSetAsideUntouchedAndNamed)
{
    const std::pair<const char *, void (*)(const QString &)> unusable[] = {
        {"unfinished JSON", [](const QString &p) { ASSERT_TRUE(writeFile(p, R"({"savePath": )")); }},
        {"not an object", [](const QString &p) { ASSERT_TRUE(writeFile(p, "[1, 2, 3]")); }},
        {"a pipe", [](const QString &p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); }},
        {"a link to an endless device", [](const QString &p) { ASSERT_TRUE(QFile::link("/dev/zero", p)); }},
        {"over the size limit",
            [](const QString &p) {
                ASSERT_TRUE(writeFile(p, "{}"));
                ASSERT_TRUE(QFile(p).resize(DefaultsStore::maxFileSize + 1));
            }},
    };
    for (const auto &[what, make] : unusable) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(QFile::remove(path) || typeOf(path) == 0);
        QFile::remove(DefaultsStore::corruptFilePath(path));
        warnings.clear();
        make(path);
        const mode_t type = typeOf(path);
        const QByteArray bytes = S_ISREG(type) ? readFile(path) : QByteArray();
        DefaultsStore store(path);
        EXPECT_TRUE(store.keys().isEmpty());
        store.setValue(QStringLiteral("playSound"), true);
        const QString aside = DefaultsStore::corruptFilePath(path);
        EXPECT_EQ(std::tuple(typeOf(aside), S_ISREG(type) ? readFile(aside) : QByteArray(),
                      readJsonFile(path).value(QStringLiteral("playSound")), warnings.filter(path).size()),
            std::tuple(type, bytes, QJsonValue(true), 1))
            << warnings.join(u'\n').toStdString();
    }
}

// Members that another version or the user added, and a file that an editor
// or a dotfiles sync broke while Quillet runs, must not cost a setting; two
// stores on one file (the settings and the shortcuts) keep each other's keys.
TEST_F(DefaultsStoreTest, AWriteKeepsForeignMembersAndEverythingHeldInMemory)
{
    ASSERT_TRUE(
        writeFile(path, R"({"savePath": "/keep/me", "imageFormat": "jpeg", "x": {"a": [1, "b"]}, "y": null,
        "KeyboardShortcuts_captureRegion": "{\"carbonKeyCode\":21,\"carbonModifiers\":2816}"})"));
    QJsonObject expected = readJsonFile(path);
    DefaultsStore settings(path), shortcuts(path);
    const auto set = [&](DefaultsStore &store, const QString &key, const QJsonValue &value) {
        store.setValue(key, value.toVariant());
        expected.insert(key, value);
    };
    set(settings, QStringLiteral("copyToClipboard"), true);
    EXPECT_EQ(readJsonFile(path), expected);
    set(shortcuts, QStringLiteral("KeyboardShortcuts_captureWindow"), false);
    shortcuts.remove(QStringLiteral("KeyboardShortcuts_captureRegion"));
    expected.remove(QStringLiteral("KeyboardShortcuts_captureRegion"));
    const QByteArray broken = R"({"savePath":"/x",})";
    ASSERT_TRUE(writeFile(path, broken));
    set(settings, QStringLiteral("jpegQuality"), 0.5);
    EXPECT_EQ(readFile(DefaultsStore::corruptFilePath(path)), broken);
    EXPECT_EQ(readJsonFile(path), expected);
}

TEST_F(DefaultsStoreTest, AChangeThatCannotBeStoredIsKeptReportedOnceAndStoredLater)
{
    for (const bool readOnlyFolder : {true, false}) {
        SCOPED_TRACE(readOnlyFolder ? "read-only folder" : "read-only file");
        warnings.clear();
        ASSERT_TRUE(writeFile(path, R"({"playSound": true})"));
        Unprivileged user({dir.path(), path});
        if (!user.active())
            GTEST_SKIP() << "cannot leave root, who may write anywhere";
        QFile::setPermissions(readOnlyFolder ? dir.path() : path, QFile::ReadOwner | QFile::ExeOwner);
        DefaultsStore store(path);
        store.setValue(QStringLiteral("playSound"), false);
        store.setValue(QStringLiteral("imageFormat"), QStringLiteral("jpeg"));
        EXPECT_EQ(std::pair(store.object(QStringLiteral("playSound")), readFile(path)),
            std::pair(QVariant(false), QByteArray(R"({"playSound": true})")));
        EXPECT_EQ(warnings,
            QStringList("Quillet: could not save settings to " + path
                + ": Permission denied. Changes stay in effect until Quillet quits."));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        store.setValue(QStringLiteral("copyToClipboard"), true);
        EXPECT_EQ(
            readJsonFile(path).value(QStringLiteral("imageFormat")), QJsonValue(QStringLiteral("jpeg")));
    }
}

} // namespace
