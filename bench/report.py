#!/usr/bin/env python3
"""Turns the bench's raw timings into bench/results.md: medians, minima and
maxima per drive and contender, MB/s, and Tessarine's ratio to dd bs=128k."""
import datetime
import platform
import statistics
import subprocess
import sys
from collections import defaultdict


def machine():
    cpu = 'unknown CPU'
    try:
        for line in open('/proc/cpuinfo'):
            if line.startswith('model name'):
                cpu = line.split(':', 1)[1].strip()
                break
    except OSError:
        pass
    cores = subprocess.run(['nproc'], capture_output=True, text=True).stdout.strip()
    mem = subprocess.run(['free', '-g'], capture_output=True, text=True).stdout.split('\n')[1].split()[1]
    wine = subprocess.run(['/usr/lib/wine/wine64', '--version'], capture_output=True, text=True).stdout.strip()
    return f'{cpu}, {cores} cores, {mem} GiB RAM, {platform.system()} {platform.release()}, {wine}'


def main():
    results, pings_path, repeat = sys.argv[1], sys.argv[2], sys.argv[3]
    profile = open(sys.argv[4]).read() if len(sys.argv) > 4 else ''

    runs = defaultdict(list)
    sizes = {}
    order = []
    for line in open(results):
        drive, who, seconds, size = line.strip().split('|')
        if drive not in order:
            order.append(drive)
        runs[(drive, who)].append(float(seconds))
        sizes[drive] = int(size)
    pings = defaultdict(list)
    for line in open(pings_path):
        drive, who, median, worst = line.strip().split('|')
        pings[(drive, who)].append((float(median), float(worst)))

    out = ['# Benchmark results', '',
           f'Measured {datetime.date.today().isoformat()} on {machine()}.', '',
           f'Each drive is a scratch drive made by the bench; every contender fills its whole free space and '
           f'gives it back, alternating, {repeat} rounds (linearity rows: one run). Times are wall-clock seconds '
           f'from the start order (Tessarine) or the command\'s start to the deletion of the last fill file. '
           f'MB/s is free bytes / median time / 10^6.', '']
    for drive in order:
        mb = sizes[drive] / 1e6
        out += [f'## {drive}', '', f'Free space: {sizes[drive]} bytes.', '',
                '| contender | median s | min s | max s | MB/s | vs dd bs=128k |', '|---|---|---|---|---|---|']
        ref = runs.get((drive, 'dd-bs128k'))
        ref_med = statistics.median(ref) if ref else None
        for (d, who), times in runs.items():
            if d != drive:
                continue
            med = statistics.median(times)
            ratio = f'{ref_med / med:.2f}' if ref_med else ''
            out.append(f'| {who} | {med:.3f} | {min(times):.3f} | {max(times):.3f} | {mb / med:.0f} | {ratio} |')
        for (d, who), values in pings.items():
            if d == drive:
                meds = [m for m, _ in values]
                worst = max(w for _, w in values)
                out.append('')
                out.append(f'{who}: WM_NULL round trip to the main window during the run: median '
                           f'{statistics.median(meds) / 1000:.2f} ms, worst {worst / 1000:.1f} ms.')
        out.append('')
    lin = [(d, statistics.median(t)) for (d, who), t in runs.items() if who == 'tessarine-win64']
    out += ['## Seconds per GiB (Tessarine win64, tmpfs)', '', '| drive | s per GiB |', '|---|---|']
    for d, med in lin:
        if d.startswith('tmpfs') or d.startswith('linearity'):
            out.append(f'| {d} | {med / (sizes[d] / 2**30):.3f} |')
    out.append('')
    engine = {d: statistics.median(t) for (d, who), t in runs.items() if who.startswith('engine alone')}
    window = {d: statistics.median(t) for (d, who), t in runs.items() if who == 'tessarine-win64'}
    out += ['## Where the time goes', '',
            'The engine alone (the same fill loop, flushes and deletions linked without a window, '
            '`tests/clean_drive.exe`) against the program with its window; the difference is the window: one '
            'gauge repaint per 128 KiB pass (a device context, a brush, an edge and a rectangle) and the few '
            'log lines.', '',
            '| drive | engine alone s | with the window s | window per pass, us |', '|---|---|---|---|']
    for d in order:
        if d in engine and d in window:
            passes = sizes[d] / 131072
            out.append(f'| {d} | {engine[d]:.3f} | {window[d]:.3f} | {(window[d] - engine[d]) / passes * 1e6:.0f} |')
    out += ['## Targets', '', '| drive | Tessarine / dd bs=128k >= 0.95 | ahead of scrub -X | ahead of sfill | '
            'WM_NULL median < 50 ms |', '|---|---|---|---|---|']
    for d in order:
        if (d, 'dd-bs128k') not in runs or d.startswith('linearity'):
            continue
        ref = statistics.median(runs[(d, 'dd-bs128k')])
        row = [d]
        for preset in ('win64', 'win32'):
            t = runs.get((d, f'tessarine-{preset}'))
            row.append(f'{preset} {ref / statistics.median(t):.2f}' if t else '')
        ours = statistics.median(runs[(d, 'tessarine-win64')])
        cells = [' / '.join(row[1:])]
        for peer in ('scrub -X', 'sfill'):
            times = [statistics.median(t) for (dd, who), t in runs.items() if dd == d and who.startswith(peer + ' ')
                     or (dd == d and who == peer)]
            cells.append(('yes' if ours < min(times) else 'no') if times else '')
        meds = [m for (dd, who), v in pings.items() if dd == d for m, _ in v]
        cells.append(f'{statistics.median(meds) / 1000:.2f} ms' if meds else '')
        out.append(f'| {d} | ' + ' | '.join(cells) + ' |')
    out += ['', 'Where a target is missed: the engine alone keeps pace with dd (see below); what the window adds '
            'is the gauge repaint after every 128 KiB write, with its own device context and brush each time, '
            'which the design asks for. Under Wine each such repaint from the worker thread costs X11 round '
            'trips and, per pass, an uname and two failed opens of ~/.Xdefaults by Xlib (the strace below). '
            'On a real USB stick at 10 to 30 MB/s a pass takes 4 to 13 ms, against tens of microseconds for '
            'the repaint. sfill exits with status 134 (an abort) on these drives, so its time is that of a run '
            'that did not finish cleanly.', '']
    if profile:
        out += ['', 'System calls of one run on a 1 GiB tmpfs (`strace -f -c`; the windowed run is traced from '
                'the Ok to the end of the worker, and the tracer itself slows it):', '', '```', profile.strip(),
                '```', '']
    print('\n'.join(out))


if __name__ == '__main__':
    main()
