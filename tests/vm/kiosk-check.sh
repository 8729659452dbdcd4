#!/bin/bash
# Runs once at boot inside the test machine made by kiosk-vm.sh: drives
# shmup-kiosk.service on a real systemd, kernel and display, and prints what
# it finds on the serial line, one "PASS what" or "FAIL what" line per check.
# It asks the host (drive.py) for what only the host can do, and reads its
# answer, on the second serial line:
#   MARK name     dump the screen to build-vm/shot-NAME.ppm
#   LOOK name     ... and say whether it shows the game as the full screen should
#   KEYS keys ms  press keys on the machine's keyboard (qemu's sendkey) for ms
#   SOUND name    note how far the recording of the sound card has got
#   ALONE         wait until the other machine is off
# The kernel's command line says which checks (shmupvm.boot=): "main" (the
# default: the unit, eglfs, the keyboard, the game pads, a touch screen) or
# "rgb565" (a 16-bit panel, then the frame clock on vkms at three refresh
# rates).
# Not "set -e": a failed check is reported and the next one still runs.
set -uo pipefail
exec >/dev/ttyS0 2>&1
failed=0
boot=main
for word in $(cat /proc/cmdline); do
    case "$word" in shmupvm.boot=*) boot="${word#shmupvm.boot=}" ;; esac
done
stty -F /dev/ttyS1 raw -echo
exec 3<>/dev/ttyS1
PATH="$PATH:/usr/games"

