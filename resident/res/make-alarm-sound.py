#!/usr/bin/env python3
"""Writes alarm.wav, the resident program's own alarm sound: a two-tone siren of 0.8 s
(8-bit mono, 11025 Hz) that loops without a click, as PlaySound plays it in a loop."""
import math
import struct
import sys
import wave

RATE = 11025
HALF = RATE * 2 // 5  # 0.4 s per tone


def tone(frequency, count):
    # A whole number of periods per half, so that each half ends where it started.
    periods = round(frequency * count / RATE)
    step = 2 * math.pi * periods / count
    return bytes(128 + int(100 * math.sin(step * i)) for i in range(count))


def main(path):
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(tone(960, HALF) + tone(720, HALF))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "alarm.wav")
