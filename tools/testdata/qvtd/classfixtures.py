"""The fixture games of the model classes, made from the specs in
tests/fixtures/classes/ (full.json: the `full` game).

A spec lists models with their class, id, attribute values, links and
children; every attribute it leaves out keeps its declared default, and every
attribute is written, as the player's own pack writers write them. Value
forms, by attribute kind:

  string, string list      "text"
  int, uint, key, float    n, or {"value": n, "variance": n, "empty": bool,
                           "curves": {"<state>": CURVE}}
  bool                     true / false, or the dict form
  point                    [x, y], or {"value": [x, y], "variance": [x, y],
                           "empty": "x" | "y" | "xy" | "", "curvesX": {...}, "curvesY": {...}}
  rect, size, colour       [numbers]
  enumerations             n
  gradient                 [[position, [r, g, b, a]], ...]
  references, sprites      under "links": {"<attribute>": id}

A CURVE is a list of [time, value] keys (added in time order, smoothed
controls) or {"keys": [[in, time, value, out], ...], "preset": n}. Shapes
and paths take "points", shapes "oneWayCollisionVector"; the general settings
"platformSpecificValues". "media" names the sprites with image and effects
files and the fonts to write; atlases are written for every atlas model.

An id text must name a model of its class; "unchecked_ids": [<attribute>, ...]
lets a model keep one that names nothing on purpose (a missing powerup, a
section id 0).

Flow-graph nodes: a follower of the table ("UI", the start node's "Load") is
linked under "links" by the target node's id (its source "Load"); the links
beyond the table go under "connections", in stream order, as [name, id] or
[name, id, source name] (id 0 allowed), [name, null] for an empty map, or a
raw key number in place of the name. Each node writes "attributesCount", its
count once the reader has made those links. "keys_first" puts names at the
head of Keys.pack in the order given (the four pinned numbers stay); the
other names follow in sorted order.

Every *.json of the --specs folder is one game, written into <out>/<game>/:
data/Keys.pack, one attributes and one connections pack per class (number
0), the media, and <out>/<game>.models, the model listing the loader check
prints after loading the game.
"""

import glob
import json
import os
import struct
import zlib

from . import icowriter, keyspack
from .classes import ALL_CLASSES, fresh_value
from .loadfixtures import key_table, write_root
from .models import ENUMS, FUNDAMENTAL, LINKED, LINKS_OUT, REFERENCES, Curve, Model, f32, \
    pack_connections, pack_model
from .msgpackenc import U, encode

# Classes a reference of each kind accepts: the class and its subclasses.
_OBJECT_ASSETS = {
    "QVModelObjectAsset", "QVModelObjectAssetCharacter", "QVModelObjectAssetPowerup",
    "QVModelObjectAssetUnit", "QVModelObjectFlag", "QVModelObjectGatekeeper", "QVModelObjectLight",
    "QVModelObjectLogic", "QVModelObjectMirror", "QVModelObjectParticles",
    "QVModelObjectParticlesEmitter", "QVModelObjectPath", "QVModelObjectScreenJump",
    "QVModelObjectTeleport", "QVModelObjectTrail"}
_BUTTONS = {
    "QVModelObjectButton", "QVModelObjectButtonCharacterUnlock", "QVModelObjectButtonControl",
    "QVModelObjectButtonFacebook", "QVModelObjectButtonPowerup", "QVModelObjectButtonPurchase",
    "QVModelObjectButtonSoundControl", "QVModelObjectButtonSwitch", "QVModelObjectButtonUrl",
    "QVModelObjectLockButton"}
KIND_OF = {
    "QVModelObject": {"QVModelObject", "QVModelObjectGroup", "QVModelObjectImage",
                      "QVModelObjectAccelerometer", "QVModelObjectBackground",
                      "QVModelObjectCharacterSelector", "QVModelObjectEventObserver",
                      "QVModelObjectInstance", "QVModelObjectLabel", "QVModelObjectLoadingBar",
                      "QVModelObjectManipulator", "QVModelObjectSwipeControl",
                      "QVModelObjectUnlocker"} | _OBJECT_ASSETS | _BUTTONS,
    "QVModelObjectAsset": _OBJECT_ASSETS,
    "QVModelAsset": {"QVModelAsset", "QVModelAssetCharacter", "QVModelAssetObstacle",
                     "QVModelAssetPowerup"},
    "QVModelSound": {"QVModelSound"},
    "QVModelAnimation": {"QVModelAnimation"},
    "QVModelPolygon": {"QVModelPolygon", "QVModelCircle"},
}

