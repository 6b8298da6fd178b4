#!/usr/bin/env bash
# Wall time of pictavo-make against the ffmpeg command line doing the nearest equivalent
# slideshow, in the same run: 20 generated 1600x1200 photos, each shown 3 s with a 2 s
# crossfade into it, DVD NTSC (MPEG-2 720x480 at 6000 kb/s, 29.97 fps, MP2 224 kb/s 48 kHz
# stereo with the default music) into an MPEG program stream.
#
#   bench/make_vs_ffmpeg.sh [BUILD_DIR]      (default build/release; build pictavo-make first)
#
# Prints both wall times and the ratio ffmpeg / pictavo (higher is better for Pictavo).
# Other work on the machine shifts both figures; the load average is printed with them.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
app="$build/app"
make="$app/pictavo-make"
music="$app/menu_pic/default.mp3"
[ -x "$make" ] || { echo "make_vs_ffmpeg: $make not built" >&2; exit 1; }
[ -f "$music" ] || { echo "make_vs_ffmpeg: $music not built" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "make_vs_ffmpeg: ffmpeg not installed" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
photos="$work/Bench"
mkdir -p "$photos" "$work/pictavo" "$work/ffmpeg"

# 20 different photos: a moving test pattern, one frame per photo.
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=1600x1200:rate=1" -frames:v 20 -q:v 3 \
    "$photos/photo%02d.jpg"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }

export QT_QPA_PLATFORM=offscreen
start=$(now)
"$make" -q -p "DVD NTSC" --display 3 --transition-seconds 2 --transition Alpha \
    --motion-mode none -o "$work/pictavo" "$photos" >/dev/null
pictavo_seconds=$(since "$start")

# ffmpeg: every photo fitted into 720x480 and held for 5 s by zoompan (3 s on its own plus the
# 2 s crossfade into the next), chained by xfade, with the music cut to the video.
fps="30000/1001"
inputs=()
filters=""
for i in $(seq 0 19); do
    inputs+=(-i "$(printf '%s/photo%02d.jpg' "$photos" $((i + 1)))")
    filters+="[$i:v]scale=720:480:force_original_aspect_ratio=decrease,"
    filters+="pad=720:480:(ow-iw)/2:(oh-ih)/2,setsar=1,"
    filters+="zoompan=z=1:d=150:s=720x480:fps=$fps,format=yuv420p[p$i];"
done
previous="p0"
for i in $(seq 1 19); do
    offset=$((i * 3))
    filters+="[$previous][p$i]xfade=transition=fade:duration=2:offset=$offset[x$i];"
    previous="x$i"
done
filters="${filters%;}"
start=$(now)
ffmpeg -loglevel error -y "${inputs[@]}" -stream_loop -1 -i "$music" \
    -filter_complex "$filters" -map "[$previous]" -map 20:a -shortest \
    -c:v mpeg2video -b:v 6000k -maxrate 9000k -bufsize 1835k -g 15 -r "$fps" \
    -c:a mp2 -b:a 224k -ar 48000 -ac 2 -f dvd "$work/ffmpeg/Bench.mpg"
ffmpeg_seconds=$(since "$start")

probe() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) (shared with other work)"
printf 'pictavo-make: %6.2f s wall for %s s of video\n' "$pictavo_seconds" \
    "$(probe "$work/pictavo/Bench.mpg")"
printf 'ffmpeg:       %6.2f s wall for %s s of video\n' "$ffmpeg_seconds" \
    "$(probe "$work/ffmpeg/Bench.mpg")"
# The two timelines differ in length (Pictavo opens with a fade from white and gives every
# transition its own seconds), so the ratio per second of video is printed too.
awk -v f="$ffmpeg_seconds" -v p="$pictavo_seconds" -v fl="$(probe "$work/ffmpeg/Bench.mpg")" \
    -v pl="$(probe "$work/pictavo/Bench.mpg")" \
    'BEGIN { printf "ratio ffmpeg / pictavo-make: %.2f wall, %.2f per second of video\n",
             f / p, (f / fl) / (p / pl) }'
