#!/usr/bin/env python3
"""Fails when a source file includes from a folder that its layer may not use.

Usage: check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

# Which folders each folder's files may include from, bottom up. A folder may always include its own files.
ALLOWED = {
    "core/platform": [],
    "core/plist": ["core/platform"],
    "core/fields": ["core/platform"],
    "core/settings": ["core/platform", "core/fields"],
    "core/text": ["core/platform"],
    "core/library": ["core/platform", "core/plist", "core/fields", "core/settings", "core/text"],
    "core/export": ["core/platform", "core/fields", "core/settings", "core/text", "core/library"],
    "core/html": ["core/platform", "core/fields", "core/settings", "core/text", "core/library", "core/export"],
    "core/flow": ["core/platform", "core/fields", "core/settings", "core/text", "core/library", "core/export",
                  "core/html"],
    "cli": ["core/*"],
    "gui": ["core/*"],
    "app": ["core/*", "gui"],
}

# Headers that only their own folder may include.
PRIVATE = {
    "core/plist/PropertyListBuilder.h",
    "core/plist/PropertyListDocument.h",
    "core/plist/PropertyListEncoding.h",
    "core/plist/PropertyListError.h",
    "core/plist/PropertyListReader.h",
    "core/plist/PropertyListScanner.h",
    "core/plist/PropertyListSource.h",
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def allowed(layer, target_folder):
    if target_folder == layer:
        return True
    for rule in ALLOWED[layer]:
        if rule == target_folder or (rule.endswith("/*") and target_folder.startswith(rule[:-1])):
            return True
    return False


def main():
    src = pathlib.Path(sys.argv[1])
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = path.parent.relative_to(src).as_posix()
        if layer not in ALLOWED:
            faults.append(f"{path.relative_to(src)}: folder {layer} is not in the layer table")
            continue
        for name in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if "/" not in name or name.startswith("ui_"):
                continue  # the folder's own header, or a form generated beside it
            target_folder = name.rsplit("/", 1)[0]
            if target_folder not in ALLOWED:
                faults.append(f"{path.relative_to(src)}: includes \"{name}\" from no known layer")
            elif not allowed(layer, target_folder):
                faults.append(f"{path.relative_to(src)}: {layer} may not include \"{name}\"")
            elif name in PRIVATE and target_folder != layer:
                faults.append(f"{path.relative_to(src)}: \"{name}\" is private to {target_folder}")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("layers: every include follows the table")
    return 0


if __name__ == "__main__":
    sys.exit(main())
