#!/usr/bin/env python3
"""Generates src/base/unicode_tables.inc from the Unicode Character Database.

The tables drive base::to_lower_full, the final-sigma context and the
White_Space test:
  - lower-case runs: UnicodeData.txt simple lower-case mappings, overridden by
    the unconditional, language-insensitive mappings of SpecialCasing.txt;
  - multi-code-point lower-case mappings (SpecialCasing.txt, e.g. U+0130);
  - Cased and Case_Ignorable ranges (DerivedCoreProperties.txt);
  - White_Space ranges (PropList.txt).

Usage:
  scripts/gen-unicode-tables.py [--ucd DIR] [--out FILE] [--check]

DIR defaults to /usr/share/unicode (Debian package `unicode-data`). With
--check nothing is written; the exit status says whether FILE is up to date.
"""

import argparse
import os
import re
import sys

MAX_CP = 0x10FFFF
MAX_SPECIAL_LEN = 3

# Conditions in SpecialCasing.txt that the C++ code implements itself. A new
# language-insensitive condition in a later Unicode version stops the script
# instead of being dropped silently.
HANDLED_CONDITIONS = {(0x03A3, (0x03C2,), "Final_Sigma")}


def fail(message):
    sys.exit("gen-unicode-tables: " + message)


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


def file_version(path):
    """Reads the version from a header line such as '# PropList-15.0.0.txt'."""
    name = os.path.basename(path)[: -len(".txt")]
    first = read_lines(path)[0]
    m = re.fullmatch(r"#\s*" + re.escape(name) + r"-(\d+\.\d+\.\d+)\.txt\s*", first)
    if not m:
        fail(f"{path}: no version in the first line ({first!r})")
    return m.group(1)


def readme_version(path):
    for line in read_lines(path):
        m = re.search(r"Version (\d+\.\d+\.\d+) of the Unicode Standard", line)
        if m:
            return m.group(1)
    fail(f"{path}: no version found")


def parse_code_range(text):
    text = text.strip()
    if ".." in text:
        a, b = text.split("..")
        return int(a, 16), int(b, 16)
    cp = int(text, 16)
    return cp, cp


def parse_property(path, wanted):
    """Returns the sorted, merged ranges of one binary property."""
    ranges = []
    for line in read_lines(path):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = [f.strip() for f in line.split(";")]
        if fields[1] == wanted:
            ranges.append(parse_code_range(fields[0]))
    if not ranges:
        fail(f"{path}: property {wanted} not found")
    return merge_ranges(ranges)


def merge_ranges(ranges):
    merged = []
    for first, last in sorted(ranges):
        if merged and first <= merged[-1][1] + 1:
            merged[-1] = (merged[-1][0], max(merged[-1][1], last))
        else:
            merged.append((first, last))
    return merged


def parse_simple_lower(path):
    lower = {}
    for line in read_lines(path):
        fields = line.split(";")
        if len(fields) != 15:
            fail(f"{path}: unexpected line {line!r}")
        if fields[13]:
            cp = int(fields[0], 16)
            lower[cp] = int(fields[13], 16)
    return lower


def parse_special_lower(path):
    """Returns (unconditional, language-insensitive conditional) lower-case mappings."""
    unconditional = {}
    conditional = set()
    for line in read_lines(path):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = [f.strip() for f in line.split(";")]
        # code; lower; title; upper; [conditions;]
        if fields[-1] == "":
            fields.pop()
        if len(fields) not in (4, 5):
            fail(f"{path}: unexpected line {line!r}")
        cp = int(fields[0], 16)
        lower = tuple(int(x, 16) for x in fields[1].split())
        conditions = fields[4].split() if len(fields) == 5 else []
        if not conditions:
            if cp in unconditional:
                fail(f"{path}: U+{cp:04X} listed twice")
            unconditional[cp] = lower
            continue
        # A language tag (lower-case letters, such as "tr" or "lt") makes the
        # entry a tailoring, which the program does not apply.
        if any(re.fullmatch(r"[a-z]{2,3}(_[A-Za-z]+)?", c) for c in conditions):
            continue
        for c in conditions:
            conditional.add((cp, lower, c))
    return unconditional, conditional


def full_lower_map(simple, special):
    """Merges both sources into single and multi-code-point mappings (identity left out)."""
    single = dict(simple)
    multi = {}
    for cp, lower in special.items():
        if len(lower) == 1:
            if lower[0] == cp:
                single.pop(cp, None)
            else:
                single[cp] = lower[0]
        else:
            if len(lower) > MAX_SPECIAL_LEN:
                fail(f"U+{cp:04X}: lower-case mapping longer than {MAX_SPECIAL_LEN}")
            single.pop(cp, None)
            multi[cp] = lower
    return single, multi


def build_runs(single):
    """Compresses cp -> lower into runs (first, last, delta, stride).

    A run covers first, first+stride, ..., last; each of those maps to
    cp + delta. Runs never overlap, so a binary search on `first` finds the
    only candidate.
    """
    items = sorted((cp, low - cp) for cp, low in single.items())
    runs = []
    i = 0
    while i < len(items):
        cp, delta = items[i]
        best_last, best_stride, best_j = cp, 1, i
        for stride in (1, 2):
            last, j = cp, i
            while (j + 1 < len(items) and items[j + 1][0] == last + stride
                   and items[j + 1][1] == delta):
                last += stride
                j += 1
            if last > best_last:
                best_last, best_stride, best_j = last, stride, j
        runs.append((cp, best_last, delta, best_stride))
        i = best_j + 1
    return runs


