"""The declarative description of every committed fixture, and its writer.

Each fixture's bytes and its expected text (key listing or dump) are both
made from the description below; neither is derived from the other.
"""

import os

from . import keyspack
from .dump import dump
from .models import Curve, Decl, FLT_MAX, Model, ModelClass, pack_connections, pack_model
from .msgpackenc import A, B, Bin, Ext, F32, F64, I, M, Nil, S, U

# ---------------------------------------------------------------- keys/

BASIC_LINES = [
    "id", "Class Name", "value", "", "Name", "Position", "back\\slash",
    "Größe", "id", "Tab\there", "Trailing ", "del\x7fchar",
    "A name long enough that the scrambling table wraps around inside it: 0123456789",
    "", "Last",
]
BASIC_USER_IDS = ("12345", "abc")
EDGE_LINES = ["X", "", "Y", "X", "Z\r", "W"]  # the last line has no LF
EDGE_USER_ID = "0"

# ---------------------------------------------------------------- packs/Keys.pack

PACKS_USER_ID = "12345"
# Numbers the format and the first settings read rely on, plus two names
# placed above 127 so that map keys also take the uint8 form.
PINNED_KEYS = {10: "value", 33: "Class Name", 42: "id", 50: "User ID",
               130: "Screen Adjustment", 140: "Gradient"}
OTHER_KEYS = [
    "Name", "children", "variableValue", "isEmpty", "animations", "state", "animation",
    "points", "preset", "enum", "isXEmpty", "isYEmpty", "animationsX", "animationsY",
    "gradients", "pos", "color", "connectedModelId", "attributeName",
    "Int", "Key", "UInt", "Bool", "Float", "Empty Int", "Edge State", "Orientation",
    "Text", "Choice", "Rect", "Size", "Point", "Color", "Sprite", "Load", "Target",
    "Animation Speed", "Duration", "Excluded From Atlas",
]


def packs_key_names():
    """Key names in number order: pinned ones in place, the rest filled in, then filler."""
    count = max(PINNED_KEYS) + 1
    names = [None] * count
    for n, name in PINNED_KEYS.items():
        names[n] = name
    rest = iter(OTHER_KEYS)
    for n in range(count):
        if names[n] is None:
            names[n] = next(rest, None) or "Filler %03d" % n
    if next(rest, None) is not None:
        raise ValueError("more key names than numbers")
    return names


PACK_KEY_NAMES = packs_key_names()
PACK_KEY_NUMBERS = {name: n for n, name in enumerate(PACK_KEY_NAMES)}


def k(name):
    """Strict name -> number, as every pack writer looks keys up."""
    if name not in PACK_KEY_NUMBERS:
        raise KeyError("A key is not present: %s" % name)
    return PACK_KEY_NUMBERS[name]


# ---------------------------------------------------------------- model classes

TEST_ALL_KINDS = ModelClass("TestAllKinds", [
    Decl("Int", "int", 7, -2147483648, 2147483647),
    Decl("Key", "key", 0, -2147483648, 2147483647),
    Decl("UInt", "uint", 1, 0, 4294967295),
    Decl("Bool", "bool", True, False, True),
    Decl("Float", "float", 1.0, -FLT_MAX, FLT_MAX),
    Decl("Empty Int", "int", 0, -2147483648, 2147483647, allow_empty=True),
    Decl("Edge State", "frameEdgeState", 1),
    Decl("Orientation", "orientation", 1),
    Decl("Screen Adjustment", "screenAdjustment", 2),
    Decl("Text", "string", "text", max_length=40),
    Decl("Choice", "stringList", "kChoiceNone"),
    Decl("Rect", "rect", (0.0, 0.0, 0.0, 0.0)),
    Decl("Size", "size", (0.0, 0.0)),
    Decl("Point", "point", (0.0, 0.0), (-FLT_MAX, -FLT_MAX), (FLT_MAX, FLT_MAX)),
    Decl("Color", "color", (0.0, 0.0, 0.0, 0.0)),
    Decl("Gradient", "gradient", ()),
    Decl("Sprite", "sprite", None),
    Decl("Load", "attribute", None, mode=1),
    Decl("Target", "attribute", None, mode=2),
], default_name="TestAllKinds")

SPRITE_CONTAINER = ModelClass("QVModelSpriteContainer", [
    Decl("Animation Speed", "float", 1.0, -FLT_MAX, FLT_MAX),
    Decl("Duration", "float", 0.0, -FLT_MAX, FLT_MAX),
    Decl("Excluded From Atlas", "bool", False, False, True),
], default_name="QVModelSpriteContainer")

