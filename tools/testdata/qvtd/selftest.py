"""Format vectors for the key table and the encoding, and a decode of every fixture.

The decode uses python3-msgpack, a reader written by other people, so a
mistake in this writer's encoder shows here rather than in the fixtures.
"""

import zlib

import msgpack

from . import fixtures as fx
from . import keyspack
from .dump import dump, scalar_text
from .models import LINKS_OUT, Curve
from .msgpackenc import A, B, Bin, Ext, F32, F64, I, M, Nil, S, U, encode, to_python


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("ok - %s" % name)
        else:
            self.failed += 1
            print("FAIL - %s%s" % (name, ": " + detail if detail else ""))

    def equal(self, name, have, want):
        self.check(name, have == want, "got %r, want %r" % (have, want))


def key_table_vectors(r):
    seeds = {"12345": 12345, "  42xyz": 42, "-1": 4294967295, "+7": 7,
             "4294967296": zlib.crc32(b"4294967296"), "abc": zlib.crc32(b"abc"),
             "": 0, "0": 4108050209, "-": zlib.crc32(b"-"), "\t\n 9": 9}
    for text, want in seeds.items():
        r.equal("seed rule %r" % text, keyspack.parse_seed(text), want)

    from .mt19937 import MT19937
    mt = MT19937(12345)
    r.equal("mt19937 seed 12345 low bytes", bytes(mt.next_u32() & 0xFF for _ in range(8)).hex(" "),
            "e2 e5 1d 81 a4 a9 fe 7e")
    mt = MT19937(5489)
    for _ in range(9999):
        mt.next_u32()
    r.equal("mt19937 default seed, 10000th output", mt.next_u32(), 4123659995)

    r.equal("table for User ID 12345", keyspack.scrambling_table("12345")[:8].hex(" "),
            "c1 6f bf 33 62 d4 f5 96")
    r.equal("table for User ID abc", keyspack.scrambling_table("abc")[:8].hex(" "),
            "7e 68 7b 66 b2 66 48 9a")

    number = keyspack.number_lines
    r.equal("X, empty, Y, X, Z numbered 0, 1, 3", number(b"X\n\nY\nX\nZ\n"),
            {b"X": 0, b"Y": 1, b"Z": 3})
    r.equal("CR stays in the name", number(b"A\r\nB\n"), {b"A\r": 0, b"B": 1})
    r.equal("last line without LF counts", number(b"A\nB"), {b"A": 0, b"B": 1})
    r.equal("final LF adds no key", number(b"A\n"), {b"A": 0})
    r.equal("empty file gives an empty table", number(b""), {})

    lines = ["id", "value", "", "Name"]
    packed = keyspack.write_keys_pack(lines, "777")
    r.equal("scramble round trip", keyspack.read_keys_pack(packed, "777"),
            {b"id": 0, b"value": 1, b"Name": 2})
    r.check("another User ID does not unscramble",
            keyspack.read_keys_pack(packed, "778") != {b"id": 0, b"value": 1, b"Name": 2})
    long_text = bytes(range(1, 200))
    r.equal("scrambling repeats the table every 64 bytes",
            keyspack.scramble(keyspack.scramble(long_text, "9"), "9"), long_text)

    kc = keyspack.key_code
    r.equal("built-ins with an empty table",
            [kc(n, {}) for n in (b"id", b"Class Name", b"value", b"User ID", b"Name")],
            [42, 33, 10, 50, -1])
    r.equal("built-in withheld when 42 is another name's", kc(b"id", {b"other": 42}), -1)
    r.equal("a table's own number wins", kc(b"id", {b"id": 7}), 7)

    r.equal("listing escapes", keyspack.listing({b"a\\b": 0, b"c\x7f\r": 1, b"d\"e f": 2}),
            "0 a\\\\b\n1 c\\x7f\\x0d\n2 d\"e f\n")


