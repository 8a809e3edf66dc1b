#!/usr/bin/env python3
"""Checks the compiled help file Brindleway.chm by its contents.

What the program asks of the file (the map ids of its two prompts, the text
popups of the options dialog, contents, index and search) must be inside it
and must lead to pages that exist. Wine has no HTML engine, so this is the
check that the help works, short of looking at it on Windows.

F1 in the settings window and in the item editor opens a page of its own:
those pages must be inside and be about those windows.

The version page must name the release's version and the version as the
version dialog shows it, when those are given.

    check_chm.py PATH/Brindleway.chm [VERSION-AS-SHOWN [RELEASE-VERSION]]
"""

import os
import re
import struct
import sys

# Keep the source tree clean of compiled modules.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chmfile import ChmFile  # noqa: E402

# Map id -> the prompt that the page it leads to must be about (its title).
MAP_IDS = {
    5001: "この動作を行うともとには戻せません。",
    5002: "これ以上追加することはできません。",
}
# The page F1 opens in a window -> what its title must say.
F1_PAGES = {
    "/settings.html": "設定画面",
    "/editor.html": "項目の追加と編集",
}
POPUP_FILE = "/Brindleway.txt"
POPUP_TOPICS = (7000, 7100)
HHWIN_PROP_TRI_PANE = 0x20
HHWIN_PROP_TAB_SEARCH = 0x400
LCID_JAPANESE = 0x411


