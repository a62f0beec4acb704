#include "capture/ScrollCaptureService.h"

#include "platform/Error.h"
#include "capture/CaptureError.h"
#include "capture/CaptureService.h"
#include "capture/DisplayLookup.h"
#include "capture/FrameStitcher.h"
#include "capture/ScrollCaptureControlView.h"
#include "capture/ScrollCaptureFrame.h"
#include "output/CaptureOutputPipeline.h"
#include "platform/CompositingManager.h"
#include "platform/ScrollWheel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <unistd.h>

namespace {

const QString FailureTitle = QStringLiteral("Scroll Capture Failed");

} // namespace

ScrollCaptureService::ScrollCaptureService(
    FrameSource grabRegion, CaptureOutputPipeline &outputs, CompositingManager &compositing, ScrollWheel *wheel,
    QObject *parent)
    : ScrollCaptureService(*new RegionGrabFrames(std::move(grabRegion)), outputs, compositing, wheel, parent)
{
    m_ownedFrames.reset(&m_frames);
}

ScrollCaptureService::ScrollCaptureService(ScrollFrameSource &frames, CaptureOutputPipeline &outputs,
    CompositingManager &compositing, ScrollWheel *wheel, QObject *parent)
    : QObject(parent)
    , m_frames(frames)
    , m_outputs(outputs)
    , m_compositing(compositing)
    , m_wheel(wheel)
    , m_stitch(&FrameStitcher::stitchFrames)
    , m_memoryBudget(defaultMemoryBudget())
{
    // A new frame is taken at once; the timer's ticks take any left waiting.
    connect(&m_frames, &ScrollFrameSource::frameAvailable, this, [this] {
        if (m_captureTimer)
            captureFrame();
    });
    connect(&m_frames, &ScrollFrameSource::obstructedChanged, this, [this](bool obstructed) {
        m_isObstructed = obstructed;
    });
    connect(&m_frames, &ScrollFrameSource::failed, this, &ScrollCaptureService::framesFailed);
}

ScrollCaptureService::~ScrollCaptureService()
{
    stopTimer();
    delete m_controlPanel;
}

QWidget *ScrollCaptureService::rectangleFrame() const
{
    return m_rectangleFrame.get();
}

ScrollCaptureService::FrameSource ScrollCaptureService::regionsOf(CaptureService &captureService)
{
    return [&captureService](
               QRectF rect, quint32 displayID) { return captureService.captureRegion(rect, displayID); };
}

qint64 ScrollCaptureService::defaultMemoryBudget()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return qint64(1) << 30; // memory size unknown: a gigabyte
    return qint64(pages) * pageSize / 4;
}

QRect ScrollCaptureService::panelFrameFor(QRectF rect, QRect available, QSize size)
{
    const int x = qRound(rect.center().x() - size.width() / 2.0);
    const int above = qRound(rect.top() - PanelGap - size.height());
    if (available.isEmpty())
        return {QPoint(x, above), size};
    const int below = qRound(rect.bottom() + PanelGap);
    const int lowest = available.y() + available.height() - size.height();
    const int y = above >= available.top() ? above : below <= lowest ? below : qRound(rect.top() + PanelGap);
    const int rightmost = available.x() + available.width() - size.width();
    return {QPoint(std::clamp(x, available.left(), std::max(available.left(), rightmost)),
                std::clamp(y, available.top(), std::max(available.top(), lowest))),
        size};
}

void ScrollCaptureService::startScrollCapture(QRectF rect, quint32 displayID)
{
    if (m_isCapturing || m_controlPanel)
        cancelCapture();
    ++m_generation;
    m_captureRect = rect;
    m_captureDisplayID = displayID;
    clearFrames();
    setCapturing(false);
    showControlPanel(rect);
}

void ScrollCaptureService::beginCapturing()
{
    ++m_generation;
    setCapturing(true);
    clearFrames();
    m_captureTimer = std::make_unique<QTimer>();
    m_captureTimer->setInterval(FrameIntervalMs);
    m_captureTimer->setTimerType(Qt::PreciseTimer);
    connect(m_captureTimer.get(), &QTimer::timeout, this, &ScrollCaptureService::captureFrame);
    m_captureTimer->start();
    m_wheelCounting = m_wheel && m_wheel->startCounting();
    m_frames.open(m_captureRect, m_captureDisplayID);
}

// Deliberately blind to isCapturing: a grab in flight at Done or Cancel
// still lands, after the frames were handed on or dropped.
void ScrollCaptureService::captureFrame()
{
    if (m_isCapturingFrame)
        return;
    m_isCapturingFrame = true;
    const quint64 generation = m_generation;
    // Read as the grab is asked for: the turns that moved the page before
    // the grab are then counted for this frame.
    std::optional<double> wheelSteps;
    if (m_wheelCounting)
        wheelSteps = m_wheel->steps();
    m_frames.grab(m_captureRect, m_captureDisplayID)
        .then(this, [this, generation, wheelSteps](QFuture<CaptureResult> grab) {
            frameArrived(generation, wheelSteps, grab);
        });
}