# String-list attributes that hold a model id as decimal text, and the
# classes that id must name.
ID_TEXTS = {
    "Font": {"QVModelFont"},
    "Label Name": {"QVModelObjectLabel"},
    "Powerup Selection": {"QVModelAssetPowerup"},
    "Scene": {"QVModelLevelSection"},
    "Character": {"QVModelAssetCharacter"},
    "Object Asset": _OBJECT_ASSETS,
    "Affected asset": {"QVModelAssetObstacle"},
}


class SpecError(ValueError):
    pass


# ---------------------------------------------------------------- values

def _curve(form):
    if isinstance(form, dict):
        return Curve([tuple(k) for k in form["keys"]], form.get("preset", 4))
    return Curve.added([tuple(p) for p in form])


def _curves(forms):
    return {int(state): _curve(form) for state, form in (forms or {}).items()}


def _value(decl, form, where):
    """A spec value in the form models.pack_attribute takes."""
    kind = decl.kind
    fresh = fresh_value(decl)
    if kind in FUNDAMENTAL:
        if not isinstance(form, dict):
            form = {"value": form}
        v = dict(fresh)
        v["value"] = form["value"]
        v["variableValue"] = form.get("variance", fresh["variableValue"])
        v["isEmpty"] = form.get("empty", fresh["isEmpty"])
        if form.get("curves"):
            v["curves"] = _curves(form["curves"])
        if kind == "bool":
            v["value"], v["variableValue"] = bool(v["value"]), bool(v["variableValue"])
        return v
    if kind == "point":
        if not isinstance(form, dict):
            form = {"value": form}
        v = dict(fresh)
        v["value"] = tuple(form["value"])
        v["variableValue"] = tuple(form.get("variance", fresh["variableValue"]))
        if "empty" in form:
            v["isXEmpty"], v["isYEmpty"] = "x" in form["empty"], "y" in form["empty"]
        for axis in ("curvesX", "curvesY"):
            if form.get(axis):
                v[axis] = _curves(form[axis])
        return v
    if kind in ("rect", "size", "color"):
        if len(form) != len(fresh):
            raise SpecError("%s: %s needs %d numbers" % (where, decl.name, len(fresh)))
        return tuple(form)
    if kind in ("string", "stringList"):
        return str(form)
    if kind in ENUMS:
        return int(form)
    if kind == "gradient":
        return [(pos, tuple(rgba)) for pos, rgba in form]
    raise SpecError("%s: %s takes no value (link it)" % (where, decl.name))


def build_models(spec):
    """Model objects in spec order, checked against the class tables."""
    by_id = {}
    for m in spec["models"]:
        if m["id"] in by_id:
            raise SpecError("id %d given twice" % m["id"])
        if m["class"] not in ALL_CLASSES:
            raise SpecError("id %d: no table for class %s" % (m["id"], m["class"]))
        by_id[m["id"]] = m
    models = []
    for m in spec["models"]:
        cls = ALL_CLASSES[m["class"]]
        where = "%s %d" % (m["class"], m["id"])
        decls = {d.name: d for d in cls.decls}
        for name in list(m.get("attributes", {})) + list(m.get("links", {})):
            if name not in decls:
                raise SpecError("%s: no attribute %r" % (where, name))
        unchecked = m.get("unchecked_ids", [])
        for name in unchecked:
            if name not in decls or name not in ID_TEXTS:
                raise SpecError("%s: %r is no id-text attribute" % (where, name))
        values = {}
        for d in cls.decls:
            if d.kind in LINKED:
                values[d.name] = m.get("links", {}).get(d.name)
            elif d.kind == "attribute":
                target = m.get("links", {}).get(d.name)
                values[d.name] = None if target is None else (target, "Load")
            elif d.name in m.get("attributes", {}):
                values[d.name] = _value(d, m["attributes"][d.name], where)
            else:
                values[d.name] = fresh_value(d)
            if (d.kind == "stringList" and d.name in ID_TEXTS and values[d.name]
                    and d.name not in unchecked):
                _check_id_text(where, d.name, values[d.name], by_id)
        for name, target in m.get("links", {}).items():
            _check_link(where, decls[name], by_id.get(target), target)
        if "connections" in m:
            if not cls.counted:
                raise SpecError("%s: only flow-graph nodes take connections" % where)
            values[LINKS_OUT] = [_link_out(entry) for entry in m["connections"]]
        for key in ("points", "oneWayCollisionVector", "platformSpecificValues"):
            if key in m:
                values[key] = m[key]
        for child in m.get("children", []):
            if child not in by_id:
                raise SpecError("%s: child %d is not in the game" % (where, child))
        pack = m.get("pack", 0)
        if not isinstance(pack, int) or isinstance(pack, bool) or pack < 0:
            raise SpecError("%s: pack %r is not a pack number" % (where, pack))
        models.append(Model(cls, m["id"], values, m.get("children", []), pack))
    _check_atlas_flags(models)
    return models


