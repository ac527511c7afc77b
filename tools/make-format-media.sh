#!/usr/bin/env bash
# Makes one short movie per container and codec a swarm may hold (host
# ffmpeg; the Windows build never links it), plus the files the track and
# sound tests play. Every movie shows red on its left half and blue on its
# right and carries a 440 Hz tone for 3 s.
# Usage: make-format-media.sh OUTPUT_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$1
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -loglevel error -nostdin -y "$@"; }
bars="color=c=red:s=320x240:r=25:d=3,drawbox=x=160:y=0:w=160:h=240:color=blue:t=fill"
tone="sine=frequency=440:duration=3:sample_rate=48000"
# movie NAME VIDEO-OPTIONS -- AUDIO-OPTIONS -- CONTAINER-OPTIONS
movie() {
    local name=$1
    shift
    local video=() audio=() rest=()
    while [ "$1" != -- ]; do video+=("$1"); shift; done
    shift
    while [ "$1" != -- ]; do audio+=("$1"); shift; done
    shift
    rest=("$@")
    ff -f lavfi -i "$bars" -f lavfi -i "$tone" "${video[@]}" "${audio[@]}" "${rest[@]}" -shortest "$name"
}
v264=(-c:v libx264 -preset veryfast -pix_fmt yuv420p -g 25)
movie mp4-h264-aac.mp4 "${v264[@]}" -- -c:a aac -- -movflags +faststart
movie mkv-h264-10bit-aac.mkv -c:v libx264 -preset veryfast -pix_fmt yuv420p10le -g 25 -- -c:a aac --
movie mp4-hevc-10bit-aac.mp4 -c:v libx265 -preset ultrafast -pix_fmt yuv420p10le -g 25 -x265-params log-level=none \
    -tag:v hvc1 -- -c:a aac --
movie mkv-h264-eac3.mkv "${v264[@]}" -- -c:a eac3 --
movie mkv-h264-flac.mkv "${v264[@]}" -- -c:a flac --
movie mkv-h264-dts.mkv "${v264[@]}" -- -c:a dca -strict -2 --
movie mkv-h264-truehd.mkv "${v264[@]}" -- -c:a truehd -strict -2 --
movie mov-mpeg4-alac.mov -c:v mpeg4 -q:v 3 -- -c:a alac --
movie avi-mpeg4-mp3.avi -c:v mpeg4 -q:v 3 -vtag xvid -- -c:a libmp3lame --
movie avi-msmpeg4-pcm.avi -c:v msmpeg4 -q:v 3 -- -c:a pcm_s16le --
movie flv-h264-aac.flv "${v264[@]}" -- -c:a aac --
movie ts-mpeg2-mp2.ts -c:v mpeg2video -q:v 3 -- -c:a mp2 --
movie ps-mpeg1-mp2.mpg -c:v mpeg1video -q:v 3 -- -c:a mp2 -- -f vob
movie asf-wmv2-wma.wmv -c:v wmv2 -q:v 3 -- -c:a wmav2 --
movie rm-rv20-ac3.rm -c:v rv20 -q:v 3 -- -c:a ac3 --
movie webm-vp8-vorbis.webm -c:v libvpx -b:v 500k -deadline realtime -- -c:a libvorbis --
movie webm-vp9-opus.webm -c:v libvpx-vp9 -b:v 500k -deadline realtime -cpu-used 8 -- -c:a libopus --
movie ogg-theora-vorbis.ogv -c:v libtheora -q:v 6 -- -c:a libvorbis --
movie mkv-av1-opus.mkv -c:v libsvtav1 -preset 12 -g 25 -- -c:a libopus --
movie mkv-hevc-ac3.mkv -c:v libx265 -preset ultrafast -g 25 -x265-params log-level=none -- -c:a ac3 --
# Sound alone.
for f in mp3:libmp3lame m4a:aac flac:flac wav:pcm_s16le ogg:libvorbis opus:libopus wma:wmav2 ac3:ac3; do
    ff -f lavfi -i "$tone" -c:a "${f#*:}" "audio.${f%%:*}"
done

# Tones of a known level for the track and sound tests: 0.5 of full scale.
tone05() { echo "aevalsrc=0.5*sin(2*PI*$1*t)|0.5*sin(2*PI*$1*t):c=stereo:s=48000:d=$2"; }

# Tracks: two sound tracks (440 Hz "chi", 880 Hz "eng") and two text
# subtitle tracks (SRT "chi" first, ASS "eng"); in MP4, mov_text. (-t, not
# -shortest: a subtitle stream ends with its last cue.)
printf '1\n00:00:00,200 --> 00:00:02,800\nFIRST TRACK\n' > tracks-a.srt
printf '1\n00:00:00,200 --> 00:00:02,800\nSECOND TRACK\n' > tracks-b.srt
ff -f lavfi -i "$bars" -f lavfi -i "$(tone05 440 3)" -f lavfi -i "$(tone05 880 3)" \
    -i tracks-a.srt -i tracks-b.srt -map 0:v -map 1:a -map 2:a -map 3 -map 4 "${v264[@]}" -c:a aac -b:a 192k \
    -c:s:0 srt -c:s:1 ass -metadata:s:a:0 language=chi -metadata:s:a:1 language=eng \
    -metadata:s:s:0 language=chi -metadata:s:s:1 language=eng -t 3 tracks.mkv
ff -f lavfi -i "$bars" -f lavfi -i "$(tone05 440 3)" -i tracks-a.srt -map 0:v -map 1:a -map 2 "${v264[@]}" \
    -c:a aac -c:s mov_text -metadata:s:s:0 language=chi -t 3 tracks.mp4

# Sound checks: a tone per second (440, 550, 660 ... Hz, stereo) with the
# picture black in even seconds and white in odd ones, a key frame every two
# seconds (at the black ones); 5.1 with a tone of its own per channel.
steps="" labels=""
for i in 0 1 2 3 4 5 6 7; do
    steps="${steps}$(tone05 $((440 + 110 * i)) 1)[s$i];"
    labels="$labels[s$i]"
done
ff -filter_complex "${steps}${labels}concat=n=8:v=0:a=1[a]" \
    -f lavfi -i "color=c=black:s=160x120:r=25:d=8,geq=lum='255*mod(floor(T),2)':cb=128:cr=128" \
    -map 0:v -map '[a]' -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 50 -keyint_min 50 -sc_threshold 0 \
    -c:a pcm_s16le -shortest steps.mkv
ff -f lavfi -i "aevalsrc=0.5*sin(2*PI*300*t)|0.5*sin(2*PI*400*t)|0.5*sin(2*PI*500*t)|0.5*sin(2*PI*60*t)|0.5*sin(2*PI*700*t)|0.5*sin(2*PI*800*t):s=48000:d=4:c=5.1" \
    -c:a ac3 -b:a 448k surround.ac3
# Bad input: a picture wider than any real movie, and damaged copies of the
# movies above.
ff -f lavfi -i "color=c=gray:s=8256x64:r=25:d=1" -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
    hostile-huge-picture.mkv
python3 "$here/make-hostile-media.py" .
touch formats.stamp
