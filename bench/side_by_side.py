#!/usr/bin/env python3
"""Runs commands one after the other, round after round, so that all of them
see the machine as it is at the time, and prints for each the median wall
time (to the millisecond) and its largest peak resident memory, as
"SECONDS KB", one line per command in the order given. Their standard output
is thrown away.
Usage: side_by_side.py ROUNDS COMMAND [-- COMMAND ...]"""
import os
import statistics
import subprocess
import sys
import time


def run(command):
    start = time.perf_counter()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{command[0]} exited with {child.returncode}")
    return wall, usage.ru_maxrss


def main():
    rounds = int(sys.argv[1])
    commands, current = [], []
    for word in sys.argv[2:]:
        if word == "--":
            commands.append(current)
            current = []
        else:
            current.append(word)
    commands.append(current)
    walls = [[] for _ in commands]
    peaks = [0 for _ in commands]
    for _ in range(rounds):
        for i, command in enumerate(commands):
            wall, peak = run(command)
            walls[i].append(wall)
            peaks[i] = max(peaks[i], peak)
    for i in range(len(commands)):
        print(f"{statistics.median(walls[i]):.3f} {peaks[i]}")


main()
