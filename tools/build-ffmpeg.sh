#!/usr/bin/env bash
# Cross-builds the decoding libraries the engine loads (libavformat,
# libavcodec, libavutil, libswscale, libswresample, with dav1d inside
# libavcodec for AV1) as Windows DLLs, from Debian's source packages of the
# release this machine runs. LGPL only: no GPL or non-free parts.
#
# Usage: build-ffmpeg.sh TRIPLE      (i686-w64-mingw32 or x86_64-w64-mingw32)
# Prints the folder that holds bin/ (the DLLs), include/ and share/ (licence).
#
# Each build is kept in a cache outside the clone, keyed by the source's
# version and by this script (which holds the whole configuration), so a new
# clone on the same machine does not build again. CORVINA_CACHE moves it.
set -euo pipefail
triple=$1
case "$triple" in
i686-w64-mingw32) arch=x86 mesoncpu=x86 ;;
x86_64-w64-mingw32) arch=x86_64 mesoncpu=x86_64 ;;
*) echo "unknown target $triple" >&2; exit 2 ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
cache=${CORVINA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/corvina}
key=$(sha256sum "$here/build-ffmpeg.sh" | cut -c1-12)
mkdir -p "$cache"
exec 9>"$cache/.ffmpeg-$triple.lock"
flock 9 # two builds of one target never share a folder

# A finished build of this configuration, whatever source version it has.
for done in "$cache"/ffmpeg-*-"$key"/"$triple"/.done; do
    [ -e "$done" ] && { dirname "$done"; exit 0; }
done

log() { echo "build-ffmpeg: $*" >&2; }

# ---- sources, through apt with a private state folder ----
# The deb-src entry is the system's own entry for the release's main
# component; no host is written anywhere but in that private folder.
fetch_sources() {
    local apt=$cache/apt src=$cache/src
    mkdir -p "$apt/etc" "$apt/lists/partial" "$apt/cache/archives/partial" "$src"
    if ! ls "$src"/ffmpeg_*.dsc >/dev/null 2>&1 || ! ls "$src"/dav1d_*.dsc >/dev/null 2>&1; then
        python3 - "$apt/etc/src.sources" <<'EOF'
import glob, re, sys
# deb822 entries first, then one-line entries; the first "deb" entry that
# has the main component is copied as "deb-src".
for path in sorted(glob.glob('/etc/apt/sources.list.d/*.sources')):
    for block in open(path).read().split('\n\n'):
        fields = {}
        for line in block.splitlines():
            m = re.match(r'^([A-Za-z-]+):\s*(.*)$', line)
            if m:
                fields[m.group(1)] = m.group(2)
        if 'deb' in fields.get('Types', '').split() and 'main' in fields.get('Components', '').split():
            suites = [s for s in fields['Suites'].split() if '-' not in s] or fields['Suites'].split()[:1]
            out = ['Types: deb-src', 'URIs: ' + fields['URIs'], 'Suites: ' + suites[0], 'Components: main']
            if 'Signed-By' in fields:
                out.append('Signed-By: ' + fields['Signed-By'])
            open(sys.argv[1], 'w').write('\n'.join(out) + '\n')
            sys.exit(0)
for path in ['/etc/apt/sources.list'] + sorted(glob.glob('/etc/apt/sources.list.d/*.list')):
    try:
        lines = open(path).read().splitlines()
    except OSError:
        continue
    for line in lines:
        parts = line.split('#')[0].split()
        if len(parts) >= 4 and parts[0] == 'deb' and 'main' in parts[3:] and '-' not in parts[2]:
            open(sys.argv[1].replace('.sources', '.list'), 'w').write(
                'deb-src %s %s main\n' % (parts[1], parts[2]))
            sys.exit(0)
sys.exit('no deb entry for the main component in the system apt sources')
EOF
        local opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/etc"
            -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Get::Only-Source=true)
        log "fetching the source packages"
        apt-get "${opts[@]}" -q update >&2
        (cd "$src" && apt-get "${opts[@]}" -q source --download-only ffmpeg dav1d >&2)
    fi
    local dsc
    for dsc in "$src"/ffmpeg_*.dsc "$src"/dav1d_*.dsc; do
        local name
        name=$(basename "$dsc" .dsc)
        [ -d "$src/$name" ] || (cd "$src" && dpkg-source --no-check -x "$dsc" "$name" >&2)
    done
}
fetch_sources
ffsrc=$(ls -d "$cache"/src/ffmpeg_*/ | grep -v '\.dsc' | sort -V | tail -1)
davsrc=$(ls -d "$cache"/src/dav1d_*/ | sort -V | tail -1)
version=$(basename "$ffsrc" | sed 's/^ffmpeg_//')
out=$cache/ffmpeg-$version-$key/$triple
work=$cache/work-$key/$triple
rm -rf "$out" "$work"
mkdir -p "$out" "$work"
jobs=$(nproc)