pass() { echo "PASS $*"; }
fail() {
    echo "FAIL $*"
    failed=1
}
# Asks the host and waits up to two minutes (or $ask_wait s) for its one-line answer.
ask() {
    echo "$*" >&3
    if ! read -r -t "${ask_wait:-120}" reply <&3; then
        reply="no answer from the host to: $*"
    fi
    [ "$1" = FRAME ] || echo "$*: $reply"
}

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
        pass "$what: $now"
    else
        fail "$what: $now (wanted $*)"
    fi
}
# The first of the files open in process PID whose names match PATTERN.
opened() { ls -l /proc/"$1"/fd 2>/dev/null | grep -o "$2" | head -1; }
# The game's process once it has drawn for a while.
game_pid() {
    sleep 6
    show MainPID
}
mark() {
    ask "MARK $1"
}
# Asks the host to look at the screen (NAME [WxH]), again for up to 30 s while
# it is not right: a busy machine may take a while to set the display's mode
# and to show the game's first frames (and the enemies in them).
look() {
    local i=0
    ask "LOOK $*"
    while [ $i -lt 10 ] && [ "${reply#LOOK bad}" != "$reply" ]; do
        sleep 3
        ask "LOOK $*"
        i=$((i + 1))
    done
}
# After a look: passes WHAT when the host saw the game right and the game has
# a DRM device open (WHAT SAYING: "WHAT: SAYING DEVICE; what the host saw").
drawn() {
    local drm
    drm="$(opened "$pid" '/dev/dri/card[0-9]*')"
    case "$reply" in
    "LOOK ok"*) [ -n "$drm" ] && pass "$1: $2 $drm; ${reply#LOOK ok: }" ||
        fail "$1: the game has no /dev/dri/card* open" ;;
    *) fail "$1: $reply" ;;
    esac
}
# Waits up to 60 s for the login prompt on console 1.
expect_prompt() {
    i=0
    while [ $i -lt 120 ] && ! grep -q "login:" /dev/vcs1; do
        sleep 0.5
        i=$((i + 1))
    done
    if grep -q "login:" /dev/vcs1; then
        pass "$1: the login prompt is on tty1"
    else
        fail "$1: no login prompt on tty1: $(tr -s ' ' </dev/vcs1 | head -c 200)"
    fi
}
# The game's command line as the unit starts it, wherever the package put it.
game="$(systemctl show -p ExecStart --value shmup-kiosk | sed -n 's/^.*path=\([^ ;]*\).*$/\1/p')"
dropins=/etc/systemd/system/shmup-kiosk.service.d
state_dir=/var/lib/private/shmup-kiosk
# A drop-in for the next start: the platform, and a replay recorded to FILE in
# the service's state directory: PLATFORM FILE [OPTION...].
recording() {
    mkdir -p "$dropins"
    cat >"$dropins/check.conf" <<UNIT
[Service]
Environment=SHMUP_PLATFORM=$1
StateDirectory=shmup-kiosk
ExecStart=
ExecStart=$game -platform \${SHMUP_PLATFORM} --record /var/lib/shmup-kiosk/$2 ${*:3}
UNIT
    systemctl daemon-reload
}
no_dropin() {
    rm -rf "$dropins"
    systemctl daemon-reload
}
# Says whether the replay FILE verifies, and holds lines "FRAME DIR FIRE" for
# each "DIR FIRE" given: what was steered and fired.
check_replay() {
    what="$1"
    file="$state_dir/$2"
    shift 2
    if [ ! -s "$file" ]; then
        fail "$what: no replay recorded at $file"
        return
    fi
    # As root, in a runtime directory of its own, as Qt asks.
    if ! verdict="$(XDG_RUNTIME_DIR="$(mktemp -d)" shmup-trace --verify --input "$file" 2>&1 \
        | tr '\n' ' ')"; then
        fail "$what: the replay does not verify: $verdict"
        return
    fi
    for want in "$@"; do
        if ! grep -Eq "^[0-9]+ $want\$" "$file"; then
            fail "$what: the replay holds no frame with direction and fire '$want':" \
                "$(grep -E '^[0-9]' "$file" | tr '\n' ',')"
            return
        fi
    done
    pass "$what: the replay verifies ($verdict) and holds $(grep -Ec '^[0-9]' "$file") input" \
        "changes: $(grep -E '^[0-9]' "$file" | tr '\n' ',')"
}
# Waits up to a minute for the host to see the game show frame N or a later
# one (of its first 240, as it plays when left alone) after earlier ones: a
# frame left on the screen by a game before it does not count. Sets frame to
# the one it saw, and seen to "FRAME SECONDS" lines of what it saw when.
frame_from() {
    local i=0 last=-1 now
    seen=""
    while [ $i -lt 300 ]; do
        ask FRAME
        now="$(date +%s.%N)"
        frame="$(echo "$reply" | cut -d' ' -f2)"
        i=$((i + 1))
        [[ "$frame" =~ ^[0-9]+$ ]] || continue
        [ "$frame" -ge "$last" ] || seen=""
        [ -n "$seen" ] || first=$frame
        seen="$seen$frame $now"$'\n' last=$frame
        [ "$frame" -ge "$1" ] && [ "$first" -lt "$1" ] && return 0
    done
    return 1
}
# The frame rate the game should keep at a refresh of HZ, and within how many
# per cent: one frame per refresh within 5 % of 62.5 Hz, else 62.5 a second
# (within 5 %: the emulated machine's stalls of more than four frames lose some).
expect_clock() {
    awk -v hz="$1" 'BEGIN { d = hz / 62.5 - 1; print (d < 0 ? -d : d) <= 0.05 ? hz " 1" : "62.5 5" }'
}
# Whether RATE is within P per cent of WANT.
near() { awk -v r="$1" -v w="$2" -v p="$3" 'BEGIN { exit !(r >= w * (1 - p / 100) && r <= w * (1 + p / 100)) }'; }
# Has the next start use the DRM output CONNECTOR (sysfs's name) in MODE (WxH or
# WxH@HZ), through Qt's KMS settings (the mouse pointer off, as the unit's own).
kms_mode() {
    printf '{ "device": "/dev/dri/card0", "hwcursor": false, "outputs": [ { "name": "%s", "mode": "%s" } ] }\n' \
        "${1/-/}" "$2" >/etc/shmup-kms.json
    mkdir -p "$dropins"
    printf '[Service]\nEnvironment=QT_QPA_EGLFS_KMS_CONFIG=/etc/shmup-kms.json\n' >"$dropins/kms.conf"
}
# The processor's time so far, in ticks: busy, and in all.
cpu_time() { awk '$1 == "cpu" { print $2 + $3 + $4 + $7 + $8, $2 + $3 + $4 + $5 + $6 + $7 + $8 }' /proc/stat; }
# Runs the game (the packaged unit, linuxfb on DRM) on vkms's output CONNECTOR
# in MODE (WxH@HZ, as Qt's KMS configuration has it) for at least 20 s, and
# tells how many frames a second it ran: the frames between two check lines of
# its recording over the time between their writing.
clock() {
    local connector="$1" mode="$2" first="" last="" n=0 line shown hz rate want drm cpu
    kms_mode "$connector" "$mode"
    # Muted: the emulated machine's processor is the frame clock's alone.
    recording linuxfb clock.rec --mute
    rm -f "$state_dir/clock.rec"
    systemctl start shmup-kiosk
    # When each check line is written, until 20 s after the first: tail follows
    # the file (through inotify, no polling to slow the machine down).
    while read -r -t 120 line; do
        [ "${line#\# check}" != "$line" ] || continue
        last="$EPOCHREALTIME" n=$((n + 1))
        [ -n "$first" ] || first="$last" cpu="$(cpu_time)"
        awk -v a="$first" -v b="$last" 'BEGIN { exit !(b - a >= 20) }' && break
    done < <(exec tail -F -n +1 "$state_dir/clock.rec" 2>/dev/null)
    kill $! 2>/dev/null
    # How busy the machine's processor was meanwhile (this check's polling included).
    cpu="$(echo "$cpu $(cpu_time)" | awk '{ printf "%.0f", 100 * ($3 - $1) / ($4 - $2 + !($4 - $2)) }')"
    drm="$(opened "$(show MainPID)" '/dev/dri/card[0-9]*')"
    # The mode the display runs, and its refresh from its timings.
    shown="$(awk '$1 == "mode:" && $12 > 0 {
        printf "%sx%s@%s %.4g", $5, $9, $3, $4 * 1000 / ($8 * $12); exit }' /sys/kernel/debug/dri/0/state)"
    systemctl stop shmup-kiosk
    hz="${shown#* }"
    if [ $n -lt 2 ] || awk -v a="$first" -v b="$last" 'BEGIN { exit !(b - a < 20) }'; then
        fail "clock $mode: the game wrote no two check lines 20 s apart: $(state)"
    elif [ -z "$drm" ]; then
        fail "clock $mode: linuxfb does not draw on DRM (no /dev/dri/card* open)"
    elif [ "${shown% *}" != "$mode" ]; then
        fail "clock $mode: the display runs ${shown:-no mode} (Qt's output name: ${connector/-/})"
    else
        rate="$(awk -v a="$first" -v b="$last" -v n=$((n - 1)) \
            'BEGIN { printf "%.1f", n * 300 / (b - a) }')"
        want="$(expect_clock "$hz")"
        if near "$rate" ${want% *} ${want#* }; then
            pass "clock $hz Hz: $rate frames/s (page flips on $drm; processor $cpu % busy)"
        elif [ "${want% *}" != 62.5 ] && near "$rate" 62.5 5; then
            # An emulated machine too busy to show every refresh: the clock
            # rightly keeps 62.5 rather than lock to pictures that miss them.
            pass "clock $hz Hz: $rate frames/s, not locked to the refresh (page flips missed; processor $cpu % busy)"
        else
            fail "clock $hz Hz: $rate frames/s (wanted ${want% *} within ${want#* } %; processor $cpu % busy)"
        fi
    fi
}
# The last frame the replay FILE reached, and the frame of its last input change.
last_frame() { sed -n 's/^# check \([0-9]*\) .*$/\1/p' "$state_dir/$1" | tail -1; }
last_input() { grep -E '^[0-9]' "$state_dir/$1" | tail -1 | cut -d' ' -f1; }

