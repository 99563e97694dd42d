"""The game's model classes as attribute tables, and their schema listing.

Each table is typed from the class descriptions: attribute name, kind,
default, range, flags and empty rules, bases' attributes first. The listing
(`schema`) prints what a fresh instance of each class holds, in the format
the player's own schema tool prints from its live classes, so the two
transcriptions can be compared byte for byte.
"""

import copy

from .keyspack import escape_bytes
from .models import CLASS_NAMES, ENUMS, FLT_MAX, FUNDAMENTAL, REFERENCES, Decl, ModelClass, f32
from .msgpackenc import A, F32, M, S

INT_MIN, INT_MAX, UINT_MAX = -2147483648, 2147483647, 4294967295
STRING_MAX = 2147483647


# ---------------------------------------------------------------- declaration helpers

def Float(name, default=0.0, lo=-FLT_MAX, hi=FLT_MAX, flags=0, empty=False, marked=False,
          variance=0.0):
    return Decl(name, "float", default, lo, hi, allow_empty=empty, flags=flags, variance=variance,
                marked=marked)


def Int(name, default=0):
    return Decl(name, "int", default, INT_MIN, INT_MAX, variance=0)


def UInt(name, default=0):
    return Decl(name, "uint", default, 0, UINT_MAX, variance=0)


def Key(name, default=0):
    return Decl(name, "key", default, INT_MIN, INT_MAX, variance=0)


def Bool(name, default=False):
    return Decl(name, "bool", default, False, True, variance=False)


def Point(name, default=(0.0, 0.0), flags=0, empty=False, marked=(False, False)):
    return Decl(name, "point", default, (-FLT_MAX, -FLT_MAX), (FLT_MAX, FLT_MAX),
                allow_empty=empty, flags=flags, variance=(0.0, 0.0), marked=marked)


def String(name, default=""):
    return Decl(name, "string", default, max_length=STRING_MAX)


def Choice(name, default=""):
    return Decl(name, "stringList", default, max_length=STRING_MAX)


def Rect(name, default=(0.0, 0.0, 0.0, 0.0)):
    return Decl(name, "rect", default)


def Size(name, default=(0.0, 0.0)):
    return Decl(name, "size", default)


def Enum(name, kind, default=0):
    return Decl(name, kind, default)


def Ref(name, kind):
    return Decl(name, kind, None)


def Sprite(name, excluded=False):
    return Decl(name, "sprite", None, excluded=excluded)


def Color(name, default=(0.0, 0.0, 0.0, 0.0)):
    return Decl(name, "color", default)


def Gradient(name, keys=()):
    return Decl(name, "gradient", list(keys))


def Link(name, mode):
    """A plain attribute: no value, only a connection mode."""
    return Decl(name, "attribute", None, mode=mode)


# ---------------------------------------------------------------- placing and renaming

def _at(decls, name):
    at = [i for i, d in enumerate(decls) if d.name == name]
    if len(at) != 1:
        raise KeyError(name)
    return at[0]


def inserted(decls, after, new):
    """The list with `new` placed directly after the attribute `after`."""
    i = _at(decls, after) + 1
    return decls[:i] + list(new) + decls[i:]


def changed(decls, attribute, **fields):
    """The list with a copy of the named attribute whose fields differ
    (a new name, a connection mode, a default value)."""
    i = _at(decls, attribute)
    d = copy.copy(decls[i])
    for field, value in fields.items():
        setattr(d, field, value)
    return decls[:i] + [d] + decls[i + 1:]


# ---------------------------------------------------------------- pack extras

def _points_extra(model, k):
    """A shape's point list and one-way vector, after its attributes."""
    points = model.values.get("points", [])
    vector = model.values.get("oneWayCollisionVector", (0.0, 0.0))
    return [(k("points"), A([A([F32(x), F32(y)]) for x, y in points])),
            (k("oneWayCollisionVector"), A([F32(vector[0]), F32(vector[1])]))]


