#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix and checks what lands there: exactly the expected files, icons of
# the sizes their directories claim, desktop file, metainfo and manual pages that agree on the id and the
# version, and programs that run from the prefix.
# Usage: check-layout.sh CMAKE BUILD_DIR APP_ID VERSION ICON_SIZE...
set -euo pipefail
cmake=$1 build=$2 id=$3 version=$4
shift 4
sizes=("$@")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

"$cmake" --install "$build" --prefix "$prefix" >/dev/null

expected=(
    bin/trelmark
    bin/trelmark-report
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    share/man/man1/trelmark.1.gz
    share/man/man1/trelmark-report.1.gz
    share/doc/trelmark/copyright
    share/doc/trelmark/changelog.gz
    share/bash-completion/completions/trelmark-report
    "share/icons/hicolor/scalable/apps/$id.svg"
)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
if ! diff -u <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f -printf '%P\n' | sort); then
    fail "the installed files differ from the expected ones (- expected, + installed)"
fi

for program in trelmark trelmark-report; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
"$prefix/bin/trelmark-report" --version >/dev/null || fail "the installed trelmark-report does not run"

for size in "${sizes[@]}"; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$icon" ] || continue
    case $(file -b "$icon") in
        "PNG image data, $size x $size,"*) ;;
        *) fail "$icon is not a $size x $size PNG: $(file -b "$icon")" ;;
    esac
done
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
if [ -f "$svg" ] && ! grep -q '<svg ' "$svg"; then
    fail "$svg is not an SVG image"
fi

desktop="$prefix/share/applications/$id.desktop"
if [ -f "$desktop" ]; then
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line does not start an installed program"
    [ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "the desktop file's Icon is not $id"
fi

metainfo="$prefix/share/metainfo/$id.metainfo.xml"
if [ -f "$metainfo" ]; then
    grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
    newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
    [ "$newest" = "$version" ] || fail "the metainfo's newest release is '$newest', the build's version $version"
fi

for page in trelmark trelmark-report; do
    file="$prefix/share/man/man1/$page.1.gz"
    [ -f "$file" ] || continue
    # man-db passes groff's warnings on to stderr: a page that reads cleanly prints none.
    if ! text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>"$scratch/man.err"); then
        fail "man -l $page.1.gz failed"
    fi
    if [ -s "$scratch/man.err" ]; then
        fail "man -l $page.1 warns: $(cat "$scratch/man.err")"
    fi
    grep -q "^NAME" <<<"$text" || fail "$page.1 has no NAME section"
    grep -q "Trelmark $version" <<<"$text" || fail "$page.1 does not show version $version"
done

doc="$prefix/share/doc/trelmark"
if [ -f "$doc/copyright" ]; then
    grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
        fail "copyright is not in the machine-readable format"
    grep -q '^License: Expat' "$doc/copyright" || fail "copyright does not give the MIT (Expat) licence"
fi
if [ -f "$doc/changelog.gz" ]; then
    head=$(gzip -dc "$doc/changelog.gz" | head -n 1)
    [ "$head" = "trelmark ($version) unstable; urgency=medium" ] || fail "the changelog starts '$head'"
fi

[ "$failures" -eq 0 ] || exit 1
echo "install layout: ${#expected[@]} files as expected"