FULL_ID, PARTIAL_ID, CONTAINER_ID = 200, 3000, 77
FULL_TEXT = 'Grüße aus Köln: "Käse" \\ 🎮'          # 33 bytes: str8, within maxLength 40
PARTIAL_TEXT = "Ein längerer Text, der über die Höchstlänge von 40 Bytes hinausgeht."  # 72 bytes
STREAM_TEXT = "Thirty-one bytes, fixstr limit!"       # 31 bytes: the largest fixstr

FLOAT_CURVE = Curve([(-1.0, 0.0, 0.0, 0.5), (2.0, 0.5, 3.0, 4.0), (1.0, 1.25, 1.0, 1.0)], preset=2)
POINT_X1 = Curve.added([(0.0, 0.0), (0.25, 4.0), (0.5, 10.0), (0.75, 6.0), (1.0, 2.0),
                        (1.25, -4.0), (1.5, 0.0), (1.75, 8.0), (2.0, 12.0)])
POINT_X4 = Curve.added([(0.0, 0.0), (1.0, -5.0)])
POINT_Y1 = Curve.added([(0.0, 0.0), (0.5, 2.5)])
POINT_Y4 = Curve.added([(0.0, 1.0), (1.0, 3.0), (2.0, 2.0)])

FULL = Model(TEST_ALL_KINDS, FULL_ID, {
    "Name": "All Kinds",
    "Int": {"value": -70000, "variableValue": -3},
    "Key": {"value": 300, "variableValue": 0},
    "UInt": {"value": 3000000000, "variableValue": 200},
    "Bool": {"value": False, "variableValue": True},
    "Float": {"value": 2.5, "variableValue": 0.1, "curves": {2: FLOAT_CURVE}},
    "Empty Int": {"value": -100, "variableValue": 0, "isEmpty": True},
    "Edge State": 2,
    "Orientation": 0,
    "Screen Adjustment": 3,
    "Text": FULL_TEXT,
    "Choice": "kMovementLinear",
    "Rect": (-16.5, 8.0, 320.0, 240.0),
    "Size": (64.0, 32.5),
    "Point": {"value": (1.5, -2.0), "variableValue": (0.5, 0.25),
              "isXEmpty": False, "isYEmpty": False,
              "curvesX": {1: POINT_X1, 4: POINT_X4}, "curvesY": {1: POINT_Y1, 4: POINT_Y4}},
    "Color": (1.0, 0.5, 0.25, 0.75),
    "Gradient": [(0.0, (1.0, 0.0, 0.0, 1.0)), (0.5, (0.0, 1.0, 0.0, 1.0)),
                 (1.0, (0.0, 0.0, 1.0, 1.0))],
    "Sprite": CONTAINER_ID,
    "Load": None,
    "Target": (PARTIAL_ID, "Load"),
}, children=[PARTIAL_ID, CONTAINER_ID])

CONTAINER = Model(SPRITE_CONTAINER, CONTAINER_ID, {
    "Name": "Hero Frames",
    "Animation Speed": {"value": 1.5, "variableValue": 0.0},
    "Duration": {"value": 0.75, "variableValue": 0.0},
    "Excluded From Atlas": {"value": False, "variableValue": False},
})


def nm(*entries):
    """A raw map from (key name or number, node) pairs."""
    return M([(k(key) if isinstance(key, str) else key, v) for key, v in entries])


# The partial model: only some attribute entries, so the rest keep their
# defaults; an enumeration map without "enum" reads as 0.
PARTIAL_MAP = nm(
    ("id", U(PARTIAL_ID)),
    ("Class Name", S("TestAllKinds")),
    ("Name", nm(("value", S("Partial")))),
    ("Int", nm(("value", I(-1234)))),
    ("Edge State", nm()),
    ("Text", nm(("value", S(PARTIAL_TEXT)))),
)

# What a reader holds after unpacking the partial model into a fresh
# TestAllKinds: everything not listed keeps its declared default.
PARTIAL_RESULT = [
    ("Name", '"Partial"'),
    ("Int", "value -1234; variableValue 0 and isEmpty false (defaults)"),
    ("Edge State", "0 (its map has no \"enum\")"),
    ("Text", "the whole 72-byte text, longer than maxLength 40 (packs are not cut)"),
]

