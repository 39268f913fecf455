#!/usr/bin/env python3
"""Doxygen's input filter for the installed headers (run by scripts/make-docs.py through the Doxyfile).

doxy-filter.py UNITS_JSON HEADER prints the header as Doxygen should read it:
- the datasheet (the `//` comment under `#pragma once`) becomes the file's own documentation, so each
  unit's page opens with it; `#pragma once` gives way to the comment's opening, so line numbers stay;
- the text of every doc comment has Doxygen's special characters escaped outside `code` spans: the
  comments are plain prose (a "<name>" or "#if" is meant as written, not as a tag or a link); only a
  backslash command (\ref, \c, ...) is read as one;
- a block at the end puts the file into its library's group and shows the gallery's pictures of it.
UNITS_JSON maps a header's path (relative to the source tree) to its library group and pictures.
"""
import json
import os
import re
import sys

# A backslash before a letter starts a command (\ref, \c) and stays one: a broken reference must show.
SPECIAL = re.compile(r'([@<>&#%$]|\\(?![A-Za-z]))')
CODE_SPAN = re.compile(r'(`[^`]*`)')


def escape(text):
    """Doxygen's special characters of prose escaped; `code` spans are kept as they stand."""
    parts = CODE_SPAN.split(text)
    return ''.join(p if p.startswith('`') and p.endswith('`') and len(p) > 1 else SPECIAL.sub(r'\\\1', p)
                   for p in parts)


LABEL = re.compile(r"^([A-Z][\w' -]{0,30}):(?=\s|$)")


def comment_text(line):
    """The escaped text of a `//` line, without the slashes; a `*/` in it would end the doc comment."""
    return escape(re.sub(r'^\s*// ?', '', line)).replace('*/', '*<span></span>/')


def sheet_line(line):
    """A datasheet line below the first as doc text: a line opening with a label ("How:", "Limits:") starts a
    paragraph."""
    return LABEL.sub(r'<p><b>\1:</b>', comment_text(line))


def datasheet_end(lines):
    """Index after the datasheet: the run of `//` lines that follows `#pragma once`."""
    end = 1
    while end < len(lines) and lines[end].lstrip().startswith('//') and not lines[end].lstrip().startswith('///'):
        end += 1
    return end


def doc_line(line):
    """A `///` comment line with its text escaped; other lines unchanged."""
    m = re.match(r'^(\s*///<?)(.*)$', line)
    return m.group(1) + escape(m.group(2)) if m else line


def unit_block(unit):
    """The closing doc comment: the library group and the gallery's pictures of the unit."""
    out = ['/** \\file', '\\ingroup ' + unit['group']]
    if unit['pictures']:
        out += ['', '\\par Gallery',
                "The gallery's pictures of this unit; `make demo` draws them with the code of each into "
                'build/gallery/index.html.']
        for picture in unit['pictures']:
            caption = picture['caption'].replace('"', "'")
            out.append('\\image html %s "%s"' % (picture['file'], escape(caption)))
    out.append('*/')
    return out


def filtered(header, units):
    """The header's text as Doxygen reads it; ValueError when the header has no datasheet or no unit."""
    key = os.path.relpath(os.path.abspath(header), units['root'])
    if key not in units['headers']:
        raise ValueError('%s is not an installed header' % header)
    with open(header, encoding='utf-8') as f:
        lines = f.read().split('\n')
    end = datasheet_end(lines)
    if lines[0].strip() != '#pragma once' or end == 1:
        raise ValueError('%s does not open with #pragma once and its datasheet comment' % header)
    sheet = [comment_text(lines[1])] + [sheet_line(line) for line in lines[2:end]]
    sheet[-1] += ' */'
    out = ['/** \\file'] + sheet + [doc_line(line) for line in lines[end:]] + unit_block(units['headers'][key])
    return '\n'.join(out) + '\n'


def main():
    with open(sys.argv[1], encoding='utf-8') as f:
        units = json.load(f)
    try:
        sys.stdout.write(filtered(sys.argv[2], units))
    except ValueError as e:
        sys.exit('doxy-filter: %s' % e)


if __name__ == '__main__':
    main()
