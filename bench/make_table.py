#!/usr/bin/env python3
"""Writes a synthetic bibliography for timing refmill: N references, Western
and Japanese mixed, with repeated authors, same-year works, editors, quoted
titles, subtitles, issue numbers and page ranges; plus a matching style and
file type. Also writes the same table in UTF-8 (bench-utf8.csv) with one
Western reference in ten by an author whose name Shift-JIS lacks, and a
UTF-8 file type for it (bench-utf8.trl). Usage: make_table.py N FOLDER"""
import os
import random
import sys

SURNAMES = ["Smith", "Johnson", "Brown", "Taylor", "Miller", "Wilson", "Moore", "Clark",
            "Lewis", "Walker", "Hall", "Young", "King", "Wright", "Scott", "Green", "Baker",
            "Adams", "Nelson", "Carter", "Mitchell", "Roberts", "Turner", "Phillips",
            "van_Dijk", "de_Vries", "O'Neil", "McCarthy"]
GIVEN = ["John", "Mary", "Paul", "Anna", "James", "Linda", "Robert", "Susan", "David",
         "Karen", "Peter", "Laura", "Mark", "Emma"]
FAMILY = ["山田", "鈴木", "佐藤", "田中", "高橋", "伊藤", "渡辺", "中村", "小林", "加藤",
          "吉田", "山本", "斎藤", "松本", "井上", "木村", "林", "清水", "山口", "森"]
FIRST = ["太郎", "花子", "一郎", "次郎", "美紀", "健", "誠", "由美", "直樹", "恵"]
KANA = ["やまだ", "すずき", "さとう", "たなか", "たかはし", "いとう", "わたなべ", "なかむら"]
WORDS = ["memory", "attention", "learning", "perception", "emotion", "development",
         "language", "cognition", "social", "behavior", "motivation", "personality"]
JWORDS = ["記憶", "注意", "学習", "知覚", "感情", "発達", "言語", "認知", "社会", "行動",
          "動機づけ", "人格", "研究", "検討", "効果"]
# Names that need characters Shift-JIS lacks.
ACCENTED = ["Lévi-Strauss", "Müller-Lyer", "Köhler", "Erdős", "Király", "Ångström", "Øberg",
            "Dvořák", "Šimůnek", "Piña"]
JOURNALS = ["Journal of Experimental Psychology", "Psychological Review", "Cognition",
            "Memory & Cognition", "Child Development", "Journal of Personality"]
JJOURNALS = ["心理学研究", "教育心理学研究", "社会心理学研究", "発達心理学研究", "認知科学"]

STYLE = """[InputFormat]
$RB=2
$AT=3
$YR=4
$TL=5
$JT=5
$BT=6
$JB=6
$VL=7
$JV=7
$PG=8
$JP=8
$ED=9
$NO=-2
$JN=-3
$ID=-4
[OutputFormat]
earticle=$AT ($YR). $TL. $BT, $VL$NO, $PG.
ebook=$AT ($YR). $TL. In $ED, $BT (pp. $PG).
jarticle=$AT ($YR). $JT. $JB, $JV$JN, $JP.
jbook=$AT ($YR). $JT. $ED, $JB.
tbook=$AT ($YR). $TL. $BT.
[Special]
abbrev=1
page=2
samename=―――
[General]
sort=1
"""

FILE_TYPE = """[General]
header=<ol>
footer=</ol>
start=<li id="$ID">
end=</li>
"""


def western_author(rng):
    n = rng.choice([1, 1, 2, 2, 3, 4])
    return "|".join(f"{rng.choice(GIVEN)} {rng.choice(SURNAMES)}" for _ in range(n))


def japanese_author(rng):
    n = rng.choice([1, 1, 2, 3])
    names = [f"{rng.choice(FAMILY)}#{rng.choice(FIRST)}" for _ in range(n)]
    if rng.random() < 0.1:
        names[0] = rng.choice(KANA)
    return "|".join(names)


def row(rng, authors_w, authors_j):
    year = str(rng.randint(1960, 2024))
    page = rng.randint(1, 900)
    pages = f"{page}-{page + rng.randint(1, 40)}"
    kind = rng.random()
    if kind < 0.45:
        title = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 7))).capitalize()
        if rng.random() < 0.3:
            title += "|" + " ".join(rng.choice(WORDS) for _ in range(3))
        if rng.random() < 0.1:
            title = f'"{title}, revisited"'
        return ["*", "earticle", "", rng.choice(authors_w), year, title,
                rng.choice(JOURNALS), f"{rng.randint(1, 99)}|{rng.randint(1, 12)}", pages, ""]
    if kind < 0.55:
        return ["*", "ebook", "", rng.choice(authors_w), year,
                " ".join(rng.choice(WORDS) for _ in range(4)).capitalize(),
                "Handbook of " + rng.choice(WORDS), "", pages, western_author(rng)]
    if kind < 0.9:
        title = "".join(rng.choice(JWORDS) for _ in range(rng.randint(3, 6)))
        if rng.random() < 0.3:
            title += "|" + "".join(rng.choice(JWORDS) for _ in range(3))
        return ["*", "jarticle", "", rng.choice(authors_j), year, title,
                rng.choice(JJOURNALS), f"{rng.randint(1, 90)}|{rng.randint(1, 6)}", pages, ""]
    if kind < 0.97:
        return ["*", "jbook", "", rng.choice(authors_j), year,
                "".join(rng.choice(JWORDS) for _ in range(4)), "出版社", "", "",
                japanese_author(rng)]
    return ["*", "tbook", rng.choice(SURNAMES).lower(), rng.choice(authors_w), year,
            " ".join(rng.choice(WORDS) for _ in range(4)).capitalize(), "翻訳出版", "", "", ""]


def main():
    n = int(sys.argv[1])
    folder = sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20261207)
    # A pool of authors much smaller than the table, so authors repeat and
    # some of them publish several works in one year.
    authors_w = [western_author(rng) for _ in range(max(10, n // 8))]
    authors_j = [japanese_author(rng) for _ in range(max(10, n // 8))]
    lines = ["No,Category,IDbase,Author,Year,Title,Journal,Volume,Pages,Editor"]
    for _ in range(n):
        lines.append(",".join(row(rng, authors_w, authors_j)))
    with open(os.path.join(folder, "bench.csv"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
    accented = random.Random(7)
    utf8_lines = [lines[0]]
    for line in lines[1:]:
        fields = line.split(",")
        if fields[1].startswith("e") and accented.random() < 0.1:
            fields[3] = f"{accented.choice(GIVEN)} {accented.choice(ACCENTED)}"
        utf8_lines.append(",".join(fields))
    with open(os.path.join(folder, "bench-utf8.csv"), "wb") as f:
        f.write(("\r\n".join(utf8_lines) + "\r\n").encode("utf-8"))
    with open(os.path.join(folder, "bench-utf8.trl"), "wb") as f:
        f.write(("[General]\nencoding=UTF-8\n" + FILE_TYPE.split("\n", 1)[1])
                .replace("\n", "\r\n").encode("utf-8"))
    with open(os.path.join(folder, "bench.ini"), "wb") as f:
        f.write(STYLE.replace("\n", "\r\n").encode("cp932"))
    with open(os.path.join(folder, "bench.trl"), "wb") as f:
        f.write(FILE_TYPE.replace("\n", "\r\n").encode("cp932"))


if __name__ == "__main__":
    main()
