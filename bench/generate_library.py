#!/usr/bin/env python3
"""Writes a synthetic iTunes library file ("iTunes Music Library.xml") for benchmarks.

The layout, the key order, the indentation and the escaping follow what iTunes itself writes, so that a
reader meets the same byte patterns as in a real library: a root dict with the library's header keys, a
"Tracks" dict of track dicts (about 35 keys each, some of them missing on some tracks), and a "Playlists"
array with the master playlist (every track), the built-in and smart playlists, folders, an empty playlist
and user playlists from a few hundred to tens of thousands of items.

The output depends only on --tracks and --seed.

    python3 bench/generate_library.py --tracks 50000 --out /tmp/library-50k.xml [--seed 1]
"""

import argparse
import datetime
import math
import random
import sys
import urllib.parse

HEADER = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">\n'
    '<plist version="1.0">\n'
)

USER = "alex"
MEDIA = f"file://localhost/Users/{USER}/Music/iTunes/iTunes%20Media/"

# Words for names, with the variety a real collection has: accents, other scripts, characters outside the
# Basic Multilingual Plane, typographic quotes and the characters XML must escape.
WORDS = (
    "Love Night Day Time Heart Blue Dream Light World Fire Rain Song Home Road Sun Moon Star River Girl Boy "
    "Little Big Old New Last First Summer Winter Dance Money Angel Devil Gold Silver Wild Free Lonely Sweet "
    "Broken Golden Midnight Morning Electric Paper Glass Stone Ocean Desert City Train Highway Radio Ghost "
    "Shadow Mirror Window Garden Kingdom Empire Revolution Memory Promise Secret Silence Thunder Lightning"
).split()
WORDS_INTL = [
    "Café", "Über", "Niño", "Señorita", "Mañana", "Été", "Fröhlich", "Smørrebrød", "Ångström", "Çà",
    "Liberté", "Straße", "Żółć", "Dvořák", "Ölümsüz", "Ελπίδα", "Любовь", "Ночь", "Звезда", "夜",
    "東京", "さくら", "사랑", "שלום", "حب", "नमस्ते", "Naïve", "Jalapeño", "Crème", "Brûlée",
]
SPECIAL = ["&", "<", ">", "\u2019s", "\u201cLive\u201d", "(Remix)", "[Live]", "- Remastered", "\U0001F3B5",
           "feat.", "Pt. 2", "#1", "100%", "'n'", "+", "!", "?", "/", ":", "...", "\"Quoted\""]

ARTISTS_FIXED = [
    "Björk", "Sigur Rós", "Mötley Crüe", "Beyoncé", "Simon & Garfunkel", "Earth, Wind & Fire",
    "Hall & Oates", "AC/DC", "Guns N' Roses", "坂本龍一", "Ярослав Евдокимов", "Μίκης Θεοδωράκης",
    "Los Lobos", "Jean-Michel Jarre", "Édith Piaf", "Antonín Dvořák", "Johann Sebastian Bach", "Sade",
    "The Beatles", "The Rolling Stones", "Prince", "Daft Punk", "Motörhead", "Blue Öyster Cult",
    "Queensrÿche", "Hüsker Dü", "Sinéad O'Connor", "Röyksopp", "Mumford & Sons", "Of Monsters and Men",
]
GENRES = ["Rock", "Pop", "Alternative", "Jazz", "Classical", "Electronic", "Hip-Hop/Rap", "R&B/Soul",
          "Country", "Blues", "Folk", "Soundtrack", "World", "Reggae", "Metal", "Dance", "Singer/Songwriter",
          "Latin", "Podcast", "Audiobook", "Vocal", "Easy Listening", "Children's Music", "Musique française"]
KINDS = [("MPEG audio file", "mp3", 0.45), ("AAC audio file", "m4a", 0.25),
         ("Purchased AAC audio file", "m4a", 0.12), ("Apple Lossless audio file", "m4a", 0.08),
         ("Protected AAC audio file", "m4p", 0.04), ("WAV audio file", "wav", 0.02),
         ("AIFF audio file", "aif", 0.02), ("MPEG-4 video file", "m4v", 0.02)]
COMPOSERS = ["Lennon/McCartney", "Jagger/Richards", "Bach, Johann Sebastian", "Wolfgang Amadeus Mozart",
             "Max Martin", "Holland–Dozier–Holland", "Bacharach & David", "Traditional", "Ennio Morricone"]
COMMENTS = ["Amazon.com Song ID: 2024", "Ripped from CD", "Great track!", "Remastered 2009",
            "Live at Wembley, 1986", "Copyright © 2001", "Vinyl rip <side A>", "B-side & rarity"]


