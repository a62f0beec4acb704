#include "e2e/QuilletE2E.h"

#include "support/TestSupport.h"
#include "support/X11TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

// What the stored settings and shortcuts make of a capture, and what
// becomes of a capture when they are unusable.
namespace {

using TestSupport::runProgram;
using X11TestSupport::HelperWindow;

const QString Window = QStringLiteral("shift+alt+super+6");

TEST_F(QuilletE2E, OutputSettingsShapeWhatIsSaved)
{
    const struct
    {
        const char *setting;
        QJsonValue value;
        QString name; // pattern of the saved file's name
        std::function<void(const QString &)> check; // given the saved file
    } cases[] = {
        {"imageFormat", "jpeg", QStringLiteral("^Screenshot .+\\.jpeg$"),
            [](const QString &file) {
                QFile f(file);
                EXPECT_TRUE(f.open(QIODevice::ReadOnly) && f.read(3) == QByteArray("\xff\xd8\xff"));
            }},
        {"copyToClipboard", true, QStringLiteral("^Screenshot .+\\.png$"),
            [](const QString &file) {
                EXPECT_TRUE(pixels(QImage::fromData(clipboard(QStringLiteral("image/png")))) == pixels(file));
            }},
        {"promptForFileName", true, QStringLiteral("^Invoice\\.png$"), nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setting);
        QDir(shots()).removeRecursively();
        ASSERT_TRUE(start(QJsonObject{{QLatin1String(c.setting), c.value}}));
        // Another application has the keyboard, as when a shortcut is used.
        const HelperWindow other(QStringLiteral("300x200+1200+500"));
        ASSERT_TRUE(other.shown && other.waitForFocus());
        key(Fullscreen);
        if (QLatin1String(c.setting) == QLatin1String("promptForFileName")) {
            const auto prompt = waitForWindow(QStringLiteral("Name Screenshot"));
            ASSERT_TRUE(prompt);
            ASSERT_TRUE(TestSupport::waitUntil([&] {
                return runProgram(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).trimmed()
                    == QByteArray::number(*prompt);
            })) << "the prompt did not take the keyboard; "
                << runProgram(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).constData() << " has it";
            xdotool({"type", "--delay", "20", "Invoice"});
            key(QStringLiteral("Return"));
        }
        const QStringList saved = waitForFiles(1);
        ASSERT_EQ(saved.size(), 1);
        EXPECT_TRUE(QRegularExpression(c.name).match(QFileInfo(saved[0]).fileName()).hasMatch())
            << saved[0].toStdString();
        EXPECT_EQ(QImage(saved[0]).size(), ScreenSize);
        if (c.check)
            c.check(saved[0]);
        stop();
    }
}

TEST_F(QuilletE2E, ASaveFolderThatCannotBeMadeEndsInOneAlertAndTheNextCaptureWorksOnceItCan)
{
    const QString blocker = home() + QStringLiteral("/blocker");
    ASSERT_TRUE(QFile(blocker).open(QIODevice::WriteOnly));
    const QString folder = blocker + QStringLiteral("/shots");
    ASSERT_TRUE(start(QJsonObject{{"savePath", folder}}));

    key(Fullscreen);
    const auto alert = waitForAlert();
    ASSERT_TRUE(alert);
    EXPECT_TRUE(QFileInfo(blocker).isFile());
    xdotool({"windowactivate", "--sync", QString::number(*alert), "key", "Return"});
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !findAlert(); }));

    QFile::remove(blocker);
    key(Fullscreen);
    EXPECT_EQ(waitForFiles(1, folder).size(), 1);
    EXPECT_TRUE(isRunning());
    EXPECT_FALSE(findAlert());
}

TEST_F(QuilletE2E, StoredShortcutsReplaceTheDefaults)
{
    // Control-Option-9 for the fullscreen capture; no window capture at all.
    ASSERT_TRUE(start(QJsonObject{{"KeyboardShortcuts_captureFullscreen", R"({"carbonKeyCode":25,"carbonModifiers":6144})"},
        {"KeyboardShortcuts_captureWindow", false}}));
    key(Window);     // nothing, not even a "no window" alert
    key(Fullscreen); // nothing: the default gave way
    key(QStringLiteral("ctrl+alt+9"));
    const QStringList saved = waitForFiles(1);
    EXPECT_EQ(saved.size(), 1);
    EXPECT_EQ(QImage(saved.value(0)).size(), ScreenSize);
    EXPECT_FALSE(findAlert());
    EXPECT_EQ(storedDefaults().value(QLatin1String("KeyboardShortcuts_captureWindow")), QJsonValue(false));
}

TEST_F(QuilletE2E, ACorruptDefaultsFileIsKeptAsideAndTheDefaultsApply)
{
    writeDefaults("{\"savePath\": ");
    ASSERT_TRUE(start({}, false));
    key(Fullscreen);
    const QStringList saved = waitForFiles(1, home() + QStringLiteral("/Desktop"));
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved[0].endsWith(QLatin1String(".png")));
    QFile kept(defaultsFile() + QStringLiteral(".corrupt"));
    EXPECT_TRUE(kept.open(QIODevice::ReadOnly) && kept.readAll() == "{\"savePath\": ");
}

} // namespace
