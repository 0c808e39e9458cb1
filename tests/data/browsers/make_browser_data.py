#!/usr/bin/env python3
"""Regenerate the real-browser test data in this folder.

Starts a small HTTP server on 127.0.0.1 only, drives headless Chromium
(DevTools protocol over --remote-debugging-pipe) and headless Firefox ESR
(Marionette on 127.0.0.1) through a fixed list of visits, creates bookmark
trees in each browser, quits both cleanly, keeps compacted copies of the
history/bookmark files and writes README.md with a manifest queried from the
kept files with the sqlite3 command-line tool.

Standard library only.  Usage: make_browser_data.py [--out DIR] [--keep-work]
                                                    [--only chromium|firefox]
                                                    [--check]
"""

import argparse
import http.server
import json
import os
import queue
import shutil
import socket
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

sys.dont_write_bytecode = True

HERE = os.path.dirname(os.path.abspath(__file__))
HOST = "127.0.0.1"
PORT = int(os.environ.get("ZORVANE_DATA_PORT", "48613"))
BASE = "http://%s:%d" % (HOST, PORT)
SERVER_LIFETIME_S = 900           # the server stops itself after this
CHROMIUM = os.environ.get("CHROMIUM_BIN", "/usr/lib/chromium/chromium")
FIREFOX = os.environ.get("FIREFOX_BIN", "firefox-esr")

JP_PATH = "/" + urllib.parse.quote("日本語") + "/" + urllib.parse.quote("ページ")
JP_TITLE = "日本語のページ"

# path -> (title or None for no <title>, extra head html)
PAGES = {
    "/a": ("Alpha page", ""),
    "/b": ("Bravo page", ""),
    "/c": ("Charlie page (query string)", ""),
    JP_PATH: (JP_TITLE, ""),
    "/landing": ("Landing page (302 target)", ""),
    "/new-home": ("New home (301 target)", ""),
    "/refresh": ("Refreshing…", '<meta http-equiv="refresh" content="0; url=/after-refresh">'),
    "/after-refresh": ("After refresh (meta refresh target)", ""),
    "/notitle": (None, ""),
    "/never": ("Never visited", ""),
}
REDIRECTS = {"/go": (302, "/landing"), "/moved": (301, "/new-home")}

# The visits, in order.  No URL follows itself, so no visit becomes a reload.
# CLICK_B is a real mouse click on the page's link to /b (a link visit).
CLICK_B = "click:/b"
VISITS = [
    "/a", "/b", "/a", JP_PATH, "/go", "/a", CLICK_B, "/c?x=1&y=2", JP_PATH, "/go",
    "/moved", "/refresh", "/notitle", "/b#part",
]
FINAL_URL = {"/go": "/landing", "/moved": "/new-home", "/refresh": "/after-refresh", CLICK_B: "/b"}

BOOKMARKLET = "javascript:(function(){document.title='bookmarklet';})()"


def u(path):
    return BASE + path


# --------------------------------------------------------------------------
# HTTP server (127.0.0.1 only, stops itself)
# --------------------------------------------------------------------------

class Handler(http.server.BaseHTTPRequestHandler):
    log = []

    def do_GET(self):
        path = self.path.split("#", 1)[0]
        bare = path.split("?", 1)[0]
        Handler.log.append("%s %s" % (self.headers.get("User-Agent", "?")[:20], self.path))
        if bare in REDIRECTS:
            code, target = REDIRECTS[bare]
            self.send_response(code)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            return
        if bare not in PAGES:
            body = b"not found"
            self.send_response(404)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        title, head = PAGES[bare]
        t = "<title>%s</title>" % title if title is not None else ""
        body = ('<!DOCTYPE html><html><head><meta charset="utf-8">%s%s</head>'
                '<body><h1>%s</h1><p><a id="to-b" href="/b">Bravo</a></p></body></html>'
                % (t, head, title or "untitled")).encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *a):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def start_server():
    srv = Server((HOST, PORT), Handler)
    threading.Thread(target=srv.serve_forever, daemon=True).start()
    timer = threading.Timer(SERVER_LIFETIME_S, srv.shutdown)
    timer.daemon = True
    timer.start()
    return srv, timer


# --------------------------------------------------------------------------
# Chromium via DevTools protocol over a pipe (fd 3 in, fd 4 out)
# --------------------------------------------------------------------------

