#include "app/AppSettings.h"
#include "platform/DefaultsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AppSettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/quillet/defaults.json"); }

    void writeDefaults(const QByteArray &bytes) const
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QJsonObject onDisk() const
    {
        QFile file(path());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
};

struct Snapshot {
    QString savePath;
    ImageFormat imageFormat;
    double jpegQuality;
    bool copyToClipboard, showPreviewThumbnail, playSound, promptForFileName, hasCompletedOnboarding;
};

Snapshot snapshot(const AppSettings &s)
{
    return {s.savePath(),  s.imageFormat(),       s.jpegQuality(),       s.copyToClipboard(),
            s.showPreviewThumbnail(), s.playSound(), s.promptForFileName(), s.hasCompletedOnboarding()};
}

void expectDefaults(const AppSettings &s)
{
    const Snapshot got = snapshot(s);
    EXPECT_EQ(got.savePath, QDir::homePath() + QStringLiteral("/Desktop"));
    EXPECT_EQ(got.imageFormat, ImageFormat::png);
    EXPECT_DOUBLE_EQ(got.jpegQuality, 0.9);
    EXPECT_FALSE(got.copyToClipboard);
    EXPECT_TRUE(got.showPreviewThumbnail);
    EXPECT_TRUE(got.playSound);
    EXPECT_FALSE(got.promptForFileName);
    EXPECT_FALSE(got.hasCompletedOnboarding);
}

TEST_F(AppSettingsTest, FreshUserGetsDefaultsAndConstructionWritesNothing)
{
    DefaultsStore store(path());
    AppSettings settings(store);
    expectDefaults(settings);
    EXPECT_FALSE(QFileInfo::exists(path()));
}

TEST_F(AppSettingsTest, StoredValuesOfTheWrongKindReadAsAbsent)
{
    writeDefaults(R"({
        "savePath": 42,
        "imageFormat": true,
        "jpegQuality": "0.5",
        "copyToClipboard": 1,
        "showPreviewThumbnail": "false",
        "playSound": 0,
        "promptForFileName": "yes",
        "hasCompletedOnboarding": false
    })");
    DefaultsStore store(path());
    AppSettings settings(store);
    expectDefaults(settings);
}

TEST_F(AppSettingsTest, OnlyTheExactRawValueSelectsJpeg)
{
    const struct {
        const char *stored;
        ImageFormat expected;
    } cases[] = {
        {R"("jpeg")", ImageFormat::jpeg},
        {R"("JPEG")", ImageFormat::png},
        {R"("jpg")", ImageFormat::png},
        {R"(" jpeg")", ImageFormat::png},
        {R"("png")", ImageFormat::png},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        // A file of its own for each case: QSettings caches files by path,
        // size and modification time.
        QTemporaryDir local;
        const QString file = local.path() + QStringLiteral("/defaults.json");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray(R"({"imageFormat": )") + c.stored + "}");
        out.close();
        DefaultsStore store(file);
        AppSettings settings(store);
        EXPECT_EQ(settings.imageFormat(), c.expected);
    }
}

// Out-of-range qualities and missing folders are the file service's business:
// the store loads them unchanged.
TEST_F(AppSettingsTest, StoredValuesAreNotValidatedBeyondTheirKind)
{
    writeDefaults(R"({"jpegQuality": 5.0, "savePath": "~/nowhere/yet", "hasCompletedOnboarding": true})");
    DefaultsStore store(path());
    AppSettings settings(store);
    EXPECT_DOUBLE_EQ(settings.jpegQuality(), 5.0);
    EXPECT_EQ(settings.savePath(), QStringLiteral("~/nowhere/yet"));
    EXPECT_TRUE(settings.hasCompletedOnboarding());
}

struct Assignment {
    const char *property; // also the key on disk
    QVariant value;       // different from the default
    QJsonValue stored;
};

