#!/usr/bin/env python3
"""Synthesizes the widget's chime clips and encodes them as MP3 with lame.

Writes data/sounds/JingleBells.mp3 (the chorus of the traditional Jingle Bells, played on
synthetic bells over a soft bass with sleigh-bell shakes), SleighBells.mp3 and Carillon.mp3.
Everything is made here from sine partials and seeded noise-free randomness; run it by hand
(python3 data/generators/make_sounds.py) and commit its outputs. Needs only python3 and lame.
"""

import array
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import wave

RATE = 44100
BITRATE_KBPS = 96
TARGET_RMS_DBFS = -16.0
PEAK_LIMIT_DBFS = -1.0

# Partials as (frequency ratio, amplitude, decay time constant in seconds).
# A struck metal bar: a clear fundamental with its octave, then the bar's inharmonic modes; a
# slightly detuned twin of the fundamental gives the slow shimmer of a real bell.
MELODY_BELL = [
    (1.0, 1.00, 1.10),
    (1.0027, 0.30, 1.10),
    (2.0, 0.40, 0.60),
    (2.76, 0.32, 0.40),
    (5.40, 0.14, 0.18),
    (8.93, 0.06, 0.09),
]
# A warm, short bell for the bass.
BASS_BELL = [
    (1.0, 1.00, 0.90),
    (2.0, 0.35, 0.50),
    (3.0, 0.12, 0.30),
    (4.2, 0.05, 0.15),
]
# A tower bell tuned to its strike note: hum, prime, minor-third tierce, quint, nominal and the
# upper partials that give a church bell its colour.
TOWER_BELL = [
    (0.5, 0.45, 3.20),
    (1.0, 0.60, 2.00),
    (1.2, 0.45, 1.60),
    (1.5, 0.20, 1.10),
    (2.0, 0.70, 1.30),
    (2.5, 0.22, 0.70),
    (3.0, 0.20, 0.50),
    (4.0, 0.10, 0.30),
]

NOTE_INDEX = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}


def frequency(note):
    """Equal-tempered frequency of a note name such as "E5" or "F#3" (A4 = 440 Hz)."""
    name, octave = note[:-1], int(note[-1])
    semitones = NOTE_INDEX[name[0]] + name.count("#") - name.count("b") + 12 * (octave - 4)
    return 440.0 * 2.0 ** (semitones / 12.0)


def strike(partials, base_hz, seconds, attack_s=0.003):
    """One strike of a bell: decaying partials with a short attack ramp against clicks."""
    count = int(seconds * RATE)
    samples = array.array("d", bytes(8 * count))
    attack = max(1, int(attack_s * RATE))
    for ratio, amplitude, decay in partials:
        hz = base_hz * ratio
        if hz >= RATE / 2:
            continue
        step = 2.0 * math.pi * hz / RATE
        damping = math.exp(-1.0 / (decay * RATE))
        level = amplitude
        for i in range(count):
            samples[i] += level * math.sin(step * i)
            level *= damping
    for i in range(min(attack, count)):
        samples[i] *= i / attack
    return samples


def jingle(rng, seconds=0.30, bells=7):
    """One shake of a string of sleigh bells: small high bells struck a few milliseconds apart."""
    count = int(seconds * RATE)
    samples = array.array("d", bytes(8 * count))
    for _ in range(bells):
        onset = int(rng.uniform(0.0, 0.035) * RATE)
        base = rng.uniform(2600.0, 4200.0)
        partials = [(1.0, 1.0, rng.uniform(0.05, 0.09)),
                    (1.51, 0.5, rng.uniform(0.03, 0.06)),
                    (2.17, 0.25, rng.uniform(0.02, 0.04))]
        ring = strike(partials, base, seconds - onset / RATE, attack_s=0.0005)
        for i, value in enumerate(ring):
            samples[onset + i] += value
    return samples


class Track:
    """A mono mix that grows as sounds are placed on it."""

    def __init__(self):
        self.samples = array.array("d")

    def place(self, sound, at_seconds, gain):
        start = int(at_seconds * RATE)
        end = start + len(sound)
        if end > len(self.samples):
            self.samples.frombytes(bytes(8 * (end - len(self.samples))))
        for i, value in enumerate(sound):
            self.samples[start + i] += gain * value

    def pad_to(self, seconds):
        count = int(seconds * RATE)
        if count > len(self.samples):
            self.samples.frombytes(bytes(8 * (count - len(self.samples))))


def normalised(samples):
    """Scaled to the target loudness (RMS), held under the peak limit, with a short fade-out."""
    rms = math.sqrt(sum(v * v for v in samples) / len(samples))
    peak = max(abs(v) for v in samples)
    gain = 10.0 ** (TARGET_RMS_DBFS / 20.0) / rms
    gain = min(gain, 10.0 ** (PEAK_LIMIT_DBFS / 20.0) / peak)
    out = array.array("d", (v * gain for v in samples))
    tail = int(0.05 * RATE)
    for i in range(tail):
        out[len(out) - 1 - i] *= i / tail
    return out


