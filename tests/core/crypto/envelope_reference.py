#!/usr/bin/python3
"""Independent reader and writer of the enciphered source forms, written from
docs/design.md ("Source forms") with hashlib and python3-cryptography.

  envelope_reference.py open  IN OUT (--key TEXT | --program-key HEX)
  envelope_reference.py seal  IN OUT (--key TEXT | --program-key HEX) [--zip] [--iterations N] [--salt HEX]

"open" exits 1 (and writes nothing) for a refused file; it prints the flags
byte in decimal.
"""
import argparse
import hashlib
import hmac
import os
import struct
import sys

from cryptography.hazmat.primitives.ciphers import Cipher, algorithms

MAGIC = b"DVKE"
HEADER = 36
TAG = 32


def keys(secret, salt, iterations):
    k = hashlib.pbkdf2_hmac("sha256", secret, salt, iterations, 32)
    return hmac.new(k, b"DVKE enc", hashlib.sha256).digest(), hmac.new(k, b"DVKE mac", hashlib.sha256).digest()


def chacha(key, data):
    # The library takes a 16-byte nonce: 32-bit block counter 0, then the
    # 96-bit nonce (zero), both little-endian.
    c = Cipher(algorithms.ChaCha20(key, b"\0" * 16), mode=None).encryptor()
    return c.update(data) + c.finalize()


def open_envelope(data, secret):
    if len(data) < HEADER + TAG or data[:4] != MAGIC:
        raise ValueError("not an envelope")
    version, flags, r0, r1 = data[4], data[5], data[6], data[7]
    if version != 1 or flags & ~3 or r0 or r1:
        raise ValueError("bad header")
    (iterations,) = struct.unpack_from("<I", data, 8)
    salt = data[12:28]
    (length,) = struct.unpack_from("<Q", data, 28)
    if iterations == 0 or iterations > 10_000_000:
        raise ValueError("bad count")
    if length != len(data) - HEADER - TAG:
        raise ValueError("bad length")
    enc, mac = keys(secret, salt, iterations)
    want = hmac.new(mac, data[: HEADER + length], hashlib.sha256).digest()
    if not hmac.compare_digest(want, data[HEADER + length :]):
        raise ValueError("wrong key or damaged")
    return flags, chacha(enc, data[HEADER : HEADER + length])


def seal_envelope(plain, secret, flags, iterations, salt):
    enc, mac = keys(secret, salt, iterations)
    head = MAGIC + bytes([1, flags, 0, 0]) + struct.pack("<I", iterations) + salt + struct.pack("<Q", len(plain))
    body = head + chacha(enc, plain)
    return body + hmac.new(mac, body, hashlib.sha256).digest()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("op", choices=["open", "seal"])
    ap.add_argument("src")
    ap.add_argument("dst")
    ap.add_argument("--key")
    ap.add_argument("--program-key")
    ap.add_argument("--zip", action="store_true")
    ap.add_argument("--iterations", type=int)
    ap.add_argument("--salt")
    a = ap.parse_args()
    program = a.program_key is not None
    secret = bytes.fromhex(a.program_key) if program else a.key.encode("cp932")
    data = open(a.src, "rb").read()
    if a.op == "open":
        try:
            flags, plain = open_envelope(data, secret)
        except ValueError as e:
            print(e, file=sys.stderr)
            return 1
        open(a.dst, "wb").write(plain)
        print(flags)
        return 0
    flags = (1 if a.zip else 0) | (2 if program else 0)
    iterations = a.iterations or (1 if program else 100000)
    salt = bytes.fromhex(a.salt) if a.salt else os.urandom(16)
    open(a.dst, "wb").write(seal_envelope(data, secret, flags, iterations, salt))
    return 0


if __name__ == "__main__":
    sys.exit(main())
