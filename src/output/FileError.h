#pragma once

#include "platform/Error.h"

// The two failures the file service raises itself. Platform failures (such
// as a save folder that cannot be created) are plain `Error`s that carry the
// operating system's own reason.
enum class FileError { couldNotCreateDestination, writeFailed };

namespace FileErrors {

inline QString message(FileError error)
{
    switch (error) {
    case FileError::couldNotCreateDestination:
        return QStringLiteral("Could not create image file.");
    case FileError::writeFailed:
        return QStringLiteral("Failed to write image to disk.");
    }
    return {};
}

} // namespace FileErrors

// A FileError thrown as an Error, so that one catch shows every failure,
// while callers that care can still tell the case. The message is the
// case's fixed text; the detail names the cause, such as the folder and the
// OS's reason ("/home/u/Shots: Permission denied") or the writer's reason
// for refusing the image.
class FileErrorException : public Error
{
public:
    explicit FileErrorException(FileError error, QString detail = {})
        : Error(FileErrors::message(error), std::move(detail))
        , m_error(error)
    {
    }

    FileError fileError() const { return m_error; }

    void raise() const override { throw *this; }
    FileErrorException *clone() const override { return new FileErrorException(*this); }

private:
    FileError m_error;
};