def _path_extra(model, k):
    """A path's point list, after its attributes."""
    return [(k("points"), A([A([F32(x), F32(y)]) for x, y in model.values.get("points", [])]))]


def _platform_extra(model, k):
    """The general settings' per-platform values, always written."""
    psv = model.values.get("platformSpecificValues", {})
    return [(k("platformSpecificValues"), M([
        (k(platform), M([(k(key), S(text)) for key, text in values.items()]))
        for platform, values in psv.items()]))]


# ---------------------------------------------------------------- tables

OBJECT = [
    Point("Position"),
    Float("Rotation"),
    Point("Scale", (1.0, 1.0)),
    Float("Opacity", 1.0),
    Int("Z Depth"),
    Bool("Hidden"),
]
OBJECT_ASSET = OBJECT + [Ref("Asset", "asset")]
SCREEN = [
    String("Key"),
    Choice("Ad Banner"),
    Choice("Ad Interstitial"),
    Float("Ad Banner Freq.", 1.0),
    Float("Ad Interstitials Freq.", 1.0),
    Ref("Music", "sound"),
    Bool("Loop Music", True),
    Bool("Stop BGM on Death"),
    Choice("Background Scene"),
    Bool("Idle Animation Loop"),
    Int("Open Animation Frames", 40),
    Int("Idle Animation Frames", 40),
    Int("Close Animation Frames", 0),
    Bool("Muted"),
]
ASSET = [Ref("Collision Shape", "shape")]

