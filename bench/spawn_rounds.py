#!/usr/bin/env python3
"""Times two commands that take the same long list of file names, their rounds alternating.

    bench/spawn_rounds.py ROUNDS NAMES_FILE 'COMMAND A' 'COMMAND B'

Each command (split like a shell line, no shell run) gets the names of NAMES_FILE (one a line)
as its last arguments, its output discarded. Prints the best seconds of A, then of B.

Why not the shell: a shell holding thousands of names forks a copy of itself for every command
it starts, and on a virtual machine that copy (its page tables, then a fault for each page it
touches before the exec) costs about as much as reading the files does, and the same for either
command. Started from here (posix_spawn: no copy), each round times the command alone.
"""
import shlex
import subprocess
import sys
import time


def seconds(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def main():
    rounds, names_file, first, second = sys.argv[1:5]
    with open(names_file, encoding="utf-8", errors="surrogateescape") as names:
        files = names.read().splitlines()
    commands = [shlex.split(first) + files, shlex.split(second) + files]
    best = [float("inf"), float("inf")]
    for _ in range(int(rounds)):
        for which, command in enumerate(commands):
            best[which] = min(best[which], seconds(command))
    print(f"{best[0]:.4f} {best[1]:.4f}")


if __name__ == "__main__":
    main()
