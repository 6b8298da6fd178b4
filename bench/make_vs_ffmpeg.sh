#!/usr/bin/env bash
# Wall time of pictavo-make against the ffmpeg command line making the nearest equivalent
# slideshow, in the same run: the same 20 generated photos, each zoomed slowly while
# it is shown, 3 s on its own and a 2 s crossfade into it, the same timeline frame for frame,
# DVD NTSC (MPEG-2 720x480 at 6000 kb/s, 29.97 fps, GOP 18 with two B-frames, MP2 224 kb/s
# 48 kHz stereo with the default music) into an MPEG program stream.
#
#   bench/make_vs_ffmpeg.sh [BUILD_DIR] [ROUNDS] [PHOTO_SIZE]
#       defaults: build/release (build pictavo-make first), 3 rounds, 4000x3000 photos
#       (a 12-megapixel camera's photos; smaller photos cost ffmpeg less, Pictavo hardly less)
#
# Both sides run ROUNDS times in turn; each side's fastest run is compared. Prints the wall
# times, the ratio ffmpeg / pictavo-make (higher is better for Pictavo), and how long ffmpeg
# takes to encode the same number of frames of one still picture with the same settings (the
# encoder's own cost, which neither side can go below).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
rounds="${2:-3}"
photo_size="${3:-4000x3000}"
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
ffmpeg -loglevel error -f lavfi -i "testsrc2=size=$photo_size:rate=1" -frames:v 20 -q:v 3 \
    "$photos/photo%02d.jpg"

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
faster() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

export QT_QPA_PLATFORM=offscreen
run_pictavo() {
    "$make" -q -p "DVD NTSC" --seed 7 --display 3 --transition-seconds 2 --transition Alpha \
        --motion-mode pan/zoom -o "$work/pictavo" "$photos" >/dev/null
}

# Pictavo's timeline for "29.97": 29 frames a second of the timing, a 29-frame fade from white
# into the first photo, then per later photo a 58-frame crossfade and 87 frames on its own;
# every photo moves from its first frame to its last. ffmpeg gets the same frame counts: clip 1
# is 29 + 58 frames, the middle clips 58 + 87 + 58, the last 58 + 87; each clip is one photo
# zoomed by zoompan from 1.0 to 1.25 on its centre (the photo as given, scaled per frame as
# zoompan does), and xfade chains them.
fps="30000/1001"
frame_seconds() { awk -v n="$1" 'BEGIN { printf "%.6f", n * 1001 / 30000 }'; }
encode=(-c:v mpeg2video -b:v 6000k -maxrate 9000k -bufsize 1835008 -g 18 -bf 2 -aspect 4:3
    -c:a mp2 -b:a 224k -ar 48000 -ac 2 -f dvd -muxrate 10080000)
inputs=()
filters=""
count=20
for i in $(seq 0 $((count - 1))); do
    if [ "$i" -eq 0 ]; then frames=$((29 + 58)); elif [ "$i" -eq $((count - 1)) ]; then
        frames=$((58 + 87)); else frames=$((58 + 87 + 58)); fi
    inputs+=(-i "$(printf '%s/photo%02d.jpg' "$photos" $((i + 1)))")
    filters+="[$i:v]zoompan=z='1+0.25*on/$((frames - 1))':x='iw/2-iw/zoom/2':y='ih/2-ih/zoom/2'"
    filters+=":d=$frames:s=720x480:fps=$fps,setsar=8/9,format=yuv420p"
    [ "$i" -eq 0 ] && filters+=",fade=t=in:st=0:d=$(frame_seconds 29):color=white"
    filters+="[p$i];"
done
previous="p0"
for i in $(seq 1 $((count - 1))); do
    offset=$(frame_seconds $((29 + (i - 1) * 145)))
    filters+="[$previous][p$i]xfade=transition=fade:duration=$(frame_seconds 58)"
    filters+=":offset=$offset[x$i];"
    previous="x$i"
done
filters="${filters%;}"
total_frames=$((29 + (count - 1) * 145))
run_ffmpeg() {
    ffmpeg -loglevel error -nostdin -y "${inputs[@]}" -stream_loop -1 -i "$music" \
        -filter_complex "$filters" -map "[$previous]" -map "$count:a" \
        -frames:v "$total_frames" -t "$(frame_seconds "$total_frames")" "${encode[@]}" \
        "$work/ffmpeg/Bench.mpg"
}

# The encoder's own cost: the same number of frames of one still picture, raw, same settings.
ffmpeg -loglevel error -nostdin -y -i "$photos/photo01.jpg" -vf scale=720:480 -pix_fmt yuv420p \
    -frames:v 1 -f rawvideo "$work/still.yuv"
run_floor() {
    ffmpeg -loglevel error -nostdin -y -f rawvideo -pix_fmt yuv420p -s 720x480 -framerate "$fps" \
        -stream_loop -1 -i "$work/still.yuv" -stream_loop -1 -i "$music" -map 0:v -map 1:a \
        -frames:v "$total_frames" -t "$(frame_seconds "$total_frames")" "${encode[@]}" \
        "$work/floor.mpg"
}

pictavo_seconds=""
ffmpeg_seconds=""
floor_seconds=""
for round in $(seq 1 "$rounds"); do
    start=$(now); run_pictavo; pictavo_seconds=$(faster "$pictavo_seconds" "$(since "$start")")
    start=$(now); run_ffmpeg; ffmpeg_seconds=$(faster "$ffmpeg_seconds" "$(since "$start")")
    start=$(now); run_floor; floor_seconds=$(faster "$floor_seconds" "$(since "$start")")
done

probe() {
    ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=nb_read_frames -of default=nw=1:nk=1 "$1"
}
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); fastest of $rounds;" \
    "20 photos of $photo_size"
printf 'pictavo-make:  %6.2f s wall, %s frames\n' "$pictavo_seconds" \
    "$(probe "$work/pictavo/Bench.mpg")"
printf 'ffmpeg:        %6.2f s wall, %s frames\n' "$ffmpeg_seconds" \
    "$(probe "$work/ffmpeg/Bench.mpg")"
printf 'encoder floor: %6.2f s wall, %s frames of a still picture\n' "$floor_seconds" \
    "$(probe "$work/floor.mpg")"
awk -v f="$ffmpeg_seconds" -v p="$pictavo_seconds" -v e="$floor_seconds" \
    'BEGIN { printf "ratio ffmpeg / pictavo-make: %.2f; pictavo-make / encoder floor: %.2f\n",
             f / p, p / e }'
