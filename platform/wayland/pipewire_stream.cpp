#include "platform/wayland/pipewire_stream.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "platform/wayland/frame_copy.h"

namespace platform::wayland {

namespace {

struct FormatEntry {
    spa_video_format spa;
    StreamFormat ours;
};
constexpr FormatEntry kFormats[] = {
    {SPA_VIDEO_FORMAT_BGRx, StreamFormat::BGRx}, {SPA_VIDEO_FORMAT_BGRA, StreamFormat::BGRA},
    {SPA_VIDEO_FORMAT_RGBx, StreamFormat::RGBx}, {SPA_VIDEO_FORMAT_RGBA, StreamFormat::RGBA},
    {SPA_VIDEO_FORMAT_xRGB, StreamFormat::xRGB}, {SPA_VIDEO_FORMAT_ARGB, StreamFormat::ARGB},
    {SPA_VIDEO_FORMAT_xBGR, StreamFormat::xBGR}, {SPA_VIDEO_FORMAT_ABGR, StreamFormat::ABGR},
};

std::optional<PixelLayout> LayoutOfSpa(uint32_t format) {
    for (const FormatEntry& entry : kFormats) {
        if (entry.spa == format) return LayoutOf(entry.ours);
    }
    return std::nullopt;
}

void InitPipeWireOnce() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

// What a stream can take: the 32-bit formats, any size, any frame rate.
const spa_pod* BuildFormatOffer(spa_pod_builder* builder) {
    const spa_rectangle smallest = SPA_RECTANGLE(1, 1), defaultSize = SPA_RECTANGLE(1920, 1080),
                        largest = SPA_RECTANGLE(kMaxGrabSide, kMaxGrabSide);
    const spa_fraction noRate = SPA_FRACTION(0, 1), defaultRate = SPA_FRACTION(30, 1),
                       fastest = SPA_FRACTION(1000, 1);
    spa_pod_frame object, choice;
    spa_pod_builder_push_object(builder, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
                        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    spa_pod_builder_prop(builder, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(builder, &choice, SPA_CHOICE_Enum, 0);
    spa_pod_builder_id(builder, kFormats[0].spa);  // the default
    for (const FormatEntry& entry : kFormats) spa_pod_builder_id(builder, entry.spa);
    spa_pod_builder_pop(builder, &choice);
    spa_pod_builder_add(builder, SPA_FORMAT_VIDEO_size,
                        SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &smallest, &largest),
                        SPA_FORMAT_VIDEO_framerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &noRate, &fastest), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(builder, &object));
}

}  // namespace

struct PipeWireStream::Impl {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};

    // The negotiated format, set on PipeWire's thread before any buffer of it arrives.
    std::optional<PixelLayout> layout;
    Size size;

    mutable std::mutex mutex;  // guards what follows
    std::condition_variable frameCame;
    pw_buffer* held = nullptr;  // the newest frame, kept from the compositor until replaced
    FrameView heldView;
    bool ended = false;

    ~Impl();
    void OnStateChanged(pw_stream_state state);
    void OnParamChanged(uint32_t id, const spa_pod* param);
    void OnRemoveBuffer(pw_buffer* buffer);
    void OnProcess();
    std::optional<FrameView> ViewOf(pw_buffer* buffer) const;
};

namespace {

const pw_stream_events kStreamEvents = [] {
    pw_stream_events events{};
    events.version = PW_VERSION_STREAM_EVENTS;
    events.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char*) {
        static_cast<PipeWireStream::Impl*>(data)->OnStateChanged(state);
    };
    events.param_changed = [](void* data, uint32_t id, const spa_pod* param) {
        static_cast<PipeWireStream::Impl*>(data)->OnParamChanged(id, param);
    };
    events.remove_buffer = [](void* data, pw_buffer* buffer) {
        static_cast<PipeWireStream::Impl*>(data)->OnRemoveBuffer(buffer);
    };
    events.process = [](void* data) { static_cast<PipeWireStream::Impl*>(data)->OnProcess(); };
    return events;
}();

}  // namespace

PipeWireStream::Impl::~Impl() {
    if (loop) pw_thread_loop_stop(loop);
    if (stream) pw_stream_destroy(stream);
    if (core) pw_core_disconnect(core);
    if (context) pw_context_destroy(context);
    if (loop) pw_thread_loop_destroy(loop);
}

void PipeWireStream::Impl::OnStateChanged(pw_stream_state state) {
    if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
    std::lock_guard lock(mutex);
    ended = true;
    frameCame.notify_all();
}

