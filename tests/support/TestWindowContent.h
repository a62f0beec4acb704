#pragma once

#include <QImage>

// What the test-window program paints, shared with the tests that check it.
namespace TestWindowContent {

// Every pixel says where it is in the window.
inline QImage pattern(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x & 0xff, y & 0xff, 0xc8));
    }
    return image;
}

// A tall page whose every row differs from every other: seeded noise, so
// that the overlap of two views of it is never ambiguous.
inline QImage scrollPage(int width, int height)
{
    QImage page(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // A 32-bit mix of the position (the finaliser of MurmurHash3).
            quint32 h = quint32(y) * 0x9e3779b1u ^ quint32(x) * 0x85ebca6bu;
            h ^= h >> 16;
            h *= 0x85ebca6bu;
            h ^= h >> 13;
            h *= 0xc2b2ae35u;
            h ^= h >> 16;
            row[x] = 0xff000000u | (h & 0xffffffu);
        }
    }
    return page;
}

} // namespace TestWindowContent
