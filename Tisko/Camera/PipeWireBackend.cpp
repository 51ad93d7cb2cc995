// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Camera/PipeWireBackend.h"

#include "Tisko/Support/Log.h"

#include <QImage>

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace tisko {

namespace {

// The camera formats Tisko reads, in the order it prefers them.
constexpr std::array rawFormats{
    SPA_VIDEO_FORMAT_YUY2, SPA_VIDEO_FORMAT_NV12, SPA_VIDEO_FORMAT_I420,
    SPA_VIDEO_FORMAT_BGR,  SPA_VIDEO_FORMAT_RGB,  SPA_VIDEO_FORMAT_BGRx,
    SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA};

// One plane of a frame as PipeWire handed it over.
struct Plane {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::ptrdiff_t stride = 0;
};

std::uint8_t clamp(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// One pixel of limited-range BT.601 YUV, as cameras send it, written as B, G, R.
void writeBgr(std::uint8_t* out, int y, int u, int v) {
    const int c = 298 * (y - 16) + 128;
    const int d = u - 128;
    const int e = v - 128;
    out[0] = clamp((c + 516 * d) >> 8);
    out[1] = clamp((c - 100 * d - 208 * e) >> 8);
    out[2] = clamp((c + 409 * e) >> 8);
}

// A frame of `width` x `height` packed BGR for the analyzer.
std::shared_ptr<CapturedFrame> bgrFrame(int width, int height,
                                        std::shared_ptr<std::vector<std::uint8_t>>* bytes) {
    auto frame = std::make_shared<CapturedFrame>();
    frame->width = width;
    frame->height = height;
    frame->bytesPerLine = static_cast<std::ptrdiff_t>(width) * 3;
    frame->format = PixelFormat::Bgr24;
    *bytes = std::make_shared<std::vector<std::uint8_t>>(
        static_cast<std::size_t>(frame->bytesPerLine) * static_cast<std::size_t>(height));
    frame->bytes = *bytes;
    return frame;
}

// Whether `plane` holds `rows` rows of `rowBytes` at its stride.
bool holds(const Plane& plane, int rows, std::ptrdiff_t rowBytes) {
    return plane.data && rows > 0 && plane.stride >= rowBytes &&
           static_cast<std::size_t>(plane.stride) * static_cast<std::size_t>(rows - 1) +
                   static_cast<std::size_t>(rowBytes) <=
               plane.size;
}

// Packed RGB and BGR, with or without a fourth byte, into `out`; false when the plane is short
// of a whole picture.
bool convertPacked(std::uint32_t format, int w, int h, const Plane& p0, std::uint8_t* out) {
    const bool four = format == SPA_VIDEO_FORMAT_BGRx || format == SPA_VIDEO_FORMAT_BGRA ||
                      format == SPA_VIDEO_FORMAT_RGBx || format == SPA_VIDEO_FORMAT_RGBA;
    const bool rgb = format == SPA_VIDEO_FORMAT_RGB || format == SPA_VIDEO_FORMAT_RGBx ||
                     format == SPA_VIDEO_FORMAT_RGBA;
    const int size = four ? 4 : 3;
    if (!holds(p0, h, static_cast<std::ptrdiff_t>(w) * size))
        return false;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = p0.data + y * p0.stride;
        std::uint8_t* row = out + static_cast<std::ptrdiff_t>(y) * w * 3;
        for (int x = 0; x < w; ++x, in += size, row += 3) {
            row[0] = in[rgb ? 2 : 0];
            row[1] = in[1];
            row[2] = in[rgb ? 0 : 2];
        }
    }
    return true;
}

// Converts one raw frame of `format`; null when the planes are short of a whole picture.
std::shared_ptr<CapturedFrame> convertRaw(std::uint32_t format, int w, int h,
                                          const std::array<Plane, 3>& planes) {
    std::shared_ptr<std::vector<std::uint8_t>> bytes;
    std::shared_ptr<CapturedFrame> frame = bgrFrame(w, h, &bytes);
    std::uint8_t* out = bytes->data();
    const Plane& p0 = planes[0];
    const int halfW = (w + 1) / 2;
    const int halfH = (h + 1) / 2;
    switch (format) {
    case SPA_VIDEO_FORMAT_YUY2:
        if (!holds(p0, h, static_cast<std::ptrdiff_t>(halfW) * 4))
            return nullptr;
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* in = p0.data + y * p0.stride;
            std::uint8_t* row = out + static_cast<std::ptrdiff_t>(y) * w * 3;
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* pair = in + (x / 2) * 4;
                writeBgr(row + x * 3, in[x * 2], pair[1], pair[3]);
            }
        }
        return frame;
    case SPA_VIDEO_FORMAT_NV12:
    case SPA_VIDEO_FORMAT_I420: {
        const bool nv12 = format == SPA_VIDEO_FORMAT_NV12;
        if (!holds(p0, h, w) || !holds(planes[1], halfH, nv12 ? halfW * 2 : halfW) ||
            (!nv12 && !holds(planes[2], halfH, halfW)))
            return nullptr;
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* luma = p0.data + y * p0.stride;
            const std::uint8_t* first = planes[1].data + (y / 2) * planes[1].stride;
            const std::uint8_t* second =
                nv12 ? first + 1 : planes[2].data + (y / 2) * planes[2].stride;
            const int step = nv12 ? 2 : 1;
            std::uint8_t* row = out + static_cast<std::ptrdiff_t>(y) * w * 3;
            for (int x = 0; x < w; ++x)
                writeBgr(row + x * 3, luma[x], first[(x / 2) * step], second[(x / 2) * step]);
        }
        return frame;
    }
    default:
        break;
    }
    return convertPacked(format, w, h, p0, out) ? frame : nullptr;
}