TABLES = [
    ("QVModelSprite", "", [
        Size("Size"), Rect("Source Rect"), Size("SourceSize"), Point("Offset")]),
    ("QVModelSound", "", []),
    ("QVModelFont", "Default Font", []),
    ("QVModelPolygon", "", []),
    ("QVModelCircle", "", []),
    ("QVModelSpriteContainer", "", [
        Float("Animation Speed", 1.0), Float("Duration"), Bool("Excluded From Atlas")]),
    ("QVModelAnimation", "", [Float("Speed", 1.0), Float("Duration"), Bool("Loop", True)]),
    ("QVModelAtlas", "", [
        Float("width", 2048.0, 128.0, 4096.0), Float("height", 2048.0, 128.0, 4096.0),
        Float("padding", 4.0)]),
    ("QVModelAsset", "", ASSET),
    ("QVModelAssetCharacter", "", ASSET + [
        Ref("Default Animation", "animation"),
        Ref("Shooting Animation", "animation"),
        Ref("Bullet Animation", "animation"),
        Ref("Jump Animation", "animation"),
        Ref("Move Animation", "animation"),
        Ref("Defeated Animation", "animation"),
        Ref("Jump Sound", "sound"),
        Ref("Shoot Sound", "sound"),
        Ref("Defeated Sound", "sound"),
        Ref("Ground Collision", "sound"),
        Bool("Cast Shadow", True),
        Bool("Auto Tilt"),
        Float("Game Over Delay"),
        Float("Camera Shake"),
        Float("Camera Flash"),
        Float("Fall Attribute"),
        Choice("Purchase Method"),
        Choice("Ad Network"),
        String("Store Identifier"),
        String("Web Link"),
        Float("Price"),
    ]),
    ("QVModelAssetObstacle", "Obstacle", ASSET + [
        Ref("Idle Animation", "animation"),
        Ref("Defeated Animation", "animation"),
        Ref("Idle Sound", "sound"),
        Ref("Death Sound", "sound"),
        Ref("WakeUp Sound", "sound"),
    ]),
    ("QVModelAssetPowerup", "Powerup", ASSET + [
        Ref("Idle Animation", "animation"),
        Choice("Powerup Type"),
        Ref("Start Animation", "animation"),
        Choice("Animation Placement"),
        Choice("Animation Behaviour"),
        Ref("Idle Sound", "sound"),
        Ref("Start Sound", "sound"),
        Ref("End Sound", "sound"),
        Float("Reward Coins"),
        Bool("Show coin reward"),
        Float("Reward Points"),
        Bool("Show points reward"),
        Float("Duration"),
        Float("Appearance Chance"),
        Float("Camera Shake"),
        Float("Camera Flash"),
        Point("Max Speed"),
        Point("Gravity"),
        Point("Jump Force"),
        Float("Jump Counter"),
        Float("Jump Timeout"),
        Float("Ground Threshold"),
        Bool("Jump From Ground"),
        Float("Right Lean Force"),
        Float("Left Lean Force"),
        Float("Game Speed Min"),
        Float("Game Speed Max"),
        Float("Speed Increase"),
        Float("Friction"),
        Float("Time Warp"),
        Float("Velocity Drag"),
        Float("Rotation Drag"),
        Point("Bounce Force"),
        Float("Bounce"),
        Float("Score Multiplier"),
        Point("Air Drag"),
        Float("Platform Friction"),
        Float("Game Direction"),
        Bool("Fixed Rotation"),
    ]),
    ("QVModelLinker", "", [
        Ref("Object A", "object"), Ref("Object B", "object"), Float("Speed"),
        Float("Torque", 200.0), Bool("Button Activated")]),
    ("QVModelObject", "Untitled", OBJECT),
    ("QVModelObjectAsset", "", OBJECT_ASSET),
    ("QVModelObjectAssetCharacter", "", OBJECT_ASSET),
    ("QVModelObjectAssetPowerup", "", OBJECT_ASSET),
    ("QVModelObjectAssetUnit", "", OBJECT_ASSET + [
        Choice("Object Type"),
        Choice("Movement Type"),
        Point("Linear Velocity", flags=1),
        Float("Angular Velocity", flags=1),
        Choice("Collision Type"),
        Choice("Destroy Type"),
    ]),
    ("QVModelObjectGroup", "My Group Layer", OBJECT + [
        Bool("Auto Depth Sorting"), Choice("Sort Direction"), Choice("Sort Order")]),
    ("QVModelObjectImage", "Image", OBJECT + [
        Sprite("Image"), Float("Autohide"), Bool("Stick To Edge", True)]),
    ("QVModelLevelSection", "", [
        Bool("Init Section"), Bool("Muted"), Bool("Solo"), Float("Start Distance"),
        Float("End Distance", -1.0), Float("Width"), Float("Play Cooldown")]),
    ("QVModelScreen", "", SCREEN),
    ("QVModelScreenScene", "", SCREEN + [
        Point("Gravity", (0.0, -50.0)),
        Float("Time Warp", 1.0),
        Float("Game Speed Min"),
        Float("Game Speed Max"),
        Float("Speed Increase"),
        Float("Friction"),
        Float("Velocity Drag", 1.0),
        Float("Bounce"),
        Float("Score Multiplier", 1.0),
        Float("Game Direction"),
        Float("Camera Smooth", 0.2),
        Bool("Align Camera Borders"),
        Float("Back Deletion Threshold", 300.0),
        Float("Sides Deletion Threshold", 550.0),
        Rect("Object Frame Rect", (0.0, 0.0, 1.0, 1.0)),
        Enum("Object Frame State 1", "frameEdgeState"),
        Enum("Object Frame State 2", "frameEdgeState"),
        Enum("Object Frame State 3", "frameEdgeState"),
        Enum("Object Frame State 4", "frameEdgeState"),
    ]),
    ("QVModelComponentCharacterGameplaySettings", "Character Gameplay Settings", [
        Point("Max Speed", (27.0, 0.0)),
        Point("Bounce Force", (0.0, 50.0)),
        Point("Jump Force"),
        Float("Jump Timeout", 0.25),
        Float("Jump Counter"),
        Float("Ground Threshold", 0.01),
        Bool("Jump From Ground"),
        Float("Left Lean Force"),
        Float("Right Lean Force"),
        Float("Platform Friction"),
        Float("Rotation Drag", 1.0),
        Point("Air Drag", (1.0, 1.0)),
        Bool("Direct Movement"),
        Bool("Forced Movement", True),
        Bool("Fixed Rotation"),
        Bool("Image Direction"),
    ]),
    ("QVModelComponentCharacterIcon", "Character Icon", [
        Ref("Regular Icon", "animation"), Ref("Locked Icon", "animation"),
        Ref("Selected Icon", "animation")]),
    ("QVModelComponentDamage", "Damage", [Float("Damage", 1.0), Float("Damage delay")]),
    ("QVModelComponentDeletionThreshold", "Object Deletion Threshold", [
        Float("Back Deletion Threshold", 300.0), Float("Sides Deletion Threshold", 550.0)]),
    ("QVModelComponentForcedMovement", "Forced Movement", [
        Float("Froce Min", 3.0), Float("Force Max", 10.0), Float("Force Increase", 0.1)]),
    ("QVModelComponentHealth", "Health", [
        Ref("Taking Damage Anim.", "animation"), Ref("Taking Damage Sound", "sound"),
        Float("Death Delay"), Float("Health", 1.0), Float("Lives", 1.0)]),
    ("QVModelComponentIsoJump", "Ghost Jump", [
        Point("Jump Velocity", (0.0, 50.0)),
        Point("Jump Gravity", (0.0, 100.0)),
        Float("Jump Speed", 1.0),
        Float("Jump Duration", 0.75),
        Float("Jump Timeout", 0.25),
        Float("Jump Count", 1.0),
        Bool("Continuous Jump"),
        Bool("Activate On Release"),
        Choice("Event"),
        Bool("Syncronize Animation"),
        Ref("Collision Shape", "shape"),
        Ref("Animation", "animation"),
        Ref("Ground", "animation"),
        Ref("Jump Sound", "sound"),
        Ref("Double Jump Sound", "sound"),
    ]),
    ("QVModelComponentMotor", "Motor", [
        Point("Linear Velocity"),
        Float("Angular Velocity"),
        Choice("Event"),
        Point("Linear Multiplier", (1.0, 1.0)),
        Float("Angular Multiplier", 1.0),
        Choice("Affected asset"),
    ]),
    ("QVModelComponentMove", "Advanced Move", [
        Ref("Collision Shape", "shape"),
        Ref("Animation", "animation"),
        Ref("Sound", "sound"),
        Bool("Activate On Release"),
        Bool("Forced Switch Button"),
        Point("Linear Velocity", empty=True, marked=(True, True)),
        Float("Angular Velocity", empty=True, marked=True),
        Choice("Mathematical Operation"),
        Choice("Event"),
        Choice("Affected asset"),
        Float("Timeout"),
    ]),
    ("QVModelComponentRotationMapper", "Rotation Mapper", [Ref("Animation", "animation")]),
    ("QVModelComponentSlide", "Slide", [
        Ref("Collision Shape", "shape"), Ref("Animation", "animation"), Choice("Event"),
        Ref("Slide Sound", "sound")]),
    ("QVModelComponentSpawner", "Spawner", [Float("Spawn Rate", 1.0, flags=1), Choice("Spawn Action")]),
    ("QVModelComponentWakeup", "Wake Up", [
        Choice("Wake Up"), Float("Wakeup Distance"), Choice("Sleep"), Float("Sleep Distance")]),
    ("QVModelComponentScore", "Score", [
        Bool("Reset Coins"), Bool("Reset Points"), Bool("Reset Distance")]),
]

