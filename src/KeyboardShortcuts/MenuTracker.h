#pragma once

#include <QObject>
#include <QSet>

namespace KeyboardShortcuts {

// Watches every menu of the application: while one is open isMenuOpen is
// true, and key events that reach the application are offered to the
// hotkey layer, which consumes those that match a registration.
class MenuTracker : public QObject
{
    Q_OBJECT

public:
    MenuTracker();
    ~MenuTracker() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void menuShown(QObject *menu);
    void menuHidden(QObject *menu);

    QSet<QObject *> m_openMenus;
};

} // namespace KeyboardShortcuts
