#!/usr/bin/env python3
"""Checks the two pages the recorder opens beside itself.

  check_pages.py <product folder> <source tree>

Both pages, kq_user_guide.html and test.htm, must be UTF-8 HTML5 that closes
every element it opens, in order, and stands alone: no scripts, nothing
loaded from elsewhere, links only to places within the page.

The user guide must name every button, menu command and label of the
resources and quote every message about sound that the program can show.
The messages are read from the sources when the test runs: each text that
reaches a message box, followed through the helpers that pass a text on (a
function whose parameter reaches a message box becomes one itself), the
variables and constants that hold it, the ternaries that choose it and the
small functions that build it. All messages of audio/ and capfilter/ count,
and those of app/ and graph/ that speak of audio, sound, the microphone, the
speakers, sample rates or the silence helper: a new message, or a new
wording, without its entry in the guide fails.

Exit code 0 when every check passes, 1 when one fails ("FAIL: ...").
"""

import html.parser
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_recording import Checks  # noqa: E402  (the shared ok/FAIL printer)

SCANNED = ("app", "audio", "capfilter", "graph", "settings", "browser", "region")
SOUND_FILES = re.compile(r"^(audio|capfilter)/|^graph/ProbeAudioSource\.cpp$")
SOUND_WORDS = re.compile(r"audio|sound|microphone|speaker|sample rate|zvsln", re.I)
# The system's message boxes, and sonark5's (a table of function pointers).
BASE_SINKS = {"MessageBoxW": 1, "MessageBoxA": 1, "messageA": 0, "messageW": 0}
PRINTF = {"swprintf": 2, "snprintf": 2, "sprintf": 1}  # the format's argument
HOLE = None  # what the program fills in at run time
OPEN = {("op", "("), ("op", "["), ("op", "{")}
TOKEN = re.compile(r"""\s+|//[^\n]*|/\*.*?\*/|\#[^\n]*(?:\\\n[^\n]*)*
    |(?:u8|[LuU])?"(?P<string>(?:\\.|[^"\\\n])*)"|(?P<char>(?:u8|[LuU])?'(?:\\.|[^'\\\n])+')
    |(?P<ident>[A-Za-z_]\w*)|(?P<number>\d[\w.]*)|(?P<op>::|->|\+=|==|!=|<=|>=|&&|\|\||\S)""", re.S | re.X)
PLACEHOLDER = re.compile(r"%[-+ #0]*\d*(?:\.\d+)?(?:ls|l|h|z)?[diouxXfgcs]")


def unescape(body):
    simple = {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}
    return re.sub(r"\\(x[0-9a-fA-F]+|.)", lambda m: chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x"
                  else simple.get(m.group(1), m.group(1)), body, flags=re.S)


class Source:
    """One file's tokens, bracket pairs and function bodies (name, parameters, start, end)."""

    def __init__(self, root, rel):
        with open(os.path.join(root, rel), encoding="utf-8") as f:
            self.rel, text = rel, f.read()
        self.tokens = [(m.lastgroup, unescape(m.group("string")) if m.lastgroup == "string" else m.group(m.lastgroup))
                       for m in TOKEN.finditer(text) if m.lastgroup]
        self.pair, stack = {}, []
        for i, token in enumerate(self.tokens):
            if token in OPEN:
                stack.append(i)
            elif token[0] == "op" and token[1] in ")]}" and stack:
                self.pair[stack.pop()] = i
        self.opener = {c: o for o, c in self.pair.items()}
        self.functions = []
        for opening, close in self.pair.items():
            j = opening - 1
            while self.tokens[j][1] in ("const", "override", "noexcept"):
                j -= 1
            start = self.opener.get(j) if self.tokens[opening][1] == "{" else None
            if start is not None and self.tokens[start - 1][0] == "ident" and \
                    self.tokens[start - 1][1] not in ("if", "for", "while", "switch", "catch", "return"):
                # A parameter's name is its last identifier before any default value.
                params = [self.idents(s, s + (self.values(s, e) + ["="]).index("="))
                          for s, e in self.split(start + 1, j)]
                self.functions.append((self.tokens[start - 1][1], [p[-1] if p else "" for p in params], opening, close))

    def values(self, start, end):
        return [t[1] for t in self.tokens[start:end]]

    def idents(self, start, end):
        return [t[1] for t in self.tokens[start:end] if t[0] == "ident"]

    def split(self, start, end, seps=(",",)):
        """The top-level ranges of [start, end) between separators."""
        parts, first, i = [], start, start
        while i < end:
            if self.tokens[i][0] == "op" and self.tokens[i][1] in seps:
                parts.append((first, i))
                first = i + 1
            elif self.tokens[i] in OPEN and i in self.pair:
                i = self.pair[i]
            i += 1
        return parts + [(first, end)]

    def enclosing(self, at):
        inner = [f for f in self.functions if f[2] < at < f[3]]
        return min(inner, key=lambda f: f[3] - f[2]) if inner else None

    def calls(self, sinks):
        """(argument range, position, name) of every call of a sink, definitions aside."""
        for i, (kind, value) in enumerate(self.tokens[:-1]):
            if kind == "ident" and value in sinks and self.tokens[i + 1][1] == "(" and i + 1 in self.pair:
                after = self.pair[i + 1] + 1
                while after < len(self.tokens) - 1 and self.tokens[after][1] in ("const", "override"):
                    after += 1
                args = self.split(i + 2, self.pair[i + 1])
                if self.tokens[min(after, len(self.tokens) - 1)][1] != "{" and sinks[value] < len(args):
                    yield args[sinks[value]], i, value


