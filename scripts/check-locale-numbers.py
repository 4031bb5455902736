#!/usr/bin/env python3
"""Fails when program code converts a number through the process locale.

A German desktop sets LC_NUMERIC to a decimal comma: strtod stops at the "." of
"36.5", printf writes "36,5", QLocale() formats "36,5". Numbers must go through the
locale-free helpers (track/numbertext.h, std::to_chars/from_chars, QString::number).

The only place where the C library's conversions may run is the telemetry library's
C-locale section: the rest of a block that opens a `KalCLocaleScope`, or the body of
a function that takes one as a parameter (it can only be called while one is open).

Comments are removed before anything is matched, so neither a commented-out call nor
a comment naming KalCLocaleScope counts; string literals are kept, since the
printf-family formats live in them.

Usage: check-locale-numbers.py [ROOT]    scan the program's source folders
       check-locale-numbers.py --self-test
"""
import os
import re
import sys

SOURCE_DIRS = ["telemetry", "track", "cli", "core", "service", "widgets", "instruments",
               "playback", "library", "net", "app"]
SECTION_DIR = "telemetry"

# C and C++ conversions that read or write through LC_NUMERIC.
LOCALE_CALLS = re.compile(
    r"(?<![\w.>])(?:std\s*::\s*)?(strtof|strtod|strtold|wcstof|wcstod|wcstold|atof|stof|stod|stold)\s*\(")
# printf/scanf family: flagged when the format is not a literal or has a floating conversion.
FORMAT_CALLS = re.compile(
    r"(?<![\w.>])(?:std\s*::\s*|QString\s*::\s*)?"
    r"(printf|fprintf|sprintf|snprintf|dprintf|vprintf|vfprintf|vsprintf|vsnprintf|asprintf|vasprintf|"
    r"scanf|sscanf|fscanf|vscanf|vsscanf|vfscanf|qsnprintf|qvsnprintf)\s*\(")
# Which argument holds the format.
FORMAT_ARG = {"printf": 0, "vprintf": 0, "scanf": 0, "vscanf": 0, "asprintf": 0, "vasprintf": 0,
              "fprintf": 1, "vfprintf": 1, "sprintf": 1, "vsprintf": 1, "dprintf": 1, "sscanf": 1,
              "fscanf": 1, "vsscanf": 1, "vfscanf": 1,
              "snprintf": 2, "vsnprintf": 2, "qsnprintf": 2, "qvsnprintf": 2}
FLOAT_CONVERSION = re.compile(r"%[-+ #0']*(?:\d+|\*)?(?:\.(?:\d+|\*)?)?(?:hh|h|ll|l|L|q|j|z|t)?[fFeEgGaA]")
# Qt: reading a number out of text, and formatting with the user's locale.
QT_CONVERSIONS = [
    (re.compile(r"\.\s*(toDouble|toFloat)\s*\("), "toDouble/toFloat on text"),
    (re.compile(r"\bQLocale\s*(?:\(\s*\)|::\s*system\s*\(\s*\))\s*\.\s*(toString|toDouble|toFloat)\b"),
     "QLocale formatting or parsing"),
    (re.compile(r"\bQLocale\s+\w+\s*[;({]"), "a QLocale object (formats with the user's locale)"),
    (re.compile(r"\blocale\s*::\s*global\s*\("), "std::locale::global"),
]
ARG_LOCALE = re.compile(r"%L\d")