// The row stride of plane `index` of `format` when the producer gives none: rows packed.
std::ptrdiff_t packedStride(std::uint32_t format, int width, int index) {
    switch (format) {
    case SPA_VIDEO_FORMAT_YUY2:
        return static_cast<std::ptrdiff_t>((width + 1) / 2) * 4;
    case SPA_VIDEO_FORMAT_NV12:
        return index == 0 ? width : ((width + 1) / 2) * 2;
    case SPA_VIDEO_FORMAT_I420:
        return index == 0 ? width : (width + 1) / 2;
    case SPA_VIDEO_FORMAT_BGR:
    case SPA_VIDEO_FORMAT_RGB:
        return static_cast<std::ptrdiff_t>(width) * 3;
    default:
        return static_cast<std::ptrdiff_t>(width) * 4;
    }
}

// The planes of one buffer: each in its own block, or one after another in the first.
std::array<Plane, 3> planesOf(const spa_buffer& buffer, std::uint32_t format, int width,
                              int height) {
    std::array<Plane, 3> planes{};
    const int count = format == SPA_VIDEO_FORMAT_I420 ? 3 : format == SPA_VIDEO_FORMAT_NV12 ? 2 : 1;
    const int halfHeight = (height + 1) / 2;
    for (int i = 0; i < count; ++i) {
        const bool ownBlock = buffer.n_datas >= static_cast<std::uint32_t>(count);
        const spa_data& data = buffer.datas[ownBlock ? i : 0];
        if (!data.data || !data.chunk)
            return {};
        const std::uint32_t offset = std::min(data.chunk->offset, data.maxsize);
        const std::size_t size = std::min(data.chunk->size, data.maxsize - offset);
        const auto* start = static_cast<const std::uint8_t*>(data.data) + offset;
        std::ptrdiff_t stride = data.chunk->stride;
        if (stride <= 0)
            stride = packedStride(format, width, i);
        else if (!ownBlock && i > 0)
            stride = format == SPA_VIDEO_FORMAT_NV12 ? stride : stride / 2;
        if (ownBlock || i == 0) {
            planes[static_cast<std::size_t>(i)] = {start, size, stride};
            continue;
        }
        // Planes packed after each other: each begins where the one before ends.
        const Plane& before = planes[static_cast<std::size_t>(i - 1)];
        const std::size_t used = static_cast<std::size_t>(before.data - start) +
                                 static_cast<std::size_t>(before.stride) *
                                     static_cast<std::size_t>(i == 1 ? height : halfHeight);
        if (used > size)
            return {};
        planes[static_cast<std::size_t>(i)] = {start + used, size - used, stride};
    }
    return planes;
}