class Messages:
    """Every message of the sources as (file, parts), the parts texts and HOLEs."""

    def __init__(self, root):
        self.sources = [Source(root, os.path.relpath(os.path.join(base, name), root))
                        for folder in SCANNED for base, _, files in os.walk(os.path.join(root, folder))
                        for name in sorted(files) if name.endswith((".cpp", ".h"))]
        self.sinks, added = dict(BASE_SINKS), True
        while added:
            added = False
            for src in self.sources:
                for (s, e), at, _ in list(src.calls(self.sinks)):
                    function, arg = src.enclosing(at), src.values(s, e)
                    if function and arg and arg[0] in function[1] and arg[1:] in ([], [".", "c_str", "(", ")"]) \
                            and function[0] not in self.sinks:
                        self.sinks[function[0]], added = function[1].index(arg[0]), True
        self.found = [(src.rel, tidy(parts)) for src in self.sources for arg, at, _ in src.calls(self.sinks)
                      for parts in self.evaluate(src, *arg, at, 0)]

    def evaluate(self, src, start, end, at, depth):
        """The alternatives an expression can give, each a list of parts."""
        while src.tokens[start] == ("op", "(") and src.pair.get(start) == end - 1:
            start, end = start + 1, end - 1
        if depth > 8 or start >= end:
            return [[HOLE]]
        choices = src.split(start, end, ("?", ":"))
        if len(choices) > 1:  # conditions give holes only
            return [p for s, e in choices[1:] for p in self.evaluate(src, s, e, at, depth + 1)]
        alternatives = [[]]
        for s, e in src.split(start, end, ("+",)):
            kinds, values = [t[0] for t in src.tokens[s:e]], src.values(s, e)
            options = [[HOLE]]
            if kinds and all(k == "string" for k in kinds):
                options = [["".join(values)]]
            elif kinds and kinds[0] == "ident" and values[1:] in ([], [".", "c_str", "(", ")"]):
                definition = self.definition(src, values[0], at)
                options = self.evaluate(src, *definition, at, depth + 1) if definition else options
            elif values and values[-1] == ")" and src.opener.get(e - 1, e - 2) < e - 2:
                opening = src.opener[e - 1]
                args = src.split(opening + 1, e - 1)
                if "string" in [t[0] for t in src.tokens[args[0][0]:args[0][1]]]:
                    options = [p + [HOLE] * (len(args) > 1) for p in self.evaluate(src, *args[0], at, depth + 1)]
                else:
                    options = [self.built_by(src.tokens[opening - 1][1])]
            alternatives = [a + o for a in alternatives for o in options]
        return alternatives

    def definition(self, src, name, at):
        """The range last assigned to `name` before `at` in its function, else at file scope."""
        function = src.enclosing(at)
        bodies = [range(f[2], f[3]) for f in src.functions]
        for start, end, scope in ([(function[2], at, True)] if function else []) + [(0, len(src.tokens), False)]:
            for t in range(end - 1, start, -1):
                if src.tokens[t] != ("ident", name) or src.tokens[t - 1][1] in (".", "->", "::") or \
                        not scope and any(t in b for b in bodies):
                    continue
                after = src.pair[t + 1] + 1 if src.tokens[t + 1] == ("op", "[") and t + 1 in src.pair else t + 1
                if src.tokens[after][1] == "=":
                    return src.split(after + 1, len(src.tokens), (";",))[0]
                caller = src.tokens[t - 2][1]
                if src.tokens[t - 1][1] == "(" and caller in PRINTF and t - 1 in src.pair:
                    args = src.split(t, src.pair[t - 1])
                    return args[PRINTF[caller]] if len(args) > PRINTF[caller] else None
        return None

    def built_by(self, name):
        """The texts a function assigns or appends, in order, holes between."""
        for src in self.sources:
            for function in [f for f in src.functions if f[0] == name]:
                parts = [p for t in range(function[2], function[3]) if src.tokens[t][0] == "string"
                         and src.tokens[t - 1][1] in ("=", "+=") for p in (HOLE, src.tokens[t][1])]
                if parts:
                    return parts + [HOLE]
        return [HOLE]


