#!/usr/bin/env python3
"""Writes small seed inputs for each fuzz target into a folder of its own under fuzz/corpus.

Every seed is a small, well-formed (or deliberately damaged) record of the
shape the parser meets: version resources of both forms, device modes of the
full and of shorter sizes, zone records, registry value data, environment
blocks, texts with every kind of line end, compressed texts and the answers
of NetBIOS requests.

Usage: fuzz/make-corpus.py [folder of compressed streams]
The compressed-text seeds are made from the streams in that folder (the
seeds fuzz/run-lh5-fuzz.sh writes into OUTDIR/seeds) and from
tests/text/fixtures/*.lh5.
"""
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- version resource

def pad(b):
    return b + b"\0" * (-len(b) % 4)


def block(wide, key, value=b"", children=(), text=True, value_length=None, length_delta=0):
    """One block; text values are given as 8-bit and widened in the 32-bit form."""
    head = b"\0" * (6 if wide else 4)
    body = pad(head + (key.encode("utf-16-le") + b"\0\0" if wide
                       else key.encode("latin-1") + b"\0"))
    if wide:
        body = body[:4] + struct.pack("<H", 1 if text else 0) + body[6:]
    vlen = 0
    if value:
        if text:
            body += value.decode("latin-1").encode("utf-16-le") + b"\0\0" if wide else value + b"\0"
            vlen = len(value) + 1
        else:
            body += value
            vlen = len(value)
    if value_length is not None:
        vlen = value_length
    for c in children:
        body = pad(body) + c
    return struct.pack("<HH", len(body) + length_delta, vlen) + body[4:]


def fixed(ms, ls):
    return struct.pack("<13I", 0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 4, 2, 0, 0, 0)


def resource(wide, tables=None, binary=True, translations=(0x04B00409,), fixed_info=True, damage=None):
    if tables is None:
        tables = {"040904B0": [("CompanyName", b"Example Ltd"), ("FileDescription", b"Sample program"),
                               ("FileVersion", b"1.2.3.4"), ("ProductName", b"Sample")]}
    string_tables = []
    for tid, entries in tables.items():
        kids = [block(wide, k, v) for k, v in entries]
        if wide and binary:
            kids.append(block(wide, "Flags", b"\x34\x12", text=False))
        string_tables.append(block(wide, tid, children=kids))
    sections = [block(wide, "StringFileInfo", children=string_tables)]
    if translations is not None:
        trans = block(wide, "Translation", struct.pack("<%dI" % len(translations), *translations), text=False)
        sections.append(block(wide, "VarFileInfo", children=[trans]))
    value = fixed(0x00010002, 0x00030004) if fixed_info else b""
    root = block(wide, "VS_VERSION_INFO", value, sections, text=False)
    if damage:
        root = damage(root)
    return root


def version_resource():
    t = "version_resource"
    for wide in (True, False):
        form = "wide" if wide else "narrow"
        write(t, form + "-full", resource(wide))
        write(t, form + "-root-only", block(wide, "VS_VERSION_INFO", fixed(0x00050001, 0x0A280000), text=False))
        write(t, form + "-no-fixed", resource(wide, fixed_info=False))
        write(t, form + "-two-tables", resource(wide, tables={
            "040704B0": [("CompanyName", b"Firma GmbH"), ("Comments", b"deutsch")],
            "040904E4": [("CompanyName", b"Company Inc"), ("LegalCopyright", b"(c) 2026"), ("Empty", b"")]},
            translations=(0x04B00407, 0x04E40409)))
        # Cut inside the string table, the root's length made to fit: what came before is kept.
        write(t, form + "-cut-in-table", struct.pack("<H", 150) + resource(wide)[2:150])
        write(t, form + "-length-past-end", resource(wide, damage=lambda r: struct.pack("<H", len(r) + 40) + r[2:]))
        write(t, form + "-bad-table-id", resource(wide, tables={"0409": [("ProductName", b"X")], "zz09y4b0": [("A", b"B")]}))
    # A text whose length is given in bytes rather than characters, and one past its block.
    entry = block(True, "ProductVersion", b"2.0", value_length=8)
    table = block(True, "040904B0", children=[entry, block(True, "Comments", b"long text", value_length=300)])
    write(t, "wide-text-lengths", block(True, "VS_VERSION_INFO", fixed(1, 2),
                                        [block(True, "StringFileInfo", children=[table])], text=False))
    # A block that ends right after its key, and a key without its terminator.
    write(t, "wide-key-only", block(True, "VS_VERSION_INFO", b"", [block(True, "VarFileInfo")], text=False))
    write(t, "narrow-unterminated-key", struct.pack("<HH", 20, 0) + b"VS_VERSION_INFO_XXXX")


