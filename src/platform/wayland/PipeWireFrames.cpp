#include "platform/wayland/PipeWireFrames.h"

#include <QMetaObject>
#include <QMutex>
#include <QPointer>

#include <fcntl.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace {

// spa's builder macros use GNU extensions of C; they are confined to here.

// Raw video in a 32-bit layout Qt reads as it is, any size, any rate up to
// the cap; no fixed rate.
const spa_pod *formatOffer(spa_pod_builder &builder)
{
    spa_rectangle defaultSize {1280, 800}, minSize {1, 1}, maxSize {16384, 16384};
    spa_fraction noRate {0, 1}, maxRate {PipeWireFrames::MaxFramesPerSecond, 1}, minRate {1, 1};
    return static_cast<const spa_pod *>(spa_pod_builder_add_object(&builder, SPA_TYPE_OBJECT_Format,
        SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
            SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&noRate), SPA_FORMAT_VIDEO_maxFramerate,
        SPA_POD_CHOICE_RANGE_Fraction(&maxRate, &minRate, &maxRate)));
}

// Frames in memory the process can read: shared memory, never DMA-BUF.
const spa_pod *buffersParam(spa_pod_builder &builder)
{
    return static_cast<const spa_pod *>(spa_pod_builder_add_object(&builder, SPA_TYPE_OBJECT_ParamBuffers,
        SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
}

} // namespace
#pragma GCC diagnostic pop

#include <cstring>

// Everything PipeWire touches lives here and is used on PipeWire's thread,
// under the thread loop's lock; `newest` is the one hand-over to Qt.
struct PipeWireFrames::Stream
{
    PipeWireFrames *owner = nullptr;
    pw_thread_loop *loop = nullptr;
    pw_context *context = nullptr;
    pw_core *core = nullptr;
    pw_stream *stream = nullptr;
    spa_hook listener {};
    spa_video_info_raw format {};

    QMutex lock;
    QImage newest;
    bool handOverPending = false;

    ~Stream();
    void process();
    void formatChanged(const spa_pod *param);
    void stateChanged(pw_stream_state state, const char *error);
    void handOver(QImage frame);
};

namespace {

QImage::Format qtFormat(spa_video_format format)
{
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
    case SPA_VIDEO_FORMAT_BGRA:
        return QImage::Format_RGB32; // B, G, R, x in memory is 0xffRRGGBB on little-endian machines
    case SPA_VIDEO_FORMAT_RGBx:
    case SPA_VIDEO_FORMAT_RGBA:
        return QImage::Format_RGBX8888;
    default:
        return QImage::Format_Invalid;
    }
}

const pw_stream_events StreamEvents = [] {
    pw_stream_events events {};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void *data, pw_stream_state, pw_stream_state state, const char *error) {
        static_cast<PipeWireFrames::Stream *>(data)->stateChanged(state, error);
    };
    events.param_changed = [](void *data, uint32_t id, const spa_pod *param) {
        if (id == SPA_PARAM_Format && param)
            static_cast<PipeWireFrames::Stream *>(data)->formatChanged(param);
    };
    events.process = [](void *data) { static_cast<PipeWireFrames::Stream *>(data)->process(); };
    return events;
}();

} // namespace

PipeWireFrames::Stream::~Stream()
{
    if (loop)
        pw_thread_loop_stop(loop);
    if (stream)
        pw_stream_destroy(stream);
    if (core)
        pw_core_disconnect(core);
    if (context)
        pw_context_destroy(context);
    if (loop)
        pw_thread_loop_destroy(loop);
}

void PipeWireFrames::Stream::formatChanged(const spa_pod *param)
{
    spa_video_info_raw info {};
    if (spa_format_video_raw_parse(param, &info) < 0)
        return;
    format = info;
    uint8_t buffer[256];
    spa_pod_builder builder {};
    spa_pod_builder_init(&builder, buffer, sizeof(buffer));
    const spa_pod *buffers = buffersParam(builder);
    pw_stream_update_params(stream, &buffers, 1);
}

