#!/usr/bin/env python3
"""Times Tolvarin against hexdump and xxd on one generated file and prints
tables of input MB/s and ratios. Every other program's output is checked
equal to Tolvarin's before it is timed.

  peers: Tolvarin, hexdump and xxd writing to /dev/null; Tolvarin piped into
         wc -c against cat of the same output piped into wc -c; Tolvarin
         reading /dev/stdin from cat against cat piped into cat.
  --baseline OLD: another build of Tolvarin, timed in turn with this one.
  --windows EXE: a Windows program under Wine beside the Linux one, to
         /dev/null and into a pipe; its output must be the Linux output with
         CR LF. Given twice, for the 64-bit and the 32-bit program.
Last, Tolvarin's peak memory on a larger input.
"""
import argparse
import hashlib
import os
import re
import shlex
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

# Layout, byte order, and the hexdump format that prints the same lines on
# a little-endian machine.
CASES = [
    ("112444", "-L", '1/1 "%02X" " " 1/1 "%02X" " " 1/2 "%04X" " " 1/4 "%08X" " " 1/4 "%08X" " " 1/4 "%08X" " " "\\n"'),
    ("1", "-L", '1/1 "%02X" " " "\\n"'),
    ("8", "-B", '8/1 "%02X" " " "\\n"'),
]
PEER_RUNS = 3


def seconds(command, runs):
    """Median wall time of `command` over `runs` runs."""
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def seconds_together(commands, runs):
    """Median wall times of several commands, run in turn so that the
    machine's noise falls on each alike."""
    times = [[] for _ in commands]
    for _ in range(runs):
        for i, command in enumerate(commands):
            start = time.perf_counter()
            subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL)
            times[i].append(time.perf_counter() - start)
    return [statistics.median(t) for t in times]


def digest(command, crlf=False):
    proc = subprocess.Popen(command, shell=True, stdout=subprocess.PIPE)
    h = hashlib.sha256()
    while chunk := proc.stdout.read(1 << 20):
        h.update(chunk.replace(b"\n", b"\r\n") if crlf else chunk)
    if proc.wait() != 0:
        sys.exit(f"failed: {command}")
    return h.hexdigest()


def make_file(path, mib):
    with open(path, "wb") as f:
        for _ in range(mib):
            f.write(os.urandom(1 << 20))


def peers(tool, data, work, megabytes, runs):
    print(f"| layout | Tolvarin MB/s | hexdump MB/s | xxd MB/s | vs hexdump | vs xxd | piped vs cat "
          f"| from a pipe vs cat |")
    print("|---|---|---|---|---|---|---|---|")
    for layout, order, fmt in CASES:
        ours = f"{tool} {data} {order} {layout}"
        hexdump = f"hexdump -v -e '{fmt}' {data}"
        if digest(ours) != digest(hexdump):
            sys.exit(f"hexdump prints other lines than Tolvarin for {layout} {order}")
        ours_s = seconds(ours + " > /dev/null", runs)
        hexdump_s = seconds(hexdump + " > /dev/null", PEER_RUNS)
        xxd_s = seconds(f"xxd {data} > /dev/null", PEER_RUNS)
        saved = os.path.join(work, "out.txt")
        subprocess.run(f"{ours} > {shlex.quote(saved)}", shell=True, check=True)
        piped_s, cat_s = seconds_together([f"{ours} | wc -c", f"cat {shlex.quote(saved)} | wc -c"], runs)
        os.remove(saved)
        from_pipe_s, cat_cat_s = seconds_together(
            [f"cat {data} | {tool} /dev/stdin {order} {layout} > /dev/null", f"cat {data} | cat > /dev/null"], runs)
        ours_mb, hexdump_mb, xxd_mb = megabytes / ours_s, megabytes / hexdump_s, megabytes / xxd_s
        print(f"| `{layout}` {order} | {ours_mb:.0f} | {hexdump_mb:.1f} | {xxd_mb:.0f} | {ours_mb / hexdump_mb:.0f}x "
              f"| {ours_mb / xxd_mb:.1f}x | {piped_s / cat_s:.2f}x | {from_pipe_s / cat_cat_s:.2f}x |")


def baseline(tool, old, data, megabytes, runs):
    print("| layout | this build MB/s | baseline MB/s | this / baseline | this from a pipe vs cat "
          "| baseline from a pipe vs cat |")
    print("|---|---|---|---|---|---|")
    for layout, order, _ in CASES:
        if digest(f"{tool} {data} {order} {layout}") != digest(f"{old} {data} {order} {layout}"):
            sys.exit(f"the baseline prints other lines for {layout} {order}")
        new_s, old_s = seconds_together([f"{tool} {data} {order} {layout} > /dev/null",
                                         f"{old} {data} {order} {layout} > /dev/null"], runs)
        new_pipe_s, old_pipe_s, cat_s = seconds_together(
            [f"cat {data} | {tool} /dev/stdin {order} {layout} > /dev/null",
             f"cat {data} | {old} /dev/stdin {order} {layout} > /dev/null", f"cat {data} | cat > /dev/null"], runs)
        print(f"| `{layout}` {order} | {megabytes / new_s:.0f} | {megabytes / old_s:.0f} | {old_s / new_s:.2f}x "
              f"| {new_pipe_s / cat_s:.2f}x | {old_pipe_s / cat_s:.2f}x |")