# ---- dav1d, a static library folded into libavcodec ----
log "building dav1d for $triple"
cat > "$work/cross.txt" <<EOF
[binaries]
c = '$triple-gcc'
ar = '$triple-ar'
strip = '$triple-strip'
windres = '$triple-windres'
nasm = 'nasm'
[host_machine]
system = 'windows'
cpu_family = '$mesoncpu'
cpu = '$mesoncpu'
endian = 'little'
EOF
meson setup "$work/dav1d" "$davsrc" --cross-file "$work/cross.txt" --prefix "$work/deps" --libdir lib \
    --buildtype release --default-library static -Denable_tools=false -Denable_tests=false \
    -Denable_examples=false >&2
ninja -C "$work/dav1d" -j "$jobs" install >&2

# mingw's zlib comes as an import library and a static one: a folder with
# only the static one, searched first, makes -lz take it.
mkdir -p "$work/zlib"
ln -sf "/usr/$triple/lib/libz.a" "$work/zlib/libz.a"

# ---- FFmpeg ----
log "configuring FFmpeg $version for $triple"
demuxers=mov,matroska,avi,flv,mpegts,mpegps,asf,rm,ogg,mp3,flac,wav,w64,aiff,aac,ac3,eac3,dts,dtshd,truehd,mlp
demuxers=$demuxers,mpegvideo,m4v,h264,hevc,vc1,loas,hls,srt,ass,webvtt,ivf,obu,av1,mpjpeg,mjpeg
decoders=h264,hevc,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4v3,h263,h263i,flv,mpeg1video,mpeg2video
decoders=$decoders,vp8,vp9,wmv1,wmv2,wmv3,wmv3image,vc1,vc1image,rv10,rv20,rv30,rv40,libdav1d,mjpeg,png
decoders=$decoders,theora,aac,aac_latm,aac_fixed,mp3,mp3float,mp2,mp2float,mp1,mp1float,ac3,ac3_fixed
decoders=$decoders,eac3,dca,truehd,mlp,flac,alac,opus,vorbis,wmav1,wmav2,wmapro,wmalossless,wmavoice
decoders=$decoders,cook,ra_144,ra_288,ralf,sipr,atrac3,amrnb,amrwb,pcm_s16le,pcm_s16be,pcm_s24le
decoders=$decoders,pcm_s24be,pcm_s32le,pcm_f32le,pcm_f64le,pcm_u8,pcm_alaw,pcm_mulaw,pcm_dvd,pcm_bluray
decoders=$decoders,adpcm_ms,adpcm_ima_wav,subrip,srt,ass,ssa,movtext,webvtt,text
parsers=h264,hevc,mpeg4video,mpegvideo,h263,vp8,vp9,vc1,av1,aac,aac_latm,mpegaudio,ac3,dca,mlp,flac
parsers=$parsers,opus,vorbis,cook,rv30,rv40,mjpeg,png
bsfs=h264_mp4toannexb,hevc_mp4toannexb,aac_adtstoasc,vp9_superframe_split,av1_frame_split,extract_extradata
bsfs=$bsfs,mpeg4_unpack_bframes,vp9_superframe,null
filters=format,aformat,scale,aresample,atempo,bwdif,yadif,null,anull
(
    cd "$work"
    mkdir -p ffmpeg && cd ffmpeg
    PKG_CONFIG_LIBDIR="$work/deps/lib/pkgconfig" PKG_CONFIG_PATH="" \
        "$ffsrc/configure" --prefix="$out" --enable-cross-compile --target-os=mingw32 --arch=$arch \
        --cross-prefix="$triple-" --pkg-config=pkg-config --pkg-config-flags=--static \
        --x86asmexe=nasm --enable-shared --disable-static --disable-autodetect --enable-w32threads \
        --enable-zlib --enable-libdav1d --disable-programs --disable-doc --disable-avdevice \
        --disable-postproc --disable-network --disable-debug --disable-everything \
        --enable-avformat --enable-avcodec --enable-avutil --enable-swscale --enable-swresample \
        --enable-avfilter --enable-demuxer=$demuxers --enable-decoder=$decoders \
        --enable-parser=$parsers --enable-bsf=$bsfs --enable-filter=$filters \
        --extra-cflags="-I$work/deps/include" \
        --extra-ldflags="-L$work/zlib -L$work/deps/lib -static-libgcc" >&2
    grep -q 'CONFIG_GPL 0' config.h && grep -q 'CONFIG_NONFREE 0' config.h
    log "building FFmpeg for $triple (about 10 minutes on two cores)"
    make -j"$jobs" >&2
    make install >&2
)
"$triple-strip" --strip-unneeded "$out"/bin/*.dll
mkdir -p "$out/share/licenses"
cp "$ffsrc/COPYING.LGPLv2.1" "$out/share/licenses/COPYING.LGPLv2.1"
cp "$davsrc/COPYING" "$out/share/licenses/dav1d-COPYING"
echo "FFmpeg $version (Debian source package), dav1d $(basename "$davsrc" | sed 's/^dav1d_//')" \
    > "$out/share/licenses/VERSION.txt"
rm -rf "$work"
touch "$out/.done"
echo "$out"
