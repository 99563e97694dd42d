"""An independent reader of an exported game's data folder.

Reads <dir>/data the way the player's loader does (general settings with the
built-in key numbers, Keys.pack, every pack), checks what the loader relies
on, compares data.pkg with the folder when there is one, and lists the
models as the loader check prints them.
"""

import base64
import os
import re
import zipfile

import msgpack

from . import keyspack
from .classes import ALL_CLASSES

# The stored archive password and the table that decodes it, typed from the
# project's design notes like the Keys.pack constant.
STORED_ARCHIVE_PASSWORD = "m6lN0kdRRxOTokTxbE4a"
PASSWORD_TABLE = bytes.fromhex("E9 D3 1C 99 24 03 72 72")

SETTINGS_PACK = "QVModelGeneralSettings.0.attributes.pack"
_PACK_NAME = re.compile(r"^([^.]+)\.(0|[1-9][0-9]*)\.(attributes|connections)\.pack$")
_MAX_ID = 0xFFFFFFFF


class Map(list):
    """A decoded msgpack map: its (key, value) pairs in stream order, so
    that repeated keys stay visible and arrays are never taken for maps."""


def decode_archive_password(stored):
    """Base64, then each byte XOR the table; no bytes give no password."""
    try:
        raw = base64.b64decode(stored, validate=True)
    except ValueError:
        raw = b""
    return bytes(b ^ PASSWORD_TABLE[i % len(PASSWORD_TABLE)] for i, b in enumerate(raw))


def decode_pack(data):
    """(objects, problem): the objects up to the end or the first nil, maps
    as Map; on undecodable data those before it, as the loader keeps them."""
    unpacker = msgpack.Unpacker(raw=True, strict_map_key=False, object_pairs_hook=Map,
                                max_buffer_size=max(len(data), 1))
    unpacker.feed(data)
    objects = []
    while unpacker.tell() < len(data):
        at = unpacker.tell()
        try:
            obj = unpacker.unpack()
        except Exception as e:  # truncation, reserved bytes, over-deep nesting
            return objects, "undecodable object at byte %d (%s)" % (at, type(e).__name__)
        if obj is None:
            break
        objects.append((at, obj))
    return objects, None


def _first(pairs, key):
    """A map's value under a key number; the first one wins, as in the player."""
    if not isinstance(pairs, Map):
        return None
    for k, v in pairs:
        if k == key:
            return v
    return None


def _text(value):
    return value if isinstance(value, bytes) else None


def _model_id(value):
    return value if isinstance(value, int) and not isinstance(value, bool) \
        and 0 <= value <= _MAX_ID else None


def settings_user_id(data):
    """The "User ID" the first read of the settings pack gives: only the
    built-in key numbers resolve, and the last settings model read wins."""
    n = keyspack.BUILTIN_KEY_NUMBERS
    user_id = b""
    for _, obj in decode_pack(data)[0]:
        if _model_id(_first(obj, n["id"])) is None:
            continue
        if _first(obj, n["Class Name"]) != b"QVModelGeneralSettings":
            continue
        user_id = b""
        user_id = _text(_first(_first(obj, n["User ID"]), n["value"])) or b""
    return user_id


class Game:
    """What the checks found: error lines, and the models read."""

    def __init__(self):
        self.errors = []
        self.models = {}  # id -> (class name, name)

    def error(self, text):
        self.errors.append(text)

    def listing(self):
        return keyspack.model_listing((i, cls, name) for i, (cls, name) in self.models.items())


def _pack_files(data_dir, game):
    """stage -> class -> number -> file name, after the naming checks."""
    found = {"attributes": {}, "connections": {}}
    for name in sorted(os.listdir(data_dir)):
        if not re.match(r"^.+\..+\.pack$", name) or name == "Keys.pack" \
                or not os.path.isfile(os.path.join(data_dir, name)):
            continue
        m = _PACK_NAME.match(name)
        if not m:
            game.error("%s: not a pack name (<Class>.<n>.attributes|connections.pack)" % name)
            continue
        cls, number, stage = m.group(1), int(m.group(2)), m.group(3)
        if cls not in ALL_CLASSES:
            game.error("%s: %s is no model class" % (name, cls))
            continue
        found[stage].setdefault(cls, {})[number] = name
    for stage, classes in found.items():
        for cls, numbers in sorted(classes.items()):
            missing = [n for n in range(max(numbers) + 1) if n not in numbers]
            if missing:
                game.error("%s.*.%s.pack: number %d is missing, so the later packs never load"
                           % (cls, stage, missing[0]))
    return found


def _check_keys(node, names, where, game, seen):
    """Every map key anywhere is a key number that Keys.pack names. A walk
    with its own stack: a hostile pack nests deeper than Python recurses."""
    stack = [node]
    while stack:
        node = stack.pop()
        if isinstance(node, Map):
            for k, v in node:
                if not isinstance(k, int) or isinstance(k, bool) or k < 0:
                    game.error("%s: map key %r is not a key number" % (where, k))
                elif k not in names and k not in seen:
                    seen.add(k)
                    game.error("%s: key number %d is not in Keys.pack" % (where, k))
                stack.append(v)
        elif isinstance(node, list):
            stack.extend(node)


