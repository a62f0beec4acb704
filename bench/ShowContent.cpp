// Shows the synthetic screen content full-screen, so that screenshot tools
// can be measured on the same pixels; prints "ready" once it is on screen.
//   quillet_show_content             show until killed
//   quillet_show_content --save F WxH   write the content to F (by Qt) and exit
#include "ScreenContent.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <iostream>

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.size() == 3 && args[0] == QLatin1String("--save")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const QStringList wh = args[2].split(QLatin1Char('x'));
        return makeScreenContent(QSize(wh.value(0).toInt(), wh.value(1).toInt())).save(args[1]) ? 0 : 1;
    }

    QApplication app(argc, argv);
    const QRect geometry = QGuiApplication::primaryScreen()->geometry();
    QLabel label;
    label.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    label.setPixmap(QPixmap::fromImage(makeScreenContent(geometry.size())));
    label.setGeometry(geometry);
    label.show();
    // Announce only after the first paint has reached the server.
    QTimer::singleShot(500, [] { std::cout << "ready" << std::endl; });
    return app.exec();
}
