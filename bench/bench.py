#!/usr/bin/env python3
"""Times Tolvarin against hexdump and xxd on one generated file and prints a
table: input MB/s of each, the ratios, Tolvarin piped into wc -c against cat
of the same output piped into wc -c, and Tolvarin's peak memory on a larger
input. Every peer's output is checked equal to Tolvarin's before timing.

Usage: bench.py TOLVARIN [MiB [LARGE_MiB [RUNS]]]
"""
import hashlib
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

TOOL = os.path.abspath(sys.argv[1])
SIZE_MIB = int(sys.argv[2]) if len(sys.argv) > 2 else 64
LARGE_MIB = int(sys.argv[3]) if len(sys.argv) > 3 else 1024
RUNS = int(sys.argv[4]) if len(sys.argv) > 4 else 7
PEER_RUNS = 3

# Layout, byte order, and the hexdump format that prints the same lines on
# a little-endian machine.
CASES = [
    ("112444", "-L", '1/1 "%02X" " " 1/1 "%02X" " " 1/2 "%04X" " " 1/4 "%08X" " " 1/4 "%08X" " " 1/4 "%08X" " " "\\n"'),
    ("1", "-L", '1/1 "%02X" " " "\\n"'),
    ("8", "-B", '8/1 "%02X" " " "\\n"'),
]


def shell_time(command, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def digest(command):
    proc = subprocess.Popen(command, shell=True, stdout=subprocess.PIPE)
    h = hashlib.sha256()
    while chunk := proc.stdout.read(1 << 20):
        h.update(chunk)
    if proc.wait() != 0:
        sys.exit(f"failed: {command}")
    return h.hexdigest()


def make_file(path, mib):
    with open(path, "wb") as f:
        for _ in range(mib):
            f.write(os.urandom(1 << 20))


def main():
    work = tempfile.mkdtemp(prefix="tolvarin-bench-")
    data = os.path.join(work, "data.bin")
    make_file(data, SIZE_MIB)
    megabytes = SIZE_MIB * (1 << 20) / 1e6

    rows = []
    for layout, order, fmt in CASES:
        ours = f"{TOOL} {data} {order} {layout}"
        hexdump = f"hexdump -v -e '{fmt}' {data}"
        if digest(ours) != digest(hexdump):
            sys.exit(f"hexdump prints other lines than Tolvarin for {layout} {order}")
        ours_s = shell_time(ours + " > /dev/null", RUNS)
        hexdump_s = shell_time(hexdump + " > /dev/null", PEER_RUNS)
        xxd_s = shell_time(f"xxd {data} > /dev/null", PEER_RUNS)

        saved = os.path.join(work, "out.txt")
        subprocess.run(f"{ours} > {saved}", shell=True, check=True)
        piped_s = shell_time(f"{ours} | wc -c", RUNS)
        cat_s = shell_time(f"cat {saved} | wc -c", RUNS)
        os.remove(saved)
        rows.append((layout, order, megabytes / ours_s, megabytes / hexdump_s, megabytes / xxd_s, piped_s / cat_s))

    large = os.path.join(work, "large.bin")
    os.truncate(data, 0)
    make_file(large, LARGE_MIB)
    report = subprocess.run(f"/usr/bin/time -v {TOOL} {large} -L 112444 > /dev/null", shell=True, check=True,
                            stderr=subprocess.PIPE, text=True).stderr
    peak_kib = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
    os.remove(large)
    os.remove(data)
    os.rmdir(work)

    print(f"input: {SIZE_MIB} MiB of random bytes, output to /dev/null; medians of {RUNS} runs "
          f"({PEER_RUNS} for peers); MB/s of input")
    print()
    print("| layout | Tolvarin MB/s | hexdump MB/s | xxd MB/s | vs hexdump | vs xxd | piped vs cat |")
    print("|---|---|---|---|---|---|---|")
    for layout, order, ours, hexdump, xxd, pipe in rows:
        print(f"| `{layout}` {order} | {ours:.0f} | {hexdump:.1f} | {xxd:.0f} | {ours / hexdump:.0f}x "
              f"| {ours / xxd:.1f}x | {pipe:.2f}x |")
    print()
    print(f"peak resident set of Tolvarin on {LARGE_MIB} MiB (-L 112444): {peak_kib / 1024:.1f} MiB")


if __name__ == "__main__":
    main()
