#pragma once

#include <QImage>
#include <QList>
#include <QSize>

#include <array>

// What the frame stitcher needs to know of each pixel row of a frame, so
// that rows can be compared by a few words instead of by their pixels.
// Made once per frame, ideally while the capture is still running (it only
// reads the frame and may run on any thread).
struct RowSignatures
{
    // The width is cut into this many vertical strips, each hashed on its
    // own: two rows that differ in one strip only (a caret, a scrollbar
    // thumb) can still be recognised as the same row.
    static constexpr int StripCount = 8;

    struct Row
    {
        quint64 hash = 0; // the XOR of the strips' 64-bit hashes
        std::array<quint32, StripCount> strips{};
        // Bit j: the row is one colour outside strip j; bit StripCount:
        // the whole row is one colour.
        quint16 blank = 0;

        bool isBlank() const { return blank & (1u << StripCount); }
        bool isBlankOutside(int strip) const { return blank & (1u << strip); }
    };

    QSize size;
    QList<Row> rows; // top row first; implicitly shared, cheap to copy

    // Signatures of every row of `frame`; empty for a null image. Frames of
    // equal pixels give equal signatures whatever their pixel format.
    static RowSignatures of(const QImage &frame);
    // The frame as host-order 32-bit words 0xAARRGGBB of premultiplied
    // colour: the frame itself when it already is, else a converted copy.
    static QImage asWords(const QImage &frame);
};
