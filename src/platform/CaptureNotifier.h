#pragma once

#include <QImage>
#include <QString>

#include <functional>

// Where the desktop gives a floating window of ours no place, a saved
// capture is shown as the desktop's own notification: its picture, opened
// with a click like the thumbnail, with an action to show it in its folder.
class CaptureNotifier
{
public:
    enum class Action { open, showInFolder };
    using ActionCallback = std::function<void(Action)>;

    virtual ~CaptureNotifier() = default;

    // Shows the notification, in place of the one shown before if that is
    // still up. `onAction` runs on the main thread when the user picks one.
    virtual void show(const QImage &picture, const QString &title, const QString &body, ActionCallback onAction) = 0;
    // Takes the notification away, if one is up.
    virtual void close() = 0;
};