echo "framebuffer: $(cat /sys/class/graphics/fb0/name) $(cat /sys/class/graphics/fb0/virtual_size)" \
    "$(cat /sys/class/graphics/fb0/bits_per_pixel) bpp; boot: $boot; up $(cut -d' ' -f1 /proc/uptime) s"

if [ "$boot" = rgb565 ]; then
    # A 16-bit panel: the VESA framebuffer at 16 bits per pixel, the game on
    # linuxfb full screen, scaled up.
    bpp="$(cat /sys/class/graphics/fb0/bits_per_pixel)"
    systemctl start shmup-kiosk
    expect "rgb565 started" kiosk=active getty=inactive console=graphics keyboard=off
    pid="$(game_pid)"
    look rgb565
    if [ "$bpp" != 16 ]; then
        fail "rgb565: the framebuffer has $bpp bits per pixel, not 16"
    elif [ "$(show MainPID)" != "$pid" ] || [ "$(show NRestarts)" != 0 ]; then
        fail "rgb565: the game did not keep running (restarts $(show NRestarts))"
    else
        case "$reply" in
        "LOOK ok"*"every pixel a 5-6-5 colour"*)
            pass "rgb565: $(cat /sys/class/graphics/fb0/name) at $bpp bpp; ${reply#LOOK ok: }" ;;
        *) fail "rgb565: $reply" ;;
        esac
    fi
    systemctl stop shmup-kiosk
    expect "rgb565 stopped" kiosk=inactive getty=active console=text keyboard=unicode \
        result=success status=0

    # The frame clock on a DRM display at three refresh rates: vkms (card0,
    # with bochs-drm left out), its vblank timed by the kernel; with the other
    # machine off, so that the two do not share the host's cores.
    ask_wait=1200 ask ALONE
    modprobe vkms && udevadm settle
    connector="$(ls /sys/class/drm | sed -n 's/^card0-\(Virtual-[0-9]*\)$/\1/p' | head -1)"
    if [ -z "$connector" ]; then
        fail "clock: vkms gave no card0 output: $(ls /sys/class/drm | tr '\n' ' ')"
    else
        for mode in 800x600@60 800x600@56 800x600@75; do
            clock "$connector" "$mode"
        done
    fi
    no_dropin