class CDP:
    def __init__(self, argv, log):
        to_chrome_r, self.to_chrome_w = os.pipe()
        self.from_chrome_r, from_chrome_w = os.pipe()
        wrapper = 'exec 3<&%d 4>&%d %d<&- %d>&-; exec "$@"' % (
            to_chrome_r, from_chrome_w, to_chrome_r, from_chrome_w)
        self.proc = subprocess.Popen(["bash", "-c", wrapper, "chromium"] + argv,
                                     pass_fds=(to_chrome_r, from_chrome_w),
                                     stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                                     start_new_session=True)
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self.next_id = 0
        self.pending = {}
        self.events = queue.Queue()
        self.lock = threading.Lock()
        threading.Thread(target=self._reader, daemon=True).start()

    def _reader(self):
        buf = b""
        while True:
            try:
                chunk = os.read(self.from_chrome_r, 65536)
            except OSError:
                chunk = b""
            if not chunk:
                break
            buf += chunk
            while b"\0" in buf:
                raw, buf = buf.split(b"\0", 1)
                msg = json.loads(raw)
                if "id" in msg and msg["id"] in self.pending:
                    self.pending.pop(msg["id"]).put(msg)
                else:
                    self.events.put(msg)
        for q in list(self.pending.values()):
            q.put({"error": {"message": "pipe closed"}})

    def send(self, method, params=None, session=None, timeout=30):
        with self.lock:
            self.next_id += 1
            mid = self.next_id
            q = queue.Queue()
            self.pending[mid] = q
        msg = {"id": mid, "method": method, "params": params or {}}
        if session:
            msg["sessionId"] = session
        os.write(self.to_chrome_w, json.dumps(msg).encode() + b"\0")
        reply = q.get(timeout=timeout)
        if "error" in reply:
            raise RuntimeError("%s: %s" % (method, reply["error"]))
        return reply.get("result", {})

    def wait_event(self, method, session=None, timeout=30, pred=None):
        end = time.time() + timeout
        while time.time() < end:
            try:
                ev = self.events.get(timeout=max(0.05, end - time.time()))
            except queue.Empty:
                break
            if ev.get("method") == method and (session is None or ev.get("sessionId") == session) \
                    and (pred is None or pred(ev)):
                return ev
        raise TimeoutError("no %s event" % method)

    def drain(self):
        while not self.events.empty():
            self.events.get_nowait()


def chromium_eval(cdp, session, expr, timeout=30):
    r = cdp.send("Runtime.evaluate", {"expression": expr, "awaitPromise": True,
                                      "returnByValue": True}, session, timeout)
    if "exceptionDetails" in r:
        raise RuntimeError("evaluate failed: %s" % json.dumps(r["exceptionDetails"])[:800])
    return r["result"].get("value")


CHROMIUM_BOOKMARKS_JS = r"""
(async () => {
  const B = chrome.bookmarks;
  const add = (parentId, title, url) => B.create(url === undefined ? {parentId, title} : {parentId, title, url});
  const U = %(urls)s;
  // bookmarks bar is "1", other bookmarks is "2"
  await add("1", "Alpha page", U.a);
  const work = await add("1", "Work");
  await add(work.id, "Bravo page", U.b);
  await add(work.id, "Docs", U.c);
  await add(work.id, "Docs", U.bpart);
  const nested = await add(work.id, "Nested");
  await add(nested.id, "日本語のブックマーク", U.jp);
  await add(nested.id, "Redirecting link (302)", U.go);
  await add("1", "Bookmarklet", U.js);
  await add("2", "Never visited", U.never);
  await add("2", "Moved (301 source)", U.moved);
  await add("2", "Meta refresh source", U.refresh);
  const empty = await add("2", "Empty folder");
  const tree = await B.getTree();
  return JSON.stringify(tree);
})()
"""


