// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A camera node for the tests, playing a photograph at 30 frames a second:
//   PHOTO FORMAT NAME v4l2:/dev/videoN|libcamera:PATH:LOCATION [stride0]
// FORMAT: yuy2, nv12, i420, mjpg, rgb, bgr, bgrx, or y444 (offered, never read by Tisko).
#include <QBuffer>
#include <QImage>

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>

#include <cstring>
#include <map>
#include <string>

namespace {

pw_main_loop* loop;
pw_stream* stream;
spa_source* timer;
QByteArray frame; // the photograph in the chosen format, planes one after another
int stride = 0;
bool sendStride = true;

// The photograph in `format` (BT.601 limited range for YUV); sets its first plane's stride.
QByteArray encode(const QImage& rgb, std::uint32_t format) {
    const int w = rgb.width(), h = rgb.height();
    auto yuv = [&](int x, int y, int r, int g, int b, int add) {
        const uchar* p = rgb.constScanLine(y) + x * 3;
        return char(std::clamp(((r * p[0] + g * p[1] + b * p[2] + 128) >> 8) + add, 0, 255));
    };
    auto Y = [&](int x, int y) { return yuv(x, y, 66, 129, 25, 16); };
    auto U = [&](int x, int y) { return yuv(x, y, -38, -74, 112, 128); };
    auto V = [&](int x, int y) { return yuv(x, y, 112, -94, -18, 128); };
    QByteArray out, u, v;
    const bool planar = format == SPA_VIDEO_FORMAT_NV12 || format == SPA_VIDEO_FORMAT_I420;
    const int size = format == SPA_VIDEO_FORMAT_BGRx ? 4 : 3;
    stride = format == SPA_VIDEO_FORMAT_YUY2 ? w * 2 : planar ? w : w * size;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uchar* p = rgb.constScanLine(y) + x * 3;
            const bool rgbOrder = format == SPA_VIDEO_FORMAT_RGB;
            const char packed[] = {char(p[rgbOrder ? 0 : 2]), char(p[1]), char(p[rgbOrder ? 2 : 0]),
                                   '\xff'};
            if (format == SPA_VIDEO_FORMAT_YUY2)
                out.append(Y(x, y)).append(x % 2 ? V(x - 1, y) : U(x, y));
            else if (planar)
                out += Y(x, y);
            else
                out.append(packed, size);
            if (planar && x % 2 == 0 && y % 2 == 0) {
                u += U(x, y);
                v += V(x, y);
            }
        }
    }
    if (format == SPA_VIDEO_FORMAT_I420)
        return out + u + v;
    for (qsizetype i = 0; planar && i < u.size(); ++i)
        out.append(u[i]).append(v[i]);
    return out;
}

void onTimeout(void*, std::uint64_t) {
    if (pw_buffer* buffer = pw_stream_dequeue_buffer(stream)) {
        spa_data& d = buffer->buffer->datas[0];
        d.chunk->size = std::min<std::uint32_t>(d.maxsize, std::uint32_t(frame.size()));
        std::memcpy(d.data, frame.constData(), d.chunk->size);
        d.chunk->offset = 0;
        d.chunk->stride = sendStride ? stride : 0;
        pw_stream_queue_buffer(stream, buffer);
    }
}

void onState(void*, pw_stream_state, pw_stream_state state, const char*) {
    timespec interval{0, state == PW_STREAM_STATE_STREAMING ? 33'333'333 : 0};
    pw_loop_update_timer(pw_main_loop_get_loop(loop), timer, &interval, &interval, false);
}

void onParam(void*, std::uint32_t id, const spa_pod* param) {
    if (!param || id != SPA_PARAM_Format)
        return;
    std::uint8_t bytes[256];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof bytes);
    const spa_pod* buffers = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_size, SPA_POD_Int(int(frame.size())),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_MemFd)));
    pw_stream_update_params(stream, &buffers, 1);
}

} // namespace

int main(int argc, char** argv) {
    const std::map<std::string, std::uint32_t> formats{
        {"yuy2", SPA_VIDEO_FORMAT_YUY2}, {"nv12", SPA_VIDEO_FORMAT_NV12},
        {"i420", SPA_VIDEO_FORMAT_I420}, {"rgb", SPA_VIDEO_FORMAT_RGB},
        {"bgr", SPA_VIDEO_FORMAT_BGR},   {"bgrx", SPA_VIDEO_FORMAT_BGRx},
        {"y444", SPA_VIDEO_FORMAT_Y444}, {"mjpg", 0}};
    const QImage photo = QImage(QString::fromLocal8Bit(argc > 4 ? argv[1] : ""))
                             .convertToFormat(QImage::Format_RGB888);
    if (photo.isNull() || !formats.count(argv[2]) || photo.width() % 2 || photo.height() % 2)
        return 2;
    const std::uint32_t format = formats.at(argv[2]);
    sendStride = argc < 6 || std::strcmp(argv[5], "stride0") != 0;
    if (format == 0) {
        QBuffer jpeg(&frame);
        jpeg.open(QIODevice::WriteOnly);
        photo.save(&jpeg, "JPEG", 90);
    } else {
        frame = encode(photo, format);
    }

    pw_init(&argc, &argv);
    loop = pw_main_loop_new(nullptr);
    const QList<QByteArray> device = QByteArray(argv[4]).split(':');
    pw_properties* props = pw_properties_new(
        PW_KEY_MEDIA_CLASS, "Video/Source", PW_KEY_MEDIA_ROLE, "Camera", PW_KEY_NODE_NAME, argv[3],
        PW_KEY_NODE_DESCRIPTION, argv[3], "device.api", device[0].constData(), nullptr);
    for (int i = 1; i < device.size(); ++i)
        pw_properties_set(props,
                          device[0] == "v4l2" ? "api.v4l2.path"
                          : i == 1            ? "api.libcamera.path"
                                              : "api.libcamera.location",
                          device[i].constData());
    static pw_stream_events events{PW_VERSION_STREAM_EVENTS};
    events.state_changed = onState;
    events.param_changed = onParam;
    stream = pw_stream_new_simple(pw_main_loop_get_loop(loop), argv[3], props, &events, nullptr);
    timer = pw_loop_add_timer(pw_main_loop_get_loop(loop), onTimeout, nullptr);

    std::uint8_t bytes[512];
    spa_pod_builder b = SPA_POD_BUILDER_INIT(bytes, sizeof bytes);
    spa_rectangle size{std::uint32_t(photo.width()), std::uint32_t(photo.height())};
    spa_fraction rate{30, 1};
    spa_pod_frame object;
    spa_pod_builder_push_object(&b, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(
        &b, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(format ? SPA_MEDIA_SUBTYPE_raw : SPA_MEDIA_SUBTYPE_mjpg), SPA_FORMAT_VIDEO_size,
        SPA_POD_Rectangle(&size), SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate), 0);
    if (format)
        spa_pod_builder_add(&b, SPA_FORMAT_VIDEO_format, SPA_POD_Id(format), 0);
    const spa_pod* offer = static_cast<const spa_pod*>(spa_pod_builder_pop(&b, &object));
    pw_stream_connect(stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                      pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS), &offer,
                      1);
    pw_main_loop_run(loop);
    return 0;
}
