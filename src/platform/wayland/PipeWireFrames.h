#pragma once

#include <QImage>
#include <QObject>

#include <memory>

// Frames of one PipeWire video node, read from shared memory on PipeWire's
// own thread and handed to the main thread. Only the newest frame waits
// there: when the main thread is busy, older ones are dropped rather than
// queued.
class PipeWireFrames : public QObject
{
    Q_OBJECT

public:
    struct Stream;

    // The compositor renders a frame only when the screen changed, and at
    // most this often; a fixed rate instead stalls GNOME's compositor.
    static constexpr int MaxFramesPerSecond = 10;

    PipeWireFrames(QObject *parent = nullptr);
    ~PipeWireFrames() override;

    // Connects through `remoteFd` (from the portal; this object keeps its
    // own copy) to `node`. False, with `errorString` set, when PipeWire
    // cannot be reached.
    bool open(int remoteFd, quint32 node);
    QString errorString() const { return m_errorString; }

signals:
    void frameReady(QImage frame);
    // The stream ended or failed after it was opened.
    void broken(QString reason);

private:
    void takeNewest();

    std::unique_ptr<Stream> m_stream;
    QString m_errorString;
};
