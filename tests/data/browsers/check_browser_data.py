#!/usr/bin/env python3
"""Check the kept browser files against the visits and bookmarks the driver made.

Run by make_browser_data.py after a regeneration, or alone:
    python3 check_browser_data.py [DIR]
Prints one line per failed check and exits non-zero if any failed.
"""

import json
import os
import sqlite3
import sys
import urllib.parse
from collections import Counter

sys.dont_write_bytecode = True
import make_browser_data as mk  # noqa: E402

FAILS = []


def check(cond, what):
    if not cond:
        FAILS.append(what)
        print("FAIL:", what)


def open_ro(path):
    return sqlite3.connect("file:%s?immutable=1" % urllib.parse.quote(path), uri=True)


def expected_counts():
    """visit_count each URL should have, from the visit list."""
    c = Counter()
    for p in mk.VISITS:
        final = mk.FINAL_URL.get(p.split("?")[0], p)
        if p != mk.CLICK_B:
            c[mk.u(p)] += 1
        if final != p:
            c[mk.u(final)] += 1
    return c


def check_sqlite_file(path):
    check(os.path.exists(path), "%s exists" % path)
    for suf in ("-wal", "-shm", "-journal"):
        check(not os.path.exists(path + suf), "no %s%s" % (path, suf))
    db = open_ro(path)
    check(db.execute("PRAGMA integrity_check").fetchone()[0] == "ok", "%s integrity" % path)
    with open(path, "rb") as f:
        hdr = f.read(20)
    check(hdr[18] == 1 and hdr[19] == 1, "%s is in rollback-journal (not WAL) mode" % path)
    return db


def check_chromium(d):
    db = check_sqlite_file(os.path.join(d, "History"))
    counts = dict(db.execute("SELECT url, visit_count FROM urls"))
    check(counts == dict(expected_counts()), "chromium visit counts %s" % counts)
    visits = {r[0]: r[1:] for r in db.execute(
        "SELECT v.id, u.url, v.from_visit, v.transition FROM visits v JOIN urls u ON u.id = v.url")}
    n_redirect = 0
    for vid, (url, frm, tr) in visits.items():
        tr &= 0xFFFFFFFF
        if url in (mk.u("/landing"), mk.u("/new-home")):
            n_redirect += 1
            src = visits.get(frm)
            check(tr & 0x80000000 and tr & 0x20000000, "chromium %s visit %d is SERVER_REDIRECT+CHAIN_END" % (url, vid))
            check(src is not None and src[0] in (mk.u("/go"), mk.u("/moved")),
                  "chromium %s visit %d comes from the redirecting URL" % (url, vid))
            check(src is not None and src[2] & 0x10000000 and not src[2] & 0x20000000,
                  "chromium redirect source of visit %d is CHAIN_START only" % vid)
        if url == mk.u("/after-refresh"):
            check(tr & 0x40000000 and visits.get(frm, ("",))[0] == mk.u("/refresh"),
                  "chromium meta refresh is a CLIENT_REDIRECT from /refresh")
    check(n_redirect == 3, "chromium has 3 server-redirect visits")
    check(db.execute("SELECT count(*) FROM urls WHERE url LIKE '%/never'").fetchone()[0] == 0,
          "chromium History has no row for the never-visited bookmark")

    with open(os.path.join(d, "Bookmarks"), encoding="utf-8") as f:
        bm = json.load(f)
    bar = bm["roots"]["bookmark_bar"]["children"]
    check([c["name"] for c in bar] == ["Alpha page", "Work", "Bookmarklet"], "chromium bar titles")
    work = bar[1]
    check([c["name"] for c in work["children"]] == ["Bravo page", "Docs", "Docs", "Nested"],
          "chromium Work folder holds two 'Docs'")
    nested = work["children"][3]
    check(nested["type"] == "folder" and nested["children"][0]["name"] == "日本語のブックマーク"
          and nested["children"][0]["url"] == mk.u(mk.JP_PATH), "chromium Japanese bookmark")
    check(bar[2]["url"] == mk.BOOKMARKLET, "chromium javascript: bookmark kept")
    other = [c["name"] for c in bm["roots"]["other"]["children"]]
    check(other == ["Never visited", "Moved (301 source)", "Meta refresh source", "Empty folder"],
          "chromium other bookmarks %s" % other)


