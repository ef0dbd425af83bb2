#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the small real clips the check's tests open with FFMS2, once per
# build folder: two seconds of ffmpeg's test picture (a running frame count
# in it) in the containers and codecs users feed AviSynth, under names with a
# space and with letters beyond ASCII, and a text file dressed as a clip.
#
#   bash tests/check/make_clips.sh DIR
#
# A stamp holding this script's checksum and ffmpeg's version keeps a second
# run to a moment.
set -euo pipefail

DIR="$1"
# Without ffmpeg there are no clips, and the tests that need them skip.
if ! command -v ffmpeg >/dev/null 2>&1; then
  echo "make_clips: no ffmpeg (Debian's ffmpeg package): the tests over real clips skip" >&2
  exit 0
fi
mkdir -p "$(dirname "$DIR")"
# Test programs run at once may each ask: one makes the clips, the others wait.
exec 9>"$DIR.lock"
flock 9
stamp="$( (sha256sum "${BASH_SOURCE[0]}"; ffmpeg -version | head -1) | sha256sum | cut -d' ' -f1)"
if [[ -f "$DIR/stamp" && "$(cat "$DIR/stamp")" == "$stamp" ]]; then
  exit 0
fi
rm -rf "$DIR"
mkdir -p "$DIR"

picture() {  # SIZE RATE
  echo "testsrc2=size=$1:rate=$2:duration=2"
}
sound() {  # RATE
  echo "sine=frequency=440:sample_rate=$1:duration=2"
}
make() {  # NAME FFMPEG-ARGS...
  local name="$1"
  shift
  ffmpeg -nostdin -hide_banner -loglevel error -y "$@" "$DIR/$name"
}

# H.264 and AAC in Matroska, at NTSC film rate.
make "clip one.mkv" -f lavfi -i "$(picture 320x240 24000/1001)" -f lavfi -i "$(sound 48000)" \
  -ac 2 -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest
# H.264 and AAC in MP4, PAL rate.
make "clip.mp4" -f lavfi -i "$(picture 352x288 25)" -f lavfi -i "$(sound 44100)" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -shortest
# MPEG-4 Part 2 and PCM in AVI.
make "clip.avi" -f lavfi -i "$(picture 320x240 25)" -f lavfi -i "$(sound 48000)" \
  -c:v mpeg4 -q:v 3 -c:a pcm_s16le -shortest
# A picture alone, under a name beyond ASCII.
make "clîp ☃.mkv" -f lavfi -i "$(picture 320x240 24000/1001)" -c:v libx264 -preset veryfast \
  -pix_fmt yuv420p
# Full chroma, so that a frame's colours are the matrix's alone and can be
# held against ffmpeg's own conversion: untagged (Rec.601 by default), and
# tagged Rec.709.
make "clip 444.mkv" -f lavfi -i "$(picture 320x240 25)" -c:v libx264 -preset veryfast \
  -pix_fmt yuv444p
make "clip 709.mkv" -f lavfi -i "$(picture 320x240 25)" -c:v libx264 -preset veryfast \
  -pix_fmt yuv444p -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv
# Not video at all.
printf 'These are not the frames you are looking for.\n' >"$DIR/not video.mkv"

echo "$stamp" >"$DIR/stamp"
