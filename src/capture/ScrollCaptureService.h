#pragma once

#include "capture/CaptureResult.h"
#include "capture/RowSignatures.h"
#include "capture/ScrollFrameSource.h"

#include <QFuture>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class CaptureOutputPipeline;
class CaptureService;
class CompositingManager;
class Error;
class ScrollCaptureFrame;
class ScrollWheel;

// Records a long page as one tall image: while the user scrolls, it grabs
// one fixed rectangle five times a second, and on Done stitches the frames
// on a worker thread and writes the result (optionally after asking for a
// name), copies and previews it as the settings say. A floating panel of
// Start, Done and Cancel drives it. Main thread.
class ScrollCaptureService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isCapturing READ isCapturing NOTIFY isCapturingChanged)
    Q_PROPERTY(int frameCount READ frameCount NOTIFY frameCountChanged)
    Q_PROPERTY(bool isMemoryFull READ isMemoryFull NOTIFY isMemoryFullChanged)

public:
    static constexpr int FrameIntervalMs = 200;
    static constexpr int PanelWidth = 240;
    static constexpr int PanelHeight = 44;
    static constexpr int PanelGap = 10;

    using FrameSource = std::function<QFuture<CaptureResult>(QRectF rect, quint32 displayID)>;
    using Stitcher = std::function<QImage(
        const QList<QImage> &frames, const QList<RowSignatures> &signatures, const QList<double> &wheelSteps)>;

    // `grabRegion` takes one frame (CaptureService::captureRegion in the
    // application); `outputs` writes the result; `wheel`, if any, is read
    // with every frame, to measure the blank stretches of a page. The other
    // objects must outlive the service.
    ScrollCaptureService(FrameSource grabRegion, CaptureOutputPipeline &outputs,
        CompositingManager &compositing, ScrollWheel *wheel = nullptr, QObject *parent = nullptr);
    // Frames from `frames`, which is opened at Start and closed when
    // recording ends.
    ScrollCaptureService(ScrollFrameSource &frames, CaptureOutputPipeline &outputs,
        CompositingManager &compositing, ScrollWheel *wheel = nullptr, QObject *parent = nullptr);
    ~ScrollCaptureService() override;

    // The region capture of `captureService`, as a frame source.
    static FrameSource regionsOf(CaptureService &captureService);

    // Arms a capture of `rect` (global points) and shows the panel above
    // it; nothing is grabbed until Start. A capture already armed or
    // recording is cancelled first.
    void startScrollCapture(QRectF rect, quint32 displayID);
    // Start: clears the frames and grabs one every 0.2 s, the first 0.2 s from now.
    void beginCapturing();
    // One firing of the frame timer: grabs a frame unless one is in flight.
    void captureFrame();
    // Done: stops, closes the panel and writes what was recorded.
    void finishCapture();
    // Cancel: stops, closes the panel and drops the frames.
    void cancelCapture();

    bool isCapturing() const { return m_isCapturing; }
    int frameCount() const { return m_frameCount; }
    // The frames reached the memory budget: the timer stopped, Done still works.
    bool isMemoryFull() const { return m_isMemoryFull; }
    // Frames are being dropped because the panel covers part of the rectangle.
    bool isObstructed() const { return m_isObstructed; }
    const QList<QImage> &capturedFrames() const { return m_capturedFrames; }
    // The wheel's reading as each frame was taken; empty without a wheel.
    const QList<double> &frameWheelSteps() const { return m_frameWheelSteps; }
    QRectF captureRect() const { return m_captureRect; }
    quint32 captureDisplayID() const { return m_captureDisplayID; }
    bool isCapturingFrame() const { return m_isCapturingFrame; }
    QTimer *captureTimer() const { return m_captureTimer.get(); }
    QWidget *controlPanel() const { return m_controlPanel; }
    // The frame drawn around the rectangle while the panel is up.
    QWidget *rectangleFrame() const;

    // Bytes of frames that may be held at once; a quarter of physical memory by default.
    qint64 memoryBudget() const { return m_memoryBudget; }
    void setMemoryBudget(qint64 bytes) { m_memoryBudget = bytes; }
    static qint64 defaultMemoryBudget();
    // Replaces the frame stitcher (FrameStitcher::stitchFrames).
    void setStitcher(Stitcher stitcher) { m_stitch = std::move(stitcher); }

    // The place of a panel of `size` for a selection, inside `available`
    // (the screen's area without panels and docks) so that its buttons stay
    // in reach: centred above the selection, PanelGap points off its top
    // edge; where that does not fit, as far below its bottom edge; else
    // PanelGap points inside its top edge. An empty `available` leaves it above.
    static QRect panelFrameFor(QRectF rect, QRect available, QSize size = {PanelWidth, PanelHeight});

signals:
    void isCapturingChanged(bool isCapturing);
    void frameCountChanged(int frameCount);
    void isMemoryFullChanged(bool isMemoryFull);

private:
    void setCapturing(bool capturing);
    void setFrameCount(int count);
    void setMemoryFull(bool full);
    void clearFrames();
    void stopTimer();
    void showControlPanel(QRectF rect);
    void closeControlPanel();
    void frameArrived(quint64 generation, std::optional<double> wheelSteps, QFuture<CaptureResult> grab);
    void framesFailed(const QString &reason);
    void appendFrame(const QImage &frame, std::optional<double> wheelSteps);
    void stitchAndOutput(const QList<QImage> &frames, const QList<QFuture<RowSignatures>> &signatures,
        const QList<double> &wheelSteps);
    void runOutputSteps(const QImage &image);
    void alert(const Error &error);

    std::unique_ptr<ScrollFrameSource> m_ownedFrames;
    ScrollFrameSource &m_frames;
    CaptureOutputPipeline &m_outputs;
    CompositingManager &m_compositing;
    ScrollWheel *m_wheel;
    bool m_wheelCounting = false;
    Stitcher m_stitch;

    bool m_isCapturing = false;
    int m_frameCount = 0;
    bool m_isMemoryFull = false;
    bool m_isObstructed = false;
    QList<QImage> m_capturedFrames;
    // Each frame's rows are hashed on a worker as it arrives, so that Done
    // does not wait for all of them at once.
    QList<QFuture<RowSignatures>> m_frameSignatures;
    QList<double> m_frameWheelSteps;
    qint64 m_framesBytes = 0;
    qint64 m_memoryBudget;
    std::unique_ptr<QTimer> m_captureTimer;
    QRectF m_captureRect;
    quint32 m_captureDisplayID = 0;
    QPointer<QWidget> m_controlPanel;
    std::unique_ptr<ScrollCaptureFrame> m_rectangleFrame;
    bool m_isCapturingFrame = false;
    // Bumped by every start, so that a grab begun for an earlier capture
    // cannot slip a frame of another rectangle into the next one.
    quint64 m_generation = 0;
};
