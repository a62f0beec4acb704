#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

// A live picture of one display. The desktop sends a frame whenever what the
// display shows changes, and nothing while it stays still. Every signal
// comes on the main thread.
class ScreenCast : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~ScreenCast() override;

    // Starts casting a display. `restoreToken`, from an earlier `started`,
    // lets the desktop skip asking the user which display to share; one it
    // no longer honours makes it ask again rather than fail.
    virtual void start(const QString &restoreToken) = 0;
    // Stops the frames and the desktop's sharing indicator. Safe at any time.
    virtual void stop() = 0;

signals:
    // The cast runs: `display` is the shared display's area in global points;
    // `restoreToken` stands in for the one passed to start (empty: none).
    void started(QRect display, QString restoreToken);
    // The whole display in device pixels, opaque.
    void frameReady(QImage frame);
    // The cast could not start or broke off. An empty `reason` means the
    // user declined to share the screen.
    void failed(QString reason);
};
