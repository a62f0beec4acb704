// A window of another process for the x11 and e2e tests. It prints its
// window id once shown and paints content the tests know:
//   test-window WIDTHxHEIGHT+X+Y               a pattern that says where each pixel is
//   test-window WIDTHxHEIGHT+X+Y STEP HEIGHT [blank:FROM-TO]... [bar:ROWS]
//                                              the top of a page HEIGHT tall that each
//                                              notch of the mouse wheel moves by STEP,
//                                              white over the rows FROM-TO, with a bar
//                                              fixed at the top; after each wheel
//                                              event it prints "offset N" once repainted
#include "support/TestWindowContent.h"

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QWheelEvent>
#include <QWidget>

#include <cstdio>

class TestWindow : public QWidget
{
public:
    TestWindow(QImage page, int step, QImage bar)
        : m_page(std::move(page))
        , m_step(step)
        , m_bar(std::move(bar))
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, m_page, 0, m_offset, width(), height());
        painter.drawImage(0, 0, m_bar);
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
        // The tests wait for this before they grab what the wheel moved.
        std::printf("offset %d\n", m_offset);
        std::fflush(stdout);
    }

private:
    QImage m_page;
    int m_step;
    QImage m_bar;
    int m_offset = 0;
    bool m_announced = false;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"))
                                          .match(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (!m.hasMatch() || argc == 3)
        return 2;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    const int step = argc > 3 ? std::atoi(argv[2]) : 0;
    const TestWindowContent::PageLayout layout = TestWindowContent::PageLayout::parse(app.arguments().mid(4));
    TestWindow window(step ? TestWindowContent::scrollPage(size.width(), std::atoi(argv[3]), layout)
                           : TestWindowContent::pattern(size),
        step, layout.bar ? TestWindowContent::bar(size.width(), layout.bar) : QImage());
    window.setWindowTitle(QStringLiteral("test window"));
    window.setFixedSize(size);
    window.move(m.captured(3).toInt(), m.captured(4).toInt());
    window.show();
    return QApplication::exec();
}
