#pragma once

#include <QWidget>

#include <functional>

class AppSettings;
class OnboardingView;
class PermissionService;
struct PanelContext;

// The window around the onboarding: titled "Welcome to Quillet", of fixed
// size, with a taskbar entry and a menu bar whose one item quits the program,
// so that a new user can find and leave the program while the guide is open.
class OnboardingWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize ContentSize{520, 520};

    OnboardingWindow(AppSettings &settings, PermissionService &permissionService, std::function<void()> onComplete);

    OnboardingView &view() const { return *m_view; }

    // Centres the window on the screen the user works on and brings it in
    // front with the keyboard.
    void present(const PanelContext &panels);

signals:
    // The window is about to close, by its close button or once finished.
    void willClose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    OnboardingView *m_view;
};
