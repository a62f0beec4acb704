#include "capture/CountdownOverlay.h"

#include <QLabel>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QTimer>

namespace {

std::unique_ptr<CountdownOverlay> &sharedInstance()
{
    static std::unique_ptr<CountdownOverlay> instance;
    return instance;
}

// Black at 0.7 over the desktop; without a compositing manager alpha would
// be dropped, so the shaped badge is painted in solid black instead.
class CountdownBadge : public QWidget
{
public:
    explicit CountdownBadge(bool composited)
        : m_composited(composited)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_composited ? QColor::fromRgbF(0, 0, 0, 0.7f) : QColor(Qt::black));
        painter.drawEllipse(rect());
    }

private:
    bool m_composited;
};

QPropertyAnimation *opacityStep(QObject *target, double to, int durationMs)
{
    auto *step = new QPropertyAnimation(target, "windowOpacity");
    step->setEndValue(to);
    step->setDuration(durationMs);
    return step;
}

} // namespace

CountdownOverlay::CountdownOverlay(PanelContext context)
    : m_context(std::move(context))
{
}

CountdownOverlay::~CountdownOverlay()
{
    dismiss();
}

CountdownOverlay &CountdownOverlay::shared()
{
    if (!sharedInstance())
        sharedInstance() = std::make_unique<CountdownOverlay>();
    return *sharedInstance();
}

void CountdownOverlay::resetShared(PanelContext context)
{
    sharedInstance() = std::make_unique<CountdownOverlay>(std::move(context));
}

void CountdownOverlay::start(int seconds, std::function<void()> onComplete)
{
    dismiss();
    m_remaining = seconds;
    m_onComplete = std::move(onComplete);
    QScreen *screen = m_context.mainScreen();
    if (!screen) {
        std::function<void()> callback = std::move(m_onComplete);
        m_onComplete = nullptr;
        if (callback)
            callback();
        return;
    }
    showBadge(screen->geometry());
    m_timer = new QTimer(this);
    m_timer->setInterval(TickIntervalMs);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CountdownOverlay::tick);
    m_timer->start();
}

void CountdownOverlay::showBadge(const QRect &screenGeometry)
{
    const bool composited = m_context.isComposited();
    auto *badge = new CountdownBadge(composited);
    // Out of the window manager's hands on X11: a managed window sits in a
    // frame of the manager's, which goes only once the manager has seen the
    // window go, and until then the screen still shows the badge there. The
    // capture right after the countdown then had it. (Elsewhere the hint
    // means nothing.)
    badge->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint
        | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint);
    badge->setAttribute(Qt::WA_ShowWithoutActivating);
    badge->setAttribute(Qt::WA_DeleteOnClose);
    if (composited)
        badge->setAttribute(Qt::WA_TranslucentBackground);
    else
        badge->setMask(QRegion(0, 0, BadgeSize, BadgeSize, QRegion::Ellipse));
    const QPoint centre(
        screenGeometry.x() + screenGeometry.width() / 2, screenGeometry.y() + screenGeometry.height() / 2);
    badge->setGeometry(centre.x() - BadgeSize / 2, centre.y() - BadgeSize / 2, BadgeSize, BadgeSize);

    m_label = new QLabel(QString::number(m_remaining), badge);
    QFont font = m_label->font();
    font.setPixelSize(56);
    font.setBold(true);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_label->setGeometry(0, 0, BadgeSize, BadgeSize);

    m_panel = badge;
    badge->show();
}

void CountdownOverlay::tick()
{
    --m_remaining;
    if (m_remaining < 1) {
        std::function<void()> callback = std::move(m_onComplete);
        dismiss();
        if (callback)
            callback();
        return;
    }
    if (m_label)
        m_label->setText(QString::number(m_remaining));
    startPulse();
}

void CountdownOverlay::startPulse()
{
    // Without a compositing manager window opacity has no effect.
    if (!m_panel || !m_context.isComposited())
        return;
    if (m_pulse)
        m_pulse->stop();
    auto *pulse = new QSequentialAnimationGroup(m_panel);
    pulse->addAnimation(opacityStep(m_panel, PulseOpacity, PulseDownMs));
    pulse->addAnimation(opacityStep(m_panel, 1.0, PulseUpMs));
    m_pulse = pulse;
    pulse->start(QAbstractAnimation::DeleteWhenStopped);
}

QAbstractAnimation *CountdownOverlay::pulse() const
{
    return m_pulse;
}

void CountdownOverlay::dismiss()
{
    if (m_timer) {
        m_timer->stop();
        m_timer->deleteLater();
    }
    m_timer = nullptr;
    if (m_panel) {
        m_panel->hide();
        m_panel->deleteLater();
    }
    m_panel = nullptr;
    m_label = nullptr;
    m_pulse = nullptr;
    m_onComplete = nullptr;
}
