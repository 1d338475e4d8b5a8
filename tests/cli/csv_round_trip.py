#!/usr/bin/env python3
"""Exports the "Library" playlist as CSV with every field and a header row, reads it back with the csv module's
default dialect and compares each row with the song's values as plistlib reads them from the same library."""
import csv
import io
import os
import plistlib
import re
import subprocess
import sys
import tempfile
import urllib.parse

exporter, library = sys.argv[1], sys.argv[2]

FIELDS = ["Name", "Artist", "Album", "Location", "Genre", "Kind", "Composer", "Comments", "SampleRate", "Time",
          "BitRate", "Rating", "PlayCount", "TrackNumber", "Year", "BPM", "Disc Number", "Size"]


def location(url):
    if not url.lower().startswith("file:"):
        return url  # a stream keeps its address
    parts = urllib.parse.urlparse(url)
    path = parts.path
    if parts.netloc not in ("", "localhost"):
        path = "//" + parts.netloc + path  # another machine's file: its UNC path
    elif re.match(r"/[A-Za-z]:/", path):
        path = path[1:]  # "file:///C:/x" names the drive
    return urllib.parse.unquote(path)


def number(value):
    return str(value) if value else ""


def clock(milliseconds):
    seconds = milliseconds // 1000
    return f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}" if seconds > 0 else ""


def size(byte_count):
    kilobytes = (byte_count % 2**32) // 1024
    if kilobytes <= 1023:
        return f"{kilobytes} K"
    megabytes = kilobytes // 1024
    if megabytes <= 1023:
        return f"{megabytes}.{10 * (kilobytes % 1024) // 1024} MB"
    return f"{kilobytes // 1048576}.{10 * (megabytes % 1024) // 1024} GB"


def disc_part(value):
    return str(value) if value > 0 else "?"


def expected_row(track):
    text = {title: track.get(key, "") for title, key in [("Name", "Name"), ("Artist", "Artist"), ("Album", "Album"),
                                                         ("Genre", "Genre"), ("Kind", "Kind"),
                                                         ("Composer", "Composer"), ("Comments", "Comments")]}
    text.update({
        "Location": location(track["Location"]) if "Location" in track else "",
        "SampleRate": number(track.get("Sample Rate", 0)),
        "Time": clock(track.get("Total Time", 0)),
        "BitRate": number(track.get("Bit Rate", 0)),
        "Rating": number(track.get("Rating", 0) // 20),
        "PlayCount": number(track.get("Play Count", 0)),
        "TrackNumber": number(track.get("Track Number", 0)),
        "Year": number(track.get("Year", 0)),
        "BPM": number(track.get("BPM", 0)),
        "Disc Number": disc_part(track.get("Disc Number", 0)) + " of " + disc_part(track.get("Disc Count", 0)),
        "Size": size(track.get("Size", 0)),
    })
    return [text[title] for title in FIELDS]


with open(library, "rb") as f:
    document = plistlib.load(f)
tracks = document["Tracks"]
playlist = next(p for p in document["Playlists"] if p.get("Name") == "Library")
# The settings name four fields by their one-word title keys, as settings of older versions do; the header row
# shows the titles of today.
TITLES = {"SampleRate": "Sample Rate", "BitRate": "Bit Rate", "PlayCount": "Play Count", "TrackNumber": "Track Number"}
expected = [[TITLES.get(field, field) for field in FIELDS]] + [expected_row(tracks[str(item["Track ID"])]) for item in playlist["Playlist Items"]]

with tempfile.TemporaryDirectory() as home:
    out = os.path.join(home, "Library.csv")
    environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
    # The library's own order, so that the rows follow the playlist.
    run = subprocess.run([exporter, "--library", library, "--playlist", "Library", "--format", "csv", "--output", out,
                          "--set", "FieldOrder=" + str(FIELDS).replace("'", '"'), "--set", "iTunesOrdering=true",
                          "--set", "DelimitedTextHeaderRow=true"], env=environment, capture_output=True, check=False)
    if run.returncode != 0:
        print(f"FAIL: status {run.returncode}: {run.stderr.decode()}")
        sys.exit(1)
    with open(out, "rb") as f:
        data = f.read()

failed = 0
# Every line ends with CR LF; a bare LF may stand only where a value holds one, inside its quotes.
bare_line_feeds = data.replace(b"\r\n", b"").count(b"\n")
if not data.endswith(b"\r\n") or bare_line_feeds != sum(v.count("\n") for row in expected for v in row):
    print("FAIL: lines must end with CR LF")
    failed += 1
rows = list(csv.reader(io.StringIO(data.decode("utf-8"), newline="")))
if len(rows) != len(expected):
    print(f"FAIL: {len(rows)} rows read, {len(expected)} expected")
    failed += 1
for index, (got, want) in enumerate(zip(rows, expected)):
    for title, g, w in zip(FIELDS, got, want):
        if g != w:
            print(f"FAIL row {index} {title}: got {g!r}, expected {w!r}")
            failed += 1
    if len(got) != len(want):
        print(f"FAIL row {index}: {len(got)} fields, {len(want)} expected")
        failed += 1
print(f"{len(rows)} rows read, {failed} differences")
sys.exit(1 if failed else 0)
