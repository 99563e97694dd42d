#!/usr/bin/python3
"""Independent writer of the model-pack test data and its fixtures.

  qvtestdata.py selftest               format vectors and a decode of every file
  qvtestdata.py fixtures --out DIR     write the fixtures into DIR
  qvtestdata.py fixtures --check DIR   regenerate and compare DIR byte for byte
  qvtestdata.py load-fixtures --specs DIR --out DIR
                                       write the loader's data folders and packages,
                                       or a folder of fixture games and their packages
  qvtestdata.py schema CLASS...        list the attributes of fresh models of the classes
  qvtestdata.py class-fixtures --specs DIR --out DIR
                                       write the fixture game of every model class
  qvtestdata.py readgame DIR           check an exported game's data folder and
                                       package, and list its models
"""

import sys

sys.dont_write_bytecode = True  # keep the tree free of cache files

import argparse  # noqa: E402
import os  # noqa: E402
import tempfile  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from qvtd import fixtures  # noqa: E402


def check(directory):
    """Regenerate into a scratch folder and compare; returns the exit status."""
    if not os.path.isdir(directory):
        print("error: %s is not a directory" % directory, file=sys.stderr)
        return 2
    with tempfile.TemporaryDirectory(prefix="qvtestdata-") as scratch:
        files = fixtures.write(scratch)
        bad = 0
        for rel in sorted(files):
            fresh = os.path.join(scratch, rel)
            committed = os.path.join(directory, rel)
            with open(fresh, "rb") as f:
                want = f.read()
            try:
                with open(committed, "rb") as f:
                    have = f.read()
            except OSError as e:
                print("missing: %s (%s)" % (rel, e.strerror))
                bad += 1
                continue
            if have != want:
                at = next((i for i, (x, y) in enumerate(zip(have, want)) if x != y),
                          min(len(have), len(want)))
                print("differs: %s (first difference at byte %d; %d bytes committed, %d written)"
                      % (rel, at, len(have), len(want)))
                bad += 1
        for rel in _extra_files(directory, files):
            print("note: %s is not written by this tool" % rel)
        print("%d files checked, %d differ" % (len(files), bad))
        return 1 if bad else 0


def _extra_files(directory, files):
    folders = sorted({os.path.dirname(rel) for rel in files})
    extra = []
    for folder in folders:
        path = os.path.join(directory, folder)
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            rel = os.path.join(folder, name)
            if rel not in files and rel not in fixtures.INPUTS:
                extra.append(rel)
    return extra


def main(argv):
    parser = argparse.ArgumentParser(prog="qvtestdata.py", description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    sub.add_parser("selftest", help="run the format vectors and decode every file")
    fx = sub.add_parser("fixtures", help="write or check the committed fixtures")
    mode = fx.add_mutually_exclusive_group(required=True)
    mode.add_argument("--out", metavar="DIR")
    mode.add_argument("--check", metavar="DIR")
    lf = sub.add_parser("load-fixtures", help="write the loader's folders and packages")
    lf.add_argument("--specs", metavar="DIR", required=True)
    lf.add_argument("--out", metavar="DIR", required=True)
    lf.add_argument("--stamp", metavar="FILE", help="touched when everything is written")
    sc = sub.add_parser("schema", help="list the attributes of fresh models of the classes")
    sc.add_argument("classes", metavar="CLASS", nargs="+")
    cf = sub.add_parser("class-fixtures", help="write the fixture game of every model class")
    cf.add_argument("--specs", metavar="DIR", required=True)
    cf.add_argument("--out", metavar="DIR", required=True)
    cf.add_argument("--stamp", metavar="FILE", help="touched when everything is written")
    rg = sub.add_parser("readgame", help="check a game's data and list its models")
    rg.add_argument("dir", metavar="DIR")
    args = parser.parse_args(argv)

    if args.command == "readgame":
        from qvtd import readgame
        return readgame.run(args.dir, sys.stdout)

    if args.command == "schema":
        from qvtd import classes
        try:
            text = classes.schema(args.classes)
        except KeyError as e:
            print("error: unknown model class %s" % e.args[0], file=sys.stderr)
            return 2
        sys.stdout.buffer.write(text.encode())
        return 0

    if args.command in ("class-fixtures", "load-fixtures"):
        from qvtd import classfixtures, loadfixtures
        if args.command == "class-fixtures":
            writer, what = classfixtures, "fixture games"
        else:
            writer, what = loadfixtures, "resource roots"
        names = writer.write(args.specs, args.out)
        print("wrote %d %s into %s" % (len(names), what, args.out))
        if args.stamp:
            with open(args.stamp, "w") as f:
                f.write("\n".join(sorted(names)) + "\n")
        return 0

    if args.command == "selftest":
        from qvtd import selftest
        return selftest.run()
    if args.out:
        files = fixtures.write(args.out)
        for rel in sorted(files):
            print("wrote %s (%d bytes)" % (os.path.join(args.out, rel), len(files[rel])))
        return 0
    return check(args.check)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