def _link_out(entry):
    key, target = entry[0], entry[1]
    return key, None if target is None else (target, entry[2] if len(entry) > 2 else "Load")


def _check_id_text(where, name, text, by_id):
    digits = text.lstrip(" ")
    digits = digits[:len(digits) - len(digits.lstrip("0123456789"))]
    target = by_id.get(int(digits)) if digits else None
    if target is None or target["class"] not in ID_TEXTS[name]:
        raise SpecError("%s: %s %r names no %s" % (where, name, text, " or ".join(
            sorted(ID_TEXTS[name]))))


def _check_link(where, decl, target, target_id):
    if target is None:
        raise SpecError("%s: %s links %d, which is not in the game" % (where, decl.name, target_id))
    if decl.kind == "attribute":
        # A follower of the table links the target node's source "Load".
        sources = [d for d in ALL_CLASSES[target["class"]].decls
                   if d.kind == "attribute" and d.mode == 1 and d.name == "Load"]
        if decl.mode != 2 or not sources:
            raise SpecError("%s: %s cannot link %s %d" % (where, decl.name, target["class"],
                                                         target_id))
        return
    if decl.kind == "sprite":
        wanted = {"QVModelSpriteContainer"}
    elif decl.kind in REFERENCES:
        wanted = KIND_OF[REFERENCES[decl.kind]]
    else:
        raise SpecError("%s: %s is not a reference" % (where, decl.name))
    if target["class"] not in wanted:
        raise SpecError("%s: %s links a %s" % (where, decl.name, target["class"]))


def _check_atlas_flags(models):
    """Linking a container passes the sprite attribute's atlas flag on to it
    while loading, so a container must already hold the flag of every
    attribute that links it, or the loaded game differs from its packs."""
    containers = {m.id: m for m in models if m.cls.class_name == "QVModelSpriteContainer"}
    for m in models:
        for d in m.cls.decls:
            target = m.values.get(d.name) if d.kind == "sprite" else None
            if target is None:
                continue
            held = containers[target].values["Excluded From Atlas"]["value"]
            if held != d.excluded:
                raise SpecError("%s %d: %s passes excluded %s to container %d, which holds %s"
                                % (m.cls.class_name, m.id, d.name, d.excluded, target, held))


# ---------------------------------------------------------------- packs

def packs(models, user_id, spec_keys_first=None, sparse_connections=False):
    """file name -> bytes: Keys.pack and the packs of every class, numbered
    as the models say. With sparse_connections a connections pack holds
    only the models that link something, and is left out when none does."""
    names = set(["id", "Class Name", "value", "User ID"])

    def collect(name):
        names.add(name)
        return U(0)

    for m in models:
        pack_model(m, collect)
        pack_connections(m, collect)
    first = spec_keys_first or []
    unused = [n for n in first if n not in names]
    if unused:
        raise SpecError("keys_first names keys the game does not use: %s" % ", ".join(unused))
    keys_pack, k = key_table(names, user_id, first)
    files = {"Keys.pack": keys_pack}
    by_pack = {}
    for m in sorted(models, key=lambda m: m.id):
        by_pack.setdefault((m.cls.class_name, m.pack), []).append(m)
    numbers = {"attributes": {}, "connections": {}}
    for (class_name, number), members in sorted(by_pack.items(), key=_first_id_order(by_pack)):
        files["%s.%d.attributes.pack" % (class_name, number)] = b"".join(
            encode(pack_model(m, k)) for m in members)
        numbers["attributes"].setdefault(class_name, []).append(number)
        maps = [pack_connections(m, k) for m in members]
        if sparse_connections:
            maps = [c for c in maps if len(c.entries) > 1]  # more than the id
            if not maps:
                continue
        files["%s.%d.connections.pack" % (class_name, number)] = b"".join(encode(c) for c in maps)
        numbers["connections"].setdefault(class_name, []).append(number)
    # The folder loader stops a class at its first missing number.
    for stage, per_class in numbers.items():
        for class_name, taken in per_class.items():
            if sorted(taken) != list(range(len(taken))):
                raise SpecError("%s %s packs are numbered %s, not from 0 without a gap"
                                % (class_name, stage, sorted(taken)))
    return files


