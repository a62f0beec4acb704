#include "capture/OverlapSearch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <numeric>

namespace {

using Row = RowSignatures::Row;
constexpr int StripCount = RowSignatures::StripCount;

// An exact match over blank rows alone says nothing of the shift (any gap
// fits); with two distinct rows of content it is almost never wrong.
constexpr int exactDistinctRows = 2;
// A match that forgives some rows needs more evidence.
constexpr int tolerantDistinctRows = 8;
// At most one row in this many may differ beyond a single strip.
constexpr int toleratedShare = 20;
// Rows nearly equal when their mean squared difference per channel is below
// this: it carries a small uniform change of colour between two grabs.
constexpr qint64 nearlyEqualLimit = 10;
constexpr int noScore = INT_MIN;

// Bit j set: strip j of the two rows differs.
unsigned differingStrips(const Row &a, const Row &b)
{
    if (a.hash == b.hash)
        return 0;
    unsigned mask = 0;
    for (int j = 0; j < StripCount; ++j)
        mask |= unsigned(a.strips[j] != b.strips[j]) << j;
    return mask;
}

// Identifies a row by every strip but `skipped` (by all of them when it is
// out of range).
quint64 keyWithout(const Row &row, int skipped)
{
    quint64 key = 0;
    for (int j = 0; j < StripCount; ++j) {
        if (j != skipped)
            key = (key ^ row.strips[j]) * 0x9e3779b97f4a7c15ull;
    }
    return key;
}

bool blankOutside(const Row &row, int skipped)
{
    return skipped < 0 ? row.isBlank() : row.isBlankOutside(skipped);
}

bool allBlank(const QList<Row> &rows, int from, int to)
{
    return std::all_of(rows.begin() + from, rows.begin() + to, [](const Row &r) { return r.isBlank(); });
}

bool nearlyEqual(const quint32 *a, const quint32 *b, int width)
{
    const qint64 limit = nearlyEqualLimit * 3 * width;
    qint64 sum = 0;
    for (int x = 0; x < width && sum < limit; ++x) {
        const int dr = qRed(a[x]) - qRed(b[x]), dg = qGreen(a[x]) - qGreen(b[x]),
                  db = qBlue(a[x]) - qBlue(b[x]);
        sum += dr * dr + dg * dg + db * db;
    }
    return sum < limit;
}

} // namespace

OverlapSearch::Bands OverlapSearch::fixedBands(const QList<RowSignatures> &frames)
{
    if (frames.isEmpty() || frames.front().rows.isEmpty())
        return {};
    const QSize size = frames.front().size;
    const int h = size.height();
    int top = h, bottom = h;
    bool paired = false;
    for (qsizetype i = 0; i + 1 < frames.size(); ++i) {
        if (frames[i].size != size || frames[i + 1].size != size)
            continue;
        const QList<Row> &a = frames[i].rows, &b = frames[i + 1].rows;
        int lead = 0;
        while (lead < h && a[lead].hash == b[lead].hash)
            ++lead;
        if (lead == h)
            continue; // a pause says nothing of the bands
        int trail = 0;
        while (a[h - 1 - trail].hash == b[h - 1 - trail].hash)
            ++trail;
        top = std::min(top, lead);
        bottom = std::min(bottom, trail);
        paired = true;
    }
    if (!paired || top + bottom > h / 2)
        return {};
    const QList<Row> &rows = frames.front().rows;
    return {allBlank(rows, 0, top) ? 0 : top, allBlank(rows, h - bottom, h) ? 0 : bottom};
}

OverlapSearch::OverlapSearch(Bands bands, int frameHeight)
    : m_top(bands.top)
    , m_content(frameHeight - bands.top - bands.bottom)
{
}

OverlapSearch::Evidence OverlapSearch::evidence(const RowSignatures &a, const RowSignatures &b)
{
    const Pair p{a.rows, b.rows};
    Evidence found;
    if (agree(p, 0)) {
        // The bands agree in every pair, so the frames are equal: a pause,
        // unless all they show is blank rows that any move would leave equal.
        if (distinctContent(p.b, m_content, exactDistinctRows) >= exactDistinctRows)
            found.shift = 0;
        else
            found.equal = true;
        return found;
    }
    found.shift = exactShift(p, found.thin);
    if (!found.shift)
        found.shift = tolerantShift(p);
    return found;
}

int OverlapSearch::shift(const RowSignatures &a, const RowSignatures &b, const QImage &frameA,
    const QImage &frameB, const Evidence &evidence, std::optional<double> estimate)
{
    const Pair p{a.rows, b.rows};
    std::optional<int> s = evidence.shift;
    if (!s && evidence.equal && !estimate)
        s = 0;
    if (!s && !estimate)
        s = lastShift(p);
    if (!s && !evidence.equal)
        s = nearlyEqualShift(p, frameA, frameB);
    if (!s && estimate)
        s = nearestAllowed(p, *estimate);
    if (!s)
        s = evidence.thin;
    if (!s)
        return m_content;
    if (*s > 0)
        m_lastShift = s;
    return *s;
}