// The formats Tisko reads, as the stream offers them to the camera: every raw format it
// converts and MJPG, at any size near `preferred` and any rate near 30 frames a second.
std::array<const spa_pod*, 2> formatParams(spa_pod_builder& builder, spa_rectangle preferred) {
    spa_rectangle smallest{1, 1};
    spa_rectangle largest{16384, 16384};
    spa_fraction rate{30, 1};
    spa_fraction slowest{0, 1};
    spa_fraction fastest{1000, 1};
    spa_pod_frame frame{};
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(&builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    spa_pod_builder_prop(&builder, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_frame choice{};
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Enum, 0);
    spa_pod_builder_id(&builder, rawFormats[0]);
    for (const auto format : rawFormats)
        spa_pod_builder_id(&builder, format);
    spa_pod_builder_pop(&builder, &choice);
    spa_pod_builder_add(&builder, SPA_FORMAT_VIDEO_size,
                        SPA_POD_CHOICE_RANGE_Rectangle(&preferred, &smallest, &largest),
                        SPA_FORMAT_VIDEO_framerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest), 0);
    const auto* raw = static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame));
    spa_pod_builder_push_object(&builder, &frame, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(
        &builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_mjpg), SPA_FORMAT_VIDEO_size,
        SPA_POD_CHOICE_RANGE_Rectangle(&preferred, &smallest, &largest), SPA_FORMAT_VIDEO_framerate,
        SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest), 0);
    const auto* mjpg = static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &frame));
    return {raw, mjpg};
}

QString stateName(pw_stream_state state) {
    return QString::fromUtf8(pw_stream_state_as_string(state));
}

} // namespace

// What the loop thread shares with the backend; touched only with the loop's lock held.
struct PipeWireBackend::Stream {
    PipeWireBackend* owner = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    pw_stream_state state = PW_STREAM_STATE_UNCONNECTED;
    QString error;
    bool streamed = false;
    bool negotiated = false;
    std::uint32_t subtype = 0;
    std::uint32_t format = 0;
    int width = 0;
    int height = 0;
    FrameHandler handler;

    static void stateChanged(void* data, pw_stream_state, pw_stream_state state,
                             const char* error) {
        auto* self = static_cast<Stream*>(data);
        self->state = state;
        if (error)
            self->error = QString::fromUtf8(error);
        if (state == PW_STREAM_STATE_STREAMING)
            self->streamed = true;
        else if (self->streamed)
            self->owner->m_running = false; // said why when the look stops
        self->owner->m_cameras.signal();
    }

    static void paramChanged(void* data, std::uint32_t id, const spa_pod* param) {
        auto* self = static_cast<Stream*>(data);
        if (id != SPA_PARAM_Format || !param)
            return;
        std::uint32_t media = 0;
        std::uint32_t subtype = 0;
        if (spa_format_parse(param, &media, &subtype) < 0 || media != SPA_MEDIA_TYPE_video)
            return;
        if (subtype == SPA_MEDIA_SUBTYPE_raw) {
            spa_video_info_raw info{};
            if (spa_format_video_raw_parse(param, &info) < 0)
                return;
            self->format = info.format;
            self->width = static_cast<int>(info.size.width);
            self->height = static_cast<int>(info.size.height);
        } else if (subtype == SPA_MEDIA_SUBTYPE_mjpg) {
            spa_video_info_mjpg info{};
            if (spa_format_video_mjpg_parse(param, &info) < 0)
                return;
            self->width = static_cast<int>(info.size.width);
            self->height = static_cast<int>(info.size.height);
        } else {
            return;
        }
        self->subtype = subtype;
        self->negotiated = self->width > 0 && self->height > 0;
        self->owner->m_cameras.signal();
    }