def chromium_run(work, out_dir, log):
    udd = os.path.join(work, "chromium-profile")
    ext = os.path.join(work, "bookmark-ext")
    os.makedirs(udd)
    os.makedirs(ext)
    with open(os.path.join(ext, "manifest.json"), "w") as f:
        json.dump({"manifest_version": 3, "name": "bookmark maker", "version": "1.0",
                   "permissions": ["bookmarks"],
                   "background": {"service_worker": "sw.js"}}, f)
    with open(os.path.join(ext, "sw.js"), "w") as f:
        f.write("self.addEventListener('install', () => {});\n")
    argv = [CHROMIUM, "--headless", "--remote-debugging-pipe", "--enable-unsafe-extension-debugging",
            "--user-data-dir=" + udd, "--no-sandbox", "--no-first-run", "--no-default-browser-check",
            "--disable-gpu", "--disable-dev-shm-usage", "--password-store=basic", "--use-mock-keychain",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--disable-default-apps", "--disable-breakpad", "--disable-domain-reliability",
            "--no-pings", "--disable-client-side-phishing-detection", "--metrics-recording-only",
            "--disable-features=Translate,OptimizationHints,MediaRouter,DisableLoadExtensionCommandLineSwitch",
            # belt and braces: anything that is not 127.0.0.1 goes nowhere
            "--proxy-server=http://127.0.0.1:9", "--proxy-bypass-list=127.0.0.1",
            "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1",
            "about:blank"]
    cdp = CDP(argv, log)
    info = cdp.send("Browser.getVersion")
    version = info.get("product", "?")
    print("chromium:", version)

    # a page target to navigate in
    targets = cdp.send("Target.getTargets")["targetInfos"]
    pages = [t for t in targets if t["type"] == "page"]
    tid = pages[0]["targetId"] if pages else cdp.send("Target.createTarget", {"url": "about:blank"})["targetId"]
    sess = cdp.send("Target.attachToTarget", {"targetId": tid, "flatten": True})["sessionId"]
    cdp.send("Page.enable", session=sess)
    cdp.send("Runtime.enable", session=sess)

    for path in VISITS:
        final = FINAL_URL.get(path.split("?")[0], path)
        cdp.drain()
        if path == CLICK_B:
            x, y = chromium_eval(cdp, sess, "(() => { const r = document.getElementById('to-b')"
                                 ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
            for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
                cdp.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                      "clickCount": 1}, sess)
        else:
            cdp.send("Page.navigate", {"url": u(path), "transitionType": "typed"}, sess)
        end = time.time() + 20
        while True:
            cdp.wait_event("Page.loadEventFired", sess, timeout=max(1, end - time.time()))
            href = chromium_eval(cdp, sess, "location.href")
            if href == u(final):
                break
        time.sleep(0.7)
        print("  chromium visited", path, "->", href)

    # bookmarks through an unpacked extension's service worker
    cdp.send("Target.setDiscoverTargets", {"discover": True})
    ext_id = cdp.send("Extensions.loadUnpacked", {"path": ext})["id"]
    sw_url = "chrome-extension://%s/sw.js" % ext_id
    sw = None
    end = time.time() + 20
    while time.time() < end and not sw:
        for t in cdp.send("Target.getTargets")["targetInfos"]:
            if t["type"] == "service_worker" and t["url"] == sw_url:
                sw = t["targetId"]
        time.sleep(0.3)
    if not sw:
        raise RuntimeError("extension service worker not found")
    wsess = cdp.send("Target.attachToTarget", {"targetId": sw, "flatten": True})["sessionId"]
    urls = {"a": u("/a"), "b": u("/b"), "c": u("/c?x=1&y=2"), "bpart": u("/b#part"),
            "jp": u(JP_PATH), "go": u("/go"), "js": BOOKMARKLET, "never": u("/never"),
            "moved": u("/moved"), "refresh": u("/refresh")}
    tree = chromium_eval(cdp, wsess, CHROMIUM_BOOKMARKS_JS % {"urls": json.dumps(urls)})
    print("  chromium bookmarks created:", len(tree), "chars")
    # History commits lazily and Bookmarks are written after a delay.
    time.sleep(6)
    try:
        cdp.send("Browser.close", timeout=30)
    except Exception as e:  # the pipe may close before the reply
        print("  Browser.close:", e)
    try:
        cdp.proc.wait(timeout=60)
    except subprocess.TimeoutExpired:
        os.killpg(cdp.proc.pid, 15)
        cdp.proc.wait(timeout=20)
        raise RuntimeError("chromium did not exit after Browser.close")

    d = os.path.join(out_dir, "chromium")
    os.makedirs(d, exist_ok=True)
    prof = os.path.join(udd, "Default")
    keep_sqlite(os.path.join(prof, "History"), os.path.join(d, "History"))
    shutil.copyfile(os.path.join(prof, "Bookmarks"), os.path.join(d, "Bookmarks"))
    return version


# --------------------------------------------------------------------------
# Firefox via Marionette
# --------------------------------------------------------------------------

class Marionette:
    def __init__(self, port):
        self.sock = socket.create_connection((HOST, port), timeout=60)
        self.buf = b""
        self.id = 0
        self.hello = self._recv()

    def _recv(self):
        while b":" not in self.buf:
            self.buf += self._more()
        n, rest = self.buf.split(b":", 1)
        n = int(n)
        while len(rest) < n:
            rest += self._more()
        self.buf = rest[n:]
        return json.loads(rest[:n])

    def _more(self):
        c = self.sock.recv(65536)
        if not c:
            raise ConnectionError("marionette closed")
        return c

    def cmd(self, name, params=None):
        self.id += 1
        data = json.dumps([0, self.id, name, params or {}]).encode()
        self.sock.sendall(b"%d:" % len(data) + data)
        while True:
            msg = self._recv()
            if msg[0] == 1 and msg[1] == self.id:
                if msg[2]:
                    raise RuntimeError("%s: %s" % (name, msg[2]))
                return msg[3]