void ScrollCaptureService::frameArrived(
    quint64 generation, std::optional<double> wheelSteps, QFuture<CaptureResult> grab)
{
    m_isCapturingFrame = false;
    std::optional<QImage> frame;
    try {
        frame = grab.result().image;
    } catch (...) {
        // A failed grab costs one frame; the next firing tries again.
        return;
    }
    if (generation == m_generation && !frame->isNull())
        appendFrame(*frame, wheelSteps);
}

void ScrollCaptureService::appendFrame(const QImage &frame, std::optional<double> wheelSteps)
{
    const qint64 bytes = frame.sizeInBytes();
    if (m_isMemoryFull || m_framesBytes + bytes > m_memoryBudget) {
        // Stop recording but stay in it, so that Done writes what was kept.
        stopTimer();
        setMemoryFull(true);
        return;
    }
    m_capturedFrames.append(frame);
    m_frameSignatures.append(QtConcurrent::run(&RowSignatures::of, frame));
    if (wheelSteps)
        m_frameWheelSteps.append(*wheelSteps);
    m_framesBytes += bytes;
    setFrameCount(int(m_capturedFrames.size()));
}

void ScrollCaptureService::finishCapture()
{
    if (!m_isCapturing && !m_controlPanel)
        return; // nothing armed: a second Done must not write the frames again
    stopTimer();
    setCapturing(false);
    closeControlPanel();
    const QList<QImage> frames = m_capturedFrames;
    if (frames.isEmpty())
        return;
    if (frames.size() == 1) {
        runOutputSteps(frames.first());
        return;
    }
    stitchAndOutput(frames, m_frameSignatures, m_frameWheelSteps);
}

// No more frames can come. What was recorded before is saved as Done would;
// an alert says why unless the user declined to share the screen.
void ScrollCaptureService::framesFailed(const QString &reason)
{
    if (m_capturedFrames.isEmpty())
        cancelCapture();
    else
        finishCapture();
    if (!reason.isEmpty())
        alert(Error(reason));
}

void ScrollCaptureService::cancelCapture()
{
    stopTimer();
    setCapturing(false);
    clearFrames();
    closeControlPanel();
}

void ScrollCaptureService::stitchAndOutput(const QList<QImage> &frames,
    const QList<QFuture<RowSignatures>> &signatures, const QList<double> &wheelSteps)
{
    const auto stitch = [stitcher = m_stitch, frames, signatures, wheelSteps] {
        QList<RowSignatures> ready;
        for (const QFuture<RowSignatures> &hashing : signatures)
            ready.append(hashing.result());
        return stitcher(frames, ready, wheelSteps.mid(0, frames.size()));
    };
    QtConcurrent::run(stitch).then(this, [this](QFuture<QImage> stitched) {
        QImage image;
        try {
            image = stitched.result();
        } catch (const Error &error) {
            alert(error);
            return;
        } catch (...) {
            alert(CaptureFailure(CaptureError::stitchingFailed));
            return;
        }
        runOutputSteps(image);
    });
}

void ScrollCaptureService::runOutputSteps(const QImage &image)
{
    m_outputs.run(image).then(this, [this](QFuture<QString> saved) {
        try {
            saved.waitForFinished();
        } catch (const Error &error) {
            alert(error);
        }
    });
}

void ScrollCaptureService::alert(const Error &error)
{
    m_outputs.reportFailure(FailureTitle, error);
}

void ScrollCaptureService::showControlPanel(QRectF rect)
{
    const QScreen *screen = screenForDisplayID(m_captureDisplayID);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QWidget *panel = ScrollCaptureControlView::makePanel(this, m_compositing.isRunning());
    panel->setGeometry(panelFrameFor(rect, screen ? screen->availableGeometry() : QRect(), panel->size()));
    panel->show();
    m_controlPanel = panel;
    if (m_frames.keepsWindowsInPlace()) {
        m_rectangleFrame = std::make_unique<ScrollCaptureFrame>(rect);
        m_rectangleFrame->show();
    }
}

void ScrollCaptureService::closeControlPanel()
{
    m_rectangleFrame.reset();
    if (!m_controlPanel)
        return;
    m_controlPanel->hide();
    // Done and Cancel arrive from the panel's own buttons: let their
    // handlers return before the panel goes.
    m_controlPanel->deleteLater();
    m_controlPanel = nullptr;
}

// Whatever ends recording also ends the source's frames (and on a screen
// cast the desktop's sharing indicator).
void ScrollCaptureService::stopTimer()
{
    m_captureTimer.reset();
    if (m_wheelCounting)
        m_wheel->stopCounting();
    m_wheelCounting = false;
    m_frames.close();
    m_isObstructed = false;
}

void ScrollCaptureService::clearFrames()
{
    m_capturedFrames.clear();
    m_frameSignatures.clear();
    m_frameWheelSteps.clear();
    m_framesBytes = 0;
    setFrameCount(0);
    setMemoryFull(false);
}

void ScrollCaptureService::setCapturing(bool capturing)
{
    if (m_isCapturing == capturing)
        return;
    m_isCapturing = capturing;
    emit isCapturingChanged(capturing);
}

void ScrollCaptureService::setFrameCount(int count)
{
    if (m_frameCount == count)
        return;
    m_frameCount = count;
    emit frameCountChanged(count);
}

void ScrollCaptureService::setMemoryFull(bool full)
{
    if (m_isMemoryFull == full)
        return;
    m_isMemoryFull = full;
    emit isMemoryFullChanged(full);
}
