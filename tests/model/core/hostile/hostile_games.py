#!/usr/bin/python3
"""Writes hostile data folders (resource roots <out>/data/...) for the loader.

  hostile_games.py chain --levels N [--parent-first] OUT
        N+1 screens, each the only child of the one before; the connections
        are written deepest link first (bottom-up) or top link first
  hostile_games.py keys --names N OUT
        a valid small game whose Keys.pack numbers N names
  hostile_games.py random-keys OUT
        a valid small game whose Keys.pack is random bytes
  hostile_games.py other-user-keys OUT
        a valid small game whose Keys.pack is scrambled for another User ID
"""

import argparse
import os
import random
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "..",
                                "tools", "testdata"))

from qvtd import keyspack, loadfixtures  # noqa: E402

USER_ID = "4242"
FIRST_ID = 1000
PER_PACK = 5000


def settings(last_id):
    return {"id": FIRST_ID, "class": "QVModelGeneralSettings",
            "attributes": {"Name": "Settings", "User ID": USER_ID, "Last ID": {"uint": last_id}}}


def packs_of(class_name, objects, stage):
    return {"%s.%d.%s.pack" % (class_name, i // PER_PACK, stage): objects[i:i + PER_PACK]
            for i in range(0, len(objects), PER_PACK)}


def write_folder(out, files):
    data = os.path.join(out, "data")
    os.makedirs(data, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(data, name), "wb") as f:
            f.write(content)


def fast_scramble(plain):
    """keyspack.scramble for large files (one XOR of two big integers)."""
    table = keyspack.scrambling_table(USER_ID)
    key = (table * (len(plain) // 64 + 1))[:len(plain)]
    return (int.from_bytes(plain, "little") ^ int.from_bytes(key, "little")).to_bytes(len(plain), "little")


def chain(levels, parent_first):
    ids = [FIRST_ID + 1 + i for i in range(levels + 1)]
    screens = [{"id": i, "class": "QVModelScreen", "attributes": {"Name": "Level %d" % n}}
               for n, i in enumerate(ids)]
    links = [{"id": ids[n], "children": [ids[n + 1]]} for n in range(levels)]
    if not parent_first:
        links.reverse()
    objects = {"QVModelGeneralSettings.0.attributes.pack": [settings(ids[-1])]}
    objects.update(packs_of("QVModelScreen", screens, "attributes"))
    objects.update(packs_of("QVModelScreen", links, "connections"))
    files, _ = loadfixtures.build_game(objects, USER_ID)
    return files


def small_game():
    files, _ = loadfixtures.build_game(
        {"QVModelGeneralSettings.0.attributes.pack": [settings(FIRST_ID + 1)],
         "QVModelScreen.0.attributes.pack": [{"id": FIRST_ID + 1, "class": "QVModelScreen",
                                              "attributes": {"Name": "Main"}}]}, USER_ID)
    return files


def many_keys(names):
    files = small_game()
    lines = keyspack.read_keys_pack(files["Keys.pack"], USER_ID)
    ordered = sorted(lines, key=lines.get)
    # Short distinct fillers after the game's own names.
    fillers = (("%x" % n).encode() for n in range(names - len(ordered)))
    plain = b"\n".join(ordered) + b"\n" + b"\n".join(fillers) + b"\n"
    files["Keys.pack"] = fast_scramble(plain)
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="kind", required=True)
    c = sub.add_parser("chain")
    c.add_argument("--levels", type=int, required=True)
    c.add_argument("--parent-first", action="store_true")
    k = sub.add_parser("keys")
    k.add_argument("--names", type=int, required=True)
    sub.add_parser("random-keys")
    sub.add_parser("other-user-keys")
    for p in (c, k, sub.choices["random-keys"], sub.choices["other-user-keys"]):
        p.add_argument("out")
    args = parser.parse_args(argv)
    if args.kind == "chain":
        files = chain(args.levels, args.parent_first)
    elif args.kind == "keys":
        files = many_keys(args.names)
    elif args.kind == "random-keys":
        files = small_game()
        files["Keys.pack"] = random.Random(7).randbytes(len(files["Keys.pack"]) + 512)
    else:
        files = small_game()
        plain = keyspack.scramble(files["Keys.pack"], USER_ID)
        files["Keys.pack"] = keyspack.scramble(plain, USER_ID + "1")
    write_folder(args.out, files)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
