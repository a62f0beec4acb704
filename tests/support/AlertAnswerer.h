#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Clicks the button titled `answer` in every alert that opens while it lives,
// also from inside the alert's own event loop, and remembers the last
// alert's texts.
struct AlertAnswerer
{
    explicit AlertAnswerer(QString answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            auto *alert = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!alert || !alert->isVisible())
                return;
            text = alert->text();
            informativeText = alert->informativeText();
            ++shown;
            for (QAbstractButton *button : alert->buttons()) {
                if (button->text() == answer)
                    return button->click();
            }
        });
        timer.start(5);
    }
    QTimer timer;
    QString text, informativeText;
    int shown = 0;
};
