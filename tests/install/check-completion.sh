#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of trelmark-report, as bash-completion runs it: options, formats (also after "="),
# directories for the operand, and every option the program's own --help names.
# Usage: check-completion.sh COMPLETION_FILE TRELMARK_REPORT
set -uo pipefail
completion=$1 program=$2

for main in /usr/share/bash-completion/bash_completion /etc/bash_completion; do
    [ -f "$main" ] && break
done
# shellcheck source=/dev/null
source "$main" || { echo "FAIL: cannot load $main" >&2; exit 1; }
# shellcheck source=/dev/null
source "$completion"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# candidates WORD... : the candidates for the last word of the command line "trelmark-report WORD...".
candidates() {
    COMP_WORDS=(trelmark-report "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _trelmark_report trelmark-report "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {  # expect "WORD..." "CANDIDATE..."
    local got
    read -ra words <<<"$1"
    [ "${1: -1}" = " " ] && words+=("")
    got=$(candidates "${words[@]}" | tr '\n' ' ' | sed 's/ $//')
    [ "$got" = "$2" ] || fail "'trelmark-report $1<TAB>' offers '$got', not '$2'"
}

expect "--f" "--format"
expect "--format " "csv json text"
expect "--format=j" "json"
expect "--count --no" "--no-progress"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/photos" "$scratch/pdfs"
touch "$scratch/photos.txt"
expect "$scratch/p" "$scratch/pdfs $scratch/photos"
expect "-- $scratch/ph" "$scratch/photos"

# Every long option the program accepts is offered.
offered=$(candidates "--" | tr '\n' ' ')
for option in $("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    [[ " $offered " == *" $option "* ]] || fail "--help names $option, which the completion does not offer"
done

[ "$failures" -eq 0 ] || exit 1
echo "completion: options, formats and directories offered"