# ---------------------------------------------------------------- flow graph, buttons, UI objects,
# controls, effects, logic objects, paths

NODE = [Point("Position"), Link("Load", 1)]
IMAGE = OBJECT + [Sprite("Image"), Float("Autohide"), Bool("Stick To Edge", True)]
# The button constructor inserts "Image Selected" after the image's "Image",
# then appends the rest.
BUTTON = inserted(IMAGE, "Image", [Sprite("Image Selected")]) + [
    Choice("Action"),
    Float("Interval"),
    Choice("Back To"),
    Choice("Back To World"),
    Ref("Click Sound", "sound"),
    Ref("Release Sound", "sound"),
    Bool("Block Touch", True),
    Key("Keyboard Key"),
    Float("Touch Emulation", 0.0, -1.0, 1.0),
]
BUTTON_URL = BUTTON + [String("URL")]
# Powerup and purchase buttons rename "Action", then insert after it.
_SELECTION = changed(BUTTON, "Action", name="Powerup Selection")
BUTTON_POWERUP = inserted(_SELECTION, "Powerup Selection", [
    Bool("Force Action on Press"), Choice("Layering"), Float("Visibility Threshold")]) + [
    Point("Label Offset"),
    Float("Label Scale", 0.5),
    Float("Label Vertical Spacing", 100.0),
    Bool("Unlimited Use"),
    Float("Max Refill", 3.0),
    Float("Refill Timeout"),
    Bool("Refill At Start"),
]
BUTTON_PURCHASE = inserted(_SELECTION, "Powerup Selection", [
    Choice("Type"), Float("Visibility Threshold")]) + [
    Bool("Buy And Use"),
    Float("Quantity", 1.0),
    Ref("Purchase Complete", "sound"),
    Choice("Purchase Method"),
    Float("Price"),
    Choice("One Time Purchase"),
    String("Store Identifier"),
    Choice("Ad Network"),
]
LOCK_BUTTON = inserted(inserted(BUTTON, "Image Selected", [
    Sprite("Locked Image"), Sprite("Locked Image Selected")]), "Action", [
    Choice("Unlock"),
    Float("Price"),
    String("Store Identifier"),
    Choice("Destination"),
    Choice("World"),
    Choice("Scene"),
    Bool("Auto Follow"),
    Bool("Auto Lock"),
])
MANIPULATOR = OBJECT + [Float("Sensitivity"), Choice("Control Style")]
WHITE = (255.0, 255.0, 255.0, 255.0)


