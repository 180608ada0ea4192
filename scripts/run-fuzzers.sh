#!/usr/bin/env bash
# Runs every fuzz target of the build folder $1 for $2 seconds on its seed corpus.
# Fails when any target crashes or reports an error.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
status=0
shopt -s nullglob
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="fuzz/corpus/${name#fuzz_}"
    work=$(mktemp -d)
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
    # The settings reader takes files of up to 1 MiB: inputs as large let a read that is slower
    # than linear show as a slow unit.
    options=()
    [ "$name" = fuzz_settings ] && options=(-max_len=1048576)
    echo "== $name for ${seconds}s"
    if ! "$target" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/" "$work" \
        > "$build/$name.log" 2>&1; then
        echo "$name FAILED"; tail -40 "$build/$name.log"; status=1
    else
        grep -E "stat::number_of_executed_units|Done" "$build/$name.log" | tail -2 || true
    fi
    rm -rf "$work"
done
exit $status
