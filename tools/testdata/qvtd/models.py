"""Attribute kinds, curves and what each writes into attributes and connections packs.

A model description is a class (its attribute declarations in order) plus
values; the functions here turn it into the map nodes a model's pack writers
produce, entry by entry in the format's order.
"""

import struct

from .msgpackenc import A, B, F32, I, M, S, U

FLT_MAX = 3.4028234663852886e38


def f32(x):
    return struct.unpack(">f", struct.pack(">f", float(x)))[0]


class Curve:
    """Keys as (in-control, time, value, out-control), in stored order."""

    def __init__(self, keys, preset=4):
        self.keys = [tuple(f32(c) for c in k) for k in keys]
        self.preset = preset

    @classmethod
    def added(cls, points, preset=4):
        """The curve that adding (time, value) keys in ascending time gives.

        Interior controls follow the smoothing rule in single precision; the
        end keys keep controls equal to their values.
        """
        pts = sorted((f32(t), f32(v)) for t, v in points)
        keys = [[v, t, v, v] for t, v in pts]
        for i in range(1, len(keys) - 1):
            p, c, n = keys[i - 1][2], keys[i][2], keys[i + 1][2]
            cin = f32(f32(p + c) * 0.5)
            cout = f32(f32(n + c) * 0.5)
            d = f32(f32(f32(c - cout) + f32(c - cin)) * 0.5)
            keys[i][0] = f32(cin + d)
            keys[i][3] = f32(cout + d)
        return cls(keys, preset)


class Decl:
    """One attribute declaration of a model class.

    `variance` is the declared random variance; `marked` the declared empty
    mark (a bool, or an (x, y) pair for points); `excluded` the sprite
    attribute's atlas flag; `loop` the animation attribute's loop flag.
    """

    def __init__(self, name, kind, default=None, lo=None, hi=None, allow_empty=False,
                 max_length=None, mode=0, flags=0, variance=None, marked=False,
                 excluded=False, loop=True):
        self.name = name
        self.kind = kind
        self.default = default
        self.lo = lo
        self.hi = hi
        self.allow_empty = allow_empty
        self.max_length = max_length
        self.mode = mode
        self.flags = flags
        self.variance = variance
        self.marked = marked
        self.excluded = excluded
        self.loop = loop


FUNDAMENTAL = {"int", "key", "uint", "bool", "float"}
ENUMS = {"frameEdgeState", "orientation", "screenAdjustment"}
# Model references: linked in the connections pack under "value", nothing packed.
REFERENCES = {"object": "QVModelObject", "objectAsset": "QVModelObjectAsset",
              "asset": "QVModelAsset", "sound": "QVModelSound",
              "animation": "QVModelAnimation", "shape": "QVModelPolygon"}
LINKED = set(REFERENCES) | {"sprite"}

CLASS_NAMES = {
    "int": "QVAttributeInt", "key": "QVAttributeKey", "uint": "QVAttributeUInt",
    "bool": "QVAttributeBool", "float": "QVAttributeFloat",
    "frameEdgeState": "QVAttributeFrameEdgeState", "orientation": "QVAttributeOrientation",
    "screenAdjustment": "QVAttributeScreenAdjustment", "string": "QVAttributeString",
    "stringList": "QVAttributeStringList", "rect": "QVAttributeRect", "size": "QVAttributeSize",
    "point": "QVAttributePoint", "color": "QVAttributeColor", "gradient": "QVAttributeGradient",
    "sprite": "QVAttributeSprite", "attribute": "QVAttribute",
    "emitters": "QVAttributeParticlesEmitters",
    "object": "QVAttributeObject", "objectAsset": "QVAttributeObjectAsset",
    "asset": "QVAttributeAsset", "sound": "QVAttributeSound",
    "animation": "QVAttributeAnimation", "shape": "QVAttributeShape",
}


class ModelClass:
    """`front` names attributes the constructor moves to the head of the list,
    in that order; `extra` gives the pack entries a class writes after its
    attributes, as extra(model, k) -> [(key node, value node)]; a `counted`
    class (a flow-graph node) writes its link attributes beyond the table and
    its attribute count into its connections pack."""

    def __init__(self, class_name, decls, default_name, front=(), extra=None, counted=False):
        self.class_name = class_name
        # Flow-graph nodes: links beyond the table, and "attributesCount".
        self.counted = counted
        # "Name" is every model's first attribute.
        decls = [Decl("Name", "string", default_name)] + list(decls)
        moved = [d for name in front for d in decls if d.name == name]
        self.decls = moved + [d for d in decls if d not in moved]
        self.default_name = default_name
        self.extra = extra


