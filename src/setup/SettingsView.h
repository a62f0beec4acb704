#pragma once

#include "KeyboardShortcuts/Name.h"

#include <QList>
#include <QWidget>

#include <memory>

class AppSettings;
class ElidedLabel;
class LoginItems;
class NoTrayNotice;
class PermissionService;
class PermissionStatusRow;
class QAbstractButton;
class QCheckBox;
class QLabel;
class QSlider;
class QTabWidget;
class TrayAvailability;
class WindowActivator;

// The settings window: a "General" tab with the save folder, the image
// format, what happens after a capture and the system settings, and a
// "Hotkeys" tab with the four capture shortcuts. Every control edits
// AppSettings (or the shortcut store) at once and follows changes made
// elsewhere. Closing the window only hides it.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int fixedWidth = 460;
    static constexpr int fixedHeight = 380;

    // The shortcut names of the region, scroll, fullscreen and window
    // captures, with their defaults. `loginItems` and `activator` may be
    // null: no launch at login, and Qt's own activation only.
    SettingsView(AppSettings &settings, PermissionService &permission, const QList<KeyboardShortcuts::Name> &captureNames,
                 std::shared_ptr<LoginItems> loginItems, std::shared_ptr<WindowActivator> activator,
                 QWidget *parent = nullptr);
    ~SettingsView() override;

    // Shows the window, or brings it to the front when it is open already,
    // with the keyboard, even right after the tray menu had it.
    void present();

    // While it says there is no tray, the window stands in for the tray
    // icon: a line at its top says so and offers to quit.
    void setTrayAvailability(std::shared_ptr<TrayAvailability> tray);
    NoTrayNotice *noTrayNotice() const { return m_noTray; }

    // The controls, for tests.
    QTabWidget *tabs() const { return m_tabs; }
    ElidedLabel *savePathLabel() const { return m_savePath; }
    QAbstractButton *chooseButton() const { return m_choose; }
    QAbstractButton *formatButton(int index) const { return m_formatButtons[index]; }
    QWidget *qualityRow() const { return m_qualityRow; }
    QSlider *qualitySlider() const { return m_qualitySlider; }
    QLabel *qualityValue() const { return m_qualityValue; }
    QCheckBox *afterCaptureToggle(int index) const { return m_afterCapture[index]; }
    QCheckBox *launchAtLoginToggle() const { return m_launchAtLogin; }
    PermissionStatusRow *permissionRow() const { return m_permissionRow; }

    // A quality as the row shows it: the whole percentage, truncated.
    static QString percentText(double quality);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeGeneralTab();
    QWidget *makeHotkeysTab(const QList<KeyboardShortcuts::Name> &captureNames);
    QWidget *makeSaveLocationRow();
    QWidget *makeFormatRow();
    QWidget *makeQualityRow();
    void addAfterCaptureToggles(class QVBoxLayout *layout);
    void bindSettings();
    void showFormat();
    void showQuality();
    void changeLaunchAtLogin(bool enabled);
    void readLaunchAtLogin();
    void fitNoTrayNotice(bool shown);

    AppSettings &m_settings;
    PermissionService &m_permission;
    std::shared_ptr<LoginItems> m_loginItems;
    std::shared_ptr<WindowActivator> m_activator;
    bool m_activateOnExpose = false;

    NoTrayNotice *m_noTray = nullptr;
    QTabWidget *m_tabs = nullptr;
    ElidedLabel *m_savePath = nullptr;
    QAbstractButton *m_choose = nullptr;
    QAbstractButton *m_formatButtons[2] = {};
    QWidget *m_qualityRow = nullptr;
    QSlider *m_qualitySlider = nullptr;
    QLabel *m_qualityValue = nullptr;
    QCheckBox *m_afterCapture[4] = {};
    QCheckBox *m_launchAtLogin = nullptr;
    PermissionStatusRow *m_permissionRow = nullptr;
};