def encoding_vectors(r):
    r.equal("point (1.5, -2)", encode(A([F32(1.5), F32(-2)])).hex(" "),
            "92 ca 3f c0 00 00 ca c0 00 00 00")
    r.equal("-1", encode(I(-1)).hex(" "), "ff")
    r.equal("7", encode(I(7)).hex(" "), "07")
    r.equal("300", encode(I(300)).hex(" "), "cd 01 2c")
    r.equal("{42: 7, 33: \"QVModelObject\"}",
            encode(M([(42, I(7)), (33, S("QVModelObject"))])).hex(" "),
            "82 2a 07 21 ad 51 56 4d 6f 64 65 6c 4f 62 6a 65 63 74")
    r.equal("float32, never float64", encode(F32(0.1)).hex(" "), "ca 3d cc cc cd")

    # Every size class at both of its edges, against python3-msgpack's packer.
    ints = [0, 127, 128, 255, 256, 65535, 65536, 4294967295, 4294967296,
            -1, -32, -33, -128, -129, -32768, -32769, -2147483648, -2147483649]
    for n in ints:
        r.equal("int %d" % n, encode(I(n)), msgpack.packb(n))
    for n in (0, 31, 32, 255, 256, 65535, 65536):
        r.equal("str of %d bytes" % n, encode(S(b"x" * n)), msgpack.packb("x" * n))
        r.equal("bin of %d bytes" % n, encode(Bin(b"x" * n)), msgpack.packb(b"x" * n, use_bin_type=True))
    for n in (0, 15, 16, 65535, 65536):
        r.equal("array of %d" % n, encode(A([U(1)] * n)), msgpack.packb([1] * n))
        r.equal("map of %d" % n, encode(M([(i, Nil()) for i in range(n)])),
                msgpack.packb({i: None for i in range(n)}))
    for n in (1, 2, 3, 4, 8, 16, 17, 256):
        r.equal("ext of %d bytes" % n, encode(Ext(3, b"e" * n)),
                msgpack.packb(msgpack.ExtType(3, b"e" * n)))
    r.equal("bool, nil, float64", encode(A([B(True), B(False), Nil(), F64(0.5)])),
            msgpack.packb([True, False, None, 0.5]))
    r.check("U refuses negatives", _raises(lambda: U(-1)))

    r.equal("scalar texts", [scalar_text(v) for v in (
        F32(0.1), F32(-2), F64(0.1), F32(float("nan")), S(b'a"b\\c\x01\xff'), Bin(b"\x00\xab"),
        Ext(-1, b"\x10"), Nil(), B(False), I(-7))],
        ["f32 0.100000001", "f32 -2", "f64 0.10000000000000001", "f32 nan",
         '"a\\"b\\\\c\\x01\\xff"', "bin(00ab)", "ext(-1,10)", "nil", "false", "-7"])

    # The layout of the dump format's own example (its offsets are made up,
    # so only the object lines are compared).
    names = {42: "id", 33: "Class Name", 0: "Name", 10: "value", 5: "Position",
             11: "variableValue", 62: "animationsX", 20: "state", 21: "animation",
             22: "points", 23: "preset"}
    zero = A([F32(0), F32(0)])
    obj = M([(42, U(7)), (33, S("TestAllKinds")), (0, M([(10, S("Hero"))])),
             (5, M([(10, A([F32(1.5), F32(-2)])), (11, zero),
                    (62, A([M([(20, U(1)), (21, M([(22, A([zero, zero])), (23, U(4))]))])]))]))])
    _, text = dump([obj], names, "nil")
    r.equal("dump layout", text.splitlines()[:-1], [
        "object 0 at 0", "  42 id: 7", '  33 Class Name: "TestAllKinds"', "  0 Name: {",
        '    10 value: "Hero"', "  }", "  5 Position: {", "    10 value: [f32 1.5, f32 -2]",
        "    11 variableValue: [f32 0, f32 0]", "    62 animationsX: [", "      {",
        "        20 state: 1", "        21 animation: {", "          22 points: [",
        "            [f32 0, f32 0]", "            [f32 0, f32 0]", "          ]",
        "          23 preset: 4", "        }", "      }", "    ]", "  }"])
    r.equal("dump of empty containers", dump([M([(1, M()), (2, A())])], {}, "data")[1],
            "object 0 at 0\n  1 ?: {}\n  2 ?: []\nend: data at 5\n")

    c = Curve.added([(0, 0), (1, 10), (3, 2), (4, 6)])
    r.equal("added keys smooth interior controls", c.keys,
            [(0, 0, 0, 0), (9.5, 1, 10, 10.5), (3, 3, 2, 1), (6, 4, 6, 6)])


def _raises(fn):
    try:
        fn()
    except (ValueError, TypeError):
        return True
    return False


