#!/usr/bin/env python3
"""Turns the bench's raw figures into bench/results.md: per drive the median
time of each contender, Tessarine's ratio to the bare write loop and to dd
(medians of the rounds' pairs), the WM_NULL round trips, where the engine's
time goes, the Stop latency, NTFS's free records, the names of deleted files
and an earlier run's leftover. usage: report.py RAW_DIR ROUNDS PRESETS"""
import datetime
import platform
import statistics
import subprocess
import sys
from collections import defaultdict


def machine():
    cpu = next((l.split(':', 1)[1].strip() for l in open('/proc/cpuinfo') if l.startswith('model name')), '?')
    cores = subprocess.run(['nproc'], capture_output=True, text=True).stdout.strip()
    wine = subprocess.run(['/usr/lib/wine/wine64', '--version'], capture_output=True, text=True).stdout.strip()
    return f'{cpu}, {cores} cores, {platform.system()} {platform.release()}, {wine}'


def rows(raw, name):
    return [line.strip().split('|') for line in open(f'{raw}/{name}.txt') if line.strip()]


def main():
    raw, rounds, presets = sys.argv[1], sys.argv[2], sys.argv[3].split()
    runs, order = defaultdict(dict), []
    for drive, who, seconds, round_ in rows(raw, 'timings'):
        order += [drive] if drive not in order else []
        try:
            runs[(drive, who)][round_] = float(seconds)
        except ValueError:  # the watcher did not see the drive empty again: that round is left out
            print(f'{drive}, {who}, round {round_}: no time ({seconds})', file=sys.stderr)
    pings = defaultdict(list)
    for drive, who, median, worst in rows(raw, 'pings'):
        pings[(drive, who)].append((float(median) / 1000, float(worst) / 1000))

    def ratio(drive, ours, theirs):  # their time over ours, round by round: 1.00 is as fast
        a, b = runs[(drive, ours)], runs[(drive, theirs)]
        pairs = [b[r] / a[r] for r in a if r in b]
        return statistics.median(pairs) if pairs else None

    out = ['# Benchmark results', '', f'Measured {datetime.date.today().isoformat()} on {machine()}, '
           f'with one run of `make bench`.', '',
           'Each drive is a scratch drive made by the bench. Three contenders fill its whole free space and give '
           'it back: Tessarine (its window, the drive on the command line, Ok pressed by the bench), the bare '
           'write loop (`bench/bare_fill.cpp`: one file, 128 KiB blocks of zeros with WriteFile until the drive '
           'takes no more, a flush, the deletion; the same build under the same Wine) and `dd if=/dev/zero '
           'bs=128k conv=fsync` with `rm`. Every run is timed the same way, from outside: from the first file that '
           'appears on the drive to the drive being as it was again, none of them left and its free space back '
           '(`bench/drive_watch.py`: inotify, then the free space), so start-up and clicks are left out. Runs '
           'alternate, their order turning each round, so that each contender follows each other one as often, and '
           'each starts right after a warm-up that writes and deletes more than the drive holds on a scratch '
           'tmpfs: this virtual machine hands freed memory back to its host, and a run that gets memory the host '
           'took back writes at half speed, whoever runs it; '
           f'{rounds} rounds (6 on the throttled drive). A ratio is the other\'s time over Tessarine\'s within '
           'each round, its median given (1.00: as fast).',
           f'Builds run here: {", ".join(presets)}.' + ('' if 'win32' in presets else
           ' The win32 build was left out (BENCH_PRESETS).' if subprocess.run(
               ['/usr/lib/wine/wine', '--version'], capture_output=True).returncode == 0 else
           ' This machine\'s kernel cannot run 32-bit programs, so Wine cannot start the win32 build here.'), '',
           '| drive | dd median s | ' + ' | '.join(
               f'bare loop {p} median s | Tessarine {p} median s | {p} / bare loop | {p} / dd | '
               f'{p} WM_NULL median / worst ms' for p in presets) + ' |',
           '|---|---|' + '---|---|---|---|---|' * len(presets)]
    for drive in order:
        cells = [drive, f'{statistics.median(runs[(drive, "dd-bs128k")].values()):.3f}']
        for p in presets:
            ours, bare = runs.get((drive, f'tessarine-{p}')), runs.get((drive, f'bare-{p}'))
            if not ours or not bare:
                cells += [''] * 5
                continue
            ping = pings[(drive, f'tessarine-{p}')]
            cells += [f'{statistics.median(bare.values()):.3f}', f'{statistics.median(ours.values()):.3f}',
                      f'{ratio(drive, f"tessarine-{p}", f"bare-{p}"):.3f}',
                      f'{ratio(drive, f"tessarine-{p}", "dd-bs128k"):.3f}',
                      f'{statistics.median(m for m, _ in ping):.2f} / {max(w for _, w in ping):.1f}']
        out.append('| ' + ' | '.join(cells) + ' |')

    sfill = [d for d in order if runs.get((d, 'sfill-llz'))]
    if sfill:  # Debian's secure-delete, one pass of zeros, free inodes too
        out += ['', '`sfill -llz` (secure-delete: one pass of zeros over the free space and the free inodes), timed the '
                'same way and in the same rounds:', '',
                '| drive | sfill median s | ' + ' | '.join(f'{p} / sfill' for p in presets) + ' |',
                '|---|---|' + '---|' * len(presets)]
        for drive in sfill:
            cells = [drive, f'{statistics.median(runs[(drive, "sfill-llz")].values()):.3f}']
            cells += [f'{ratio(drive, f"tessarine-{p}", "sfill-llz"):.3f}' if runs.get((drive, f'tessarine-{p}'))
                      else '' for p in presets]
            out.append('| ' + ' | '.join(cells) + ' |')

    out += ['', '## Targets', '', '| target | measured | met |', '|---|---|---|']

    def target(text, value, goal, unit='', less=False):
        met = value <= goal if less else value >= goal
        miss = '' if met else (f', by {(value - goal):.1f}{unit}' if less else f', by {(goal - value) * 100:.1f} points')
        out.append(f'| {text} | {value:.3f}{unit} | {"yes" if met else "no" + miss} |'.replace('.000 ms', ' ms'))

    for drive in order:
        for p in presets:
            if (drive, f'tessarine-{p}') not in runs:
                continue
            if 'USB' in drive:
                target(f'{drive}, {p}: >= 0.98 x dd', ratio(drive, f'tessarine-{p}', 'dd-bs128k'), 0.98)
                if drive in sfill:
                    target(f'{drive}, {p}: ahead of sfill -llz', ratio(drive, f'tessarine-{p}', 'sfill-llz'), 1.0)
            else:
                target(f'{drive}, {p}: >= 0.95 x the bare loop', ratio(drive, f'tessarine-{p}', f'bare-{p}'), 0.95)
    tmpfs = [w for (drive, _), values in pings.items() if drive.startswith('tmpfs') for _, w in values]
    if tmpfs:
        out.append(f'| WM_NULL round trip during a run on tmpfs: worst <= 50 ms | {max(tmpfs):.1f} ms | '
                   f'{"yes" if max(tmpfs) <= 50 else "no"} |')
    stops = [float(l.split()[1]) for l in open(f'{raw}/stops.txt') if l.startswith('stopped_ms')]
    if stops:
        out.append(f'| Stop on the throttled drive: its line within 100 ms | {max(stops):.0f} ms at most | '
                   f'{"yes" if max(stops) <= 100 else "no"} |')
    checks = defaultdict(list)
    for drive, fill, check in rows(raw, 'checks'):
        checks[drive].append((float(fill), float(check)))
    if checks:
        out += ['', 'The check of what the drive kept (the sample of the fill files read back from the medium), '
                'against the fill and its flush, from the engine\'s own times (the engine alone, win64, 3 runs each, '
                'medians):', '', '| drive | fill and flush s | check s | check / fill |', '|---|---|---|---|']
        for drive, runs_ in checks.items():
            fill = statistics.median(f for f, c in runs_)
            check = statistics.median(c for f, c in runs_)
            out.append(f'| {drive} | {fill:.3f} | {check:.3f} | {check / fill * 100:.2f} % |')

    out += ['', '## Where the engine\'s time goes', '',
            'The engine alone (`bench/clean_drive.exe`: the same job without a window), once per drive after the '
            'rounds, seconds between its log lines:', '',
            '| drive | fill files written and flushed | free records step | names step | deletion |',
            '|---|---|---|---|---|']
    for drive, fill, records, names, deletion in rows(raw, 'steps'):
        out.append(f'| {drive} | {fill} | {records} | {names} | {deletion} |')

    if stops:
        out += ['', f'Stop on the throttled drive (win64), from the click to the log line "Operation was stopped": '
                f'{", ".join(f"{s:.0f}" for s in stops)} ms (median {statistics.median(stops):.0f} ms).']
    for count, seconds in rows(raw, 'records'):
        if int(count) > 0:
            out += ['', f'NTFS (ntfs-3g, 64 MiB, 3000 small files deleted): {count} free records of the file table '
                    f'overwritten in {float(seconds):.2f} s, {float(seconds) / int(count) * 1000:.2f} s per '
                    f'thousand records (the engine alone, win64).']
    for label, names, files, seconds in rows(raw, 'names'):
        out += ['', f'The names of {int(names):,} files deleted from one folder, {label}: {files} fill files took '
                f'the free entries in {float(seconds):.1f} s (the engine alone, win64).']
    for (seconds,) in rows(raw, 'leftovers'):
        out += ['', f'An earlier run\'s fill file of 1 GiB (ext2 image on disk, out of the page cache) read through '
                f'and deleted before the measurement: {float(seconds):.2f} s (the engine alone, win64).']
    print('\n'.join(out))


if __name__ == '__main__':
    main()
