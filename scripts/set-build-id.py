#!/usr/bin/env python3
"""Rewrites the GNU build-id of stripped ELF files from their own bytes.

The linker hashes the whole output, debug information included, and that
names the build folder: two builds of one commit in different folders get
different ids although the shipped, stripped code is the same. This sets the
id to the first bytes of the SHA-1 of the file with the id zeroed, so it
still identifies the code and no longer the folder.

    set-build-id.py FILE...
"""
import hashlib
import struct
import sys


def build_id_range(data):
    if data[:4] != b"\x7fELF" or data[4] != 2 or data[5] != 1:
        raise ValueError("not a little-endian 64-bit ELF file")
    shoff, = struct.unpack_from("<Q", data, 0x28)
    shentsize, shnum, shstrndx = struct.unpack_from("<HHH", data, 0x3A)
    def section(i):
        return struct.unpack_from("<IIQQQQIIQQ", data, shoff + i * shentsize)
    names_offset = section(shstrndx)[4]
    for i in range(shnum):
        name, kind, _, _, offset, size = section(i)[:6]
        end = data.index(b"\0", names_offset + name)
        if data[names_offset + name:end] == b".note.gnu.build-id":
            namesz, descsz, note_type = struct.unpack_from("<III", data, offset)
            desc = offset + 12 + ((namesz + 3) & ~3)
            if note_type != 3 or desc + descsz > offset + size:
                raise ValueError("malformed build-id note")
            return desc, descsz
    raise ValueError("no .note.gnu.build-id section")


def main(paths):
    for path in paths:
        data = bytearray(open(path, "rb").read())
        start, size = build_id_range(data)
        data[start:start + size] = bytes(size)
        digest = hashlib.sha1(data).digest()
        data[start:start + size] = (digest * (size // len(digest) + 1))[:size]
        with open(path, "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