UNKNOWN_CHILD_ID = 70000
STREAM_TESTALLKINDS_ID, STREAM_CONTAINER_ID = 1, 128
STREAM_OBJECTS = [
    nm(("id", U(STREAM_TESTALLKINDS_ID)),
       ("Class Name", S("TestAllKinds")),
       ("Name", nm(("value", S("Stream")))),
       ("Int", nm(("value", I(-32)), ("variableValue", I(-33)))),
       ("Key", nm(("value", I(-129)), ("variableValue", I(-32768)))),
       ("UInt", nm(("value", U(65536)), ("variableValue", U(255)))),
       ("Float", nm(("value", U(3)), ("variableValue", F64(0.1)), ("animations", A()))),
       ("Empty Int", nm(("value", I(-2147483648)), ("variableValue", I(-32769)),
                        ("isEmpty", B(True)))),
       ("Text", nm(("value", S(STREAM_TEXT)))),
       ("Choice", nm(("value", Bin(b"kJump")))),
       (250, Ext(5, b"\x01\x02")),
       (251, M([(S("free"), U(1)), (I(-1), Nil())])),
       ),
    nm(("id", U(STREAM_CONTAINER_ID)),
       ("Class Name", S("QVModelSpriteContainer")),
       ("Name", nm(("value", S("Stream Frames")))),
       ("Animation Speed", nm(("value", F32(0.5)), ("variableValue", I(-1)))),
       ("Excluded From Atlas", nm(("value", B(True))))),
    nm(("id", U(STREAM_TESTALLKINDS_ID)),
       ("children", A([U(STREAM_CONTAINER_ID), U(UNKNOWN_CHILD_ID), U(FULL_ID)]))),
]
STREAM_TRAILING = b"\xc1 not msgpack \xdd\xff\xff\xff\xff"

# ---------------------------------------------------------------- files


def attributes_objects():
    return [pack_model(FULL, k), PARTIAL_MAP, pack_model(CONTAINER, k)]


def partial_as_model():
    """Connections of the partial model: no link of its own, no children."""
    return Model(TEST_ALL_KINDS, PARTIAL_ID, {"Sprite": None, "Load": None, "Target": None})


def connections_objects():
    container = Model(SPRITE_CONTAINER, CONTAINER_ID, {})
    return [pack_connections(FULL, k), pack_connections(partial_as_model(), k),
            pack_connections(container, k)]


def key_listing(lines, final_lf=True):
    return keyspack.listing(keyspack.number_lines(keyspack.plain_text(lines, final_lf)))


def build():
    """relative path -> bytes of every fixture file."""
    files = {}
    for uid in BASIC_USER_IDS:
        files["keys/basic-%s.pack" % uid] = keyspack.write_keys_pack(BASIC_LINES, uid)
    files["keys/basic.expected"] = key_listing(BASIC_LINES).encode()
    files["keys/edge-0.pack"] = keyspack.write_keys_pack(EDGE_LINES, EDGE_USER_ID, final_lf=False)
    files["keys/edge.expected"] = key_listing(EDGE_LINES, final_lf=False).encode()
    files["keys/empty.pack"] = b""
    files["keys/empty.expected"] = b""

    files["packs/Keys.pack"] = keyspack.write_keys_pack(PACK_KEY_NAMES, PACKS_USER_ID)
    names = dict(enumerate(PACK_KEY_NAMES))
    for base, objects, end, trailing in (
            ("all-kinds.attributes", attributes_objects(), "data", b""),
            ("all-kinds.connections", connections_objects(), "data", b""),
            ("stream", STREAM_OBJECTS, "nil", STREAM_TRAILING)):
        data, text = dump(objects, names, end, trailing)
        files["packs/%s.pack" % base] = data
        files["packs/%s.expected" % base] = text.encode()

    from .readme import readme
    files["packs/README.md"] = readme().encode()

    from . import classes
    files["classes/schema.expected"] = classes.schema(schema_classes()).encode()
    return files


# Committed beside the fixtures as inputs of the writer, not written by it
# (flow.expected: what the loader check prints for the `flow` game).
INPUTS = {"classes/schema.classes", "classes/full.json", "classes/flow.json",
          "classes/flow.expected"}

SCHEMA_CLASSES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                              "tests", "fixtures", "classes", "schema.classes")


def schema_classes():
    """The classes of the schema listing, one per line, in registration order."""
    with open(SCHEMA_CLASSES) as f:
        return [line.strip() for line in f if line.strip()]


def write(out_dir):
    files = build()
    for rel, data in sorted(files.items()):
        path = os.path.join(out_dir, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return files
