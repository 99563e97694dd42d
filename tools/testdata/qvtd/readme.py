"""tests/fixtures/packs/README.md, written from the same description as the packs."""

from decimal import Decimal

from . import fixtures as fx
from . import keyspack
from .models import CLASS_NAMES, ENUMS, FLT_MAX, FUNDAMENTAL, f32


def num(x):
    """A float as written (float32), shortest decimal that reads back to it."""
    if x == FLT_MAX:
        return "FLT_MAX"
    if x == -FLT_MAX:
        return "-FLT_MAX"
    v = f32(x)
    for digits in range(1, 10):
        s = "%.*g" % (digits, v)
        if f32(float(s)) == v:
            break
    return format(Decimal(s), "f")


def tup(values):
    return "(" + ", ".join(num(v) for v in values) + ")"


def text(s):
    b = s.encode("utf-8")
    return '"%s" (%d bytes UTF-8: `%s`)' % (s.replace("|", "\\|"), len(b), b.hex(" "))


def value_cell(decl, v):
    kind = decl.kind
    if kind in ("int", "key", "uint"):
        return str(v)
    if kind == "bool":
        return "true" if v else "false"
    if kind == "float":
        return num(v)
    if kind in ENUMS:
        return str(v)
    if kind in ("string", "stringList"):
        return '"%s"' % v if v is not None else "-"
    if kind in ("rect", "size", "color", "point"):
        return tup(v)
    return "-"


def decl_rows(cls):
    rows = ["| # | name | class | default | range | allowEmpty | other |",
            "|---|---|---|---|---|---|---|"]
    for i, d in enumerate(cls.decls):
        rng = "-"
        if d.kind in FUNDAMENTAL:
            if d.kind == "bool":
                rng = "false..true"
            elif d.kind == "float":
                rng = "%s..%s" % (num(d.lo), num(d.hi))
            else:
                rng = "%d..%d" % (d.lo, d.hi)
        elif d.kind == "point":
            rng = "x and y: -FLT_MAX..FLT_MAX"
        other = []
        if d.max_length is not None:
            other.append("maxLength %d" % d.max_length)
        elif d.kind in ("string", "stringList"):
            other.append("maxLength 2147483647")
        if d.kind == "attribute":
            other.append({0: "connection mode 0", 1: "connection mode 1 (source)",
                          2: "connection mode 2 (follower)"}[d.mode])
        if d.kind == "sprite":
            other.append("excludedFromAtlas false")
        other.append("flags 0")
        default = "-" if d.kind in ("gradient", "sprite", "attribute") else value_cell(d, d.default)
        if d.kind == "gradient":
            default = "no keys"
        if d.kind == "sprite":
            default = "no container"
        if d.name == "Name":
            default = '"%s" (the name create() gives)' % d.default
        allow = "true" if d.allow_empty else "false" if (d.kind in FUNDAMENTAL or d.kind == "point") else "-"
        rows.append("| %d | \"%s\" | %s | %s | %s | %s | %s |" % (
            i, d.name, CLASS_NAMES[d.kind], default, rng, allow, "; ".join(other)))
    return rows


def curve_lines(label, c):
    out = ["- %s: preset %d, %d keys (in-control, time, value, out-control):" % (label, c.preset, len(c.keys))]
    out.append("  " + ", ".join(tup(key) for key in c.keys))
    return out


def model_rows(model):
    rows = ["| name | values |", "|---|---|"]
    curves = []
    for d in model.cls.decls:
        v = model.values.get(d.name)
        if d.kind in FUNDAMENTAL:
            cell = "value %s, variableValue %s, isEmpty %s" % (
                value_cell(d, v["value"]), value_cell(d, v["variableValue"]),
                "true" if v.get("isEmpty") else "false")
            for state, c in sorted(v.get("curves", {}).items()):
                cell += "; curve for state %d (below)" % state
                curves += curve_lines('"%s" state %d' % (d.name, state), c)
        elif d.kind == "point":
            cell = "value %s, variableValue %s, isXEmpty %s, isYEmpty %s" % (
                tup(v["value"]), tup(v["variableValue"]),
                str(v["isXEmpty"]).lower(), str(v["isYEmpty"]).lower())
            for axis in ("X", "Y"):
                for state, c in sorted(v.get("curves" + axis, {}).items()):
                    cell += "; %s curve for state %d" % (axis.lower(), state)
                    curves += curve_lines('"%s" %s state %d' % (d.name, axis.lower(), state), c)
        elif d.kind == "gradient":
            cell = "; ".join("pos %s colour %s" % (num(p), tup(c)) for p, c in v)
        elif d.kind == "sprite":
            cell = "linked to the container, id %d (connections pack)" % v if v is not None else "not linked"
        elif d.kind == "attribute":
            cell = ("follows model %d's \"%s\" (connections pack)" % v) if v else "no link"
        elif d.kind in ("string", "stringList") and v and len(v.encode()) >= 32:
            cell = text(v)
        else:
            cell = value_cell(d, v)
        rows.append('| "%s" | %s |' % (d.name, cell))
    return rows, curves


