#pragma once

#include <QWidget>

#include <functional>

class AppSettings;
class OnboardingView;
class PermissionService;
struct PanelContext;

// The window around the onboarding: a dialog titled "Welcome to Quillet",
// exactly 520 × 520 inside its frame, with a taskbar entry and no minimise
// or maximise button. A Linux dialog has no menu bar, so Ctrl+Q quits the
// program while it is open: a new user can always find the way out.
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

    // Starts the installed copy as the running Quillet: this instance lets go
    // of its shortcuts and its bus name first, which a copy started while
    // they are held could not take, and takes them back if the copy does
    // not start.
    static bool handOverTo(const QString &program);

signals:
    // The window is about to close, by its close button or once finished.
    void willClose();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    OnboardingView *m_view;
};