class Checker:
    def __init__(self, path, version_shown=None, version=None):
        self.version_shown = version_shown
        self.version = version
        self.chm = ChmFile(path)
        self.failures = []
        self.default_window = ""
        self.strings = self.chm.read("/#STRINGS") if self.chm.has("/#STRINGS") else b""

    def fail(self, message):
        self.failures.append(message)

    def string_at(self, offset):
        end = self.strings.find(b"\0", offset)
        return self.strings[offset:end if end >= 0 else len(self.strings)]

    def text(self, name):
        """A text file of the help, which must be valid Shift-JIS."""
        try:
            return self.chm.read(name).decode("cp932")
        except UnicodeDecodeError as e:
            self.fail("%s is not Shift-JIS: %s" % (name, e))
            return self.chm.read(name).decode("cp932", "replace")

    @staticmethod
    def inside(name):
        """A name as the help control resolves it inside the file."""
        name = name.replace("\\", "/")
        return name if name.startswith("/") else "/" + name

    def require(self, name, what):
        if not self.chm.has(name):
            self.fail("%s %s is not inside the file" % (what, name))
            return False
        return True

    # --- #SYSTEM -------------------------------------------------------

    def system(self):
        data = self.chm.read("/#SYSTEM")
        records = {}
        pos = 4
        while pos + 4 <= len(data):
            code, length = struct.unpack_from("<HH", data, pos)
            records[code] = data[pos + 4:pos + 4 + length]
            pos += 4 + length
        return records

    def check_system(self):
        if not self.require("/#SYSTEM", "the system file"):
            return
        records = self.system()

        def name(code):
            return records.get(code, b"").rstrip(b"\0").decode("cp932", "replace")

        for code, what, want in ((0, "contents file", "Brindleway.hhc"),
                                 (1, "index file", "Brindleway.hhk")):
            if name(code) != want:
                self.fail("#SYSTEM names %r as the %s, not %r" % (name(code), what, want))
            self.require(self.inside(want), "the " + what)
        topic = name(2)
        if not topic:
            self.fail("no default topic")
        else:
            self.require(self.inside(topic), "the default topic")
        if 4 not in records or len(records[4]) < 12:
            self.fail("#SYSTEM has no language and search record")
        else:
            lcid, _, full_text = struct.unpack_from("<III", records[4], 0)
            if lcid != LCID_JAPANESE:
                self.fail("language is 0x%X, not Japanese 0x411" % lcid)
            if full_text != 1:
                self.fail("full-text search is not enabled in #SYSTEM")
        if self.chm.lcid != LCID_JAPANESE:
            self.fail("file header language is 0x%X" % self.chm.lcid)
        self.default_window = name(5)

    # --- search ----------------------------------------------------------

    def check_search(self):
        if self.require("/$FIftiMain", "the full-text index"):
            if len(self.chm.read("/$FIftiMain")) < 1024:
                self.fail("the full-text index is suspiciously small")
        if not self.require("/#WINDOWS", "the window definitions"):
            return
        data = self.chm.read("/#WINDOWS")
        count, size = struct.unpack_from("<II", data, 0)
        windows = {}
        for i in range(count):
            entry = 8 + i * size
            name_offset, _, properties = struct.unpack_from("<III", data, entry + 8)
            windows[self.string_at(name_offset).decode("cp932", "replace")] = properties
        wanted = self.default_window
        if wanted not in windows:
            self.fail("default window %r is not defined (have %s)" % (wanted, sorted(windows)))
            return
        properties = windows[wanted]
        if not properties & HHWIN_PROP_TRI_PANE:
            self.fail("window %r has no navigation pane" % wanted)
        if not properties & HHWIN_PROP_TAB_SEARCH:
            self.fail("window %r has no search tab" % wanted)

    # --- map ids ---------------------------------------------------------

    def check_map(self):
        if not self.require("/#IVB", "the context map") or not self.strings:
            self.fail("the context map or #STRINGS is missing")
            return
        data = self.chm.read("/#IVB")
        length = struct.unpack_from("<I", data, 0)[0]
        mapped = {}
        for pos in range(4, min(4 + length, len(data)), 8):
            number, offset = struct.unpack_from("<II", data, pos)
            mapped[number] = self.string_at(offset).decode("cp932", "replace")
        for number, quote in MAP_IDS.items():
            if number not in mapped:
                self.fail("map id %d is missing" % number)
                continue
            page = self.inside(mapped[number])
            if not self.chm.has(page):
                self.fail("map id %d names %r, which is not inside the file" % (number, mapped[number]))
                continue
            title = re.search(r"<title>([^<]*)</title>", self.text(page), re.I)
            if not title or quote not in title.group(1):
                self.fail("map id %d leads to %s, which is not the page about %r" % (number, page, quote))

    def check_f1_pages(self):
        for page, quote in F1_PAGES.items():
            if not self.require(page, "the page F1 opens"):
                continue
            title = re.search(r"<title>([^<]*)</title>", self.text(page), re.I)
            if not title or quote not in title.group(1):
                self.fail("%s, which F1 opens, is not the page about %r" % (page, quote))

    # --- text popups -------------------------------------------------------

    def check_popups(self):
        if not self.require(POPUP_FILE, "the text-popup file"):
            return
        topics = {}
        current = None
        for line in self.text(POPUP_FILE).splitlines():
            match = re.match(r"^\.topic\s+(\S+)\s*$", line)
            if match:
                current = match.group(1)
                if current in topics:
                    self.fail("topic %s appears twice" % current)
                topics[current] = []
            elif current is not None:
                topics[current].append(line)
            elif line.strip():
                self.fail("text before the first .topic line: %r" % line)
        for number in POPUP_TOPICS:
            body = "\n".join(topics.get(str(number), [])).strip()
            if str(number) not in topics:
                self.fail("popup topic %d is missing" % number)
            elif not body:
                self.fail("popup topic %d has no text" % number)
        extra = set(topics) - {str(n) for n in POPUP_TOPICS}
        if extra:
            self.fail("unexpected popup topics %s" % sorted(extra))

    # --- contents, index, pages --------------------------------------------

    def check_link(self, source, target):
        """A link from one help file to a page, with its anchor if it has one."""
        if re.match(r"^[a-z]+:", target):
            return
        page, _, anchor = target.partition("#")
        if not page:
            page = source
        else:
            page = self.inside(page)
        if not self.chm.has(page):
            self.fail("%s links to %s, which is not inside the file" % (source, target))
            return
        if anchor and page.endswith(".html"):
            anchors = re.findall(r'<a\s+name="([^"]+)"', self.text(page), re.I)
            if anchor not in anchors:
                self.fail("%s links to %s, which has no anchor %r" % (source, page, anchor))

    def check_sitemaps(self):
        listed = set()
        for name, what in (("/Brindleway.hhc", "contents"), ("/Brindleway.hhk", "index")):
            if not self.require(name, "the " + what):
                continue
            text = self.text(name)
            locals_ = re.findall(r'<param\s+name="Local"\s+value="([^"]*)"', text, re.I)
            if not locals_:
                self.fail("the %s lists no pages" % what)
            for local in locals_:
                self.check_link(name, local)
                if what == "contents":
                    listed.add(self.inside(local.partition("#")[0]))
            if what == "index":
                keywords = re.findall(r'<LI>\s*<OBJECT type="text/sitemap">\s*<param\s+name="Name"\s+value="([^"]*)"', text, re.I)
                if len(keywords) < 10:
                    self.fail("the index has only %d keywords" % len(keywords))
        pages = [n for n in self.chm.names() if n.endswith(".html")]
        for page in pages:
            if page not in listed:
                self.fail("page %s is not in the contents" % page)

    def check_pages(self):
        pages = [n for n in self.chm.names() if n.endswith(".html")]
        if len(pages) < 6:
            self.fail("only %d pages" % len(pages))
        for page in pages:
            html = self.text(page)
            if not re.search(r'<meta\s+http-equiv="Content-Type"\s+content="text/html;\s*charset=Shift_JIS"', html, re.I):
                self.fail("%s does not declare charset Shift_JIS" % page)
            if not re.search(r"<title>[^<]+</title>", html):
                self.fail("%s has no title" % page)
            for target in re.findall(r'(?:href|src)="([^"]+)"', html, re.I):
                self.check_link(page, target)

    def run(self):
        self.check_system()
        self.check_search()
        self.check_map()
        self.check_f1_pages()
        self.check_popups()
        self.check_sitemaps()
        self.check_pages()
        self.check_version()
        return self.failures

    def check_version(self):
        if self.version_shown is None:
            return
        about = self.text("/about.html")
        expected = ["Version %s" % self.version_shown]
        if self.version is not None:
            expected.append("Brindleway %s" % self.version)
        for text in expected:
            if text not in about:
                self.fail("about.html does not say %s" % text)


def main(argv):
    if len(argv) not in (1, 2, 3):
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    failures = Checker(*argv).run()
    for failure in failures:
        print("FAIL:", failure)
    print("%s: %s" % (argv[0], "%d problem(s)" % len(failures) if failures else "all checks passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
