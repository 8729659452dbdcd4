#!/usr/bin/env bash
# Boots this build's amd64 package on a real Debian system in a virtual
# machine (qemu: systemd, the kernel's DRM and framebuffer console, a PS/2
# keyboard, uinput) and checks the kiosk unit there, as a board would run it,
# with the unit's own sandbox on:
#   - enabled, the game takes tty1 from its login prompt, full screen on the
#     framebuffer (linuxfb), as the unit's own user in the input and video groups;
#   - "systemctl stop", SIGTERM, SIGINT and SIGHUP each end it with status 0:
#     it stays stopped, console 1 is back in text mode with its keyboard on, and
#     the login prompt returns; a crash (SIGSEGV) starts it again;
#   - eglfs: on DRM/KMS (bochs-drm, Mesa's software renderer) it shows the game
#     at 1x centred on black;
#   - keys pressed on the machine's keyboard steer and fire (a replay recorded
#     by the unit verifies and shows them) and Escape ends it with status 0;
#   - a game pad (a virtual Xbox 360 pad through uinput: tests/vm/vpad.py, on
#     python3-evdev) plugged in while it runs steers and fires; pulled out, the
#     game plays on; Start+Back ends it with status 0;
#   - a touch screen (uinput again, vpad --touch) plugged in while it runs:
#     a 100-pixel drag, timed by the frames the screen shows, steers the ship
#     100 pixels and fires while held;
#   - the sound card (intel-hda, recorded by qemu) plays the touch game's sound:
#     silent until its first sound, then the ship's shots while fire is held,
#     as the trace tool makes them from the game's recording (sound.py);
#   - the game prints nothing on any of these starts.
# A second machine, run at the same time, has a 16-bit VESA framebuffer at
# 1280x960 (a small panel's RGB565): the game fills it at 2x. Then, on a
# virtual DRM display (vkms, built here for the machine's kernel: Debian's
# leaves it out), it times the game's frame clock at 60, 56.25 and 75 Hz
# ("INFO clock ..." lines).
# The screen is dumped at each look (build-vm/shot-*.ppm); the serial lines
# are in build-vm/serial.log and build-vm/serial-rgb565.log. drive.py runs
# each qemu and answers the check's requests (screen dumps and their verdicts,
# the frame shown, key presses) through qemu's monitor.
# Usage: tests/vm/kiosk-vm.sh [WxH]   (the first machine's screen; default
#        1024x768, where the game is drawn at 1x)
#        tests/vm/kiosk-vm.sh --fetch  (only makes the system and vkms, which
#        are kept for the next run: network and disk, little processor)
# Runs under qemu's emulation (four to six minutes on two busy cores); SHMUP_VM_KVM=1 uses KVM.
# Exit status: 0 when every check passed.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

fetch_only=0
if [ "${1:-}" = --fetch ]; then
    fetch_only=1
    shift
fi
mode="${1:-1024x768}"
if ! [[ "$mode" =~ ^[0-9]+x[0-9]+$ ]]; then
    echo "error: the screen is WIDTHxHEIGHT, e.g. 1024x768" >&2
    exit 2
fi
out="$SHMUP_ROOT/build-vm"
suite=bookworm
# The system, and what the package needs, so that it installs with no network.
image_packages=(systemd-sysv linux-image-amd64 udev kbd procps libnss-systemd dbus
                fonts-dejavu-core libqt6widgets6 libqt6opengl6 libqt6openglwidgets6 qt6-qpa-plugins
                libsdl2-2.0-0
                python3-evdev)

ensure_packages "${SHMUP_PACKAGES[@]}" mmdebstrap qemu-system-x86 e2fsprogs python3 \
    python3-numpy python3-pil dpkg-dev ccache gcc-12 make xz-utils libelf1
mkdir -p "$out"
started=$SECONDS

# The base system, made once and kept while the package list stays the same.
base="$out/base.tar"
want="suite=$suite packages=${image_packages[*]}"
if [ ! -f "$base" ] || [ "$(cat "$out/base.stamp" 2>/dev/null)" != "$want" ]; then
    mirror="${SHMUP_MIRROR:-$(host_mirror "$suite")}"
    echo "Making the test machine's system from $mirror"
    rm -f "$base" "$out/base.stamp"
    if ! mmdebstrap --quiet --variant=apt --include="$(IFS=,; echo "${image_packages[*]}")" \
        "$suite" "$out/base.tmp.tar" "$mirror" >"$out/mmdebstrap.log" 2>&1; then
        tail -20 "$out/mmdebstrap.log" >&2
        echo "error: mmdebstrap failed (log: $out/mmdebstrap.log)" >&2
        exit 1
    fi
    mv "$out/base.tmp.tar" "$base"
    echo "$want" >"$out/base.stamp"
