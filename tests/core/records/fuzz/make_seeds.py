#!/usr/bin/env python3
"""Writes fuzz seeds: each record of an event-log file (.evt, UTF-16 texts) as the 8-bit record
that the ANSI reading call delivers (texts in code page 936), one file per record, plus blocks
of consecutive records."""
import os
import struct
import sys


def utf16_at(buf, pos):
    end = pos
    while buf[end:end + 2] != b"\0\0":
        end += 2
    return buf[pos:end].decode("utf-16-le"), end + 2


def records(log):
    pos = 48
    while pos + 56 <= len(log):
        length, sig = struct.unpack_from("<II", log, pos)
        if sig != 0x654C664C or length < 56 or pos + length > len(log):
            break
        if struct.unpack_from("<I", log, pos + length - 4)[0] != length:
            break
        yield log[pos:pos + length]
        pos += length


def to_ansi(rec):
    (_, _, number, tgen, twri, eid, etype, nstr, cat, flags, closing, stroff, sidlen, sidoff,
     datalen, dataoff) = struct.unpack_from("<IIIIIIHHHHIIIIII", rec, 0)
    source, p = utf16_at(rec, 56)
    computer, _ = utf16_at(rec, p)
    strings, p = [], stroff
    for _ in range(nstr):
        s, p = utf16_at(rec, p)
        strings.append(s)
    enc = lambda s: s.encode("gbk", "replace") + b"\0"
    body = enc(source) + enc(computer)
    body += b"\0" * (-(56 + len(body)) % 4)
    new_sidoff = 56 + len(body)
    body += rec[sidoff:sidoff + sidlen]
    new_stroff = 56 + len(body)
    for s in strings:
        body += enc(s)
    new_dataoff = 56 + len(body)
    body += rec[dataoff:dataoff + datalen]
    body += b"\0" * (-(56 + len(body)) % 4)
    length = 56 + len(body) + 4
    head = struct.pack("<IIIIIIHHHHIIIIII", length, 0x654C664C, number, tgen, twri, eid, etype,
                       nstr, cat, flags, closing, new_stroff, sidlen, new_sidoff, datalen,
                       new_dataoff)
    return head + body + struct.pack("<I", length)


def main():
    log = open(sys.argv[1], "rb").read()
    out = sys.argv[2]
    ansi = [to_ansi(r) for r in records(log)]
    for i, r in enumerate(ansi):
        open(os.path.join(out, "record-%03d" % i), "wb").write(r)
    for i in range(0, len(ansi), 8):
        open(os.path.join(out, "block-%03d" % i), "wb").write(b"".join(ansi[i:i + 8]))
    print("make_seeds: %d records" % len(ansi))


main()
