#include "capture/FrameStitcher.h"

#include "capture/CaptureError.h"
#include "capture/OverlapSearch.h"
#include "capture/ScrollWheelHints.h"

#include <QPainter>
#include <QtNumeric>

#include <algorithm>
#include <climits>

namespace FrameStitcher {

namespace {

// Rows [top, top + rows) of a frame, drawn at row `at` of the output.
struct Piece
{
    qsizetype frame = 0;
    int top = 0;
    int rows = 0;
    qint64 at = 0;
};

struct Layout
{
    QList<Piece> pieces;
    qint64 height = 0;
};

bool sameSize(const QList<QImage> &frames, qsizetype i, QSize size)
{
    return i >= 0 && i < frames.size() && frames[i].size() == size;
}

// Only frames with a neighbour of the first frame's size are ever matched,
// so only they need signatures.
QList<RowSignatures> signaturesFor(const QList<QImage> &frames, const QList<RowSignatures> &given)
{
    if (given.size() == frames.size())
        return given;
    const QSize size = frames.front().size();
    QList<RowSignatures> made(frames.size());
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (sameSize(frames, i, size) && (sameSize(frames, i - 1, size) || sameSize(frames, i + 1, size)))
            made[i] = RowSignatures::of(frames[i]);
    }
    return made;
}

// Frames of the first frame's size follow one another by the shift found
// between neighbours: the top band of the first, the content of each, the
// bottom band of the last. A frame of another size ends that run and is
// appended whole; the next frame of the first size starts a new run.
class Planner
{
public:
    Planner(const QList<QImage> &frames, const QList<RowSignatures> &signatures, const QList<double> &wheelSteps)
        : m_frames(frames)
        , m_signatures(signatures)
        , m_size(frames.front().size())
        , m_bands(OverlapSearch::fixedBands(signatures))
        , m_search(m_bands, m_size.height())
        , m_wheel(wheelSteps, frames.size())
        , m_evidence(frames.size())
    {
    }

    Layout plan()
    {
        gatherEvidence();
        for (qsizetype i = 0; i < m_frames.size(); ++i) {
            if (m_frames[i].size() != m_size) {
                closeRun();
                place(i, 0, m_frames[i].height(), m_layout.height);
                m_layout.height += m_frames[i].height();
                continue;
            }
            if (m_runEnd < 0) {
                place(i, 0, m_bands.top, m_layout.height);
                m_contentTop = m_layout.height + m_bands.top;
            } else {
                m_contentTop += m_search.shift(m_signatures[i - 1], m_signatures[i], m_frames[i - 1], m_frames[i],
                    m_evidence[i], m_wheel.estimate(i));
            }
            place(i, m_bands.top, m_search.contentHeight(), m_contentTop);
            m_runEnd = i;
        }
        closeRun();
        return m_layout;
    }

private:
    // What the rows prove of every pair comes first, so that the wheel's
    // ratio is learnt from the whole capture before any blank stretch,
    // even one at its start, is measured with it.
    void gatherEvidence()
    {
        for (qsizetype i = 1; i < m_frames.size(); ++i) {
            if (m_frames[i].size() != m_size || m_frames[i - 1].size() != m_size)
                continue;
            m_evidence[i] = m_search.evidence(m_signatures[i - 1], m_signatures[i]);
            const std::optional<int> shift = m_evidence[i].shift;
            if (shift && *shift < m_search.contentHeight())
                m_wheel.learn(i, *shift);
        }
    }

    void place(qsizetype frame, int top, int rows, qint64 at)
    {
        if (rows > 0)
            m_layout.pieces.append(Piece{frame, top, rows, at});
    }

    void closeRun()
    {
        if (m_runEnd < 0)
            return;
        const qint64 bottom = m_contentTop + m_search.contentHeight();
        place(m_runEnd, m_size.height() - m_bands.bottom, m_bands.bottom, bottom);
        m_layout.height = bottom + m_bands.bottom;
        m_runEnd = -1;
    }

    const QList<QImage> &m_frames;
    const QList<RowSignatures> &m_signatures;
    QSize m_size;
    OverlapSearch::Bands m_bands;
    OverlapSearch m_search;
    ScrollWheelHints m_wheel;
    QList<OverlapSearch::Evidence> m_evidence; // of each frame and the one before
    Layout m_layout;
    qint64 m_contentTop = 0;
    qsizetype m_runEnd = -1; // the last frame of the current run, if one is open
};

QImage allocateOutput(int width, qint64 height)
{
    qsizetype bytes = 0;
    if (width <= 0 || height <= 0 || height > INT_MAX
        || qMulOverflow(qsizetype(width) * 4, qsizetype(height), &bytes))
        throw CaptureFailure(CaptureError::stitchingFailed);
    QImage output(width, int(height), QImage::Format_RGBA8888_Premultiplied);
    if (output.isNull())
        throw CaptureFailure(CaptureError::stitchingFailed);
    return output;
}

class Painter
{
public:
    Painter(QImage &output, const QList<QImage> &frames, const QList<Piece> &pieces)
        : m_output(output)
        , m_frames(frames)
        , m_pieces(pieces)
    {
    }

    // Each piece is painted into a band of the output as tall as the piece,
    // so no painting coordinate grows with the output's height.
    void draw()
    {
        if (needsClearing())
            m_output.fill(Qt::transparent);
        for (qsizetype i = 0; i < m_pieces.size(); ++i) {
            const Piece &p = m_pieces[i];
            const QImage &frame = m_frames[p.frame];
            const int rows = visibleRows(i);
            if (rows <= 0 || frame.width() <= 0)
                continue;
            QImage band(m_output.scanLine(int(p.at)), m_output.width(), rows, m_output.bytesPerLine(),
                m_output.format());
            QPainter painter(&band);
            // Over the cleared output, an opaque frame painted as a plain
            // copy looks exactly as it does composited, only faster.
            painter.setCompositionMode(frame.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                               : QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(0, 0), frame, QRect(0, p.top, frame.width(), rows));
        }
    }

private:
    int drawnWidth(const Piece &p) const { return std::min(m_frames[p.frame].width(), m_output.width()); }
    bool translucent(const Piece &p) const { return m_frames[p.frame].hasAlphaChannel(); }

    // Pieces never end above the one before, so an opaque later piece at
    // least as wide hides every row of this one from its top down.
    int visibleRows(qsizetype i) const
    {
        const Piece &p = m_pieces[i];
        if (i + 1 >= m_pieces.size() || translucent(p))
            return p.rows;
        const Piece &next = m_pieces[i + 1];
        if (translucent(next) || drawnWidth(next) < drawnWidth(p))
            return p.rows;
        return int(std::clamp<qint64>(next.at - p.at, 0, p.rows));
    }

    bool needsClearing() const
    {
        return std::any_of(m_pieces.begin(), m_pieces.end(),
            [&](const Piece &p) { return drawnWidth(p) < m_output.width() || translucent(p); });
    }

    QImage &m_output;
    const QList<QImage> &m_frames;
    const QList<Piece> &m_pieces;
};

} // namespace

QImage stitchFrames(
    const QList<QImage> &frames, const QList<RowSignatures> &signatures, const QList<double> &wheelSteps)
{
    if (frames.isEmpty())
        throw CaptureFailure(CaptureError::stitchingFailed);
    if (frames.size() == 1)
        return frames.front();
    const QList<RowSignatures> made = signaturesFor(frames, signatures);
    const Layout layout = Planner(frames, made, wheelSteps).plan();
    QImage output = allocateOutput(frames.front().width(), layout.height);
    Painter(output, frames, layout.pieces).draw();
    return output;
}

} // namespace FrameStitcher