def check_runs(runs, single):
    expanded = {}
    previous_last = -1
    for first, last, delta, stride in runs:
        if first <= previous_last:
            fail("overlapping runs")
        previous_last = last
        for cp in range(first, last + 1, stride):
            expanded[cp] = cp + delta
    if expanded != single:
        fail("runs do not reproduce the mapping")


def check_ranges(ranges):
    for (a, b), (c, _) in zip(ranges, ranges[1:]):
        if not (a <= b < c - 1):
            fail("ranges not sorted and merged")


def format_rows(rows, per_line):
    lines = []
    for k in range(0, len(rows), per_line):
        lines.append("    " + " ".join(rows[k:k + per_line]))
    return "\n".join(lines)


def render(version, runs, multi, cased, ignorable, white):
    def cp(x):
        return f"0x{x:04X}"

    run_rows = [f"{{{cp(a)}, {cp(b)}, {d}, {s}}}," for a, b, d, s in runs]
    multi_rows = []
    for src, seq in sorted(multi.items()):
        padded = list(seq) + [0] * (MAX_SPECIAL_LEN - len(seq))
        multi_rows.append(f"{{{cp(src)}, {len(seq)}, {{{', '.join(cp(x) for x in padded)}}}}},")

    def range_rows(ranges):
        return [f"{{{cp(a)}, {cp(b)}}}," for a, b in ranges]

    return f"""\
// Unicode {version} tables for base/unicode.cpp. Generated; do not edit.
// Source: the Unicode Character Database {version} (UnicodeData.txt, SpecialCasing.txt,
// DerivedCoreProperties.txt, PropList.txt), Debian package unicode-data.
// Regenerate: python3 scripts/gen-unicode-tables.py --ucd /usr/share/unicode
// Check:      python3 scripts/gen-unicode-tables.py --check

inline constexpr char kUnicodeVersion[] = "{version}";

// Simple lower-case mappings, with SpecialCasing's unconditional ones applied:
// code points first, first + stride, ..., last map to cp + delta.
inline constexpr LowerRun kLowerRuns[] = {{
{format_rows(run_rows, 3)}
}};

// Unconditional lower-case mappings to more than one code point.
inline constexpr LowerSequence kLowerSequences[] = {{
{format_rows(multi_rows, 1)}
}};

// Cased (DerivedCoreProperties.txt).
inline constexpr CodeRange kCased[] = {{
{format_rows(range_rows(cased), 4)}
}};

// Case_Ignorable (DerivedCoreProperties.txt).
inline constexpr CodeRange kCaseIgnorable[] = {{
{format_rows(range_rows(ignorable), 4)}
}};

// White_Space (PropList.txt).
inline constexpr CodeRange kWhiteSpace[] = {{
{format_rows(range_rows(white), 4)}
}};
"""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ucd", default="/usr/share/unicode")
    parser.add_argument("--out", default=os.path.join(here, "..", "src", "base", "unicode_tables.inc"))
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()

    path = lambda name: os.path.join(args.ucd, name)
    versions = {name: file_version(path(name))
                for name in ("SpecialCasing.txt", "DerivedCoreProperties.txt", "PropList.txt")}
    versions["ReadMe.txt"] = readme_version(path("ReadMe.txt"))
    if len(set(versions.values())) != 1:
        fail(f"the UCD files disagree on the version: {versions}")
    version = versions["ReadMe.txt"]

    simple = parse_simple_lower(path("UnicodeData.txt"))
    special, conditional = parse_special_lower(path("SpecialCasing.txt"))
    if conditional != HANDLED_CONDITIONS:
        fail(f"unhandled SpecialCasing conditions: {sorted(conditional - HANDLED_CONDITIONS)}; "
             "teach base/unicode.cpp about them first")
    single, multi = full_lower_map(simple, special)
    if not multi:
        fail("no multi-code-point lower-case mappings; an empty C++ array would not compile")
    runs = build_runs(single)
    check_runs(runs, single)

    cased = parse_property(path("DerivedCoreProperties.txt"), "Cased")
    ignorable = parse_property(path("DerivedCoreProperties.txt"), "Case_Ignorable")
    white = parse_property(path("PropList.txt"), "White_Space")
    for ranges in (cased, ignorable, white):
        check_ranges(ranges)

    text = render(version, runs, multi, cased, ignorable, white)
    out = os.path.normpath(args.out)
    if args.check:
        try:
            with open(out, encoding="utf-8", newline="") as f:
                current = f.read()
        except FileNotFoundError:
            current = None
        if current != text:
            fail(f"{out} is out of date; run scripts/gen-unicode-tables.py")
        print(f"{out} is up to date (Unicode {version})")
        return
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    print(f"wrote {out}: Unicode {version}, {len(runs)} lower-case runs, "
          f"{len(multi)} sequences, {len(cased)} Cased, {len(ignorable)} Case_Ignorable, "
          f"{len(white)} White_Space ranges")


if __name__ == "__main__":
    main()
