#pragma once

#include "setup/MoveToApplications.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppSettings;
class NoTrayNotice;
class ElidedLabel;
class PageDots;
class PermissionService;
class QLabel;
class QPushButton;
class QStackedWidget;
class SymbolView;
class TrayAvailability;

// The first-run guide: six pages from a welcome to where the menu bar icon
// lives, with a bar of page dots, Back, and Next or Get Started. Every page
// is live: a shortcut, a folder or a granted permission takes effect at once.
class OnboardingView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int totalPages = 6;
    enum Page { welcomePage, applicationsPage, shortcutsPage, saveFolderPage, permissionPage, menuBarPage };

    // Asks the user for a folder; nothing when they cancel.
    using AskForFolder = std::function<std::optional<QString>(QWidget *parent)>;

    OnboardingView(AppSettings &settings, PermissionService &permissionService, std::function<void()> onComplete = {},
        QWidget *parent = nullptr);
    ~OnboardingView() override;

    // Where the program is installed from and to, and how the copy starts.
    void setMoveToApplications(MoveToApplications move);
    void setFolderChooser(AskForFolder chooser);
    // While it says there is no tray, a line at the top says so and offers
    // to quit, and the last page tells where Quillet is instead of
    // pointing at an icon.
    void setTrayAvailability(std::shared_ptr<TrayAvailability> tray);
    NoTrayNotice *noTrayNotice() const { return m_noTray; }

    int currentPage() const { return m_currentPage; }
    // Next, Skip and Back: one page at a time, with a brief fade.
    void goToNextPage();
    void goToPreviousPage();

    // Records that the user finished, then hands back to the owner.
    void finishOnboarding();
    void chooseSaveFolder();

    void checkIfInApplications();
    void moveToApplications();
    bool isRunningFromApplications() const { return m_isRunningFromApplications; }
    bool moveAttempted() const { return m_moveAttempted; }
    const std::optional<QString> &moveError() const { return m_moveError; }

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void setCurrentPage(int page);
    void pageShown(int page);
    void pageHidden(int page);
    void updateNavigation();
    void updateApplicationsPage();
    void updatePermissionPage();
    void updateMenuBarPage();
    QWidget *buildNavigationBar();

    // The pages, in OnboardingPages.cpp.
    QWidget *buildWelcomePage();
    QWidget *buildApplicationsPage();
    QWidget *buildShortcutsPage();
    QWidget *buildSaveFolderPage();
    QWidget *buildPermissionPage();
    QWidget *buildMenuBarPage();

    AppSettings &m_settings;
    PermissionService &m_permissionService;
    std::function<void()> m_onComplete;
    MoveToApplications m_move;
    AskForFolder m_chooseFolder;

    int m_currentPage = welcomePage;
    bool m_isRunningFromApplications = false;
    bool m_moveAttempted = false;
    std::optional<QString> m_moveError;

    QStackedWidget *m_pages = nullptr;
    PageDots *m_dots = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_getStarted = nullptr;

    struct ApplicationsPage
    {
        SymbolView *symbol = nullptr;
        QLabel *title = nullptr;
        QLabel *inPlace = nullptr;
        QWidget *offer = nullptr;
        QPushButton *move = nullptr;
        QLabel *error = nullptr;
    } m_applications;

    struct PermissionPage
    {
        SymbolView *symbol = nullptr;
        QLabel *granted = nullptr;
        QWidget *missing = nullptr;
    } m_permission;

    struct MenuBarPage
    {
        QWidget *strip = nullptr;
        QLabel *where = nullptr;
        QLabel *background = nullptr;
        QLabel *noTray = nullptr;
    } m_menuBar;

    NoTrayNotice *m_noTray = nullptr;
    ElidedLabel *m_savePath = nullptr;
};
