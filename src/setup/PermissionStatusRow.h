#pragma once

#include <QWidget>

class PermissionService;
class QLabel;
class QPushButton;

// "Screen Recording" with a green check while screen capture is permitted,
// or a red cross and a "Grant Access…" button that opens the place where
// the user grants it, where the desktop has one. Follows the permission service as it polls.
class PermissionStatusRow : public QWidget
{
    Q_OBJECT

public:
    explicit PermissionStatusRow(PermissionService &permission, QWidget *parent = nullptr);

    QPushButton *grantButton() const { return m_grantButton; }
    bool showsGranted() const { return m_granted; }

private:
    void showState(bool granted);

    QLabel *m_symbol = nullptr;
    QPushButton *m_grantButton = nullptr;
    // Without a permission on this desktop there is nowhere to send the user.
    bool m_required = true;
    bool m_granted = false;
};
