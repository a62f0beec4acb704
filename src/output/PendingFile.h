#pragma once

#include <QFile>
#include <QString>

#include <memory>

// A hidden file in the target folder that receives an image and takes its
// real name only once it is complete. A failed or interrupted write never
// leaves a partial image under a real name, and taking the name never
// replaces a file that is already there.
class PendingFile
{
public:
    enum class Publication { done, nameTaken, failed };

    // Throws FileErrorException (couldNotCreateDestination, naming the
    // folder and the OS's reason) when the folder refuses a new file.
    static std::unique_ptr<PendingFile> create(const QString &folder);
    // Removes the hidden file unless it was published.
    ~PendingFile();
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;

    QIODevice &device() { return m_file; }
    // Writes out what is buffered, makes it durable and closes; false on any failure.
    bool finish();
    // Gives the finished file the name `path` unless something exists there.
    Publication publishAs(const QString &path);

    // Whether writing, finishing or publishing failed, and the OS's reason.
    bool failed() const { return !errorString().isEmpty(); }
    QString errorString() const;

    QString hiddenPath() const { return m_path; }

private:
    PendingFile(QString path, int fd);

    QString m_path;
    QFile m_file;
    QString m_error;
    bool m_published = false;
};
