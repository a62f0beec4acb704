#pragma once

#include <QList>

#include <optional>

// How far the page moved between two frames of a scrolling capture, as the
// scroll wheel tells it: where two frames share only blank rows, or no row
// at all, their pictures cannot say how far the page moved, but the wheel
// steps turned between them can, once the capture has shown how many pixels
// a step moves this page. That ratio is learnt from the pairs whose shift
// the content itself proved.
class ScrollWheelHints
{
public:
    // Below this many steps of proven moves the ratio is not trusted.
    static constexpr double LeastStepsToLearn = 1.0;

    // `steps[i]`: the wheel's reading (steps downward) when frame i was
    // taken. Without a reading for every frame nothing is ever suggested.
    ScrollWheelHints(QList<double> steps, qsizetype frameCount);

    // The content proved that the page moved `shift` rows (0: it did not
    // move), with some overlap left, between frames `later` − 1 and
    // `later`. Called in the order of the frames.
    void learn(qsizetype later, int shift);
    // Rows per step, once enough steps of proven moves were seen.
    std::optional<double> pixelsPerStep() const;
    // The rows the page moved between frames `later` − 1 and `later` by the
    // wheel; nothing without a learnt ratio or when the wheel did not turn
    // downward between them.
    std::optional<double> estimate(qsizetype later) const;

private:
    std::optional<double> turned(qsizetype later) const;

    QList<double> m_steps;
    double m_provenRows = 0;
    double m_provenSteps = 0;
    double m_carriedSteps = 0;
    qsizetype m_lastLearnt = -1;
};
