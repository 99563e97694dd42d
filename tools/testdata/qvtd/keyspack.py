"""Keys.pack: the scrambled key-name list, its seed rule and its numbering."""

import zlib

from .mt19937 import MT19937

# The scrambling constant shared by every writer and reader of Keys.pack,
# typed from the project's design notes; the fixtures prove the player's copy
# agrees with this one.
KEYS_PACK_CONSTANT = bytes.fromhex(
    "23 8A A2 B2 C6 7D 0B E8 9D 1E EE FF A4 4D CE 9E"
    " CB 68 68 54 26 89 45 C6 B4 00 F6 0B 75 5E 88 64"
    " 96 25 64 F4 22 2E 3C DB 35 98 F1 CD E2 C2 58 09"
    " 0F 4D 0D 1B 8D 66 3D F2 A6 EF 33 B6 3A 1C 48 1A"
)
assert len(KEYS_PACK_CONSTANT) == 64

# Numbers a reader falls back to while its table lacks these names.
BUILTIN_KEY_NUMBERS = {"id": 42, "Class Name": 33, "value": 10, "User ID": 50}

_BLANKS = b" \t\n\v\f\r"


def parse_seed(user_id):
    """The seed a User ID gives: unsigned stream extraction, else its CRC-32.

    Follows `istream >> uint32_t`: leading blanks are skipped, an optional
    sign and at least one digit are read up to the first non-digit; a
    magnitude above 2^32-1 fails, and '-' wraps modulo 2^32. Failure or a
    result of 0 falls back to crc32 of the whole string.
    """
    b = user_id.encode("utf-8") if isinstance(user_id, str) else bytes(user_id)
    i = 0
    while i < len(b) and b[i] in _BLANKS:
        i += 1
    negative = False
    if i < len(b) and b[i] in b"+-":
        negative = b[i] == ord("-")
        i += 1
    start = i
    while i < len(b) and 0x30 <= b[i] <= 0x39:
        i += 1
    value = None
    if i > start:
        magnitude = int(b[start:i])
        if magnitude <= 0xFFFFFFFF:
            value = (-magnitude) % (1 << 32) if negative else magnitude
    if not value:
        value = zlib.crc32(b, 0) & 0xFFFFFFFF
    return value


def scrambling_table(user_id):
    """The 64-byte table: constant XOR the low byte of each generator output."""
    mt = MT19937(parse_seed(user_id))
    return bytes(c ^ (mt.next_u32() & 0xFF) for c in KEYS_PACK_CONSTANT)


def scramble(data, user_id):
    """XOR with the table, repeated every 64 bytes; its own inverse."""
    table = scrambling_table(user_id)
    return bytes(x ^ table[i % 64] for i, x in enumerate(data))


def plain_text(lines, final_lf=True):
    """The unscrambled file for a list of lines (bytes or str)."""
    raw = [l.encode("utf-8") if isinstance(l, str) else bytes(l) for l in lines]
    text = b"\n".join(raw)
    if final_lf and raw:
        text += b"\n"
    return text


def write_keys_pack(lines, user_id, final_lf=True):
    return scramble(plain_text(lines, final_lf), user_id)


def number_lines(plain):
    """name -> number for a plain text, with the reader's numbering rules.

    Empty lines take no number; a repeated name keeps its first number but
    its repeat still uses one up; a CR stays part of the name.
    """
    table = {}
    counter = 0
    if not plain:
        return table
    parts = plain.split(b"\n")
    if plain.endswith(b"\n"):
        parts.pop()
    for line in parts:
        if not line:
            continue
        table.setdefault(line, counter)
        counter += 1
    return table


def read_keys_pack(data, user_id):
    return number_lines(scramble(data, user_id))


def escape_bytes(b, quote=False):
    """Printable ASCII as is, '\\' doubled, else \\xNN; `quote` also escapes '"'."""
    out = []
    for c in b:
        if quote and c == 0x22:
            out.append('\\"')
        elif c == 0x5C:
            out.append("\\\\")
        elif 0x20 <= c <= 0x7E:
            out.append(chr(c))
        else:
            out.append("\\x%02x" % c)
    return "".join(out)


def escape_name(name):
    """Key names in listings."""
    return escape_bytes(name)


def listing(table):
    """The key listing: `<number> <name>` per distinct name, ascending."""
    rows = sorted((n, name) for name, n in table.items())
    return "".join("%d %s\n" % (n, escape_name(name)) for n, name in rows)


def model_listing(rows):
    """`models N`, then `<id> <className> <name>` per (id, class, name bytes)
    in ascending id, as the loader check prints a loaded game."""
    rows = sorted(rows)
    return "models %d\n" % len(rows) + "".join(
        "%d %s %s\n" % (i, cls, escape_bytes(name)) for i, cls, name in rows)


def key_code(name, table):
    """The lenient reader lookup over a name->number table (names as bytes)."""
    if name in table:
        return table[name]
    builtin = BUILTIN_KEY_NUMBERS.get(name.decode("utf-8"))
    if builtin is not None and builtin not in table.values():
        return builtin
    return -1
