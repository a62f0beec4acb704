#include "ScreenContent.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>

namespace {

const char *const words[] = {
    "const",
    "QImage",
    "&image,",
    "return",
    "writer.write(image,",
    "device);",
    "if",
    "(count",
    "==",
    "1)",
    "std::vector<std::uint8_t>",
    "rows;",
    "for",
    "(int",
    "y",
    "=",
    "0;",
    "y < height;",
    "++y)",
    "{",
    "}",
    "auto",
    "source",
    "Png::prepareSource(image);",
    "// bands",
    "per",
    "worker",
    "settings.savePath()",
    "QStringLiteral(\"Screenshot \")",
    "+",
    "name;",
    "emit",
    "savePathChanged();",
    "nullptr;",
    "m_strips[i]->encode(source,",
    "rows,",
    "filter,",
    "level);",
    "static_cast<int>(size);",
    "true;",
};

// A line of plausible code: indentation and words drawn at random, so that
// the text compresses like real text and not like one repeated paragraph.
QString codeLine(std::mt19937 &random)
{
    QString line(int(random() % 4) * 4, QLatin1Char(' '));
    const int count = 2 + int(random() % 9);
    for (int i = 0; i < count; ++i)
        line += QString::fromLatin1(words[random() % std::size(words)]) + QLatin1Char(' ');
    return line;
}

// A landscape photo: sky and ground gradients, a sun, hills with hard
// edges, then sensor grain over all of it.
void paintPhoto(QImage &image, QRect area, std::mt19937 &random)
{
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(area.topLeft(), area.bottomLeft());
        sky.setColorAt(0, QColor(40, 90, 170));
        sky.setColorAt(0.55, QColor(230, 170, 120));
        sky.setColorAt(1, QColor(60, 80, 40));
        p.fillRect(area, sky);
        QRadialGradient sun(area.center() - QPoint(area.width() / 5, area.height() / 6), area.height() / 5.0);
        sun.setColorAt(0, QColor(255, 240, 200));
        sun.setColorAt(1, QColor(255, 200, 120, 0));
        p.fillRect(area, sun);
        for (int hill = 0; hill < 4; ++hill) {
            QPainterPath path(QPointF(area.left(), area.bottom()));
            for (int x = 0; x <= area.width(); x += 8) {
                const double y = area.top() + area.height() * (0.5 + 0.1 * hill)
                    + 30 * std::sin(x / (60.0 + 25 * hill) + hill);
                path.lineTo(area.left() + x, y);
            }
            path.lineTo(area.right(), area.bottom());
            QLinearGradient ground(area.topLeft(), area.bottomLeft());
            ground.setColorAt(0, QColor(70 + 20 * hill, 100 + 10 * hill, 50));
            ground.setColorAt(1, QColor(20, 40 + 10 * hill, 20));
            p.fillPath(path, ground);
        }
    }
    std::normal_distribution<double> grain(0.0, 3.0);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const int n = int(grain(random));
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                std::clamp(qBlue(c) + n, 0, 255));
        }
    }
}

void paintText(QPainter &p, QRect area, QColor background, QColor ink, int pixelSize, std::mt19937 &random)
{
    p.save();
    p.setClipRect(area);
    p.fillRect(area, background);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(pixelSize);
    p.setFont(font);
    const int lineHeight = pixelSize * 3 / 2;
    for (int y = area.top() + lineHeight; y < area.bottom(); y += lineHeight) {
        const QString text = codeLine(random);
        p.setPen(text.contains(QLatin1String("//")) ? QColor(110, 140, 110) : ink);
        p.drawText(area.left() + 12, y, text);
    }
    p.restore();
}

void paintChrome(QPainter &p, QRect area, int seed)
{
    p.fillRect(area, QColor(236, 236, 236));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    for (int i = 0; i * 36 + 40 < area.height(); ++i) {
        const QRect button(area.left() + 10, area.top() + 10 + i * 36, area.width() - 20, 28);
        p.setBrush(i % 5 == seed % 5 ? QColor(52, 120, 246) : QColor(250, 250, 250));
        p.setPen(QColor(200, 200, 200));
        p.drawRoundedRect(button, 6, 6);
        p.setBrush(QColor::fromHsv((i * 47) % 360, 160, 220));
        p.drawEllipse(button.left() + 6, button.top() + 6, 16, 16);
        p.setPen(Qt::black);
        p.drawText(
            button.adjusted(30, 0, 0, 0), Qt::AlignVCenter, QStringLiteral("Sidebar item %1").arg(i + 1));
    }
}

} // namespace

QImage makeScreenContent(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(20240607);
    const int w = size.width(), h = size.height();
    const int bar = 28;
    const QRect photo(w / 2, bar, w - w / 2, h * 5 / 8);
    paintPhoto(image, photo, random);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(0, 0, w, bar, QColor(32, 32, 36));
    p.setPen(QColor(230, 230, 230));
    p.drawText(
        QRect(12, 0, w, bar), Qt::AlignVCenter, QStringLiteral("Activities    Editor    Terminal    Photos"));
    paintChrome(p, QRect(0, bar, w / 8, h - bar), 1);
    paintText(
        p, QRect(w / 8, bar, w / 2 - w / 8, h - bar), QColor(253, 253, 250), QColor(30, 30, 60), 14, random);
    paintText(p, QRect(w / 2, bar + photo.height(), w - w / 2, h - bar - photo.height()), QColor(24, 26, 30),
        QColor(200, 220, 200), 13, random);
    return image;
}
