#!/usr/bin/env python3
"""The API reference (`make docs`): Doxygen over the installed headers, one page per unit.

make-docs.py GALLERY_DIR OUT_DIR, from the source tree, after the gallery has drawn into GALLERY_DIR:
- the installed headers are the HEADERS of each library's qelta_library call;
- each gallery picture belongs to the units whose names the code that drew it uses (the function of its
  Add call in examples/gallery/<Topic>Gallery.cpp; where that names none, the topic's own units);
- Doxygen runs with docs/Doxyfile.in, reading each header through scripts/doxy-filter.py, into OUT_DIR/html.
Any Doxygen warning fails the run (a broken reference, a comment or header it cannot read), and so does a
header without its datasheet or without its page.
"""
import html
import importlib.util
import json
import pathlib
import re
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LIBRARIES = ['platform', 'foundation', 'numerics', 'charts', 'controls', 'maps', 'chemistry']
IDENT = re.compile(r'\b[A-Za-z_]\w*\b')


def installed_headers():
    """{header path: library target} from the HEADERS of each library's qelta_library call."""
    headers = {}
    for lib in LIBRARIES:
        text = (ROOT / lib / 'CMakeLists.txt').read_text()
        m = re.search(r'qelta_library\(\s*(\w+)\s+\w+\s+HEADERS\s+(.*?)\s+SOURCES', text, re.S)
        if not m:
            sys.exit('make-docs: no qelta_library HEADERS in %s/CMakeLists.txt' % lib)
        for name in m.group(2).split():
            headers['%s/%s' % (lib, name)] = m.group(1)
    return headers


def declared_names(header):
    """(types, functions) a header declares: what a gallery entry using the unit names."""
    text = (ROOT / header).read_text()
    types = set(re.findall(r'^\s*(?:class|struct|enum(?:\s+class)?|union)\s+(?:QELTA_\w+\s+)?(\w+)\s*[:{]',
                           text, re.M))
    types |= set(re.findall(r'^\s*using\s+(\w+)\s*=', text, re.M))
    functions = set(re.findall(r'^[A-Za-z][\w:<>,*& ]*?[\s*&]([A-Z]\w+)\s*\(', text, re.M))
    return {n for n in types if len(n) > 2}, {n for n in functions if len(n) > 2}


def top_level_chunks(source):
    """The topic file's code (comments and preprocessor lines left out) cut at each top-level closing
    brace: roughly one function per chunk."""
    chunks, current = [], []
    for line in source.split('\n'):
        line = re.sub(r'//.*', '', line) if not line.startswith('#') else ''
        current.append(line)
        if line.startswith('}'):
            chunks.append('\n'.join(current))
            current = []
    chunks.append('\n'.join(current))
    return chunks


# Platform units every gallery entry stands on: a picture shows them only when it shows nothing else.
SUPPORT = {'Graphics.h': 2, 'Forms.h': 2, 'Controls.h': 2, 'Testing.h': 3, 'SysUtils.h': 3, 'StrUtils.h': 3,
           'Encoding.h': 3, 'Types.h': 3, 'Classes.h': 3, 'DateUtils.h': 3, 'Math.h': 3, 'TextFiles.h': 3}


def tier(header):
    """0 for a component library's unit, 1 for a platform unit a picture may be about, 2-3 for support."""
    return SUPPORT.get(header.split('/')[-1], 1) if header.startswith('platform/') else 0


def gallery_units(headers):
    """{picture file: [headers]} for every picture the topic files add: the units of the best tier whose
    names the picture's code uses (a picture of a component belongs to it, not to what it stands on)."""
    by_file = {h.split('/')[-1]: h for h in headers}
    declared = {h: declared_names(h) for h in headers}
    common = re.findall(r'#include "([^"]+)"', (ROOT / 'examples/gallery/Gallery.h').read_text())
    pictures = {}
    for topic in sorted((ROOT / 'examples/gallery').glob('*Gallery.cpp')):
        source = topic.read_text()
        included = [by_file[f] for f in re.findall(r'#include "([^"]+)"', source) + common if f in by_file]
        best = min(tier(h) for h in included)
        own = [h for h in included if tier(h) == best]
        chunks = top_level_chunks(source)
        helpers = {m.group(1): set(IDENT.findall(c)) for c in chunks
                   for m in [re.search(r'^\w[\w:<>*& ]*?\b(\w+)\(', c, re.M)] if m}
        for chunk in chunks:
            idents = set(IDENT.findall(chunk))
            idents |= set().union(*(helpers[i] for i in idents & helpers.keys()))  # the helpers it calls
            # Rank: the unit's tier, then whether the code names its types or only calls its functions.
            rank = {h: (tier(h), not declared[h][0] & idents) for h in included
                    if (declared[h][0] | declared[h][1]) & idents}
            units = [h for h in rank if rank[h] == min(rank.values())] if rank else own
            for picture in re.findall(r'"([\w-]+\.png)"', chunk):
                pictures.setdefault(picture, sorted(set(units)))
    return pictures


