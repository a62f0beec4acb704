// A window of another process for the capture tests: it paints a pattern
// whose every pixel says where it is, and prints its window id once shown.
//   capture-test-window WIDTHxHEIGHT+X+Y [title]
#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QTimer>
#include <QWidget>

#include <cstdio>

class PatternWindow : public QWidget
{
public:
    static QRgb pattern(int x, int y) { return qRgb(x & 0xff, y & 0xff, 0xc8); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, pattern(x, y));
        }
        QPainter(this).drawImage(0, 0, image);
        if (!m_announced) {
            m_announced = true;
            std::printf("0x%llx\n", static_cast<unsigned long long>(winId()));
            std::fflush(stdout);
        }
    }

private:
    bool m_announced = false;
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)$"))
                                          .match(QString::fromLocal8Bit(argv[1]));
    if (!m.hasMatch())
        return 2;
    PatternWindow window;
    window.setWindowTitle(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("pattern"));
    window.setFixedSize(m.captured(1).toInt(), m.captured(2).toInt());
    window.move(m.captured(3).toInt(), m.captured(4).toInt());
    window.show();
    return QApplication::exec();
}
