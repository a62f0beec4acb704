#pragma once

#include "app/PanelContext.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class PreviewThumbnailView;
class QPropertyAnimation;

// The floating thumbnail of the last saved capture in the bottom-right
// corner of the main screen: it fades in, stays three seconds and fades out;
// a click opens the file. Where the desktop places no window of ours, the
// platform's notification stands in for it for the same time. One instance
// serves the whole process.
class CapturePreviewController : public QObject
{
    Q_OBJECT

public:
    static constexpr int ThumbnailSize = 160;
    static constexpr int Margin = 16;
    static constexpr int ShadowMargin = 12;
    static constexpr int FadeInMs = 200;
    static constexpr int FadeOutMs = 300;
    static constexpr int DismissAfterMs = 3000;

    explicit CapturePreviewController(PanelContext context = {});
    ~CapturePreviewController() override;

    static CapturePreviewController &shared();
    static void resetShared(PanelContext context = {});

    // Replaces the current thumbnail (which fades out) with one of `image`.
    void show(const QImage &image, const QUrl &fileURL);
    // Fades the current thumbnail out, if there is one.
    void dismiss();
    // The one-shot timer's action, three seconds after showing.
    void dismissTimerFired();

    QWidget *panel() const { return m_panel; }
    PreviewThumbnailView *view() const;
    QTimer *dismissTimer() const { return m_dismissTimer; }
    std::optional<QUrl> fileURL() const { return m_fileURL; }

    // The fade a thumbnail window runs (in or out), while it runs.
    static QPropertyAnimation *fadeOf(const QWidget *panel);
    // Shows the file in its folder, selected where the file manager can.
    static void showInFolder(const QUrl &fileURL);

private:
    void showNotification(const QImage &image, const QUrl &fileURL);
    void startDismissTimer();
    QWidget *makePanel(const QImage &image, const QRect &thumbnailFrame, bool composited);
    void handleClick();

    PanelContext m_context;
    QPointer<QWidget> m_panel;
    QPointer<QTimer> m_dismissTimer;
    std::optional<QUrl> m_fileURL;
};
