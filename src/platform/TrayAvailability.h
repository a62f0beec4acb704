#pragma once

#include <QList>
#include <QObject>

#include <memory>

// Whether the desktop has a system tray to show Quillet's icon in. Without
// one (GNOME without its AppIndicator extension, a bare window manager) a
// window stands in for the icon; a tray that appears later (a panel
// starting, an extension switched on) gets the icon at once. Main thread.
class TrayAvailability : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~TrayAvailability() override;

    virtual bool isAvailable() const = 0;

signals:
    // Only on a change.
    void availableChanged(bool available);
};

// Available while any of its sources is: a desktop may offer an XEmbed tray,
// a StatusNotifierItem host, or both.
class AnyTrayAvailability final : public TrayAvailability
{
    Q_OBJECT

public:
    explicit AnyTrayAvailability(QList<std::shared_ptr<TrayAvailability>> sources, QObject *parent = nullptr);
    bool isAvailable() const override { return m_available; }

private:
    bool anyAvailable() const;
    void update();

    QList<std::shared_ptr<TrayAvailability>> m_sources;
    bool m_available = false;
};
