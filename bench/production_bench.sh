#!/bin/sh
# Builds the production benchmark in a Release build folder of its own and runs it: the whole
# production run of a 20-photo slideshow against the ffmpeg command-line tool encoding as many
# frames of one still picture with the same settings.
#   bench/production_bench.sh [build folder] [benchmark options...]
set -e
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/production-bench}
[ $# -gt 0 ] && shift
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPICTAVO_SANITIZE=OFF -DPICTAVO_TESTS=OFF > /dev/null
targets="production_bench brenwick_encoder pictavo_resources"
if ninja -C "$build_dir" -t targets all | grep -q '^pictavo_music:'; then
    targets="$targets pictavo_music"
fi
ninja -C "$build_dir" $targets
PICTAVO_APP_DIR="$build_dir/app" QT_QPA_PLATFORM=offscreen "$build_dir/bench/production_bench" "$@"
