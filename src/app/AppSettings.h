#pragma once

#include "app/ImageFormat.h"

#include <QObject>
#include <QString>

#include <optional>

class DefaultsStore;

// The user's output preferences and the onboarding flag.
//
// Every value is loaded from the defaults store once, at construction, and
// written back under its own name as a key whenever it is assigned. A setter
// always writes, but notifies only when the value actually changes, so views
// bound to a property do not redraw for an equal assignment.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString savePath READ savePath WRITE setSavePath NOTIFY savePathChanged)
    Q_PROPERTY(ImageFormat imageFormat READ imageFormat WRITE setImageFormat NOTIFY imageFormatChanged)
    Q_PROPERTY(double jpegQuality READ jpegQuality WRITE setJpegQuality NOTIFY jpegQualityChanged)
    Q_PROPERTY(
        bool copyToClipboard READ copyToClipboard WRITE setCopyToClipboard NOTIFY copyToClipboardChanged)
    Q_PROPERTY(bool showPreviewThumbnail READ showPreviewThumbnail WRITE setShowPreviewThumbnail NOTIFY
            showPreviewThumbnailChanged)
    Q_PROPERTY(bool playSound READ playSound WRITE setPlaySound NOTIFY playSoundChanged)
    Q_PROPERTY(bool promptForFileName READ promptForFileName WRITE setPromptForFileName NOTIFY
            promptForFileNameChanged)
    Q_PROPERTY(bool hasCompletedOnboarding READ hasCompletedOnboarding WRITE setHasCompletedOnboarding NOTIFY
            hasCompletedOnboardingChanged)

public:
    explicit AppSettings(DefaultsStore &store, QObject *parent = nullptr);

    // The user's Desktop folder, or the literal "~/Desktop" when the
    // platform names none.
    static QString defaultSavePath();

    QString savePath() const { return m_savePath; }
    ImageFormat imageFormat() const { return m_imageFormat; }
    double jpegQuality() const { return m_jpegQuality; }
    bool copyToClipboard() const { return m_copyToClipboard; }
    bool showPreviewThumbnail() const { return m_showPreviewThumbnail; }
    bool playSound() const { return m_playSound; }
    bool promptForFileName() const { return m_promptForFileName; }
    bool hasCompletedOnboarding() const { return m_hasCompletedOnboarding; }

    void setSavePath(const QString &savePath);
    void setImageFormat(ImageFormat imageFormat);
    void setJpegQuality(double jpegQuality);
    void setCopyToClipboard(bool copyToClipboard);
    void setShowPreviewThumbnail(bool showPreviewThumbnail);
    void setPlaySound(bool playSound);
    void setPromptForFileName(bool promptForFileName);
    void setHasCompletedOnboarding(bool hasCompletedOnboarding);

signals:
    void savePathChanged(const QString &savePath);
    void imageFormatChanged(ImageFormat imageFormat);
    void jpegQualityChanged(double jpegQuality);
    void copyToClipboardChanged(bool copyToClipboard);
    void showPreviewThumbnailChanged(bool showPreviewThumbnail);
    void playSoundChanged(bool playSound);
    void promptForFileNameChanged(bool promptForFileName);
    void hasCompletedOnboardingChanged(bool hasCompletedOnboarding);

private:
    void load();
    std::optional<bool> storedBoolean(const char *key) const;
    template <typename T, typename Signal>
    void assign(T &member, const T &value, Signal changed, const char *key, const QVariant &stored);

    DefaultsStore &m_store;
    QString m_savePath;
    ImageFormat m_imageFormat = ImageFormat::png;
    double m_jpegQuality = 0.9;
    bool m_copyToClipboard = false;
    bool m_showPreviewThumbnail = true;
    bool m_playSound = true;
    bool m_promptForFileName = false;
    bool m_hasCompletedOnboarding = false;
};