def _forms(node, found):
    """Collect the encoding form of every node (by its first byte)."""
    b = encode(node)[0]
    if b <= 0x7F:
        found.add("positive fixint")
    elif b >= 0xE0:
        found.add("negative fixint")
    elif 0x80 <= b <= 0x8F:
        found.add("fixmap")
    elif 0x90 <= b <= 0x9F:
        found.add("fixarray")
    elif 0xA0 <= b <= 0xBF:
        found.add("fixstr")
    else:
        found.add({0xCC: "uint8", 0xCD: "uint16", 0xCE: "uint32", 0xCF: "uint64",
                   0xD0: "int8", 0xD1: "int16", 0xD2: "int32", 0xD3: "int64",
                   0xD9: "str8", 0xDA: "str16", 0xDC: "array16", 0xDE: "map16",
                   0xCA: "float32", 0xCB: "float64", 0xC4: "bin8", 0xC2: "bool",
                   0xC3: "bool", 0xC0: "nil"}.get(b, "other %02x" % b))
    if isinstance(node, A):
        for item in node.items:
            _forms(item, found)
    elif isinstance(node, M):
        for k, v in node.entries:
            _forms(k, found)
            _forms(v, found)


def fixture_checks(r):
    files = fx.build()
    names = {n: name for n, name in enumerate(fx.PACK_KEY_NAMES)}

    # Key files: unscramble with the intended User ID and compare with the lines.
    for uid in fx.BASIC_USER_IDS:
        data = files["keys/basic-%s.pack" % uid]
        r.equal("basic-%s.pack unscrambles to the name list" % uid,
                keyspack.scramble(data, uid), keyspack.plain_text(fx.BASIC_LINES))
    r.check("the two basic packs differ", files["keys/basic-12345.pack"] != files["keys/basic-abc.pack"])
    r.equal("edge-0.pack", keyspack.scramble(files["keys/edge-0.pack"], "0"), b"X\n\nY\nX\nZ\r\nW")
    r.equal("edge.expected", files["keys/edge.expected"], b"0 X\n1 Y\n3 Z\\x0d\n4 W\n")
    r.equal("empty fixture", (files["keys/empty.pack"], files["keys/empty.expected"]), (b"", b""))
    table = keyspack.read_keys_pack(files["packs/Keys.pack"], fx.PACKS_USER_ID)
    r.equal("pinned key numbers", [table.get(n) for n in (b"value", b"Class Name", b"id", b"User ID")],
            [10, 33, 42, 50])
    r.equal("packs/Keys.pack holds the described names",
            sorted(table.items(), key=lambda kv: kv[1]),
            [(name.encode(), n) for n, name in enumerate(fx.PACK_KEY_NAMES)])

    # Pack files: decode with python3-msgpack and compare with the description.
    streams = {"all-kinds.attributes": (fx.attributes_objects(), False),
               "all-kinds.connections": (fx.connections_objects(), False),
               "stream": (fx.STREAM_OBJECTS, True)}
    forms = set()
    for base, (objects, nil_end) in streams.items():
        data = files["packs/%s.pack" % base]
        expected = files["packs/%s.expected" % base].decode()
        unpacker = msgpack.Unpacker(raw=True, strict_map_key=False, object_pairs_hook=list,
                                    ext_hook=lambda code, b: ("ext", code, b))
        unpacker.feed(data)
        offsets, decoded = [], []
        for _ in objects:
            offsets.append(unpacker.tell())
            decoded.append(unpacker.unpack())
        r.equal("%s decodes to its description" % base, decoded, [to_python(o) for o in objects])
        listed = [int(l.rsplit(" ", 1)[1]) for l in expected.splitlines() if l.startswith("object ")]
        r.equal("%s object offsets" % base, listed, offsets)
        end = unpacker.tell()
        if nil_end:
            r.check("%s ends in a nil" % base, unpacker.unpack() is None)
            r.equal("%s end line" % base, expected.splitlines()[-1], "end: nil at %d" % end)
            r.check("%s trailing bytes are not msgpack" % base,
                    _decode_fails(data[end + 1:]))
        else:
            r.equal("%s has no bytes after its objects" % base, end, len(data))
            r.equal("%s end line" % base, expected.splitlines()[-1], "end: data at %d" % len(data))
        for o in objects:
            _forms(o, forms)
        used = set()
        for o in objects:
            _key_numbers(o, used)
        unknown = sorted(n for n in used if n not in names)
        r.equal("%s key numbers the table lacks" % base, unknown, [250, 251] if base == "stream" else [])

    r.check("a truncated attributes pack does not decode",
            _decode_fails(files["packs/all-kinds.attributes.pack"][:60]))
    needed = {"fixstr", "str8", "fixarray", "array16", "fixmap", "positive fixint", "uint8",
              "uint16", "uint32", "negative fixint", "int8", "int16", "int32"}
    r.equal("forms the fixtures must cover", sorted(needed - forms), [])

    full = fx.FULL.values
    r.check("the fully set model has a curve of at least 8 keys",
            max(len(c.keys) for c in full["Point"]["curvesX"].values()) >= 8)
    r.check("its text is 32 to 255 bytes", 32 <= len(full["Text"].encode()) <= 255)
    r.check("its uint is above 2^31 and its int negative",
            full["UInt"]["value"] > 2 ** 31 and full["Int"]["value"] < 0)
    r.equal("its gradient has 3 keys", len(full["Gradient"]), 3)
    r.check("its point has x and y curves for the same two states",
            sorted(full["Point"]["curvesX"]) == sorted(full["Point"]["curvesY"])
            and len(full["Point"]["curvesX"]) == 2)
    r.check("README names every attribute",
            all(('"%s"' % d.name) in files["packs/README.md"].decode()
                for d in fx.TEST_ALL_KINDS.decls))