fi

# vkms (a virtual DRM display whose vblank keeps time under emulation), built
# once for the machine's kernel from Debian's own source and headers of that
# very version (apt may offer newer ones), with gcc-12, and kept beside the
# base system.
build_vkms() {
    local dir="$out/vkms" series="${abi%%.0-*}" common="${abi%-amd64}-common"
    echo "Building vkms for the test machine's kernel $abi ($kernel_version)"
    rm -rf "$dir"
    mkdir -p "$dir/root"
    if ! (cd "$dir" && apt-get download "linux-headers-$abi=$kernel_version" \
        "linux-headers-$common=$kernel_version" "linux-kbuild-$series=$kernel_version" \
        "linux-source-$series=$kernel_version") >"$dir/log" 2>&1; then
        tail -5 "$dir/log" >&2
        echo "error: Debian's kernel $kernel_version source and headers are not to be had;" \
            "run apt-get update, or remove $out/base.tar to make the system anew" >&2
        exit 1
    fi
    for package in "$dir"/*.deb; do dpkg-deb -x "$package" "$dir/root"; done
    # The headers' Makefile names the common part where it would be installed.
    echo "include $dir/root/usr/src/linux-headers-$common/Makefile" \
        >"$dir/root/usr/src/linux-headers-$abi/Makefile"
    tar -xf "$dir/root/usr/src/linux-source-$series.tar.xz" -C "$dir" --strip-components=4 \
        "linux-source-$series/drivers/gpu/drm/vkms"
    if ! make -C "$dir/root/usr/src/linux-headers-$abi" M="$dir/vkms" CC=gcc-12 \
        CONFIG_DRM_VKMS=m modules >>"$dir/log" 2>&1; then
        tail -20 "$dir/log" >&2
        echo "error: vkms did not build (log: $dir/log)" >&2
        exit 1
    fi
    strip --strip-debug -o "$vkms" "$dir/vkms/vkms.ko"
    rm -rf "$dir"
}

root="$out/root"
rm -rf "$root" "$out"/shot-*.ppm
mkdir -p "$root"
tar -C "$root" -xf "$base"
kernel="$(ls "$root"/boot/vmlinuz-* | head -1)"
initrd="$(ls "$root"/boot/initrd.img-* | head -1)"
abi="${kernel##*/vmlinuz-}"
kernel_version="$(chroot "$root" dpkg-query -W -f='${Version}' "linux-image-$abi")"
vkms="$out/vkms-$kernel_version.ko"
[ -f "$vkms" ] || build_vkms
if [ "$fetch_only" = 1 ]; then
    echo "The test machine's system and vkms are ready in $out ($((SECONDS - started)) s)"
    exit 0
fi

BUILD_TARGETS="shmup shmup-trace" build_in "$out/build" -DBUILD_TESTING=OFF >"$out/build.log" \
    || { tail -30 "$out/build.log" >&2; echo "error: the build failed (log: $out/build.log)" >&2; exit 1; }