void PipeWireFrames::Stream::process()
{
    // Only the newest buffer matters: give the older ones straight back.
    pw_buffer *buffer = pw_stream_dequeue_buffer(stream);
    while (pw_buffer *next = buffer ? pw_stream_dequeue_buffer(stream) : nullptr) {
        pw_stream_queue_buffer(stream, buffer);
        buffer = next;
    }
    if (!buffer)
        return;
    const spa_data &data = buffer->buffer->datas[0];
    const QImage::Format qt = qtFormat(format.format);
    const int width = int(format.size.width), height = int(format.size.height);
    const int stride = data.chunk->stride > 0 ? data.chunk->stride : width * 4;
    const bool usable = data.data && data.chunk->size > 0 && qt != QImage::Format_Invalid && width > 0
        && height > 0 && qint64(stride) * (height - 1) + width * 4 <= qint64(data.maxsize) - data.chunk->offset;
    if (usable) {
        const auto *pixels = static_cast<const uchar *>(data.data) + data.chunk->offset;
        QImage frame(width, height, qt);
        for (int y = 0; y < height; ++y)
            std::memcpy(frame.scanLine(y), pixels + qint64(y) * stride, size_t(width) * 4);
        handOver(frame.format() == QImage::Format_RGB32 ? frame : frame.convertToFormat(QImage::Format_RGB32));
    }
    pw_stream_queue_buffer(stream, buffer);
}

void PipeWireFrames::Stream::handOver(QImage frame)
{
    QMutexLocker locker(&lock);
    newest = std::move(frame);
    if (std::exchange(handOverPending, true))
        return; // the main thread has not taken the last one yet; it takes this one instead
    QMetaObject::invokeMethod(owner, &PipeWireFrames::takeNewest, Qt::QueuedConnection);
}

void PipeWireFrames::Stream::stateChanged(pw_stream_state state, const char *error)
{
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED)
        return;
    const QString reason = error ? QString::fromUtf8(error) : QStringLiteral("the screen cast stream ended");
    QMetaObject::invokeMethod(
        owner, [owner = QPointer(owner), reason] { if (owner) emit owner->broken(reason); }, Qt::QueuedConnection);
}

PipeWireFrames::PipeWireFrames(QObject *parent)
    : QObject(parent)
{
    pw_init(nullptr, nullptr);
}

PipeWireFrames::~PipeWireFrames()
{
    m_stream.reset();
}

bool PipeWireFrames::open(int remoteFd, quint32 node)
{
    auto stream = std::make_unique<Stream>();
    stream->owner = this;
    stream->loop = pw_thread_loop_new("quillet-cast", nullptr);
    stream->context = stream->loop ? pw_context_new(pw_thread_loop_get_loop(stream->loop), nullptr, 0) : nullptr;
    if (!stream->context || pw_thread_loop_start(stream->loop) < 0) {
        m_errorString = QStringLiteral("Could not start PipeWire");
        return false;
    }
    pw_thread_loop_lock(stream->loop);
    const int fd = fcntl(remoteFd, F_DUPFD_CLOEXEC, 3);
    stream->core = fd >= 0 ? pw_context_connect_fd(stream->context, fd, nullptr, 0) : nullptr;
    if (stream->core) {
        stream->stream = pw_stream_new(stream->core, "Quillet scroll capture",
            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE,
                "Screen", nullptr));
    }
    bool connected = false;
    if (stream->stream) {
        pw_stream_add_listener(stream->stream, &stream->listener, &StreamEvents, stream.get());
        uint8_t buffer[1024];
        spa_pod_builder builder {};
        spa_pod_builder_init(&builder, buffer, sizeof(buffer));
        const spa_pod *offer = formatOffer(builder);
        connected = pw_stream_connect(stream->stream, PW_DIRECTION_INPUT, node,
                        pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), &offer, 1)
            == 0;
    }
    pw_thread_loop_unlock(stream->loop);
    if (!connected) {
        m_errorString = QStringLiteral("Could not connect to the screen cast stream: %1")
                            .arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    m_stream = std::move(stream);
    return true;
}

void PipeWireFrames::takeNewest()
{
    if (!m_stream)
        return;
    QImage frame;
    {
        QMutexLocker locker(&m_stream->lock);
        frame = std::exchange(m_stream->newest, QImage());
        m_stream->handOverPending = false;
    }
    if (!frame.isNull())
        emit frameReady(frame);
}
