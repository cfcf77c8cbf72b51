#!/usr/bin/env python3
"""Starts the launcher several times and measures each start.

    startup_measure.py LAUNCHER ROUNDS [WRAPPER...]

The environment (the folders, the proxies, the display) is the caller's;
LAUNCHER_RECORD is set here to a pipe read as the program writes. WRAPPER,
when given, is the command the launcher is started through (it must exec
the launcher as its last step, so that its pid is the launcher's).

Every round: the time from just before the program is started to its record
line "main_window_first_frame" (the main window's first picture handed to
the X server), the time to its flows having settled (the file check at 100 %
followed by the idle state's refresh, "message 2126 0 0"), and VmRSS from
/proc/PID/status two seconds after that; then SIGTERM, and the program must
exit 0. The first round is a first start (fonts installed, folders made) and
is shown apart; the minimum and median of the other rounds are printed
against the goals.
"""
import os
import select
import signal
import statistics
import subprocess
import sys
import tempfile
import time

FIRST_FRAME = 'main_window_first_frame'
CHECK_DONE = 'message 2127 0 100'
IDLE_REFRESH = 'message 2126 0 0'
# A transfer's progress: the launcher or the game is being fetched, so the
# start measured is not a start at rest (e.g. the publisher serves another
# launcher program than the one started, and it updates itself).
DOWNLOAD_PROGRESS = 'message 2129 '
TIMEOUT = 60.0
SETTLE_PAUSE = 2.0
GOAL_FRAME_MS = 150.0
GOAL_RSS_MB = 40.0


def rss_mb(pid):
    with open(f'/proc/{pid}/status') as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024.0
    raise RuntimeError('no VmRSS')


class Record:
    """The program's record pipe, read line by line with the time each came."""

    def __init__(self, path):
        self.fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK)
        self.partial = b''
        self.lines = []  # (seconds since the start, line)

    def read(self, start, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return
        now = time.monotonic() - start
        data = os.read(self.fd, 65536)
        if not data:
            time.sleep(0.01)  # no writer yet, or the writer is gone
            return
        self.partial += data
        *complete, self.partial = self.partial.split(b'\n')
        self.lines.extend((now, line.decode(errors='replace')) for line in complete)

    def close(self):
        os.close(self.fd)


def one_round(launcher, wrapper, folder, number):
    fifo = os.path.join(folder, f'record.{number}')
    os.mkfifo(fifo, 0o600)
    record = Record(fifo)  # opened first, so the program's writer finds a reader
    env = dict(os.environ, LAUNCHER_RECORD=fifo)
    start = time.monotonic()
    process = subprocess.Popen(wrapper + [launcher], env=env, stdout=subprocess.DEVNULL)
    frame = settled = None
    checked = False
    try:
        while settled is None or frame is None:
            if time.monotonic() - start > TIMEOUT:
                raise RuntimeError(f'not settled in {TIMEOUT:.0f} s; record: {record.lines}')
            if process.poll() is not None:
                raise RuntimeError(f'the launcher ended early ({process.returncode}); record: {record.lines}')
            seen = len(record.lines)
            record.read(start, 0.5)
            for at, line in record.lines[seen:]:
                if line == FIRST_FRAME and frame is None:
                    frame = at
                checked = checked or line == CHECK_DONE
                if checked and line == IDLE_REFRESH and settled is None:
                    settled = at
        pause_end = time.monotonic() + SETTLE_PAUSE
        while time.monotonic() < pause_end:
            record.read(start, pause_end - time.monotonic())
        rss = rss_mb(process.pid)
        if any(line.startswith(DOWNLOAD_PROGRESS) for _, line in record.lines):
            raise RuntimeError('the launcher downloaded during the round: it is not current against '
                               'the publisher, or the game is not installed')
    finally:
        if process.poll() is None:
            process.send_signal(signal.SIGTERM)
        try:
            code = process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise RuntimeError('the launcher did not exit within 30 s of SIGTERM')
        record.close()
    if code != 0:
        raise RuntimeError(f'the launcher exited with {code}')
    if os.environ.get('STARTUP_BENCH_TRACE'):
        for at, line in record.lines[:12]:
            print(f'    {at * 1000:8.1f} ms  {line}')
    return frame * 1000, settled * 1000, rss


def main():
    launcher = sys.argv[1]
    rounds = int(sys.argv[2])
    wrapper = sys.argv[3:]
    results = []
    with tempfile.TemporaryDirectory(prefix='launcher-startup-record.') as folder:
        for number in range(rounds + 1):
            frame, settled, rss = one_round(launcher, wrapper, folder, number)
            label = 'first start' if number == 0 else f'round {number}'
            print(f'{label:>12}: first frame {frame:7.1f} ms   settled {settled:7.1f} ms   '
                  f'VmRSS at rest {rss:6.1f} MB', flush=True)
            if number > 0:
                results.append((frame, settled, rss))
    frames = [r[0] for r in results]
    settles = [r[1] for r in results]
    rss = [r[2] for r in results]
    print(f'\n{"figure (rounds 1..%d)" % rounds:<34} {"min":>9} {"median":>9}   goal')
    print(f'{"start to first frame, ms":<34} {min(frames):9.1f} {statistics.median(frames):9.1f}   '
          f'<= {GOAL_FRAME_MS:.0f} ({"met" if statistics.median(frames) <= GOAL_FRAME_MS else "MISSED"})')
    print(f'{"start to flows settled, ms":<34} {min(settles):9.1f} {statistics.median(settles):9.1f}')
    print(f'{"resident memory at rest, MB":<34} {min(rss):9.1f} {statistics.median(rss):9.1f}   '
          f'<= {GOAL_RSS_MB:.0f} ({"met" if statistics.median(rss) <= GOAL_RSS_MB else "MISSED"})')


if __name__ == '__main__':
    main()
