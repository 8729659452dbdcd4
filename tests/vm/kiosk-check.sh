#!/bin/sh
# Runs once at boot inside the test machine made by kiosk-vm.sh: drives
# shmup-kiosk.service on a real systemd and the framebuffer console, and prints
# what it finds on the serial line. "MARK name" asks the host for a screen dump.
exec >/dev/ttyS0 2>&1
failed=0

# Console 1's display mode (KDGETMODE) and keyboard mode (KDGKBMODE).
kd_mode() {
    perl -e 'open(F, "<", "/dev/tty1") or die; $m = pack("L", 0);
        ioctl(F, 0x4B3B, $m) or die; print unpack("L", $m) ? "graphics" : "text"'
}
kb_mode() {
    perl -e 'open(F, "<", "/dev/tty1") or die; $m = pack("L", 0);
        ioctl(F, 0x4B44, $m) or die;
        print +("raw", "xlate", "mediumraw", "unicode", "off")[unpack("L", $m)]'
}
show() { systemctl show -p "$1" --value shmup-kiosk; }
state() {
    echo "kiosk=$(systemctl is-active shmup-kiosk) getty=$(systemctl is-active getty@tty1)" \
        "console=$(kd_mode) keyboard=$(kb_mode) result=$(show Result) status=$(show ExecMainStatus)" \
        "restarts=$(show NRestarts)"
}
# Waits up to 60 s (the machine may be emulated, and slow) for the state to
# hold every word given, then says whether it did.
expect() {
    what="$1"
    shift
    i=0
    while [ $i -lt 120 ]; do
        now="$(state)"
        ok=1
        for word in "$@"; do
            case " $now " in *" $word "*) ;; *) ok=0 ;; esac
        done
        [ $ok -eq 1 ] && break
        sleep 0.5
        i=$((i + 1))
    done
    if [ $ok -eq 1 ]; then
        echo "PASS $what: $now"
    else
        echo "FAIL $what: $now (wanted $*)"
        failed=1
    fi
}
# The game's process once it has drawn for a while.
game_pid() {
    sleep 6
    show MainPID
}
mark() {
    echo "MARK $1"
    sleep 3
}
# Waits up to 60 s for the login prompt on console 1.
expect_prompt() {
    i=0
    while [ $i -lt 120 ] && ! grep -q "login:" /dev/vcs1; do
        sleep 0.5
        i=$((i + 1))
    done
    if grep -q "login:" /dev/vcs1; then
        echo "PASS $1: the login prompt is on tty1"
    else
        echo "FAIL $1: no login prompt on tty1: $(tr -s ' ' </dev/vcs1 | head -c 200)"
        failed=1
    fi
}

echo "framebuffer: $(cat /sys/class/graphics/fb0/name) $(cat /sys/class/graphics/fb0/virtual_size)" \
    "$(cat /sys/class/graphics/fb0/bits_per_pixel) bpp"
expect "at boot" kiosk=inactive getty=active console=text keyboard=unicode
expect_prompt "at boot"

systemctl enable --now shmup-kiosk
expect "enabled" kiosk=active getty=inactive console=graphics keyboard=off
pid="$(game_pid)"
echo "game: $(ps -o user=,supgrp=,args= -p "$pid")"
mark running
systemctl stop shmup-kiosk
expect "systemctl stop" kiosk=inactive getty=active console=text keyboard=unicode \
    result=success status=0
expect_prompt "systemctl stop"
mark stopped

systemctl start shmup-kiosk
pid="$(game_pid)"
kill -SEGV "$pid"
expect "a crash" kiosk=active getty=inactive console=graphics keyboard=off restarts=1
pid="$(game_pid)"
kill -TERM "$pid"
expect "SIGTERM" kiosk=inactive getty=active console=text keyboard=unicode result=success status=0
expect_prompt "SIGTERM"

for sig in INT HUP; do
    systemctl start shmup-kiosk
    pid="$(game_pid)"
    kill -"$sig" "$pid"
    expect "SIG$sig" kiosk=inactive getty=active console=text keyboard=unicode result=success \
        status=0
done

# Every start draws on the framebuffer and reads the keyboard: the game has
# nothing to warn about.
echo "--- journal of shmup-kiosk"
journalctl -u shmup-kiosk --no-pager -o cat
said="$(journalctl -u shmup-kiosk --no-pager -o cat _COMM=shmup)"
if [ -n "$said" ]; then
    echo "FAIL the game printed: $said"
    failed=1
else
    echo "PASS the game printed nothing"
fi
if [ $failed -eq 0 ]; then echo "KIOSK CHECK PASSED"; else echo "KIOSK CHECK FAILED"; fi
systemctl poweroff
