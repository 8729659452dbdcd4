/*
 * A wired Xbox 360 pad made up through the kernel's /dev/uinput, for the
 * kiosk test machine: the same bus, ids, name, buttons and axes as the kernel's
 * xpad driver gives a real one, so that udev tags it a joystick and SDL maps it
 * with its built-in table. The pad is plugged in when the program starts, goes
 * through the steps given, and is pulled out when the program ends.
 *
 * Usage: vpad STEP...
 *   NAME=VALUE  sets a button (1 held, 0 released) or an axis; the change is
 *               sent at once, as one report
 *   wait=MS     waits that many milliseconds
 * Buttons: a b x y tl tr back start mode thumbl thumbr
 * Axes:    lx ly rx ry (the sticks, -32768..32767), lt rt (the triggers, 0..255),
 *          hatx haty (the d-pad, -1..1)
 * Example: vpad wait=3000 hatx=-1 a=1 wait=1500 hatx=0 a=0 wait=500
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

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: vpad STEP... (NAME=VALUE or wait=MS; see the source)\n");
        return 2;
    }
    int fd = open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        die("open /dev/uinput (as root, with the uinput module)");

    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) < 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) < 0)
        die("UI_SET_EVBIT");
    for (size_t i = 0; i < COUNT(buttons); ++i)
        if (ioctl(fd, UI_SET_KEYBIT, buttons[i].code) < 0)
            die("UI_SET_KEYBIT");
    for (size_t i = 0; i < COUNT(axes); ++i) {
        struct uinput_abs_setup abs;
        memset(&abs, 0, sizeof abs);
        abs.code = axes[i].code;
        abs.absinfo.minimum = axes[i].min;
        abs.absinfo.maximum = axes[i].max;
        abs.absinfo.fuzz = axes[i].fuzz;
        abs.absinfo.flat = axes[i].flat;
        if (ioctl(fd, UI_SET_ABSBIT, axes[i].code) < 0 || ioctl(fd, UI_ABS_SETUP, &abs) < 0)
            die("UI_ABS_SETUP");
    }
    struct uinput_setup setup;
    memset(&setup, 0, sizeof setup);
    setup.id.bustype = BUS_USB;
    setup.id.vendor = 0x045e;
    setup.id.product = 0x028e;
    setup.id.version = 0x0110;
    snprintf(setup.name, sizeof setup.name, "Microsoft X-Box 360 pad");
    if (ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ioctl(fd, UI_DEV_CREATE) < 0)
        die("UI_DEV_CREATE");

    for (int i = 1; i < argc; ++i) {
        const char *step = argv[i];
        const char *equals = strchr(step, '=');
        if (!equals) {
            fprintf(stderr, "vpad: %s is not NAME=VALUE\n", step);
            return 2;
        }
        const size_t length = (size_t)(equals - step);
        const long value = strtol(equals + 1, NULL, 10);
        if (length == 4 && strncmp(step, "wait", 4) == 0) {
            sleep_ms(value);
            continue;
        }
        int done = 0;
        for (size_t b = 0; b < COUNT(buttons) && !done; ++b)
            if (strlen(buttons[b].name) == length && strncmp(step, buttons[b].name, length) == 0) {
                emit(fd, EV_KEY, buttons[b].code, value != 0);
                done = 1;
            }
        for (size_t a = 0; a < COUNT(axes) && !done; ++a)
            if (strlen(axes[a].name) == length && strncmp(step, axes[a].name, length) == 0) {
                emit(fd, EV_ABS, axes[a].code, (int)value);
                done = 1;
            }
        if (!done) {
            fprintf(stderr, "vpad: no button or axis named in %s\n", step);
            return 2;
        }
        emit(fd, EV_SYN, SYN_REPORT, 0);
    }

    if (ioctl(fd, UI_DEV_DESTROY) < 0)
        die("UI_DEV_DESTROY");
    close(fd);
    return 0;
}
