/*
 * A wired Xbox 360 pad, or a touch screen, made up through the kernel's
 * /dev/uinput, for the kiosk test machine. The pad has the same bus, ids, name,
 * buttons and axes as the kernel's xpad driver gives a real one, so that udev
 * tags it a joystick and SDL maps it with its built-in table. The touch screen
 * is a direct multitouch device (type B slots) as big as the screen, one unit
 * a pixel, so that udev tags it a touch screen and libinput maps it 1:1. The
 * device is plugged in when the program starts, goes through the steps given,
 * and is pulled out when the program ends.
 *
 * Usage: vpad STEP...
 *   NAME=VALUE  sets a button (1 held, 0 released) or an axis; the change is
 *               sent at once, as one report
 *   wait=MS     waits that many milliseconds
 * Buttons: a b x y tl tr back start mode thumbl thumbr
 * Axes:    lx ly rx ry (the sticks, -32768..32767), lt rt (the triggers, 0..255),
 *          hatx haty (the d-pad, -1..1)
 * Example: vpad wait=3000 hatx=-1 a=1 wait=1500 hatx=0 a=0 wait=500
 *
 * Usage: vpad --touch WIDTHxHEIGHT STEP...
 *   down=X,Y    a finger touches the screen at that pixel
 *   move=X,Y    the finger slides there
 *   up          the finger is lifted
 *   wait=MS     waits that many milliseconds
 * Example: vpad --touch 1024x768 wait=3000 down=512,384 move=412,384 wait=1500 up
 */
#include <errno.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

struct name_code {
    const char *name;
    int code;
};

/* In the order of their codes, as xpad declares them. */
static const struct name_code buttons[] = {
    {"a", BTN_A},       {"b", BTN_B},          {"x", BTN_X},          {"y", BTN_Y},
    {"tl", BTN_TL},     {"tr", BTN_TR},        {"back", BTN_SELECT},  {"start", BTN_START},
    {"mode", BTN_MODE}, {"thumbl", BTN_THUMBL}, {"thumbr", BTN_THUMBR},
};

struct axis {
    const char *name;
    int code, min, max, fuzz, flat;
};

static const struct axis axes[] = {
    {"lx", ABS_X, -32768, 32767, 16, 128},  {"ly", ABS_Y, -32768, 32767, 16, 128},
    {"lt", ABS_Z, 0, 255, 0, 0},            {"rx", ABS_RX, -32768, 32767, 16, 128},
    {"ry", ABS_RY, -32768, 32767, 16, 128}, {"rt", ABS_RZ, 0, 255, 0, 0},
    {"hatx", ABS_HAT0X, -1, 1, 0, 0},       {"haty", ABS_HAT0Y, -1, 1, 0, 0},
};

#define COUNT(a) (sizeof(a) / sizeof((a)[0]))

static void die(const char *what)
{
    fprintf(stderr, "vpad: %s: %s\n", what, strerror(errno));
    exit(1);
}

static void emit(int fd, int type, int code, int value)
{
    struct input_event event;
    memset(&event, 0, sizeof event);
    event.type = type;
    event.code = code;
    event.value = value;
    if (write(fd, &event, sizeof event) != (ssize_t)sizeof event)
        die("write /dev/uinput");
}

static void sleep_ms(long ms)
{
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

static void abs_setup(int fd, int code, int min, int max, int fuzz, int flat, int resolution)
{
    struct uinput_abs_setup abs;
    memset(&abs, 0, sizeof abs);
    abs.code = code;
    abs.absinfo.minimum = min;
    abs.absinfo.maximum = max;
    abs.absinfo.fuzz = fuzz;
    abs.absinfo.flat = flat;
    abs.absinfo.resolution = resolution;
    if (ioctl(fd, UI_SET_ABSBIT, code) < 0 || ioctl(fd, UI_ABS_SETUP, &abs) < 0)
        die("UI_ABS_SETUP");
}

static void create(int fd, int bus, int vendor, int product, int version, const char *name)
{
    struct uinput_setup setup;
    memset(&setup, 0, sizeof setup);
    setup.id.bustype = bus;
    setup.id.vendor = vendor;
    setup.id.product = product;
    setup.id.version = version;
    snprintf(setup.name, sizeof setup.name, "%s", name);
    if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0)
        die("UI_DEV_CREATE");
}

static void make_pad(int fd)
{
    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) < 0)
        die("UI_SET_EVBIT");
    for (size_t i = 0; i < COUNT(buttons); ++i)
        if (ioctl(fd, UI_SET_KEYBIT, buttons[i].code) < 0)
            die("UI_SET_KEYBIT");
    for (size_t i = 0; i < COUNT(axes); ++i)
        abs_setup(fd, axes[i].code, axes[i].min, axes[i].max, axes[i].fuzz, axes[i].flat, 0);
    create(fd, BUS_USB, 0x045e, 0x028e, 0x0110, "Microsoft X-Box 360 pad");
}

