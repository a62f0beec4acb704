#include "capture/SelectionOverlayView.h"

#include "capture/DisplayLookup.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QPainterPath>
#include <QWindow>

namespace {

constexpr qreal LabelPadding = 6.0;
constexpr qreal LabelGap = 4.0;
constexpr qreal LabelRadius = 4.0;
// Scale assumed for the label when the view has no window yet.
constexpr qreal WindowlessScale = 2.0;

QFont labelFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

SelectionOverlayView::SelectionOverlayView(QWidget *parent)
    : QWidget(parent,
        Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
    , displayID(displayIDOfScreen(QGuiApplication::primaryScreen()).value_or(0))
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    m_grabRetry.setInterval(GrabRetryIntervalMs);
    connect(&m_grabRetry, &QTimer::timeout, this, &SelectionOverlayView::grabRetryTick);
}

void SelectionOverlayView::setFrozenBackground(const QImage &image)
{
    m_frozen = image;
    // An opaque picture needs no alpha channel, which only a compositing
    // manager would honour. Takes effect when the window is created.
    setAttribute(Qt::WA_TranslucentBackground, image.isNull());
    update();
}

QString SelectionOverlayView::sizeLabel(const QSizeF &points, qreal scale)
{
    const auto width = static_cast<long long>(points.width() * scale);
    const auto height = static_cast<long long>(points.height() * scale);
    return QStringLiteral("%1 \u00d7 %2").arg(width).arg(height);
}

qreal SelectionOverlayView::scale() const
{
    const QWindow *window = windowHandle();
    return window ? window->devicePixelRatio() : WindowlessScale;
}

void SelectionOverlayView::grabInput()
{
    m_grabAttempts = 0;
    QWindow *window = windowHandle();
    if (window && !window->isExposed()) {
        // Qt paints on the expose event; the filter sees it first.
        m_grabOnExpose = true;
        window->installEventFilter(this);
        return;
    }
    if (!tryGrab())
        m_grabRetry.start();
}

bool SelectionOverlayView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_grabOnExpose && event->type() == QEvent::Expose && watched == windowHandle()
        && windowHandle()->isExposed()) {
        m_grabOnExpose = false;
        watched->removeEventFilter(this);
        if (!tryGrab())
            m_grabRetry.start();
    }
    return QWidget::eventFilter(watched, event);
}

void SelectionOverlayView::grabRetryTick()
{
    if (tryGrab() || m_grabAttempts >= GrabRetryLimit)
        m_grabRetry.stop();
}

bool SelectionOverlayView::tryGrab()
{
    ++m_grabAttempts;
    QWindow *window = windowHandle();
    if (!window || !window->isExposed())
        return false;
    // The window manager does not manage this window, so focus is set directly.
    window->requestActivate();
    setFocus(Qt::OtherFocusReason);
    m_hasInputGrab = window->setKeyboardGrabEnabled(true);
    return m_hasInputGrab;
}

void SelectionOverlayView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selectionStart = event->position();
    m_selectionRect = QRectF();
    m_isSelecting = true;
    update();
}

void SelectionOverlayView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selectionStart)
        return;
    // Not clipped to the view: a drag past the screen's edge reaches past it.
    const QPointF s = *m_selectionStart;
    const QPointF p = event->position();
    m_selectionRect = QRectF(
        std::min(p.x(), s.x()), std::min(p.y(), s.y()), std::abs(p.x() - s.x()), std::abs(p.y() - s.y()));
    update();
}

void SelectionOverlayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selectionStart)
        return;
    m_isSelecting = false;
    m_selectionStart.reset();
    if (m_selectionRect.width() < MinimumSide || m_selectionRect.height() < MinimumSide) {
        m_selectionRect = QRectF();
        update();
        return;
    }
    // The view covers its screen, so the screen's corner is its own. Its
    // window's position is no help on desktops that keep window positions
    // from programs (GNOME on Wayland reports 0,0 on every display).
    const QPointF corner = screen() ? QPointF(screen()->geometry().topLeft()) : QPointF(mapToGlobal(QPoint()));
    const QRectF global(corner + m_selectionRect.topLeft(), m_selectionRect.size());
    // A copy: the callback may clear the view's callbacks while it runs.
    const auto callback = onSelectionComplete;
    if (callback)
        callback(global);
}

void SelectionOverlayView::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (event->key() != Qt::Key_Escape)
        return;
    m_isSelecting = false;
    m_selectionStart.reset();
    m_selectionRect = QRectF();
    const auto callback = onCancel;
    if (callback)
        callback();
}

void SelectionOverlayView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (m_frozen.isNull())
        painter.fillRect(event->rect(), Qt::transparent);
    else
        painter.drawImage(rect(), m_frozen);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), QColor::fromRgbF(0, 0, 0, 0.2));
    if (!m_isSelecting || m_selectionRect.width() <= 0 || m_selectionRect.height() <= 0)
        return;
    paintSelection(painter);
    paintSizeLabel(painter);
}

void SelectionOverlayView::paintSelection(QPainter &painter) const
{
    if (m_frozen.isNull()) {
        // Cleared to nothing, so the live screen shows through undimmed.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(m_selectionRect, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        const qreal ratio = static_cast<qreal>(m_frozen.width()) / std::max(1, width());
        const QRectF source(m_selectionRect.topLeft() * ratio, m_selectionRect.size() * ratio);
        painter.drawImage(m_selectionRect, m_frozen, source);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.8), 1.0));
    painter.drawRect(m_selectionRect);
    QPen dashed(QColor::fromRgbF(1, 1, 1, 0.4), 1.0);
    dashed.setDashPattern({4.0, 4.0});
    dashed.setDashOffset(0);
    painter.setPen(dashed);
    painter.drawRect(m_selectionRect.adjusted(1, 1, -1, -1));
}

void SelectionOverlayView::paintSizeLabel(QPainter &painter) const
{
    const QString text = sizeLabel(m_selectionRect.size(), scale());
    painter.setFont(labelFont());
    const QSizeF textSize = painter.fontMetrics().size(Qt::TextSingleLine, text);
    const QSizeF box(textSize.width() + 2 * LabelPadding, textSize.height() + 2 * LabelPadding);
    // Centred under the selection; it may run past the screen's edge, unseen.
    const QRectF boxRect(m_selectionRect.center().x() - box.width() / 2, m_selectionRect.bottom() + LabelGap,
        box.width(), box.height());
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(boxRect, LabelRadius, LabelRadius);
    painter.fillPath(path, QColor::fromRgbF(0, 0, 0, 0.7));
    painter.setPen(Qt::white);
    painter.drawText(boxRect.adjusted(LabelPadding, LabelPadding, -LabelPadding, -LabelPadding),
        Qt::AlignLeft | Qt::AlignTop, text);
}