else
    expect "at boot" kiosk=inactive getty=active console=text keyboard=unicode
    expect_prompt "at boot"

    systemctl enable --now shmup-kiosk
    expect "enabled" kiosk=active getty=inactive console=text keyboard=off
    pid="$(game_pid)"
    echo "game: $(ps -o user=,supgrp=,args= -p "$pid")"
    look linuxfb
    # A DRM display (bochs-drm): the unit has linuxfb flip pages on it.
    drawn linuxfb "page flips on"
    systemctl stop shmup-kiosk
    expect "systemctl stop" kiosk=inactive getty=active console=text keyboard=unicode \
        result=success status=0
    expect_prompt "systemctl stop"
    mark stopped

    systemctl start shmup-kiosk
    pid="$(game_pid)"
    kill -SEGV "$pid"
    expect "a crash" kiosk=active getty=inactive console=text keyboard=off restarts=1
    pid="$(game_pid)"
    kill -TERM "$pid"
    expect "SIGTERM" kiosk=inactive getty=active console=text keyboard=unicode result=success \
        status=0
    expect_prompt "SIGTERM"

    for sig in INT HUP; do
        systemctl start shmup-kiosk
        pid="$(game_pid)"
        kill -"$sig" "$pid"
        expect "SIG$sig" kiosk=inactive getty=active console=text keyboard=unicode result=success \
            status=0
    done

    # The unit's sandbox, seen from inside: a probe started by the unit in
    # place of the game tries what the game may and may not do.
    cat >/usr/local/bin/kiosk-probe <<'PROBE'
#!/bin/bash
# One line per try: "ok what" when the sandbox does as the unit says.
try() { # WHAT WANT(ok|denied) COMMAND...: denied means failing with the words in $deny
    what="$1" want="$2"
    shift 2
    if err="$("$@" 2>&1)"; then got=ok; else got="denied: $err"; fi
    case "$want:$got" in
    ok:ok | denied:denied*"$deny"*) echo "ok $what" ;;
    *) echo "bad $what: wanted $want, got $got" ;;
    esac
}
deny="Operation not permitted"
for dev in /dev/fb0 /dev/dri/card0 /dev/input/event0 /dev/tty1 /dev/snd/controlC0 /dev/null; do
    try "opens $dev" ok bash -c "exec 3<>$dev"
