#!/usr/bin/env bash
# Boots this build's amd64 package on a real Debian system in a virtual
# machine (qemu: systemd, the kernel's framebuffer console, a PS/2 keyboard and
# mouse) and checks the kiosk unit there, as a board would run it:
#   - enabled, the game takes tty1 from its login prompt, full screen on the
#     framebuffer (linuxfb), as the unit's own user in the input and video groups;
#   - "systemctl stop", SIGTERM, SIGINT and SIGHUP each end it with status 0:
#     it stays stopped, console 1 is back in text mode with its keyboard on, and
#     the login prompt returns;
#   - a crash (SIGSEGV) starts it again;
#   - the game prints nothing on any of these starts.
# The screen is dumped while the game runs and after it stops (build-vm/shot-*.ppm).
# Usage: tests/vm/kiosk-vm.sh [WxH]   (the screen; default 1280x960, the picture at 2x)
# Runs under qemu's emulation (a few minutes); SHMUP_VM_KVM=1 uses KVM instead.
# Exit status: 0 when every check passed.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

mode="${1:-1280x960}"
if ! [[ "$mode" =~ ^[0-9]+x[0-9]+$ ]]; then
    echo "error: the screen is WIDTHxHEIGHT, e.g. 1280x960" >&2
    exit 2
fi
out="$SHMUP_ROOT/build-vm"
suite=bookworm
# The system, and what the package needs, so that it installs with no network.
image_packages=(systemd-sysv linux-image-amd64 udev kbd procps libnss-systemd dbus
                fonts-dejavu-core libqt6widgets6 libqt6opengl6 qt6-qpa-plugins libsdl2-2.0-0)

ensure_packages "${SHMUP_PACKAGES[@]}" mmdebstrap qemu-system-x86 e2fsprogs python3 dpkg-dev
mkdir -p "$out"

BUILD_TARGETS="shmup shmup-trace" build_in "$out/build" -DBUILD_TESTING=OFF >"$out/build.log"
(cd "$out/build" && cpack -G DEB >"$out/cpack.log") \
    || { cat "$out/cpack.log" >&2; echo "error: cpack failed in $out/build" >&2; exit 1; }
deb="$(ls "$out"/build/shmup_*_amd64.deb)"

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

echo "Installing $(basename "$deb") into the test machine"
root="$out/root"
rm -rf "$root" "$out"/shot-*.ppm
mkdir -p "$root"
tar -C "$root" -xf "$base"
cp "$deb" "$root/tmp/shmup.deb"
chroot "$root" dpkg -i /tmp/shmup.deb >"$out/dpkg.log"
rm "$root/tmp/shmup.deb"
install -m 755 "$SHMUP_ROOT/tests/vm/kiosk-check.sh" "$root/usr/local/bin/kiosk-check"
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
kernel="$(ls "$root"/boot/vmlinuz-* | head -1)"
initrd="$(ls "$root"/boot/initrd.img-* | head -1)"

# KVM when asked for (SHMUP_VM_KVM=1): nested in another virtual machine it
# may not run at all.
accel="${SHMUP_VM_KVM:+kvm}"
echo "Booting it (${accel:-emulated}, screen $mode); its serial line: $out/serial.log"
python3 "$SHMUP_ROOT/tests/vm/drive.py" "$out" "$kernel" "$initrd" "$out/disk.img" "$mode" $accel \
    | grep -E '^(PASS|FAIL|KIOSK|framebuffer|game:|error)' || true
grep -q "^KIOSK CHECK PASSED" "$out/serial.log"