def tidy(parts):
    """Texts split at printf placeholders, neighbouring parts merged, outer holes dropped."""
    result = []
    for part in parts:
        for i, piece in enumerate([HOLE] if part is HOLE else PLACEHOLDER.split(part)):
            for p in ([HOLE] if i else []) + [piece]:
                if result and (result[-1] is HOLE) == (p is HOLE):
                    result[-1] = HOLE if p is HOLE else result[-1] + p
                elif p != "":
                    result.append(p)
    while result and (result[0] is HOLE or not result[0].strip()):
        result.pop(0)
    while result and (result[-1] is HOLE or not result[-1].strip()):
        result.pop()
    return tuple(result)


def pattern(parts):
    """The message as the guide quotes it: any blanks and line breaks as blanks, a hole as a placeholder."""
    return "".join(r"\s*.{1,80}?\s*" if p is HOLE else r"\s+".join(map(re.escape, p.split())) for p in parts)


def is_sound(rel, parts):
    text = " ".join(p for p in parts if p is not HOLE)
    return bool(re.search("[A-Za-z]", text)) and bool(
        SOUND_FILES.search(rel) or rel.split("/")[0] in ("app", "graph") and SOUND_WORDS.search(text))


def resource_labels(root):
    """Buttons, menu commands, labels and group titles of the resources, "&" removed."""
    labels = set()
    for name in sorted(n for n in os.listdir(os.path.join(root, "resources")) if n.endswith(".rc")):
        with open(os.path.join(root, "resources", name), encoding="utf-8") as f:
            # The developer menu shows only in the developer console build.
            text = re.sub(r"MENUDEV MENU\s*BEGIN.*?END", "", f.read(), flags=re.S)
        # Captions up to 60 characters: the longer texts are hints.
        captions = re.findall(r'^\s*(?:MENUITEM|POPUP|PUSHBUTTON|DEFPUSHBUTTON|LTEXT|GROUPBOX)\s+"([^"\\]{1,60})"',
                              text, re.M) + re.findall(r'^\s*CONTROL\s+"([^"]+)",\s*\w+,\s*"Button"', text, re.M)
        labels.update(" ".join(c.replace("&", "").split()) for c in captions)
    return labels


