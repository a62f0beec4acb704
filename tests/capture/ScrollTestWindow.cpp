// A window of another process for the scroll capture tests: it shows the
// top of scrollTestPage and moves it up by a fixed number of pixels for
// each step of the mouse wheel, and prints its window id once shown.
//   scroll-test-window WIDTHxHEIGHT+X+Y STEP PAGEHEIGHT
#include "capture/ScrollTestPage.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QWheelEvent>
#include <QWidget>

#include <cstdio>

class ScrollingPage : public QWidget
{
public:
    ScrollingPage(int step, QImage page)
        : m_step(step)
        , m_page(std::move(page))
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).drawImage(0, 0, m_page, 0, m_offset, width(), height());
        if (!m_announced) {
            m_announced = true;
            std::printf("0x%llx\n", static_cast<unsigned long long>(winId()));
            std::fflush(stdout);
        }
    }

    void wheelEvent(QWheelEvent *event) override
    {
        // One notch is 120 eighths of a degree; down moves the page up.
        const int notches = -event->angleDelta().y() / 120;
        m_offset = std::clamp(m_offset + notches * m_step, 0, m_page.height() - height());
        repaint();
    }

private:
    int m_step;
    QImage m_page;
    int m_offset = 0;
    bool m_announced = false;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 2;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"))
                                          .match(QString::fromLocal8Bit(argv[1]));
    if (!m.hasMatch())
        return 2;
    const int width = m.captured(1).toInt();
    ScrollingPage window(std::atoi(argv[2]), scrollTestPage(width, std::atoi(argv[3])));
    window.setWindowTitle(QStringLiteral("scrolling page"));
    window.setFixedSize(width, m.captured(2).toInt());
    window.move(m.captured(3).toInt(), m.captured(4).toInt());
    window.show();
    return QApplication::exec();
}
