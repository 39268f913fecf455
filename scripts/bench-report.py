#!/usr/bin/env python3
"""The performance page (`make bench`): runs every benchmark program once and writes docs/performance.md.

bench-report.py [BUILD_DIR] [-o PAGE] [--only NAME ...] [--json-dir DIR] [-- ARGS FOR EVERY PROGRAM], after
BUILD_DIR (default build-bench) is built with QELTA_BUILD_BENCH=ON:
- runs BUILD_DIR/bench/bench_* one after the other, each writing its results as JSON (the console output
  goes on to the terminal), and measures each program's wall time and CPU time (user + system);
- writes the page: the machine, compiler, OpenBLAS core type and load, a summary of the programs with
  their times, then one table per program, what its source's opening comment says it compares and one line
  per row: ours, the anchor, the ratio ours / anchor, and the number of interleaved repetitions it is the
  median of. A row counts as compared when it has a `ratio` counter (bench/SideBySide.h gives `ours_s`,
  `anchor_s`, `ratio`, `ratio_lo`, `ratio_hi`); where `anchor_s` or `ours_s` is missing they are taken from
  the row's time and ratio. Rows without a ratio are listed as such.
- waits (up to ten minutes) for the 1-minute load average to fall below 1.5 before the first program; runs a
  row whose spread is wider than 2x again on its own (up to twice) and keeps the narrowest run; names on the
  terminal every row with fewer than 5 interleaved repetitions.
Fails (after writing the page) when a program fails or a row reports an error.
"""
import argparse
import ctypes
import datetime
import json
import math
import os
import pathlib
import platform
import re
import resource
import subprocess
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
UNIT_SECONDS = {'ns': 1e-9, 'us': 1e-6, 'ms': 1e-3, 's': 1.0}
REST_LOAD = 1.5      # the 1-minute load average below which the run starts
WIDE_SPREAD = 2.0    # a row whose largest ratio is more than this times its smallest is run again
REPEATS = 2          # at most this many more runs of such a row
FEWEST = 5           # the fewest interleaved repetitions a row should have


def fmt_seconds(s):
    """A time with three significant digits in s, ms, µs or ns."""
    if s is None:
        return '—'
    for unit, scale in (('s', 1.0), ('ms', 1e-3), ('µs', 1e-6)):
        if abs(s) >= scale:
            return f'{s / scale:.3g} {unit}'
    return f'{s / 1e-9:.3g} ns'


def fmt_ratio(r):
    """A ratio with two decimals, and with at least two significant digits below 0.1 (0.0013, not 0.00)."""
    if r is None:
        return '—'
    if r >= 100:
        return f'{r:.0f}'
    if r >= 10:
        return f'{r:.1f}'
    if r <= 0 or r >= 0.1:
        return f'{r:.2f}'
    return f'{r:.{1 - math.floor(math.log10(r))}f}'


def row_name(name):
    """The benchmark's name without the suffixes Google Benchmark adds for fixed iterations and manual time."""
    return re.sub(r'/(iterations:\d+|manual_time|real_time)\b', '', name)


def cpu_model():
    """The model name and the count of logical CPUs and of cores."""
    model, cores, sockets = platform.processor() or 'unknown', set(), set()
    try:
        physical = '0'
        for line in pathlib.Path('/proc/cpuinfo').read_text().splitlines():
            key, _, value = (part.strip() for part in line.partition(':'))
            if key == 'model name':
                model = value
            elif key == 'physical id':
                physical = value
                sockets.add(value)
            elif key == 'core id':
                cores.add((physical, value))
    except OSError:
        pass
    logical = os.cpu_count() or 0
    return f'{model}, {logical} logical CPUs' + (f' on {len(cores)} cores' if cores else '')


def compiler(build):
    """The first line of the C++ compiler's --version and the build type, from the CMake cache."""
    cache = {}
    try:
        for line in (build / 'CMakeCache.txt').read_text().splitlines():
            key, sep, value = line.partition('=')
            if sep and ':' in key:
                cache[key.split(':')[0]] = value
    except OSError:
        return 'unknown (no CMakeCache.txt)'
    cxx = cache.get('CMAKE_CXX_COMPILER', 'c++')
    try:
        version = subprocess.run([cxx, '--version'], capture_output=True, text=True, check=False).stdout
        version = version.splitlines()[0] if version else cxx
    except OSError:
        version = cxx
    return f'{version} ({cache.get("CMAKE_BUILD_TYPE") or "no build type"} build)'


def openblas_core():
    """The core type OpenBLAS selects on this machine (OPENBLAS_CORETYPE honoured), or None."""
    for name in ('libopenblas.so.0', 'libopenblas.so'):
        try:
            lib = ctypes.CDLL(name)
            lib.openblas_get_corename.restype = ctypes.c_char_p
            return lib.openblas_get_corename().decode()
        except (OSError, AttributeError):
            continue
    return None