def class_fixture_checks(r):
    """The `full` game: every class of the schema listing, each with one
    model set away from every default, and packs a foreign reader decodes
    into one map per model with every key number in the key table."""
    import os
    from . import classes, classfixtures
    spec_dir = os.path.dirname(fx.SCHEMA_CLASSES)
    spec = classfixtures.load_spec(spec_dir, "full")
    models = classfixtures.build_models(spec)
    present = {m.cls.class_name for m in models}
    r.equal("classes of the schema listing missing from the full game",
            [c for c in fx.schema_classes() if c not in present], [])
    ids = [m.id for m in models]
    r.check("full game ids lie in 1000..1999", all(1000 <= i <= 1999 for i in ids))

    def away(m, d):
        if d.kind == "emitters" or (d.kind == "attribute" and d.mode != 2):
            return True  # nothing to set: no value, no link of its own
        have, fresh = m.values[d.name], classes.fresh_value(d)
        if isinstance(fresh, dict):
            return have["value"] != fresh["value"]
        return have is not None and have != fresh

    lazy = []
    for name in fx.schema_classes() + ["QVModelGeneralSettings"]:
        members = [m for m in models if m.cls.class_name == name]
        if members and not any(all(away(m, d) for d in m.cls.decls) for m in members):
            m = members[0]
            lazy.append("%s (%s)" % (name, ", ".join(d.name for d in m.cls.decls if not away(m, d))))
    r.equal("classes without a model set away from every default", lazy, [])

    for game in classfixtures.games(spec_dir):
        _check_game_packs(r, game, classfixtures.load_spec(spec_dir, game))

    # The button constructors insert and rename; their resulting orders, as
    # the class descriptions spell them out.
    for name, order in BUTTON_ORDERS.items():
        r.equal("attribute order of %s" % name,
                [d.name for d in classes.CLASSES[name].decls], ORDER_HEAD + order.split(", "))


def _check_game_packs(r, game, spec):
    from . import classfixtures
    models = classfixtures.build_models(spec)
    files, listing = classfixtures.game_files(spec)
    table = keyspack.read_keys_pack(files["Keys.pack"], spec["user_id"])
    numbers = set(table.values())
    per_class = {}
    for m in models:
        per_class[m.cls.class_name] = per_class.get(m.cls.class_name, 0) + 1
    bad = []
    for name, count in sorted(per_class.items()):
        for stage in ("attributes", "connections"):
            unpacker = msgpack.Unpacker(raw=True, strict_map_key=False)
            unpacker.feed(files["%s.0.%s.pack" % (name, stage)])
            maps = list(unpacker)
            used = set()
            for o in maps:
                _raw_keys(o, used)
            # Raw key numbers a spec writes on purpose are not in the table.
            used -= {key for m in models for key, _ in m.values.get(LINKS_OUT, [])
                     if isinstance(key, int)}
            if len(maps) != count or used - numbers:
                bad.append("%s.0.%s.pack" % (name, stage))
    r.equal("%s game packs that do not decode to their models" % game, bad, [])
    r.equal("%s game listing count" % game, listing.splitlines()[0], "models %d" % len(models))


