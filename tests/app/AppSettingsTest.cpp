#include "app/AppSettings.h"
#include "platform/DefaultsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A fresh user, and one whose stored values are all of the wrong kind, get
// the defaults; reading them writes nothing.
TEST(AppSettingsTest, AFreshUserAndValuesOfTheWrongKindGetTheDefaults)
{
    for (const char *format : {"", R"("JPEG")", R"("jpg")", "true"}) {
        SCOPED_TRACE(format);
        QTemporaryDir dir; // a fresh file each time: QSettings caches files by path, size and time
        const QString path = dir.filePath(QStringLiteral("defaults.json"));
        const QByteArray bytes = QByteArray(R"({"imageFormat": )") + format + R"(, "savePath": 42,
            "jpegQuality": "0.5", "copyToClipboard": 1, "showPreviewThumbnail": "false", "playSound": 0,
            "promptForFileName": "yes"})";
        ASSERT_TRUE(!*format || TestSupport::writeFile(path, bytes));
        DefaultsStore store(path);
        const AppSettings s(store);
        EXPECT_EQ(s.savePath(), QDir::homePath() + QStringLiteral("/Desktop"));
        EXPECT_EQ(s.imageFormat(), ImageFormat::png);
        EXPECT_DOUBLE_EQ(s.jpegQuality(), 0.9);
        EXPECT_EQ(std::tuple(s.copyToClipboard(), s.showPreviewThumbnail(), s.playSound(),
                      s.promptForFileName(), s.hasCompletedOnboarding()),
            std::tuple(false, true, true, false, false));
        EXPECT_TRUE(*format || !QFile::exists(path)) << "reading the defaults wrote a file";
    }
}

const struct
{
    const char *property; // also the key
    QVariant value; // differs from the default
    QJsonValue stored;
} kAssignments[] = {
    {"savePath", QStringLiteral("/tmp/shots"), QJsonValue(QStringLiteral("/tmp/shots"))},
    {"imageFormat", QVariant::fromValue(ImageFormat::jpeg), QJsonValue(QStringLiteral("jpeg"))},
    {"jpegQuality", 0.5, QJsonValue(0.5)},
    {"copyToClipboard", true, QJsonValue(true)},
    {"showPreviewThumbnail", false, QJsonValue(false)},
    {"playSound", false, QJsonValue(false)},
    {"promptForFileName", true, QJsonValue(true)},
    {"hasCompletedOnboarding", true, QJsonValue(true)},
};

TEST(AppSettingsTest, EveryAssignmentIsOnDiskAtOnceButOnlyAChangeNotifies)
{
    QTemporaryDir dir;
    DefaultsStore store(dir.filePath(QStringLiteral("defaults.json")));
    AppSettings settings(store);
    for (const auto &a : kAssignments) {
        SCOPED_TRACE(a.property);
        const QMetaProperty property
            = settings.metaObject()->property(settings.metaObject()->indexOfProperty(a.property));
        QSignalSpy changed(&settings, property.notifySignal());
        ASSERT_TRUE(property.write(&settings, property.read(&settings)));
        EXPECT_EQ(changed.count(), 0);
        EXPECT_TRUE(TestSupport::readJsonFile(store.filePath()).contains(QLatin1String(a.property)));
        ASSERT_TRUE(property.write(&settings, a.value));
        EXPECT_EQ(changed.count(), 1);
        EXPECT_EQ(TestSupport::readJsonFile(store.filePath()).value(QLatin1String(a.property)), a.stored);
    }
    DefaultsStore again(store.filePath());
    AppSettings reloaded(again);
    for (const auto &a : kAssignments)
        EXPECT_EQ(reloaded.property(a.property), a.value) << a.property;
}

} // namespace