def uses_openblas(program):
    """Whether the program loads OpenBLAS (directly or as the system's BLAS or LAPACK)."""
    try:
        out = subprocess.run(['ldd', str(program)], capture_output=True, text=True, check=False).stdout
    except OSError:
        return False
    for line in out.splitlines():
        _, arrow, rest = line.partition('=>')
        path = rest.split('(')[0].strip() if arrow else ''
        if 'openblas' in line or (path and 'openblas' in os.path.realpath(path)):
            return True
    return False


def item_text(body):
    """A list item of a source comment: '- text' gives text; 'name   text' or 'BM_name text' gives `name`: text."""
    if body.startswith('- '):
        return body[2:]
    named = re.match(r'(\S+)\s{2,}(.*)', body) or re.match(r'(BM_\S+)\s(.*)', body)
    return f'`{named.group(1)}`: {named.group(2)}' if named else body


def description(program):
    """The opening comment of the program's source as Markdown blocks: prose paragraphs, and list items for its
    '- ' lines and its indented 'name   text' lines (deeper-indented lines continue the item above)."""
    source = ROOT / 'bench' / f'{program}.cpp'
    try:
        lines = source.read_text().splitlines()
    except OSError:
        return []
    blocks, item_indent = [], None  # blocks: [kind, text]; item_indent: the indent of the open item
    for line in lines:
        if not line.startswith('//'):
            break
        text = line[2:].rstrip()
        body = text.strip()
        if not body:
            item_indent = None
            continue
        indent = len(text) - len(text.lstrip())
        if item_indent is not None and indent > item_indent + 1:
            blocks[-1][1] += ' ' + body
        elif body.startswith('- ') or indent >= 2:
            item_indent = indent
            blocks.append(['item', item_text(body)])
        elif blocks and blocks[-1][0] == 'prose' and item_indent is None:
            blocks[-1][1] += ' ' + body
        else:
            item_indent = None
            blocks.append(['prose', body])
    out = []
    for i, (kind, text) in enumerate(blocks):
        out.append(('- ' if kind == 'item' else '') + text)
        if kind == 'prose' or i + 1 == len(blocks) or blocks[i + 1][0] != 'item':
            out.append('')
    return out


def wait_for_rest(limit, longest):
    """Waits (up to `longest` seconds) until the 1-minute load average is below `limit`; answers the load then."""
    start = time.monotonic()
    load = os.getloadavg()[0]
    while load >= limit and time.monotonic() - start < longest:
        print(f'== load {load:.2f}: waiting for the machine to come to rest (below {limit})', flush=True)
        time.sleep(15)
        load = os.getloadavg()[0]
    return load


def spread_factor(b):
    """ratio_hi / ratio_lo of one benchmark row, or 1 when it has no spread."""
    lo, hi = b.get('ratio_lo'), b.get('ratio_hi')
    return hi / lo if lo and hi and lo > 0 else 1.0


def repeat_wide_rows(program, json_path, results, extra):
    """Runs each row whose spread is wider than WIDE_SPREAD again on its own (up to REPEATS times) and keeps
    the run with the narrowest spread; a kept rerun's row says so in its label. Answers the rows repeated."""
    repeated = []
    rows = results.get('benchmarks', [])
    for index, b in enumerate(rows):
        if b.get('run_type', 'iteration') != 'iteration' or spread_factor(b) <= WIDE_SPREAD:
            continue
        name = row_name(b.get('name', ''))
        best = b
        for attempt in range(REPEATS):
            again = json_path.with_name(f'{json_path.stem}.again.json')
            code = subprocess.call([str(program), f'--benchmark_filter=^{name}(/|$)', f'--benchmark_out={again}',
                                    '--benchmark_out_format=json', *extra])
            try:
                found = [r for r in json.loads(again.read_text()).get('benchmarks', [])
                         if r.get('name') == b.get('name') and r.get('run_type', 'iteration') == 'iteration']
            except (OSError, ValueError):
                found = []
            again.unlink(missing_ok=True)
            if code != 0 or not found or found[0].get('error_occurred'):
                break
            if spread_factor(found[0]) < spread_factor(best):
                best = dict(found[0])
                best['label'] = (best.get('label', '') + '; ' if best.get('label') else '') + \
                    f'run again ({attempt + 1} of up to {REPEATS}): the first run spread {spread_factor(b):.1f}x'
            if spread_factor(best) <= WIDE_SPREAD:
                break
        rows[index] = best
        repeated.append(name)
    return repeated