FIREFOX_PREFS = {
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.page": 0,
    "browser.startup.homepage": "about:blank",
    "browser.newtabpage.enabled": False,
    "browser.aboutwelcome.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "datareporting.healthreport.uploadEnabled": False,
    "toolkit.telemetry.enabled": False,
    "toolkit.telemetry.unified": False,
    "app.update.auto": False,
    "app.normandy.enabled": False,
    "extensions.update.enabled": False,
    "extensions.getAddons.cache.enabled": False,
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False,
    "browser.safebrowsing.blockedURIs.enabled": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "network.dns.disablePrefetch": True,
    "network.prefetch-next": False,
    "network.http.speculative-parallel-limit": 0,
    "browser.places.speculativeConnect.enabled": False,
    "browser.urlbar.speculativeConnect.enabled": False,
    "network.trr.mode": 5,
    "services.settings.server": "http://127.0.0.1:9/v1",
    "browser.ping-centre.telemetry": False,
    "browser.bookmarks.restore_default_bookmarks": False,
    # anything not on 127.0.0.1 goes to a dead local proxy
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.http_port": 9,
    "network.proxy.ssl": "127.0.0.1",
    "network.proxy.ssl_port": 9,
    "network.proxy.share_proxy_settings": True,
    "network.proxy.no_proxies_on": "127.0.0.1",
    "marionette.port": 0,
}

FIREFOX_BOOKMARKS_JS = r"""
const done = arguments[arguments.length - 1];
const U = arguments[0];
(async () => {
  const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
  const BM = PlacesUtils.bookmarks;
  const bm = (title, url) => ({ title, url });
  const folder = (title, children) => ({ title, type: BM.TYPE_FOLDER, children });
  const sep = () => ({ type: BM.TYPE_SEPARATOR });
  await BM.insertTree({ guid: BM.toolbarGuid, children: [
    bm("Alpha page", U.a),
    folder("Work", [
      bm("Bravo page", U.b),
      bm("Docs", U.c),
      bm("Docs", U.bpart),
      sep(),
      folder("Nested", [
        bm("日本語のブックマーク", U.jp),
        bm("Redirecting link (302)", U.go),
      ]),
    ]),
    bm("Bookmarklet", U.js),
  ]});
  await BM.insertTree({ guid: BM.menuGuid, children: [
    folder("Menu folder", [
      bm("Never visited", U.never),
      sep(),
      bm("Most visited (place: query)", "place:sort=8&maxResults=10"),
    ]),
    bm("Moved (301 source)", U.moved),
  ]});
  await BM.insertTree({ guid: BM.unfiledGuid, children: [
    bm("Meta refresh source", U.refresh),
    folder("Empty folder", []),
  ]});
  PlacesUtils.tagging.tagURI(Services.io.newURI(U.a), ["zorvane-tag"]);
  return "ok";
})().then(done, e => done("error: " + e + "\n" + e.stack));
"""

FIREFOX_EXPORT_JS = r"""
const done = arguments[arguments.length - 1];
const path = arguments[0];
(async () => {
  const { BookmarkHTMLUtils } = ChromeUtils.importESModule("resource://gre/modules/BookmarkHTMLUtils.sys.mjs");
  const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
  await BookmarkHTMLUtils.exportToFile(path);
  // let pending frecency / origin updates land before quitting
  await PlacesUtils.withConnectionWrapper("flush", async db => { await db.execute("SELECT 1"); });
  return "ok";
})().then(done, e => done("error: " + e + "\n" + e.stack));
"""