def write_wav(path, samples):
    pcm = array.array("h", (max(-32767, min(32767, round(v * 32767))) for v in samples))
    if sys.byteorder != "little":
        pcm.byteswap()
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(pcm.tobytes())


def encode_mp3(wav_path, mp3_path):
    subprocess.run(["lame", "--quiet", "--cbr", "-b", str(BITRATE_KBPS), "-m", "m",
                    "--noreplaygain", wav_path, mp3_path], check=True)


# The chorus in C major, one bar per line, as (note, beats).
CHORUS_OPENING = [
    [("E5", 1), ("E5", 1), ("E5", 2)],
    [("E5", 1), ("E5", 1), ("E5", 2)],
    [("E5", 1), ("G5", 1), ("C5", 1.5), ("D5", 0.5)],
    [("E5", 4)],
    [("F5", 1), ("F5", 1), ("F5", 1.5), ("F5", 0.5)],
    [("F5", 1), ("E5", 1), ("E5", 1), ("E5", 0.5), ("E5", 0.5)],
]
CHORUS = (CHORUS_OPENING
          + [[("E5", 1), ("D5", 1), ("D5", 1), ("E5", 1)], [("D5", 2), ("G5", 2)]]
          + CHORUS_OPENING
          + [[("G5", 1), ("G5", 1), ("F5", 1), ("D5", 1)], [("C5", 4)]])
# Root and fifth of each bar's chord for the bass, struck on beats one and three.
CHORUS_BASS = ["C", "C", "C", "C", "F", "C", "D", "G", "C", "C", "C", "C", "F", "C", "G", "C"]
BASS_NOTES = {"C": ("C3", "G3"), "F": ("F3", "C4"), "D": ("D3", "A3"), "G": ("G2", "D3")}
BEAT_S = 0.25


def jingle_bells(rng):
    track = Track()
    bells = {}
    shakes = [jingle(rng) for _ in range(4)]
    lead_in = 0.01
    for bar_number, bar in enumerate(CHORUS):
        bar_start = lead_in + bar_number * 4 * BEAT_S
        beat = 0.0
        for note, beats in bar:
            if note not in bells:
                bells[note] = strike(MELODY_BELL, frequency(note), 2.6)
            # Notes held longer ring a little louder, as a player would strike them.
            track.place(bells[note], bar_start + beat * BEAT_S, 0.55 + 0.05 * min(beats, 2))
            beat += beats
        root, fifth = BASS_NOTES[CHORUS_BASS[bar_number]]
        for note, at_beat in ((root, 0), (fifth, 2)):
            if note not in bells:
                bells[note] = strike(BASS_BELL, frequency(note), 1.6)
            track.place(bells[note], bar_start + at_beat * BEAT_S, 0.28)
        for at_beat in (1, 3):
            track.place(shakes[(bar_number + at_beat) % len(shakes)],
                        bar_start + at_beat * BEAT_S, 0.10)
    track.pad_to(lead_in + len(CHORUS) * 4 * BEAT_S + 1.4)
    return track.samples


def sleigh_bells(rng):
    track = Track()
    # Shakes in a trotting rhythm, louder on the beat, ending in one long shake.
    pattern = [0.0, 0.18, 0.30, 0.48, 0.60, 0.78, 0.90, 1.08, 1.20, 1.38, 1.50, 1.68, 1.80]
    for index, at in enumerate(pattern):
        track.place(jingle(rng), 0.01 + at, 0.9 if index % 2 == 0 else 0.6)
    for k in range(6):
        track.place(jingle(rng, seconds=0.5, bells=9), 2.0 + k * 0.035, 0.5)
    track.pad_to(3.0)
    return track.samples


def carillon(rng):
    del rng  # the peal needs no randomness
    track = Track()
    for index, note in enumerate(["C5", "G4", "E4", "C4"]):
        track.place(strike(TOWER_BELL, frequency(note), 3.6, attack_s=0.002), 0.01 + 0.45 * index,
                    0.7)
    for note in ["C4", "G4", "C5"]:
        track.place(strike(TOWER_BELL, frequency(note), 3.6, attack_s=0.002), 2.0, 0.45)
    track.pad_to(4.5)
    return track.samples


CLIPS = {"JingleBells": jingle_bells, "SleighBells": sleigh_bells, "Carillon": carillon}


def main():
    if shutil.which("lame") is None:
        sys.exit("lame is needed to encode the clips (apt-get install lame)")
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sounds")
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for seed, (name, make) in enumerate(sorted(CLIPS.items())):
            samples = normalised(make(random.Random(1000 + seed)))
            wav_path = os.path.join(work, name + ".wav")
            write_wav(wav_path, samples)
            encode_mp3(wav_path, os.path.join(out_dir, name + ".mp3"))
            print(f"{name}.mp3: {len(samples) / RATE:.2f} s")


if __name__ == "__main__":
    main()