def run_program(program, json_path, extra):
    """Runs one program with JSON output; answers (exit code, wall seconds, CPU seconds)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    code = subprocess.call([str(program), f'--benchmark_out={json_path}', '--benchmark_out_format=json', *extra])
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return code, wall, cpu


def rows_of(results):
    """(name, ours s, anchor s, ratio, spread, repetitions, note) for every row of one program's JSON."""
    rows = []
    for b in results.get('benchmarks', []):
        if b.get('run_type', 'iteration') != 'iteration':
            continue
        name = b.get('name', '?')
        if b.get('error_occurred'):
            rows.append((name, None, None, None, None, b.get('iterations'), 'error: ' + b.get('error_message', '')))
            continue
        scale = UNIT_SECONDS.get(b.get('time_unit', 'ns'), 1e-9)
        ours = b.get('ours_s', b.get('real_time', 0) * scale)
        ratio = b.get('ratio')
        anchor = b.get('anchor_s')
        if ratio is not None and anchor is None and ratio > 0:
            anchor = ours / ratio
        spread = (b['ratio_lo'], b['ratio_hi']) if 'ratio_lo' in b and 'ratio_hi' in b else None
        note = b.get('label', '')
        if ratio is None:
            note = (note + '; ' if note else '') + 'no anchor'
        rows.append((name, ours, anchor, ratio, spread, b.get('iterations'), note))
    return rows


def table(rows):
    lines = ['| row | ours | anchor | ratio | spread | n | note |', '|---|--:|--:|--:|--:|--:|---|']
    for name, ours, anchor, ratio, spread, reps, note in rows:
        spread_text = f'{fmt_ratio(spread[0])}–{fmt_ratio(spread[1])}' if spread and reps != 1 else ''
        lines.append(f'| `{row_name(name)}` | {fmt_seconds(ours)} | {fmt_seconds(anchor)} | {fmt_ratio(ratio)} | {spread_text} '
                     f'| {reps if reps is not None else ""} | {note.replace("|", "/")} |')
    return lines


def run_date(results):
    """When the first program started (the date in its JSON context), else now."""
    dates = sorted(r['context']['date'] for r in results.values() if r.get('context', {}).get('date'))
    if not dates:
        return datetime.datetime.now().astimezone().strftime('%Y-%m-%d %H:%M %Z')
    try:
        return datetime.datetime.fromisoformat(dates[0]).strftime('%Y-%m-%d %H:%M %Z')
    except ValueError:
        return dates[0]


def page(build, programs, results, times, failed, kernel, load):
    """The Markdown of the whole page."""
    total_wall = sum(w for w, _ in times.values())
    total_cpu = sum(c for _, c in times.values())
    coretype = os.environ.get('OPENBLAS_CORETYPE')
    out = [
        '# Performance',
        '',
        'Generated by `scripts/bench-report.py` (`make bench`) from one run of every program in `bench/`; do not '
        'edit by hand. Each row times our code and an anchor doing the same job (a plain loop, the standard '
        'library or an established library) one after the other in every iteration of one run, so both see the '
        'same machine state. **ours** and **anchor** are the medians of the seconds per iteration, **ratio** the '
        'median of ours / anchor over the iterations (below 1: ours is faster), **spread** the smallest and the '
        'largest of those ratios, **n** the number of interleaved repetitions. A row whose largest ratio is more '
        f'than {WIDE_SPREAD:.0f} times its smallest is run again on its own, up to {REPEATS} times, and the run with '
        'the narrowest spread is kept (its note says so). The run starts once the 1-minute load average is below '
        f'{REST_LOAD}; figures on a loaded machine are noisier, and the spread shows by how much.',
        '',
        f'- Date: {run_date(results)}',
        f'- Machine: {cpu_model()}, {platform.system()} {platform.release()}',
        f'- Compiler: {compiler(build)}',
        f'- OpenBLAS core type: {kernel or "unknown"}'
        + (f' (forced by OPENBLAS_CORETYPE={coretype})' if coretype else ' (its own choice; OPENBLAS_CORETYPE unset)'),
        f'- Load average (1 min) at the start and the end: {load[0]:.2f}, {load[1]:.2f}',
        f'- Whole run: {total_wall:.0f} s wall, {total_cpu:.0f} s CPU (user + system) for {len(times)} programs',
        '',
        '| program | rows | compared | wall | CPU |',
        '|---|--:|--:|--:|--:|',
    ]
    for program in programs:
        rows = rows_of(results.get(program, {}))
        wall, cpu = times.get(program, (0, 0))
        compared = sum(1 for r in rows if r[3] is not None)
        status = ' (failed)' if program in failed else ''
        out.append(f'| [{program}](#{program}){status} | {len(rows)} | {compared} | {wall:.1f} s | {cpu:.1f} s |')
    for program in programs:
        out += ['', f'## {program}', '']
        out += description(program)
        if program in failed:
            out += [f'**The program failed: {failed[program]}.**', '']
        if program in results:
            context = results[program].get('context', {})
            if context.get('openblas_kernel') or uses_openblas(build / 'bench' / program):
                out += [f'OpenBLAS core type: {context.get("openblas_kernel") or kernel or "unknown"}.', '']
            out += table(rows_of(results[program]))
    return '\n'.join(out) + '\n'


