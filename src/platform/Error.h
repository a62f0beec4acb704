#pragma once

#include <QException>
#include <QString>

// A failure that ends a flow. `message()` is the text the user is shown in
// the flow's alert; `detail()`, when not empty, names the cause (a path and
// the OS's reason) and is shown on a line of its own below the message.
// Derives from QException so that it crosses QFuture and QtConcurrent
// boundaries intact.
class Error : public QException
{
public:
    explicit Error(QString message, QString detail = {})
        : m_message(std::move(message))
        , m_detail(std::move(detail))
    {
    }

    QString message() const { return m_message; }
    QString detail() const { return m_detail; }
    // The alert's informative text: the message, then the cause if known.
    QString alertText() const { return m_detail.isEmpty() ? m_message : m_message + u'\n' + m_detail; }
    const char *what() const noexcept override { return "Quillet error"; }

    void raise() const override { throw *this; }
    Error *clone() const override { return new Error(*this); }

private:
    QString m_message;
    QString m_detail;
};
