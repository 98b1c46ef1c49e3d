#!/usr/bin/env python3
"""Turns the one manual source into a roff page per program.

The source is plain text with a little markup:
  % text                a comment
  %link NAME TARGET     NAME.1 is a page that includes TARGET.1
  @NAME ... @end        lines only in the page of program NAME; every NAME used makes a page
  # TITLE, ## Title     a section, a subsection
  - term                a tagged paragraph; its text follows indented by four blanks
  ```                   starts and ends an example, printed as written
  **bold**, *italic*, `literal` (bold, hyphens kept as minus signs)
  {program}             the name of the page's program
A blank line ends a paragraph.
"""
import argparse
import pathlib
import re
import sys

INLINE = re.compile(r"\*\*(.+?)\*\*|`(.+?)`|\*(.+?)\*")


class SourceError(Exception):
    pass


def escape(text):
    """Plain text as roff: backslashes kept, option dashes and dashes between blanks as minus signs."""
    text = text.replace("\\", "\\e")
    return re.sub(r"(^|[\s\[(|])(-+)", lambda m: m.group(1) + "\\-" * len(m.group(2)), text)


def inline(text):
    out = []
    at = 0
    for match in INLINE.finditer(text):
        out.append(escape(text[at : match.start()]))
        bold, literal, italic = match.groups()
        if literal is not None:
            out.append("\\fB" + literal.replace("\\", "\\e").replace("-", "\\-") + "\\fR")
        elif bold is not None:
            out.append("\\fB" + inline(bold) + "\\fR")
        else:
            out.append("\\fI" + inline(italic) + "\\fR")
        at = match.end()
    out.append(escape(text[at:]))
    return "".join(out)


def text_line(text):
    line = inline(text.strip())
    # A line starting with a dot or an apostrophe would be taken for a request.
    return "\\&" + line if line[:1] in (".", "'") else line


def heading(text):
    return '"' + text.replace('"', '""') + '"' if " " in text else text


def select(lines, program):
    """The lines of one program's page, and the programs the source names."""
    chosen, names, only = [], set(), None
    for number, line in enumerate(lines, 1):
        if line.startswith("@"):
            word = line[1:].strip()
            if word == "end":
                if only is None:
                    raise SourceError(f"line {number}: @end without a block")
                only = None
            elif only is not None:
                raise SourceError(f"line {number}: @{word} inside @{only}")
            elif not re.fullmatch(r"[a-z][a-z0-9-]*", word):
                raise SourceError(f"line {number}: bad program name @{word}")
            else:
                only = word
                names.add(word)
            continue
        if line.startswith("%"):
            continue
        if only is None or only == program:
            chosen.append(line)
    if only is not None:
        raise SourceError(f"@{only} is not closed by @end")
    return chosen, names


def roff(lines, program, title_date, version):
    out = [f'.TH {program.upper()} 1 "{title_date}" "Quenzel {version}" "User Commands"']
    in_example = False
    paragraph_open = False
    for raw in lines:
        line = raw.replace("{program}", program)
        if line.strip() == "```":
            out.append(".RS\n.nf" if not in_example else ".fi\n.RE")
            in_example = not in_example
            paragraph_open = False
            continue
        if in_example:
            out.append(text_line(line) if line.strip() else "")
            continue
        if not line.strip():
            paragraph_open = False
            continue
        if line.startswith("## "):
            out.append(".SS " + heading(line[3:].strip()))
            paragraph_open = True
        elif line.startswith("# "):
            out.append(".SH " + heading(line[2:].strip()))
            paragraph_open = True
        elif line.startswith("- "):
            out.append(".TP\n" + text_line(line[2:]))
            paragraph_open = True
        else:
            if not paragraph_open:
                # An indented paragraph after a blank line goes on under the last tag.
                out.append(".IP" if line.startswith("    ") else ".PP")
            out.append(text_line(line))
            paragraph_open = True
    if in_example:
        raise SourceError("an example is not closed")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("outdir", type=pathlib.Path)
    parser.add_argument("--date", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()

    lines = args.source.read_text(encoding="utf-8").splitlines()
    try:
        for number, line in enumerate(lines, 1):
            if not line.isascii():
                raise SourceError(f"line {number}: only ASCII is written into the pages")
        _, programs = select(lines, None)
        if not programs:
            raise SourceError("the source names no program")
        args.outdir.mkdir(parents=True, exist_ok=True)
        for program in sorted(programs):
            page, _ = select(lines, program)
            (args.outdir / f"{program}.1").write_text(roff(page, program, args.date, args.version), encoding="utf-8")
        for line in lines:
            if line.startswith("%link "):
                name, target = line.split()[1:3]
                if target not in programs:
                    raise SourceError(f"{name} links to {target}, which has no page")
                (args.outdir / f"{name}.1").write_text(f".so man1/{target}.1\n", encoding="utf-8")
    except SourceError as error:
        sys.exit(f"{args.source}: {error}")


if __name__ == "__main__":
    main()
