#pragma once

#include "capture/RowSignatures.h"

#include <QImage>
#include <QList>

#include <optional>
#include <vector>

// Finds how far the page moved between two neighbouring frames of a
// scrolling capture, by their row signatures.
//
// The frames may carry fixed bands that do not scroll (a toolbar above, a
// status bar below); only the content rows between them are matched. The
// shift s of a pair says that row r of the later frame's content is row
// r + s of the earlier one's: 0 for a pause, the content height when no
// overlap could be told (the later frame then follows the earlier whole).
class OverlapSearch
{
public:
    struct Bands
    {
        int top = 0;
        int bottom = 0;
    };

    // The bands shared by every pair of neighbours of the first frame's size
    // that are not identical; none when they would take half the frame or
    // more, or when a band is all one-colour rows (as often page as chrome).
    static Bands fixedBands(const QList<RowSignatures> &frames);

    OverlapSearch(Bands bands, int frameHeight);

    int contentHeight() const { return m_content; }

    // What the rows of a pair say by themselves, found once per pair.
    struct Evidence
    {
        // The shift the content rows prove (two or more distinct rows agree).
        std::optional<int> shift;
        // The frames are equal but show too little to prove a pause (blank rows).
        bool equal = false;
        // The shift of the largest overlap whose rows all agree, when they
        // hold only one distinct content row.
        std::optional<int> thin;
    };
    Evidence evidence(const RowSignatures &a, const RowSignatures &b);

    // The shift of a pair. Both frames are of the size the bands were found
    // for; `evidence` is what evidence() found for them. `estimate` is the
    // shift the wheel suggests, if anything does: it decides where the rows
    // cannot, among the shifts the rows allow. The images are read only
    // when the signatures cannot decide.
    int shift(const RowSignatures &a, const RowSignatures &b, const QImage &frameA, const QImage &frameB,
        const Evidence &evidence, std::optional<double> estimate = std::nullopt);

private:
    struct Pair
    {
        const QList<RowSignatures::Row> &a;
        const QList<RowSignatures::Row> &b;
    };

    bool agree(Pair p, int s) const;
    int distinctContent(const QList<RowSignatures::Row> &b, int overlap, int enough) const;
    std::optional<int> exactShift(Pair p, std::optional<int> &thin) const;
    std::optional<int> tolerantShift(Pair p);
    std::optional<int> lastShift(Pair p) const;
    std::optional<int> nearlyEqualShift(Pair p, const QImage &frameA, const QImage &frameB) const;
    int nearestAllowed(Pair p, double estimate) const;
    int tolerantScore(Pair p, int s);

    int m_top;
    int m_content;
    std::optional<int> m_lastShift;
    std::vector<quint64> m_scratch;
};