# The game's first 240 frames, left alone, for the host to tell which one the
# screen shows (drive.py's FRAME).
rm -rf "$out/frames"
(cd "$out/build/bin" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$(mktemp -d)" ./shmup-trace \
    --frames 240 --png "$out/frames" --png-every 1 --no-debug-line >/dev/null) \
    || { echo "error: shmup-trace could not picture the game's first frames" >&2; exit 1; }
(cd "$out/build" && cpack -G DEB >"$out/cpack.log") \
    || { cat "$out/cpack.log" >&2; echo "error: cpack failed in $out/build" >&2; exit 1; }
deb="$(ls "$out"/build/shmup_*_amd64.deb)"
echo "Installing $(basename "$deb") into the test machine"
cp "$deb" "$root/tmp/shmup.deb"
chroot "$root" dpkg -i /tmp/shmup.deb >"$out/dpkg.log"
rm "$root/tmp/shmup.deb"
install -D -m 644 "$vkms" "$root/lib/modules/$abi/updates/vkms.ko"
chroot "$root" depmod "$abi"
install -m 755 "$SHMUP_ROOT/tests/vm/kiosk-check.sh" "$root/usr/local/bin/kiosk-check"
install -m 755 "$SHMUP_ROOT/tests/vm/vpad.py" "$root/usr/local/bin/vpad"
cat >"$root/etc/systemd/system/kiosk-check.service" <<'UNIT'
[Unit]
Description=Check shmup-kiosk once, then power off
After=multi-user.target

[Service]
Type=oneshot
ExecStart=/usr/local/bin/kiosk-check
UNIT
ln -s ../kiosk-check.service "$root/etc/systemd/system/multi-user.target.wants/kiosk-check.service"
# The serial line is the check's own: no login prompt there.
ln -s /dev/null "$root/etc/systemd/system/serial-getty@ttyS0.service"
echo "/dev/vda / ext4 rw 0 1" >"$root/etc/fstab"
echo shmup-vm >"$root/etc/hostname"
rm -f "$out/disk.img"
mke2fs -q -t ext4 -d "$root" "$out/disk.img" 3G

# Both machines at once, each on its own disk snapshot (-snapshot: the disk
# stays as it was made, for the next boot): on two cores that halves the time.
# KVM when asked for (SHMUP_VM_KVM=1): nested in another virtual machine it
# may not run at all.
accel=()
[ "${SHMUP_VM_KVM:-}" != 1 ] || accel=(-enable-kvm -cpu host)
# Boots one machine, its serial line in LOG: LOG WxH KERNEL-ARGUMENTS QEMU-ARGUMENT...
boot() {
    local log="$1" screen="$2" append="$3"
    shift 3
    /usr/bin/python3 "$SHMUP_ROOT/tests/vm/drive.py" "$out" "$screen" qemu-system-x86_64 \
        "${accel[@]}" -m 1024 -smp 1 -kernel "$kernel" -initrd "$initrd" \
        -append "root=/dev/vda rw console=ttyS0 quiet $append" \
        -drive "file=$out/disk.img,format=raw,if=virtio" -snapshot -display none -no-reboot \
        -serial "file:$log" "$@"
}
echo "[$((SECONDS - started)) s] Booting two machines (${SHMUP_VM_KVM:+kvm}${SHMUP_VM_KVM:-emulated}): bochs-display $mode" \
    "and VESA 1280x960 at 16 bits; serial lines in $out/serial*.log"
rm -f "$out"/serial*.log
# bochs-drm on a display of its own (no VGA): DRM/KMS for eglfs, and its
# framebuffer for linuxfb.
# Its sound card's output is recorded by qemu (build-vm/sound.wav).
rm -f "$out/main.done" "$out/sound.wav" "$out/sound-marks" "$out/touch.rec" "$out/touch.wav"
(boot "$out/serial.log" "$mode" "video=$mode" -vga none \
    -device "bochs-display,xres=${mode%x*},yres=${mode#*x}" \
    -audiodev "wav,id=snd,path=$out/sound.wav" -device intel-hda -device hda-output,audiodev=snd \
    >"$out/drive.log" 2>&1; touch "$out/main.done") &
main_pid=$!
# The standard VGA's VESA mode 1280x960 at 16 bits per pixel, kept by the
# kernel's vesafb (bochs-drm would take it over at 32 bits); with no bochs-drm,
# vkms, loaded later, is card0 (Qt's linuxfb on DRM opens no other), and its
# output offers 800x600 at 75 Hz as well (its own modes end at 60). The frame
# clock is timed once the first machine is off (drive.py's ALONE), so that
# the two do not share the host's cores then. A sound card that plays to
# nothing: the game finds one here too.
boot "$out/serial-rgb565.log" 1280x960 \
    "vga=0x37b modprobe.blacklist=bochs video=Virtual-1:800x600@75 shmupvm.boot=rgb565" -vga std \
    -audiodev none,id=snd -device intel-hda -device hda-output,audiodev=snd \
    >"$out/drive-rgb565.log" 2>&1 &
rgb565_pid=$!
wait "$main_pid" || true
wait "$rgb565_pid" || true
for log in serial serial-rgb565; do
    grep -aE '^(PASS|FAIL|INFO|KIOSK|framebuffer|game:)' "$out/$log.log" | tr -d '\r' || true
    grep -E '^(error|Traceback)' "$out/drive${log#serial}.log" || true
done
status=0
# The touch game's sound, as its recording says the game made it, for sound.py
# to hear the card against.
sed -n 's/^REPLAY touch: //p' "$out/serial.log" | tr -d '\r' >"$out/touch.rec"
(cd "$out/build/bin" && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$(mktemp -d)" ./shmup-trace \
    --verify --input "$out/touch.rec" --audio "$out/touch.wav" >/dev/null) || rm -f "$out/touch.wav"
/usr/bin/python3 "$SHMUP_ROOT/tests/vm/sound.py" "$out" || status=1
echo "The kiosk machines took $((SECONDS - started)) s, the build included"
for log in "$out/serial.log" "$out/serial-rgb565.log"; do
    if ! grep -aq "^KIOSK CHECK PASSED" "$log"; then
        echo "error: the checks in $log did not all pass; its FAIL lines are above" \
            "(drive.py's own lines: $out/drive*.log)" >&2
        status=1
    fi
done
exit $status