def _strip(defaults):
    """Flag and trail: one table shape, own defaults."""
    start, end, speed, length, height, wave = defaults
    return OBJECT_ASSET + [
        Sprite("Texture", excluded=True),
        Float("Start Width", start),
        Float("End Width", end),
        Float("Speed", speed),
        Float("Length", length),
        Float("Wave Height", height),
        Float("Wave Length", wave),
    ]


# Emission Rate: whole part of (whole Total Particles as unsigned / Life).
_EMISSION_RATE = float(int(int(150.0) / 3.0))

TABLES += [
    ("QVModelObjectAccelerometer", "", MANIPULATOR + [
        Choice("Control Type"), Choice("Active Axes")]),
    ("QVModelObjectBackground", "Untitled", OBJECT + [
        Sprite("Image"), Float("Speed"), Float("Tiling Offset"), Bool("Fixed Rotation")]),
    ("QVModelObjectButton", "Navigation Button", BUTTON),
    ("QVModelObjectButtonCharacterUnlock", "Single Unlock", BUTTON + [
        Choice("Character"), Bool("Show When Selected")]),
    ("QVModelObjectButtonControl", "", BUTTON),
    ("QVModelObjectButtonFacebook", "Facebook Button",
     changed(BUTTON_URL, "URL", name="Facebook URL") + [String("Facebook ID")]),
    ("QVModelObjectButtonPowerup", "Action Button", BUTTON_POWERUP),
    ("QVModelObjectButtonPurchase", "Purchase Button", BUTTON_PURCHASE),
    ("QVModelObjectButtonSoundControl", "Audio Button",
     changed(changed(BUTTON, "Image", name="Sound is ON"), "Image Selected", name="Sound is OFF")),
    ("QVModelObjectButtonSwitch", "Switch Button",
     changed(BUTTON, "Action", default="kInputControllerActionButton")),
    ("QVModelObjectButtonUrl", "Url Button", BUTTON_URL),
    ("QVModelObjectCharacterSelector", "", OBJECT + [
        Bool("Label Visibility", True),
        Float("Label Vertical Spacing", 100.0),
        Choice("Label Name"),
        Ref("Unlock Button", "animation"),
        Ref("Unlock Yes", "sound"),
        Ref("Unlock No", "sound"),
        Ref("Unlock Suggestion", "animation"),
        Float("Spread", 100.0),
    ]),
    ("QVModelObjectEventObserver", "Event Observer", OBJECT + [
        Choice("Event Type"),
        Float("Limit Number", 1000.0),
        Float("Plays Before Redirect", 1.0),
        UInt("Time", 1000),
        Choice("Function"),
        Bool("Pause Current World", True),
    ]),
    ("QVModelObjectFlag", "Flag", _strip((50.0, 50.0, 100.0, 200.0, 100.0, 100.0))),
    ("QVModelObjectGatekeeper", "Gatekeeper", OBJECT_ASSET + [Float("Passed Amount", 1.0)]),
    ("QVModelObjectInstance", "", OBJECT + [Ref("Reference", "objectAsset")]),
    ("QVModelObjectLight", "Light", OBJECT_ASSET + [
        Float("Radius", 25.0), Color("Color", WHITE), Bool("Cast Shadow")]),
    ("QVModelObjectLoadingBar", "Loading Bar", OBJECT),
    ("QVModelObjectLockButton", "Lock Button", LOCK_BUTTON),
    ("QVModelObjectLogic", "Transform", OBJECT_ASSET + [
        Point("Position Modifier", empty=True, marked=(True, True)),
        Float("Rotation Modifier", empty=True, marked=True),
        Point("Scale Modifier", empty=True, marked=(True, True)),
        Bool("World Space", True),
        Point("Linear Velocity Modifier", empty=True, marked=(True, True)),
        Float("Angular Velocity Modifier", empty=True, marked=True),
        Choice("Affected asset"),
        Choice("Affect operation"),
    ]),
    ("QVModelObjectManipulator", "", MANIPULATOR),
    ("QVModelObjectMirror", "Mirror", OBJECT_ASSET + [Color("Color", WHITE)]),
    ("QVModelObjectParticles", "Particle", OBJECT_ASSET + [Decl("Emitters", "emitters", None)]),
    ("QVModelObjectParticlesEmitter", "", changed(OBJECT_ASSET, "Position", flags=1) + [
        Sprite("Texture", excluded=True),
        Float("Total Particles", 150.0),
        Float("Emission Rate", _EMISSION_RATE),
        Bool("Blend Additive"),
        Float("Start Size", 50.0, flags=1),
        Float("End Size", 50.0, flags=1),
        Float("Start Spin", flags=1),
        Float("End Spin", flags=1),
        Point("Gravity"),
        Float("Radial Acceleration", flags=1),
        Float("Speed", 60.0, flags=1, variance=20.0),
        Float("Angle", 90.0, flags=1, variance=10.0),
        Float("Life", 3.0, flags=1, variance=0.25),
        Gradient("Color", [(0.0, (1.0, 1.0, 1.0, 1.0)), (1.0, (0.0, 0.0, 0.0, 1.0))]),
        Gradient("Color Variation", [(0.0, (0.0, 0.0, 0.0, 0.0)), (1.0, (0.0, 0.0, 0.0, 0.0))]),
        Choice("Position Type"),
    ]),
    ("QVModelObjectPath", "Path", OBJECT_ASSET + [
        Float("Search Radius", 50.0),
        Float("Speed", 50.0),
        Float("Attraction Force", 50.0, 0.0, 100.0),
        Bool("Keep Velocity", True),
        Bool("Image Direction"),
        Choice("Play Mode"),
        Choice("Affected Asset"),
        Choice("Object Asset"),
        Choice("Image Transition"),
    ]),
    ("QVModelObjectScreenJump", "Menu Jump", OBJECT_ASSET + [
        Choice("Function"), Bool("Pause Current World")]),
    ("QVModelObjectSwipeControl", "", OBJECT),
    ("QVModelObjectTeleport", "Portal", OBJECT_ASSET + [
        Float("Group ID"),
        Bool("Delete Input Object", True),
        Bool("Single Use", True),
        Bool("Exit Only"),
        Float("Search Radius", 600.0),
    ]),
    ("QVModelObjectTrail", "Trail", _strip((15.0, 5.0, 50.0, 300.0, 0.0, 50.0))),
    ("QVModelObjectUnlocker", "Unlock", OBJECT + [Choice("Unlock Type"), Choice("Object")]),
    ("QVModelObjectLabel", "Untitled", OBJECT + [
        Choice("Action"),
        Choice("World"),
        Choice("Score Type"),
        Choice("Amount"),
        Int("Score Modifier"),
        Choice("Alignment"),
        String("Text"),
        Choice("Font"),
        Float("Tracking"),
        Bool("Stick To Edge"),
        Float("Autohide"),
        Size("Calculated Size", (100.0, 100.0)),
    ]),
    # Default names are those a node gets in an empty controller.
    ("QVNodeScene", "New World 1", NODE + [Link("UI", 2)]),
    ("QVNodeUI", "New UI 1", NODE),
    # The start node turns its "Load" into an unlinked "---" and follows
    # through a new "Load".
    ("QVNodeUIStart", "New UI 1", changed(NODE, "Load", name="---", mode=0) + [Link("Load", 2)]),
]