class Page(html.parser.HTMLParser):
    """Parses a page, reporting elements closed out of order or left open; keeps its text, tags and links."""

    VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr"}

    def __init__(self, path, check):
        super().__init__(convert_charrefs=True)
        self.check, self.name, self.doctype = check, os.path.basename(path), ""
        self.open, self.text, self.starts = [], [], []
        with open(path, "rb") as f:
            raw = f.read()
        try:
            self.feed(raw.decode("utf-8"))
            self.close()
        except UnicodeDecodeError as error:
            check(False, "%s is UTF-8 (%s)" % (self.name, error))
        check(not self.open, "%s closes every element (left open: %s)" % (self.name, " ".join(self.open) or "none"))
        self.text = " ".join(" ".join(self.text).split())
        tags, attrs = [t for t, _ in self.starts], [a for _, a in self.starts]
        ids, links = [a["id"] for a in attrs if "id" in a], [a["href"] for a in attrs if "href" in a]
        outside = [t for t, a in self.starts if t in ("script", "link", "img", "iframe", "object", "embed")
                   or "src" in a]
        check(self.doctype == "doctype html", "%s starts with <!DOCTYPE html>" % self.name)
        check(bool(attrs) and tags[0] == "html" and attrs[0].get("lang") == "en", '%s: <html lang="en">' % self.name)
        check(("meta", {"charset": "utf-8"}) in self.starts and tags.count("title") == 1,
              '%s: <meta charset="utf-8"> and one title' % self.name)
        check(not outside, "%s loads nothing and runs nothing (found: %s)" % (self.name, outside))
        check(len(set(ids)) == len(ids), "%s: each id once" % self.name)
        dangling = [h for h in links if not h.startswith("#") or h[1:] not in ids]
        check(not dangling, "%s links only within itself (other links: %s)" % (self.name, dangling))

    def handle_decl(self, decl):
        self.doctype = self.doctype or decl.lower()

    def handle_starttag(self, tag, attrs):
        self.starts.append((tag, dict(attrs)))
        self.open += [] if tag in self.VOID else [tag]
        self.text.append(" ")

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        self.open = self.open[:-1] if tag not in self.VOID else self.open

    def handle_endtag(self, tag):
        if tag not in self.open:
            self.check(False, "%s: </%s> at line %d closes nothing" % (self.name, tag, self.getpos()[0]))
        while tag in self.open and self.open[-1] != tag:
            self.check(False, "%s: <%s> not closed before </%s> at line %d"
                       % (self.name, self.open.pop(), tag, self.getpos()[0]))
        self.open = self.open[:-1] if tag in self.open else self.open
        self.text.append(" ")

    def handle_data(self, data):
        self.text.append(data)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    folder, root = sys.argv[1:]
    check = Checks()
    guide = Page(os.path.join(folder, "kq_user_guide.html"), check)
    browser = Page(os.path.join(folder, "test.htm"), check)
    check(browser.text.startswith("Telvane") and len(browser.text) < 200, "test.htm is short: %r" % browser.text)
    check([t for t, _ in guide.starts].count("style") == 1, "the guide carries its own style sheet")
    missing = sorted(label for label in resource_labels(root) if label not in guide.text)
    check(not missing, "the guide names every button, menu command and label (missing: %s)" % missing)

    messages = sorted({parts for rel, parts in Messages(root).found if is_sound(rel, parts)}, key=str)
    # One message reached in each way: a literal, a printf format, a ternary, a
    # building function, a helper that passes it on, a constant two calls
    # away, a text of app/ picked by its words.
    starts = {parts[0].strip() for parts in messages}
    for start in ("Error - Cannot get audio data", "The microphone requires audio sample rates of 48000 or 44100 "
                  "(currently your audio is set to", "UNSUPPORTED SAMPLE RATE (", "Audio source selected:",
                  "Cannot create Sonark5 audio filter (1)", "WINDOWS SPEAKERS SAMPLE RATE SETUP\r\n\r\nIn the 'Sound' "
                  "window click Speakers.\r\nClick Configure and make sure the Audio is set to Stereo.\r\nClick "
                  "Properties then click Advanced and set the audio format to 16 or 24 bit, 48000 Hz or 44100 Hz "
                  "(samples).\r\n\r\nRestart Telvane.", "File zvsln.exe could not be found or open"):
        check(start in starts, "the sources give the message %r" % start[:50])
    check(len(messages) >= 60, "at least 60 sound messages read from the sources (%d)" % len(messages))
    absent = [parts for parts in messages if not re.search(pattern(parts), guide.text)]
    check(not absent, "the guide quotes all %d sound messages (not quoted: %d)" % (len(messages), len(absent)))
    for parts in absent:
        print("  not quoted: %r" % " <...> ".join(p.strip() for p in parts if p is not HOLE))
    return check.exit_code()


if __name__ == "__main__":
    sys.exit(main())
