#!/usr/bin/env python3
"""Wraps a StrCompress result into an LHA archive that ordinary LHA tools extract.

usage: lh5-to-lzh.py [--text] INPUT OUTPUT.lzh [NAME]

INPUT holds the compressed string: with --text the printable form
(StrCompress with boCrypt true), else its bytes (the raw form saved in the
system code page). The result is a level-0 archive with one member NAME
(default "data") of method -lh5-; `lha x OUTPUT.lzh` unpacks it. The member's
CRC field is 0, as the compressed string carries no checksum of its own.
"""
import struct
import sys

ALPHABET = "QWERTYUPASDFGHJKLZXCVBNMqwertyuipasdfghjkzxcvbnm23456789!$()=?/:"


def decode_text(text):
    index = {c: i for i, c in enumerate(ALPHABET)}
    out = bytearray()
    k = h = 0
    for ch in text:
        if ch == ".":
            break
        v = index.get(ch, 128)
        if k == 0:
            h = v
        else:
            out.append((((h << (2 * k)) & 0xC0) | v) & 0xFF)
        k = (k + 1) % 4
    return bytes(out)


def main(argv):
    text = "--text" in argv
    args = [a for a in argv if a != "--text"]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    raw = open(args[0], "rb").read()
    data = decode_text(raw.decode("latin-1").strip()) if text else raw
    if len(data) < 4:
        print("not a compressed string: fewer than 4 bytes", file=sys.stderr)
        return 1
    size = struct.unpack_from("<I", data)[0]
    body = data[4:]
    name = (args[2] if len(args) > 2 else "data").encode("latin-1")
    header = b"-lh5-" + struct.pack("<IIIBB", len(body), size, 0x21000000, 0x20, 0)
    header += bytes([len(name)]) + name + struct.pack("<H", 0)
    with open(args[1], "wb") as f:
        f.write(bytes([len(header), sum(header) & 0xFF]) + header + body + b"\0")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
