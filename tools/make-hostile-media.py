#!/usr/bin/env python3
"""Damaged and hostile files for the engine's bad-input table, made from the
format table's movies: cut short, bytes overwritten all through, sample
sizes in the index claiming 2 GB each. Usage: make-hostile-media.py DIR"""
import os
import sys


def main() -> int:
    folder = sys.argv[1]

    def read(name):
        with open(os.path.join(folder, name), 'rb') as f:
            return bytearray(f.read())

    def write(name, data):
        with open(os.path.join(folder, 'hostile-' + name), 'wb') as f:
            f.write(data)

    write('cut-header.mkv', read('mkv-h264-flac.mkv')[:4000])
    write('cut-middle.ts', read('ts-mpeg2-mp2.ts')[:60000])
    for source in ('mkv-h264-flac.mkv', 'mp4-h264-aac.mp4', 'ts-mpeg2-mp2.ts', 'avi-mpeg4-mp3.avi',
                   'webm-vp9-opus.webm', 'asf-wmv2-wma.wmv'):
        data = read(source)
        for at in range(600, len(data), 61):
            data[at] ^= 0x5A
        write('overwritten-' + source, data)
    # Every sample of the MP4's tracks claims 2 GB: the demuxer must not
    # believe it with memory.
    data = read('mp4-h264-aac.mp4')
    at = data.find(b'stsz')
    while at >= 0:
        data[at + 8:at + 12] = (0x7FFFFFF0).to_bytes(4, 'big')
        at = data.find(b'stsz', at + 4)
    write('huge-samples.mp4', data)
    return 0


if __name__ == '__main__':
    sys.exit(main())