class Model:
    """A fully set instance: every attribute's values by name."""

    def __init__(self, cls, model_id, values, children=(), pack=0):
        self.cls = cls
        self.id = model_id
        self.values = values
        self.children = list(children)
        # The number of the class's packs that holds the model.
        self.pack = pack


def _scalar(kind, v):
    if kind in ("int", "key") or kind in ENUMS:
        return I(v)
    if kind == "uint":
        return U(v)
    if kind == "bool":
        return B(v)
    if kind == "float":
        return F32(v)
    raise ValueError(kind)


def _floats(values):
    return A([F32(x) for x in values])


def curve_map(curve, k):
    points = []
    for cin, t, v, cout in curve.keys:
        points.append(_floats((t, v)))
        points.append(_floats((cin, cout)))
    return M([(k("points"), A(points)), (k("preset"), I(curve.preset))])


def animations(curves, k):
    """State -> curve, in ascending state order."""
    return A([M([(k("state"), I(state)), (k("animation"), curve_map(curves[state], k))])
              for state in sorted(curves)])


def pack_attribute(decl, val, k):
    """The nested map an attribute's pack writes (possibly empty)."""
    kind = decl.kind
    e = []
    if kind in FUNDAMENTAL:
        e.append((k("value"), _scalar(kind, val["value"])))
        e.append((k("variableValue"), _scalar(kind, val["variableValue"])))
        e.append((k("isEmpty"), B(decl.allow_empty and val.get("isEmpty", False))))
        if val.get("curves"):
            e.append((k("animations"), animations(val["curves"], k)))
    elif kind in ENUMS:
        e.append((k("enum"), I(val)))
    elif kind in ("string", "stringList"):
        e.append((k("value"), S(val)))
    elif kind in ("rect", "size", "color"):
        e.append((k("value"), _floats(val)))
    elif kind == "point":
        e.append((k("value"), _floats(val["value"])))
        e.append((k("variableValue"), _floats(val["variableValue"])))
        e.append((k("isXEmpty"), B(val["isXEmpty"])))
        e.append((k("isYEmpty"), B(val["isYEmpty"])))
        if val.get("curvesX"):
            e.append((k("animationsX"), animations(val["curvesX"], k)))
        if val.get("curvesY"):
            e.append((k("animationsY"), animations(val["curvesY"], k)))
    elif kind == "gradient":
        if val:
            e.append((k("gradients"), A([
                M([(k("pos"), F32(pos)), (k("color"), _floats(rgba))])
                for pos, rgba in sorted(val, key=lambda pc: pc[0])])))
    elif kind in ("sprite", "attribute", "emitters") or kind in REFERENCES:
        pass
    else:
        raise ValueError(kind)
    return M(e)


def pack_model(model, k):
    """The attributes-pack map of a model."""
    e = [(k("id"), U(model.id)), (k("Class Name"), S(model.cls.class_name))]
    for decl in model.cls.decls:
        nested = pack_attribute(decl, model.values[decl.name], k)
        if nested.entries:
            e.append((k(decl.name), nested))
    if model.cls.extra:
        e.extend(model.cls.extra(model, k))
    return M(e)


def connection_attribute(decl, val, k):
    e = []
    if decl.mode == 2 and val:
        source_id, source_name = val
        e.append((k("connectedModelId"), U(source_id)))
        e.append((k("attributeName"), S(source_name)))
    if decl.kind in LINKED and val is not None:
        e.append((k("value"), U(val)))
    return M(e)


def pack_connections(model, k):
    """The connections-pack map of a model."""
    e = [(k("id"), U(model.id))]
    for decl in model.cls.decls:
        link = model.values.get(decl.name) if decl.kind in LINKED | {"attribute"} else None
        nested = connection_attribute(decl, link, k)
        if nested.entries:
            e.append((k(decl.name), nested))
    for key, link in model.values.get(LINKS_OUT, []):
        nested = M([]) if link is None else M([(k("connectedModelId"), U(link[0])),
                                               (k("attributeName"), S(link[1]))])
        e.append((U(key) if isinstance(key, int) else k(key), nested))
    if model.children:
        e.append((k("children"), A([U(c) for c in model.children])))
    if model.cls.counted:
        e.append((k("attributesCount"), U(attribute_count(model))))
    return M(e)


# A node's links beyond its table, in stream order: (name, or a raw key
# number, and (target id, source attribute name), or None for an empty map).
LINKS_OUT = "links out"


def attribute_count(model):
    """A node's attribute count once the reader has made its links: a named
    entry that no attribute bears makes one when its target id is not 0."""
    names = {d.name for d in model.cls.decls}
    for key, link in model.values.get(LINKS_OUT, []):
        if isinstance(key, str) and key not in names and link is not None and link[0] != 0:
            names.add(key)
    return len(names)
