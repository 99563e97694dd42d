"""A small zip writer and editor for the data-package fixtures.

Writes stored and deflated entries with traditional (PKWARE) encryption,
deterministically: the 11 random bytes of each encryption header are fixed,
so a wrong password always fails the check byte the same way. Also reads a
zip's directory and edits WinZip AES entries (vendor version, CRC) in place.
"""

import struct
import zlib

_CRC_TABLE = []
for _n in range(256):
    _c = _n
    for _ in range(8):
        _c = (0xEDB88320 ^ (_c >> 1)) if _c & 1 else (_c >> 1)
    _CRC_TABLE.append(_c)

# Fixed "random" header bytes: the same package every time.
HEADER_FILL = bytes([0x5A, 0x13, 0xC7, 0x88, 0x21, 0x9E, 0x04, 0x6B, 0xF0, 0x3D, 0xA2])

# 2026-01-02 03:04:06 in DOS form.
DOS_TIME = (3 << 11) | (4 << 5) | (6 // 2)
DOS_DATE = ((2026 - 1980) << 9) | (1 << 5) | 2


def _crc_byte(crc, b):
    return _CRC_TABLE[(crc ^ b) & 0xFF] ^ (crc >> 8)


class _Keys:
    """The traditional encryption's three keys."""

    def __init__(self, password):
        self.k = [0x12345678, 0x23456789, 0x34567890]
        for b in password:
            self.update(b)

    def update(self, b):
        k0, k1, k2 = self.k
        k0 = _crc_byte(k0, b)
        k1 = ((k1 + (k0 & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        k2 = _crc_byte(k2, k1 >> 24)
        self.k = [k0, k1, k2]

    def stream_byte(self):
        t = (self.k[2] | 2) & 0xFFFF
        return ((t * (t ^ 1)) >> 8) & 0xFF

    def encrypt(self, data):
        out = bytearray()
        for b in data:
            out.append(b ^ self.stream_byte())
            self.update(b)
        return bytes(out)


def traditional_zip(entries, password):
    """entries: list of (name, data, deflate). Flag bit 3 stays clear, so the
    check byte is the CRC's high byte."""
    pw = password.encode("utf-8")
    local = bytearray()
    central = bytearray()
    for name, data, deflate in entries:
        raw_name = name.encode("utf-8")
        is_dir = name.endswith("/")
        crc = zlib.crc32(data) & 0xFFFFFFFF
        if deflate and not is_dir:
            comp = zlib.compressobj(9, zlib.DEFLATED, -15)
            payload = comp.compress(data) + comp.flush()
            method = 8
        else:
            payload = data
            method = 0
        flags = 0
        if not is_dir and pw:
            keys = _Keys(pw)
            header = keys.encrypt(HEADER_FILL + bytes([crc >> 24]))
            payload = header + keys.encrypt(payload)
            flags = 1
        offset = len(local)
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, DOS_TIME, DOS_DATE, crc,
                             len(payload), len(data), len(raw_name), 0)
        local += raw_name + payload
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, method, DOS_TIME, DOS_DATE,
                               crc, len(payload), len(data), len(raw_name), 0, 0, 0, 0,
                               0x10 if is_dir else 0, offset)
        central += raw_name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), len(local), 0)
    return bytes(local + central + end)


class Entry:
    """One central-directory record and where its pieces sit in the file."""

    def __init__(self, data, at):
        (self.flags, self.method, self.crc, self.csize, self.usize, nlen, elen, clen,
         self.local_offset) = (
            struct.unpack_from("<H", data, at + 8)[0], struct.unpack_from("<H", data, at + 10)[0],
            struct.unpack_from("<I", data, at + 16)[0], struct.unpack_from("<I", data, at + 20)[0],
            struct.unpack_from("<I", data, at + 24)[0], struct.unpack_from("<H", data, at + 28)[0],
            struct.unpack_from("<H", data, at + 30)[0], struct.unpack_from("<H", data, at + 32)[0],
            struct.unpack_from("<I", data, at + 42)[0])
        self.central_at = at
        self.name = data[at + 46:at + 46 + nlen].decode("utf-8")
        self.central_extra_at = at + 46 + nlen
        self.central_extra_len = elen
        self.next_at = at + 46 + nlen + elen + clen
        lo = self.local_offset
        if struct.unpack_from("<I", data, lo)[0] != 0x04034B50:
            raise ValueError("no local header for %s" % self.name)
        lnlen, lelen = struct.unpack_from("<HH", data, lo + 26)
        self.local_extra_at = lo + 30 + lnlen
        self.local_extra_len = lelen
        self.data_at = lo + 30 + lnlen + lelen


def read_directory(data):
    """The central directory's entries, in order."""
    end = data.rfind(b"PK\x05\x06")
    if end < 0:
        raise ValueError("no end of central directory")
    count, _size, offset = struct.unpack_from("<HII", data, end + 10)
    entries = []
    at = offset
    for _ in range(count):
        if struct.unpack_from("<I", data, at)[0] != 0x02014B50:
            raise ValueError("bad central directory")
        e = Entry(data, at)
        entries.append(e)
        at = e.next_at
    return entries


def _aes_fields(data, start, length):
    """Offsets of the 0x9901 extra fields' version words in an extra block."""
    found = []
    at = start
    while at + 4 <= start + length:
        hid, size = struct.unpack_from("<HH", data, at)
        if hid == 0x9901 and size == 7:
            found.append(at + 4)
        at += 4 + size
    return found


def aes_salt_length(data, entry):
    for at in _aes_fields(data, entry.central_extra_at, entry.central_extra_len):
        return {1: 8, 2: 12, 3: 16}[data[at + 4]]
    raise ValueError("%s is not a WinZip AES entry" % entry.name)


def switch_aes_version(data, plain_by_name):
    """A copy whose AES entries use the other vendor version: AE-1 gets the
    plaintext CRC in both headers, AE-2 a zero CRC."""
    out = bytearray(data)
    for e in read_directory(data):
        fields = (_aes_fields(data, e.central_extra_at, e.central_extra_len)
                  + _aes_fields(data, e.local_extra_at, e.local_extra_len))
        if not fields:
            continue
        version = struct.unpack_from("<H", data, fields[0])[0]
        new_version = 1 if version == 2 else 2
        crc = zlib.crc32(plain_by_name[e.name]) & 0xFFFFFFFF if new_version == 1 else 0
        for at in fields:
            struct.pack_into("<H", out, at, new_version)
        struct.pack_into("<I", out, e.central_at + 16, crc)
        struct.pack_into("<I", out, e.local_offset + 14, crc)
    return bytes(out)


def flip_aes_data_byte(data, name):
    """A copy with one byte of the named AES entry's encrypted data flipped."""
    for e in read_directory(data):
        if e.name == name:
            salt = aes_salt_length(data, e)
            body = e.csize - salt - 2 - 10
            if body <= 0:
                raise ValueError("%s has no data to flip" % name)
            at = e.data_at + salt + 2 + body // 2
            out = bytearray(data)
            out[at] ^= 0x01
            return bytes(out)
    raise ValueError("no entry %s" % name)


def check_entry_flags(data):
    """name -> (flags, method) for a quick look at what a tool wrote."""
    return {e.name: (e.flags, e.method) for e in read_directory(data)}
