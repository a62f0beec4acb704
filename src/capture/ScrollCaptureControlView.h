#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;
class ScrollCaptureService;

// The scroll capture's floating controls: Start, Done, Cancel and a frame
// counter that is refreshed five times a second while recording. Holds its
// service weakly; every call to it is skipped once the service is gone.
class ScrollCaptureControlView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Width = 240;
    static constexpr int Height = 44;
    static constexpr int CornerRadius = 10;
    static constexpr int PollIntervalMs = 200;
    static constexpr int Margin = 4;

    explicit ScrollCaptureControlView(ScrollCaptureService *service, QWidget *parent = nullptr);
    ~ScrollCaptureControlView() override;

    // A frameless window around a new view that floats above other windows
    // and never takes the keyboard focus, so the application being scrolled
    // keeps it. Rounded: translucent corners when `composited`, a shaped
    // window otherwise.
    static QWidget *makePanel(ScrollCaptureService *service, bool composited);

    void startTapped();
    void doneTapped();
    void cancelTapped();
    // One firing of the label's refresh timer.
    void updateFrameCountLabel();
    void stopPolling();

    QPushButton *startButton() const { return m_startButton; }
    QPushButton *doneButton() const { return m_doneButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QLabel *frameCountLabel() const { return m_frameCountLabel; }
    QTimer *pollTimer() const { return m_pollTimer.get(); }

    // "12 frames"; the word stays plural, as on every count.
    static QString frameCountText(int count, bool memoryFull);

protected:
    void paintEvent(QPaintEvent *event) override;
    // Dragging the background moves the panel.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static void shapePanel(QWidget *panel);
    void reserveRecordingRoom();
    void fitToContents();
    QPushButton *makeButton(const QString &title, void (ScrollCaptureControlView::*action)());

    QPointer<ScrollCaptureService> m_service;
    QPushButton *m_startButton;
    QPushButton *m_doneButton;
    QPushButton *m_cancelButton;
    QLabel *m_frameCountLabel;
    std::unique_ptr<QTimer> m_pollTimer;
    std::optional<QPoint> m_dragOffset;
};
