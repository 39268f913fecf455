#!/usr/bin/env python3
"""The gallery's index page shows beside every picture the code that drew it.

IndexCodeTest.py <gallery>: runs the gallery into a fresh folder under TMPDIR (removed on success) and reads
its index.html. Every entry must have a code panel that holds a call adding a picture and names the
component the picture shows (COMPONENTS: the first pattern matching the picture's file name); a picture
without a pattern fails too, so a new entry gets its component listed here. No two entries show the same
code (each shows the calls that make its picture differ), and every PNG file the gallery writes is on the
page (the input files it writes for its own use are BMP and XML files).
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

# (file name pattern, the name its code must use), first match wins.
COMPONENTS = [
    (r'canvas-', 'TCanvas'),
    (r'frame-styles', 'DrawFrame'),
    (r'marks-(0-51|characters)', 'DrawMarkOnCanvas'),
    (r'marks-as-bitmaps', 'CreateMarkAsBitmap'),
    (r'marks-printer', 'TPrinter'),
    (r'colors_lists', 'ColorArray_Rainbow'),
    (r'colors_interpolated', 'TColorArray'),
    (r'platform_form', 'TForm'),
    (r'(time)?scale-', 'TScale'),
    (r'plot3d-', 'TPlot3D'),
    (r'rot3d-', 'TRot3D'),
    (r'colorscale', 'TColorScale'),
    (r'gauge-', 'TScaleGauge'),
    (r'rchart-background-source', 'TBitmap'),
    (r'rchart-', 'TRChart'),
    (r'smith-', 'TSmithChart'),
    (r'widgets_form_picklist', 'TStringGrid'),
    (r'widgets_form_combo', 'TComboBox'),
    (r'widgets_speedbuttons', 'TSpeedButton'),
    (r'widgets_popupmenu', 'TPopupMenu'),
    (r'contourplot-', 'TContourPlot'),
    (r'boxplot', 'TBoxPlot'),
    (r'tableeditor', 'TNTabEd'),
    (r'minical_', 'TMiniCal'),
    (r'onoff-', 'TOnOffBut'),
    (r'marksel', 'TMarkSel'),
    (r'colsel', 'TColSel'),
    (r'gradfill', 'TGradFill'),
    (r'meter-', 'TMeter'),
    (r'geomap-symbols', 'DrawLandMarkSymbolOnCanvas'),
    (r'geomap-atlas', 'TGeoAtlas'),
    (r'geomap-', 'TGeoMap'),
    (r'chemgraph-', 'TChemGraph'),
    (r'molform-', 'TMolForm'),
    (r'numio2-', 'TNumIO2'),
    (r'numlab-', 'TNumLab'),
    (r'sevenseg-', 'TSevenSeg'),
    (r'rotlab-', 'TRotLab'),
    (r'replist', 'TReportListView'),
    (r'rasterlab-', 'TRasterLab'),
    (r'progbar-', 'TProgBar'),
    (r'thumbnails-', 'TThumbnails'),
]

ENTRY = re.compile(r'<div class="entry"><figure><img src="([^"]+)".*?</figure>\n(.*?)</div>\n', re.S)
PANEL = re.compile(r'<pre><code>(.*?)</code></pre>', re.S)
ADDS = re.compile(r'\bpage\.Add\(|\bAddShownForm\(')


def component(picture):
    for pattern, name in COMPONENTS:
        if re.match(pattern, picture):
            return name
    return None


def faults(page, pictures):
    """The faults of the index page, one line each."""
    found = []
    entries = ENTRY.findall(page)
    if len(entries) != page.count('<img '):
        found.append('the index has %d pictures, %d of them read as entries' % (page.count('<img '), len(entries)))
    listed = {picture for picture, _ in entries}
    for picture in sorted(pictures):
        if picture.endswith('.png') and picture not in listed:
            found.append('%s: written into the folder, but not on the page' % picture)
    shown = {}
    for picture, rest in entries:
        if picture not in pictures:
            found.append('%s: listed, but not in the folder' % picture)
        panel = PANEL.search(rest)
        code = html.unescape(re.sub(r'<[^>]+>', '', panel.group(1))) if panel else ''
        if panel and code in shown:
            found.append('%s: shows the same code as %s' % (picture, shown[code]))
        shown.setdefault(code, picture)
        name = component(picture)
        if name is None:
            found.append('%s: no component listed for it in IndexCodeTest.py' % picture)
        elif not panel:
            found.append('%s: no code' % picture)
        elif not ADDS.search(code):
            found.append('%s: the code holds no call that adds a picture:\n%s' % (picture, code))
        elif not re.search(r'\b%s\b' % re.escape(name), code):
            found.append('%s: the code does not name %s:\n%s' % (picture, name, code))
    return found


def main():
    gallery = sys.argv[1]
    work = tempfile.mkdtemp(prefix='qelta-index.', dir=os.environ.get('TMPDIR'))
    subprocess.run([gallery, work], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, 'index.html'), encoding='utf-8') as f:
        page = f.read()
    pictures = set(os.listdir(work))
    found = faults(page, pictures)
    for fault in found:
        print(fault, file=sys.stderr)
    if found:
        print('the index page is in %s' % work, file=sys.stderr)
        sys.exit(1)
    shutil.rmtree(work)
    print('%d entries, each with the code that names its component' % len(ENTRY.findall(page)))


if __name__ == '__main__':
    main()