# ---------------------------------------------------------------- device mode

def devmode(size=156, extra=b"", name=b"Office Printer", paper=9, orientation=1, fields=0x0000FF03, form=b"A4"):
    b = bytearray(156)
    b[0:len(name)] = name
    struct.pack_into("<HHHHI", b, 32, 0x0401, 0x0600, size, len(extra), fields)
    struct.pack_into("<hhhhhhhhhhhhh", b, 44, orientation, paper, 2970, 2100, 100, 1, 7, -4, 2, 1, 600, 1, 1)
    b[70:70 + len(form)] = form
    struct.pack_into("<HIIIIIIIIIIIII", b, 102, 96, 24, 1920, 1080, 0, 60, 2, 2, 0, 3, 0, 0, 0, 0)
    return bytes(b) + extra


def devmode_corpus():
    t = "devmode"
    write(t, "full", devmode())
    write(t, "full-driver-extra", devmode(extra=b"\x55" * 64))
    write(t, "letter-landscape", devmode(paper=1, orientation=2, form=b"Letter"))
    write(t, "user-paper", devmode(paper=256))
    write(t, "size-124", devmode(size=124)[:124])
    write(t, "size-148-stored-full", devmode(size=148))
    write(t, "size-larger-than-stored", devmode(size=220)[:100])
    write(t, "size-zero", devmode(size=0))
    write(t, "size-field-only", devmode()[:38])
    write(t, "name-fills-field", devmode(name=b"N" * 32, form=b"F" * 32))
    write(t, "short", devmode()[:20])


# ---------------------------------------------------------------- time-zone record

def systemtime(year=0, month=0, dow=0, day=0, hour=0, minute=0, second=0, ms=0):
    return struct.pack("<8H", year, month, dow, day, hour, minute, second, ms)


def tzi(bias, std_bias, dlt_bias, std_date, dlt_date):
    return struct.pack("<iii", bias, std_bias, dlt_bias) + std_date + dlt_date


def tz_input(flags, year, record, std, dlt, display):
    return bytes([flags]) + struct.pack("<H", (year - 1601) % 29227) + bytes([len(record)]) + record + \
        std + b"|" + dlt + b"|" + display


def timezone():
    t = "timezone"
    berlin = tzi(-60, 0, -60, systemtime(month=10, dow=0, day=5, hour=3), systemtime(month=3, dow=0, day=5, hour=2))
    write(t, "berlin-nt", tz_input(1, 2026, berlin, b"W. Europe Standard Time\0", b"W. Europe Daylight Time\0",
                                   b"(UTC+01:00) Amsterdam, Berlin\0"))
    write(t, "berlin-9x", tz_input(0, 2024, berlin, b"W. Europe Standard Time\0", b"W. Europe Daylight Time\0",
                                   b"(GMT+01:00) Berlin\0"))
    kolkata = tzi(-330, 0, 0, systemtime(), systemtime())
    write(t, "kolkata-no-dst", tz_input(1, 2026, kolkata, b"India Standard Time\0", b"India Daylight Time\0", b"Kolkata\0"))
    us = tzi(300, 0, -60, systemtime(month=11, dow=0, day=1, hour=2), systemtime(month=3, dow=0, day=2, hour=2))
    write(t, "eastern-second-week", tz_input(3, 2000, us, b"Eastern Standard Time\0", b"Eastern Daylight Time\0", b"Eastern\0"))
    absolute = tzi(-120, 0, -60, systemtime(2026, 10, 0, 25, 4, 30, 15, 500), systemtime(2026, 2, 0, 29, 2))
    write(t, "absolute-dates", tz_input(1, 2026, absolute, b"Abs\0", b"Abs DST\0", b"Absolute\0"))
    odd = tzi(-570, 1, -60, systemtime(month=13, dow=7, day=6, hour=24), systemtime(month=4, dow=6, day=0, minute=60))
    write(t, "fields-out-of-range", tz_input(1, 2026, odd, b"Odd\0", b"Odd DST\0", b"Odd\0"))
    extreme = tzi(-2 ** 31, 2 ** 31 - 1, -2 ** 31, systemtime(month=1, day=1), systemtime(month=12, dow=6, day=5))
    write(t, "extreme-biases", tz_input(17, 30827, extreme, b"E\0", b"E\0", b"E\0"))
    write(t, "short-record", tz_input(1, 2026, berlin[:43], b"Short\0", b"Short\0", b"Short\0"))
    write(t, "long-record", tz_input(1, 2026, berlin + b"\0", b"Long\0", b"Long\0", b"Long\0"))
    write(t, "long-names", tz_input(9, 2026, berlin, b"N" * 40, b"D" * 40 + b"\0tail", b"no terminator"))
    write(t, "string-typed-record", tz_input(5, 2026, berlin, b"W. Europe Standard Time\0", b"x\0", b"y\0"))


