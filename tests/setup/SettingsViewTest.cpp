#include "setup/SettingsView.h"

#include "KeyboardShortcuts/Environment.h"
#include "fakes/FakeHotkeyBackend.h"
#include "fakes/FakeKeyboardLayout.h"
#include "fakes/FakeScreenCapturePermission.h"
#include "fakes/Fixtures.h"
#include "platform/XdgAutostartLoginItems.h"
#include "setup/ElidedLabel.h"
#include "setup/PermissionService.h"
#include "setup/PermissionStatusRow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString program = QStringLiteral("/opt/My Apps/quillet");

class SettingsViewTest : public ::testing::Test, public TemporarySettings
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        KeyboardShortcuts::resetState(
            {store, std::make_shared<FakeHotkeyBackend>(), std::make_shared<FakeKeyboardLayout>()});
        QFile::remove(XdgAutostartLoginItems::entryPath());
    }
    void TearDown() override
    {
        view.reset();
        KeyboardShortcuts::resetState({store, nullptr, nullptr});
    }
    SettingsView &open()
    {
        view = std::make_unique<SettingsView>(
            settings, permissions, QList<KeyboardShortcuts::Name>{}, loginItems, nullptr);
        view->present();
        return *view;
    }

    FakeScreenCapturePermission permission;
    PermissionService permissions{permission};
    std::shared_ptr<XdgAutostartLoginItems> loginItems = std::make_shared<XdgAutostartLoginItems>(program);
    std::unique_ptr<SettingsView> view;
};

// A check box reacts to clicks on its box and text, not on the rest of the row.
void clickToggle(QCheckBox *toggle)
{
    QTest::mouseClick(toggle, Qt::LeftButton, {}, QPoint(6, toggle->height() / 2));
}

TEST_F(SettingsViewTest, TogglesFollowTheSettingsBothWays)
{
    SettingsView &v = open();
    int i = 0;
    for (const char *flag : {"copyToClipboard", "showPreviewThumbnail", "playSound", "promptForFileName"}) {
        SCOPED_TRACE(flag);
        QCheckBox *toggle = v.afterCaptureToggle(i++);
        const bool before = settings.property(flag).toBool();
        EXPECT_EQ(toggle->isChecked(), before);
        clickToggle(toggle);
        EXPECT_EQ(settings.property(flag).toBool(), !before);
        settings.setProperty(flag, before);
        EXPECT_EQ(toggle->isChecked(), before);
    }
    const QString longPath
        = QStringLiteral("/home/someone") + QString(40, u'x') + QStringLiteral("/Screenshots");
    settings.setSavePath(longPath);
    EXPECT_EQ(v.savePathLabel()->fullText(), longPath);
    const QString shown = v.savePathLabel()->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/")) && shown.contains(u'…')
        && shown.endsWith(QStringLiteral("Screenshots")))
        << shown.toStdString();
}

TEST_F(SettingsViewTest, TheQualityRowShowsForJpegOnlyAndEveryStepReadsItsOwnPercentage)
{
    settings.setJpegQuality(0.7);
    SettingsView &v = open();
    EXPECT_FALSE(v.qualityRow()->isVisibleTo(&v));
    QTest::mouseClick(v.formatButton(1), Qt::LeftButton);
    EXPECT_EQ(settings.imageFormat(), ImageFormat::jpeg);
    EXPECT_TRUE(v.qualityRow()->isVisibleTo(&v));
    EXPECT_EQ(v.qualityValue()->text(), QStringLiteral("70%"));
    for (int step = v.qualitySlider()->minimum(); step <= v.qualitySlider()->maximum(); ++step) {
        v.qualitySlider()->setValue(step);
        EXPECT_EQ(v.qualityValue()->text(), QString::number(step * 10) + u'%');
    }
    EXPECT_EQ(v.qualitySlider()->minimum(), 1);
    // Hidden for PNG, the quality keeps its value; one between two steps is
    // shown as it is, not rounded away.
    settings.setJpegQuality(0.57);
    settings.setImageFormat(ImageFormat::png);
    EXPECT_TRUE(v.formatButton(0)->isChecked());
    EXPECT_FALSE(v.qualityRow()->isVisibleTo(&v));
    EXPECT_EQ(v.qualityValue()->text(), QStringLiteral("57%"));
    EXPECT_DOUBLE_EQ(settings.jpegQuality(), 0.57);
}

TEST_F(SettingsViewTest, PermissionRowFollowsThePoll)
{
    permission.grantOnCheck = 2; // construction, then the first tick
    SettingsView &v = open();
    EXPECT_FALSE(v.permissionRow()->showsGranted());
    EXPECT_TRUE(v.permissionRow()->grantButton()->isVisibleTo(&v));
    QTest::mouseClick(v.permissionRow()->grantButton(), Qt::LeftButton);
    EXPECT_EQ(permission.settingsOpened, 1);
    permissions.pollTick();
    EXPECT_TRUE(v.permissionRow()->showsGranted());
    EXPECT_FALSE(v.permissionRow()->grantButton()->isVisibleTo(&v));
}

TEST_F(SettingsViewTest, FolderChooserSetsTheFolderOnlyWhenConfirmed)
{
    settings.setSavePath(dir.path());
    SettingsView &v = open();
    const QString chosen = dir.path() + QStringLiteral("/shots");
    ASSERT_TRUE(QDir().mkpath(chosen));
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm);
        QString acceptText;
        QTimer poll; // answers the dialog once it is up
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                poll.stop();
                acceptText = dialog->labelText(QFileDialog::Accept);
                dialog->selectFile(chosen);
                confirm ? static_cast<QDialog *>(dialog)->accept() : dialog->reject();
            }
        });
        poll.start(5);
        QTest::mouseClick(v.chooseButton(), Qt::LeftButton);
        EXPECT_EQ(acceptText, QStringLiteral("Select"));
        EXPECT_EQ(settings.savePath(), confirm ? chosen : dir.path());
        EXPECT_EQ(v.savePathLabel()->fullText(), settings.savePath());
    }
}

TEST_F(SettingsViewTest, LaunchAtLoginShowsAndChangesTheAutostartEntry)
{
    const QString entry = XdgAutostartLoginItems::entryPath();
    QCheckBox *toggle = open().launchAtLoginToggle();
    EXPECT_FALSE(toggle->isChecked());
    clickToggle(toggle);
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_TRUE(QFile::exists(entry));
    clickToggle(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_FALSE(QFile::exists(entry));
    // Changed elsewhere: an entry the desktop hid counts as off; re-opening reads it again.
    ASSERT_TRUE(loginItems->setEnabled(true));
    view->present();
    EXPECT_TRUE(toggle->isChecked());
    ASSERT_TRUE(TestSupport::writeFile(entry, TestSupport::readFile(entry) + "Hidden=true\n"));
    view->present();
    EXPECT_FALSE(toggle->isChecked());
    // Refused (a file where the autostart folder belongs, which stops even
    // root): the toggle shows the real state, and nobody is told.
    const QString autostart = QFileInfo(entry).path();
    QDir(autostart).removeRecursively();
    ASSERT_TRUE(QFile(autostart).open(QIODevice::WriteOnly));
    clickToggle(toggle);
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    QFile::remove(autostart);
}

} // namespace
