#!/usr/bin/env python3
"""Prints which folder of src/ includes which, with the number of #include lines behind each edge.

With --check it also fails (exit 1) when a folder includes one it may not: the layers stand on
each other downward only, as the table layers.txt in the src/ folder lists them.
"""
import argparse
import collections
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]*"', re.MULTILINE)


def may_include(src):
    """{folder: the folders it may include, itself among them} from src/layers.txt."""
    allowed = {}
    for line in (src / "layers.txt").read_text(encoding="utf-8").splitlines():
        words = line.split()
        if words and not words[0].startswith("#"):
            allowed[words[0]] = set(words)
    return allowed


def include_graph(src):
    """{(from folder, to folder): number of includes} over every source and header in src."""
    edges = collections.Counter()
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".h", ".cpp", ".rc"}:
            continue
        folder = path.relative_to(src).parts[0]
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            edges[(folder, target)] += 1
    return edges


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("src", type=pathlib.Path, help="the src/ folder")
    parser.add_argument("--check", action="store_true", help="fail on an upward or sideways include")
    args = parser.parse_args()
    edges = include_graph(args.src)
    allowed_targets = may_include(args.src)
    forbidden = []
    for (origin, target), count in sorted(edges.items()):
        allowed = target in allowed_targets.get(origin, set())
        print(f"{origin:>8} -> {target:<8} {count:3d}{'' if allowed else '   FORBIDDEN'}")
        if not allowed:
            forbidden.append((origin, target))
    if args.check and forbidden:
        print(f"{len(forbidden)} forbidden edge(s)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
