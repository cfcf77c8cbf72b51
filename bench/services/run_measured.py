#!/usr/bin/env python3
"""run_measured.py LABEL COMMAND... : runs the command, prints its wall time
and peak resident memory (from wait4's rusage), and exits with its status."""
import os
import subprocess
import sys
import time

label = sys.argv[1]
start = time.monotonic()
child = subprocess.Popen(sys.argv[2:])
_, status, usage = os.wait4(child.pid, 0)
elapsed = time.monotonic() - start
code = os.waitstatus_to_exitcode(status)
print(f'{label:<24} {elapsed:8.2f} s {usage.ru_maxrss / 1024:10.1f} MiB peak   exit {code}')
sys.exit(code)
