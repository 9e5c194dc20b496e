#!/usr/bin/env python3
"""Collects every English text the program passes to the translation lookup and writes the
translators' template "~transl.dt": the line "[NEW_LANGUAGE_NAME]", the line "[NEW_LANGUAGE_CODE]",
then each text followed by an empty line that receives its translation.

  translation-template.py [--src DIR] [--out FILE]     writes the template (default data/~transl.dt)
  translation-template.py --update FILE [--src DIR]
      writes the template, then rewrites the translations file FILE to follow it: each language keeps
      its translations, new texts get an empty line (listed), texts gone from the code are dropped
  translation-template.py --check [--src DIR] [--template FILE] [--translations FILE]
      fails when the template differs from the texts in the sources (a text missing or left over),
      or when a language of the translations file does not follow the template.

Texts are the string literals that reach the lookup (Translate): arguments of the lookup and of the
small helpers that hand a text to it (CALLS below); values assigned to a variable or table that is
then passed to one of them (text = "..."; kTitles[] = {...}); literals returned by a function whose
result is passed to one of them; and literals marked with TRANSLATABLE("...") where none of this
applies. Adjacent literals are joined, escapes decoded; the order is that of the sorted file paths,
then of the position in the file. Deterministic, and it reads only the sources (about a second)."""
import argparse
import os
import re
import sys

# The lookup and the helpers that hand a text to it: the indexes of their text arguments, or None for
# "the first argument that is a literal".
CALLS = {"Translate": None, "T": None, "tr": None, "tr_": None, "wizardCaption": None, "TRANSLATABLE": None,
         "makeAction": [1], "menu": [2], "arrow": [2], "ensureFolder": [1, 2], "setListTexts": [1],
         "logDatabaseHeader": None}
WRAPPERS = {"QStringLiteral", "QString", "QLatin1String", "QLatin1StringView", "QString::fromUtf8",
            "QString::fromLatin1", "QStringView", "u8"}
HEADER = ["[NEW_LANGUAGE_NAME]", "[NEW_LANGUAGE_CODE]"]

TOKEN = re.compile(r'''
    (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<raw>(?:u8|u|U|L)?R"(?P<delim>[^(\s]*)\((?P<rawbody>.*?)\)(?P=delim)")
  | (?P<string>(?:u8|u|U|L)?"(?P<body>(?:[^"\\\n]|\\.)*)")
  | (?P<char>'(?:[^'\\\n]|\\.)*')
  | (?P<name>[A-Za-z_][A-Za-z_0-9]*(?:::[A-Za-z_][A-Za-z_0-9]*)*)
  | (?P<punct>[(),;{}\[\]])
  | (?P<other>\S)
''', re.S | re.X)

ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "\\": "\\", '"': '"', "'": "'", "?": "?", "0": "\0"}