# ---------------------------------------------------------------- registry value data

# Type selector: 0 none, 1 string, 2 expand string, 3 binary, 4 dword, 5 big-endian dword, 6 multi-string, 7 qword.
def regval(selector, data, limit=255):
    return bytes([selector, limit]) + data


def registry_values():
    t = "registry_values"
    write(t, "multi-two-lines", regval(6, b"First line\0Second line\0\0"))
    write(t, "multi-one-line", regval(6, b"Only line\0\0"))
    write(t, "multi-no-terminator", regval(6, b"First\0Second"))
    write(t, "multi-one-zero", regval(6, b"Alone\0"))
    write(t, "multi-empty", regval(6, b"\0\0"))
    write(t, "multi-hardware-id", regval(6, b"PCI\\VEN_8086&DEV_100E\0PCI\\VEN_8086\0\0"))
    write(t, "string-bios", regval(1, b"Video BIOS 1.02\0"))
    write(t, "string-no-terminator", regval(2, b"%SystemRoot%\\system32"))
    write(t, "binary-bios", regval(3, b"VGA BIOS v2.0\0garbage after the zero"))
    write(t, "binary-long", regval(3, bytes(range(1, 256)) * 2))
    write(t, "binary-utf16-chip", regval(3, "S3 Trio64 V2".encode("utf-16-le") + b"\0\0", 255))
    write(t, "binary-utf16-cut", regval(3, "Integrated RAMDAC".encode("utf-16-le"), 11))
    write(t, "binary-memory", regval(3, struct.pack("<I", 4 << 20)))
    write(t, "dword-memory", regval(4, struct.pack("<I", 8 << 20)))
    write(t, "dword-short", regval(4, b"\x01\x02"))
    write(t, "dword-long", regval(4, b"\x01\x02\x03\x04\x05"))
    write(t, "installed-version-8", regval(3, struct.pack(">II", 4, 9)))
    write(t, "installed-version-4", regval(0, struct.pack(">I", 7)))
    write(t, "installed-version-short", regval(3, b"\0\0\x04"))
    write(t, "qword", regval(7, struct.pack("<Q", 2 ** 40 + 5)))
    write(t, "empty-binary", regval(3, b""))


# ---------------------------------------------------------------- environment block, device names, drive strings

def blocks(limit, version, data):
    return struct.pack("<HI", limit, version) + data


def machine_blocks():
    t = "machine_blocks"
    env = b"ALLUSERSPROFILE=C:\\ProgramData\0COMPUTERNAME=HOST\0Path=C:\\Windows;C:\\Windows\\system32\0\0"
    write(t, "environment", blocks(4096, 0x0105, env))
    write(t, "environment-hidden-drive", blocks(4096, 0, b"=C:=C:\\\0=ExitCode=00000000\0TEMP=C:\\Temp\0\0"))
    write(t, "environment-unterminated", blocks(4096, 0, b"A=1\0B=2"))
    write(t, "environment-at-limit", blocks(12, 0, b"A=1\0LONGER=entry\0\0"))
    write(t, "environment-empty", blocks(4096, 0, b"\0"))
    write(t, "device-name-short", blocks(0, 0x0A05, b"Speakers (HD Audio)\0" + b"\xcc" * 12))
    write(t, "device-name-fills-field", blocks(0, 0xFFFF, b"M" * 32 + b"past the field\0"))
    write(t, "drive-strings", blocks(4096, 0, b"A:\\\0C:\\\0d:\\\0Z:\\\0\0"))


