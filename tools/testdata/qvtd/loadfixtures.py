"""The loader's fixtures: data folders and data packages made from the specs
in tests/fixtures/load/.

  small.json     the models of the small game, pack by pack
  large.json     the sizes of the generated large game, and the model counts
                 of its resized copies (sweep-<count>) for the load benchmarks
  packages.json  the password, the packages and the broken variants

A spec folder may instead (or as well) hold fixture games in the JSON form
of class-fixtures (tests/fixtures/player/menus.json); each is written as its
folder root, with its listing, and can be the source of packages.

Every resource root is written as <out>/<name>/data/...: a folder of packs
and Keys.pack, or one data.pkg. Packages come from this writer (traditional
encryption), from Info-ZIP's zip and from 7-Zip, with every entry in byte
order of its name so that all of them walk alike. A package holds the packs
and Keys.pack only; the rest of a fixture game (atlases, fonts, the files
beside data/) is copied into each of its package roots.
"""

import json
import os
import shutil
import subprocess
import tempfile

from . import keyspack, zipwriter
from .msgpackenc import A, F32, I, M, S, U, encode

PINNED = {10: "value", 33: "Class Name", 42: "id", 50: "User ID"}


# ---------------------------------------------------------------- packs

def _typed(value):
    """A spec value as a msgpack node: text, or {"uint"|"int"|"float": n}."""
    if isinstance(value, str):
        return S(value)
    if isinstance(value, dict) and len(value) == 1:
        kind, n = next(iter(value.items()))
        return {"uint": U, "int": I, "float": F32}[kind](n)
    raise ValueError("unsupported spec value %r" % (value,))


def _key_names(objects_by_pack):
    names = set(PINNED.values())
    for objects in objects_by_pack.values():
        for o in objects:
            names.update(["id"])
            if "class" in o:
                names.add("Class Name")
            for attr in o.get("attributes", {}):
                names.add(attr)
            for attr in o.get("links", {}):
                names.add(attr)
            if o.get("children"):
                names.add("children")
            psv = o.get("platformSpecificValues")
            if psv is not None:
                names.add("platformSpecificValues")
                for platform, values in psv.items():
                    names.add(platform)
                    names.update(values)
    return names


def key_table_lines(names, first=()):
    """Pinned numbers in place, the names of `first` in that order, the other
    names in sorted order, filler in gaps."""
    rest = [n for n in first if n not in PINNED.values()] + sorted(
        n for n in names if n not in PINNED.values() and n not in first)
    count = max(max(PINNED) + 1, len(rest) + len(PINNED))
    lines = []
    it = iter(rest)
    for n in range(count):
        if n in PINNED:
            lines.append(PINNED[n])
        else:
            lines.append(next(it, None) or "Filler %03d" % n)
    return lines


def key_table(names, user_id, first=()):
    """Keys.pack for the names, and the strict name -> key node lookup."""
    lines = key_table_lines(names, first)
    numbers = {}
    for n, name in enumerate(lines):
        numbers.setdefault(name, n)

    def k(name):
        return U(numbers[name])

    return keyspack.write_keys_pack(lines, user_id), k


def _object_node(o, k):
    if "class" in o:
        e = [(k("id"), U(o["id"])), (k("Class Name"), S(o["class"]))]
        for name, value in o.get("attributes", {}).items():
            e.append((k(name), M([(k("value"), _typed(value))])))
        psv = o.get("platformSpecificValues")
        if psv is not None:
            e.append((k("platformSpecificValues"), M([
                (k(platform), M([(k(key), S(text)) for key, text in values.items()]))
                for platform, values in psv.items()])))
        return M(e)
    e = [(k("id"), U(o["id"]))]
    for name, target in o.get("links", {}).items():
        e.append((k(name), M([(k("value"), U(target))])))
    if o.get("children"):
        e.append((k("children"), A([U(c) for c in o["children"]])))
    return M(e)


def build_game(objects_by_pack, user_id):
    """file name -> bytes for the packs and Keys.pack; plus each pack's
    object boundaries (for cutting)."""
    keys_pack, k = key_table(_key_names(objects_by_pack), user_id)
    files = {"Keys.pack": keys_pack}
    bounds = {}
    for pack, objects in objects_by_pack.items():
        chunks = [encode(_object_node(o, k)) for o in objects]
        offsets = []
        at = 0
        for c in chunks:
            offsets.append(at)
            at += len(c)
        files[pack] = b"".join(chunks)
        bounds[pack] = offsets
    return files, bounds


