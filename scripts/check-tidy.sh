#!/usr/bin/env bash
# scripts/check-tidy.sh [build dir]: runs clang-tidy with the checked-in .clang-tidy over the Qt-free
# sources in the build's compile_commands.json (build/default unless given), two at a time, and fails
# on any finding. Prints each finding, then a count per check.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/default}
clang_tidy=${CLANG_TIDY:-clang-tidy}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: no $build/compile_commands.json; configure first (cmake --preset default)" >&2
    exit 1
fi

# The sources of the layers below the front ends; the front ends and the tests are left out.
mapfile -t sources < <(python3 - "$build/compile_commands.json" "$PWD" <<'PY'
import json
import os
import sys

folders = ("app", "config", "core", "link", "logging", "pictures", "platform", "power", "screens", "sensing")
root = sys.argv[2]
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
    if path.split("/")[0] in folders and path not in seen:
        seen.add(path)
        print(path)
PY
)
if ((${#sources[@]} == 0)); then
    echo "tidy: no sources of ours in $build/compile_commands.json" >&2
    exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
# The compiler's warnings are g++'s job (they are errors there); clang's own would differ on GCC-only
# flags (-Wno-restrict) and extensions in system headers' macros, so -w leaves only the checks.
printf '%s\0' "${sources[@]}" |
    xargs -0 -n 4 -P 2 "$clang_tidy" -p "$build" --quiet --extra-arg=-w >"$log" 2>&1 || status=$?

# A header's finding shows once per source that includes it: count each place once.
findings=$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): .*\[[a-z0-9.,-]+\]$' "$log" |
    sed -e "s|^$PWD/||" -e 's/,-warnings-as-errors\]$/]/' | sort -u || true)
if [ -n "$findings" ]; then
    echo "$findings"
    echo "tidy: $(wc -l <<<"$findings") finding(s) in ${#sources[@]} sources:"
    sed -E 's/.*\[([a-z0-9.,-]+)\]$/\1/' <<<"$findings" | sort | uniq -c | sort -rn
    exit 1
fi
if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    echo "tidy: $clang_tidy failed ($status)" >&2
    exit 1
fi
echo "tidy: ${#sources[@]} sources, no findings"