/* Ten slots, as a small panel's controller has; 4 units (pixels) a millimetre,
 * so that libinput, which wants a size, sees a plausible panel. */
static void make_touch(int fd, int width, int height)
{
    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) < 0
        || ioctl(fd, UI_SET_KEYBIT, BTN_TOUCH) < 0 || ioctl(fd, UI_SET_PROPBIT, INPUT_PROP_DIRECT) < 0)
        die("UI_SET_EVBIT");
    abs_setup(fd, ABS_X, 0, width - 1, 0, 0, 4);
    abs_setup(fd, ABS_Y, 0, height - 1, 0, 0, 4);
    abs_setup(fd, ABS_MT_SLOT, 0, 9, 0, 0, 0);
    abs_setup(fd, ABS_MT_TRACKING_ID, 0, 65535, 0, 0, 0);
    abs_setup(fd, ABS_MT_POSITION_X, 0, width - 1, 0, 0, 4);
    abs_setup(fd, ABS_MT_POSITION_Y, 0, height - 1, 0, 0, 4);
    create(fd, BUS_VIRTUAL, 0x1234, 0x5678, 1, "vpad touch screen");
}

/* One touch step, or 0 when STEP is none. */
static int touch_step(int fd, const char *step)
{
    static int tracking_id;
    int x, y;
    char end;
    if (strcmp(step, "up") == 0) {
        emit(fd, EV_ABS, ABS_MT_TRACKING_ID, -1);
        emit(fd, EV_KEY, BTN_TOUCH, 0);
    } else if (sscanf(step, "down=%d,%d%c", &x, &y, &end) == 2) {
        emit(fd, EV_ABS, ABS_MT_SLOT, 0);
        emit(fd, EV_ABS, ABS_MT_TRACKING_ID, tracking_id++);
        emit(fd, EV_ABS, ABS_MT_POSITION_X, x);
        emit(fd, EV_ABS, ABS_MT_POSITION_Y, y);
        emit(fd, EV_KEY, BTN_TOUCH, 1);
        emit(fd, EV_ABS, ABS_X, x);
        emit(fd, EV_ABS, ABS_Y, y);
    } else if (sscanf(step, "move=%d,%d%c", &x, &y, &end) == 2) {
        emit(fd, EV_ABS, ABS_MT_POSITION_X, x);
        emit(fd, EV_ABS, ABS_MT_POSITION_Y, y);
        emit(fd, EV_ABS, ABS_X, x);
        emit(fd, EV_ABS, ABS_Y, y);
    } else {
        return 0;
    }
    return 1;
}

/* One pad step, or 0 when STEP is none. */
static int pad_step(int fd, const char *step)
{
    const char *equals = strchr(step, '=');
    if (!equals)
        return 0;
    const size_t length = (size_t)(equals - step);
    const int value = (int)strtol(equals + 1, NULL, 10);
    for (size_t b = 0; b < COUNT(buttons); ++b)
        if (strlen(buttons[b].name) == length && strncmp(step, buttons[b].name, length) == 0) {
            emit(fd, EV_KEY, buttons[b].code, value != 0);
            return 1;
        }
    for (size_t a = 0; a < COUNT(axes); ++a)
        if (strlen(axes[a].name) == length && strncmp(step, axes[a].name, length) == 0) {
            emit(fd, EV_ABS, axes[a].code, value);
            return 1;
        }
    return 0;
}

int main(int argc, char **argv)
{
    int first = 1, width = 0, height = 0;
    const int touch = argc > 1 && strcmp(argv[1], "--touch") == 0;
    if (touch) {
        char end;
        if (argc < 3 || sscanf(argv[2], "%dx%d%c", &width, &height, &end) != 2 || width < 2
            || height < 2) {
            fprintf(stderr, "usage: vpad --touch WIDTHxHEIGHT STEP... (see the source)\n");
            return 2;
        }
        first = 3;
    }
    if (argc <= first) {
        fprintf(stderr, "usage: vpad [--touch WIDTHxHEIGHT] STEP... (see the source)\n");
        return 2;
    }
    int fd = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        die("open /dev/uinput (as root, with the uinput module)");
    if (touch)
        make_touch(fd, width, height);
    else
        make_pad(fd);

    for (int i = first; i < argc; ++i) {
        const char *step = argv[i];
        if (strncmp(step, "wait=", 5) == 0) {
            sleep_ms(strtol(step + 5, NULL, 10));
            continue;
        }
        if (!(touch ? touch_step(fd, step) : pad_step(fd, step))) {
            fprintf(stderr, "vpad: %s is not a step of a %s (see the source)\n", step,
                    touch ? "touch screen" : "pad");
            return 2;
        }
        emit(fd, EV_SYN, SYN_REPORT, 0);
    }

    if (ioctl(fd, UI_DEV_DESTROY) < 0)
        die("UI_DEV_DESTROY");
    close(fd);
    return 0;
}