def wine_loader(exe):
    """The shell command that starts the Windows program `exe` under Wine:
    the 64-bit loader for a PE32+ program, started directly (Debian's `wine`
    starts the 32-bit loader whenever wine32 is installed), `wine` for a
    32-bit one."""
    with open(exe, "rb") as f:
        image = f.read(4096)
    pe = int.from_bytes(image[0x3C:0x40], "little")
    if int.from_bytes(image[pe + 4:pe + 6], "little") == 0x8664:
        return "WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 " + shlex.quote(exe)
    return "wine " + shlex.quote(exe)


def windows(tool, exes, data, work, megabytes, runs):
    # Every wine command below, run through the shell, gets a prefix of its
    # own; the 32-bit program runs only where the machine runs 32-bit x86
    # programs.
    os.environ.update(WINEPREFIX=os.path.join(work, "wineprefix"), WINEDEBUG="-all",
                      WINEDLLOVERRIDES="mscoree,mshtml=")
    os.makedirs(os.environ["WINEPREFIX"])
    subprocess.run("wineserver -p", shell=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    programs = []
    for exe in exes:
        command = wine_loader(exe)
        # Wine's helpers hold a pipe open: its message goes to a file.
        with tempfile.TemporaryFile() as errors:
            status = subprocess.run(command, shell=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=errors).returncode
            errors.seek(0)
            reason = (errors.read().decode(errors="replace").strip().splitlines() or [f"status {status}"])[-1]
        if status != 0:
            print(f"{exe} not timed: it does not start here ({reason})")
            continue
        programs.append((os.path.basename(os.path.dirname(exe)), command))
    print()
    print("| layout | program | Linux to /dev/null MB/s | Windows to /dev/null MB/s | Linux to a pipe MB/s "
          "| Windows to a pipe MB/s | Windows: /dev/null vs pipe | /dev/null: Windows vs Linux "
          "| pipe: Windows vs Linux |")
    print("|---|---|---|---|---|---|---|---|---|")
    try:
        for layout, order, _ in CASES:
            args = f"{data} {order} {layout}"
            for name, wine in programs:
                if digest(f"{tool} {args}", crlf=True) != digest(f"{wine} {args}"):
                    sys.exit(f"the Windows program {name} prints other lines for {layout} {order}")
                linux_null, win_null, linux_pipe, win_pipe = seconds_together(
                    [f"{tool} {args} > /dev/null", f"{wine} {args} > /dev/null", f"{tool} {args} | wc -c",
                     f"{wine} {args} | wc -c"], runs)
                print(f"| `{layout}` {order} | {name} | {megabytes / linux_null:.0f} | {megabytes / win_null:.0f} "
                      f"| {megabytes / linux_pipe:.0f} | {megabytes / win_pipe:.0f} | {win_null / win_pipe:.2f}x "
                      f"| {win_null / linux_null:.2f}x | {win_pipe / linux_pipe:.2f}x |")
    finally:
        subprocess.run(["wineserver", "-k"], check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("tool")
    parser.add_argument("--mib", type=int, default=64, help="size of the input (default 64)")
    parser.add_argument("--large-mib", type=int, default=1024, help="size of the memory input (default 1024)")
    parser.add_argument("--runs", type=int, default=7, help="runs of each Tolvarin command (default 7)")
    parser.add_argument("--baseline", help="another build of Tolvarin to time in turn with this one")
    parser.add_argument("--windows", action="append", default=[],
                        help="a Windows program to time under Wine (may be given more than once)")
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)

    work = tempfile.mkdtemp(prefix="tolvarin-bench-")
    try:
        data = os.path.join(work, "data.bin")
        make_file(data, options.mib)
        megabytes = options.mib * (1 << 20) / 1e6
        print(f"input: {options.mib} MiB of random bytes; medians of {options.runs} runs ({PEER_RUNS} for "
              f"hexdump and xxd); MB/s of input")
        print()
        # Paths as the shell commands below take them.
        shell_tool, shell_data = shlex.quote(tool), shlex.quote(data)
        peers(shell_tool, shell_data, work, megabytes, options.runs)
        if options.baseline:
            print()
            baseline(shell_tool, shlex.quote(os.path.abspath(options.baseline)), shell_data, megabytes, options.runs)
        if options.windows:
            print()
            windows(shell_tool, [os.path.abspath(exe) for exe in options.windows], shell_data, work, megabytes,
                    options.runs)

        os.remove(data)
        large = os.path.join(work, "large.bin")
        make_file(large, options.large_mib)
        report = subprocess.run(f"/usr/bin/time -v {shlex.quote(tool)} {shlex.quote(large)} -L 112444 > /dev/null", shell=True, check=True,
                                stderr=subprocess.PIPE, text=True).stderr
        peak_kib = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
        print()
        print(f"peak resident set of Tolvarin on {options.large_mib} MiB (-L 112444): {peak_kib / 1024:.1f} MiB")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
