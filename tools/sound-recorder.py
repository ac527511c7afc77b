#!/usr/bin/env python3
"""Records the test sink's monitor with little latency (parec, 5 ms) into
OUT.raw (16-bit stereo, 48 kHz) and, for every 10 ms block, the time it came
in, in ms of the raw monotonic clock, as a little-endian double in OUT.times.
Wine's QueryPerformanceCounter counts that same clock (not the plain
monotonic one, which NTP slews away from it), so the sound tests can place
what was heard against what they did and saw.
Usage: sound-recorder.py OUT   (runs until killed)"""
import struct
import subprocess
import sys
import time


def main() -> int:
    out = sys.argv[1]
    recorder = subprocess.Popen(['parec', '-d', 'cap.monitor', '--format=s16le', '--rate=48000', '--channels=2',
                                 '--latency-msec=5'], stdout=subprocess.PIPE)
    with open(out + '.raw', 'wb', buffering=0) as raw, open(out + '.times', 'wb', buffering=0) as times:
        while True:
            block = recorder.stdout.read(1920)
            if len(block) < 1920:
                return 0
            at = time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1000.0
            raw.write(block)
            times.write(struct.pack('<d', at))


if __name__ == '__main__':
    sys.exit(main())
