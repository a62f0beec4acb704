#include "capture/ScrollCaptureControlView.h"

#include "capture/PanelMarker.h"
#include "capture/ScrollCaptureService.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

QPainterPath roundedOutline(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, ScrollCaptureControlView::CornerRadius, ScrollCaptureControlView::CornerRadius);
    return path;
}

// Compact buttons, so that the panel keeps its 240 points while it can.
const char *const ButtonStyle = "QPushButton { padding: 3px 5px; font-size: 11px; }";

} // namespace

ScrollCaptureControlView::ScrollCaptureControlView(ScrollCaptureService *service, QWidget *parent)
    : QWidget(parent)
    , m_service(service)
    , m_startButton(makeButton(QStringLiteral("Start"), &ScrollCaptureControlView::startTapped))
    , m_doneButton(makeButton(QStringLiteral("Done"), &ScrollCaptureControlView::doneTapped))
    , m_cancelButton(makeButton(QStringLiteral("Cancel"), &ScrollCaptureControlView::cancelTapped))
    , m_frameCountLabel(new QLabel(frameCountText(0, false), this))
{
    m_doneButton->setEnabled(false);

    // The system font's digits share one width, so the count does not jitter.
    QFont labelFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    labelFont.setPixelSize(11);
    m_frameCountLabel->setFont(labelFont);
    m_frameCountLabel->setForegroundRole(QPalette::PlaceholderText);
    m_frameCountLabel->hide();
    reserveRecordingRoom();

    auto *stack = new QHBoxLayout(this);
    stack->setSpacing(6);
    for (QWidget *item : {static_cast<QWidget *>(m_startButton), static_cast<QWidget *>(m_doneButton),
             static_cast<QWidget *>(m_cancelButton), static_cast<QWidget *>(m_frameCountLabel)}) {
        stack->addWidget(item, 0, Qt::AlignVCenter);
    }
    stack->addStretch();
    // Centred once, then fixed from the left edge: a panel that has to
    // grow grows to the right and no button moves.
    stack->setContentsMargins(Margin, 0, Margin, 0);
    const int natural = stack->sizeHint().width();
    const int width = std::max(int(Width), natural);
    stack->setContentsMargins(Margin + (width - natural) / 2, 0, Margin, 0);
    setFixedSize(width, Height);
}

// What recording shows takes its room from the start, so that pressing Start
// moves no button: the pointer that pressed Start finds Done where it was.
void ScrollCaptureControlView::reserveRecordingRoom()
{
    m_startButton->ensurePolished();
    m_startButton->setText(QStringLiteral("Recording…"));
    const int recordingWidth = m_startButton->sizeHint().width();
    m_startButton->setText(QStringLiteral("Start"));
    m_startButton->setFixedWidth(std::max(recordingWidth, m_startButton->sizeHint().width()));
    m_frameCountLabel->setMinimumWidth(
        m_frameCountLabel->fontMetrics().horizontalAdvance(frameCountText(9999, false)));
    QSizePolicy policy = m_frameCountLabel->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_frameCountLabel->setSizePolicy(policy);
}

ScrollCaptureControlView::~ScrollCaptureControlView() = default;

QWidget *ScrollCaptureControlView::makePanel(ScrollCaptureService *service, bool composited)
{
    auto *panel = new QWidget(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setWindowTitle(QStringLiteral("Scroll Capture"));
    auto *view = new ScrollCaptureControlView(service, panel);
    panel->setFixedSize(view->size());
    if (composited)
        panel->setAttribute(Qt::WA_TranslucentBackground);
    else
        shapePanel(panel);
    return panel;
}

// Without a compositing manager the rounded corners come from the window's shape.
void ScrollCaptureControlView::shapePanel(QWidget *panel)
{
    panel->setMask(QRegion(roundedOutline(QRectF(panel->rect())).toFillPolygon().toPolygon()));
}

// Texts are never cut or wrapped: a counter longer than the room kept for
// it ("12 frames · memory full") widens the panel to the right.
void ScrollCaptureControlView::fitToContents()
{
    const int wanted = layout()->sizeHint().width();
    if (wanted <= width())
        return;
    setFixedSize(wanted, Height);
    QWidget *panel = window();
    if (panel == this)
        return;
    panel->setFixedSize(wanted, Height);
    if (!panel->mask().isEmpty())
        shapePanel(panel);
}

QPushButton *ScrollCaptureControlView::makeButton(
    const QString &title, void (ScrollCaptureControlView::*action)())
{
    auto *button = new QPushButton(title, this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    button->setStyleSheet(QString::fromLatin1(ButtonStyle));
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

QString ScrollCaptureControlView::frameCountText(int count, bool memoryFull)
{
    const QString text = QStringLiteral("%1 frames").arg(count);
    return memoryFull ? text + QStringLiteral(" · memory full") : text;
}

void ScrollCaptureControlView::startTapped()
{
    if (m_service)
        m_service->beginCapturing();
    m_startButton->setText(QStringLiteral("Recording…"));
    m_startButton->setEnabled(false);
    m_doneButton->setEnabled(true);
    m_frameCountLabel->show();

    m_pollTimer = std::make_unique<QTimer>();
    m_pollTimer->setInterval(PollIntervalMs);
    connect(m_pollTimer.get(), &QTimer::timeout, this, &ScrollCaptureControlView::updateFrameCountLabel);
    m_pollTimer->start();
}

void ScrollCaptureControlView::updateFrameCountLabel()
{
    if (!m_service || !m_service->isCapturing()) {
        stopPolling();
        return;
    }
    QString text = frameCountText(m_service->frameCount(), m_service->isMemoryFull());
    if (m_service->isObstructed())
        text += QStringLiteral(" · drag this panel off the area");
    m_frameCountLabel->setText(text);
    fitToContents();
}

void ScrollCaptureControlView::stopPolling()
{
    // Called from the timer's own firing: let that firing return first.
    if (m_pollTimer)
        m_pollTimer.release()->deleteLater();
}

void ScrollCaptureControlView::doneTapped()
{
    stopPolling();
    if (m_service)
        m_service->finishCapture();
}

void ScrollCaptureControlView::cancelTapped()
{
    stopPolling();
    if (m_service)
        m_service->cancelCapture();
}

void ScrollCaptureControlView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The marked fill tells a screen cast's frames that hold the panel.
    painter.setClipPath(roundedOutline(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
    PanelMarker::fill(painter, QRectF(rect()), palette().window().color());
}

void ScrollCaptureControlView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Where windows cannot place themselves (Wayland) only the desktop can
    // move one; it does so from the press on.
    if (QWindow *handle = window()->windowHandle(); handle && handle->startSystemMove())
        return;
    m_dragOffset = event->globalPosition().toPoint() - window()->pos();
}

void ScrollCaptureControlView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOffset)
        window()->move(event->globalPosition().toPoint() - *m_dragOffset);
}

void ScrollCaptureControlView::mouseReleaseEvent(QMouseEvent *)
{
    m_dragOffset.reset();
}