def xml_text(s):
    # iTunes escapes with numeric references, not the named entities.
    return s.replace("&", "&#38;").replace("<", "&#60;").replace(">", "&#62;")


def url_path(s):
    return urllib.parse.quote(s, safe="/!$'()*+,;=:@~-._&")


class Gen:
    def __init__(self, seed):
        self.r = random.Random(seed)
        self.pid_counter = 0

    def persistent_id(self):
        self.pid_counter += 1
        return "%016X" % (self.r.getrandbits(64) ^ self.pid_counter)

    def word(self):
        r = self.r.random()
        if r < 0.08:
            return self.r.choice(WORDS_INTL)
        if r < 0.12:
            return self.r.choice(SPECIAL)
        return self.r.choice(WORDS)

    def title(self, lo=1, hi=5):
        return " ".join(self.word() for _ in range(self.r.randint(lo, hi)))

    def date(self, start_year=2003, end_year=2011):
        start = datetime.datetime(start_year, 1, 1)
        span = (datetime.datetime(end_year, 12, 31) - start).total_seconds()
        d = start + datetime.timedelta(seconds=self.r.randrange(int(span)))
        return d


def hfs_seconds(d):
    # "Play Date" counts seconds since 1904, beyond the 32-bit range since 1972.
    return int((d - datetime.datetime(1904, 1, 1)).total_seconds())


def iso(d):
    return d.strftime("%Y-%m-%dT%H:%M:%SZ")


