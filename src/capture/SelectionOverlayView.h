#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

// Covers one screen while the user drags out a region: dims the screen,
// leaves the selection undimmed, outlines it and labels it with its size in
// pixels. It is its own top-level window, above every other window and
// outside the window manager's reach. Main thread.
class SelectionOverlayView : public QWidget
{
    Q_OBJECT

public:
    // Both sides must be at least this many points for a selection to count.
    static constexpr qreal MinimumSide = 10.0;
    static constexpr int GrabRetryIntervalMs = 50;
    static constexpr int GrabRetryLimit = 40;

    explicit SelectionOverlayView(QWidget *parent = nullptr);

    // The display of the screen this view covers; the main display (the
    // primary screen's) until the service sets it.
    quint32 displayID = 0;
    // The finished selection in global points. Called from the mouse release.
    std::function<void(QRectF)> onSelectionComplete;
    // Called on Escape.
    std::function<void()> onCancel;

    // Shows `image` (the screen as it was, at the screen's pixels) beneath
    // the dimming instead of the live screen. For displays without a
    // compositing manager, where a translucent window would show nothing.
    void setFrozenBackground(const QImage &image);

    std::optional<QPointF> selectionStart() const { return m_selectionStart; }
    QRectF selectionRect() const { return m_selectionRect; }
    bool isSelecting() const { return m_isSelecting; }

    // Takes the keyboard so that Escape reaches the view whichever window
    // had the focus: at once when the window is on the screen, else as it
    // appears, before its first paint, so the user never sees an overlay that
    // ignores Escape. Retries while another client (an open menu) still
    // holds the keyboard; an open alert of ours does not block it. The pointer is
    // left ungrabbed: a pointer grab would send the presses made on every
    // other screen to this one view, and the overlays cover every screen anyway.
    void grabInput();
    bool hasInputGrab() const { return m_hasInputGrab; }
    // One retry of a refused grab: what the retry timer does.
    void grabRetryTick();
    const QTimer &grabRetryTimer() const { return m_grabRetry; }

    // "W × H": the pixel size of `points` at `scale`, each side truncated.
    static QString sizeLabel(const QSizeF &points, qreal scale);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool tryGrab();
    void escapeModalBlock();
    qreal scale() const;
    void paintSelection(QPainter &painter) const;
    void paintSizeLabel(QPainter &painter) const;

    QImage m_frozen;
    std::optional<QPointF> m_selectionStart;
    QRectF m_selectionRect;
    bool m_isSelecting = false;
    bool m_hasInputGrab = false;
    int m_grabAttempts = 0;
    bool m_grabOnExpose = false;
    QTimer m_grabRetry;
};
