#pragma once

#include "output/CaptureOutputs.h"

#include <QPromise>

#include <functional>
#include <optional>

// Records what a capture showed. The name prompt stays open until the test
// answers it with `answerPrompt`.
class FakeCaptureOutputs : public CaptureOutputs
{
public:
    struct Prompt
    {
        QString defaultName;
        ImageFormat defaultFormat;
    };

    QList<Prompt> prompts;
    QStringList previews; // the files shown
    QStringList alerts; // "title: text"
    QStringList notices;
    // Runs inside showPreview, to look at the world as the preview finds it.
    std::function<void()> onPreview;

    QFuture<PromptResult> promptForFileName(const QString &defaultName, ImageFormat defaultFormat) override
    {
        prompts.append({defaultName, defaultFormat});
        m_prompt.emplace();
        m_prompt->start();
        return m_prompt->future();
    }
    void answerPrompt(const PromptResult &choice)
    {
        m_prompt->addResult(choice);
        m_prompt->finish();
        m_prompt.reset();
    }

    void showPreview(const QImage &, const QString &filePath) override
    {
        previews.append(filePath);
        if (onPreview)
            onPreview();
    }
    void showAlert(const QString &title, const QString &text) override
    {
        alerts.append(title + QStringLiteral(": ") + text);
    }
    void showNotice(const QString &message) override { notices.append(message); }

private:
    std::optional<QPromise<PromptResult>> m_prompt;
};