# ---------------------------------------------------------------- string list text

def stringlist():
    t = "stringlist"
    write(t, "crlf", b"first\r\nsecond\r\nthird\r\n")
    write(t, "lf-no-last-end", b"alpha\nbeta\ngamma")
    write(t, "cr-only", b"one\rtwo\rthree\r")
    write(t, "mixed-and-empty", b"a\r\n\r\nb\n\rc\r\r\nd\n\n")
    write(t, "name-values", b"Name=Value\r\nname=other\r\nKey=\r\n=no name\r\nplain\r\nK=V=W\r\n")
    write(t, "sort-order", b"banana\r\nApple\r\ncherry\r\napple\r\n\xe4pfel\r\nZebra\r\n10\r\n9\r\n")
    write(t, "bytes", bytes(range(256)))


# ---------------------------------------------------------------- compressed texts

ALPHABET = b"QWERTYUPASDFGHJKLZXCVBNMqwertyuipasdfghjkzxcvbnm23456789!$()=?/:"


def basecrypt(data):
    out = bytearray()
    for at in range(0, len(data), 3):
        group = data[at:at + 3]
        header = 0
        for k, byte in enumerate(group):
            header |= (byte & 0xC0) >> (2 * (k + 1))
        out.append(ALPHABET[header])
        out.extend(ALPHABET[byte & 0x3F] for byte in group)
    return bytes(out) + b"."


def compress_text(stream_folder):
    t = "compress_text"
    folders = [os.path.join(ROOT, "tests", "text", "fixtures")]
    if stream_folder:
        folders.insert(0, stream_folder)
    streams = []
    for folder in folders:
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                data = f.read()
            # Only the streams, small ones, and not the printable copies of them.
            if name.endswith(".in") or name.endswith(".sh") or len(data) > 1500 or data.endswith(b"."):
                continue
            streams.append((os.path.splitext(name)[0], data))
    for name, data in streams[:10]:
        write(t, name + "-printable", bytes([1]) + basecrypt(data))
        write(t, name + "-raw", bytes([0]) + data)
        write(t, name + "-raw-utf16", bytes([4]) + b"".join(bytes([c, 0]) for c in data))
    write(t, "printable-outside-alphabet", bytes([1]) + b"QW\xe4ER TY*U.after the stop")
    write(t, "raw-multibyte-wide-char", bytes([6]) + "\u4e00\u4e00\u4e00\u4e00\u4e00".encode("utf-16-le"))


# ---------------------------------------------------------------- NetBIOS buffers

def ok(buffer=None):
    """A successful answer; with the bytes the call writes into the request's buffer."""
    return b"\0" if buffer is None else b"\0" + struct.pack("<H", len(buffer)) + buffer


def failed(code, buffer=None):
    return bytes([1, code]) + (b"" if buffer is None else struct.pack("<H", len(buffer)) + buffer)


def netbios():
    t = "netbios"
    mac1, mac2 = bytes.fromhex("00a0c9123456"), bytes.fromhex("525400abcdef")
    write(t, "two-adapters", ok(bytes([2, 0, 3])) + ok() + ok(mac1 + b"\0" * 54) + ok() + ok(mac2))
    write(t, "same-address-twice", ok(bytes([2, 0, 1])) + ok() + ok(mac1) + ok() + ok(mac1))
    write(t, "reset-fails", ok(bytes([2, 5, 6])) + failed(0x23) + ok() + ok(mac2))
    write(t, "status-fails", ok(bytes([1, 0])) + ok() + failed(0x34, b""))
    write(t, "status-short", ok(bytes([1, 0])) + ok() + ok(mac1[:3]))
    write(t, "count-past-buffer", ok(bytes([200, 0, 1, 2])) + (ok() + ok(mac1)) * 3)
    write(t, "enum-fails", failed(0x40, bytes([1, 0])))
    write(t, "enum-empty", ok(b""))


def main():
    version_resource()
    devmode_corpus()
    timezone()
    registry_values()
    machine_blocks()
    stringlist()
    compress_text(sys.argv[1] if len(sys.argv) > 1 else None)
    netbios()


if __name__ == "__main__":
    main()