ORDER_HEAD = ["Name", "Position", "Rotation", "Scale", "Opacity", "Z Depth", "Hidden"]
BUTTON_ORDERS = {
    "QVModelObjectButton":
        "Image, Image Selected, Autohide, Stick To Edge, Action, Interval, Back To, "
        "Back To World, Click Sound, Release Sound, Block Touch, Keyboard Key, Touch Emulation",
    "QVModelObjectButtonPowerup":
        "Image, Image Selected, Autohide, Stick To Edge, Powerup Selection, "
        "Force Action on Press, Layering, Visibility Threshold, Interval, Back To, Back To World, "
        "Click Sound, Release Sound, Block Touch, Keyboard Key, Touch Emulation, Label Offset, "
        "Label Scale, Label Vertical Spacing, Unlimited Use, Max Refill, Refill Timeout, "
        "Refill At Start",
    "QVModelObjectButtonPurchase":
        "Image, Image Selected, Autohide, Stick To Edge, Powerup Selection, Type, "
        "Visibility Threshold, Interval, Back To, Back To World, Click Sound, Release Sound, "
        "Block Touch, Keyboard Key, Touch Emulation, Buy And Use, Quantity, Purchase Complete, "
        "Purchase Method, Price, One Time Purchase, Store Identifier, Ad Network",
    "QVModelObjectLockButton":
        "Image, Image Selected, Locked Image, Locked Image Selected, Autohide, Stick To Edge, "
        "Action, Unlock, Price, Store Identifier, Destination, World, Scene, Auto Follow, "
        "Auto Lock, Interval, Back To, Back To World, Click Sound, Release Sound, Block Touch, "
        "Keyboard Key, Touch Emulation",
}


def readgame_checks(r):
    """readgame over the `full` game and broken copies of it: the clean game
    lists what the loader check lists, each fault gives its error line."""
    import os
    import shutil
    import tempfile
    from . import classfixtures, readgame, zipwriter
    spec = classfixtures.load_spec(os.path.dirname(fx.SCHEMA_CLASSES), "full")
    files, listing = classfixtures.game_files(spec)
    data = {n: b for n, b in files.items() if "/" not in n}
    table = {name.decode(): n for name, n in keyspack.read_keys_pack(data["Keys.pack"],
                                                                      spec["user_id"]).items()}
    password = readgame.decode_archive_password(readgame.STORED_ARCHIVE_PASSWORD).decode()
    r.equal("archive password derived from the stored string", password, "rzQKcR5azqXhHMh")

    def package(d, pw=password):
        return zipwriter.traditional_zip([(n, d[n], i % 2 == 1) for i, n in enumerate(sorted(d))],
                                         pw)

    def repack(name, edit):
        def change(d):
            unpacker = msgpack.Unpacker(raw=True, strict_map_key=False)
            unpacker.feed(d[name])
            objects = list(unpacker)
            edit(objects)
            d[name] = b"".join(msgpack.packb(o) for o in objects)
        return change

    def rename(old, new):
        def change(d):
            d[new] = d.pop(old)
        return change

    def add_file(name, content):
        def change(d):
            d[name] = content
        return change

    def remove(name):
        return lambda d: d.pop(name)

    k = table.__getitem__
    sprites = "QVModelSprite.0.attributes.pack"
    cases = [  # (name, change of the folder, change of the package, error wanted or None)
        ("clean folder and package", None, None, None),
        ("package entry differs", None, repack(sprites, lambda o: o.pop()), "differs from its"),
        ("package under another password", None, "wrong", "does not read"),
        ("folder pack missing from the package", None, remove(sprites), "not in the package"),
        ("pack number gap", rename(sprites, "QVModelSprite.1.attributes.pack"), None,
         "number 0 is missing"),
        ("not a pack name", add_file("QVModelSprite.a.attributes.pack", b""), None,
         "not a pack name"),
        ("class that does not exist", add_file("QVModelNone.0.attributes.pack", b""), None,
         "is no model class"),
        ("id given twice", repack(sprites, lambda o: o.append(o[0])), None, "given twice"),
        ("class name not the file's", repack(sprites, lambda o: o[0].__setitem__(
            k("Class Name"), b"QVModelAtlas")), None, "is not the file's"),
        ("child that is no model", repack("QVModelSpriteContainer.0.connections.pack",
                                          lambda o: o[0][k("children")].append(9)), None,
         "child 9 is no model"),
        ("follower of no model", repack("QVNodeUIStart.0.connections.pack", lambda o: [
            v.__setitem__(k("connectedModelId"), 9) for v in o[0].values()
            if isinstance(v, dict) and k("connectedModelId") in v]), None, "9 is no model"),
        ("key number not in Keys.pack", repack(sprites, lambda o: o[0].__setitem__(9999, 1)),
         None, "key number 9999"),
        ("Keys.pack of another User ID", add_file("Keys.pack", keyspack.scramble(
            keyspack.scramble(data["Keys.pack"], spec["user_id"]), "54321")), None,
         "no \"Name\""),
        ("truncated pack", add_file(sprites, data[sprites][:-3]), None, "undecodable object"),
        ("no settings pack", remove(readgame.SETTINGS_PACK), None, readgame.SETTINGS_PACK),
    ]
    for name, folder_change, package_change, wanted in cases:
        folder, packed = dict(data), dict(data)
        if folder_change:
            folder_change(folder)
            if package_change is None:
                packed = dict(folder)
        if callable(package_change):
            package_change(packed)
        scratch = tempfile.mkdtemp(prefix="qvreadgame-")
        try:
            os.makedirs(os.path.join(scratch, "data"))
            folder["data.pkg"] = package(packed, package_change if isinstance(
                package_change, str) else password)
            for n, b in folder.items():
                with open(os.path.join(scratch, "data", n), "wb") as f:
                    f.write(b)
            game = readgame.read_game(scratch)
        finally:
            shutil.rmtree(scratch)
        if wanted is None:
            r.equal("readgame: %s" % name, (game.errors, game.listing()), ([], listing))
        else:
            r.check("readgame: %s" % name, any(wanted in e for e in game.errors),
                    "errors: %r" % game.errors)


