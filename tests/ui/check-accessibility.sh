#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Opens the window under Xvfb with an accessibility bus and reads its control tree through AT-SPI
# (accessibility-tree.py). Usage: check-accessibility.sh TRELMARK
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1-}" != --inside ]; then
    program=$1
    tree=$(mktemp -d)
    trap 'rm -rf "$tree"' EXIT
    mkdir -p "$tree/sub/deeper" && echo hello >"$tree/sub/file" && echo x >"$tree/top"
    xvfb-run -a -s '-screen 0 1280x1024x24' dbus-run-session -- "$0" --inside "$program" "$tree"
    exit
fi

program=$2 tree=$3
# The bus that assistive technology and toolkits meet on; Qt joins it when accessibility is on.
/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!
# The X11 platform, whatever the tests around it use: only it joins the accessibility bus.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
"$program" "$tree" &
window=$!
status=0
/usr/bin/python3 "$here/accessibility-tree.py" "$window" "$tree" || status=$?
kill "$window" "$bus" 2>/dev/null || true
wait "$window" 2>/dev/null || true
exit $status
