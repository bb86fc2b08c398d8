#!/usr/bin/env python3
"""Opens the shipped sample, converted with every shipped style and file type,
in the program a user opens it with, and checks that each list shows exactly
the entries of the plain-text list of the same style.

  check_clients.py <program folder> [style ...]

The consumers: the text lists are decoded strictly; the HTML lists parsed
with Python's html.parser; the RTF lists converted to text by LibreOffice
(one soffice run for all of them); the LaTeX lists compiled with uplatex
and dvipdfmx and read back with pdftotext. Headings are not compared (each
consumer has its own: "引用文献", the page's <h1>, LaTeX's "参考文献"), only
the entries, in order.

What a consumer legitimately changes, and nothing else, is normalised:
  - whitespace runs: HTML renders any run of blanks and line breaks as one
    blank, so HTML text is compared with its runs collapsed;
  - the PDF's line breaks: pdftotext ends every typeset line; a line break
    stands for a blank or for nothing, and a hyphen LaTeX put at a line end
    to break a word is dropped;
  - gaps in the PDF: pdftotext shows white space by its width, so a blank
    or a full-width blank of the text matches a gap of any width, and a gap
    the text lacks is allowed where upLaTeX puts one of its own: between
    Japanese and Latin characters (\\xkanjiskip) and the italic correction
    before "(" after an italic volume;
  - LaTeX draws "\\_" as a rule, not a character: an underscore of the
    text matches a gap or nothing;
  - ligatures (ﬁ, ﬀ, ﬃ …) as their letters; LaTeX's apostrophe is U+2019;
  - list numbering: thebibliography puts "[1]" in front of every item, which
    takes the place of the number the numbered style writes ("1) ", and the
    two must agree);
  - the en dash of page ranges: the UTF-8 lists are compared with the UTF-8
    plain-text list, which is compared with the Shift-JIS one with every en
    dash read as a hyphen (Shift-JIS has no en dash).
Every failure is printed; the exit code is 1 if any case failed.
"""

import html.parser
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

STYLES = ["jpa", "apa", "sist02"]
# file type -> (extension, encoding of the list)
FILE_TYPES = {
    "text": ("txt", "cp932"),
    "text-utf8": ("txt", "utf-8"),
    "html": ("html", "cp932"),
    "html-utf8": ("html", "utf-8"),
    "latex": ("tex", "cp932"),
    "rtf": ("rtf", "cp932"),
}
# The notice a UTF-8 file type gives about itself (saved as UTF-8 so that it
# can hold any character, it is read as Shift-JIS); any other message fails.
UTF8_NOTICE = "UTF-8 のファイルを Shift-JIS に変換して読みました："
DEBUG_PREFIX = "デバッグ"

failures = []


def fail(case, message):
    failures.append(f"{case}: {message}")


def convert(work, refmill, style, file_type):
    """Runs refmill as refdesk does (/se) and returns the list's path."""
    ext, _ = FILE_TYPES[file_type]
    out = work / f"{style}.{file_type}.{ext}"
    log = work / "error.log"
    log.unlink(missing_ok=True)
    run = subprocess.run([str(refmill), "/se", f"{file_type}.trl", f"{style}.ini",
                          "sample.csv", out.name], cwd=work, capture_output=True)
    case = f"{style} {file_type}"
    if run.returncode != 0:
        fail(case, f"refmill exited with {run.returncode}")
    if log.exists():
        for line in log.read_bytes().decode("cp932", "replace").splitlines():
            if not line or line.startswith(DEBUG_PREFIX):
                continue
            if file_type.endswith("-utf8") and line.startswith(UTF8_NOTICE) and \
                    line.endswith(f"/{file_type}.trl"):
                continue
            fail(case, f"refmill said: {line}")
    return out


def decode(case, data, encoding):
    try:
        return data.decode(encoding)
    except UnicodeDecodeError as e:
        fail(case, f"not valid {encoding}: {e}")
        return data.decode(encoding, "replace")


def plain_entries(case, path, encoding):
    """The entries of a text list: every line between header and footer."""
    data = path.read_bytes()
    if not data.endswith(b"\r\n"):
        fail(case, "the last line has no CR LF")
    lines = decode(case, data, encoding).split("\r\n")[:-1]
    return lines[1:-1]


