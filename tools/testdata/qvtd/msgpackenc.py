"""A msgpack encoder for the canonical subset the player's packs use.

Values are typed nodes rather than plain Python values, because the format
distinguishes what Python does not: float32 from float64, a positive from a
signed integer, str from bin. Every integer and length takes its smallest
form, exactly as a packer that picks the shortest encoding writes it.
"""

import struct


class U:
    """Unsigned integer (msgpack positive integer)."""
    __slots__ = ("n",)

    def __init__(self, n):
        if not isinstance(n, int) or n < 0 or n > 0xFFFFFFFFFFFFFFFF:
            raise ValueError("U needs a non-negative 64-bit integer, got %r" % (n,))
        self.n = n

    def __repr__(self):
        return "U(%d)" % self.n


class I:
    """Signed integer: positive form when >= 0, negative form below."""
    __slots__ = ("n",)

    def __init__(self, n):
        if not isinstance(n, int) or n < -(1 << 63) or n > (1 << 63) - 1:
            raise ValueError("I needs a signed 64-bit integer, got %r" % (n,))
        self.n = n

    def __repr__(self):
        return "I(%d)" % self.n


class F32:
    __slots__ = ("x",)

    def __init__(self, x):
        # Stored rounded, so what is dumped is what is written.
        self.x = struct.unpack(">f", struct.pack(">f", float(x)))[0]

    def __repr__(self):
        return "F32(%r)" % self.x


class F64:
    __slots__ = ("x",)

    def __init__(self, x):
        self.x = float(x)

    def __repr__(self):
        return "F64(%r)" % self.x


class B:
    __slots__ = ("v",)

    def __init__(self, v):
        self.v = bool(v)

    def __repr__(self):
        return "B(%r)" % self.v


class S:
    """msgpack str; holds bytes (text is UTF-8 encoded)."""
    __slots__ = ("b",)

    def __init__(self, b):
        self.b = b.encode("utf-8") if isinstance(b, str) else bytes(b)

    def __repr__(self):
        return "S(%r)" % self.b


class Bin:
    __slots__ = ("b",)

    def __init__(self, b):
        self.b = bytes(b)

    def __repr__(self):
        return "Bin(%r)" % self.b


class Ext:
    __slots__ = ("type", "b")

    def __init__(self, type_, b):
        if not -128 <= type_ <= 127:
            raise ValueError("ext type out of range")
        self.type = type_
        self.b = bytes(b)

    def __repr__(self):
        return "Ext(%d, %r)" % (self.type, self.b)


class Nil:
    __slots__ = ()

    def __repr__(self):
        return "Nil()"


class A:
    """Array of nodes."""
    __slots__ = ("items",)

    def __init__(self, items=()):
        self.items = list(items)

    def __repr__(self):
        return "A(%r)" % self.items


class M:
    """Map as an ordered list of (key, value); a plain int key is a key number."""
    __slots__ = ("entries",)

    def __init__(self, entries=()):
        self.entries = [(U(k) if isinstance(k, int) else k, v) for k, v in entries]

    def __repr__(self):
        return "M(%r)" % self.entries


SCALARS = (U, I, F32, F64, B, S, Bin, Ext, Nil)
CONTAINERS = (A, M)


def _uint(n):
    if n <= 0x7F:
        return bytes([n])
    if n <= 0xFF:
        return b"\xcc" + struct.pack(">B", n)
    if n <= 0xFFFF:
        return b"\xcd" + struct.pack(">H", n)
    if n <= 0xFFFFFFFF:
        return b"\xce" + struct.pack(">I", n)
    return b"\xcf" + struct.pack(">Q", n)


def _int(n):
    if n >= 0:
        return _uint(n)
    if n >= -32:
        return struct.pack(">b", n)
    if n >= -128:
        return b"\xd0" + struct.pack(">b", n)
    if n >= -32768:
        return b"\xd1" + struct.pack(">h", n)
    if n >= -(1 << 31):
        return b"\xd2" + struct.pack(">i", n)
    return b"\xd3" + struct.pack(">q", n)


def _length(n, fix_base, fix_limit, codes):
    """Header of a str/array/map: fixed form below fix_limit, then 8/16/32-bit."""
    if fix_base is not None and n < fix_limit:
        return bytes([fix_base | n])
    for code, fmt, limit in codes:
        if code is not None and n <= limit:
            return bytes([code]) + struct.pack(fmt, n)
    raise ValueError("length %d too large" % n)


def _str_header(n):
    return _length(n, 0xA0, 32, [(0xD9, ">B", 0xFF), (0xDA, ">H", 0xFFFF), (0xDB, ">I", 0xFFFFFFFF)])


def _bin_header(n):
    return _length(n, None, 0, [(0xC4, ">B", 0xFF), (0xC5, ">H", 0xFFFF), (0xC6, ">I", 0xFFFFFFFF)])


def _array_header(n):
    return _length(n, 0x90, 16, [(None, "", 0), (0xDC, ">H", 0xFFFF), (0xDD, ">I", 0xFFFFFFFF)])


def _map_header(n):
    return _length(n, 0x80, 16, [(None, "", 0), (0xDE, ">H", 0xFFFF), (0xDF, ">I", 0xFFFFFFFF)])


_FIXEXT = {1: 0xD4, 2: 0xD5, 4: 0xD6, 8: 0xD7, 16: 0xD8}


def _ext_header(n, type_):
    t = struct.pack(">b", type_)
    if n in _FIXEXT:
        return bytes([_FIXEXT[n]]) + t
    if n <= 0xFF:
        return b"\xc7" + struct.pack(">B", n) + t
    if n <= 0xFFFF:
        return b"\xc8" + struct.pack(">H", n) + t
    return b"\xc9" + struct.pack(">I", n) + t


def encode(v):
    """Bytes of one node, recursively."""
    out = bytearray()
    _encode(v, out)
    return bytes(out)


def _encode(v, out):
    if isinstance(v, U):
        out += _uint(v.n)
    elif isinstance(v, I):
        out += _int(v.n)
    elif isinstance(v, F32):
        out += b"\xca" + struct.pack(">f", v.x)
    elif isinstance(v, F64):
        out += b"\xcb" + struct.pack(">d", v.x)
    elif isinstance(v, B):
        out += b"\xc3" if v.v else b"\xc2"
    elif isinstance(v, Nil):
        out += b"\xc0"
    elif isinstance(v, S):
        out += _str_header(len(v.b)) + v.b
    elif isinstance(v, Bin):
        out += _bin_header(len(v.b)) + v.b
    elif isinstance(v, Ext):
        out += _ext_header(len(v.b), v.type) + v.b
    elif isinstance(v, A):
        out += _array_header(len(v.items))
        for item in v.items:
            _encode(item, out)
    elif isinstance(v, M):
        out += _map_header(len(v.entries))
        for k, item in v.entries:
            _encode(k, out)
            _encode(item, out)
    else:
        raise TypeError("not an encodable node: %r" % (v,))


def to_python(v):
    """The plain value python3-msgpack gives back for a node (raw=True)."""
    if isinstance(v, (U, I)):
        return v.n
    if isinstance(v, (F32, F64)):
        return v.x
    if isinstance(v, B):
        return v.v
    if isinstance(v, Nil):
        return None
    if isinstance(v, (S, Bin)):
        return v.b
    if isinstance(v, Ext):
        return ("ext", v.type, v.b)
    if isinstance(v, A):
        return [to_python(i) for i in v.items]
    if isinstance(v, M):
        return [(to_python(k), to_python(i)) for k, i in v.entries]
    raise TypeError("not a node: %r" % (v,))