void PipeWireStream::Impl::OnParamChanged(uint32_t id, const spa_pod* param) {
    if (id != SPA_PARAM_Format || !param) return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0) return;
    layout = LayoutOfSpa(info.format);
    size = {int32_t(info.size.width), int32_t(info.size.height)};

    // Buffers in memory we can map: the frames are read by the CPU anyway.
    uint8_t storage[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
    const spa_pod* params[2];
    params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(4, 2, 16), SPA_PARAM_BUFFERS_dataType,
        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
    params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
        SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
    pw_stream_update_params(stream, params, 2);
}

void PipeWireStream::Impl::OnRemoveBuffer(pw_buffer* buffer) {
    std::lock_guard lock(mutex);
    if (held == buffer) held = nullptr;
}

std::optional<FrameView> PipeWireStream::Impl::ViewOf(pw_buffer* buffer) const {
    if (!layout || !buffer->buffer || buffer->buffer->n_datas < 1) return std::nullopt;
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(buffer->buffer, SPA_META_Header, sizeof(spa_meta_header)));
    if (header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED)) return std::nullopt;
    const spa_data& data = buffer->buffer->datas[0];
    // An empty chunk carries no picture (a pointer-only update); the last one stays.
    if (!data.data || !data.chunk || data.chunk->size == 0) return std::nullopt;
    if (data.chunk->offset > data.maxsize) return std::nullopt;
    FrameView view;
    view.data = static_cast<const uint8_t*>(data.data) + data.chunk->offset;
    view.width = size.width;
    view.height = size.height;
    view.stride = data.chunk->stride > 0 ? data.chunk->stride : size.width * 4;
    view.layout = *layout;
    const uint64_t available =
        std::min<uint64_t>(data.chunk->size, data.maxsize - data.chunk->offset);
    if (!FitsIn(view, available)) return std::nullopt;
    return view;
}

void PipeWireStream::Impl::OnProcess() {
    pw_buffer* newest = nullptr;
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream)) {
        if (newest) pw_stream_queue_buffer(stream, newest);
        newest = buffer;
    }
    if (!newest) return;
    std::optional<FrameView> view = ViewOf(newest);
    if (!view) {
        pw_stream_queue_buffer(stream, newest);
        return;
    }
    pw_buffer* previous = nullptr;
    {
        std::lock_guard lock(mutex);
        previous = held;
        held = newest;
        heldView = *view;
    }
    frameCame.notify_all();
    if (previous) pw_stream_queue_buffer(stream, previous);
}

PipeWireStream::PipeWireStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

PipeWireStream::~PipeWireStream() = default;

std::unique_ptr<PipeWireStream> PipeWireStream::Open(int fd, uint32_t node) {
    InitPipeWireOnce();
    auto impl = std::make_unique<Impl>();
    impl->loop = pw_thread_loop_new("gifrec-cast", nullptr);
    if (!impl->loop) {
        ::close(fd);
        return nullptr;
    }
    impl->context = pw_context_new(pw_thread_loop_get_loop(impl->loop), nullptr, 0);
    if (!impl->context || pw_thread_loop_start(impl->loop) < 0) {
        ::close(fd);
        return nullptr;
    }
    pw_thread_loop_lock(impl->loop);
    impl->core = pw_context_connect_fd(impl->context, fd, nullptr, 0);  // owns fd from here
    if (impl->core) {
        impl->stream =
            pw_stream_new(impl->core, "gifrec",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    }
    int connected = -1;
    if (impl->stream) {
        pw_stream_add_listener(impl->stream, &impl->listener, &kStreamEvents, impl.get());
        uint8_t storage[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* offer = BuildFormatOffer(&builder);
        connected = pw_stream_connect(
            impl->stream, PW_DIRECTION_INPUT, node,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
            &offer, 1);
    }
    pw_thread_loop_unlock(impl->loop);
    if (connected < 0) return nullptr;
    return std::unique_ptr<PipeWireStream>(new PipeWireStream(std::move(impl)));
}

bool PipeWireStream::WaitForFrame(std::chrono::milliseconds timeout) {
    std::unique_lock lock(impl_->mutex);
    impl_->frameCame.wait_for(lock, timeout, [this] { return impl_->held || impl_->ended; });
    return impl_->held && !impl_->ended;
}

std::optional<Size> PipeWireStream::FrameSize() const {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held) return std::nullopt;
    return Size{impl_->heldView.width, impl_->heldView.height};
}

bool PipeWireStream::Grab(const Rect& region, std::vector<uint8_t>& bmp) const {
    std::lock_guard lock(impl_->mutex);
    if (!impl_->held || impl_->ended) {
        bmp.clear();
        return false;
    }
    return CopyToBmp32(impl_->heldView, region, bmp);
}

bool PipeWireStream::Ended() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->ended;
}

}  // namespace platform::wayland
