#include "capture/ScrollWheelHints.h"

ScrollWheelHints::ScrollWheelHints(QList<double> steps, qsizetype frameCount)
    : m_steps(steps.size() == frameCount ? std::move(steps) : QList<double>())
{
}

std::optional<double> ScrollWheelHints::turned(qsizetype later) const
{
    if (later < 1 || later >= m_steps.size())
        return std::nullopt;
    return m_steps[later] - m_steps[later - 1];
}

// A page lags behind its wheel: a turn may show in one pair as a pause and
// as a move in the next. The steps of a proven pause are carried to the
// next proven move, and dropped when none follows (a wheel turned at the
// end of a page moves nothing). Pairs that the content did not prove, or
// over which the wheel turned upward, break the chain.
void ScrollWheelHints::learn(qsizetype later, int shift)
{
    const std::optional<double> steps = turned(later);
    const bool chained = later == m_lastLearnt + 1;
    m_lastLearnt = later;
    if (!chained)
        m_carriedSteps = 0;
    if (!steps || *steps < 0 || shift < 0) {
        m_carriedSteps = 0;
        return;
    }
    if (shift == 0) {
        m_carriedSteps += *steps;
        return;
    }
    m_provenRows += shift;
    m_provenSteps += *steps + m_carriedSteps;
    m_carriedSteps = 0;
}

std::optional<double> ScrollWheelHints::pixelsPerStep() const
{
    if (m_provenSteps < LeastStepsToLearn)
        return std::nullopt;
    return m_provenRows / m_provenSteps;
}

std::optional<double> ScrollWheelHints::estimate(qsizetype later) const
{
    const std::optional<double> ratio = pixelsPerStep();
    const std::optional<double> steps = turned(later);
    if (!ratio || !steps || *steps <= 0)
        return std::nullopt;
    return *ratio * *steps;
}
