#!/usr/bin/env python3
"""Runs commands and reports their wall time and peak resident memory (from
wait4's rusage).

    run_measured.py LABEL COMMAND...
        runs the command once, prints one line and exits with its status.
    run_measured.py --rounds N --goal-speed X --goal-peak MIB -- \\
            OURS_LABEL "OURS COMMAND" PEER_LABEL "PEER COMMAND" [LABEL "COMMAND"]...
        runs every command N times, interleaved round by round, prints the
        minimum and median time and peak of each, then the peer's time over
        ours (above 1: we are faster) and our peak against the goals.
"""
import os
import shlex
import statistics
import subprocess
import sys
import time


def measure(command):
    start = time.monotonic()
    child = subprocess.Popen(command)
    _, status, usage = os.wait4(child.pid, 0)
    return time.monotonic() - start, usage.ru_maxrss / 1024, os.waitstatus_to_exitcode(status)


def single(label, command):
    elapsed, peak, code = measure(command)
    print(f'{label:<24} {elapsed:8.2f} s {peak:10.1f} MiB peak   exit {code}')
    return code


def rounds(argv):
    count, goal_speed, goal_peak = 3, None, None
    while argv and argv[0] != '--':
        option, value = argv[0], argv[1]
        argv = argv[2:]
        if option == '--rounds':
            count = int(value)
        elif option == '--goal-speed':
            goal_speed = float(value)
        elif option == '--goal-peak':
            goal_peak = float(value)
    pairs = list(zip(argv[1::2], argv[2::2]))
    results = {label: [] for label, _ in pairs}
    for _ in range(count):
        for label, command in pairs:
            elapsed, peak, code = measure(shlex.split(command))
            if code != 0:
                print(f'{label}: exit {code}')
                return 1
            results[label].append((elapsed, peak))
    print(f'{"run":<24} {"time min / median":>20} {"peak min / median":>26}')
    summary = {}
    for label, values in results.items():
        times = [t for t, _ in values]
        peaks = [p for _, p in values]
        summary[label] = (min(times), statistics.median(times), max(peaks))
        print(f'{label:<24} {min(times):8.2f} / {statistics.median(times):6.2f} s'
              f' {min(peaks):10.1f} / {statistics.median(peaks):8.1f} MiB')
    (ours, _), (peer, _) = pairs[0], pairs[1]
    speed_min = summary[peer][0] / summary[ours][0]
    speed_median = summary[peer][1] / summary[ours][1]
    line = f'ratio {peer} time / {ours} time: {speed_min:.2f} (min) / {speed_median:.2f} (median)'
    if goal_speed is not None:
        line += f'   goal >= {goal_speed}'
    print(line)
    if goal_peak is not None:
        print(f'{ours} peak memory: {summary[ours][2]:.1f} MiB (largest round)   goal <= {goal_peak} MiB')
    return 0


if __name__ == '__main__':
    if sys.argv[1] == '--rounds' or sys.argv[1].startswith('--goal'):
        sys.exit(rounds(sys.argv[1:]))
    sys.exit(single(sys.argv[1], sys.argv[2:]))
