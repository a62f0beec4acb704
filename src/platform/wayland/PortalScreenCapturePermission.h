#pragma once

#include "platform/ScreenCapturePermission.h"

#include <QObject>
#include <QPointer>

#include <optional>

class PortalRequest;
class QMessageBox;

// The desktop portal's permission to take screenshots without asking each
// time ("Allow Applications to Take Screenshots?" on GNOME). The portal
// asks on the first screenshot request and keeps the answer in its
// permission store, where it is read back; asking again after a refusal
// needs the refusal taken out of the store first, which only the user's
// own "Grant Access…" does; a capture asked for after a refusal shows an
// alert that says so and offers it. Main thread.
class PortalScreenCapturePermission : public QObject, public ScreenCapturePermission
{
public:
    enum class Stored { granted, refused, unanswered, unknown };

    // The store's answer for programs outside a sandbox; unknown when the
    // store cannot be read.
    static Stored readStore();

    bool preflight() override;
    // Starts a screenshot request that makes the portal ask, unless one is
    // waiting for the user already: dialogs never stack. Never blocks.
    bool request() override;
    // Takes an earlier refusal back out of the store and asks again.
    void openSystemSettings() override;

    bool isAsking() const { return !m_pending.isNull(); }

    static QString refusalText();
    static QString refusalHint();

private:
    void showRefusal();

    std::optional<bool> m_answered; // what the portal last answered, for when the store is unreadable
    QPointer<PortalRequest> m_pending;
    QPointer<QMessageBox> m_refusal;
};