def firefox_run(work, out_dir, log):
    home = os.path.join(work, "firefox-home")
    root = os.path.join(home, ".mozilla", "firefox")
    pname = "zorvtest.default-esr"
    prof = os.path.join(root, pname)
    os.makedirs(prof)
    profiles_ini = ("[Profile0]\nName=default-esr\nIsRelative=1\nPath=%s\nDefault=1\n\n"
                    "[General]\nStartWithLastProfile=1\nVersion=2\n" % pname)
    with open(os.path.join(root, "profiles.ini"), "w") as f:
        f.write(profiles_ini)
    with open(os.path.join(prof, "user.js"), "w") as f:
        for k, v in FIREFOX_PREFS.items():
            f.write("user_pref(%s, %s);\n" % (json.dumps(k), json.dumps(v)))
    env = dict(os.environ, HOME=home, MOZ_CRASHREPORTER_DISABLE="1", MOZ_HEADLESS="1")
    proc = subprocess.Popen([FIREFOX, "--headless", "--marionette", "--remote-allow-system-access",
                             "--profile", prof, "--no-remote"],
                            env=env, stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                            start_new_session=True)
    try:
        port_file = os.path.join(prof, "MarionetteActivePort")
        end = time.time() + 90
        while not os.path.exists(port_file):
            if time.time() > end or proc.poll() is not None:
                raise RuntimeError("marionette did not start")
            time.sleep(0.3)
        time.sleep(0.3)
        port = int(open(port_file).read().strip())
        m = Marionette(port)
        caps = m.cmd("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"pageLoadStrategy": "normal"}}})
        c = caps.get("capabilities", {})
        version = "%s %s" % (c.get("browserName", "?"), c.get("browserVersion", "?"))
        print("firefox:", version)
        m.cmd("Marionette:SetContext", {"value": "content"})
        for path in VISITS:
            final = FINAL_URL.get(path.split("?")[0], path)
            if path == CLICK_B:
                el = m.cmd("WebDriver:FindElement", {"using": "css selector", "value": "#to-b"})["value"]
                m.cmd("WebDriver:ElementClick", {"id": list(el.values())[0]})
            else:
                m.cmd("WebDriver:Navigate", {"url": u(path)})
            end = time.time() + 20
            while True:
                href = m.cmd("WebDriver:GetCurrentURL")["value"]
                if href == u(final) or time.time() > end:
                    break
                time.sleep(0.2)
            time.sleep(0.7)
            print("  firefox visited", path, "->", href)
        m.cmd("Marionette:SetContext", {"value": "chrome"})
        urls = {"a": u("/a"), "b": u("/b"), "c": u("/c?x=1&y=2"), "bpart": u("/b#part"),
                "jp": u(JP_PATH), "go": u("/go"), "js": BOOKMARKLET, "never": u("/never"),
                "moved": u("/moved"), "refresh": u("/refresh")}
        r = m.cmd("WebDriver:ExecuteAsyncScript", {"script": FIREFOX_BOOKMARKS_JS, "args": [urls],
                                                   "newSandbox": True})
        if r.get("value") != "ok":
            raise RuntimeError("bookmarks: %s" % r)
        html = os.path.join(work, "firefox-bookmarks.html")
        time.sleep(3)
        r = m.cmd("WebDriver:ExecuteAsyncScript", {"script": FIREFOX_EXPORT_JS, "args": [html],
                                                   "newSandbox": True})
        if r.get("value") != "ok":
            raise RuntimeError("export: %s" % r)
        time.sleep(3)
        try:
            m.cmd("Marionette:Quit", {"flags": ["eAttemptQuit"]})
        except (ConnectionError, OSError) as e:
            print("  quit:", e)
        proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            os.killpg(proc.pid, 15)
            proc.wait(timeout=20)

    d = os.path.join(out_dir, "firefox")
    os.makedirs(d, exist_ok=True)
    keep_sqlite(os.path.join(prof, "places.sqlite"), os.path.join(d, "places.sqlite"))
    # the real home layout: ~/.mozilla/firefox/profiles.ini + the profile folder
    lay = os.path.join(d, "home", ".mozilla", "firefox")
    shutil.rmtree(os.path.join(d, "home"), ignore_errors=True)
    os.makedirs(os.path.join(lay, pname))
    shutil.copyfile(os.path.join(root, "profiles.ini"), os.path.join(lay, "profiles.ini"))
    shutil.copyfile(os.path.join(d, "places.sqlite"), os.path.join(lay, pname, "places.sqlite"))
    shutil.copyfile(html, os.path.join(d, "bookmarks.html"))
    return version


# --------------------------------------------------------------------------
# keeping files, manifest
# --------------------------------------------------------------------------

def sql(db, query):
    """Run a query with the sqlite3 CLI, return rows as lists of strings."""
    out = subprocess.run(["sqlite3", "-readonly", "-separator", "\x1f", "-newline", "\x1e", db, query],
                         check=True, capture_output=True).stdout.decode("utf-8")
    return [r.split("\x1f") for r in out.split("\x1e") if r != ""]


def keep_sqlite(src, dst):
    """Checkpoint the browser's database, then keep a compacted copy."""
    for suf in ("-wal", "-shm", "-journal"):
        if os.path.exists(src + suf):
            print("  note: %s exists (%d bytes)" % (src + suf, os.path.getsize(src + suf)))
    subprocess.run(["sqlite3", src, "PRAGMA wal_checkpoint(TRUNCATE);"], check=True, capture_output=True)
    if os.path.exists(dst):
        os.remove(dst)
    for suf in ("-wal", "-shm", "-journal"):
        if os.path.exists(dst + suf):
            os.remove(dst + suf)
    subprocess.run(["sqlite3", src, "VACUUM INTO '%s'" % dst.replace("'", "''")], check=True)
    # Firefox writes 32 KiB pages; 4 KiB pages keep the copy small.  Same rows.
    subprocess.run(["sqlite3", dst, "PRAGMA journal_mode=DELETE; PRAGMA page_size=4096; VACUUM;"],
                   check=True, capture_output=True)
    dump = lambda db: subprocess.run(["sqlite3", "-readonly", db, ".dump"], check=True,
                                     capture_output=True).stdout
    if dump(src) != dump(dst):
        raise RuntimeError("kept copy of %s differs from the browser's file" % src)
    print("  kept %s: %d -> %d bytes" % (os.path.basename(dst), os.path.getsize(src), os.path.getsize(dst)))


def md_table(header, rows):
    out = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for r in rows:
        out.append("| " + " | ".join(str(c).replace("|", "\\|").replace("\n", " ") for c in r) + " |")
    return "\n".join(out)


CHROME_CORE = {0: "LINK", 1: "TYPED", 2: "AUTO_BOOKMARK", 3: "AUTO_SUBFRAME", 4: "MANUAL_SUBFRAME",
               5: "GENERATED", 6: "AUTO_TOPLEVEL", 7: "FORM_SUBMIT", 8: "RELOAD", 9: "KEYWORD",
               10: "KEYWORD_GENERATED"}
CHROME_QUAL = [(0x01000000, "FORWARD_BACK"), (0x02000000, "FROM_ADDRESS_BAR"), (0x04000000, "HOME_PAGE"),
               (0x08000000, "FROM_API"), (0x10000000, "CHAIN_START"), (0x20000000, "CHAIN_END"),
               (0x40000000, "CLIENT_REDIRECT"), (0x80000000, "SERVER_REDIRECT")]


def chrome_transition(t):
    t = int(t) & 0xFFFFFFFF
    names = [CHROME_CORE.get(t & 0xFF, str(t & 0xFF))]
    names += [n for bit, n in CHROME_QUAL if t & bit]
    return "0x%08X %s" % (t, "+".join(names))


def chromium_manifest(d):
    db = os.path.join(d, "History")
    lines = ["### Chromium `History` — `urls`", ""]
    rows = sql(db, "SELECT id, url, title, visit_count, typed_count, hidden FROM urls ORDER BY id")
    lines.append(md_table(["id", "url", "title", "visit_count", "typed_count", "hidden"], rows))
    lines += ["", "### Chromium `History` — `visits` (in id order)", ""]
    rows = sql(db, "SELECT v.id, u.url, v.from_visit, v.transition, v.visit_duration FROM visits v "
                   "JOIN urls u ON u.id = v.url ORDER BY v.id")
    lines.append(md_table(["visit id", "url", "from_visit", "transition as stored", "meaning",
                           "visit_duration (µs)"],
                          [[r[0], r[1], r[2], r[3], chrome_transition(r[3]), r[4]] for r in rows]))
    lines += ["", "`transition` is stored as a signed 32-bit value (so SERVER_REDIRECT makes it negative). "
              "Core type = low byte, plus qualifiers: 0x10000000 CHAIN_START, "
              "0x20000000 CHAIN_END, 0x40000000 CLIENT_REDIRECT, 0x80000000 SERVER_REDIRECT, "
              "0x02000000 FROM_ADDRESS_BAR, 0x08000000 FROM_API (navigations made through the DevTools protocol).", ""]
    with open(os.path.join(d, "Bookmarks"), encoding="utf-8") as f:
        bm = json.load(f)
    lines += ["### Chromium `Bookmarks` (JSON) tree", "", "```"]

    def walk(node, depth):
        pad = "  " * depth
        if node.get("type") == "folder":
            lines.append("%s[folder id=%s] %s" % (pad, node.get("id"), node.get("name")))
            for ch in node.get("children", []):
                walk(ch, depth + 1)
        else:
            lines.append("%s[url id=%s] %s -> %s" % (pad, node.get("id"), node.get("name"), node.get("url")))
    for key, node in bm["roots"].items():
        if isinstance(node, dict):
            lines.append("roots.%s:" % key)
            walk(node, 1)
    lines += ["```", ""]
    return lines


FF_TYPES = {"1": "bookmark", "2": "folder", "3": "separator"}


def firefox_manifest(d):
    db = os.path.join(d, "places.sqlite")
    lines = ["### Firefox `places.sqlite` — `moz_places`", ""]
    rows = sql(db, "SELECT id, url, ifnull(title,'NULL'), visit_count, typed, hidden, frecency "
                   "FROM moz_places ORDER BY id")
    lines.append(md_table(["id", "url", "title", "visit_count", "typed", "hidden", "frecency"], rows))
    lines += ["", "### Firefox `places.sqlite` — `moz_historyvisits` (in id order)", ""]
    rows = sql(db, "SELECT v.id, p.url, v.from_visit, v.visit_type, v.source FROM moz_historyvisits v "
                   "JOIN moz_places p ON p.id = v.place_id ORDER BY v.id")
    ff_vt = {"1": "LINK", "2": "TYPED", "3": "BOOKMARK", "4": "EMBED", "5": "REDIRECT_PERMANENT",
             "6": "REDIRECT_TEMPORARY", "7": "DOWNLOAD", "8": "FRAMED_LINK", "9": "RELOAD"}
    lines.append(md_table(["visit id", "url", "from_visit", "visit_type", "source"],
                          [[r[0], r[1], r[2], "%s %s" % (r[3], ff_vt.get(r[3], "")), r[4]] for r in rows]))
    lines += ["", "### Firefox `places.sqlite` — `moz_bookmarks` tree", "",
              "type: bookmark/folder/separator; `fk` is the moz_places id of a bookmark.", "", "```"]
    rows = sql(db, "SELECT b.id, b.type, ifnull(b.parent,0), b.position, ifnull(b.title,'NULL'), "
                   "ifnull(p.url,''), b.guid, ifnull(b.fk,'') FROM moz_bookmarks b "
                   "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position")
    kids = {}
    for r in rows:
        kids.setdefault(r[2], []).append(r)

    def walk(pid, depth):
        for r in sorted(kids.get(pid, []), key=lambda r: int(r[3])):
            pad = "  " * depth
            kind = FF_TYPES.get(r[1], r[1])
            if kind == "bookmark":
                lines.append("%s[bookmark id=%s fk=%s] %s -> %s" % (pad, r[0], r[7], r[4], r[5]))
            elif kind == "separator":
                lines.append("%s[separator id=%s]" % (pad, r[0]))
            else:
                lines.append("%s[folder id=%s guid=%s] %s" % (pad, r[0], r[6], r[4]))
                walk(r[0], depth + 1)
    walk("0", 0)
    lines += ["```", ""]
    return lines


def write_readme(out_dir, versions):
    text = readme_text(out_dir, versions)
    with open(os.path.join(out_dir, "README.md"), "w", encoding="utf-8") as f:
        f.write(text)


def readme_text(out_dir, versions):
    total = 0
    files = []
    for dp, _, fns in [w for sub in ("chromium", "firefox") for w in os.walk(os.path.join(out_dir, sub))]:
        for fn in sorted(fns):
            p = os.path.join(dp, fn)
            rel = os.path.relpath(p, out_dir)
            if rel == "README.md":
                continue
            files.append((rel, os.path.getsize(p)))
            total += os.path.getsize(p)
    files.sort()
    L = []
    L.append("# Real browser databases for the history and bookmark readers\n")
    L.append("Made by `make-browser-data.sh` (driver: `make_browser_data.py`, Python 3 standard "
             "library only) on Debian 12 with the Debian packages:\n")
    for k, v in versions.items():
        L.append("- %s: %s" % (k, v))
    L.append("")
    L.append("""How: a small HTTP server bound to 127.0.0.1:%d (stops itself) serves pages with known
titles, a 302 (`/go` -> `/landing`), a 301 (`/moved` -> `/new-home`), a meta-refresh page
(`/refresh` -> `/after-refresh`, client redirect), a page without `<title>` (`/notitle`) and a page
under a percent-encoded Japanese path (`%s`, title `%s`).
Each browser starts headless with a fresh profile and visits, in this order
(no URL directly follows itself, so none of them is a reload):

    %s

i.e. `/a` 3x, `/b` 2x (once by address, once by `click:/b`, a real mouse click on the link
to `/b` on page `/a`), `/b#part` 1x, `/c?x=1&y=2` 1x, the Japanese page 2x, `/go` 2x,
`/moved` 1x, `/refresh` 1x, `/notitle` 1x. `/never` is bookmarked but never visited.

- Chromium: `/usr/lib/chromium/chromium --headless --remote-debugging-pipe` (the binary itself:
  Debian's `/usr/bin/chromium` wrapper adds its own `--load-extension`; DevTools protocol,
  `Page.navigate` with `transitionType: "typed"`); bookmarks are created by an unpacked
  extension (loaded with `Extensions.loadUnpacked`) whose service worker runs
  `chrome.bookmarks.create`. Chromium has no bookmark separators. The browser is closed with
  `Browser.close` after a pause so History and Bookmarks are flushed.
- Firefox ESR: `firefox-esr --headless --marionette --remote-allow-system-access --profile DIR
  --no-remote` (the last flag is needed for chrome context) with
  `HOME/.mozilla/firefox/profiles.ini`; visits with `WebDriver:Navigate`; bookmarks with
  `PlacesUtils.bookmarks.insertTree` in chrome context (plus one tag, `zorvane-tag`, on `/a`,
  which Firefox stores as a folder under the tags root); `bookmarks.html` comes from
  `BookmarkHTMLUtils.exportToFile`; quit with `Marionette:Quit`.
- Both browsers route anything not on 127.0.0.1 to a dead local proxy (127.0.0.1:9).

The SQLite files kept here are `VACUUM INTO` copies of the browsers' files taken after
`PRAGMA wal_checkpoint(TRUNCATE)`, then set to `journal_mode=DELETE` and rewritten with
4 KiB pages (Firefox writes 32 KiB pages and preallocates 5 MiB; the copy is 0.2 MiB). The driver
checks that `.dump` of each copy equals `.dump` of the browser's file, so the rows, schema and
`user_version` are the browser's own. There are no `-wal`/`-shm` files. `Bookmarks` and `bookmarks.html` are
the browsers' files byte for byte. `firefox/home/` repeats `places.sqlite` in the
`~/.mozilla/firefox/profiles.ini` + profile folder layout. No Chromium bookmarks HTML export
is kept (Chromium only exports through its UI).

Timestamps are real (Chromium: microseconds since 1601-01-01 UTC; Firefox: microseconds
since 1970-01-01 UTC) and change at every regeneration, so they are not listed below. Everything
below was read back from the kept files with the `sqlite3` tool and Python's json module.
""" % (PORT, JP_PATH, JP_TITLE, "  ".join(VISITS)))
    L.append("""## What these files show (%s)

Read from the tables below; `check_browser_data.py` asserts the starred ones.

- Both browsers count a server redirect's source URL as visited: `/go` and `/moved` have their
  own rows with visit_count 2 and 1, and so do the targets `/landing` and `/new-home`;
  likewise `/refresh` and `/after-refresh`. Nothing is stored hidden except Firefox's
  `place:` query row (hidden=1).
- (*) Chromium marks the redirect: the source visit has CHAIN_START without CHAIN_END, the
  next visit has SERVER_REDIRECT (0x80000000, which makes the stored integer negative) plus
  CHAIN_END and `from_visit` = the source visit. The meta refresh target has CLIENT_REDIRECT
  (0x40000000) with `from_visit` = the `/refresh` visit.
- Chromium gives the redirect source URL the title of the final page; Firefox leaves it NULL.
- (*) Firefox marks the redirect on the target visit: visit_type 6 (302) or 5 (301), with
  `from_visit` = the source visit (visit_type 1). The meta refresh target is a plain visit_type
  1 with `from_visit` = the `/refresh` visit.
- Navigations made by the automation are TYPED+FROM_API in Chromium and LINK (typed=0) in
  Firefox; the mouse click is LINK with `from_visit` = the `/a` visit in both.
- A page without `<title>`: Chromium stores `''`, Firefox NULL. `/b#part` is its own row in
  both, separate from `/b`.
- (*) Chromium's History has no row for a bookmark that was never visited; Firefox has a
  `moz_places` row for every bookmarked URL, with visit_count 0 for `/never` (and for the
  `javascript:` and `place:` bookmarks).
- Firefox's fresh profile brings its default bookmarks (folder "Mozilla Firefox" in the menu,
  mozilla.org URLs, never visited). The tag `zorvane-tag` is a folder under the tags root
  holding an untitled bookmark for `/a` (a reader of favourites skips the tags root).
- Chromium has no separators; Firefox separators are `moz_bookmarks` rows of type 3.
  `Bookmarks` carries a `checksum` and, per node, `guid`, `date_added`, `date_last_used`
  and `meta_info`.
""" % ", ".join(v.split(" (")[0] for k, v in versions.items() if k != "sqlite3 CLI"))
    L.append("## Files\n")
    L.append(md_table(["file", "bytes"], files + [("total", total)]))
    L.append("")
    L.append("## Manifest\n")
    if os.path.exists(os.path.join(out_dir, "chromium", "History")):
        L += chromium_manifest(os.path.join(out_dir, "chromium"))
    if os.path.exists(os.path.join(out_dir, "firefox", "places.sqlite")):
        L += firefox_manifest(os.path.join(out_dir, "firefox"))
    return "\n".join(L)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=HERE)
    ap.add_argument("--keep-work", action="store_true")
    ap.add_argument("--only", choices=["chromium", "firefox"])
    ap.add_argument("--readme-only", action="store_true")
    ap.add_argument("--check", action="store_true", help="check the kept files and exit")
    a = ap.parse_args()
    if a.check:
        import check_browser_data
        return check_browser_data.main(a.out)
    vfile = os.path.join(a.out, ".versions.json")
    versions = json.load(open(vfile)) if os.path.exists(vfile) else {}
    if not a.readme_only:
        work = tempfile.mkdtemp(prefix="zorvane-browsers-")
        srv, timer = start_server()
        log = open(os.path.join(work, "browsers.log"), "w")
        try:
            if a.only in (None, "chromium"):
                versions["Chromium"] = "%s (Debian package chromium %s)" % (
                    chromium_run(work, a.out, log), pkg_version("chromium"))
            if a.only in (None, "firefox"):
                versions["Firefox ESR"] = "%s (Debian package firefox-esr %s)" % (
                    firefox_run(work, a.out, log), pkg_version("firefox-esr"))
        finally:
            srv.shutdown()
            timer.cancel()
            log.close()
            if a.keep_work:
                print("work dir kept:", work)
            else:
                shutil.rmtree(work, ignore_errors=True)
        versions["sqlite3 CLI"] = subprocess.run(["sqlite3", "--version"], capture_output=True,
                                                 text=True).stdout.split()[0]
        with open(vfile, "w") as f:
            json.dump(versions, f, indent=1)
    write_readme(a.out, versions)
    print("README.md written")
    if a.readme_only or a.only:
        return 0
    import check_browser_data
    return check_browser_data.main(a.out)


def pkg_version(pkg):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Version}", pkg], capture_output=True, text=True)
    return r.stdout.strip() or "?"


if __name__ == "__main__":
    sys.exit(main())