def _raw_keys(node, out):
    if isinstance(node, dict):
        for k, v in node.items():
            if isinstance(k, int):
                out.add(k)
            _raw_keys(v, out)
    elif isinstance(node, list):
        for item in node:
            _raw_keys(item, out)


def _key_numbers(node, out):
    if isinstance(node, M):
        for k, v in node.entries:
            if isinstance(k, U):
                out.add(k.n)
            if not (isinstance(k, U) and k.n in (250, 251)):
                _key_numbers(v, out)
    elif isinstance(node, A):
        for item in node.items:
            _key_numbers(item, out)


def _decode_fails(data):
    try:
        unpacker = msgpack.Unpacker(raw=True, strict_map_key=False)
        unpacker.feed(data)
        unpacker.unpack()
    except Exception:  # any decoder complaint: truncation, reserved byte
        return True
    return False


def pack_numbering_checks(r):
    """Pack numbers and sparse connections packs: the folder loader stops a
    class at its first missing number, so the writer refuses a gap rather
    than make a game whose later packs would never load."""
    import struct
    from . import classfixtures, icowriter

    def game(screens, sparse=True):
        models = [{"id": 1, "class": "QVModelGeneralSettings", "attributes": {"User ID": "1"}}]
        for sid, pack, children in screens:
            models.append({"id": sid, "class": "QVModelScreen", "pack": pack, "children": children})
        models.append({"id": 9, "class": "QVModelObjectLabel"})
        spec = {"user_id": "1", "sparse_connections": sparse, "models": models}
        try:
            return sorted(n for n in classfixtures.game_files(spec)[0] if "Screen" in n)
        except classfixtures.SpecError:
            return "refused"

    rows = [
        ("packs 0 and 1, both linking", [(2, 0, [9]), (3, 1, [9])],
         ["QVModelScreen.0.attributes.pack", "QVModelScreen.0.connections.pack",
          "QVModelScreen.1.attributes.pack", "QVModelScreen.1.connections.pack"]),
        ("pack 1 without pack 0", [(2, 1, [9])], "refused"),
        ("links only in pack 1", [(2, 0, []), (3, 1, [9])], "refused"),
        ("links only in pack 0", [(2, 0, [9]), (3, 1, [])],
         ["QVModelScreen.0.attributes.pack", "QVModelScreen.0.connections.pack",
          "QVModelScreen.1.attributes.pack"]),
        ("a negative pack number", [(2, -1, [])], "refused"),
    ]
    for what, screens, want in rows:
        r.equal("screen packs, %s" % what, game(screens), want)
    r.equal("without sparse_connections every pack has its connections",
            game([(2, 0, [])], sparse=False),
            ["QVModelScreen.0.attributes.pack", "QVModelScreen.0.connections.pack"])

    png16 = classfixtures.png(16, 16, lambda x, y: (1, 2, 3, 255))
    ico = icowriter.ico([(16, 16, png16), (256, 256, b"P")])
    r.equal("ICO header and entries", struct.unpack("<HHH", ico[:6]) + struct.unpack(
        "<BBBBHHII", ico[6:22]) + struct.unpack("<BBBBHHII", ico[22:38]),
        (0, 1, 2, 16, 16, 0, 0, 1, 32, len(png16), 38, 0, 0, 0, 0, 1, 32, 1, 38 + len(png16)))
    r.equal("ICO images follow the directory", ico[38:], png16 + b"P")
    r.check("ICO refuses a 257-pixel entry", _raises(lambda: icowriter.ico([(257, 1, b"")])))


