#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from the build tree into a scratch directory and runs lintian on it: no error may
# remain, and every warning left must be explained in the README (its tag named there).
# Usage: check-package.sh CPACK BUILD_DIR README
set -euo pipefail
cpack=$1 build=$2 readme=$3

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log" >&2
    exit 1
}
deb=$(find "$scratch" -maxdepth 1 -name '*.deb' | head -n 1)
[ -n "$deb" ] || { echo "FAIL: cpack made no .deb" >&2; exit 1; }

failures=0
# Lintian's own exit status is not used: it reports errors as lines, and those are what is counted.
lintian --no-tag-display-limit --display-info "$deb" >"$scratch/lintian.out" 2>&1 || true
cat "$scratch/lintian.out"
while IFS= read -r line; do
    tag=$(awk '{print $3}' <<<"$line")
    case $line in
        E:*)
            echo "FAIL: lintian error $tag" >&2
            failures=$((failures + 1))
            ;;
        W:*)
            if ! grep -qF "\`$tag\`" "$readme"; then
                echo "FAIL: lintian warning $tag is not explained in README.md" >&2
                failures=$((failures + 1))
            fi
            ;;
    esac
done <"$scratch/lintian.out"

# The maintainer is a real one, and the man pages are compressed.
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer == *"<"*"@"*">" ]] || { echo "FAIL: maintainer '$maintainer'" >&2; failures=$((failures + 1)); }
if dpkg-deb -c "$deb" | grep -q 'man/man1/.*\.1$'; then
    echo "FAIL: a manual page is not compressed" >&2
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "package: $(basename "$deb"), lintian clean but for the warnings README.md explains"
