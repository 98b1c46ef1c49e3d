#!/usr/bin/env bash
# scripts/check-format.sh [--fix]: fails when a tracked C++ file differs from what clang-format makes
# of it with the checked-in .clang-format; --fix rewrites those files in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."

clang_format=${CLANG_FORMAT:-clang-format}
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc')
if [ "${1:-}" = --fix ]; then
    "$clang_format" -i -- "${files[@]}"
    exit 0
fi

# One run over all files; each difference is reported as "file:line:col: error: ...". Any other
# failure (no clang-format, a broken .clang-format) fails the check too.
status=0
report=$("$clang_format" --dry-run -Werror -- "${files[@]}" 2>&1) || status=$?
mapfile -t differ < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
if [ "$status" -ne 0 ] && ((${#differ[@]} == 0)); then
    echo "$report" >&2
    echo "format: $clang_format failed ($status)" >&2
    exit 1
fi
if ((${#differ[@]})); then
    printf '%s\n' "${differ[@]}"
    echo "format: ${#differ[@]} of ${#files[@]} files differ from .clang-format (scripts/check-format.sh --fix)" >&2
    exit 1
fi
echo "format: ${#files[@]} files as .clang-format wants them"
