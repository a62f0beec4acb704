#pragma once

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPoint>
#include <QStringList>

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
inline QImage scrollPage(int width, int height, int firstRow = 0)
{
    QImage page(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < width; ++x) {
            // A 32-bit mix of the position (the finaliser of MurmurHash3).
            quint32 h = quint32(firstRow + y) * 0x9e3779b1u ^ quint32(x) * 0x85ebca6bu;
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

// What a scrolling page shows besides its noise: white stretches (rows
// from x up to y) and a bar of `bar` rows fixed at the window's top.
struct PageLayout
{
    QList<QPoint> blanks;
    int bar = 0;

    // As the test-window program takes it: "blank:FROM-TO" and "bar:ROWS".
    QStringList arguments() const
    {
        QStringList out;
        for (QPoint b : blanks)
            out << QStringLiteral("blank:%1-%2").arg(b.x()).arg(b.y());
        if (bar)
            out << QStringLiteral("bar:%1").arg(bar);
        return out;
    }
    static PageLayout parse(const QStringList &arguments)
    {
        PageLayout layout;
        for (const QString &a : arguments) {
            if (a.startsWith(QLatin1String("blank:")))
                layout.blanks.append({a.mid(6).section('-', 0, 0).toInt(), a.mid(6).section('-', 1).toInt()});
            else if (a.startsWith(QLatin1String("bar:")))
                layout.bar = a.mid(4).toInt();
        }
        return layout;
    }
};

// The page with its white stretches, without the bar.
inline QImage scrollPage(int width, int height, const PageLayout &layout)
{
    QImage page = scrollPage(width, height);
    QPainter painter(&page);
    for (QPoint b : layout.blanks)
        painter.fillRect(0, b.x(), width, b.y() - b.x(), Qt::white);
    return page;
}

// The fixed bar: noise unlike any row of the page.
inline QImage bar(int width, int rows)
{
    return scrollPage(width, rows, 1000000);
}

// The window at `offset` rows down the page.
inline QImage scrolledWindow(QSize size, int pageHeight, const PageLayout &layout, int offset)
{
    QImage view = scrollPage(size.width(), pageHeight, layout).copy(0, offset, size.width(), size.height());
    if (layout.bar)
        QPainter(&view).drawImage(0, 0, bar(size.width(), layout.bar));
    return view;
}

} // namespace TestWindowContent
