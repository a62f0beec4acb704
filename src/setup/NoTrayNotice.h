#pragma once

#include <QFrame>

#include <functional>
#include <memory>

class QPushButton;
class TrayAvailability;

// The line at the top of a window that stands in for the tray icon: says
// that there is no tray, that the shortcuts keep working and how to get the
// window back, and offers the "Quit Quillet" the tray menu would. Shown only
// while there is no tray; a window without a tray availability never shows it.
class NoTrayNotice : public QFrame
{
    Q_OBJECT

public:
    explicit NoTrayNotice(QWidget *parent = nullptr);
    ~NoTrayNotice() override;

    void setTrayAvailability(std::shared_ptr<TrayAvailability> tray);
    // Whether the notice is due: a tray availability says there is no tray.
    bool isDue() const { return m_due; }

    static QString text();
    QPushButton *quitButton() const { return m_quit; }
    // "Quit Quillet"; QCoreApplication::quit unless replaced.
    std::function<void()> quit;

signals:
    void dueChanged(bool due);

private:
    void followTray();

    std::shared_ptr<TrayAvailability> m_tray;
    QPushButton *m_quit = nullptr;
    bool m_due = false;
};
