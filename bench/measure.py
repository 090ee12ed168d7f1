#!/usr/bin/env python3
"""Measures one whole run of the program against /bin/true, side by side.

For a 100-character name read from a file, standard output to /dev/null:
  - instructions of the whole run (valgrind --tool=callgrind),
  - wall time (median of paired runs, taken alternately),
  - peak resident memory (/usr/bin/time -f %M),
  - system calls (strace -c -f), and the program's own reads and writes.
Prints each figure for both and their ratio.

With --check it measures only what is deterministic and fails (exit 1) when a
promise is broken: instructions at most 1.0 times /bin/true's, measured in the
same run, exactly one write per output line and two reads of standard input.
CI runs that; the full measurement is run by hand.

Usage: bench/measure.py [PROGRAM] [--pairs N] [--check]
"""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

TRUE = "/bin/true"


def run_with_input(argv, input_path, **kwargs):
    with open(input_path, "rb") as stdin, open(os.devnull, "wb") as devnull:
        return subprocess.run(argv, stdin=stdin, stdout=devnull, **kwargs)


def instructions(program, input_path):
    result = run_with_input(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", program],
        input_path, stderr=subprocess.PIPE, check=True)
    match = re.search(rb"Collected : (\d+)", result.stderr)
    return int(match.group(1))


def wall_times(programs, input_path, pairs):
    """Median wall time in microseconds of each program, runs alternating."""
    times = {p: [] for p in programs}
    with open(os.devnull, "wb") as devnull:
        for i in range(pairs):
            order = programs if i % 2 == 0 else list(reversed(programs))
            for program in order:
                with open(input_path, "rb") as stdin:
                    start = time.perf_counter_ns()
                    pid = os.posix_spawn(program, [program], os.environ,
                                         file_actions=[(os.POSIX_SPAWN_DUP2, stdin.fileno(), 0),
                                                       (os.POSIX_SPAWN_DUP2, devnull.fileno(), 1)])
                    os.waitpid(pid, 0)
                    times[program].append((time.perf_counter_ns() - start) / 1000)
    return {p: statistics.median(t) for p, t in times.items()}


def peak_memory_kib(program, input_path):
    result = run_with_input(["/usr/bin/time", "-f", "%M", program], input_path,
                            stderr=subprocess.PIPE, check=True)
    return int(result.stderr.decode().strip().splitlines()[-1])


def syscalls(program, input_path):
    """Calls per system call name, from strace -c -f."""
    with tempfile.NamedTemporaryFile() as report:
        run_with_input(["strace", "-c", "-f", "-o", report.name, program], input_path, check=True)
        counts = {}
        for line in open(report.name):
            fields = line.split()
            if len(fields) >= 5 and fields[0][0].isdigit() and fields[-1] != "total":
                counts[fields[-1]] = int(fields[3])
        return counts


def own_io(program, input_path):
    """The program's reads of stdin and writes to stdout, as strace shows them."""
    with tempfile.NamedTemporaryFile() as trace:
        run_with_input(["strace", "-e", "trace=read,write,rt_sigaction", "-o", trace.name, program],
                       input_path, check=True)
        lines = [l.strip() for l in open(trace.name)]
    reads = [l for l in lines if l.startswith("read(0,")]
    writes = [l for l in lines if l.startswith("write(1,")]
    sigactions = [l for l in lines if l.startswith("rt_sigaction(")]
    return reads, writes, sigactions


INSTRUCTION_LIMIT = 1.0


def output_lines(program, input_path):
    with open(input_path, "rb") as stdin:
        return subprocess.run([program], stdin=stdin, stdout=subprocess.PIPE).stdout.count(b"\n")


def check(program, name):
    """The deterministic promises; returns the exit status."""
    ins = {p: instructions(p, name) for p in (program, TRUE)}
    reads, writes, _ = own_io(program, name)
    lines = output_lines(program, name)
    ratio = ins[program] / ins[TRUE]
    verdicts = [
        ("instructions %d, /bin/true %d: ratio %.3f, at most %.1f" % (
            ins[program], ins[TRUE], ratio, INSTRUCTION_LIMIT), ratio <= INSTRUCTION_LIMIT),
        ("writes to standard output: %d for %d lines" % (len(writes), lines),
         len(writes) == lines and lines > 0),
        ("reads of standard input: %d, exactly 2" % len(reads), len(reads) == 2),
    ]
    for text, ok in verdicts:
        print("%s: %s" % ("holds " if ok else "BROKEN", text))
    return 0 if all(ok for _, ok in verdicts) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", nargs="?", default="build/program/quirvelandostrabik")
    parser.add_argument("--pairs", type=int, default=400)
    parser.add_argument("--check", action="store_true",
                        help="check the deterministic promises only; exit 1 if one is broken")
    args = parser.parse_args()
    program = os.path.abspath(args.program)

    with tempfile.NamedTemporaryFile(suffix=".txt") as name_file:
        name_file.write(b"abcdefghijklmnopqrstuvwxyz" * 3 + b"ABCDEFGHIJKLMNOPQRSTUV" + b"\n")
        name_file.flush()
        name = name_file.name
        if args.check:
            return check(program, name)

        ins = {p: instructions(p, name) for p in (program, TRUE)}
        wall = wall_times([program, TRUE], name, args.pairs)
        mem = {p: peak_memory_kib(p, name) for p in (program, TRUE)}
        calls = {p: syscalls(p, name) for p in (program, TRUE)}
        reads, writes, sigactions = own_io(program, name)
        lines = output_lines(program, name)

    def row(label, ours, theirs, unit, limit):
        ratio = ours / theirs
        verdict = "" if limit is None else ("  (limit %.2f: %s)" % (limit, "holds" if ratio <= limit else "MISSED"))
        print("%-22s %12s %12s %8.3f%s" % (label, "%g %s" % (ours, unit), "%g %s" % (theirs, unit), ratio, verdict))

    print("%-22s %12s %12s %8s" % ("", "program", "/bin/true", "ratio"))
    row("instructions", ins[program], ins[TRUE], "", INSTRUCTION_LIMIT)
    row("wall time (median)", round(wall[program], 1), round(wall[TRUE], 1), "us", 1.15)
    row("peak resident memory", mem[program], mem[TRUE], "KiB", None)
    print("  program peak resident memory limit 1536 KiB: %s" % ("holds" if mem[program] <= 1536 else "MISSED"))
    total = {p: sum(c.values()) for p, c in calls.items()}
    row("system calls", total[program], total[TRUE], "", None)

    extra = {k: v - calls[TRUE].get(k, 0) for k, v in calls[program].items() if v != calls[TRUE].get(k, 0)}
    print("\nsystem calls beyond /bin/true's:", ", ".join("%s %+d" % kv for kv in sorted(extra.items())))
    asked = [re.search(r", (\d+)\)\s+= (-?\d+)", r).groups() for r in reads]
    print("reads of standard input: %d (%s)" % (
        len(reads), "; ".join("%s bytes asked, %s returned" % a for a in asked)))
    print("writes to standard output: %d for %d output lines" % (len(writes), lines))
    print("signal dispositions set: %d" % len(sigactions))
    ok = len(reads) == 2 and len(writes) == lines and len(sigactions) == 1
    print("system call target: %s" % ("holds" if ok else "MISSED"))


if __name__ == "__main__":
    sys.exit(main())