def check_firefox(d):
    db = check_sqlite_file(os.path.join(d, "places.sqlite"))
    counts = {u: n for u, n in db.execute("SELECT url, visit_count FROM moz_places") if n}
    check(counts == dict(expected_counts()), "firefox visit counts %s" % counts)
    check(db.execute("SELECT visit_count FROM moz_places WHERE url = ?", (mk.u("/never"),)).fetchone() == (0,),
          "firefox never-visited bookmark has a place row with visit_count 0")
    types = dict(db.execute("SELECT p.url, group_concat(DISTINCT v.visit_type) FROM moz_historyvisits v "
                            "JOIN moz_places p ON p.id = v.place_id GROUP BY p.url"))
    check(types.get(mk.u("/landing")) == "6", "firefox 302 target visits are REDIRECT_TEMPORARY")
    check(types.get(mk.u("/new-home")) == "5", "firefox 301 target visit is REDIRECT_PERMANENT")

    rows = db.execute("SELECT b.id, b.type, b.parent, b.position, b.title, p.url, b.guid FROM moz_bookmarks b "
                      "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position").fetchall()
    kids = {}
    for r in rows:
        kids.setdefault(r[2], []).append(r)
    guid_id = {r[6]: r[0] for r in rows}

    def titles(pid):
        return [r[4] if r[1] != 3 else "---" for r in kids.get(pid, [])]
    toolbar = kids[guid_id["toolbar_____"]]
    check(titles(guid_id["toolbar_____"]) == ["Alpha page", "Work", "Bookmarklet"], "firefox toolbar titles")
    work = toolbar[1][0]
    check(titles(work) == ["Bravo page", "Docs", "Docs", "---", "Nested"], "firefox Work folder")
    nested = kids[work][4][0]
    check(titles(nested) == ["日本語のブックマーク", "Redirecting link (302)"], "firefox Nested folder")
    check(toolbar[2][5] == mk.BOOKMARKLET, "firefox javascript: bookmark kept")
    menu = titles(guid_id["menu________"])
    check("Menu folder" in menu and "Moved (301 source)" in menu, "firefox menu %s" % menu)
    menu_folder = [r for r in kids[guid_id["menu________"]] if r[4] == "Menu folder"][0][0]
    check(titles(menu_folder) == ["Never visited", "---", "Most visited (place: query)"], "firefox Menu folder")
    check(titles(guid_id["tags________"]) == ["zorvane-tag"], "firefox tag folder")

    with open(os.path.join(d, "bookmarks.html"), encoding="utf-8") as f:
        html = f.read()
    check(html.startswith("<!DOCTYPE NETSCAPE-Bookmark-file-1>"), "firefox bookmarks.html doctype")
    for t in ("日本語のブックマーク", "Never visited", "PERSONAL_TOOLBAR_FOLDER", "<HR>"):
        check(t in html, "firefox bookmarks.html contains %s" % t)
    lay = os.path.join(d, "home", ".mozilla", "firefox")
    with open(os.path.join(lay, "profiles.ini")) as f:
        ini = f.read()
    prof = [ln.split("=", 1)[1] for ln in ini.splitlines() if ln.startswith("Path=")][0]
    check(os.path.exists(os.path.join(lay, prof, "places.sqlite")), "profiles.ini points at a places.sqlite")


def main(out_dir=mk.HERE):
    total = 0
    for sub in ("chromium", "firefox"):
        for dp, _, fns in os.walk(os.path.join(out_dir, sub)):
            total += sum(os.path.getsize(os.path.join(dp, f)) for f in fns)
    check(total < 1_500_000, "data under 1.5 MB (%d bytes)" % total)
    check_chromium(os.path.join(out_dir, "chromium"))
    check_firefox(os.path.join(out_dir, "firefox"))
    vfile = os.path.join(out_dir, ".versions.json")
    versions = json.load(open(vfile)) if os.path.exists(vfile) else {}
    with open(os.path.join(out_dir, "README.md"), encoding="utf-8") as f:
        check(f.read() == mk.readme_text(out_dir, versions), "README.md manifest matches the files")
    print("%d check(s) failed" % len(FAILS) if FAILS else "all checks passed")
    return 1 if FAILS else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else mk.HERE))