def decode(body):
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            n = body[i + 1]
            if n == "x":
                m = re.match(r"[0-9A-Fa-f]+", body[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            if n in "uU":
                size = 4 if n == "u" else 8
                out.append(chr(int(body[i + 2:i + 2 + size], 16)))
                i += 2 + size
                continue
            out.append(ESCAPES.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def tokens(source):
    for m in TOKEN.finditer(source):
        if m.group("comment") is not None or m.group("char") is not None:
            continue
        if m.group("raw") is not None:
            yield ("string", m.group("rawbody"))
        elif m.group("string") is not None:
            yield ("string", decode(m.group("body")))
        elif m.group("name") is not None:
            yield ("name", m.group("name"))
        elif m.group("punct") is not None:
            yield ("punct", m.group(0))
        else:
            yield ("other", m.group(0))


def whole_literals(toks, first, last, openers=("=", "?", ":", "{", ",", "return")):
    """The literals in toks[first:last] that are whole values (a literal or adjacent literals, possibly
    wrapped as QStringLiteral("..."), between the start, "=", "?", ":", "{" or "," and the end, ";",
    ",", ":" or "}"), never pieces of a longer expression."""
    found, k = [], first
    while k < last:
        if toks[k][0] != "string":
            k += 1
            continue
        end = k
        while end + 1 < last and toks[end + 1][0] == "string":
            end += 1
        before, after = k - 1, end + 1
        if (before >= first and toks[before] == ("punct", "(") and toks[before - 1][1] in WRAPPERS
                and after < last and toks[after] == ("punct", ")")):
            before, after = before - 2, after + 1
        if (before < first or toks[before][1] in openers) and (after >= last or toks[after][1] in (";", ",", "}", ":")):
            found.append("".join(t[1] for t in toks[k:end + 1]))
        k = end + 1
    return found


def variable_of(argument):
    """The name of a variable or table an argument reads its text from (text, kTitles[i]), or None."""
    parts = [t for t in argument if not (t[0] == "name" and t[1] in WRAPPERS) and t[1] not in "()"]
    if parts and parts[0][0] == "name" and (len(parts) == 1 or parts[1] == ("punct", "[")):
        return parts[0][1]
    return None


def call_arguments(toks, i):
    """The arguments (token lists) of the call whose name is at toks[i], or None when it is no call."""
    if i + 1 >= len(toks) or toks[i + 1] != ("punct", "("):
        return None
    depth, argument, arguments = 0, [], []
    for t in toks[i + 1:]:
        if t[0] == "punct" and t[1] in "([{":
            depth += 1
            if depth > 1:
                argument.append(t)
        elif t[0] == "punct" and t[1] in ")]}":
            depth -= 1
            if depth == 0:
                arguments.append(argument)
                return arguments
            argument.append(t)
        elif t == ("punct", ",") and depth == 1:
            arguments.append(argument)
            argument = []
        else:
            argument.append(t)
    return arguments


def assigned_texts(toks, variables):
    """Literals of the statements that set one of `variables`: `name = ...;` and `name[] = {...};`."""
    found = []
    for i, (kind, value) in enumerate(toks):
        if kind != "name" or value not in variables:
            continue
        j = i + 1
        while j < len(toks) and toks[j] in (("punct", "["), ("punct", "]")) or (
                j < len(toks) and toks[j - 1] == ("punct", "[") and toks[j][1] != "]"):
            j += 1
        if j + 1 >= len(toks) or toks[j] != ("other", "=") or toks[j + 1] == ("other", "="):
            continue
        depth, k = 0, j + 1
        while k < len(toks):
            t = toks[k]
            if t[0] == "punct" and t[1] in "([{":
                depth += 1
            elif t[0] == "punct" and t[1] in ")]}":
                depth -= 1
            elif t == ("punct", ";") and depth <= 0:
                break
            k += 1
        found += whole_literals(toks, j, k)
    return found


def returned_texts(toks, functions):
    """Literals that the definitions of `functions` return (a function choosing a text to translate)."""
    found = []
    for i, (kind, value) in enumerate(toks):
        if kind != "name" or value.split("::")[-1] not in functions or i + 1 >= len(toks):
            continue
        if toks[i + 1] != ("punct", "(") or (i > 0 and toks[i - 1][1] in (".", ">")):
            continue
        depth, j = 0, i + 1
        while j < len(toks):
            depth += toks[j][1] == "(" and 1 or toks[j][1] == ")" and -1 or 0
            j += 1
            if depth == 0:
                break
        while j < len(toks) and toks[j][0] == "name":  # const, override, noexcept
            j += 1
        if j >= len(toks) or toks[j] != ("punct", "{"):
            continue
        depth, end = 0, j
        while end < len(toks):
            depth += toks[end][1] == "{" and 1 or toks[end][1] == "}" and -1 or 0
            end += 1
            if depth == 0:
                break
        k = j
        while k < end:
            if toks[k] == ("name", "return"):
                stop = k
                while stop < end and toks[stop] != ("punct", ";"):
                    stop += 1
                found += whole_literals(toks, k, stop + 1)
                k = stop
            k += 1
    return found


def scan(source):
    """The texts of the lookup's calls in `source`, and the names of the functions whose returned
    literals reach the lookup."""
    toks = list(tokens(source))
    found, variables, functions = [], set(), set()
    for i, (kind, value) in enumerate(toks):
        if kind != "name":
            continue
        name = value.split("::")[-1]
        if name not in CALLS:
            continue
        positions = CALLS[name]
        arguments = call_arguments(toks, i)
        if arguments is None:
            continue
        chosen = [arguments[p] for p in positions if p < len(arguments)] if positions else arguments
        for argument in chosen:
            texts = whole_literals(argument, 0, len(argument))
            if texts:
                found += texts
                if not positions:
                    break
            elif variable_of(argument):
                variables.add(variable_of(argument))
            elif len(argument) > 1 and argument[0][0] == "name" and argument[1] == ("punct", "("):
                functions.add(argument[0][1].split("::")[-1])
    return toks, found + assigned_texts(toks, variables), functions


def collect(src):
    paths = []
    for root, dirs, files in os.walk(src):
        for name in files:
            if name.endswith((".cpp", ".h")):
                paths.append(os.path.join(root, name))
    scanned, functions = [], set()
    for path in sorted(paths, key=lambda p: os.path.relpath(p, src)):
        with open(path, encoding="utf-8") as f:
            toks, found, called = scan(f.read())
        scanned.append((toks, found))
        functions |= called
    texts, seen = [], set()
    for toks, found in scanned:
        for text in found + returned_texts(toks, functions - WRAPPERS - set(CALLS)):
            # Separators and marks without a letter are not texts to translate.
            if any(c.isalpha() for c in text) and text not in seen:
                seen.add(text)
                texts.append(text)
    return texts


def template_lines(texts):
    lines = list(HEADER)
    for text in texts:
        # A text spanning lines cannot be a line of the file: its line breaks are written as \n.
        lines += [text.replace("\r", "\\r").replace("\n", "\\n"), ""]
    return lines


def read_lines(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        content = f.read()
    lines = content.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def language_sections(lines, english):
    """Yields (name, texts) for each language of a translations file laid out as filled templates."""
    size = 2 + 2 * len(english)
    for start in range(0, len(lines), size):
        section = lines[start:start + size]
        yield section[0] if section else "", section[2::2]


def update_translations(path, texts):
    lines = read_lines(path)
    # The languages as the file has them now: its own template (before the update) sets their size.
    old_count = next((n for n in range(1, len(lines) + 1) if len(lines) % (2 + 2 * n) == 0
                      and all(lines[s + 2:s + 2 + 2 * n:2] == lines[2:2 + 2 * n:2]
                              for s in range(0, len(lines), 2 + 2 * n))), None)
    if old_count is None:
        raise SystemExit(f"{path}: not a translations file")
    size = 2 + 2 * old_count
    out = []
    for start in range(0, len(lines), size):
        section = lines[start:start + size]
        known = {}
        for english, translated in zip(section[2::2], section[3::2]):
            known.setdefault(english, translated)
        escaped = template_lines(texts)[2::2]
        out += section[:2]
        for text in escaped:
            out += [text, known.get(text, "")]
            if text not in known:
                print(f"{path}: {section[0]}: new text: {text}")
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--src", default=os.path.join(top, "src"))
    parser.add_argument("--out", default=os.path.join(top, "data", "~transl.dt"))
    parser.add_argument("--template", default=os.path.join(top, "data", "~transl.dt"))
    parser.add_argument("--translations", default=None)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--update", metavar="FILE")
    args = parser.parse_args()

    texts = collect(args.src)
    expected = template_lines(texts)
    if not args.check:
        with open(args.out, "w", encoding="utf-8", newline="\n") as f:
            f.write("\n".join(expected) + "\n")
        print(f"{args.out}: {len(texts)} texts")
        if args.update:
            update_translations(args.update, texts)
        return 0

    failed = False
    shipped = read_lines(args.template)
    shipped_texts = shipped[2::2]
    missing = [t for t in expected[2::2] if t not in shipped_texts]
    stale = [t for t in shipped_texts if t not in expected[2::2]]
    for text in missing:
        print(f"{args.template}: missing text: {text}")
    for text in stale:
        print(f"{args.template}: text no longer in the sources: {text}")
    if missing or stale or shipped != expected:
        if not missing and not stale:
            print(f"{args.template}: out of order or malformed")
        failed = True
    if args.translations:
        lines = read_lines(args.translations)
        for name, section in language_sections(lines, expected[2::2]):
            if section != expected[2::2]:
                absent = [t for t in expected[2::2] if t not in section]
                print(f"{args.translations}: language \"{name}\" does not follow the template"
                      + (f"; first missing text: {absent[0]}" if absent else ""))
                failed = True
    if failed:
        print("Run scripts/translation-template.py to write the template again, then translate the new texts.")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