def run_all(build, programs, json_dir, extra):
    """Runs every program; answers (results, times, failed, load average at the start and the end)."""
    results, times, failed = {}, {}, {}
    load_start = wait_for_rest(REST_LOAD, 600)
    for program in programs:
        print(f'== {program}', flush=True)
        json_path = json_dir / f'{program}.json'
        code, wall, cpu = run_program(build / 'bench' / program, json_path, extra)
        times[program] = (wall, cpu)
        print(f'== {program}: {wall:.1f} s wall, {cpu:.1f} s CPU', flush=True)
        try:
            results[program] = json.loads(json_path.read_text())
        except (OSError, ValueError):
            code = code or -1
        if code == 0:
            for name in repeat_wide_rows(build / 'bench' / program, json_path, results[program], extra):
                print(f'== {program}: {name} spread wider than {WIDE_SPREAD:.0f}x, run again', flush=True)
            json_path.write_text(json.dumps(results[program]))
            for b in results[program].get('benchmarks', []):
                if b.get('run_type', 'iteration') == 'iteration' and (b.get('iterations') or 0) < FEWEST:
                    print(f'== {program}: {b.get("name")} has {b.get("iterations")} repetitions, fewer than {FEWEST}',
                          flush=True)
        if code != 0:
            failed[program] = f'exit code {code}'
        elif any(b.get('error_occurred') for b in results[program].get('benchmarks', [])):
            failed[program] = 'a row reported an error'
    return results, times, failed, (load_start, os.getloadavg()[0])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('build', nargs='?', default='build-bench', help='the CMake build folder')
    parser.add_argument('-o', '--output', default=str(ROOT / 'docs' / 'performance.md'), help='the page to write')
    parser.add_argument('--only', nargs='*', default=None, help='run only these programs (bench_<topic>)')
    parser.add_argument('--json-dir', default=None, help='keep the JSON output of each program here')
    parser.add_argument('--from-json', default=None, help='write the page from the JSON a --json-dir run kept, run nothing')
    argv = sys.argv[1:]
    extra = argv[argv.index('--') + 1:] if '--' in argv else []  # arguments for every program
    args = parser.parse_args(argv[:len(argv) - len(extra)] if extra else [a for a in argv if a != '--'])
    build = pathlib.Path(args.build).resolve()
    programs = sorted(p.name for p in (build / 'bench').glob('bench_*') if p.is_file() and os.access(p, os.X_OK))
    if args.only is not None:
        programs = [p for p in programs if p in args.only]
    if not programs:
        sys.exit(f'no benchmark programs in {build / "bench"}; build with -DQELTA_BUILD_BENCH=ON first')
    if args.from_json:
        json_dir = pathlib.Path(args.from_json)
        run = json.loads((json_dir / 'run.json').read_text())
        programs = [p for p in programs if p in run['times']]
        times = {p: tuple(t) for p, t in run['times'].items()}
        failed = run['failed']
        results = {p: json.loads((json_dir / f'{p}.json').read_text()) for p in programs if (json_dir / f'{p}.json').exists()}
        load = tuple(run['load'])
    else:
        json_dir = pathlib.Path(args.json_dir or tempfile.mkdtemp(prefix='qelta-bench-'))
        json_dir.mkdir(parents=True, exist_ok=True)
        results, times, failed, load = run_all(build, programs, json_dir, extra)
        (json_dir / 'run.json').write_text(json.dumps({'times': times, 'failed': failed, 'load': load}))
    kernel = None
    for program in programs:
        kernel = kernel or results.get(program, {}).get('context', {}).get('openblas_kernel')
    kernel = kernel or openblas_core()
    text = page(build, programs, results, times, failed, kernel, load)
    output = pathlib.Path(args.output)
    temporary = output.with_name(output.name + '.tmp')
    temporary.write_text(text)
    temporary.replace(output)
    if args.json_dir is None and args.from_json is None:
        for f in json_dir.glob('*.json'):
            f.unlink()
        json_dir.rmdir()
    total_wall = sum(w for w, _ in times.values())
    total_cpu = sum(c for _, c in times.values())
    print(f'== {len(programs)} programs: {total_wall:.0f} s wall, {total_cpu:.0f} s CPU; wrote {output}')
    if failed:
        sys.exit('failed: ' + ', '.join(f'{p} ({c})' for p, c in failed.items()))


if __name__ == '__main__':
    main()