def small_game(spec):
    return {p["file"]: p["objects"] for p in spec["packs"]}


def large_game(spec):
    """The large game: objects in packs, one linker per two objects, screens
    holding the objects and labels as children, plus fonts, sounds and
    polygons, all with ids from 1000 in registry class order."""
    next_id = [spec["first_id"]]

    def take():
        n = next_id[0]
        next_id[0] += 1
        return n

    packs = {}

    def put(class_name, objects, per_pack, stage="attributes"):
        for i in range(0, len(objects), per_pack):
            packs["%s.%d.%s.pack" % (class_name, i // per_pack, stage)] = objects[i:i + per_pack]

    per = spec["per_pack"]
    settings_id = take()
    sounds = [{"id": take(), "class": "QVModelSound", "attributes": {"Name": "Sound %d" % i}}
              for i in range(spec["sounds"])]
    fonts = [{"id": take(), "class": "QVModelFont", "attributes": {"Name": "Font %d" % i}}
             for i in range(spec["fonts"])]
    polygons = [{"id": take(), "class": "QVModelPolygon", "attributes": {"Name": "Shape %d" % i}}
                for i in range(spec["polygons"])]
    objects = [{"id": take(), "class": "QVModelObject", "attributes": {"Name": "Object %d" % i}}
               for i in range(spec["objects"])]
    linkers = []
    linker_links = []
    for i in range(0, len(objects) - 1, 2):
        lid = take()
        linkers.append({"id": lid, "class": "QVModelLinker",
                        "attributes": {"Name": "Linker %d" % (i // 2), "Speed": {"float": 1.5}}})
        linker_links.append({"id": lid, "links": {"Object A": objects[i]["id"],
                                                  "Object B": objects[i + 1]["id"]}})
    labels = [{"id": take(), "class": "QVModelObjectLabel", "attributes": {"Name": "Label %d" % i}}
              for i in range(spec["labels"])]
    screens = [{"id": take(), "class": "QVModelScreen", "attributes": {"Name": "Screen %d" % i}}
               for i in range(spec["screens"])]
    last_id = next_id[0] - 1
    settings = {"id": settings_id, "class": "QVModelGeneralSettings",
                "attributes": {"Name": "Settings", "Application Name": "Large",
                               "User ID": spec["user_id"], "Last ID": {"uint": last_id}}}
    screen_links = []
    held = objects + labels
    for s, screen in enumerate(screens):
        mine = held[s::len(screens)]
        screen_links.append({"id": screen["id"], "children": [m["id"] for m in mine]})

    put("QVModelGeneralSettings", [settings], per)
    put("QVModelSound", sounds, per)
    put("QVModelFont", fonts, per)
    put("QVModelPolygon", polygons, per)
    put("QVModelLinker", linkers, per)
    put("QVModelObject", objects, per)
    put("QVModelObjectLabel", labels, per)
    put("QVModelScreen", screens, per)
    put("QVModelLinker", linker_links, per, "connections")
    put("QVModelScreen", screen_links, per, "connections")
    return packs


# ---------------------------------------------------------------- writing

def scaled_spec(spec, models):
    """The large game's spec resized to `models` models in the same
    proportions (the benchmarks' load sweep); labels take the rounding."""
    total = spec["sounds"] + spec["fonts"] + spec["polygons"] + spec["objects"] * 3 // 2 \
        + spec["labels"] + spec["screens"] + 1
    scaled = dict(spec)
    for key in ("sounds", "fonts", "polygons", "objects", "screens"):
        scaled[key] = max(1, spec[key] * models // total)
    scaled["objects"] -= scaled["objects"] % 2
    rest = scaled["sounds"] + scaled["fonts"] + scaled["polygons"] + scaled["objects"] * 3 // 2 \
        + scaled["screens"] + 1
    scaled["labels"] = models - rest
    return scaled


def write_root(root, files, root_files=None):
    """A resource root afresh: files under root/data, root_files beside it."""
    if os.path.isdir(root):
        shutil.rmtree(root)
    placed = [(os.path.join(root, "data", rel), data) for rel, data in files.items()]
    placed += [(os.path.join(root, rel), data) for rel, data in (root_files or {}).items()]
    os.makedirs(os.path.join(root, "data"))
    for path, data in placed:
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def _tool_package(tool, files, password, directories, options):
    """Runs zip or 7z over a staging folder; returns the package bytes."""
    with tempfile.TemporaryDirectory(prefix="qvload-") as scratch:
        stage = os.path.join(scratch, "stage")
        os.makedirs(stage)
        for name, content in files.items():
            with open(os.path.join(stage, name), "wb") as f:
                f.write(content)
        for d in directories:
            os.makedirs(os.path.join(stage, d), exist_ok=True)
        names = sorted(list(files) + list(directories))
        out = os.path.join(scratch, "data.pkg")
        if tool == "zip":
            cmd = ["zip", "-q", "-X", "-P", password, out] + names
        elif tool == "7z":
            cmd = ["7z", "a", "-tzip", "-bd", "-y", "-p" + password] + list(options) + [out] + names
        else:
            raise ValueError(tool)
        subprocess.run(cmd, cwd=stage, check=True, stdout=subprocess.DEVNULL)
        with open(out, "rb") as f:
            return f.read()


def _aes_version(package):
    for e in zipwriter.read_directory(package):
        fields = zipwriter._aes_fields(package, e.central_extra_at, e.central_extra_len)
        if fields:
            return int.from_bytes(package[fields[0]:fields[0] + 2], "little")
    return None


def _read_spec(spec_dir, name):
    path = os.path.join(spec_dir, name)
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)


def write(spec_dir, out_dir):
    """Writes every resource root; returns their names."""
    from . import classfixtures
    small_spec = _read_spec(spec_dir, "small.json")
    large_spec = _read_spec(spec_dir, "large.json")
    pkg_spec = _read_spec(spec_dir, "packages.json")
    password = pkg_spec["password"]

    games = {}
    bounds = {}
    if small_spec:
        games["small"], bounds["small"] = build_game(small_game(small_spec),
                                                     small_spec["user_id"])
    if large_spec:
        games["large"], bounds["large"] = build_game(large_game(large_spec),
                                                     large_spec["user_id"])
        for models in large_spec.get("sweep", []):
            games["sweep-%d" % models], _ = build_game(
                large_game(scaled_spec(large_spec, models)), large_spec["user_id"])
    written = []
    for name, files in games.items():
        write_root(os.path.join(out_dir, name), files)
        written.append(name)

    # Fixture games: their packs go into packages, the rest beside them.
    media = {}
    for name in classfixtures.games(spec_dir):
        spec = classfixtures.load_spec(spec_dir, name)
        if "models" not in spec:
            continue
        files = classfixtures.write_game(spec, out_dir, name)
        games[name] = {n: d for n, d in files.items() if n.endswith(".pack")}
        media[name] = ({n: d for n, d in files.items() if not n.endswith(".pack")},
                       classfixtures.root_media(spec.get("media", {}), files))
        written.append(name)

    for v in pkg_spec.get("folders", []):
        files = dict(games[v["source"]])
        for gone in v.get("remove", []):
            del files[gone]
        cut = v.get("truncate")
        if cut:
            offsets = bounds[v["source"]][cut["file"]]
            files[cut["file"]] = files[cut["file"]][:offsets[cut["object"]] + cut["keep_bytes"]]
        write_root(os.path.join(out_dir, v["name"]), files)
        written.append(v["name"])

    packages = {}
    sources = {}
    for p in pkg_spec["packages"]:
        files = games[p["source"]]
        sources[p["name"]] = p["source"]
        if p["tool"] == "python":
            names = sorted(files)
            content = zipwriter.traditional_zip(
                [(n, files[n], i % 2 == 1) for i, n in enumerate(names)], password)
        else:
            content = _tool_package(p["tool"], files, password, p.get("directories", []),
                                    p.get("options", []))
        packages[p["name"]] = content

    for d in pkg_spec.get("derived", []):
        base = packages[d["from"]]
        sources[d["name"]] = sources[d["from"]]
        if "flip" in d:
            packages[d["name"]] = zipwriter.flip_aes_data_byte(base, d["flip"])
        elif d.get("aes_versions"):
            # One copy per vendor version: the tool's own and the switched one.
            own = _aes_version(base)
            other = zipwriter.switch_aes_version(base, games[d["source"]])
            packages["%s-ae%d" % (d["name"], own)] = base
            packages["%s-ae%d" % (d["name"], 3 - own)] = other
            for n in (own, 3 - own):
                sources["%s-ae%d" % (d["name"], n)] = sources[d["from"]]
        else:
            raise ValueError("unknown derivation in %r" % (d,))

    for name, content in packages.items():
        data_media, root_files = media.get(sources[name], ({}, {}))
        write_root(os.path.join(out_dir, name), dict(data_media, **{"data.pkg": content}),
                   root_files)
        written.append(name)
    return written
