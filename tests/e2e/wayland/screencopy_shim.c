// Preloaded into the test session's xdg-desktop-portal-wlr 0.7.0. With screencopy protocol 3 that
// portal insists on a DMA-BUF format, which a compositor on the software renderer never sends, and
// refuses to cast. For a frame whose offers end without one, this hands the portal a placeholder
// DMA-BUF offer just before buffer_done; finding no DMA-BUF device it then uses shared memory.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <pthread.h>
#include <stdint.h>
#include <string.h>

struct wl_proxy;
typedef void (*Callback)(void);

// zwlr_screencopy_frame_v1 events, in protocol order.
enum { kBuffer, kFlags, kReady, kFailed, kDamage, kLinuxDmabuf, kBufferDone, kEventCount };

typedef void (*BufferEvent)(void*, struct wl_proxy*, uint32_t, uint32_t, uint32_t, uint32_t);
typedef void (*DmabufEvent)(void*, struct wl_proxy*, uint32_t, uint32_t, uint32_t);
typedef void (*DoneEvent)(void*, struct wl_proxy*);

struct Frame {
    struct wl_proxy* proxy;
    const Callback* listener;
    uint32_t width, height;
    int sawDmabuf;
};

enum { kFrames = 64 };
static struct Frame frames[kFrames];
static unsigned next;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

static struct Frame* Find(struct wl_proxy* proxy) {
    for (int i = 0; i < kFrames; ++i)
        if (frames[i].proxy == proxy) return &frames[i];
    return NULL;
}

static void OnBuffer(void* data, struct wl_proxy* proxy, uint32_t format, uint32_t width,
                     uint32_t height, uint32_t stride) {
    pthread_mutex_lock(&lock);
    struct Frame* frame = Find(proxy);
    BufferEvent original = frame ? (BufferEvent)frame->listener[kBuffer] : NULL;
    if (frame) {
        frame->width = width;
        frame->height = height;
    }
    pthread_mutex_unlock(&lock);
    if (original) original(data, proxy, format, width, height, stride);
}

static void OnDmabuf(void* data, struct wl_proxy* proxy, uint32_t format, uint32_t width,
                     uint32_t height) {
    pthread_mutex_lock(&lock);
    struct Frame* frame = Find(proxy);
    DmabufEvent original = frame ? (DmabufEvent)frame->listener[kLinuxDmabuf] : NULL;
    if (frame) frame->sawDmabuf = 1;
    pthread_mutex_unlock(&lock);
    if (original) original(data, proxy, format, width, height);
}

static void OnBufferDone(void* data, struct wl_proxy* proxy) {
    pthread_mutex_lock(&lock);
    struct Frame* frame = Find(proxy);
    DmabufEvent dmabuf = frame ? (DmabufEvent)frame->listener[kLinuxDmabuf] : NULL;
    DoneEvent done = frame ? (DoneEvent)frame->listener[kBufferDone] : NULL;
    int placeholder = frame && !frame->sawDmabuf;
    uint32_t width = frame ? frame->width : 0, height = frame ? frame->height : 0;
    pthread_mutex_unlock(&lock);
    const uint32_t kXrgb8888 = 0x34325258;  // 'XR24'
    if (placeholder && dmabuf) dmabuf(data, proxy, kXrgb8888, width, height);
    if (done) done(data, proxy);
}

static Callback wrapped[kEventCount];

int wl_proxy_add_listener(struct wl_proxy* proxy, void (**listener)(void), void* data) {
    static int (*original)(struct wl_proxy*, void (**)(void), void*);
    static const char* (*classOf)(struct wl_proxy*);
    if (!original) {
        original = (int (*)(struct wl_proxy*, void (**)(void), void*))dlsym(
            RTLD_NEXT, "wl_proxy_add_listener");
        classOf = (const char* (*)(struct wl_proxy*))dlsym(RTLD_DEFAULT, "wl_proxy_get_class");
    }
    if (!classOf || strcmp(classOf(proxy), "zwlr_screencopy_frame_v1") != 0)
        return original(proxy, listener, data);

    pthread_mutex_lock(&lock);
    struct Frame* frame = Find(proxy);
    // The portal keeps one frame alive at a time; the oldest slot is long free when reused.
    if (!frame) frame = &frames[next++ % kFrames];
    frame->proxy = proxy;
    frame->listener = (const Callback*)listener;
    frame->width = frame->height = 0;
    frame->sawDmabuf = 0;
    for (int i = 0; i < kEventCount; ++i) wrapped[i] = listener[i];
    wrapped[kBuffer] = (Callback)OnBuffer;
    wrapped[kLinuxDmabuf] = (Callback)OnDmabuf;
    wrapped[kBufferDone] = (Callback)OnBufferDone;
    pthread_mutex_unlock(&lock);
    return original(proxy, wrapped, data);
}
