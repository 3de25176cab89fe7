#!/bin/sh
# Installed as both postinst and postrm. Once the udev rule has arrived
# (postinst configure) or gone (postrm remove), udev rereads its rules and
# replays the hidraw devices, so a frame that is already plugged in gains or
# loses access at once. Never fails: chroots and containers run no udev.
set -e

case "$1" in
configure | remove)
    if command -v udevadm >/dev/null 2>&1 && udevadm control --ping --timeout=5 >/dev/null 2>&1; then
        { udevadm control --reload-rules && udevadm trigger --subsystem-match=hidraw; } || true
    fi
    ;;
esac

exit 0