def id_text_checks(r):
    """An id text must name a model of its class, unless the model lists the
    attribute under "unchecked_ids"; only id-text attributes may be listed."""
    from . import classfixtures

    def game(selection, unchecked=None):
        button = {"id": 3, "class": "QVModelObjectButtonPurchase",
                  "attributes": {"Powerup Selection": selection}}
        if unchecked is not None:
            button["unchecked_ids"] = unchecked
        spec = {"user_id": "1", "models": [
            {"id": 1, "class": "QVModelGeneralSettings", "attributes": {"User ID": "1"}},
            {"id": 2, "class": "QVModelAssetPowerup"}, button]}
        try:
            classfixtures.game_files(spec)
            return "written"
        except classfixtures.SpecError:
            return "refused"

    rows = [
        ("a powerup's id", "2", None, "written"),
        ("an id of no model", "5999", None, "refused"),
        ("an id of another class", "3", None, "refused"),
        ("an id of no model, unchecked", "5999", ["Powerup Selection"], "written"),
        ("an unchecked attribute that holds no id", "2", ["Type"], "refused"),
        ("an unchecked attribute the class lacks", "2", ["Scene"], "refused"),
    ]
    for what, selection, unchecked, want in rows:
        r.equal("id texts, %s" % what, game(selection, unchecked), want)


def _png_pixels(data):
    """(width, height, rows of RGBA tuples) of an 8-bit RGBA PNG whose rows
    all use filter 0, as the writer writes them."""
    import struct
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, tag = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 6)
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + 4 * width
    rows = []
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        assert row[0] == 0
        rows.append([tuple(row[1 + 4 * x:5 + 4 * x]) for x in range(width)])
    return width, height, rows


