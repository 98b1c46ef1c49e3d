#!/usr/bin/env bash
# scripts/check-layers.sh: fails on an #include "folder/..." that points up a layer or sideways
# between two subsystems of one layer. The layers, lowest first:
#   platform/  <  core/  <  config/ link/ logging/ pictures/ power/ sensing/  <  screens/  <  app/  <  gui/ win/ console/
# The screens sit above the subsystems: the configuration screen edits the configuration file and
# archives the log, so it uses config/ and logging/ as the program does.
# Within platform/ the backends (linux/, windows/) sit on the interfaces and never on each other;
# outside platform/ only the front ends reach a backend directly. tests/, fuzz/, bench/ and the
# documentation drivers in scripts/ may include anything. A C++ file in a folder the table does not know fails too, so that a new folder
# gets its place here on purpose.
set -euo pipefail
cd "$(dirname "$0")/.."

git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc' | python3 -c '
import re
import sys

# Folder -> (level, name of its group). One group per level except the subsystems and the front
# ends, which are siblings that must not include each other.
LAYERS = {
    "platform": (0, "platform"),
    "platform/linux": (1, "platform/linux"),
    "platform/windows": (1, "platform/windows"),
    "core": (2, "core"),
    "config": (3, "config"),
    "link": (3, "link"),
    "logging": (3, "logging"),
    "pictures": (3, "pictures"),
    "power": (3, "power"),
    "screens": (4, "screens"),
    "sensing": (3, "sensing"),
    "app": (5, "app"),
    "gui": (6, "gui"),
    "win": (6, "win"),
    "console": (6, "console"),
}
FREE = ("tests", "fuzz", "bench", "scripts")
BACKENDS = ("platform/linux", "platform/windows")
FRONT_ENDS = ("gui", "win", "console")
INCLUDE = re.compile(r"^\s*#\s*include\s*\"([^\"]+)\"")


def layer_of(path):
    """The layer entry of a path: its longest matching folder (screens/config counts as screens)."""
    parts = path.split("/")
    for n in (2, 1):
        folder = "/".join(parts[:n])
        if len(parts) > n and folder in LAYERS:
            return folder
    return None


faults = 0
files = [f for f in sys.stdin.read().split("\0") if f]
for path in files:
    top = path.split("/")[0]
    if top in FREE:
        continue
    source = layer_of(path)
    if source is None:
        print(f"{path}: its folder has no layer; give it one in scripts/check-layers.sh")
        faults += 1
        continue
    level, group = LAYERS[source]
    with open(path, encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = INCLUDE.match(line)
            if not match or "/" not in match.group(1):
                continue
            where = f"{path}:{number}: #include \"{match.group(1)}\""
            included_top = match.group(1).split("/")[0]
            if included_top in FREE:
                print(f"{where}: only tests, fuzz targets and benchmarks include {included_top}/")
                faults += 1
                continue
            target = layer_of(match.group(1))
            if target is None:
                continue  # not one of ours (a generated or third-party header)
            to_level, to_group = LAYERS[target]
            if target in BACKENDS and group != to_group and group not in FRONT_ENDS:
                rule = f"only {target}/ itself and the front ends include a backend"
            elif to_level > level:
                rule = f"points up: {group}/ (level {level}) may not include {to_group}/ (level {to_level})"
            elif to_level == level and to_group != group:
                rule = f"sideways: {group}/ and {to_group}/ share a level and may not include each other"
            else:
                continue
            print(f"{where}: {rule}")
            faults += 1

if faults:
    print(f"layers: {faults} wrong include(s) in {len(files)} files")
    sys.exit(1)
print(f"layers: {len(files)} files, every include points down")
'