# Classes whose constructor links a model of its own to a reference
# attribute: the jump and move components make a default polygon.
DEFAULT_LINKS = {
    "QVModelComponentIsoJump": {"Collision Shape": "QVModelPolygon"},
    "QVModelComponentMove": {"Collision Shape": "QVModelPolygon"},
}

_FRONT = {"QVModelObjectAssetUnit": ("Object Type", "Movement Type")}
_EXTRA = {"QVModelPolygon": _points_extra, "QVModelCircle": _points_extra,
          "QVModelObjectPath": _path_extra}

NODES = ("QVNodeScene", "QVNodeUI", "QVNodeUIStart")

CLASSES = {name: ModelClass(name, decls, default_name, front=_FRONT.get(name, ()),
                            extra=_EXTRA.get(name), counted=name in NODES)
           for name, default_name, decls in TABLES}

# Not in the schema listing: its factory hands out the one shared instance.
GENERAL_SETTINGS = ModelClass("QVModelGeneralSettings", [
    String("ZK Version"),
    UInt("Last ID"),
    Enum("Orientation", "orientation"),
    Enum("Edge 0", "frameEdgeState"),
    Enum("Edge 1", "frameEdgeState"),
    Enum("Edge 2", "frameEdgeState"),
    Enum("Edge 3", "frameEdgeState"),
    Enum("Screen Adjustment", "screenAdjustment"),
    Float("Game Angle Direction"),
    Rect("Object Frame"),
    Size("Design Size"),
    String("Score Type"),
    String("Share Screen", "Game Field Screen"),
    String("Version Number", "1.0"),
    String("Application Name", "Untitled"),
    String("Comments", "add comments here"),
    String("Reset text", "PLEASE NOTE:  You are about to reset all your game progress and "
                         "start completely over.  Are you sure you want to do that?"),
    String("Not Enough Currency Text", "Sorry, you don't have enough currency!"),
    String("Build Date"),
    String("User ID"),
    Sprite("Icon", excluded=True),
    Key("Move Up Key", 16777235),
    Key("Move Down Key", 16777237),
    Key("Move Left Key", 16777234),
    Key("Move Right Key", 16777236),
    Key("Motor CW Key", 88),
    Key("Motor CCW Key", 90),
    Key("Rotate Left Key", 44),
    Key("Rotate Right Key", 46),
    Key("Shoot Key", 32),
    Key("Jump Key", 74),
], default_name="", extra=_platform_extra)

