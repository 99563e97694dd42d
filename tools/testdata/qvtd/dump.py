"""The text dump of a pack stream, written from the value nodes.

This is the same text the pack dumper prints for the bytes; here it is made
from the description, never by reading the bytes back.
"""

import math

from .keyspack import escape_bytes
from .msgpackenc import A, B, Bin, Ext, F32, F64, I, M, Nil, S, SCALARS, U, encode


def _g(x, digits):
    if math.isnan(x):
        return "nan"
    return "%.*g" % (digits, x)


def scalar_text(v):
    if isinstance(v, (U, I)):
        return str(v.n)
    if isinstance(v, F32):
        return "f32 " + _g(v.x, 9)
    if isinstance(v, F64):
        return "f64 " + _g(v.x, 17)
    if isinstance(v, B):
        return "true" if v.v else "false"
    if isinstance(v, Nil):
        return "nil"
    if isinstance(v, S):
        return '"' + escape_bytes(v.b, quote=True) + '"'
    if isinstance(v, Bin):
        return "bin(" + v.b.hex() + ")"
    if isinstance(v, Ext):
        return "ext(%d,%s)" % (v.type, v.b.hex())
    raise TypeError("not a scalar: %r" % (v,))


def _render(v, indent, names):
    """(text after the entry's colon, further lines) for one value."""
    if isinstance(v, SCALARS):
        return scalar_text(v), []
    pad = " " * indent
    if isinstance(v, M):
        if not v.entries:
            return "{}", []
        return "{", _entries(v, indent + 2, names) + [pad + "}"]
    if isinstance(v, A):
        if not v.items:
            return "[]", []
        if all(isinstance(i, SCALARS) for i in v.items):
            return "[" + ", ".join(scalar_text(i) for i in v.items) + "]", []
        lines = []
        inner = " " * (indent + 2)
        for item in v.items:
            first, rest = _render(item, indent + 2, names)
            lines.append(inner + first)
            lines.extend(rest)
        return "[", lines + [pad + "]"]
    raise TypeError("not a node: %r" % (v,))


def _key_label(k, names):
    if isinstance(k, U):
        return "%d %s" % (k.n, names.get(k.n, "?"))
    return "!" + scalar_text(k)


def _entries(m, indent, names):
    pad = " " * indent
    lines = []
    for k, v in m.entries:
        first, rest = _render(v, indent, names)
        lines.append("%s%s: %s" % (pad, _key_label(k, names), first))
        lines.extend(rest)
    return lines


def dump(objects, names, end, trailing=b""):
    """Dump text and bytes of a stream.

    objects: top-level map nodes; names: key number -> printable name;
    end: "nil" (a nil follows the objects, then `trailing`) or "data".
    """
    data = bytearray()
    lines = []
    for index, obj in enumerate(objects):
        if not isinstance(obj, M):
            raise TypeError("pack objects are maps")
        lines.append("object %d at %d" % (index, len(data)))
        lines.extend(_entries(obj, 2, names))
        data += encode(obj)
    if end == "nil":
        lines.append("end: nil at %d" % len(data))
        data += encode(Nil()) + trailing
    elif end == "data":
        if trailing:
            raise ValueError("trailing bytes need a nil before them")
        lines.append("end: data at %d" % len(data))
    else:
        raise ValueError(end)
    return bytes(data), "".join(l + "\n" for l in lines)
