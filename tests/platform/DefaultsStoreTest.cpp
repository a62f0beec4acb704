#include "platform/DefaultsStore.h"

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

TEST(DefaultsStoreTest, TwoWritersInOneProcessKeepEachOthersKeys)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quillet/defaults.json"));
    DefaultsStore settings(path);
    DefaultsStore shortcuts(path);
    settings.setValue(QStringLiteral("imageFormat"), QStringLiteral("jpeg"));
    shortcuts.setValue(QStringLiteral("KeyboardShortcuts_captureRegion"), QStringLiteral("{}"));
    settings.setValue(QStringLiteral("playSound"), true);
    shortcuts.remove(QStringLiteral("KeyboardShortcuts_captureRegion"));
    shortcuts.setValue(QStringLiteral("KeyboardShortcuts_captureWindow"), false);

    const QJsonObject onDisk = readFileObject(path);
    EXPECT_EQ(onDisk.value(QStringLiteral("imageFormat")), QJsonValue(QStringLiteral("jpeg")));
    EXPECT_EQ(onDisk.value(QStringLiteral("playSound")), QJsonValue(true));
    EXPECT_FALSE(onDisk.contains(QStringLiteral("KeyboardShortcuts_captureRegion")));
    EXPECT_EQ(onDisk.value(QStringLiteral("KeyboardShortcuts_captureWindow")), QJsonValue(false));
}

TEST(DefaultsStoreTest, UnreadableFilesAreSetAsideNotOverwritten)
{
    for (const QByteArray &bytes :
        {QByteArray(R"({"savePath": )"), QByteArray("[1, 2, 3]"), QByteArray("\"png\"")}) {
        SCOPED_TRACE(bytes.constData());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();

        DefaultsStore store(path);
        EXPECT_FALSE(store.contains(QStringLiteral("savePath")));
        store.setValue(QStringLiteral("playSound"), true);

        QFile aside(DefaultsStore::corruptFilePath(path));
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
        EXPECT_EQ(aside.readAll(), bytes);
        EXPECT_EQ(readFileObject(path).value(QStringLiteral("playSound")), QJsonValue(true));
    }
}

} // namespace