const Assignment kAssignments[] = {
    {"savePath", QStringLiteral("/tmp/shots"), QJsonValue(QStringLiteral("/tmp/shots"))},
    {"imageFormat", QVariant::fromValue(ImageFormat::jpeg), QJsonValue(QStringLiteral("jpeg"))},
    {"jpegQuality", 0.5, QJsonValue(0.5)},
    {"copyToClipboard", true, QJsonValue(true)},
    {"showPreviewThumbnail", false, QJsonValue(false)},
    {"playSound", false, QJsonValue(false)},
    {"promptForFileName", true, QJsonValue(true)},
    {"hasCompletedOnboarding", true, QJsonValue(true)},
};

TEST_F(AppSettingsTest, AChangeNotifiesOnceAndIsOnDiskWhenTheSetterReturns)
{
    DefaultsStore store(path());
    AppSettings settings(store);
    for (const Assignment &a : kAssignments) {
        SCOPED_TRACE(a.property);
        const QMetaProperty property =
            settings.metaObject()->property(settings.metaObject()->indexOfProperty(a.property));
        ASSERT_TRUE(property.isValid());
        QSignalSpy changed(&settings, property.notifySignal());

        ASSERT_TRUE(property.write(&settings, a.value));
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(property.read(&settings), a.value);
        EXPECT_EQ(onDisk().value(QLatin1String(a.property)), a.stored);
    }
}

TEST_F(AppSettingsTest, AnEqualAssignmentWritesButNotifiesNobody)
{
    DefaultsStore store(path());
    AppSettings settings(store);
    for (const Assignment &a : kAssignments) {
        SCOPED_TRACE(a.property);
        const QMetaProperty property =
            settings.metaObject()->property(settings.metaObject()->indexOfProperty(a.property));
        const QVariant current = property.read(&settings);
        QSignalSpy changed(&settings, property.notifySignal());

        ASSERT_TRUE(property.write(&settings, current));
        EXPECT_EQ(changed.count(), 0);
        EXPECT_TRUE(onDisk().contains(QLatin1String(a.property)));
    }
}

TEST_F(AppSettingsTest, AssignedValuesSurviveANewInstance)
{
    {
        DefaultsStore store(path());
        AppSettings settings(store);
        for (const Assignment &a : kAssignments)
            settings.setProperty(a.property, a.value);
    }
    DefaultsStore store(path());
    AppSettings again(store);
    for (const Assignment &a : kAssignments)
        EXPECT_EQ(again.property(a.property), a.value) << a.property;
}

// The settings and the shortcut storage keep separate stores on one file.
TEST_F(AppSettingsTest, AnotherWriterOnTheSameFileKeepsItsKeys)
{
    DefaultsStore settingsStore(path());
    DefaultsStore shortcutStore(path());
    AppSettings settings(settingsStore);
    shortcutStore.setValue(QStringLiteral("KeyboardShortcuts_captureRegion"), QStringLiteral("{}"));
    settings.setPlaySound(false);
    shortcutStore.setValue(QStringLiteral("KeyboardShortcuts_captureWindow"), false);
    settings.setImageFormat(ImageFormat::jpeg);

    const QJsonObject keys = onDisk();
    EXPECT_EQ(keys.value(QStringLiteral("KeyboardShortcuts_captureRegion")), QJsonValue(QStringLiteral("{}")));
    EXPECT_EQ(keys.value(QStringLiteral("KeyboardShortcuts_captureWindow")), QJsonValue(false));
    EXPECT_EQ(keys.value(QStringLiteral("playSound")), QJsonValue(false));
    EXPECT_EQ(keys.value(QStringLiteral("imageFormat")), QJsonValue(QStringLiteral("jpeg")));
}

TEST_F(AppSettingsTest, ACorruptFileIsSetAsideAndTheDefaultsApply)
{
    const QByteArray garbage = "{\"imageFormat\": \"jpeg\", ";
    writeDefaults(garbage);
    DefaultsStore store(path());
    AppSettings settings(store);
    expectDefaults(settings);

    QFile aside(DefaultsStore::corruptFilePath(path()));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);

    settings.setCopyToClipboard(true);
    EXPECT_EQ(onDisk().value(QStringLiteral("copyToClipboard")), QJsonValue(true));
}

} // namespace