def _first_id_order(by_pack):
    """Classes in the order of their lowest model id, then pack numbers."""
    first = {}
    for (class_name, number), members in by_pack.items():
        first[class_name] = min(first.get(class_name, members[0].id), members[0].id)
    return lambda item: (first[item[0][0]], item[0][1])


def model_listing(models):
    """`models N`, then `<id> <className> <name>` in ascending id."""
    return keyspack.model_listing(
        (m.id, m.cls.class_name, m.values["Name"].encode("utf-8")) for m in models)


# ---------------------------------------------------------------- media

def png(width, height, pixel):
    """An 8-bit RGBA PNG; pixel(x, y) -> (r, g, b, a)."""
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))
                    for y in range(height))

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data
                + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def _checker(colour):
    def pixel(x, y):
        on = (x // 8 + y // 8) % 2 == 0
        return colour if on else (255 - colour[0], 255 - colour[1], 255 - colour[2], 255)
    return pixel


def _n(x):
    return "%g" % f32(x)


def atlas_plist(atlas_id, sprites, size):
    """Format-2 frames named after their sprites: frame rect, offset and
    source size are the sprite's "Source Rect", "Offset" and "SourceSize"."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
           '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">',
           '<plist version="1.0">', '<dict>', '    <key>frames</key>', '    <dict>']
    for s in sprites:
        x, y, w, h = s.values["Source Rect"]
        ox, oy = s.values["Offset"]["value"]
        sw, sh = s.values["SourceSize"]
        cx, cy = (sw - w) / 2 + ox, (sh - h) / 2 - oy
        out += ['        <key>QVModelSprite_ID%u</key>' % s.id, '        <dict>',
                '            <key>frame</key>',
                '            <string>{{%s,%s},{%s,%s}}</string>' % (_n(x), _n(y), _n(w), _n(h)),
                '            <key>offset</key>',
                '            <string>{%s,%s}</string>' % (_n(ox), _n(oy)),
                '            <key>rotated</key>', '            <false/>',
                '            <key>sourceColorRect</key>',
                '            <string>{{%s,%s},{%s,%s}}</string>' % (_n(cx), _n(cy), _n(w), _n(h)),
                '            <key>sourceSize</key>',
                '            <string>{%s,%s}</string>' % (_n(sw), _n(sh)),
                '        </dict>']
    texture = "atlas_ID%u.png" % atlas_id
    out += ['    </dict>', '    <key>metadata</key>', '    <dict>',
            '        <key>format</key>', '        <integer>2</integer>',
            '        <key>realTextureFileName</key>', '        <string>%s</string>' % texture,
            '        <key>size</key>', '        <string>{%d,%d}</string>' % size,
            '        <key>textureFileName</key>', '        <string>%s</string>' % texture,
            '    </dict>', '</dict>', '</plist>', '']
    return "\n".join(out).encode()


class Font:
    """A font's BMFont description: its characters laid out row by row on
    one page (`columns` per row, `gap` pixels between cells), each glyph
    `glyph` pixels with the given advance, offsets and line height. `solid`
    glyphs are opaque white on a clear page; otherwise the whole page is a
    white pattern with every third pixel clear."""

    def __init__(self, face="Full", chars="0123456789", glyph=(10, 14), xadvance=11,
                 xoffset=0, yoffset=1, line_height=16, base=13, columns=6, gap=0,
                 page=(64, 32), solid=False):
        self.face = face
        self.chars = chars
        self.glyph = tuple(glyph)
        self.xadvance = xadvance
        self.xoffset = xoffset
        self.yoffset = yoffset
        self.line_height = line_height
        self.base = base
        self.columns = columns
        self.gap = gap
        self.page = tuple(page)
        self.solid = solid
        rows = (len(chars) + columns - 1) // columns
        w, h = self.glyph
        if columns * (w + gap) - gap > self.page[0] or rows * (h + gap) - gap > self.page[1]:
            raise SpecError("font %s: %d glyphs of %dx%d do not fit a %dx%d page"
                            % (face, len(chars), w, h, self.page[0], self.page[1]))

    @classmethod
    def from_spec(cls, form):
        """A media "fonts" entry: an id (the digits font), or {"id": n, ...}
        with the keyword arguments of this class ("glyph" and "page" as
        [w, h], "line_height", "base" defaulting to the line height)."""
        if isinstance(form, int):
            return form, cls()
        args = {key: value for key, value in form.items() if key != "id"}
        args.setdefault("base", args.get("line_height", 16))
        try:
            return form["id"], cls(**args)
        except TypeError as e:
            raise SpecError("media font %r: %s" % (form.get("id"), e)) from None

    def cell(self, i):
        w, h = self.glyph
        return (i % self.columns) * (w + self.gap), (i // self.columns) * (h + self.gap)

    def fnt(self, font_id):
        """The text BMFont and the name of its page."""
        page = "QVModelFont_ID%u.png" % font_id
        lines = ['info face="%s" size=%d bold=0 italic=0 charset="" unicode=1 stretchH=100 '
                 'smooth=1 aa=1 padding=0,0,0,0 spacing=1,1 outline=0'
                 % (self.face, self.line_height),
                 'common lineHeight=%d base=%d scaleW=%d scaleH=%d pages=1 packed=0 alphaChnl=0 '
                 'redChnl=0 greenChnl=0 blueChnl=0' % ((self.line_height, self.base) + self.page),
                 'page id=0 file="%s"' % page,
                 'chars count=%d' % len(self.chars)]
        for i, c in enumerate(self.chars):
            x, y = self.cell(i)
            lines.append('char id=%d x=%d y=%d width=%d height=%d xoffset=%d yoffset=%d '
                         'xadvance=%d page=0 chnl=15' % ((ord(c), x, y) + self.glyph + (
                             self.xoffset, self.yoffset, self.xadvance)))
        return ("\n".join(lines) + "\n").encode(), page

    def page_png(self):
        if not self.solid:
            return png(self.page[0], self.page[1],
                       lambda x, y: (255, 255, 255, 255 if (x + y) % 3 else 0))
        w, h = self.glyph
        cells = [self.cell(i) for i in range(len(self.chars))]
        inked = {(cx + dx, cy + dy) for cx, cy in cells for dx in range(w) for dy in range(h)}
        return png(self.page[0], self.page[1],
                   lambda x, y: (255, 255, 255, 255) if (x, y) in inked else (0, 0, 0, 0))


def _colour(form, where):
    if len(form) not in (3, 4) or any(not 0 <= c <= 255 for c in form):
        raise SpecError("%s: %r is not a colour (3 or 4 numbers 0-255)" % (where, form))
    return tuple(form) + (255,) * (4 - len(form))


_CLEAR = (0, 0, 0, 0)


def _number(form, where, what):
    if isinstance(form, bool) or not isinstance(form, (int, float)):
        raise SpecError("%s: %s %r is not a number" % (where, what, form))
    return form


def fill(form, size, where):
    """pixel(x, y) of a fill: {"colour": c} over the whole image (clear when
    absent), then "rects" [[x, y, w, h, c], ...] in order, each over what is
    below, then a "disc" {"centre": [x, y], "radius": r, "fade": f,
    "colour": c}: c within r of the centre (measured to pixel centres), its
    alpha falling linearly to 0 at f, nothing beyond. A bare colour list is
    a fill of that colour."""
    if isinstance(form, (list, tuple)):
        form = {"colour": form}
    if not isinstance(form, dict):
        raise SpecError("%s: %r is not a fill" % (where, form))
    unknown = set(form) - {"size", "colour", "rects", "disc"}
    if unknown:
        raise SpecError("%s: a fill takes no %s" % (where, ", ".join(sorted(unknown))))
    width, height = size
    base = _colour(form["colour"], where) if "colour" in form else _CLEAR
    rects = []
    for rect in form.get("rects", []):
        if not isinstance(rect, list) or len(rect) != 5:
            raise SpecError("%s: rect %r is not [x, y, w, h, colour]" % (where, rect))
        x, y, w, h = (int(_number(v, where, "rect")) for v in rect[:4])
        if w <= 0 or h <= 0 or x < 0 or y < 0 or x + w > width or y + h > height:
            raise SpecError("%s: rect %r leaves the %dx%d image or is empty" % (where, rect, width, height))
        rects.append((x, y, x + w, y + h, _colour(rect[4], where)))
    disc = form.get("disc")
    if disc is not None:
        cx, cy = (_number(v, where, "disc centre") for v in disc["centre"])
        inner, outer = _number(disc["radius"], where, "radius"), _number(disc["fade"], where, "fade")
        if not 0 <= inner <= outer:
            raise SpecError("%s: a disc needs 0 <= radius <= fade" % where)
        ink = _colour(disc["colour"], where)

    def pixel(x, y):
        out = base
        for x0, y0, x1, y1, c in rects:
            if x0 <= x < x1 and y0 <= y < y1:
                out = c
        if disc is not None:
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if d <= inner:
                out = ink
            elif d < outer:
                out = ink[:3] + (int(round(ink[3] * (outer - d) / (outer - inner))),)
        return out
    return pixel


def _size(form, where):
    size = form.get("size") if isinstance(form, dict) else None
    if (not isinstance(size, list) or len(size) != 2
            or any(isinstance(v, bool) or not isinstance(v, int) or not 1 <= v <= 4096 for v in size)):
        raise SpecError("%s: \"size\" must be [w, h], whole numbers 1-4096" % where)
    return tuple(size)


def atlas_png(atlas, sprites, colours):
    """The atlas page: the checker, or, when any of its sprites has a colour
    in `colours`, a clear page with each coloured sprite's frame filled (a
    colour, or a fill in the frame's own coordinates)."""
    size = (int(atlas.values["width"]["value"]), int(atlas.values["height"]["value"]))
    mine = {s.id: colours[s.id] for s in sprites if s.id in colours}
    if not mine:
        return png(size[0], size[1], _checker((200, 60, 40, 255)))
    page = {}
    for s in sprites:
        if s.id in mine:
            x, y, w, h = (int(v) for v in s.values["Source Rect"])
            if x < 0 or y < 0 or x + w > size[0] or y + h > size[1]:
                raise SpecError("sprite %d: its frame leaves the %dx%d atlas" % (s.id, *size))
            pixel = fill(mine[s.id], (w, h), "media colours %d" % s.id)
            for py in range(y, y + h):
                for px in range(x, x + w):
                    if (px, py) in page:
                        raise SpecError("sprite %d: its frame overlaps another" % s.id)
                    page[(px, py)] = pixel(px - x, py - y)
    return png(size[0], size[1], lambda x, y: page.get((x, y), _CLEAR))


def media(models, spec_media):
    """data-relative path -> bytes of the game's media files."""
    by_id = {m.id: m for m in models}
    colours = {}
    for key, form in spec_media.get("colours", {}).items():
        sprite_id = int(key)
        if by_id.get(sprite_id) is None or by_id[sprite_id].cls.class_name != "QVModelSprite":
            raise SpecError("media colours: %d is not a sprite of the game" % sprite_id)
        # A bare colour is checked here; a fill once its frame size is known.
        colours[sprite_id] = _colour(form, "media colours %d" % sprite_id) if isinstance(
            form, list) else form
    files = {}
    for m in models:
        if m.cls.class_name != "QVModelAtlas":
            continue
        size = (int(m.values["width"]["value"]), int(m.values["height"]["value"]))
        sprites = [by_id[c] for c in m.children if by_id[c].cls.class_name == "QVModelSprite"]
        files["atlases/atlas_ID%u.png" % m.id] = atlas_png(m, sprites, colours)
        files["atlases/atlas_ID%u.plist" % m.id] = atlas_plist(m.id, sprites, size)
    for folder, colour in (("images", (40, 120, 220, 255)), ("effects", (240, 200, 30, 255))):
        for sprite_id in spec_media.get(folder, []):
            if by_id.get(sprite_id) is None or by_id[sprite_id].cls.class_name != "QVModelSprite":
                raise SpecError("media: %d is not a sprite of the game" % sprite_id)
            w, h = by_id[sprite_id].values["SourceSize"]
            # Effects files are half size, so a reader can tell which one it got.
            if folder == "effects":
                w, h = w / 2, h / 2
            files["%s/QVModelSprite_ID%u.png" % (folder, sprite_id)] = png(
                int(w), int(h), _checker(colour))
    for form in spec_media.get("fonts", []):
        font_id, font = Font.from_spec(form)
        if by_id.get(font_id) is None or by_id[font_id].cls.class_name != "QVModelFont":
            raise SpecError("media: %d is not a font of the game" % font_id)
        text, page = font.fnt(font_id)
        files["fonts/QVModelFont_ID%u.fnt" % font_id] = text
        files["fonts/" + page] = font.page_png()
    return files


def root_media(spec_media, data_files=()):
    """Files beside data/: the splash "Default.png" ({"size": [w, h],
    "colour": [r, g, b]}) and the window icon "icon.ico" ({"sizes": [n, ...],
    "colour": [r, g, b]}: one PNG entry per size), each one solid colour; and
    "files", any file of the root by its relative path (data/ included):
    {"png": FILL with "size"} (an 8-bit RGBA PNG, see `fill`) or {"text":
    "..."} (the text as UTF-8, verbatim). A path the writer already writes
    (one of data_files, relative to data/) is refused."""
    files = _root_files(spec_media.get("files", {}), data_files)
    splash = spec_media.get("splash")
    if splash:
        colour = _colour(splash["colour"], "media splash")
        files["Default.png"] = png(splash["size"][0], splash["size"][1], lambda x, y: colour)
    icon = spec_media.get("icon")
    if icon:
        colour = _colour(icon["colour"], "media icon")
        try:
            files["icon.ico"] = icowriter.ico([(n, n, png(n, n, lambda x, y: colour))
                                               for n in icon["sizes"]])
        except ValueError as e:
            raise SpecError("media icon: %s" % e) from None
    return files


def _root_files(forms, data_files):
    files = {}
    taken = {"data/" + name for name in data_files} | {"Default.png", "icon.ico"}
    for path, form in sorted(forms.items()):
        where = "media files %s" % path
        parts = path.split("/")
        if path.startswith("/") or any(p in ("", ".", "..") for p in parts):
            raise SpecError("%s: not a plain path inside the root" % where)
        if path in taken:
            raise SpecError("%s: the writer already writes this file" % where)
        if not isinstance(form, dict) or len(form) != 1 or not set(form) <= {"png", "text"}:
            raise SpecError("%s: give either \"png\" or \"text\"" % where)
        if "text" in form:
            if not isinstance(form["text"], str):
                raise SpecError("%s: \"text\" is not a string" % where)
            files[path] = form["text"].encode("utf-8")
        else:
            size = _size(form["png"], where)
            files[path] = png(size[0], size[1], fill(form["png"], size, where))
    return files


# ---------------------------------------------------------------- writing

def load_spec(spec_dir, game):
    with open(os.path.join(spec_dir, game + ".json")) as f:
        return json.load(f)


def game_files(spec):
    """(data-relative path -> bytes, model listing) of one game."""
    models = build_models(spec)
    files = packs(models, spec["user_id"], spec.get("keys_first"),
                  spec.get("sparse_connections", False))
    files.update(media(models, spec.get("media", {})))
    return files, model_listing(models)


def games(spec_dir):
    """The games of the --specs folder: the names of its *.json files but
    packages.json (load-fixtures' package list), sorted."""
    return sorted(os.path.basename(p)[:-len(".json")]
                  for p in glob.glob(os.path.join(spec_dir, "*.json"))
                  if os.path.basename(p) != "packages.json")


def write_game(spec, out_dir, game):
    """Writes one game's root and listing; returns its data files."""
    files, listing = game_files(spec)
    write_root(os.path.join(out_dir, game), files, root_media(spec.get("media", {}), files))
    with open(os.path.join(out_dir, game + ".models"), "w") as f:
        f.write(listing)
    return files


def write(spec_dir, out_dir):
    """Writes every game; returns their names."""
    names = games(spec_dir)
    for game in names:
        write_game(load_spec(spec_dir, game), out_dir, game)
    return names