def strip_comments(text):
    """Blanks out comments, keeping every newline and every string and character literal."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^()\\ ]{0,16})\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i + m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(text[i:j])
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(text[i:j])
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def blank_literals(code):
    """Same text with the contents of every literal blanked (for brace and paren matching)."""
    def blank(m):
        s = m.group(0)
        return s[0] + " " * (len(s) - 2) + s[-1]
    return re.sub(r'"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', blank, code)


def matching(bare, start, open_ch, close_ch):
    """Index just after the bracket that closes the one at start."""
    depth = 0
    for k in range(start, len(bare)):
        if bare[k] == open_ch:
            depth += 1
        elif bare[k] == close_ch:
            depth -= 1
            if depth == 0:
                return k + 1
    return len(bare)


def enclosing_block_end(bare, pos):
    """End of the innermost { } block that contains pos."""
    depth = 0
    for k in range(pos, len(bare)):
        if bare[k] == "{":
            depth += 1
        elif bare[k] == "}":
            if depth == 0:
                return k + 1
            depth -= 1
    return len(bare)


def c_locale_sections(bare):
    """(start, end) spans of the C-locale section in one file of the telemetry library."""
    spans = []
    # A scope object declared in a block covers the rest of that block.
    for m in re.finditer(r"\bKalCLocaleScope\s+\w+\s*(?:;|\{\s*\}\s*;)", bare):
        spans.append((m.start(), enclosing_block_end(bare, m.end())))
    # A function that takes the scope as a parameter: its body.
    for m in re.finditer(r"\b\w+\s*\(", bare):
        close = matching(bare, m.end() - 1, "(", ")")
        params = bare[m.end():close - 1]
        if not re.search(r"\bKalCLocaleScope\s*&", params):
            continue
        rest = bare[close:]
        body = re.match(r"\s*(?:const\s*)?(?:noexcept\s*)?\{", rest)
        if body:
            open_at = close + body.end() - 1
            spans.append((open_at, matching(bare, open_at, "{", "}")))
    return spans


def split_args(args_bare, args_code):
    parts, depth, last = [], 0, 0
    for k, ch in enumerate(args_bare):
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
        elif ch == "," and depth == 0:
            parts.append(args_code[last:k])
            last = k + 1
    parts.append(args_code[last:])
    return parts


def literal_text(arg):
    """The characters of an argument made only of adjacent string literals, else None."""
    arg = arg.strip()
    pieces = re.findall(r'(?:u8|u|U|L)?"((?:\\.|[^"\\\n])*)"', arg)
    rest = re.sub(r'(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*"', "", arg).strip()
    if not pieces or rest:
        return None
    return "".join(pieces)


def findings_in(path, text, in_section_dir):
    code = strip_comments(text)
    bare = blank_literals(code)
    spans = c_locale_sections(bare) if in_section_dir else []

    def allowed(pos):
        return any(a <= pos < b for a, b in spans)

    def line_of(pos):
        return code.count("\n", 0, pos) + 1

    found = []
    for m in LOCALE_CALLS.finditer(bare):
        if not allowed(m.start()):
            found.append((line_of(m.start()), m.group(1) + " reads through the locale"))
    for m in FORMAT_CALLS.finditer(bare):
        if allowed(m.start()):
            continue
        name = m.group(1)
        close = matching(bare, m.end() - 1, "(", ")")
        args = split_args(bare[m.end():close - 1], code[m.end():close - 1])
        index = FORMAT_ARG[name]
        fmt = literal_text(args[index]) if index < len(args) else None
        if fmt is None:
            found.append((line_of(m.start()), name + " with a format that is not a literal"))
        elif FLOAT_CONVERSION.search(fmt.replace("%%", "")):
            found.append((line_of(m.start()), name + " with a floating conversion"))
    for pattern, what in QT_CONVERSIONS:
        for m in pattern.finditer(bare):
            if not allowed(m.start()):
                found.append((line_of(m.start()), what))
    for m in re.finditer(r'"(?:\\.|[^"\\\n])*"', code):
        if ARG_LOCALE.search(m.group(0)) and not allowed(m.start()):
            found.append((line_of(m.start()), "%L placeholder (formats with the user's locale)"))
    return sorted(set(found))


def scan(root):
    failures = []
    for folder in SOURCE_DIRS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h", ".c", ".hpp", ".cc")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                rel = os.path.relpath(path, root)
                for line, what in findings_in(rel, text, folder == SECTION_DIR):
                    failures.append(f"{rel}:{line}: {what}")
    return failures


SELF_TESTS = [
    # (in telemetry/, code, findings expected)
    (False, 'float f(const char* t) { return std::strtof(t, nullptr); }', 1),
    (False, 'std::string s = QString::number(v).toStdString(); // strtod(t) atof(x)', 0),
    (False, '/* snprintf(b, 9, "%.1f", v); */ int x = 0;', 0),
    (False, 'snprintf(buf, sizeof buf, "%02d:%02d", h, m);', 0),
    (False, 'snprintf(buf, sizeof buf, "%.1f" "KMH", v);', 1),
    (False, 'snprintf(buf, sizeof buf, "100%%f", v);', 0),
    (False, 'snprintf(buf, sizeof buf, fmt, v);', 1),
    (False, 'auto s = QString::asprintf("X:%.4f", x);', 1),
    (False, 'const char* t = "atof(x) strtod(y) in a message";', 0),
    (False, 'double d = text.toDouble(&ok);', 1),
    (False, 'QString t = QLocale().toString(36.5);', 1),
    (False, 'QString t = QLocale::c().toString(36.5);', 0),
    (False, 'QString t = tr("%L1 km").arg(v);', 1),
    (False, 'int n = std::sscanf(t, "%d/%d/%d", &y, &m, &d);', 0),
    (False, 'double d = my_strtod_wrapper(t) + obj.atof_count;', 0),
    # The section: only code under an open scope, or in a function that takes one.
    (True, 'void f() { KalCLocaleScope c; sscanf(t, "%f", &v); }', 0),
    (True, 'void f() { sscanf(t, "%f", &v); KalCLocaleScope c; }', 1),
    (True, 'void f() { { KalCLocaleScope c; } sscanf(t, "%f", &v); }', 1),
    (True, 'void f() { // KalCLocaleScope c;\n sscanf(t, "%f", &v); }', 1),
    (True, 'void g(const char* t, const KalCLocaleScope&) { sscanf(t, "%f", &v); }', 0),
    (True, 'void g(const char* t /* const KalCLocaleScope& */) { sscanf(t, "%f", &v); }', 1),
    (False, 'void f() { KalCLocaleScope c; sscanf(t, "%f", &v); }', 1),  # only in the library
]


def self_test():
    bad = 0
    for in_section, code, expected in SELF_TESTS:
        got = findings_in("self-test.cpp", code, in_section)
        if len(got) != expected:
            print(f"self-test: expected {expected} finding(s), got {got} for: {code!r}")
            bad += 1
    return bad


def main(argv):
    if len(argv) > 1 and argv[1] == "--self-test":
        bad = self_test()
        print(f"locale check self-test: {len(SELF_TESTS) - bad}/{len(SELF_TESTS)} cases right")
        return 1 if bad else 0
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    failures = scan(root)
    for f in failures:
        print(f)
    if failures:
        print(f"{len(failures)} locale-dependent number conversion(s) outside the telemetry "
              "library's C-locale section; use track/numbertext.h, std::to_chars/from_chars "
              "or QString::number")
        return 1
    print("locale check: no locale-dependent number conversion outside the C-locale section")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
