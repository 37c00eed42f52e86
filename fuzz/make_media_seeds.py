#!/usr/bin/env python3
"""Seeds of the media information fuzz target, written to the folder given:
a WAV header, an MP3 with ID3v2.3 frames (one UTF-16) and an ID3v1 tail, a
Windows Media header with its three text objects, and a MIDI file with text
events. The first byte of each seed chooses the form the target reads."""
import hashlib
import os
import struct
import sys

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def save(b):
    with open(os.path.join(out, hashlib.sha1(b).hexdigest()), "wb") as f:
        f.write(b)


wav = (b"RIFF" + struct.pack("<I", 36 + 400) + b"WAVEfmt " +
       struct.pack("<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" + struct.pack("<I", 400) + b"\0" * 64)
save(b"\x01" + wav)


def frame(i, d):
    return i + struct.pack(">IH", len(d), 0) + d


id3 = (b"ID3\x03" + b"\0" * 6 + frame(b"TIT2", b"\0Title") +
       frame(b"TPE1", b"\x01\xff\xfe" + "日本".encode("utf-16-le")))
tag = (b"TAG" + b"Tail".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"Album".ljust(30, b"\0") + b"2024" +
       b"\0" * 30 + b"\x0c")
save(b"\x02" + id3 + b"\x55" * 300 + tag)


def obj(guid, body):
    return bytes.fromhex(guid) + struct.pack("<Q", 24 + len(body)) + body


def u16(s):
    return s.encode("utf-16-le")


def desc(name, t, val):
    n = u16(name) + b"\0\0"
    return struct.pack("<H", len(n)) + n + struct.pack("<HH", t, len(val)) + val


cd = struct.pack("<5H", 10, 0, 0, 0, 0) + u16("Song") + b"\0\0"
ext = (struct.pack("<H", 2) + desc("WM/TrackNumber", 3, struct.pack("<I", 7)) +
       desc("WM/EncodingTime", 4, struct.pack("<Q", 132593079670000000)))
cl = b"\0" * 16 + struct.pack("<I", 1) + u16("Codec")
objs = (obj("3326B2758E66CF11A6D900AA0062CE6C", cd) + obj("40A4D0D207E3D21197F000A0C95EA850", ext) +
        obj("4052D1861D31D011A3A400A0C90348F6", cl))
hdr = bytes.fromhex("3026B2758E66CF11A6D900AA0062CE6C") + struct.pack("<Q", 30 + len(objs)) + struct.pack("<I", 3) + b"\x01\x02" + objs
save(b"\x03" + hdr)

trk = b"\0\xff\x03\x05Piano\0\xff\x01\x05hello\0\xff\x2f\0"
mid = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 96) + b"MTrk" + struct.pack(">I", len(trk)) + trk
save(b"\x00" + mid)
