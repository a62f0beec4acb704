#pragma once

#include <QRectF>
#include <QRegion>
#include <QWidget>

// A thin frame around the rectangle a scrolling capture records, so the
// user sees what is being recorded while the page scrolls beneath. It lies
// wholly outside the rectangle, a point off its edges, so no grab ever
// holds it, whatever the scale rounds; it lets the pointer through, never
// takes the focus, and is placed exactly where asked, past any screen edge
// (the window manager does not move it).
class ScrollCaptureFrame : public QWidget
{
public:
    static constexpr int Gap = 1;
    static constexpr int Thickness = 2;

    explicit ScrollCaptureFrame(QRectF rect);

    // The pixels the frame covers around `rect`, in global points.
    static QRegion outline(QRectF rect);

protected:
    void paintEvent(QPaintEvent *event) override;
};
