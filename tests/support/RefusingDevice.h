#pragma once

#include <QIODevice>

// A write-only device that accepts a given number of bytes, then refuses
// every write: a full disk, or a file system that goes away mid-write.
class RefusingDevice : public QIODevice
{
public:
    explicit RefusingDevice(qint64 accept)
        : m_accept(accept)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        if (length > m_accept)
            return -1;
        m_accept -= length;
        return length;
    }

private:
    qint64 m_accept;
};
