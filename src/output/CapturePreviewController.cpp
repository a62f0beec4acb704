#include "output/CapturePreviewController.h"

#include "output/PreviewThumbnailView.h"
#include "platform/CaptureNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

namespace {

const QString FadeName = QStringLiteral("fade");

std::unique_ptr<CapturePreviewController> &sharedInstance()
{
    static std::unique_ptr<CapturePreviewController> instance;
    return instance;
}

void fade(QWidget *panel, qreal to, int durationMs)
{
    if (QPropertyAnimation *running = CapturePreviewController::fadeOf(panel))
        delete running;
    auto *animation = new QPropertyAnimation(panel, "windowOpacity", panel);
    animation->setObjectName(FadeName);
    animation->setEndValue(to);
    animation->setDuration(durationMs);
    animation->start();
}

QRegion roundedRegion(const QSize &size, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(), size), radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

} // namespace

CapturePreviewController::CapturePreviewController(PanelContext context)
    : m_context(std::move(context))
{
}

CapturePreviewController::~CapturePreviewController()
{
    delete m_panel;
}

CapturePreviewController &CapturePreviewController::shared()
{
    if (!sharedInstance())
        sharedInstance() = std::make_unique<CapturePreviewController>();
    return *sharedInstance();
}

void CapturePreviewController::resetShared(PanelContext context)
{
    sharedInstance() = std::make_unique<CapturePreviewController>(std::move(context));
}

void CapturePreviewController::show(const QImage &image, const QUrl &fileURL)
{
    if (m_context.notifier)
        return showNotification(image, fileURL);
    dismiss();
    m_fileURL = fileURL;
    const QScreen *screen = m_context.mainScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame(area.x() + area.width() - ThumbnailSize - Margin,
        area.y() + area.height() - ThumbnailSize - Margin, ThumbnailSize, ThumbnailSize);
    const bool composited = m_context.isComposited();
    m_panel = makePanel(image, frame, composited);
    if (composited)
        m_panel->setWindowOpacity(0.0);
    m_panel->show();
    if (composited)
        fade(m_panel, 1.0, FadeInMs);
    startDismissTimer();
}

// The notification replaces the previous one in place; its actions act on
// the file it shows, whichever capture came later.
void CapturePreviewController::showNotification(const QImage &image, const QUrl &fileURL)
{
    if (m_dismissTimer) {
        m_dismissTimer->stop();
        m_dismissTimer->deleteLater();
    }
    m_fileURL = fileURL;
    QPointer<CapturePreviewController> self(this);
    m_context.notifier->show(image, QStringLiteral("Capture Saved"), QFileInfo(fileURL.toLocalFile()).fileName(),
                             [self, fileURL](CaptureNotifier::Action action) {
                                 if (action == CaptureNotifier::Action::open)
                                     QDesktopServices::openUrl(fileURL);
                                 else
                                     showInFolder(fileURL);
                                 if (self)
                                     self->dismiss();
                             });
    startDismissTimer();
}

void CapturePreviewController::startDismissTimer()
{
    m_dismissTimer = new QTimer(this);
    m_dismissTimer->setSingleShot(true);
    m_dismissTimer->setInterval(DismissAfterMs);
    connect(m_dismissTimer, &QTimer::timeout, this, &CapturePreviewController::dismissTimerFired);
    m_dismissTimer->start();
}

// With a compositing manager the window is larger than the thumbnail by a
// transparent margin that holds the shadow; without one it is the rounded
// thumbnail alone, in solid colours.
QWidget *CapturePreviewController::makePanel(
    const QImage &image, const QRect &thumbnailFrame, bool composited)
{
    auto *panel = new QWidget;
    panel->setWindowFlags(
        Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    const int margin = composited ? ShadowMargin : 0;
    panel->setGeometry(thumbnailFrame.adjusted(-margin, -margin, margin, margin));
    QPointer<CapturePreviewController> self(this);
    auto *view = new PreviewThumbnailView(
        QRect(QPoint(margin, margin), thumbnailFrame.size()), image,
        [self] {
            if (self)
                self->handleClick();
        },
        panel);
    if (composited) {
        panel->setAttribute(Qt::WA_TranslucentBackground);
        auto *shadow = new QGraphicsDropShadowEffect(view);
        shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.4f));
        shadow->setOffset(0, 2);
        shadow->setBlurRadius(8);
        view->setGraphicsEffect(shadow);
    } else {
        panel->setStyleSheet(QStringLiteral("background: black;"));
        panel->setMask(roundedRegion(thumbnailFrame.size(), PreviewThumbnailView::CornerRadius));
    }
    return panel;
}

void CapturePreviewController::dismiss()
{
    if (m_dismissTimer) {
        m_dismissTimer->stop();
        m_dismissTimer->deleteLater();
    }
    m_dismissTimer = nullptr;
    if (m_context.notifier)
        m_context.notifier->close();
    QWidget *old = m_panel;
    m_panel = nullptr;
    if (!old)
        return;
    // A fading thumbnail no longer answers clicks: the file it showed may
    // not be the one a click would open.
    if (PreviewThumbnailView *oldView = old->findChild<PreviewThumbnailView *>())
        oldView->setEnabled(false);
    if (!m_context.isComposited()) {
        old->hide();
        old->deleteLater();
        return;
    }
    fade(old, 0.0, FadeOutMs);
    connect(fadeOf(old), &QPropertyAnimation::finished, old, [old] {
        old->hide();
        old->deleteLater();
    });
}

void CapturePreviewController::dismissTimerFired()
{
    dismiss();
}

void CapturePreviewController::handleClick()
{
    if (!m_fileURL)
        return;
    QDesktopServices::openUrl(*m_fileURL);
    dismiss();
}

PreviewThumbnailView *CapturePreviewController::view() const
{
    return m_panel ? m_panel->findChild<PreviewThumbnailView *>() : nullptr;
}

QPropertyAnimation *CapturePreviewController::fadeOf(const QWidget *panel)
{
    return panel ? panel->findChild<QPropertyAnimation *>(FadeName, Qt::FindDirectChildrenOnly) : nullptr;
}

// The file manager selects the file in its folder where it offers that;
// otherwise the folder opens.
void CapturePreviewController::showInFolder(const QUrl &fileURL)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList{fileURL.toString()} << QString();
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [watcher, fileURL] {
        watcher->deleteLater();
        if (watcher->isError())
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(fileURL.toLocalFile()).absolutePath()));
    });
}
