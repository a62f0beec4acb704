#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QDBusMessage;

// Which output the user made GNOME's primary display, from Mutter's own
// monitor settings (org.gnome.Mutter.DisplayConfig on the session bus).
// Qt's wayland platform does not learn it: its primary screen stays the
// first output announced, whichever the user chose in GNOME Settings.
// Read without blocking, and again whenever the monitors change; on other
// desktops nobody answers and nothing is reported. Main thread.
class GnomePrimaryMonitor : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void(const QString &connector)>;
    GnomePrimaryMonitor(Callback onChanged, QObject *parent);

    // The connector name ("Meta-0", "DP-1") of the primary logical monitor
    // in a reply of DisplayConfig's GetCurrentState.
    static std::optional<QString> primaryIn(const QDBusMessage &state);

private slots:
    void read();

private:
    Callback m_onChanged;
};
