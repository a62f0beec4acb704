#pragma once

#include <QFile>
#include <QString>

#include <initializer_list>

#include <unistd.h>

// For the rest of a scope, acts as the user "nobody" when the tests run as
// root, who may write anywhere, so that read-only files and folders refuse
// writes as they do for a user. The given paths are handed to that user.
class Unprivileged
{
public:
    static constexpr uid_t nobody = 65534;

    explicit Unprivileged(std::initializer_list<QString> paths)
    {
        bool handed = ::geteuid() == 0;
        for (const QString &path : paths)
            handed = handed && ::chown(QFile::encodeName(path).constData(), nobody, nobody) == 0;
        m_switched = handed && ::setegid(nobody) == 0 && ::seteuid(nobody) == 0;
    }
    ~Unprivileged()
    {
        if (m_switched && ::seteuid(0) == 0)
            (void)::setegid(0);
    }
    Unprivileged(const Unprivileged &) = delete;
    Unprivileged &operator=(const Unprivileged &) = delete;

    // False while still root: no permission can be refused.
    bool active() const { return ::geteuid() != 0; }

private:
    bool m_switched = false;
};
