#!/usr/bin/env python3
"""Checks the texts the code passes to the lookup against the translation tables.

Every English form in a `lang::text("Korean", "English")` call under src/ must be a
key of the tables or one of the few English-only texts listed below. Table keys
that no code uses yet are listed, with their count.

    scripts/check-text-keys.py [--quiet]

Exit status 1 when the code uses an English form that is neither.
"""

import json
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Texts shown in English in every language on purpose.
ENGLISH_ONLY = {
    "tolvik",  # the product name
}

STRING = r'(?:u8)?"(?:[^"\\\n]|\\.)*"'
ARGUMENT = r'(?:(?:%s)\s*)+|[A-Za-z_][\w:]*' % STRING
CALL = re.compile(r'\blang::text\(\s*(%s)\s*,\s*(%s)\s*\)' % (ARGUMENT, ARGUMENT))
# A counted text: Korean, English for one, English for the rest (the table key).
COUNT_CALL = re.compile(r'\blang::count_text\([^,]+,\s*(%s)\s*,\s*(%s)\s*,\s*(%s)\s*\)' % (ARGUMENT, ARGUMENT, ARGUMENT))
CONSTANT = re.compile(r'\bconstexpr\s+std::string_view\s+(\w+)\s*=\s*((?:%s\s*)+);' % STRING)


def decode_literal(token):
    """The text of one C++ string literal (the escapes this code base uses)."""
    body = token[token.index('"') + 1:-1]
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            out += c.encode("utf-8")
            i += 1
            continue
        n = body[i + 1]
        if n in "\\\"'?":
            out += n.encode()
            i += 2
        elif n in "ntr0":
            out += {"n": b"\n", "t": b"\t", "r": b"\r", "0": b"\0"}[n]
            i += 2
        elif n == "u":
            out += chr(int(body[i + 2:i + 6], 16)).encode("utf-8")
            i += 6
        elif n == "U":
            out += chr(int(body[i + 2:i + 10], 16)).encode("utf-8")
            i += 10
        elif n == "x":
            j = i + 2
            while j < len(body) and body[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(body[i + 2:j], 16))
            i = j
        else:
            raise ValueError("unknown escape \\%s in %s" % (n, token))
    return out.decode("utf-8")


def decode_argument(argument, constants):
    argument = argument.strip()
    if argument.startswith('"') or argument.startswith('u8"'):
        return "".join(decode_literal(t) for t in re.findall(STRING, argument))
    name = argument.split("::")[-1]
    if name not in constants:
        raise ValueError("text() argument %s is not a known constant" % argument)
    return constants[name]


def main():
    quiet = "--quiet" in sys.argv
    keys = list(json.loads((ROOT / "lang" / "ja.json").read_text(encoding="utf-8")).keys())
    sources = sorted(p for p in (ROOT / "src").rglob("*") if p.suffix in (".cpp", ".h"))

    constants = {}
    for path in sources:
        for name, value in CONSTANT.findall(path.read_text(encoding="utf-8")):
            constants[name] = "".join(decode_literal(t) for t in re.findall(STRING, value))

    used = {}
    for path in sources:
        text = path.read_text(encoding="utf-8")
        for korean, english in CALL.findall(text):
            used.setdefault(decode_argument(english, constants), []).append(path.relative_to(ROOT))
            decode_argument(korean, constants)
        for korean, _, english in COUNT_CALL.findall(text):
            used.setdefault(decode_argument(english, constants), []).append(path.relative_to(ROOT))
            decode_argument(korean, constants)

    unknown = sorted(e for e in used if e not in keys and e not in ENGLISH_ONLY)
    unused = [k for k in keys if k not in used]
    for english in unknown:
        print("not a table key: %r (%s)" % (english, ", ".join(str(p) for p in used[english])))
    if not quiet:
        for key in unused:
            print("not used yet: %r" % key)
    print("text keys: %d used, %d of %d table keys not used yet, %d unknown"
          % (len([e for e in used if e in keys]), len(unused), len(keys), len(unknown)))
    return 1 if unknown else 0


if __name__ == "__main__":
    sys.exit(main())