def make_catalogue(g, n_tracks):
    """Artists with albums, so that tracks share album titles and track numbers like a real library."""
    n_artists = max(5, n_tracks // 40)
    artists = []
    for i in range(n_artists):
        if i < len(ARTISTS_FIXED):
            artists.append(ARTISTS_FIXED[i])
        else:
            name = g.title(1, 3)
            if g.r.random() < 0.15:
                name = "The " + name
            artists.append(name)
    return artists


def write_library(out, n_tracks, seed):
    g = Gen(seed)
    r = g.r
    artists = make_catalogue(g, n_tracks)
    w = out.write

    w(HEADER)
    w("<dict>\n")
    w("\t<key>Major Version</key><integer>1</integer>\n")
    w("\t<key>Minor Version</key><integer>1</integer>\n")
    w("\t<key>Date</key><date>2011-11-20T18:42:07Z</date>\n")
    w("\t<key>Application Version</key><string>10.5.1</string>\n")
    w("\t<key>Features</key><integer>5</integer>\n")
    w("\t<key>Show Content Ratings</key><true/>\n")
    w(f"\t<key>Music Folder</key><string>{MEDIA}</string>\n")
    w(f"\t<key>Library Persistent ID</key><string>{g.persistent_id()}</string>\n")
    w("\t<key>Tracks</key>\n\t<dict>\n")

    track_ids = []
    music_ids = []
    video_ids = []
    podcast_ids = []
    play_counts = {}
    tid = 100 + r.randrange(400)
    produced = 0
    while produced < n_tracks:
        artist = r.choice(artists) if r.random() < 0.97 else ""
        album = g.title(1, 3)
        album_artist = artist if r.random() < 0.8 else ("Various Artists" if r.random() < 0.5 else "")
        compilation = album_artist == "Various Artists"
        genre = r.choice(GENRES)
        year = r.randint(1955, 2011) if r.random() < 0.92 else 0
        disc_count = 1 if r.random() < 0.9 else r.randint(2, 3)
        per_disc = r.randint(6, 16)
        kind, ext, _ = r.choices(KINDS, weights=[k[2] for k in KINDS])[0]
        bit_rate = {"mp3": r.choice([128, 160, 192, 256, 320]), "m4a": r.choice([128, 256]),
                    "m4p": 128, "wav": 1411, "aif": 1411, "m4v": 1500}[ext]
        if kind == "Apple Lossless audio file":
            bit_rate = r.randint(700, 1100)
        date_added = g.date()
        for disc in range(1, disc_count + 1):
            for number in range(1, per_disc + 1):
                if produced >= n_tracks:
                    break
                tid += r.choice((2, 2, 2, 4, 6, 10))
                produced += 1
                track_ids.append(tid)
                name = g.title(1, 4)
                total_time = r.randint(30_000, 600_000)
                if ext == "m4v":
                    total_time = r.randint(1_200_000, 7_200_000)
                size = total_time * bit_rate // 8
                if ext == "m4v" and r.random() < 0.3:
                    size = r.randint(2**31, 5 * 2**30)  # films beyond 2 GiB
                plays = int(r.expovariate(0.1)) if r.random() < 0.85 else 0
                is_podcast = genre == "Podcast"
                if ext == "m4v":
                    video_ids.append(tid)
                elif is_podcast:
                    podcast_ids.append(tid)
                else:
                    music_ids.append(tid)
                play_counts[tid] = plays

                lines = [f"\t\t<key>{tid}</key>\n\t\t<dict>\n"]
                a = lines.append

                def s(key, value):
                    a(f"\t\t\t<key>{key}</key><string>{xml_text(value)}</string>\n")

                def i(key, value):
                    a(f"\t\t\t<key>{key}</key><integer>{value}</integer>\n")

                def d(key, value):
                    a(f"\t\t\t<key>{key}</key><date>{iso(value)}</date>\n")

                def t(key):
                    a(f"\t\t\t<key>{key}</key><true/>\n")

                i("Track ID", tid)
                if r.random() < 0.995:
                    s("Name", name)
                if artist:
                    s("Artist", artist)
                if album_artist:
                    s("Album Artist", album_artist)
                if r.random() < 0.5:
                    s("Composer", r.choice(COMPOSERS))
                if r.random() < 0.98:
                    s("Album", album)
                if r.random() < 0.96:
                    s("Genre", genre)
                s("Kind", kind)
                i("Size", size)
                i("Total Time", total_time)
                if r.random() < 0.85:
                    i("Disc Number", disc)
                    i("Disc Count", disc_count)
                if r.random() < 0.95:
                    i("Track Number", number)
                    i("Track Count", per_disc)
                if year:
                    i("Year", year)
                modified = date_added + datetime.timedelta(seconds=r.randrange(10_000_000))
                d("Date Modified", modified)
                d("Date Added", date_added)
                if kind.startswith("Purchased"):
                    d("Release Date", datetime.datetime(max(year, 1970), 1 + number % 12, 1))
                i("Bit Rate", bit_rate)
                i("Sample Rate", r.choice((44100, 44100, 44100, 48000, 32000)))
                if r.random() < 0.3:
                    s("Comments", r.choice(COMMENTS))
                if plays:
                    i("Play Count", plays)
                    played = modified + datetime.timedelta(seconds=r.randrange(20_000_000))
                    i("Play Date", hfs_seconds(played))
                    d("Play Date UTC", played)
                if r.random() < 0.3:
                    i("Skip Count", r.randint(1, 9))
                    d("Skip Date", g.date(2008, 2011))
                if r.random() < 0.5:
                    i("Rating", r.choice((20, 40, 60, 80, 100)))
                if r.random() < 0.2:
                    i("Album Rating", r.choice((20, 40, 60, 80, 100)))
                    if r.random() < 0.5:
                        t("Album Rating Computed")
                if compilation:
                    t("Compilation")
                if r.random() < 0.2:
                    i("BPM", r.randint(60, 180))
                if r.random() < 0.85:
                    i("Artwork Count", 1)
                if r.random() < 0.5:
                    i("Normalization", r.randint(200, 9000))
                # iTunes writes a sort key when the user set one or the text starts with an article.
                if r.random() < 0.2 or album.startswith("The "):
                    s("Sort Album", album.removeprefix("The "))
                if artist and (r.random() < 0.25 or artist.startswith("The ")):
                    s("Sort Artist", artist.removeprefix("The "))
                if album_artist and r.random() < 0.3:
                    s("Sort Album Artist", album_artist.removeprefix("The "))
                if r.random() < 0.3 or name.startswith(("The ", "A ")):
                    s("Sort Name", name.removeprefix("The ").removeprefix("A "))
                s("Persistent ID", g.persistent_id())
                if is_podcast:
                    t("Podcast")
                    if r.random() < 0.5:
                        t("Unplayed")
                if ext == "m4v":
                    t("Has Video")
                    t("Movie")
                if r.random() < 0.003:
                    s("Track Type", "URL")
                    s("Location", f"http://streams.example.net/{r.randrange(1000)}/live.mp3")
                elif r.random() < 0.004:
                    s("Track Type", "File")  # a track whose file is gone: no "Location"
                else:
                    s("Track Type", "File")
                    folder = "Movies" if ext == "m4v" else ("Podcasts" if is_podcast else "Music")
                    who = "Compilations" if compilation else (album_artist or artist or "Unknown Artist")
                    prefix = f"{disc}-" if disc_count > 1 else ""
                    file_name = f"{prefix}{number:02d} {name[:60]}.{ext}"
                    path = "/".join(url_path(p.replace("/", "_").replace(":", "_"))
                                    for p in (who[:40], album[:40] or "Unknown Album", file_name))
                    s("Location", f"{MEDIA}{folder}/{path}")
                    i("File Folder Count", 5)
                    i("Library Folder Count", 1)
                a("\t\t</dict>\n")
                w("".join(lines))
    w("\t</dict>\n")

    # Playlists
    w("\t<key>Playlists</key>\n\t<array>\n")
    playlist_id = track_ids[-1] + 1000 if track_ids else 1000

    def playlist(name, items, extra=(), smart=False, parent=None):
        nonlocal playlist_id
        playlist_id += r.choice((3, 6, 9))
        out_lines = ["\t\t<dict>\n", f"\t\t\t<key>Name</key><string>{xml_text(name)}</string>\n"]
        b = out_lines.append
        for line in extra:
            b(line)
        b(f"\t\t\t<key>Playlist ID</key><integer>{playlist_id}</integer>\n")
        b(f"\t\t\t<key>Playlist Persistent ID</key><string>{g.persistent_id()}</string>\n")
        if parent:
            b(f"\t\t\t<key>Parent Persistent ID</key><string>{parent}</string>\n")
        b("\t\t\t<key>All Items</key><true/>\n")
        if smart:
            b("\t\t\t<key>Smart Info</key>\n\t\t\t<data>\n\t\t\tAQEAAwAAAAIAAAAZAAAAAAAAAAcAAAABAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"
              "\t\t\tAAAAAA==\n\t\t\t</data>\n")
            b("\t\t\t<key>Smart Criteria</key>\n\t\t\t<data>\n"
              "\t\t\tU0xzdAABAAEAAAACAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"
              "\t\t\tAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n\t\t\t</data>\n")
        if items:
            b("\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n")
            for tid_ in items:
                b(f"\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>{tid_}</integer>\n\t\t\t\t</dict>\n")
            b("\t\t\t</array>\n")
        b("\t\t</dict>\n")
        w("".join(out_lines))

    playlist("Library", track_ids, ["\t\t\t<key>Master</key><true/>\n", "\t\t\t<key>Visible</key><false/>\n"])
    playlist("Music", music_ids, ["\t\t\t<key>Distinguished Kind</key><integer>4</integer>\n",
                                  "\t\t\t<key>Music</key><true/>\n"])
    playlist("Movies", video_ids, ["\t\t\t<key>Distinguished Kind</key><integer>2</integer>\n",
                                   "\t\t\t<key>Movies</key><true/>\n"])
    playlist("Podcasts", podcast_ids, ["\t\t\t<key>Distinguished Kind</key><integer>10</integer>\n",
                                       "\t\t\t<key>Podcasts</key><true/>\n"])
    playlist("Purchased", [t_ for t_ in track_ids if r.random() < 0.12],
             ["\t\t\t<key>Distinguished Kind</key><integer>19</integer>\n",
              "\t\t\t<key>Purchased Music</key><true/>\n"])
    playlist("Genius", [])  # iTunes omits "Playlist Items" when a playlist is empty
    top = sorted(music_ids, key=lambda t_: (-play_counts[t_], t_))[:25]
    playlist("Top 25 Most Played", top, smart=True)
    playlist("Recently Added", track_ids[-min(len(track_ids), 2000):], smart=True)
    playlist("90\u2019s Music", [t_ for t_ in music_ids if r.random() < 0.1], smart=True)

    folder_pid = g.persistent_id()
    playlist("Parties & Friends", [], ["\t\t\t<key>Folder</key><true/>\n"])
    n_user = 8 + n_tracks // 8000
    hi = max(200, min(len(track_ids), 20_000))
    for k in range(n_user):
        size = int(math.exp(r.uniform(math.log(150), math.log(hi))))
        size = min(size, len(track_ids))
        start = r.randrange(max(1, len(track_ids) - size + 1))
        if r.random() < 0.5:
            items = track_ids[start:start + size]
        else:
            items = [r.choice(track_ids) for _ in range(size)]  # shuffled, repeats allowed
        parent = folder_pid if k % 7 == 3 else None
        playlist(g.title(1, 4) + (f" {k}" if r.random() < 0.3 else ""), items, parent=parent)
    w("\t</array>\n")
    w("</dict>\n</plist>\n")


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--tracks", type=int, required=True, help="number of tracks")
    p.add_argument("--out", required=True, help="output file")
    p.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    args = p.parse_args(argv)
    if args.tracks < 1:
        p.error("--tracks must be at least 1")
    with open(args.out, "w", encoding="utf-8", newline="\n", buffering=1 << 20) as out:
        write_library(out, args.tracks, args.seed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
