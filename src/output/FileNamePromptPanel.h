#pragma once

#include "app/ImageFormat.h"
#include "app/PanelContext.h"

#include <QComboBox>
#include <QFuture>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QPromise>

#include <memory>
#include <optional>

class QScreen;

struct PromptResult
{
    QString name;
    ImageFormat format = ImageFormat::png;

    friend bool operator==(const PromptResult &, const PromptResult &) = default;
};

// Asks for a file name and format before a capture is written. Return takes
// what the panel shows, Escape the defaults; every call gets an answer.
// One instance serves the whole process.
class FileNamePromptPanel : public QObject
{
    Q_OBJECT

public:
    static constexpr int PanelWidth = 400;
    static constexpr int PanelHeight = 100;

    explicit FileNamePromptPanel(PanelContext context = {});
    // A caller still waiting is answered with its defaults.
    ~FileNamePromptPanel() override;

    static FileNamePromptPanel &shared();
    static void resetShared(PanelContext context = {});

    // Shows the panel and answers once the user does. A caller still
    // waiting from an earlier call is answered with its own defaults first.
    // Without a screen the defaults come back at once.
    QFuture<PromptResult> prompt(const QString &defaultName, ImageFormat defaultFormat);
    // Return in the name field: the trimmed name (the default when nothing
    // is left) with the format chosen in the pop-up.
    void textFieldAction();

    QWidget *panel() const { return m_panel; }
    QLineEdit *textField() const { return m_textField; }
    QComboBox *formatPopup() const { return m_formatPopup; }

    // Drops spaces and tabs at both ends; line breaks and inner blanks stay.
    static QString trimmedName(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPanel(const QScreen &screen);
    void finish(const PromptResult &result);
    void closePanel();
    PromptResult defaults() const { return {m_defaultName, m_defaultFormat}; }

    PanelContext m_context;
    QPointer<QWidget> m_panel;
    QPointer<QLineEdit> m_textField;
    QPointer<QComboBox> m_formatPopup;
    std::optional<QPromise<PromptResult>> m_continuation;
    QString m_defaultName;
    ImageFormat m_defaultFormat = ImageFormat::png;
    bool m_monitoring = false;
    bool m_activated = false;
};
