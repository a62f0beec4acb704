#pragma once

#include <QException>
#include <QString>

// A failure that ends a flow. `message()` is the text the user is shown in
// the flow's alert. Derives from QException so that it crosses QFuture and
// QtConcurrent boundaries intact.
class Error : public QException
{
public:
    explicit Error(QString message)
        : m_message(std::move(message))
    {
    }

    QString message() const { return m_message; }
    const char *what() const noexcept override { return "Quillet error"; }

    void raise() const override { throw *this; }
    Error *clone() const override { return new Error(*this); }

private:
    QString m_message;
};
