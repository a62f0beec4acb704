#pragma once

#include <QFile>
#include <QString>

#include <initializer_list>

#include <unistd.h>

// For the rest of a scope, acts as the user "nobody" when the tests run as
// root, who may write anywhere, so that read-only files and folders refuse
// writes as they do for a user. The given paths are handed to that user.
struct Unprivileged
{
    explicit Unprivileged(std::initializer_list<QString> paths)
    {
        for (const QString &path : paths)
            switched = switched && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
        switched = switched && ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~Unprivileged() { (void)(switched && ::seteuid(0) == 0 && ::setegid(0) == 0); }
    // False while still root: no permission can be refused.
    bool active() const { return ::geteuid() != 0; }

    bool switched = ::geteuid() == 0;
};