def captions(gallery_dir):
    """{picture file: caption} from the gallery's index page, in the page's order."""
    page = (gallery_dir / 'index.html').read_text()
    return {src: html.unescape(alt) for src, alt in re.findall(r'<img src="([^"]+)" alt="([^"]*)"', page)}


def version():
    """major.minor.patch from the macros of Version.h."""
    text = (ROOT / 'platform/runtime/Version.h').read_text()
    parts = ('MAJOR', 'MINOR', 'PATCH')
    return '.'.join(re.search(r'#define QELTA_VERSION_%s (\d+)' % p, text).group(1) for p in parts)


def write_units(headers, gallery_dir, out):
    """The filter's table: each header's library group and its gallery pictures with their captions."""
    shown = gallery_units(headers)
    units = {h: {'group': target, 'pictures': []} for h, target in headers.items()}
    for picture, caption in captions(gallery_dir).items():
        for header in shown.get(picture, []):
            units[header]['pictures'].append({'file': picture, 'caption': caption})
    path = out / 'units.json'
    path.write_text(json.dumps({'root': str(ROOT), 'headers': units}, indent=1))
    return path


def write_doxyfile(headers, gallery_dir, units, out):
    template = (ROOT / 'docs/Doxyfile.in').read_text()
    values = {
        'VERSION': version(),
        'ROOT': str(ROOT),
        'OUT': str(out),
        'INPUT': ' '.join([str(ROOT / 'docs/reference/mainpage.dox')] + [str(ROOT / h) for h in headers]),
        'INCLUDE_DIRS': ' '.join(str(p) for p in sorted({(ROOT / h).parent for h in headers})),
        'IMAGE_PATH': str(gallery_dir),
        'FILTER': '%s %s %s' % (sys.executable, ROOT / 'scripts/doxy-filter.py', units),
    }
    text = re.sub(r'@(\w+)@', lambda m: values[m.group(1)], template)
    path = out / 'Doxyfile'
    path.write_text(text)
    return path


def filter_faults(headers, units):
    """What the filter refuses (a header without its datasheet): Doxygen would only skip such a header."""
    spec = importlib.util.spec_from_file_location('doxy_filter', ROOT / 'scripts/doxy-filter.py')
    doxy_filter = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(doxy_filter)
    table = json.loads(units.read_text())
    faults = []
    for header in headers:
        try:
            doxy_filter.filtered(str(ROOT / header), table)
        except ValueError as e:
            faults.append('make-docs: %s' % e)
    return faults


def namespace_classes(header):
    """Classes the header defines at namespace level (column 0), outside the internal namespaces."""
    classes, internal = [], False
    for line in (ROOT / header).read_text().split('\n'):
        if line.startswith('namespace '):
            internal = '_detail' in line
        elif line.startswith('}') and '// namespace' in line:
            internal = False
        m = re.match(r'(?:class|struct)\s+(?:QELTA_\w+\s+)?(\w+)[^;]*$', line)
        if m and not internal:
            classes.append(m.group(1))
    return classes


def page_faults(headers, out):
    """Every header has its page in the tag file Doxygen wrote, listing each class the header defines (a
    header Doxygen cannot follow, an unclosed brace for one, loses its classes into another's scope)."""
    tags = (out / 'qelta.tag').read_text()
    namespaces = set(re.findall(r'<compound kind="namespace">\s*<name>([^<]+)</name>', tags))
    files = {}
    for m in re.finditer(r'<compound kind="file">\s*<name>([^<]+)</name>(.*?)</compound>', tags, re.S):
        found = re.findall(r'<class kind="\w+">(.+)::(\w+)</class>', m.group(2))
        files[m.group(1)] = {name for scope, name in found if scope in namespaces}
    faults = []
    for header in headers:
        name = header.split('/')[-1]
        if name not in files:
            faults.append('make-docs: %s has no page in the reference' % header)
            continue
        lost = [c for c in namespace_classes(header) if c not in files[name]]
        if lost:
            faults.append('make-docs: %s: the reference lost %s (does the header parse?)' % (header, ', '.join(lost)))
    return faults


def main():
    gallery_dir, out = pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()
    out.mkdir(parents=True, exist_ok=True)
    headers = installed_headers()
    units = write_units(headers, gallery_dir, out)
    faults = filter_faults(headers, units)
    if faults:
        sys.exit('\n'.join(faults))
    doxyfile = write_doxyfile(headers, gallery_dir, units, out)
    shutil.rmtree(out / 'html', ignore_errors=True)  # no page of a unit that is gone
    log = out / 'warnings.log'
    log.unlink(missing_ok=True)
    run = subprocess.run(['doxygen', str(doxyfile)], cwd=ROOT, stdout=subprocess.DEVNULL)
    warnings = log.read_text().strip() if log.exists() else ''
    faults = page_faults(headers, out) if run.returncode == 0 else []
    if run.returncode != 0 or warnings or faults:
        print('\n'.join([warnings] + faults), file=sys.stderr)
        sys.exit('make-docs: the reference has faults (Doxygen exit %d)' % run.returncode)
    print('docs: %d units, reference in %s/html/index.html' % (len(headers), out))


if __name__ == '__main__':
    main()