def readme():
    L = []
    a = L.append
    a("# Pack fixtures")
    a("")
    a("Written by `tools/testdata/qvtestdata.py`, which derives them from the data format")
    a("alone. Do not edit these files (this one included): change the writer's description")
    a("and regenerate with")
    a("")
    a("    /usr/bin/python3 tools/testdata/qvtestdata.py fixtures --out tests/fixtures")
    a("")
    a("`fixtures --check tests/fixtures` fails on any byte that differs.")
    a("")
    a("Files: `Keys.pack` (the key table), `all-kinds.attributes.pack`,")
    a("`all-kinds.connections.pack` and `stream.pack`, each with a `.expected` dump in the")
    a("pack dumper's format (`qvpackdump --keys Keys.pack --user-id %s`)." % fx.PACKS_USER_ID)
    a("")
    a("## Key table (`Keys.pack`, User ID \"%s\")" % fx.PACKS_USER_ID)
    a("")
    a("One name per line, each ending in LF, no empty lines, numbered from 0. \"value\" is 10,")
    a("\"Class Name\" 33, \"id\" 42 and \"User ID\" 50; \"Screen Adjustment\" (130) and \"Gradient\" (140)")
    a("sit above 127 so that map keys also use the uint8 form. Numbers not listed hold")
    a("`Filler NNN` (NNN the number, three digits). Numbers 141 and up are not in the table.")
    a("")
    used = [(n, name) for n, name in enumerate(fx.PACK_KEY_NAMES) if not name.startswith("Filler ")]
    a(", ".join("%d \"%s\"" % (n, name) for n, name in used))
    a("")
    a("## Class `TestAllKinds` (tests only)")
    a("")
    a("Class name \"TestAllKinds\", derived from `QVModel` directly. Attribute 0 is the")
    a("inherited \"Name\"; the others follow in this order, all with flags 0. Defaults are")
    a("written straight into the value (no notification); every numeric attribute and the")
    a("point start with variableValue 0, isEmpty (isXEmpty, isYEmpty) false and no curves.")
    a("")
    L.extend(decl_rows(fx.TEST_ALL_KINDS))
    a("")
    a("Enumeration classes: \"Edge State\" is `QVAttributeFrameEdgeState`, \"Orientation\"")
    a("`QVAttributeOrientation`, \"Screen Adjustment\" `QVAttributeScreenAdjustment`.")
    a("\"Load\" and \"Target\" are plain `QVAttribute`s and \"Sprite\" writes nothing into attributes")
    a("packs, so none of the three has an entry there.")
    a("")
    a("`QVModelSpriteContainer` as declared by the player:")
    a("")
    L.extend(decl_rows(fx.SPRITE_CONTAINER))
    a("")
    a("## `all-kinds.attributes.pack`")
    a("")
    a("Three objects, ended by the end of the data (no nil).")
    a("")
    a("### Object 0: the fully set `TestAllKinds`, id %d" % fx.FULL_ID)
    a("")
    a("Packing a `TestAllKinds` that holds these values must give exactly this object's")
    a("bytes, and unpacking the object must give these values.")
    a("")
    rows, curves = model_rows(fx.FULL)
    L.extend(rows)
    a("")
    a("Curves, keys in stored order (each key is written as [time, value] then")
    a("[in-control, out-control]); the point curves are what adding the (time, value)")
    a("keys in ascending time gives, the \"Float\" curve's controls are free:")
    a("")
    L.extend(curves)
    a("")
    a("What is written, per attribute (entry order as listed):")
    a("")
    a("- model: \"id\" (uint), \"Class Name\" (str), then one nested map per attribute in")
    a("  declaration order, left out when the attribute writes nothing;")
    a("- int, key, uint, bool, float: \"value\", \"variableValue\", \"isEmpty\" (always written; true")
    a("  only when allowEmpty and isEmpty are both true), then \"animations\" only when the")
    a("  attribute has curves: an array, ascending state, of maps {\"state\", \"animation\":")
    a("  {\"points\", \"preset\"}}; ints as signed integers, uints as positive integers;")
    a("- enumerations: \"enum\";")
    a("- string, string list: \"value\" (str); rect, colour: \"value\" [4 float32]; size: \"value\"")
    a("  [2 float32];")
    a("- point: \"value\", \"variableValue\" (2 float32 each), \"isXEmpty\", \"isYEmpty\", then")
    a("  \"animationsX\" and \"animationsY\", each only when that axis has curves;")
    a("- gradient: \"gradients\", one map {\"pos\", \"color\" [4 float32]} per key in ascending")
    a("  position, only when it has keys;")
    a("- every float is float32 (`ca`), every integer and length takes its smallest form.")
    a("")
    a("### Object 1: a partial `TestAllKinds`, id %d" % fx.PARTIAL_ID)
    a("")
    a("Only \"id\", \"Class Name\", \"Name\", \"Int\" (with \"value\" only), \"Edge State\" (an empty map)")
    a("and \"Text\" are present. Unpacked into a fresh `TestAllKinds` it gives:")
    a("")
    for name, what in fx.PARTIAL_RESULT:
        a("- \"%s\": %s;" % (name, what))
    a("- every other attribute keeps its default from the class table.")
    a("")
    a("Its text: %s." % text(fx.PARTIAL_TEXT))
    a("")
    a("### Object 2: a `QVModelSpriteContainer`, id %d" % fx.CONTAINER_ID)
    a("")
    rows, _ = model_rows(fx.CONTAINER)
    L.extend(rows)
    a("")
    a("## `all-kinds.connections.pack`")
    a("")
    a("One object per model above, in the same order, ended by the end of the data:")
    a("")
    a("- id %d: \"Sprite\" {\"value\": %d}, \"Target\" {\"connectedModelId\": %d, \"attributeName\":"
      % (fx.FULL_ID, fx.CONTAINER_ID, fx.PARTIAL_ID))
    a("  \"Load\"} (following the partial model's source \"Load\"), then \"children\" [%s];"
      % ", ".join(str(c) for c in fx.FULL.children))
    a("- id %d and id %d: \"id\" only." % (fx.PARTIAL_ID, fx.CONTAINER_ID))
    a("")
    a("## `stream.pack`")
    a("")
    a("Three objects, a nil, then trailing bytes that no reader may touch")
    a("(`%s`):" % fx.STREAM_TRAILING.hex(" "))
    a("")
    a("- object 0: a `TestAllKinds` attributes map, id %d, with values at the size-class" % fx.STREAM_TESTALLKINDS_ID)
    a("  boundaries: \"Int\" -32 / -33, \"Key\" -129 / -32768, \"UInt\" 65536 / 255, \"Empty Int\"")
    a("  -2147483648 / -32769 with isEmpty true; \"Float\" value as the integer 3, variableValue")
    a("  as float64 0.1 and an empty \"animations\" (keeps the curves); \"Text\" a 31-byte fixstr;")
    a("  \"Choice\" as bin \"kJump\"; and two entries under numbers the table lacks (250: an ext,")
    a("  251: a map with a str and a negative key), which readers ignore;")
    a("- object 1: a `QVModelSpriteContainer` attributes map, id %d (\"Animation Speed\" value" % fx.STREAM_CONTAINER_ID)
    a("  0.5 with variableValue as the integer -1, \"Excluded From Atlas\" true);")
    a("- object 2: a connections map for id %d whose \"children\" are [%d, %d, %d]: %d is no model"
      % (fx.STREAM_TESTALLKINDS_ID, fx.STREAM_CONTAINER_ID, fx.UNKNOWN_CHILD_ID, fx.FULL_ID,
         fx.UNKNOWN_CHILD_ID))
    a("  in any fixture and is skipped; the others are the container above and the first")
    a("  `all-kinds` model.")
    a("")
    a("## Key fixtures (`../keys/`)")
    a("")
    a("`basic-12345.pack` and `basic-abc.pack` hold the same lines under User IDs \"12345\"")
    a("and \"abc\", each line followed by one LF (so writing these names back gives the")
    a("same bytes); both list as `basic.expected`. The lines, escaped as in the listing:")
    a("")
    for line in fx.BASIC_LINES:
        a("    [%s]" % keyspack.escape_name(line.encode()))
    a("")
    a("`edge-0.pack` (User ID \"0\") holds %s with no LF after the last;"
      % ", ".join("[%s]" % keyspack.escape_name(l.encode()) for l in fx.EDGE_LINES))
    a("`empty.pack` is empty and lists as nothing.")
    a("")
    a("## Encodings covered")
    a("")
    a("| form | where |")
    a("|---|---|")
    for form, where in COVERAGE:
        a("| %s | %s |" % (form, where))
    return "\n".join(L) + "\n"


COVERAGE = [
    ("fixstr", "names, \"Class Name\"; the 31-byte stream \"Text\""),
    ("str8", "all-kinds \"Text\" (33 bytes) and the partial model's (72 bytes)"),
    ("fixarray", "points, colours, rects, \"children\""),
    ("array16", "\"Point\" x curve for state 1 (18 points)"),
    ("fixmap", "nested attribute maps"),
    ("map16", "the fully set model (%d entries)" % len(fx.attributes_objects()[0].entries)),
    ("positive fixint", "key numbers, states, container id 77"),
    ("uint8", "id 200, \"UInt\" variableValue 200, key numbers 130 and 140, stream 255 and id 128"),
    ("uint16", "id 3000, \"Key\" 300"),
    ("uint32", "\"UInt\" 3000000000, stream 65536 and child 70000"),
    ("negative fixint", "\"Int\" variableValue -3, stream -32 and -1"),
    ("int8", "\"Empty Int\" -100, stream -33"),
    ("int16", "partial \"Int\" -1234, stream -129 and -32768"),
    ("int32", "\"Int\" -70000, stream -32769 and -2147483648"),
    ("float32", "every float the writers write"),
    ("float64, bin, ext, nil", "stream only"),
]