// The shift nearest the estimate at which every row of the overlap agrees;
// the content height (no overlap) always does.
int OverlapSearch::nearestAllowed(Pair p, double estimate) const
{
    const int centre = int(std::clamp<double>(std::round(estimate), 0, m_content));
    for (int d = 0; d <= m_content; ++d) {
        if (centre - d >= 0 && agree(p, centre - d))
            return centre - d;
        if (centre + d <= m_content && agree(p, centre + d))
            return centre + d;
    }
    return m_content;
}

bool OverlapSearch::agree(Pair p, int s) const
{
    for (int r = m_top, end = m_top + m_content - s; r < end; ++r) {
        if (p.a[r + s].hash != p.b[r].hash)
            return false;
    }
    return true;
}

// Distinct content rows among the first `overlap` of b's, counted up to `enough`.
int OverlapSearch::distinctContent(const QList<Row> &b, int overlap, int enough) const
{
    std::array<quint64, tolerantDistinctRows> seen{};
    int count = 0;
    for (int r = m_top, end = m_top + overlap; r < end && count < enough; ++r) {
        const Row &row = b[r];
        if (!row.isBlank() && std::find(seen.begin(), seen.begin() + count, row.hash) == seen.begin() + count)
            seen[count++] = row.hash;
    }
    return count;
}

// The largest overlap on which every row is equal. When it holds fewer
// than two distinct content rows the search stops (smaller overlaps hold
// fewer still); with one it is kept as the answer of last resort, since
// appending the frame whole would repeat that row for certain.
std::optional<int> OverlapSearch::exactShift(Pair p, std::optional<int> &thin) const
{
    for (int s = 1; s < m_content; ++s) {
        if (!agree(p, s))
            continue;
        const int distinct = distinctContent(p.b, m_content - s, exactDistinctRows);
        if (distinct >= exactDistinctRows)
            return s;
        if (distinct == 1)
            thin = s;
        return std::nullopt;
    }
    return std::nullopt;
}

// Rows may differ in one strip (the same for all of them: a caret, a
// scrollbar thumb, a highlighted column) and a few rows in more.
std::optional<int> OverlapSearch::tolerantShift(Pair p)
{
    std::optional<int> best;
    int bestScore = noScore;
    for (int s = 0; s <= m_content - tolerantDistinctRows; ++s) {
        const int score = tolerantScore(p, s);
        if (score > bestScore) {
            bestScore = score;
            best = s;
        }
    }
    return best;
}

int OverlapSearch::tolerantScore(Pair p, int s)
{
    const int overlap = m_content - s;
    const int limit = overlap / toleratedShare;
    int wide = 0;
    std::array<int, StripCount> single{};
    for (int r = m_top, end = m_top + overlap; r < end; ++r) {
        const unsigned mask = differingStrips(p.a[r + s], p.b[r]);
        if (std::popcount(mask) > 1 && ++wide > limit)
            return noScore;
        if (std::popcount(mask) == 1)
            ++single[std::countr_zero(mask)];
    }
    const auto most = std::max_element(single.begin(), single.end());
    const int skipped = *most > 0 ? int(most - single.begin()) : -1;
    const int differing = wide + std::accumulate(single.begin(), single.end(), 0) - *most;
    if (differing > limit)
        return noScore;
    m_scratch.clear();
    for (int r = m_top, end = m_top + overlap; r < end; ++r) {
        const unsigned mask = differingStrips(p.a[r + s], p.b[r]);
        if ((skipped < 0 ? mask : mask & ~(1u << skipped)) == 0 && !blankOutside(p.b[r], skipped))
            m_scratch.push_back(keyWithout(p.b[r], skipped));
    }
    std::sort(m_scratch.begin(), m_scratch.end());
    const int distinct = int(std::unique(m_scratch.begin(), m_scratch.end()) - m_scratch.begin());
    return distinct < tolerantDistinctRows ? noScore : distinct - 2 * differing;
}

// A stretch of blank rows scrolled at the speed of the pair before.
std::optional<int> OverlapSearch::lastShift(Pair p) const
{
    if (m_lastShift && *m_lastShift < m_content && agree(p, *m_lastShift))
        return m_lastShift;
    return std::nullopt;
}

// Every row within a small mean squared difference of colour: the page
// faded or was tinted a little between the grabs.
std::optional<int> OverlapSearch::nearlyEqualShift(Pair p, const QImage &frameA, const QImage &frameB) const
{
    const QImage a = RowSignatures::asWords(frameA), b = RowSignatures::asWords(frameB);
    if (a.isNull() || b.isNull())
        return std::nullopt;
    for (int s = 0; s <= m_content - tolerantDistinctRows; ++s) {
        const int overlap = m_content - s;
        if (distinctContent(p.b, overlap, tolerantDistinctRows) < tolerantDistinctRows)
            return std::nullopt; // smaller overlaps hold fewer still
        bool equal = true;
        for (int r = m_top, end = m_top + overlap; r < end && equal; ++r) {
            equal = p.a[r + s].hash == p.b[r].hash
                || nearlyEqual(reinterpret_cast<const quint32 *>(a.constScanLine(r + s)),
                    reinterpret_cast<const quint32 *>(b.constScanLine(r)), a.width());
        }
        if (equal)
            return s;
    }
    return std::nullopt;
}