    static void process(void* data) {
        auto* self = static_cast<Stream*>(data);
        // Only the newest frame counts: older ones go straight back.
        pw_buffer* newest = nullptr;
        while (pw_buffer* buffer = pw_stream_dequeue_buffer(self->stream)) {
            if (newest)
                pw_stream_queue_buffer(self->stream, newest);
            newest = buffer;
        }
        if (!newest)
            return;
        if (self->handler && self->negotiated && !self->owner->m_cameras.lockWanted())
            self->handler(self->convert(*newest->buffer));
        pw_stream_queue_buffer(self->stream, newest);
    }

    // The buffer as the analyzer reads it; a frame without pixels when it cannot be read.
    std::shared_ptr<const CapturedFrame> convert(const spa_buffer& buffer) const {
        if (subtype == SPA_MEDIA_SUBTYPE_mjpg) {
            const std::array<Plane, 3> planes = planesOf(buffer, 0, width, height);
            QImage picture;
            if (planes[0].data)
                picture.loadFromData(planes[0].data, static_cast<int>(planes[0].size), "JPEG");
            if (picture.isNull())
                return std::make_shared<CapturedFrame>();
            picture = std::move(picture).convertToFormat(QImage::Format_RGB32);
            auto frame = std::make_shared<CapturedFrame>();
            const auto* bits = picture.constBits();
            frame->bytes = std::make_shared<const std::vector<std::uint8_t>>(
                bits, bits + picture.sizeInBytes());
            frame->width = picture.width();
            frame->height = picture.height();
            frame->bytesPerLine = picture.bytesPerLine();
            frame->format = PixelFormat::Bgra32; // B, G, R, A in memory
            return frame;
        }
        std::shared_ptr<CapturedFrame> frame =
            convertRaw(format, width, height, planesOf(buffer, format, width, height));
        return frame ? frame : std::make_shared<CapturedFrame>();
    }
};

PipeWireBackend::PipeWireBackend(QString nodeName, PipeWireCameras& cameras)
    : m_nodeName(std::move(nodeName))
    , m_cameras(cameras) {}

PipeWireBackend::~PipeWireBackend() {
    stop();
}

bool PipeWireBackend::open() {
    QString error;
    const std::optional<std::vector<PipeWireNode>> nodes = m_cameras.cameras(&error);
    if (!nodes) {
        Log::error(error);
        return false;
    }
    for (const PipeWireNode& node : *nodes) {
        if (node.name == m_nodeName) {
            m_node = node;
            return true;
        }
    }
    Log::error(QStringLiteral("PipeWire: no hay ninguna cámara «") + m_nodeName +
               QStringLiteral("»"));
    return false;
}

std::optional<FrameSize> PipeWireBackend::activeFormat() {
    if (m_stream) {
        const PipeWireCameras::Lock lock(m_cameras);
        if (m_stream->negotiated)
            return FrameSize{m_stream->width, m_stream->height};
    }
    return m_wanted;
}

std::vector<FrameSize> PipeWireBackend::formats() {
    return {};
}

bool PipeWireBackend::setFormat(FrameSize size) {
    m_wanted = size;
    return true;
}

bool PipeWireBackend::start(FrameHandler handler) {
    if (!m_node || m_stream)
        return false;
    const PipeWireCameras::Lock lock(m_cameras);
    QString error;
    pw_core* core = m_cameras.core(&error);
    if (!core) {
        Log::error(error);
        return false;
    }
    if (!createStream(core, std::move(handler)))
        return false;
    std::array<std::uint8_t, 1024> buffer{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer.data(), buffer.size());
    spa_rectangle preferred{640, 480};
    if (m_wanted)
        preferred = {static_cast<std::uint32_t>(m_wanted->width),
                     static_cast<std::uint32_t>(m_wanted->height)};
    std::array<const spa_pod*, 2> params = formatParams(builder, preferred);
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    if (pw_stream_connect(m_stream->stream, PW_DIRECTION_INPUT, PW_ID_ANY, flags, params.data(),
                          static_cast<std::uint32_t>(params.size())) < 0) {
        Log::error(QStringLiteral("PipeWire: no se pudo conectar el flujo de la cámara"));
        stop();
        return false;
    }
    if (awaitStreaming(core))
        return true;
    stop();
    return false;
}

