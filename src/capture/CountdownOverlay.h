#pragma once

#include "app/PanelContext.h"

#include <QAbstractAnimation>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

// The circular badge that counts a delayed capture down, one step a second,
// in the middle of the main screen, and then runs the capture. One instance
// serves the whole process.
class CountdownOverlay : public QObject
{
    Q_OBJECT

public:
    static constexpr int BadgeSize = 120;
    static constexpr int TickIntervalMs = 1000;
    static constexpr int PulseDownMs = 100;
    static constexpr int PulseUpMs = 150;
    static constexpr double PulseOpacity = 0.5;

    explicit CountdownOverlay(PanelContext context = {});
    ~CountdownOverlay() override;

    static CountdownOverlay &shared();
    // Replaces the shared instance (the composition root at start, tests
    // between cases); a countdown of the old one ends without its callback.
    static void resetShared(PanelContext context = {});

    // Replaces any countdown in progress, whose callback is then never run.
    // Without a screen the callback runs at once and no badge appears.
    void start(int seconds, std::function<void()> onComplete);
    // Removes the badge and drops the callback without running it.
    void dismiss();
    // One step of the countdown; the timer calls it every second.
    void tick();

    int remaining() const { return m_remaining; }
    QWidget *panel() const { return m_panel; }
    QLabel *label() const { return m_label; }
    QTimer *timer() const { return m_timer; }
    // The pulse of the last tick while it runs (only with a compositing manager).
    QAbstractAnimation *pulse() const;

private:
    void showBadge(const QRect &screenGeometry);
    void startPulse();

    PanelContext m_context;
    QPointer<QWidget> m_panel;
    QPointer<QLabel> m_label;
    QPointer<QTimer> m_timer;
    QPointer<QAbstractAnimation> m_pulse;
    int m_remaining = 0;
    std::function<void()> m_onComplete;
};
