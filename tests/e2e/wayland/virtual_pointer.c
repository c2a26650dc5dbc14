// A pointer device for the headless test session, which has none: the compositor's seat offers
// clients a pointer only while some pointer device exists. Creates one through the wlroots
// virtual-pointer protocol and keeps it until stdin ends, moving and pressing as told there:
//   move X Y    the pointer to (X, Y) on a W x H screen
//   press       the left button down
//   release     the left button up
//   scroll N    the wheel N notches down (up when N is negative)
//   virtual_pointer W H
// The device's creation and each line are answered "ok" once the compositor has handled them,
// so a test can wait on it.
// The session has libwayland-client but not its headers: the few declarations it needs are here.
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct wl_proxy;
struct wl_display;
struct wl_message {
    const char* name;
    const char* signature;
    const struct wl_interface** types;
};
struct wl_interface {
    const char* name;
    int version;
    int method_count;
    const struct wl_message* methods;
    int event_count;
    const struct wl_message* events;
};

extern const struct wl_interface wl_registry_interface;
extern const struct wl_interface wl_seat_interface;
struct wl_display* wl_display_connect(const char* name);
void wl_display_disconnect(struct wl_display* display);
int wl_display_roundtrip(struct wl_display* display);
struct wl_proxy* wl_proxy_marshal_constructor(struct wl_proxy* proxy, uint32_t opcode,
                                              const struct wl_interface* interface, ...);
struct wl_proxy* wl_proxy_marshal_constructor_versioned(struct wl_proxy* proxy, uint32_t opcode,
                                                        const struct wl_interface* interface,
                                                        uint32_t version, ...);
void wl_proxy_marshal(struct wl_proxy* proxy, uint32_t opcode, ...);
int wl_proxy_add_listener(struct wl_proxy* proxy, void (**implementation)(void), void* data);

// Only the requests this program sends need their types; the rest are listed for the opcodes.
static const struct wl_interface pointerInterface;
static const struct wl_interface* noTypes[5];
static const struct wl_interface* createTypes[] = {&wl_seat_interface, &pointerInterface};
static const struct wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},          {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},          {"axis", "uuf", noTypes},
    {"frame", "", noTypes},              {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes},        {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes},
};
static const struct wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 9,
                                                     pointerRequests, 0, NULL};
static const struct wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes}};
static const struct wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1,
                                                     managerRequests, 0, NULL};
enum { kMotionAbsolute = 1, kButton = 2, kFrame = 4, kAxisSource = 5, kAxisDiscrete = 7 };
enum { kVertical = 0, kWheel = 0, kFixedOne = 256, kNotch = 15 };
enum { kLeftButton = 0x110, kReleased = 0, kPressed = 1 };

struct Globals {
    struct wl_proxy* registry;
    struct wl_proxy* seat;
    struct wl_proxy* manager;
};

static void OnGlobal(void* data, struct wl_proxy* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)version;
    struct Globals* globals = data;
    if (strcmp(interface, "wl_seat") == 0 && !globals->seat) {
        globals->seat = wl_proxy_marshal_constructor_versioned(
            registry, 0, &wl_seat_interface, 1, name, wl_seat_interface.name, 1, NULL);
    } else if (strcmp(interface, managerInterface.name) == 0) {
        globals->manager = wl_proxy_marshal_constructor_versioned(
            registry, 0, &managerInterface, 1, name, managerInterface.name, 1, NULL);
    }
}

static void OnGlobalRemove(void* data, struct wl_proxy* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static uint32_t NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: virtual_pointer WIDTH HEIGHT (commands on stdin)\n");
        return 2;
    }
    const uint32_t width = (uint32_t)atoi(argv[1]), height = (uint32_t)atoi(argv[2]);
    struct wl_display* display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    struct Globals globals = {0};
    globals.registry = wl_proxy_marshal_constructor((struct wl_proxy*)display, 1,
                                                    &wl_registry_interface, NULL);
    void (*listener[])(void) = {(void (*)(void))OnGlobal, (void (*)(void))OnGlobalRemove};
    wl_proxy_add_listener(globals.registry, listener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager) {
        fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    struct wl_proxy* pointer =
        wl_proxy_marshal_constructor(globals.manager, 0, &pointerInterface, globals.seat, NULL);
    if (wl_display_roundtrip(display) < 0) return 1;
    printf("ok\n");
    fflush(stdout);

    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        int x = 0, y = 0, notches = 0;
        if (sscanf(line, "move %d %d", &x, &y) == 2 && x >= 0 && y >= 0) {
            wl_proxy_marshal(pointer, kMotionAbsolute, NowMs(), (uint32_t)x, (uint32_t)y, width,
                             height);
        } else if (sscanf(line, "scroll %d", &notches) == 1) {
            wl_proxy_marshal(pointer, kAxisSource, (uint32_t)kWheel);
            wl_proxy_marshal(pointer, kAxisDiscrete, NowMs(), (uint32_t)kVertical,
                             (int32_t)(notches * kNotch * kFixedOne), (int32_t)notches);
        } else if (strcmp(line, "press\n") == 0 || strcmp(line, "release\n") == 0) {
            wl_proxy_marshal(pointer, kButton, NowMs(), (uint32_t)kLeftButton,
                             (uint32_t)(line[0] == 'p' ? kPressed : kReleased));
        } else {
            fprintf(stderr, "virtual_pointer: unknown command %s", line);
            return 2;
        }
        wl_proxy_marshal(pointer, kFrame);
        if (wl_display_roundtrip(display) < 0) return 1;
        printf("ok\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
