// The floor for Quillet's resident memory: a Qt tray program with an icon
// and a menu and nothing else, started the same way as Quillet.
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).drawEllipse(4, 4, 24, 24);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &app, &QApplication::quit);
    QSystemTrayIcon tray(QIcon{pixmap});
    tray.setContextMenu(&menu);
    tray.show();
    return QApplication::exec();
}
