#!/bin/sh
# Builds the readers' fuzz targets with clang in their own build folder and runs each for
# a while on its seeds. What a target finds lands in <build>/findings/<target>/.
#   fuzz/run.sh [seconds per target]      (default 60; FUZZ_TARGETS picks targets)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-${FUZZ_SECONDS:-60}}
build=${BUILD_FUZZ:-build-fuzz}
jobs=${JOBS:-4}
if ! command -v clang++ >/dev/null 2>&1; then
    echo "The fuzz targets need clang: apt-get install clang libclang-rt-14-dev" >&2
    exit 1
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNOSTREL_BUILD_FUZZ=ON -DNOSTREL_BUILD_UI=OFF -DNOSTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_targets

# The targets' files, in memory where the system offers it.
work=$(mktemp -d "$( [ -d /dev/shm ] && echo /dev/shm || echo /tmp )/nostrel_fuzz_run.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
export NOSTREL_FUZZ_DIR="$work"

targets=${FUZZ_TARGETS:-"rnd_file_fuzz tri_file_fuzz bnd_file_fuzz backup_file_fuzz
    color_band_file_fuzz contour_files_fuzz stroke_font_fuzz settings_files_fuzz route_files_fuzz
    section_files_fuzz"}
failed=""
for t in $targets; do
    corpus="$build/corpus/$t"
    findings="$build/findings/$t"
    mkdir -p "$corpus" "$findings"
    echo "== $t for $seconds s"
    if ! "$build/fuzz/$t" -max_total_time="$seconds" -artifact_prefix="$findings/" \
        -print_final_stats=1 "$corpus" "fuzz/corpus/$t" >"$findings/log.txt" 2>&1; then
        failed="$failed $t"
        tail -n 30 "$findings/log.txt"
    fi
    grep -E "^stat::number_of_executed_units|^stat::new_units_added" "$findings/log.txt" || true
done
if [ -n "$failed" ]; then
    echo "Findings in:$failed (see $build/findings/)" >&2
    exit 1
fi
echo "No findings."