def root_file_checks(r):
    """Fills (a colour, rectangles, a fading disc) and verbatim files beside
    a game's packs, and a sprite frame filled in its own coordinates: the
    pixels land where the description puts them, and a path outside the root, over
    a file the writer writes anyway or with a bad form is refused."""
    import os
    from . import classfixtures

    def root(files, data=("Keys.pack",)):
        try:
            return classfixtures.root_media({"files": files}, data)
        except classfixtures.SpecError:
            return "refused"

    red, blue, white = [255, 0, 0], [0, 0, 255], [255, 255, 255]
    written = root({"a/b.png": {"png": {"size": [6, 4], "colour": blue,
                                        "rects": [[0, 0, 2, 4, red], [1, 1, 1, 1, white]]}},
                    "data/s.fsh": {"text": "line 1\n  é\n"}})
    w, h, rows = _png_pixels(written["a/b.png"])
    r.equal("fill: size", (w, h), (6, 4))
    r.equal("fill: colour, then rects in order, each over the last",
            [rows[0][0], rows[0][1], rows[1][1], rows[1][2], rows[3][5]],
            [(255, 0, 0, 255), (255, 0, 0, 255), (255, 255, 255, 255), (0, 0, 255, 255),
             (0, 0, 255, 255)])
    r.equal("text is written verbatim as UTF-8", written["data/s.fsh"], "line 1\n  é\n".encode())

    disc = root({"m.png": {"png": {"size": [64, 64], "disc": {
        "centre": [32.5, 31.5], "radius": 24, "fade": 28, "colour": white}}}})
    _, _, rows = _png_pixels(disc["m.png"])
    # Pixel centres at distance 0, 23, 25 and 29 on the row through the centre.
    r.equal("disc: opaque inside, fading between radius and fade, clear beyond",
            [rows[31][32], rows[31][55], rows[31][57], rows[31][61], rows[0][0]],
            [(255, 255, 255, 255), (255, 255, 255, 255), (255, 255, 255, 191), (0, 0, 0, 0),
             (0, 0, 0, 0)])

    rows_ = [
        ("an absolute path", {"/x.png": {"text": ""}}),
        ("a path leaving the root", {"a/../../x": {"text": ""}}),
        ("a file the writer writes", {"data/Keys.pack": {"text": ""}}),
        ("the splash", {"Default.png": {"text": ""}}),
        ("both forms", {"x": {"text": "", "png": {"size": [1, 1]}}}),
        ("a png without size", {"x.png": {"png": {"colour": red}}}),
        ("a zero size", {"x.png": {"png": {"size": [0, 4]}}}),
        ("a rect leaving the image", {"x.png": {"png": {"size": [4, 4], "rects": [[2, 0, 3, 1, red]]}}}),
        ("a colour out of range", {"x.png": {"png": {"size": [4, 4], "colour": [256, 0, 0]}}}),
        ("an unknown fill key", {"x.png": {"png": {"size": [4, 4], "gradient": red}}}),
        ("a disc fading inside its radius", {"x.png": {"png": {"size": [4, 4], "disc": {
            "centre": [2, 2], "radius": 2, "fade": 1, "colour": red}}}}),
    ]
    for what, files in rows_:
        r.equal("root files refuse %s" % what, root(files), "refused")

    # A sprite frame filled in its own coordinates on the atlas page.
    spec = {"user_id": "1", "media": {"colours": {"3": {"colour": blue, "rects": [[0, 0, 2, 2, red]]}}},
            "models": [{"id": 1, "class": "QVModelGeneralSettings", "attributes": {"User ID": "1"}},
                       {"id": 2, "class": "QVModelAtlas", "attributes": {"width": 128, "height": 128},
                        "children": [3]},
                       {"id": 3, "class": "QVModelSprite", "attributes": {
                           "Size": [4, 3], "Source Rect": [10, 20, 4, 3], "SourceSize": [4, 3]}}]}
    _, _, rows = _png_pixels(classfixtures.game_files(spec)[0]["atlases/atlas_ID2.png"])
    r.equal("sprite fill: its rects sit in the frame",
            [rows[20][10], rows[21][11], rows[20][12], rows[22][13], rows[22][14], rows[19][10]],
            [(255, 0, 0, 255), (255, 0, 0, 255), (0, 0, 255, 255), (0, 0, 255, 255), (0, 0, 0, 0),
             (0, 0, 0, 0)])

    # The effects game's files beside its packs.
    effects_dir = os.path.join(os.path.dirname(os.path.dirname(fx.SCHEMA_CLASSES)), "effects")
    effects = classfixtures.load_spec(effects_dir, "effects")
    files, _ = classfixtures.game_files(effects)
    media = classfixtures.root_media(effects["media"], files)
    r.equal("effects: the files beside the packs",
            sorted(media), ["data/images/QVModelSprite_ID7013.png", "data/shaders/WaterReflection.fsh",
                            "fx/flagMap.png", "fx/lightMap.png", "fx/trailMap.png"])


def run():
    r = Results()
    for group in (key_table_vectors, encoding_vectors, fixture_checks, class_fixture_checks,
                  readgame_checks, pack_numbering_checks, root_file_checks, id_text_checks):
        try:
            group(r)
        except Exception as e:  # a broken group is a failure, not a crash
            r.check(group.__name__ + " ran to the end", False, "%s: %s" % (type(e).__name__, e))
    print("%d passed, %d failed" % (r.passed, r.failed))
    return 0 if r.failed == 0 else 1
