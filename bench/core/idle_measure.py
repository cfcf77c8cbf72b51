#!/usr/bin/env python3
"""Measures idle processes side by side.

    idle_measure.py SECONDS ROUNDS LABEL=PID [LABEL=PID]...

Every round measures all the processes over the same SECONDS: the CPU time
of all their threads (from /proc/PID/task/*/schedstat, in nanoseconds) as a
share of one core, and their wakeups a second (voluntary and involuntary
context switches of all their threads). Prints each round, the minimum and
median of each process, which threads woke most in the last round, and the
ratio of the first process to the second.
"""
import os
import statistics
import sys
import time


def threads(pid):
    base = f'/proc/{pid}/task'
    result = {}
    for tid in os.listdir(base):
        try:
            with open(f'{base}/{tid}/schedstat') as f:
                cpu_ns = int(f.read().split()[0])
            switches = 0
            with open(f'{base}/{tid}/status') as f:
                for line in f:
                    if line.startswith(('voluntary_ctxt_switches', 'nonvoluntary_ctxt_switches')):
                        switches += int(line.split()[1])
            with open(f'{base}/{tid}/comm') as f:
                name = f.read().strip()
            result[tid] = (name, cpu_ns, switches)
        except (FileNotFoundError, ProcessLookupError):
            continue
    return result


def delta(before, after):
    """Per thread (name, cpu ns, switches) over the window; threads born in it count from 0."""
    out = {}
    for tid, (name, cpu, sw) in after.items():
        b = before.get(tid, (name, 0, 0))
        out[tid] = (name, cpu - b[1], sw - b[2])
    return out


def main():
    seconds = float(sys.argv[1])
    rounds = int(sys.argv[2])
    procs = [arg.split('=', 1) for arg in sys.argv[3:]]
    results = {label: [] for label, _ in procs}
    last = {}
    for r in range(rounds):
        before = {label: threads(pid) for label, pid in procs}
        start = time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - start
        line = f'round {r + 1}:'
        for label, pid in procs:
            d = delta(before[label], threads(pid))
            cpu = sum(v[1] for v in d.values()) / 1e9 / elapsed * 100
            wakeups = sum(v[2] for v in d.values()) / elapsed
            results[label].append((cpu, wakeups))
            last[label] = d
            line += f'   {label} {cpu:.3f} % {wakeups:.1f}/s'
        print(line, flush=True)

    print(f'\n{"process":<28} {"CPU % of a core (min / median)":>32} {"wakeups/s (min / median)":>28}')
    summary = {}
    for label, values in results.items():
        cpus = [c for c, _ in values]
        wakes = [w for _, w in values]
        summary[label] = (min(cpus), statistics.median(cpus), min(wakes), statistics.median(wakes))
        print(f'{label:<28} {min(cpus):14.3f} / {statistics.median(cpus):7.3f} '
              f'{min(wakes):17.1f} / {statistics.median(wakes):6.1f}')
    for label, d in last.items():
        busiest = sorted(d.values(), key=lambda v: -v[2])[:4]
        print(f'  {label}, threads that woke most in the last round: ' +
              ', '.join(f'{name} {sw / seconds:.1f}/s' for name, _, sw in busiest))
    if len(procs) >= 2:
        ours, peer = procs[0][0], procs[1][0]
        a, b = summary[ours], summary[peer]
        ratio = lambda x, y: f'{x / y:.2f}' if y > 0 else 'n/a (peer at 0)'
        print(f'\nratio {ours} / {peer}: CPU {ratio(a[1], b[1])} (median), wakeups '
              f'{ratio(a[3], b[3])} (median)')
        print(f'{ours} against the goals: CPU {a[1]:.3f} % (goal <= 0.1 %), '
              f'wakeups {a[3]:.1f}/s (goal <= 20/s), medians')


if __name__ == '__main__':
    main()