ALL_CLASSES = dict(CLASSES, QVModelGeneralSettings=GENERAL_SETTINGS)


# ---------------------------------------------------------------- fresh values

def _clamp(x, lo, hi):
    return lo if x <= lo else hi if x > hi else x


def fresh_value(decl):
    """What a new instance holds for a declaration, in the pack value form
    of models.pack_attribute (links as the linked class name or None)."""
    kind = decl.kind
    if kind in FUNDAMENTAL:
        value = _clamp(decl.default, decl.lo, decl.hi)
        variance = decl.variance
        if kind == "float":
            value, variance = f32(value), f32(variance)
        return {"value": value, "variableValue": variance,
                "isEmpty": bool(decl.allow_empty and decl.marked)}
    if kind == "point":
        value = tuple(f32(_clamp(v, lo, hi)) for v, lo, hi in zip(decl.default, decl.lo, decl.hi))
        return {"value": value, "variableValue": tuple(f32(v) for v in decl.variance),
                "isXEmpty": decl.marked[0], "isYEmpty": decl.marked[1]}
    if kind in ("rect", "size", "color"):
        return tuple(f32(v) for v in decl.default)
    if kind in ENUMS or kind in ("string", "stringList"):
        return decl.default
    if kind == "gradient":
        return list(decl.default or ())
    return None