bool PipeWireBackend::createStream(pw_core* core, FrameHandler handler) {
    m_stream = std::make_unique<Stream>();
    Stream& s = *m_stream;
    s.owner = this;
    s.core = core;
    s.handler = std::move(handler);
    const QByteArray target = m_nodeName.toUtf8();
    // The stream stays with this camera: never moved to another when it goes.
    pw_properties* props = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE, "Camera",
        PW_KEY_TARGET_OBJECT, target.constData(), PW_KEY_NODE_DONT_RECONNECT, "true",
        "node.dont-fallback", "true", nullptr);
    s.stream = pw_stream_new(core, "Tisko", props);
    if (!s.stream) {
        Log::error(QStringLiteral("PipeWire: no se pudo crear el flujo de la cámara"));
        m_stream.reset();
        return false;
    }
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = &Stream::stateChanged;
        e.param_changed = &Stream::paramChanged;
        e.process = &Stream::process;
        return e;
    }();
    pw_stream_add_listener(s.stream, &s.listener, &events, &s);
    return true;
}

bool PipeWireBackend::awaitStreaming(pw_core* core) {
    // Streaming or failed, within the bound: a stream nobody links stays paused for ever.
    Stream& s = *m_stream;
    const std::int64_t until = m_cameras.deadline(startTimeoutNs);
    m_running = true;
    while (s.state != PW_STREAM_STATE_STREAMING && s.state != PW_STREAM_STATE_ERROR &&
           m_cameras.alive(core) && m_cameras.hasNode(m_node->id)) {
        if (!m_cameras.wait(until))
            break;
    }
    if (s.state == PW_STREAM_STATE_STREAMING)
        return true;
    m_running = false;
    // A daemon that went away has said so through the connection.
    if (m_cameras.alive(core))
        Log::error(whyNotStreaming());
    return false;
}

QString PipeWireBackend::whyNotStreaming() const {
    const Stream& s = *m_stream;
    const QString camera = QStringLiteral("«") + m_nodeName + QStringLiteral("»");
    if (s.state == PW_STREAM_STATE_ERROR)
        return QStringLiteral("PipeWire: la cámara ") + camera +
               QStringLiteral(" no se pudo abrir: ") + s.error;
    if (!m_cameras.hasNode(m_node->id))
        return QStringLiteral("PipeWire: la cámara ") + camera + QStringLiteral(" ha desaparecido");
    if (!m_cameras.hasSessionManager())
        return QStringLiteral("PipeWire: nadie enlaza la cámara ") + camera +
               QStringLiteral(" con Tisko: no hay gestor de sesiones (WirePlumber)");
    if (!s.negotiated)
        return QStringLiteral("PipeWire: la cámara ") + camera +
               QStringLiteral(" no ofrece ningún formato que Tisko sepa leer");
    return QStringLiteral("PipeWire: la cámara ") + camera +
           QStringLiteral(" no empezó a emitir a tiempo");
}

void PipeWireBackend::stop() {
    m_running = false;
    if (!m_stream)
        return;
    const PipeWireCameras::Lock lock(m_cameras);
    // A camera that streamed and stopped, or vanished, before the look was over. A daemon
    // that went away has said so through the connection.
    if (m_stream->streamed && m_cameras.alive(m_stream->core)) {
        const QString camera = QStringLiteral("PipeWire: la cámara «") + m_nodeName;
        if (m_node && !m_cameras.hasNode(m_node->id))
            Log::error(camera + QStringLiteral("» ha desaparecido"));
        else if (m_stream->state != PW_STREAM_STATE_STREAMING)
            Log::error(camera + QStringLiteral("» dejó de emitir (") + stateName(m_stream->state) +
                       QLatin1Char(')'));
    }
    // Under the lock the loop is not inside a callback: no frame comes after this.
    if (m_stream->stream) {
        spa_hook_remove(&m_stream->listener);
        pw_stream_destroy(m_stream->stream);
    }
    m_stream.reset();
}

} // namespace tisko
