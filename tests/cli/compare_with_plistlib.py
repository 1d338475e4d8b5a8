#!/usr/bin/env python3
"""Checks that `setlistry-export --list` prints exactly the playlist names plistlib finds in each library."""
import plistlib
import subprocess
import sys

exporter, libraries = sys.argv[1], sys.argv[2:]
failed = 0
for library in libraries:
    with open(library, "rb") as f:
        document = plistlib.load(f)
    # Entries without a string "Name" contribute nothing.
    expected = "".join(p["Name"] + "\n" for p in document.get("Playlists", []) if isinstance(p.get("Name"), str))
    got = subprocess.run([exporter, "--library", library, "--list"], capture_output=True, check=False)
    if got.returncode != 0 or got.stdout.decode("utf-8") != expected:
        print(f"FAIL {library}: status {got.returncode}\nexpected {expected!r}\ngot {got.stdout!r}")
        failed += 1
print(f"{len(libraries) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