done
# Open to everyone by their modes, closed by the unit's device list.
for dev in /dev/net/tun /dev/fuse; do
    try "may not open $dev" denied bash -c "exec 3<>$dev"
done
deny="Address family not supported"
try "no IP sockets" denied bash -c 'exec 3<>/dev/tcp/127.0.0.1/9'
deny="Read-only file system"
try "the system read-only (/run/lock, open to all by its mode)" denied touch /run/lock/kiosk-probe
deny="Permission denied"
try "writes its runtime directory" ok touch /run/shmup-kiosk/probe
try "writes its cache directory" ok touch /var/cache/shmup-kiosk/probe
try "no homes" denied ls /home
deny="No such file"
try "no other processes" denied ls /proc/1/
for field in CapEff CapBnd; do
    try "$field none" ok grep -qx "$field:[[:space:]]*0*" /proc/self/status
done
try "no new privileges" ok grep -qx 'NoNewPrivs:[[:space:]]*1' /proc/self/status
try "system calls filtered" ok grep -qx 'Seccomp:[[:space:]]*2' /proc/self/status
PROBE
    chmod 755 /usr/local/bin/kiosk-probe
    mkdir -p "$dropins"
    cat >"$dropins/check.conf" <<'UNIT'
[Service]
StateDirectory=shmup-kiosk
ExecStart=
ExecStart=/bin/sh -c '/usr/local/bin/kiosk-probe >/var/lib/shmup-kiosk/probe.txt'
UNIT
    systemctl daemon-reload
    rm -f "$state_dir/probe.txt"
    systemctl start shmup-kiosk
    expect "sandbox probe" kiosk=inactive getty=active result=success status=0
    if [ ! -s "$state_dir/probe.txt" ]; then
        fail "sandbox: the probe wrote nothing"
    elif grep '^info' "$state_dir/probe.txt"; grep -q '^bad' "$state_dir/probe.txt"; then
        fail "sandbox: $(grep '^bad' "$state_dir/probe.txt" | tr '\n' ';')"
    else
        pass "sandbox: $(grep '^ok' "$state_dir/probe.txt" | cut -d' ' -f2- | tr '\n' ';')"
    fi

    # eglfs on DRM/KMS (bochs-drm, Mesa's software renderer) at 1280x1024,
    # the picture scaled up 2x by OpenGL (--present gl).
    kms_mode "$(ls /sys/class/drm | sed -n 's/^card0-//p' | head -1)" 1280x1024
    recording eglfs gl.rec --present gl
    systemctl start shmup-kiosk
    pid="$(game_pid)"
    look eglfs-gl 1280x1024
    drawn "eglfs gl" "the game draws through --present gl on"
    systemctl stop shmup-kiosk
    rm "$dropins/kms.conf"

    # eglfs at the display's own mode, with a replay of the keys pressed on
    # the machine's keyboard.
    recording eglfs keys.rec
    systemctl start shmup-kiosk
    # eglfs leaves the console in text mode (its picture is on a DRM plane of
    # its own, over the console's), but turns the console's keyboard off.
    expect "eglfs started" kiosk=active getty=inactive keyboard=off
    pid="$(game_pid)"
    look eglfs
    drawn eglfs "the game draws on"
    # Right and fire together, then down alone; then Escape.
    # Held long: eglfs on the emulated machine's software renderer may show
    # only a few pictures a second, and stall for longer.
    ask "KEYS right-z 3000"
    sleep 1
    ask "KEYS down 3000"
    sleep 1
    ask "KEYS esc 200"
    expect "keyboard: Escape" kiosk=inactive getty=active console=text keyboard=unicode \
        result=success status=0
    expect_prompt "keyboard: Escape"
    check_replay "keyboard" keys.rec "7 1" "5 0"

    # A game pad plugged in while the game runs (linuxfb): the d-pad left with
    # A (fire), then the left stick up; pulled out; then a second pad's
    # Start+Back.
    recording linuxfb pads.rec
    systemctl start shmup-kiosk
    expect "game pad started" kiosk=active getty=inactive console=text keyboard=off
    pid="$(game_pid)"
    snd="$(opened "$pid" '/dev/snd/pcm[^ ]*')"
    if [ -n "$snd" ]; then
        pass "sound device: the game has $snd open"
    else
        fail "sound device: the game has no /dev/snd/pcm* open: $(ls /dev/snd 2>&1 | tr '\n' ' ')"
    fi
    said="$(vpad wait=3000 hatx=-1 a=1 wait=1500 hatx=0 a=0 wait=500 ly=-32000 wait=1500 ly=0 \
        wait=500 2>&1)" || fail "game pad: the virtual pad failed: $said"
    # Pulled out: the game plays on (the same process, no restart).
    sleep 6
    if [ "$(show MainPID)" = "$pid" ] && [ "$(systemctl is-active shmup-kiosk)" = active ]; then
        pass "game pad pulled out: the game plays on (pid $pid)"
    else
        fail "game pad pulled out: the game is gone: $(state)"
    fi
    vpad wait=3000 start=1 back=1 wait=1000 start=0 back=0 wait=200 >/dev/null 2>&1 &
    expect "game pad: Start+Back" kiosk=inactive getty=active console=text keyboard=unicode \
        result=success status=0
    wait
    expect_prompt "game pad: Start+Back"
    check_replay "game pad" pads.rec "3 1" "1 0"
    # Frames ran on after the last input, through the time the pad was out.
    if [ -s "$state_dir/pads.rec" ]; then
        ran=$(($(last_frame pads.rec) - $(last_input pads.rec)))
        if [ "$ran" -ge 120 ]; then
            pass "game pad pulled out: $ran frames ran from the pad's last change to Start+Back"
        else
            fail "game pad pulled out: only $ran frames ran from the pad's last change to Start+Back"
        fi
    fi

    # A touch screen as big as the screen (linuxfb, the picture at 1x: a
    # screen pixel is a game pixel), plugged in while the game runs: the game
    # opens it. Started again with it there, a finger goes down at the centre,
    # drags 100 pixels to the left, stays, and lifts. Left alone, the ship
    # waits in place from frame 64 until it is hit at frame 178, and never that
    # long again (it is hit within 20 frames of each return): the finger goes
    # down once the host sees frame 64 on the screen (the game sees it some
    # frames later), and lifts about 40 frames later (the ship needs 25 for 100
    # pixels), however fast the game runs.
    recording linuxfb touch.rec
    rec="$state_dir/touch.rec"
    systemctl start shmup-kiosk
    size="$(tr , x </sys/class/graphics/fb0/virtual_size)"
    x=$((${size%x*} / 2)) y=$((${size#*x} / 2))
    said="$(mktemp)"
    exec {vpad_in}> >(exec vpad --touch "$size" >"$said" 2>&1)
    vpad_pid=$!
    echo "opened-by=$(game_pid)" >&"$vpad_in"
    i=0
    while [ $i -lt 700 ] && ! grep -q '^opened by' "$said" && ! grep -q '^vpad' "$said"; do
        sleep 0.1
        i=$((i + 1))
    done
    timing="no finger"
    if ! grep -q '^opened by' "$said"; then
        fail "touch: the game did not open the touch screen plugged in: $(tr '\n' ' ' <"$said")"
    else
        systemctl stop shmup-kiosk
        rm -f "$rec"
        # The sound card's recording is marked where this game's sound begins and ends.
        ask "SOUND start"
        systemctl start shmup-kiosk
        if ! frame_from 64; then
            fail "touch: the host did not see the game's frame 64 or a later one: $reply"
        elif [ "$frame" -gt 110 ]; then
            fail "touch: the host saw the game reach frame $frame: too late to time the drag"
        else
            printf '%s\n' "down=$x,$y" wait=30 "move=$((x - 25)),$y" wait=30 "move=$((x - 50)),$y" \
                wait=30 "move=$((x - 75)),$y" wait=30 "move=$((x - 100)),$y" >&"$vpad_in"
            # Once touched, the game no longer plays as it does left alone:
            # the finger lifts 38 frames later by the rate seen over the last
            # two seconds or so (the game starts slowly, and runs faster
            # still once the host no longer dumps its screen).
            rate="$(printf '%s' "$seen" | awk '{ f[NR] = $1; t[NR] = $2 } END {
                for (k = NR - 1; k > 1 && t[NR] - t[k] < 2; k--) ;
                printf "%.1f", (f[NR] - f[k]) / (t[NR] - t[k]) }')"
            printf '%s\n' "wait=$(awk -v r="$rate" 'BEGIN { printf "%d", 38000 / (r > 5 ? r : 5) - 120 }')" \
                up >&"$vpad_in"
            timing="the finger go down at frame $frame, the game running $rate frames a second"
        fi
    fi
    echo wait=300 >&"$vpad_in"
    exec {vpad_in}>&-
    wait "$vpad_pid" || fail "touch: the virtual touch screen failed: $(tr '\n' ' ' <"$said")"
    expect "touch: the game runs" kiosk=active getty=inactive console=text keyboard=off restarts=0
    systemctl stop shmup-kiosk
    expect "touch: systemctl stop" kiosk=inactive getty=active console=text keyboard=unicode \
        result=success status=0
    ask "SOUND end"
    check_replay "touch" touch.rec "3 1"
    # For the host to play it again and hear what the card should have played.
    sed 's/^/REPLAY touch: /' "$rec" 2>/dev/null
    # In order: left with fire while dragging (the press may be seen a frame
    # before the first move), fire alone once there, nothing once lifted; and
    # the ship, when the finger lifted, 100 game pixels left of where it
    # waited, at (320, 352).
    if [ -s "$rec" ]; then
        kinds="$(grep -E '^[0-9]' "$rec" | cut -d' ' -f2- | uniq | tr '\n' '|')"
        at="$(XDG_RUNTIME_DIR="$(mktemp -d)" shmup-trace --input "$rec" \
            --frames $(($(last_input touch.rec) + 1)) 2>/dev/null | tail -n 1 \
            | sed -n 's/.* ship=1 shippos=\([^ ]*\).*/\1/p')"
        timing="the host saw $timing; the game saw it go down at frame"
        timing="$timing $(grep -Em1 '^[0-9]' "$rec" | cut -d' ' -f1) and lift at $(last_input touch.rec)"
        if [[ "$kinds" =~ ^(0\ 1\|)?3\ 1\|0\ 1\|0\ 0\|$ ]] && [ "$at" = 220,352 ]; then
            pass "touch: the drag steered and fired as '$kinds' and the ship was at $at when" \
                "lifted ($timing)"
        else
            fail "touch: the drag steered and fired as '$kinds' (wanted '3 1|0 1|0 0|'); the ship," \
                "in play, was at '$at' when lifted (wanted 220,352); $timing"
        fi
    fi
    no_dropin
fi

# Every start draws and reads its input devices: the game has nothing to warn
# about. On eglfs, Mesa's lines on finding no GPU driver for the display, as it
# falls back to its software renderer, and Qt's on running on it are theirs,
# and are let through by name.
echo "--- journal of shmup-kiosk"
journalctl -u shmup-kiosk --no-pager -o cat
mesa='^(pci id for fd [0-9]+: [0-9a-f]{4}:[0-9a-f]{4}, driver \(null\)'
mesa="$mesa|MESA-LOADER: failed to open [a-z0-9_-]+: .*_dri\.so: cannot open shared object file: .*"
mesa="$mesa|failed to load driver: [a-z0-9_-]+|kmsro: driver missing"
mesa="$mesa|Running on a software rasterizer \(LLVMpipe\), expect limited performance\.)\$"
all="$(journalctl -u shmup-kiosk --no-pager -o cat _COMM=shmup)"
said="$(printf '%s\n' "$all" | grep -Ev "$mesa" | grep -v '^$')"
if [ -n "$said" ]; then
    fail "the game printed: $said"
else
    pass "the game printed nothing ($(printf '%s\n' "$all" | grep -Ec "$mesa") lines of Mesa's and Qt's" \
        "on the software renderer let through)"
fi
echo "checks done: up $(cut -d' ' -f1 /proc/uptime) s"
if [ $failed -eq 0 ]; then echo "KIOSK CHECK PASSED"; else echo "KIOSK CHECK FAILED"; fi
systemctl poweroff