def _read_packs(data_dir, files, table, game):
    """stage -> [(file name, class, where, object)] of every map object."""
    names = set(table.values())
    read = {"attributes": [], "connections": []}
    for stage in ("attributes", "connections"):
        for cls in sorted(files[stage]):
            for number in sorted(files[stage][cls]):
                name = files[stage][cls][number]
                try:
                    with open(os.path.join(data_dir, name), "rb") as f:
                        data = f.read()
                except OSError as e:
                    game.error("%s: %s" % (name, e.strerror))
                    continue
                objects, problem = decode_pack(data)
                if problem:
                    game.error("%s: %s" % (name, problem))
                seen = set()
                for at, obj in objects:
                    where = "%s at byte %d" % (name, at)
                    if not isinstance(obj, Map):
                        game.error("%s: object is not a map" % where)
                        continue
                    _check_keys(obj, names, where, game, seen)
                    read[stage].append((name, cls, where, obj))
    return read


def _attributes(read, k, game):
    for name, cls, where, obj in read:
        model_id = _model_id(_first(obj, k("id")))
        if model_id is None:
            game.error("%s: no \"id\"" % where)
            continue
        class_name = _first(obj, k("Class Name"))
        if class_name != cls.encode():
            game.error("%s: \"Class Name\" %r is not the file's %s" % (where, class_name, cls))
            continue
        if model_id in game.models:
            game.error("%s: id %d is given twice" % (where, model_id))
            continue
        text = _text(_first(_first(obj, k("Name")), k("value")))
        if text is None:
            game.error("%s: model %d has no \"Name\" text" % (where, model_id))
            text = b""
        game.models[model_id] = (cls, text)


def _connections(read, k, game):
    for name, cls, where, obj in read:
        model_id = _model_id(_first(obj, k("id")))
        if model_id not in game.models:
            game.error("%s: connections of id %r, which no model has" % (where, model_id))
            continue
        for key, value in obj:
            if key == k("children"):
                if not isinstance(value, list) or isinstance(value, Map):
                    game.error("%s: model %d: \"children\" is not a list of ids"
                               % (where, model_id))
                    continue
                for child in value:
                    if _model_id(child) not in game.models:
                        game.error("%s: model %d: child %r is no model" % (where, model_id, child))
            elif isinstance(value, Map):
                _check_link(value, k, where, model_id, game)


def _check_link(link, k, where, model_id, game):
    # A follower's source, and a reference's target ("value"); 0 means none.
    for field in ("connectedModelId", "value"):
        target = _first(link, k(field))
        if target is None or target == 0:
            continue
        if _model_id(target) not in game.models:
            game.error("%s: model %d: \"%s\" %r is no model" % (where, model_id, field, target))


def _check_package(data_dir, game):
    path = os.path.join(data_dir, "data.pkg")
    if not os.path.exists(path):
        return
    password = decode_archive_password(STORED_ARCHIVE_PASSWORD) or None
    try:
        archive = zipfile.ZipFile(path)
    except (OSError, zipfile.BadZipFile) as e:
        game.error("data.pkg: not a zip archive (%s)" % e)
        return
    with archive:
        entries = [i for i in archive.infolist() if not i.filename.endswith("/")]
        for info in entries:
            entry = info.filename
            folder = os.path.join(data_dir, entry)
            if "/" in entry or not os.path.isfile(folder):
                game.error("data.pkg: entry %s has no file in the data folder" % entry)
                continue
            if info.compress_type == 99:
                game.error("data.pkg: entry %s is WinZip AES, which zipfile cannot read" % entry)
                continue
            try:
                content = archive.read(info, pwd=password)
            except (RuntimeError, NotImplementedError, zipfile.BadZipFile, OSError,
                    EOFError, ValueError) as e:
                game.error("data.pkg: entry %s does not read (%s)" % (entry, e))
                continue
            with open(folder, "rb") as f:
                if f.read() != content:
                    game.error("data.pkg: entry %s differs from its folder file" % entry)
        held = {i.filename for i in entries}
        for name in sorted(os.listdir(data_dir)):
            if (name == "Keys.pack" or _PACK_NAME.match(name)) and name not in held:
                game.error("data.pkg: %s of the data folder is not in the package" % name)


def read_game(root):
    """Every check over <root>/data; the Game with its errors and models."""
    game = Game()
    data_dir = os.path.join(root, "data")
    if not os.path.isdir(data_dir):
        game.error("%s is not a directory" % data_dir)
        return game
    try:
        with open(os.path.join(data_dir, SETTINGS_PACK), "rb") as f:
            user_id = settings_user_id(f.read())
    except OSError as e:
        game.error("%s: %s" % (SETTINGS_PACK, e.strerror))
        return game
    try:
        with open(os.path.join(data_dir, "Keys.pack"), "rb") as f:
            table = keyspack.read_keys_pack(f.read(), user_id)
    except OSError as e:
        game.error("Keys.pack: %s" % e.strerror)
        return game

    def k(name):
        return keyspack.key_code(name.encode(), table)

    if k("Name") < 0:
        game.error("Keys.pack: no \"Name\" (scrambled with another User ID than %r?)"
                   % user_id.decode("utf-8", "replace"))
    files = _pack_files(data_dir, game)
    read = _read_packs(data_dir, files, table, game)
    _attributes(read["attributes"], k, game)
    _connections(read["connections"], k, game)
    _check_package(data_dir, game)
    return game


def run(root, out):
    """Prints the listing, or the error lines; returns the exit status."""
    game = read_game(root)
    if game.errors:
        out.write("".join("error: %s\n" % e for e in game.errors))
        return 1
    out.write(game.listing())
    return 0