# ---------------------------------------------------------------- the listing

def _num(kind, x):
    if kind == "bool":
        return "true" if x else "false"
    if kind == "float":
        return "%.9g" % f32(x)
    return "%d" % x


def _floats(values):
    return "(%s)" % ", ".join("%.9g" % f32(v) for v in values)


def _text(text):
    return '"%s"' % escape_bytes(text.encode("utf-8"), quote=True)


def attribute_line(index, decl, linked=None):
    kind = decl.kind
    head = "  %d %s %s flags %d" % (index, _text(decl.name), CLASS_NAMES[kind], decl.flags)
    fresh = fresh_value(decl)
    if kind in FUNDAMENTAL:
        empty = "no"
        if decl.allow_empty:
            empty = "allowed marked" if fresh["isEmpty"] else "allowed"
        rest = "value %s variance %s range %s %s empty %s" % (
            _num(kind, fresh["value"]), _num(kind, fresh["variableValue"]),
            _num(kind, decl.lo), _num(kind, decl.hi), empty)
    elif kind == "point":
        empty = "no"
        if decl.allow_empty:
            empty = "allowed" + "".join(
                " " + axis for axis, mark in zip("xy", (fresh["isXEmpty"], fresh["isYEmpty"]))
                if mark)
        rest = "value %s variance %s range %s %s empty %s" % (
            _floats(fresh["value"]), _floats(fresh["variableValue"]),
            _floats(decl.lo), _floats(decl.hi), empty)
    elif kind in ("string", "stringList"):
        limit = STRING_MAX if decl.max_length is None else decl.max_length
        rest = "value %s max %d" % (_text(fresh), limit)
    elif kind in ("rect", "size", "color"):
        rest = "value %s" % _floats(fresh)
    elif kind == "gradient":
        rest = "keys %d" % len(fresh) + "".join(
            " %.9g:%s" % (f32(pos), _floats(rgba)) for pos, rgba in sorted(fresh))
    elif kind in ENUMS:
        rest = "value %d" % fresh
    elif kind in REFERENCES:
        rest = "link %s" % (linked or "none")
        if kind == "animation":
            rest += " loop %s" % ("true" if decl.loop else "false")
    elif kind == "sprite":
        rest = "link %s excluded %s" % (linked or "none", "true" if decl.excluded else "false")
    elif kind in ("attribute", "emitters"):
        rest = "mode %d" % decl.mode
    else:
        raise ValueError(kind)
    return "%s %s\n" % (head, rest)


def listing(class_name):
    cls = CLASSES[class_name]
    links = DEFAULT_LINKS.get(class_name, {})
    lines = ["class %s %s\n" % (class_name, _text(cls.default_name))]
    for i, decl in enumerate(cls.decls):
        lines.append(attribute_line(i, decl, links.get(decl.name)))
    return "".join(lines)


def schema(class_names):
    """The listing of the named classes, in the order given; KeyError names
    the first class without a table."""
    for name in class_names:
        if name not in CLASSES:
            raise KeyError(name)
    return "".join(listing(name) for name in class_names)
