#include "platform/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QJsonObject readFileObject(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class DefaultsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/quillet/defaults.json"); }
};

TEST_F(DefaultsStoreTest, EveryWriteIsOnDiskWithItsJsonKind)
{
    DefaultsStore store(path());
    store.setValue(QStringLiteral("savePath"), QStringLiteral("/tmp/shots"));
    store.setValue(QStringLiteral("jpegQuality"), 0.5);
    store.setValue(QStringLiteral("playSound"), false);

    const QJsonObject onDisk = readFileObject(path());
    EXPECT_EQ(onDisk.value(QStringLiteral("savePath")), QJsonValue(QStringLiteral("/tmp/shots")));
    EXPECT_TRUE(onDisk.value(QStringLiteral("jpegQuality")).isDouble());
    EXPECT_DOUBLE_EQ(onDisk.value(QStringLiteral("jpegQuality")).toDouble(), 0.5);
    EXPECT_EQ(onDisk.value(QStringLiteral("playSound")), QJsonValue(false));

    DefaultsStore again(path());
    EXPECT_EQ(again.string(QStringLiteral("savePath")), QStringLiteral("/tmp/shots"));
    EXPECT_EQ(again.number(QStringLiteral("jpegQuality")), 0.5);
    EXPECT_EQ(again.object(QStringLiteral("playSound")).typeId(), QMetaType::Bool);
}

TEST_F(DefaultsStoreTest, TwoWritersInOneProcessKeepEachOthersKeys)
{
    DefaultsStore settings(path());
    DefaultsStore shortcuts(path());
    settings.setValue(QStringLiteral("imageFormat"), QStringLiteral("jpeg"));
    shortcuts.setValue(QStringLiteral("KeyboardShortcuts_captureRegion"), QStringLiteral("{}"));
    settings.setValue(QStringLiteral("playSound"), true);
    shortcuts.remove(QStringLiteral("KeyboardShortcuts_captureRegion"));
    shortcuts.setValue(QStringLiteral("KeyboardShortcuts_captureWindow"), false);

    const QJsonObject onDisk = readFileObject(path());
    EXPECT_EQ(onDisk.value(QStringLiteral("imageFormat")), QJsonValue(QStringLiteral("jpeg")));
    EXPECT_EQ(onDisk.value(QStringLiteral("playSound")), QJsonValue(true));
    EXPECT_FALSE(onDisk.contains(QStringLiteral("KeyboardShortcuts_captureRegion")));
    EXPECT_EQ(onDisk.value(QStringLiteral("KeyboardShortcuts_captureWindow")), QJsonValue(false));
}

TEST_F(DefaultsStoreTest, UnreadableFilesAreSetAsideNotOverwritten)
{
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"not JSON", "{\"savePath\": "},
        {"an array", "[1, 2, 3]"},
        {"a bare string", "\"png\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir local;
        const QString file = local.path() + QStringLiteral("/defaults.json");
        writeFile(file, c.bytes);

        DefaultsStore store(file);
        EXPECT_FALSE(store.contains(QStringLiteral("savePath")));
        store.setValue(QStringLiteral("playSound"), true);

        QFile aside(DefaultsStore::corruptFilePath(file));
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), c.bytes);
        EXPECT_EQ(readFileObject(file).value(QStringLiteral("playSound")), QJsonValue(true));
    }
}

TEST_F(DefaultsStoreTest, KindedLookupsTreatOtherKindsAsAbsent)
{
    QDir().mkpath(dir.path() + QStringLiteral("/quillet"));
    writeFile(path(), R"({"text": "yes", "number": 2, "flag": true, "zero": 0})");
    DefaultsStore store(path());

    EXPECT_EQ(store.string(QStringLiteral("number")), std::nullopt);
    EXPECT_EQ(store.number(QStringLiteral("text")), std::nullopt);
    EXPECT_EQ(store.number(QStringLiteral("flag")), std::nullopt);
    EXPECT_EQ(store.number(QStringLiteral("number")), 2.0);
    EXPECT_FALSE(store.object(QStringLiteral("missing")).isValid());

    // The boolean lookup is lenient, as a defaults store's is.
    EXPECT_TRUE(store.boolean(QStringLiteral("flag")));
    EXPECT_TRUE(store.boolean(QStringLiteral("number")));
    EXPECT_TRUE(store.boolean(QStringLiteral("text")));
    EXPECT_FALSE(store.boolean(QStringLiteral("zero")));
    EXPECT_FALSE(store.boolean(QStringLiteral("missing")));
}

} // namespace