class HtmlEntries(html.parser.HTMLParser):
    """Collects the text of every <p class="ref">, checks that the elements
    nest and that every link shows the address it leads to."""

    VOID = {"meta", "br", "hr", "img", "link", "input"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.entries = []
        self.problems = []
        self.charset = None
        self.open = []
        self.entry = None
        self.link = None

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "meta" and "charset" in attrs:
            self.charset = attrs["charset"]
        if tag not in self.VOID:
            self.open.append(tag)
        if tag == "p" and attrs.get("class") == "ref":
            self.entry = []
        if tag == "a":
            extra = set(attrs) - {"href"}
            if extra:
                self.problems.append(f"link with stray attributes {sorted(extra)}")
            self.link = [attrs.get("href"), []]

    def handle_endtag(self, tag):
        if not self.open or self.open[-1] != tag:
            self.problems.append(f"</{tag}> closes <{self.open[-1] if self.open else ''}>")
            return
        self.open.pop()
        if tag == "a" and self.link:
            href, text = self.link[0], "".join(self.link[1])
            if href != text:
                self.problems.append(f"link to {href!r} shows {text!r}")
            self.link = None
        if tag == "p" and self.entry is not None:
            self.entries.append(re.sub(r"[ \t\r\n\f]+", " ", "".join(self.entry)).strip(" "))
            self.entry = None

    def handle_data(self, data):
        if self.entry is not None:
            self.entry.append(data)
        if self.link is not None:
            self.link[1].append(data)


def html_entries(case, path, encoding):
    data = path.read_bytes()
    text = decode(case, data, encoding)
    # html.parser forgives a bare "&" or "<" (HTML calls both parse errors);
    # a browser shows them as text only where no name follows them.
    for m in re.finditer(r"&(?!(?:[a-z]+|#[0-9]+|#x[0-9a-f]+);)|<(?![a-z/!])", text, re.I):
        fail(case, f"bare {m.group()} at {text[m.start():m.start() + 20]!r}")
    parser = HtmlEntries()
    parser.feed(text)
    parser.close()
    declared = (parser.charset or "").lower().replace("_", "-")
    if declared not in ({"shift-jis"} if encoding == "cp932" else {"utf-8"}):
        fail(case, f"declares charset {parser.charset!r}")
    if parser.open:
        fail(case, f"elements never closed: {parser.open}")
    for problem in parser.problems:
        fail(case, problem)
    return parser.entries


def rtf_entries(work, paths):
    """All RTF lists to text in one LibreOffice run; entries are paragraphs."""
    out = work / "rtf-text"
    profile = work / "lo-profile"
    run = subprocess.run(
        ["soffice", f"-env:UserInstallation={profile.as_uri()}", "--headless",
         "--convert-to", "txt:Text (encoded):UTF8", "--outdir", str(out)]
        + [str(p) for p in paths], capture_output=True, timeout=600)
    result = {}
    for p in paths:
        case = f"{p.name.split('.')[0]} rtf"
        txt = out / (p.stem + ".txt")
        if run.returncode != 0 or not txt.exists():
            fail(case, f"LibreOffice did not convert it: {run.stderr.decode(errors='replace')}")
            result[p] = []
            continue
        text = decode(case, txt.read_bytes(), "utf-8-sig")
        result[p] = [line for line in text.splitlines() if line.strip()]
    return result


WRAPPER = r"""\documentclass{ujarticle}
\pagestyle{empty}
\tracinglostchars=2
\begin{document}
\input{%s}
\end{document}
"""

# Typeset ligatures pdftotext gives as one character.
LIGATURES = str.maketrans({"\ufb00": "ff", "\ufb01": "fi", "\ufb02": "fl",
                           "\ufb03": "ffi", "\ufb04": "ffl"})


def latex_entries(case, work, path):
    """Compiles the list inside a minimal UTF-8 upLaTeX document with input
    guessing off, so that only the list's own first line can tell uplatex
    that the list is Shift-JIS, and reads the PDF back."""
    stem = path.stem.replace(".", "-") + "-doc"
    (work / f"{stem}.tex").write_text(WRAPPER % path.name, encoding="ascii")
    env = dict(os.environ, guess_input_kanji_encoding="0")
    for _ in range(2):  # the second run settles the label widths
        run = subprocess.run(["uplatex", "-kanji=utf8", "-interaction=nonstopmode",
                              "-halt-on-error", f"{stem}.tex"],
                             cwd=work, env=env, capture_output=True, timeout=300)
        if run.returncode != 0:
            break
    log = (work / f"{stem}.log").read_bytes().decode("utf-8", "replace")
    if run.returncode != 0:
        fail(case, "uplatex failed:\n" + "\n".join(
            l for l in log.splitlines() if l.startswith("!") or l.startswith("l.")))
        return []
    for line in log.splitlines():
        if re.search(r"Missing character|Warning", line):
            fail(case, f"uplatex: {line}")
    # The Japanese fonts embedded, whatever the machine's default map says.
    run = subprocess.run(["dvipdfmx", "-f", "uptex-haranoaji.map", f"{stem}.dvi"],
                         cwd=work, capture_output=True, timeout=300)
    messages = run.stderr.decode("utf-8", "replace")
    if run.returncode != 0 or re.search(r"warning|error|No such|not found|mktexpk", messages, re.I):
        fail(case, f"dvipdfmx: {messages.strip()}")
    run = subprocess.run(["pdftotext", "-layout", "-enc", "UTF-8", f"{stem}.pdf", "-"],
                         cwd=work, capture_output=True, timeout=300)
    if run.returncode != 0:
        fail(case, f"pdftotext: {run.stderr.decode(errors='replace')}")
        return []
    lines = [re.sub(r" {2,}", " ", l.strip()) for l in
             run.stdout.decode("utf-8").translate(LIGATURES).replace("\u2019", "'").splitlines()]
    # Items start with thebibliography's number "[n]"; the heading comes first.
    items = []
    for line in lines:
        m = re.match(r"\[([0-9]+)\] ?", line)
        if m:
            items.append([m.group(1), line[m.end():]])
        elif items and line:
            items[-1][1] += "\n" + line
    return [(f"{n}) ", text) for n, text in items]


def is_japanese(ch):
    return ord(ch) >= 0x2E80


def same_typeset(expected, shown):
    """True when `shown`, a (number, text) pair read from the PDF, is
    `expected` typeset: the item's number replaces a number the style wrote
    itself ("12) "); in the text a line break stands for a blank or for
    nothing; a hyphen before a line break that `expected` does not have broke
    a word; a blank or a full-width blank is a gap of any width; a gap next
    to a Japanese character may be the space LaTeX sets between scripts, and
    one before "(" the italic correction after an italic volume; LaTeX draws
    "\\_" as a rule, which shows as a gap or nothing."""
    number, shown = shown
    if re.match(r"[0-9]+\) ", expected):
        if not expected.startswith(number):
            return False
        expected = expected[len(number):]
    i = j = 0
    while j < len(shown):
        c = shown[j]
        e = expected[i] if i < len(expected) else ""
        gap = c in " \n"
        if (gap and e in " \u3000") or c == e:
            i += 1
            j += 1
        elif e == "_":
            i += 1
            j += gap
        elif c == "\n":
            j += 1
        elif c == "-" and shown[j + 1:j + 2] == "\n":
            j += 2
        elif c == " " and (e == "(" or is_japanese(shown[j - 1]) or
                           (j + 1 < len(shown) and is_japanese(shown[j + 1]))):
            j += 1
        else:
            return False
    return i == len(expected)


def compare(case, expected, shown, same=lambda a, b: a == b):
    if len(expected) != len(shown):
        fail(case, f"{len(shown)} entries, the plain-text list has {len(expected)}")
    differing = [n for n, (e, s) in enumerate(zip(expected, shown), 1) if not same(e, s)]
    for n in differing[:5]:
        fail(case, f"entry {n} differs:\n  text:  {expected[n - 1]}\n  shows: {shown[n - 1]!r}")


def main():
    program = pathlib.Path(sys.argv[1]).resolve()
    styles = sys.argv[2:] or STYLES
    work = pathlib.Path(tempfile.mkdtemp(prefix="refmill-clients-"))
    try:
        for name in ["refmill", "abbrev.dat", "roman.dat", "sample.csv"] + \
                    [f"{s}.ini" for s in styles] + [f"{t}.trl" for t in FILE_TYPES]:
            shutil.copy(program / name, work / name)
        lists = {(s, t): convert(work, work / "refmill", s, t)
                 for s in styles for t in FILE_TYPES}
        rtf = rtf_entries(work, [lists[(s, "rtf")] for s in styles])
        for s in styles:
            text = plain_entries(f"{s} text", lists[(s, "text")], "cp932")
            utf8 = plain_entries(f"{s} text-utf8", lists[(s, "text-utf8")], "utf-8")
            compare(f"{s} text-utf8", text, [e.replace("\u2013", "-") for e in utf8])
            compare(f"{s} html", text, html_entries(f"{s} html", lists[(s, "html")], "cp932"))
            compare(f"{s} html-utf8", utf8,
                    html_entries(f"{s} html-utf8", lists[(s, "html-utf8")], "utf-8"))
            compare(f"{s} rtf", text, rtf[lists[(s, "rtf")]])
            compare(f"{s} latex", text,
                    latex_entries(f"{s} latex", work, lists[(s, "latex")]), same_typeset)
    finally:
        if failures:
            print(f"(the lists are kept in {work})")
        else:
            shutil.rmtree(work)
    for f in failures:
        print("FAIL " + f)
    cases = len(styles) * len(FILE_TYPES)
    print(f"{cases} lists, {'all open as their plain text' if not failures else f'{len(failures)} failures'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
