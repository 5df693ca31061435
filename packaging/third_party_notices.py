#!/usr/bin/env python3
"""Writes a package's third-party notices from the installed components' own licence files:

    third_party_notices.py OUTPUT --title TEXT --intro TEXT [--crlf] [--depfile PATH]
        (--component NAME ABOUT TEXTS...)...

where each of the component's TEXTS is one of
    --file LABEL PATH               the whole file
    --excerpt LABEL PATH FIRST END  the lines from the first that starts with FIRST up to the
                                    next that starts with END
    --copyright-lines LABEL DIR     the distinct copyright lines of the files under DIR
    --dep5 LABEL PATH SELECTORS     from a machine-readable Debian copyright file, the paragraphs
                                    that state the copyright and licence of the files that the
                                    space-separated globs SELECTORS name, the licence paragraphs
                                    they name, and the files those point to with Reference:

Every text is copied as it stands; a text that cannot be found, or comes out empty, is an error,
so the notices never silently lose a licence. The depfile names every file read, so the build
writes the notices again when one of them changes."""
import fnmatch
import os
import re
import sys
import textwrap

WIDTH = 78
RULE = "=" * WIDTH


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def whole_file(path):
    return [path], read(path)


def excerpt(path, first, end):
    lines = read(path).splitlines()
    start = next((i for i, line in enumerate(lines) if line.startswith(first)), None)
    if start is None:
        raise ValueError(f"{path} has no line that starts with {first!r}")
    stop = next((i for i in range(start + 1, len(lines)) if lines[i].startswith(end)), None)
    if stop is None:
        raise ValueError(f"{path} has no line that starts with {end!r} after {first!r}")
    return [path], "\n".join(lines[start:stop])


def copyright_lines(directory):
    found, read_files = set(), []
    for folder, _, names in sorted(os.walk(directory)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            read_files.append(path)
            with open(path, encoding="utf-8", errors="replace") as file:
                for line in file:
                    if "copyright (c)" in line.lower():
                        found.add(line.strip(" \t\r\n*/#-"))
    return read_files, "\n".join(sorted(found))


def paragraphs(text):
    """A machine-readable copyright file's paragraphs, each as its lines."""
    result = [[]]
    for line in text.splitlines():
        if line.strip():
            result[-1].append(line)
        elif result[-1]:
            result.append([])
    return [paragraph for paragraph in result if paragraph]


def field(paragraph, name):
    """A field's value: the rest of its first line and its continuation lines, or None."""
    for i, line in enumerate(paragraph):
        if line.startswith(name + ":"):
            value = [line[len(name) + 1:]]
            for more in paragraph[i + 1:]:
                if more[:1] not in (" ", "\t"):
                    break
                value.append(more)
            return "\n".join(value)
    return None


def licence_line(paragraph):
    """The first line of a paragraph's License field, which names the licence."""
    return (field(paragraph, "License") or "").partition("\n")[0]


def licence_names(expression):
    """The licences an expression such as "Expat or NCSA~LLVM" or "Apache-2.0 with LLVM
    exception" names, itself included; in lower case, as the format compares them."""
    expression = expression.strip().lower()
    plain = re.sub(r"\s+with\s+\S+\s+exception", "", expression)
    return {expression, plain} | {name.strip(" ,()") for name in re.split(r"\s+(?:or|and)\s+", plain)}


def dep5(path, selectors):
    """What a copyright file says of the files the selectors name. A paragraph applies to a
    selector when its Files cover all of the selector's files and no later paragraph does (the
    format's rule: the last match wins), or when its Files lie within the selector's and come
    after that one."""
    read_files = [path]
    blocks = paragraphs(read(path))
    files = [(field(block, "Files") or "").split() for block in blocks]
    chosen = set()
    for selector in selectors:
        covering = [i for i, patterns in enumerate(files)
                    if any(fnmatch.fnmatchcase(selector, pattern) for pattern in patterns)]
        if not covering:
            raise ValueError(f"{path} states nothing of {selector}")
        chosen.add(covering[-1])
        chosen.update(i for i, patterns in enumerate(files) if i > covering[-1]
                      and any(fnmatch.fnmatchcase(pattern, selector) for pattern in patterns))
    names = set()
    for i in chosen:
        names |= licence_names(licence_line(blocks[i]))
    texts = ["\n".join(blocks[i]) for i in sorted(chosen)]
    for block in blocks:
        if field(block, "Files") is None and licence_line(block).strip().lower() in names:
            texts.append("\n".join(block))
            reference = field(block, "Reference")
            if reference and os.path.isfile(reference.strip()):
                read_files.append(reference.strip())
                texts.append(read(reference.strip()).rstrip())
    return read_files, "\n\n".join(texts)


# Each kind of text: its number of values (the label first), and what reads it from the rest.
TEXTS = {"--file": (2, whole_file),
         "--excerpt": (4, excerpt),
         "--copyright-lines": (2, copyright_lines),
         "--dep5": (3, lambda path, selectors: dep5(path, selectors.split()))}
SETTINGS = {"--title": 1, "--intro": 1, "--depfile": 1, "--crlf": 0}


def parse(arguments):
    """The settings, the --component groups, each as (name, about, [(label, text)]), and every
    file read."""
    settings, groups, read_files = {}, [], []
    i = 0
    while i < len(arguments):
        option = arguments[i]
        if option == "--component":
            count = 2
        elif option in SETTINGS:
            count = SETTINGS[option]
        elif option in TEXTS and groups:
            count = TEXTS[option][0]
        else:
            raise ValueError(f"unexpected argument {option!r}")
        values = arguments[i + 1:i + 1 + count]
        if len(values) < count:
            raise ValueError(f"{option} needs {count} values")
        if option == "--component":
            groups.append((values[0], values[1], []))
        elif option in SETTINGS:
            settings[option] = values[0] if values else True
        else:
            files, text = TEXTS[option][1](*values[1:])
            if not text.strip():
                raise ValueError(f"{option} {' '.join(values)} gives no text")
            read_files += files
            groups[-1][2].append((values[0], text.rstrip()))
        i += 1 + count
    if "--title" not in settings or "--intro" not in settings or not groups:
        raise ValueError("--title, --intro and at least one --component are needed")
    return settings, groups, read_files


def notices(title, intro, groups):
    lines = [title, "=" * len(title), "", textwrap.fill(intro, WIDTH), ""]
    lines += [textwrap.fill(f"{number}. {name}: {about}", WIDTH, initial_indent="  ", subsequent_indent="     ")
              for number, (name, about, _) in enumerate(groups, 1)]
    for number, (name, _, texts) in enumerate(groups, 1):
        lines += ["", "", RULE, f"{number}. {name}", RULE]
        for label, text in texts:
            lines += ["", f"--- {label}:", "", text]
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    output = sys.argv[1]
    try:
        settings, groups, read_files = parse(sys.argv[2:])
    except (OSError, ValueError) as error:
        sys.exit(f"third_party_notices.py: {error}")
    newline = "\r\n" if settings.get("--crlf") else "\n"
    with open(output, "w", encoding="utf-8", newline=newline) as file:
        file.write(notices(settings["--title"], settings["--intro"], groups))
    if "--depfile" in settings:
        with open(settings["--depfile"], "w", encoding="utf-8") as file:
            escaped = [path.replace(" ", "\\ ") for path in dict.fromkeys([output] + read_files)]
            file.write(escaped[0] + ": " + " ".join(escaped[1:]) + "\n")


if __name__ == "__main__":
    main()
