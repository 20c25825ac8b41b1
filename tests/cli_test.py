#!/usr/bin/env python3
"""Runs the Tolvarin program as a user would and checks its bytes and status.

Configuration comes from the environment:
  TOLVARIN              the program to run
  TOLVARIN_RUNNER       a command to run it under (wine64, an emulator)
  TOLVARIN_SYSTEM       "windows" for a Windows program: CR LF line ends,
                        names in the ANSI code page, Windows' ways in
  TOLVARIN_SERVE        on Windows, a program that hands the tool its input
                        as Windows programs do (serve.cpp)
  TOLVARIN_POLL_SHIM    on Linux, a library to preload that makes poll(2)
                        refuse devices (poll_refuses_devices.cpp)
  TOLVARIN_SANDBOX_PROBE  on Linux, a library to preload that tries what the
                        sandbox refuses (sandbox_probe.cpp)
Expected texts are converted with iconv, never taken from the program.
"""
import ctypes
import errno
import fcntl
import itertools
import os
import pathlib
import pty
import random
import re
import resource
import select
import shutil
import signal
import socket
import stat
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty
import unicodedata
import unittest

TOOL = os.environ.get("TOLVARIN", "")
RUNNER = os.environ.get("TOLVARIN_RUNNER", "").split()
WINDOWS = os.environ.get("TOLVARIN_SYSTEM", "") == "windows"
SERVE = os.environ.get("TOLVARIN_SERVE", "")
# On Linux, a library that makes poll(2) refuse devices, as macOS's does.
POLL_SHIM = os.environ.get("TOLVARIN_POLL_SHIM", "")
SANDBOX_PROBE = os.environ.get("TOLVARIN_SANDBOX_PROBE", "")
# strace injects faults into the program's own system calls; under an
# emulator it would see the emulator's.
STRACE = shutil.which("strace") if not WINDOWS and not RUNNER else None
NO_STRACE = "needs strace and a native Linux program"
# LeakSanitizer, in a sanitizer build, cannot run under strace's ptrace.
TRACED = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

ORDER_MESSAGE = "エンディアンは -l か -L か -b か -B で 指定して下さい\n"
LENGTH_MESSAGE = "表示レイアウト（フォーマット）文字列は30文字以下で指定して下さい\n"
CHARACTER_MESSAGE = "表示レイアウト（フォーマット）文字列は [1 or 2 or 4 or 8] で指定して下さい\n"
OPEN_ERROR = "ファイルオープンエラー\n"
READ_ERROR = "ファイルリードエラー\n"
USAGE = [
    ("表示レイアウト（フォーマット）文字列指定ダンプ\n", 47),
    ("使い方:Tolvarin [入力ファイル名] \n", 34),
    ("                     [バイトオーダー：-L or -B] \n", 49),
    ("                     [レイアウト（数字文字列）]\n", 48),
    ("１行のレイアウト（フォーマット）を数字文字列で指定し、アドレスなしでダンプします\n", 81),
    ("レイアウト（数字文字列）の説明\n", 31),
    ("  1 - 1バイト\n", 14),
    ("  2 - 2バイト\n", 14),
    ("  4 - 4バイト\n", 14),
    ("  8 - 8バイト\n", 14),
    ("[例]\n", 5),
    ("C:\\>Tolvarin TEST.bin -B 112444\n", 32),
]
EXAMPLE_BIG = b"00 01 0203 04050607 08090A0B 0C0D0E0F \n10 11 1213 "
EXAMPLE_LITTLE = b"00 01 0302 07060504 0B0A0908 0F0E0D0C \n10 11 1312 "


def encode(text, encoding="CP932"):
    """The text in `encoding`, converted by iconv."""
    return subprocess.run(["iconv", "-f", "UTF-8", "-t", encoding], input=text.encode(),
                          stdout=subprocess.PIPE, check=True).stdout


def shown(path):
    """The name as the program prints it in a message: as given on Linux; on
    Windows in the ANSI code page (1252 under Wine here), with '?' for each
    character outside it."""
    return path.encode("cp1252", "replace") if WINDOWS else path.encode()


def console(data):
    """What reaches standard output for `data` written by the tool."""
    return data.replace(b"\n", b"\r\n") if WINDOWS else data


def reference_dump(data, layout, big):
    """An independent model of the dump, one field at a time."""
    out, pos = bytearray(), 0
    while True:
        for digit in layout:
            width = int(digit)
            got = data[pos:pos + width]
            pos += width
            if not got:
                return bytes(out)
            field = got + bytes(width - len(got))
            out += (field if big else field[::-1]).hex().upper().encode() + b" "
            if len(got) < width:
                return bytes(out)
        out += b"\n"


def whole_fields(data, layout, big):
    """What the dump must have written once `data` has arrived: every whole
    field, and the line end of every whole line."""
    pos, end = 0, 0
    while True:
        for digit in layout:
            pos += int(digit)
            if pos > len(data):
                return reference_dump(data[:end], layout, big)
            end = pos


def read_for(stream, count, seconds=1.0):
    """Reads from the pipe `stream` until `count` bytes came or `seconds` passed."""
    got, deadline = b"", time.monotonic() + seconds
    while len(got) < count:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([stream], [], [], left)[0]:
            break
        chunk = os.read(stream.fileno(), count - len(got))
        if not chunk:
            break
        got += chunk
    return got


def raw_terminal():
    """A new pseudo-terminal in raw mode: its master and slave descriptors."""
    master, slave = os.openpty()
    tty.setraw(slave)
    return master, slave


# The numbers of read(2), poll(2) and ppoll(2) on this machine, as
# /proc/PID/syscall shows them.
WAIT_SYSCALLS = {"x86_64": {"0", "7", "271"}, "aarch64": {"63", "73"},
                 "i686": {"3", "168", "309"}}.get(os.uname().machine, set())


def waiting_for_input(pid, unread, seconds=10):
    """Waits until process `pid` sleeps in read(2) or poll(2) with `unread()`
    bytes left for it to take; false if it never does. A process only
    preempted in a call (a poll that does not wait) is running, not asleep."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with open(f"/proc/{pid}/stat") as f:
            asleep = f.read().rsplit(")", 1)[1].split()[0] == "S"
        with open(f"/proc/{pid}/syscall") as f:
            call = f.read().split()[0]
        if asleep and call in WAIT_SYSCALLS and unread() == 0:
            return True
        time.sleep(0.005)
    return False


def cpu_seconds_while_idle(pid, seconds=0.5):
    """The CPU time that process `pid` takes in `seconds` of the caller's waiting."""
    def used():
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    before = used()
    time.sleep(seconds)
    return used() - before


def run(args, stdin=None, stdout=subprocess.PIPE, cwd=None, server=()):
    """Runs the tool with `args` in the folder `cwd`, started by `server`
    (a program that takes the tool and its arguments) if one is given."""
    given = {"input": stdin} if stdin is None or isinstance(stdin, bytes) else {"stdin": stdin}
    result = subprocess.run(RUNNER + list(server) + [TOOL] + args, **given, stdout=stdout,
                            stderr=subprocess.PIPE, cwd=cwd, timeout=120)
    return result.stdout, result.stderr, result.returncode


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def descriptor(self, path, offset=0, flags=0):
        """`path` opened for reading with `flags`, at `offset`, closed after
        the test."""
        fd = os.open(path, os.O_RDONLY | flags)
        self.addCleanup(os.close, fd)
        os.lseek(fd, offset, os.SEEK_SET)
        return fd

    def file(self, data, name="input.bin"):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def check(self, args, expected, status, stdin=None, **how):
        out, err, code = run(args, stdin, **how)
        self.assertEqual(out, console(expected))
        self.assertEqual(err, b"")
        self.assertEqual(code, status)


class Runs(Case):
    """One run of the tool a row: arguments, standard input, the bytes
    expected on standard output (before CR LF), the status, and optionally
    how the tool is run."""

    def test_rows(self):
        for label, args, stdin, expected, status, *how in self.rows():
            with self.subTest(label, args=args):
                self.check(args, expected, status, stdin, **(how[0] if how else {}))

    def rows(self):
        d = self.dir.name
        rows = []
        # The usage screen, its bytes checked against iconv's line by line.
        for text, size in USAGE:
            self.assertEqual(len(encode(text)), size, text)
        screen = b"".join(encode(text) for text, _ in USAGE)
        self.assertTrue(screen.startswith(b"\x95\x5c"), "the title starts with the two bytes of its first character")
        for args in ([], ["x.bin"], ["x.bin", "-B"]):
            rows.append((f"usage after {len(args)} arguments", args, None, screen, 0))

        # The first failing check decides; a refused argument never opens
        # the input, so a FIFO without a writer does not block.
        missing = os.path.join(d, "missing.bin")
        order, length, character = encode(ORDER_MESSAGE), encode(LENGTH_MESSAGE), encode(CHARACTER_MESSAGE)
        opened = encode(OPEN_ERROR) + missing.encode() + b"\n"
        checks = [
            ("l", "112444", order), ("-x", "112444", order), ("-le", "x", order), ("-LE", "1" * 40, order),
            ("", "", order), ("-B", "1" * 31, length), ("-L", "x" * 31, length), ("-B", "3", character),
            ("-b", "0", character), ("-l", "16", character), ("-B", "1 2", character), ("-B", "", character),
            ("-B", "12481248124812481248124812481x", character), ("-B", "1" * 30, opened), ("-L", "8", opened),
            # Look-alikes of a byte order and of digits: checked as typed,
            # never as a copy that maps them to ASCII.
            ("－Ｂ", "112444", order), ("-B", "８", character), ("-L", "¹²", character), ("-B", "８" * 11, length),
        ]
        rows += [(f"check {o!r} {l!r}", [missing, o, l], None, message, 1) for o, l, message in checks]
        fifo = os.path.join(d, "fifo")
        os.mkfifo(fifo)
        rows += [(f"refused before opening {o} {l!r}", [fifo, o, l], None, message, 1)
                 for o, l, message in [("-x", "112444", order), ("-B", "1" * 31, length), ("-L", "3", character)]]

        # Names that open and names that do not; Windows opens names outside
        # its ANSI code page too. A name longer than 4,095 bytes shows its
        # first 4,095 bytes.
        failed = [os.path.join(d, "missing%d%s%n.bin"), "", d, os.path.join(d, "データ.bin")]
        rows += [(f"does not open {path!r}", [path, "-B", "1"], None, encode(OPEN_ERROR) + shown(path) + b"\n", 1)
                 for path in failed]
        os.mkdir(os.path.join(d, "here"))
        rows += [(f"opens {name!r}", [self.file(b"\xab", os.path.join("here", name)), "-B", "1"], None, b"AB \n", 0)
                 for name in ("データ.bin", "😀 100%.bin")]
        long_name = os.path.join(d, "n" * 5000)
        rows.append(("name over 4,095 bytes", [long_name, "-B", "1"], None,
                     encode(OPEN_ERROR) + long_name[:4095].encode() + b"\n", 1))
        if not WINDOWS:  # Windows paths are far shorter than 4,095 bytes
            # A name of exactly 4,095 bytes opens; one byte more is not cut
            # back to an existing file of that name.
            folder = d
            while 4095 - len(folder) > 250:
                folder = os.path.join(folder, "d" * 200)
            os.makedirs(folder)
            name = os.path.join(folder, "f" * (4095 - len(folder) - 1))
            self.assertEqual(len(name), 4095)
            self.file(b"\xab", name)
            rows += [("name of 4,095 bytes", [name, "-B", "1"], None, b"AB \n", 0),
                     ("name of 4,096 bytes", [name + "x", "-B", "1"], None,
                      encode(OPEN_ERROR) + name.encode() + b"\n", 1),
                     # /proc/self/mem fails at its first byte.
                     ("read error", ["/proc/self/mem", "-B", "1"], None, encode(READ_ERROR) + b"/proc/self/mem\n", 1)]

        # Dumps: fixed cases, then random data against the model.
        example = self.file(bytes(range(20)), "example.bin")
        rows.append(("arguments after the third are ignored", [example, "-B", "112444", "-x", "3"], None,
                     EXAMPLE_BIG, 0))
        rows.append(("bundled example", [os.path.join(SOURCE_DIR, "examples", "TEST.bin"), "-B", "112444"], None,
                     EXAMPLE_BIG, 0))
        fixed = [
            (bytes(range(20)), "-B", "112444", EXAMPLE_BIG), (bytes(range(20)), "-b", "112444", EXAMPLE_BIG),
            (bytes(range(20)), "-L", "112444", EXAMPLE_LITTLE), (bytes(range(20)), "-l", "112444", EXAMPLE_LITTLE),
            (b"", "-B", "8", b""), (bytes(range(16)), "-B", "112444", b"00 01 0203 04050607 08090A0B 0C0D0E0F \n"),
            (b"\x12\x34", "-B", "2", b"1234 \n"), (b"\x12\x34", "-L", "2", b"3412 \n"),
            (b"\xaa", "-B", "2", b"AA00 "), (b"\xaa", "-L", "2", b"00AA "),
            (b"\xaa\xbb", "-B", "4", b"AABB0000 "), (b"\xaa\xbb", "-L", "4", b"0000BBAA "),
            (b"\x01\x02\x03", "-B", "8", b"0102030000000000 "), (b"\x01\x02\x03", "-L", "8", b"0000000000030201 "),
            (b"\x01\x02\x03\x04\x05", "-L", "18", b"01 0000000005040302 "),
            (b"\xff\x80\x7f\xfe", "-L", "1", b"FF \n80 \n7F \nFE \n"), (b"\xff\x80\x7f\xfe", "-L", "4", b"FE7F80FF \n"),
        ]
        rows += [(f"dump of {data.hex()} {o} {l}", [self.file(data, f"fixed{i}.bin"), o, l], None, expected, 0)
                 for i, (data, o, l, expected) in enumerate(fixed)]

        # The standard input's names read descriptor 0 itself: from where the
        # caller left it, a file the tool's user could not open by its name;
        # a directory does not open.
        six = self.file(bytes(range(6)), "six.bin")
        for name in ("/dev/stdin", "/dev/fd/0", "/proc/self/fd/0"):
            rows.append((f"{name} read from byte 3", [name, "-B", "1"], self.descriptor(six, 3), b"03 \n04 \n05 \n", 0))
        rows.append(("directory as standard input", ["/dev/stdin", "-B", "1"], self.descriptor(d),
                     encode(OPEN_ERROR) + b"/dev/stdin\n", 1))
        if hasattr(os, "O_DIRECT") and not WINDOWS:
            # Handed over with O_DIRECT, which reads only into aligned blocks
            # (a Windows handle has no such flag; Wine passes it through).
            rows.append(("O_DIRECT standard input", ["/dev/stdin", "-B", "1"],
                         self.descriptor(six, 3, os.O_DIRECT), b"03 \n04 \n05 \n", 0))
        if not WINDOWS and not RUNNER and os.geteuid() == 0 and shutil.which("setpriv"):
            os.chmod(six, 0o600)
            nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
            rows.append(("a file only the caller may open", ["/dev/stdin", "-B", "2"], self.descriptor(six),
                         b"0001 \n0203 \n0405 \n", 0, {"server": nobody}))
        rng = random.Random(7)
        data = bytes(rng.getrandbits(8) for _ in range(300_000))
        paths = {len(data): self.file(data, "random.bin"), len(data) - 3: self.file(data[:-3], "cut.bin")}
        for layout in ["1", "8", "112444", "2481", "84218421", "8" * 30, "1" * 30, "124" * 10, "12", "888881"]:
            for o in ("-B", "-L"):
                rows += [(f"model {layout} {o} {size} bytes", [path, o, layout], None,
                          reference_dump(data[:size], layout, o == "-B"), 0) for size, path in paths.items()]
        return rows


class Terminal(Case):
    """The texts in the encoding of the terminal or console that shows them;
    Shift_JIS everywhere else."""

    def test_texts_in_the_readers_encoding(self):
        # Outside code page 932 and outside 1252, Wine's ANSI code page here;
        # Wine's console cannot show characters beyond 16 bits.
        missing = os.path.join(self.dir.name, "データ-é.bin")
        # The arguments, the text, and whether the name follows it.
        texts = {(): ("".join(text for text, _ in USAGE), False), (missing, "-B", "1"): (OPEN_ERROR, True),
                 (missing, "-x", "1"): (ORDER_MESSAGE, False), (missing, "-B", "1" * 31): (LENGTH_MESSAGE, False)}
        # The locale's variables, where the output goes (a terminal, a pipe,
        # or on Windows the named pipe of a Cygwin or MSYS2 terminal), the
        # encoding expected, and the code page a Windows console is switched to.
        utf8 = {"LC_ALL": "C.UTF-8"}
        cases = [(utf8, True, "UTF-8", None), (utf8, False, "CP932", None)]
        if WINDOWS:
            # The console of a Japanese Windows: the texts' own bytes, and
            # names as typed although the ANSI code page lacks them.
            cases.append((utf8, True, "CP932", 932))
            # A terminal's pipe, by either name, takes UTF-8 unless the first
            # variable set names another code set; a look-alike is a pipe.
            nat, older = "msys-0123456789abcdef-pty0-to-master-nat", "cygwin-0123456789ABCDEF-pty12-to-master"
            cases += [({"LANG": "ja_JP.UTF-8"}, nat, "UTF-8", None),
                      ({"LANG": "ja_JP.SJIS", "LC_ALL": "ja_JP.utf8"}, older, "UTF-8", None),
                      ({"LANG": "ja_JP.UTF-8", "LC_ALL": "C"}, nat, "CP932", None),
                      ({"LANG": "ja_JP.SJIS"}, nat, "CP932", None), ({}, nat, "UTF-8", None),
                      ({"LANG": "ja_JP.UTF-8"}, "msys-notakey-pty0-to-master", "CP932", None)]
        else:
            # A locale that is named but not installed still decides by its
            # codeset, in either spelling of UTF-8; LC_ALL=C wins over it.
            missing = {"LANG": "xx_XX.utf8", "LC_CTYPE": "", "LC_ALL": ""}
            cases += [({"LC_ALL": "C"}, True, "CP932", None), (missing, True, "UTF-8", None),
                      (dict(missing, LANG="xx_XX.UTF-8"), True, "UTF-8", None),
                      (dict(missing, LANG="xx_XX.ISO-8859-1"), True, "CP932", None),
                      (dict(missing, LC_ALL="C"), True, "CP932", None)]
            # LC_ALL, then LC_CTYPE, over LANG, either way round.
            for first in ("LC_ALL", "LC_CTYPE"):
                cases += [(dict(missing, **{first: "xx_XX.UTF-8"}, LANG="xx_XX.ISO-8859-1"), True, "UTF-8", None),
                          (dict(missing, **{first: "xx_XX.ISO-8859-1"}, LANG="xx_XX.UTF-8"), True, "CP932", None)]
        for locale, where, encoding, codepage in cases:
            for args, (text, named) in texts.items():
                with self.subTest(locale=locale, where=where, codepage=codepage, args=args):
                    out = self.shown(list(args), locale, where, codepage)
                    if WINDOWS and where is True:
                        # Wine's console draws with escape sequences and moves
                        # the cursor over a line's closing space.
                        text += args[0] + "\n" if named else ""
                        lines = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", out).decode().split("\r\n")
                        self.assertEqual([line.rstrip() for line in lines], [line.rstrip() for line in
                                                                             text.split("\n")])
                        continue
                    name = b""
                    if named:
                        name = (args[0].encode() if encoding == "UTF-8" else shown(args[0])) + b"\n"
                    self.assertEqual(out, console(encode(text, encoding) + name))

    @staticmethod
    def shown(args, locale, where, codepage=None):
        """What the program writes with `args` under the locale variables
        `locale` to a raw pseudo-terminal (`where` True), or to a pipe; on
        Windows, started by cmd after switching the console to `codepage` if
        one is given, or by serve with the pipe named `where` as its output
        and the variables set for the program alone."""
        env = {k: v for k, v in os.environ.items() if k not in ("LC_ALL", "LC_CTYPE", "LANG")}
        env.update(locale)
        command = RUNNER + [TOOL] + args
        if isinstance(where, str):
            variables = [locale.get(name, "") for name in ("LANG", "LC_ALL", "LC_CTYPE")]
            return subprocess.run(RUNNER + [SERVE, "terminal", where] + variables + [TOOL] + args,
                                  stdout=subprocess.PIPE).stdout
        if codepage:
            program = "Z:" + TOOL.replace("/", "\\")
            command = RUNNER + ["cmd", "/c", f"chcp {codepage} > NUL & {program} {' '.join(args)}"]
        if not where:
            return subprocess.run(command, stdout=subprocess.PIPE, env=env).stdout
        master, slave = raw_terminal()
        proc = subprocess.Popen(command, stdin=slave, stdout=slave, stderr=subprocess.DEVNULL, env=env)
        os.close(slave)
        out, deadline = b"", time.monotonic() + 20
        while time.monotonic() < deadline:
            if not select.select([master], [], [], 0.2)[0]:
                if proc.poll() is not None:
                    break
                continue
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the terminal hung up: every writer is gone
                break
            if not chunk:
                break
            out += chunk
        os.close(master)
        proc.wait(timeout=10)
        return out


LINUX_ONLY = "/proc, terminals as input and FIFOs without a writer are Linux's"


class Streams(Case):
    def test_inputs_without_a_size(self):
        data = random.Random(3).randbytes(200_001)
        dump = reference_dump(data, "112444", False)
        fifo = os.path.join(self.dir.name, "fifo")
        os.mkfifo(fifo)
        # Arguments, standard input, how the tool is run, what feeds the FIFO
        # or the socket, the dump expected.
        cases = [(["/dev/stdin", "-L", "112444"], data, {}, None, dump)]
        if WINDOWS:
            # A named pipe whose server flushes, disconnects and closes it; a
            # message-mode pipe with a message longer than a read, and one
            # with messages of 0 bytes, neither of which is its end; a
            # non-blocking pipe that is empty for a while.
            cases += [([self.file(data), "-L", "112444"], None, {"server": [SERVE, mode]}, None, dump)
                      for mode in ("pipe", "message", "empty", "nowait")]
        else:
            with open("/proc/version", "rb") as f:
                version = f.read()
            self.assertEqual(os.stat("/proc/version").st_size, 0)
            # A socket, as inetd, socat and systemd hand one over.
            ours, theirs = socket.socketpair()
            self.addCleanup(ours.close)
            cases += [([fifo, "-L", "112444"], None, {}, lambda: pathlib.Path(fifo).write_bytes(data), dump),
                      (["/proc/self/fd/0", "-L", "112444"], ours, {}, lambda: (theirs.sendall(data), theirs.close()),
                       dump),
                      (["/proc/version", "-B", "4"], None, {}, None, reference_dump(version, "4", True))]
            # Records, each read whole however full the block is: 200
            # datagrams or sequenced packets of 1,000 bytes. A datagram
            # socket ends at an empty datagram, a sequenced-packet one when
            # its peer closes.
            records = data[:200_000]
            for kind in (socket.SOCK_DGRAM, socket.SOCK_SEQPACKET):
                reader, sender = socket.socketpair(socket.AF_UNIX, kind)
                self.addCleanup(reader.close)

                def send(sender=sender, end=[b""] if kind == socket.SOCK_DGRAM else []):
                    for record in [records[i:i + 1000] for i in range(0, len(records), 1000)] + end:
                        sender.send(record)
                    sender.close()
                cases.append((["/dev/stdin", "-L", "112444"], reader, {}, send,
                              reference_dump(records, "112444", False)))
        for row, (args, stdin, how, feeder, expected) in enumerate(cases):
            with self.subTest(row=row, args=args[0], how=how):
                writer = threading.Thread(target=feeder) if feeder else None
                if writer:
                    writer.start()
                self.check(args, expected, 0, stdin, **how)
                if writer:
                    writer.join()

    @unittest.skipIf(WINDOWS, LINUX_ONLY)
    def test_terminal_that_hangs_up(self):
        # A terminal that hangs up has ended, blocking or not, whether the
        # hang-up meets a read that waits or one still to come: the whole
        # fields stand, and a cut field is padded as at any end. Named by a
        # session leader without a terminal (a service, setsid), it never
        # becomes the tool's controlling terminal, whose hang-up would kill
        # the tool.
        cases = [(bytes(range(1, 8)), "4", b"01020304 \n05060700 "),
                 (bytes(range(1, 9)), "4", b"01020304 \n05060708 \n"), (b"ABCDE", "1124", b"41 42 4344 45000000 ")]
        ways = [("standard input", True), ("standard input", False), ("by name, session leader", True)]
        for (data, layout, expected), (way, blocking), attempt in itertools.product(cases, ways, range(3)):
            with self.subTest(data=data.hex(), way=way, blocking=blocking, attempt=attempt):
                master, slave = raw_terminal()
                os.set_blocking(slave, blocking)
                os.write(master, data)
                by_name = way.startswith("by name")
                proc = subprocess.Popen(RUNNER + [TOOL, os.ttyname(slave) if by_name else "/dev/stdin", "-B", layout],
                                        stdin=subprocess.DEVNULL if by_name else slave, start_new_session=by_name,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                # The tool waits with every byte taken: a hang-up drops
                # what the terminal still holds.
                unread = lambda: struct.unpack("i", fcntl.ioctl(slave, termios.FIONREAD, b"\0" * 4))[0]
                self.assertTrue(waiting_for_input(proc.pid, unread), "the tool never waited for the terminal")
                os.close(master)
                os.close(slave)
                out, err = proc.communicate(timeout=10)
                self.assertEqual((out, err, proc.returncode), (expected, b"", 0))

    def test_output_that_is_the_input(self):
        # Standard output that is the input file with bytes still to read
        # gets nothing and the file stays as it was; a file the shell has
        # emptied is an empty input.
        data = bytes(range(256)) * 800
        path = os.path.join(self.dir.name, "self.bin")
        rows = [("appended to (>>)", "ab", path, 1), ("read and written (1<>)", "r+b", path, 1),
                ("read and written as standard input (0<> 1>&0)", "r+b", "/dev/stdin", 1),
                ("emptied (>)", "wb", path, 0)]
        # A tool that fed the file would fill the disk: a file size limit
        # ends it with SIGXFSZ instead.
        limit = 16 * len(data)
        for label, mode, name, status in rows:
            with self.subTest(label):
                pathlib.Path(path).write_bytes(data)
                with open(path, mode) as out:
                    result = subprocess.run(RUNNER + [TOOL, name, "-B", "1"], stdin=out if name == "/dev/stdin" else None,
                                            stdout=out, stderr=subprocess.PIPE, timeout=120,
                                            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit)))
                self.assertEqual((result.stderr, result.returncode), (b"", status))
                self.assertEqual(pathlib.Path(path).read_bytes(), data if status else b"")

    @unittest.skipUnless(WINDOWS, "Windows' file sharing and long names")
    def test_opens_as_windows_does(self):
        # Wine opens what Windows refuses, a file that another program holds
        # open for writing and a name whose full path is MAX_PATH characters
        # or more, so each row also reads in Wine's trace what the tool asks
        # CreateFileW for: the input shared with its writers, under a long
        # name's \\?\ form, at the identification level alone for a pipe's
        # server (SECURITY_SQOS_PRESENT, SECURITY_IDENTIFICATION).
        data = bytes(range(256)) * 4
        dump = reference_dump(data, "1", True)
        d = self.dir.name
        deep = os.path.join("d" * 150, "e" * 150, "f.bin")
        os.makedirs(os.path.dirname(os.path.join(d, deep)))
        full = "\\\\?\\Z:" + os.path.join(d, deep).replace("/", "\\")
        unc = "\\\\server\\share\\" + "u" * 300 + "\\f.bin"
        # A file only in the 64-bit System32 of a 64-bit prefix, which WOW64
        # would redirect the 32-bit program away from.
        system32 = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows")
        only64 = os.path.join(system32, "system32", "tolvarin-only-here.bin")
        self.addCleanup(lambda: os.path.exists(only64) and os.remove(only64))
        program = "Z:" + TOOL.replace("/", "\\")
        tool = lambda name, server=(): RUNNER + list(server) + [TOOL, name, "-B", "1"]
        # The command, the file it names (made of `data` first), the dump and
        # the status, how the name asked for begins, the file's bytes after.
        rows = [("held open for writing, appended to after", tool("held.bin", [SERVE, "hold"]), "held.bin", dump, 0,
                 "held.bin", data + b"more"),
                ("a relative name over 260 characters", tool(deep), deep, dump, 0, full, data),
                ("a long name given as \\\\?\\", tool(full), deep, dump, 0, full, data),
                ("a long name given as \\\\.\\", tool("\\\\.\\" + full[4:]), deep, dump, 0, full, data),
                ("a long UNC name", tool(unc), None, encode(OPEN_ERROR) + unc.encode() + b"\n", 1,
                 "\\\\?\\UNC\\server\\share\\u", None),
                ("dumped into itself by cmd's >>", RUNNER + ["cmd", "/c", f"{program} self.bin -B 1 >> self.bin"],
                 "self.bin", b"", 1, "self.bin", data)]
        if os.path.isdir(os.path.join(system32, "syswow64")):
            rows.append(("only in System32", tool("C:\\windows\\system32\\tolvarin-only-here.bin"), only64, dump, 0,
                         "C:\\windows\\system32\\tolvarin-only-here.bin", data))
        shared = b"GENERIC_READ FILE_SHARE_READ FILE_SHARE_WRITE FILE_SHARE_DELETE"
        # SECURITY_SQOS_PRESENT; of the levels, SECURITY_IDENTIFICATION.
        sqos, levels, identification = 0x100000, 0x30000, 0x10000
        for label, command, name, expected, status, asked, after in rows:
            with self.subTest(label):
                if name:
                    pathlib.Path(d, name).write_bytes(data)
                result = subprocess.run(command, cwd=d, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120,
                                        env=dict(os.environ, WINEDEBUG="+file"))
                self.assertEqual((result.stdout, result.returncode), (console(expected), status))
                if name:
                    self.assertEqual(pathlib.Path(d, name).read_bytes(), after)
                # The tool's opens of the name, for reading; Wine's trace
                # doubles each backslash and cuts a long name short.
                opens = [(named.replace(b"\\\\", b"\\").decode(), flags, int(attributes, 16))
                         for named, flags, attributes in re.findall(
                             rb'CreateFileW L"(.+?)"(?:\.\.\.)? (GENERIC_READ .*?)  creation \d+ attributes (0x[0-9a-f]+)',
                             result.stderr)]
                asks = [(flags, attributes & (sqos | levels)) for named, flags, attributes in opens
                        if asked.startswith(named) or named.startswith(asked)]
                self.assertEqual(asks, [(shared, sqos | identification)])

    def test_failed_writes(self):
        small = self.file(bytes(range(20)))
        large = self.file(bytes(1_000_000), "large.bin")
        for args in ([], [small, "-B", "112444"], [large, "-L", "1"], ["missing", "-x", "1"]):
            with self.subTest(args=args), open("/dev/full", "wb") as full:
                _, err, code = run(args, stdout=full)
                self.assertEqual((err, code), (b"", 1))

    def test_closed_pipe(self):
        # SIGPIPE ends the tool; on Windows the write fails: status 1.
        path = self.file(bytes(5_000_000))
        proc = subprocess.Popen(RUNNER + [TOOL, path, "-B", "1"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.assertEqual(proc.stdout.read(10), console(b"00 \n00 \n00")[:10])
        proc.stdout.close()
        self.assertEqual(proc.wait(timeout=60), 1 if WINDOWS else -signal.SIGPIPE)
        self.assertEqual(proc.stderr.read(), b"")
        proc.stderr.close()

    @unittest.skipUnless(STRACE, NO_STRACE)
    def test_injected_faults(self):
        # Faults injected into the tool's reads, writes and polls of its
        # input and output alone. Transient ones change nothing. A failed
        # read ends the dump so far with the read-error message, the name and
        # status 1. A failed write ends the tool at once with status 1 after
        # a clean prefix of the dump.
        data = random.Random(11).randbytes(300_000)
        dump = reference_dump(data, "112444", False)
        faults = [("read,write,poll", "EINTR", "2+2"), ("read,write,poll", "EAGAIN", "2+2"), ("read", "EIO", "2"),
                  ("write", "ENOSPC", "3"), ("write", "EIO", "3")]
        for (calls, error, when), source in itertools.product(faults, ("file", "pipe", "fifo")):
            with self.subTest(fault=f"{error} on {calls}, call {when}", source=source):
                name, out, code, calls_made = self.injected(source, data, f"inject={calls}:error={error}:when={when}")
                injected = [i for i, (_, result) in enumerate(calls_made) if result is None]
                self.assertTrue(injected, "no fault was injected")
                if error in ("EINTR", "EAGAIN"):
                    self.assertEqual((out, code), (dump, 0))
                    continue
                before = calls_made[:injected[0]]
                if calls == "read":
                    so_far = reference_dump(data[:sum(got for call, got in before if call == "read")], "112444", False)
                    line_end = b"\n" if so_far and not so_far.endswith(b"\n") else b""
                    self.assertEqual((out, code), (so_far + line_end + encode(READ_ERROR) + name.encode() + b"\n", 1))
                else:
                    self.assertEqual((out, code), (dump[:sum(n for call, n in before if call == "write")], 1))
                    self.assertEqual([call for call, _ in calls_made[injected[0] + 1:] if call == "write"], [])

    def injected(self, source, data, fault):
        """Dumps `data` from a file, a pipe or a FIFO into a pipe under
        strace's `fault` on the calls that touch either. Returns the input's
        name, the output, the status, and the reads and writes made, in
        order, with what each returned (None for an injected fault)."""
        output, writer = os.pipe()
        feeder = None
        if source == "file":
            name = watched = self.file(data)
        elif source == "pipe":
            name, (reader, fed) = "/dev/stdin", os.pipe()
            watched = f"pipe:[{os.fstat(reader).st_ino}]"
            feeder = lambda: os.write(fed, data)
        else:
            name = watched = os.path.join(self.dir.name, f"fifo {fault}")
            os.mkfifo(name)
            fed = None

            def feeder():
                nonlocal fed
                fed = os.open(name, os.O_WRONLY)
                os.write(fed, data)

        def feed():
            try:
                feeder()
            except BrokenPipeError:  # the tool ended at its fault, as it should
                pass
            finally:
                os.close(fed)
        trace = os.path.join(self.dir.name, "trace")
        proc = subprocess.Popen([STRACE, "-o", trace, "-P", watched, "-P", f"pipe:[{os.fstat(output).st_ino}]",
                                 "-e", "trace=read,write", "-e", fault, TOOL, name, "-L", "112444"],
                                stdin=reader if source == "pipe" else None, stdout=writer, stderr=subprocess.PIPE,
                                env=TRACED)
        os.close(writer)
        if source == "pipe":
            os.close(reader)
        thread = threading.Thread(target=feed) if feeder else None
        if thread:
            thread.start()
        out = b""
        while chunk := os.read(output, 1 << 16):
            out += chunk
        os.close(output)
        if thread:
            thread.join()
        self.assertEqual(proc.stderr.read(), b"")
        proc.stderr.close()
        code = proc.wait(timeout=60)
        calls = [(m[1], None if m[2].endswith("(INJECTED)") else int(m[2].split()[0]))
                 for m in re.finditer(r"^(read|write)\(.*\) += (.*)$", pathlib.Path(trace).read_text(), re.M)]
        return name, out, code, calls

    @unittest.skipUnless(SANDBOX_PROBE, "the probe is preloaded into a dynamic Linux program run natively")
    def test_sandbox(self):
        # Before the input is open the probe's every attempt succeeds; after
        # it, each that the kernel's Landlock ABI covers is refused. The dump
        # is the same either way.
        libc = ctypes.CDLL(None, use_errno=True)
        libc.syscall.restype = ctypes.c_long
        abi = libc.syscall(444, None, 0, 1)  # landlock_create_ruleset(NULL, 0, LANDLOCK_CREATE_RULESET_VERSION)
        why = os.strerror(ctypes.get_errno())
        listener = socket.create_server(("127.0.0.1", 0))
        self.addCleanup(listener.close)
        abstract = socket.socket(socket.AF_UNIX)
        self.addCleanup(abstract.close)
        abstract.bind(f"\0tolvarin-probe-{os.getpid()}")
        abstract.listen()
        env = dict(os.environ, LD_PRELOAD=SANDBOX_PROBE, ASAN_OPTIONS="verify_asan_link_order=0",
                   TOLVARIN_PROBE_FILE=self.file(b"private"), TOLVARIN_PROBE_PORT=str(listener.getsockname()[1]),
                   TOLVARIN_PROBE_SOCKET=f"tolvarin-probe-{os.getpid()}")
        refused = lambda level, error: error if abi >= level else 0
        rows = [("before", (0, 0, 0, 0, 0)),
                ("after", (errno.EACCES, errno.EACCES, refused(4, errno.EACCES), refused(6, errno.EPERM),
                           refused(6, errno.EPERM)))]
        for when, expected in rows:
            with self.subTest(when):
                if when == "after" and abi < 1:
                    self.skipTest(f"no Landlock here: {why}")
                result = subprocess.run([TOOL, self.file(bytes(range(20))), "-B", "112444"], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, env=dict(env, TOLVARIN_PROBE=when), timeout=60)
                self.assertEqual((result.stdout, result.returncode), (EXAMPLE_BIG, 0))
                self.assertEqual(result.stderr.decode(), "open=%d run=%d tcp=%d unix=%d signal=%d\n" % expected)


class Live(Case):
    """Inputs that pause: every whole field is out before the tool waits."""

    PIECES = [b"\x01", b"\x02\x03", b"\x04\x05\x06", bytes(range(7, 12)), bytes(range(256)) * 20 + b"\x0c"]

    def test_whole_fields_are_out_before_each_wait(self):
        # Each way in, the signal that ends the tool, if its input does not
        # end, and whether its poll(2) refuses devices, as macOS's does: Wine
        # shows a FIFO to the Windows program as a pipe, and a serial port
        # that a pseudo-terminal stands behind never ends.
        cases = [("fifo", None, None), ("stdin", None, None),
                 ("com", signal.SIGKILL, None) if WINDOWS else ("pty", signal.SIGINT, None)]
        if not WINDOWS:
            # A terminal's master side as the standard input, and a terminal
            # handed over non-blocking, which must be waited for, not spun on.
            cases += [("pty master as stdin", signal.SIGINT, None)]
            if POLL_SHIM:
                cases += [("pty", signal.SIGINT, "refusing poll"), ("non-blocking pty as stdin", signal.SIGINT,
                                                                    "refusing poll")]
            if STRACE:
                # A poll that fails counts as one that would wait.
                cases += [("fifo", None, "failing poll")]
        for source, ending, poll in cases:
            with self.subTest(source=source, ending=ending, poll=poll):
                self.feed_in_pieces(source, ending, poll)

    def feed_in_pieces(self, source, ending, poll):
        layout, big = "14", False
        stdin, feeder, closers = None, None, []
        env = {"refusing poll": dict(os.environ, LD_PRELOAD=POLL_SHIM, ASAN_OPTIONS="verify_asan_link_order=0"),
               "failing poll": TRACED}.get(poll)
        if source == "fifo":
            # Held open for reading too, so that the tool never finds it
            # without a writer before the first piece.
            path = os.path.join(self.dir.name, f"fifo {poll}")
            os.mkfifo(path)
            feeder = os.open(path, os.O_RDWR)
        elif source == "stdin":
            path, (stdin, feeder) = "/dev/stdin", os.pipe()
        elif source.endswith("as stdin"):
            path, (master, stdin) = "/dev/stdin", raw_terminal()
            if source.startswith("pty master"):
                stdin, feeder = master, stdin
            else:
                feeder = master
                os.set_blocking(stdin, False)
        else:
            feeder, terminal = raw_terminal()
            path = os.ttyname(terminal)
            closers.append(terminal)
            if source == "com":
                link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "com5")
                if os.path.lexists(link):
                    os.remove(link)
                os.symlink(path, link)
                path = "COM5"
        failing = [STRACE, "-o", os.devnull, "-P", path, "-e", "inject=poll:error=ENOMEM"] if poll == "failing poll" else []
        proc = subprocess.Popen(RUNNER + failing + [TOOL, path, "-L", layout], stdin=stdin, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, env=env, preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        if stdin is not None:
            os.close(stdin)
        sent, shown = b"", b""
        try:
            for piece in self.PIECES:
                os.write(feeder, piece)
                sent += piece
                expected = console(whole_fields(sent, layout, big))
                # Read as soon as it is all there; the deadline only ends a
                # failing row, so it allows for a loaded machine.
                shown += read_for(proc.stdout, len(expected) - len(shown), 10)
                self.assertEqual(shown, expected, f"after {len(sent)} bytes")
            if not WINDOWS:
                self.assertLess(cpu_seconds_while_idle(proc.pid), 0.1, "the tool spent CPU time waiting")
        finally:
            if ending:
                proc.send_signal(ending)
            os.close(feeder)
            for fd in closers:
                os.close(fd)
            rest = proc.stdout.read()
            proc.stdout.close()
            code = proc.wait(timeout=10)
        if ending:
            self.assertEqual((rest, code), (b"", -ending))
        else:
            self.assertEqual((shown + rest, code), (console(reference_dump(sent, layout, big)), 0))

    @unittest.skipIf(WINDOWS or os.geteuid() != 0 or not shutil.which("unshare"), "tracefs needs root on Linux")
    def test_kernel_file_that_blocks(self):
        # trace_pipe is a regular file of size 0 whose reads wait for more: a
        # marker's record is out while the tool waits. The tracefs is mounted
        # in a mount namespace of the test's own, where one can be made (not
        # in a chroot or an unprivileged container).
        probe = subprocess.run(["unshare", "-m", "true"], stderr=subprocess.PIPE)
        if probe.returncode != 0:
            self.skipTest(f"no mount namespace here: {probe.stderr.decode().strip()}")
        mount = os.path.join(self.dir.name, "tracing")
        os.mkdir(mount)
        script = ('mount -t tracefs nodev "$1" && [ "$(cat "$1/tracing_on")" = 1 ] || exit 77; '
                  '(sleep 0.5; echo marker > "$1/trace_marker") & shift; exec "$@"')
        proc = subprocess.Popen(["unshare", "-m", "sh", "-c", script, "sh", mount] + RUNNER +
                                [TOOL, os.path.join(mount, "trace_pipe"), "-B", "1"], stdout=subprocess.PIPE)
        expected = b"".join(b"%02X \n" % c for c in b"marker\n")
        shown, deadline = b"", time.monotonic() + 10
        while expected not in shown and time.monotonic() < deadline and proc.poll() is None:
            shown += read_for(proc.stdout, 1 << 16, 0.2)
        proc.kill()
        proc.stdout.close()
        if proc.wait() == 77:
            self.skipTest("no tracefs with tracing on here")
        self.assertIn(expected, shown)

    @unittest.skipIf(WINDOWS, "non-blocking descriptors are Linux's")
    def test_non_blocking_output_read_slowly(self):
        data = random.Random(5).randbytes(400_000)
        reader, writer = os.pipe()
        os.set_blocking(writer, False)
        proc = subprocess.Popen(RUNNER + [TOOL, self.file(data), "-B", "8"], stdout=writer, stderr=subprocess.PIPE)
        os.close(writer)
        out = b""
        while chunk := os.read(reader, 32768):
            out += chunk
            time.sleep(0.002)
        os.close(reader)
        self.assertEqual((out, proc.wait(), proc.stderr.read()), (reference_dump(data, "8", True), 0, b""))
        proc.stderr.close()


@unittest.skipIf(WINDOWS, "a sparse file and a pipe read by this harness")
class Large(Case):
    def test_beyond_four_gib(self):
        # Sparse files ending in 01 02 03 04 05; a 32-bit build also gets
        # one of exactly 2 GiB, the first size past a 32-bit file offset.
        cases = [((4 << 30) + 5, b"0000000000000000 \n0102030405000000 ")]
        with open(TOOL, "rb") as f:
            if f.read(5)[4] == 1:  # a 32-bit ELF program
                cases.append((2 << 30, b"0000000000000000 \n0000000102030405 \n"))
        for size, tail_expected in cases:
            with self.subTest(size=size):
                path = self.file(b"")
                with open(path, "r+b") as f:
                    f.truncate(size - 5)
                    f.seek(size - 5)
                    f.write(b"\x01\x02\x03\x04\x05")
                self.assertTrue(stat.S_ISREG(os.stat(path).st_mode))
                proc = subprocess.Popen(RUNNER + [TOOL, path, "-B", "8"], stdout=subprocess.PIPE)
                total, tail = 0, b""
                while chunk := proc.stdout.read(1 << 20):
                    total += len(chunk)
                    tail = (tail + chunk)[-64:]
                proc.stdout.close()
                self.assertEqual(proc.wait(), 0)
                self.assertEqual(total, (size // 8) * 18 + (17 if size % 8 else 0))
                self.assertEqual(tail[-len(tail_expected):], tail_expected)


class ManPage(unittest.TestCase):
    def test_renders_cleanly_with_every_text(self):
        texts = [ORDER_MESSAGE, LENGTH_MESSAGE, CHARACTER_MESSAGE, OPEN_ERROR, READ_ERROR, USAGE[0][0]]
        texts += [line.rstrip() for line in (EXAMPLE_BIG + b"\n" + EXAMPLE_LITTLE).decode().split("\n")]
        for page in ("Tolvarin.1", os.path.join("ja", "Tolvarin.1")):
            with self.subTest(page=page):
                path = os.path.join(SOURCE_DIR, "man", page)
                result = subprocess.run(["groff", "-k", "-ww", "-Tutf8", "-P-cbou", "-man", path],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                self.assertEqual(result.stderr.decode(), "")
                text = result.stdout.decode().replace("\u2212", "-").replace("\u2010", "-")
                # A long message may break at one of its own spaces.
                flowing = re.sub(r"\s*\n\s*", " ", text)
                for expected in texts:
                    self.assertIn(expected.rstrip("\n"), flowing)
                # As man shows it on an 80-column terminal: no line wider
                # (a full-width character takes two columns), and no space
                # after a Japanese full stop or comma inside a line.
                shown = subprocess.run(["man", "-l", path], stdout=subprocess.PIPE, check=True,
                                       env=dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                                                MANWIDTH="80")).stdout.decode()
                for line in shown.splitlines():
                    width = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
                    self.assertLessEqual(width, 80, line)
                    self.assertNotRegex(line, "[。、] ", "a space after 。 or 、")

    def test_completion(self):
        # In each shell, loaded from the file that is installed: FILE
        # completes as a file name, ORDER as the four byte orders, LAYOUT as
        # nothing.
        orders = {"-B", "-b", "-L", "-l"}
        rows = [("Tolvarin ", {"only.bin"}), ("Tolvarin x.bin ", orders), ("Tolvarin x.bin -", orders),
                ("Tolvarin x.bin -L", {"-L"}), ("Tolvarin x.bin x", set()), ("Tolvarin x.bin -B ", set()),
                ("Tolvarin x.bin -B 12", set()), ("tolvarin x.bin ", orders)]
        with tempfile.TemporaryDirectory() as folder:
            pathlib.Path(folder, "only.bin").touch()
            for shell in ("bash", "zsh", "fish"):
                for typed, expected in rows:
                    with self.subTest(shell=shell, typed=typed):
                        if not shutil.which(shell):
                            self.skipTest(f"no {shell} here")
                        self.assertEqual(getattr(self, shell)(typed, folder), expected)

    @staticmethod
    def bash(typed, folder):
        script = ('source "$1"; read -ra COMP_WORDS <<< "$2"; [[ $2 == *" " ]] && COMP_WORDS+=(""); '
                  'COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tolvarin; printf "%s\\n" "${COMPREPLY[@]}"')
        completion = os.path.join(SOURCE_DIR, "packaging", "bash-completion", "Tolvarin")
        result = subprocess.run(["bash", "-c", script, "bash", completion, typed], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, cwd=folder, check=True)
        assert result.stderr == b"", result.stderr
        return set(result.stdout.decode().split())

    @staticmethod
    def fish(typed, folder):
        completion = os.path.join(SOURCE_DIR, "packaging", "fish-completion", "Tolvarin.fish")
        result = subprocess.run(["fish", "--no-config", "-c", 'source $argv[1]; complete -C"$argv[2]"', completion,
                                 typed], stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=folder, check=True)
        assert result.stderr == b"", result.stderr
        return {line.split("\t")[0] for line in result.stdout.decode().splitlines()}

    @staticmethod
    def zsh(typed, folder):
        """What zsh's line editor offers on a tab after `typed`: the matches
        it lists, or the one word it inserts."""
        pid, fd = pty.fork()
        if pid == 0:
            os.chdir(folder)
            os.execvpe("zsh", ["zsh", "-f", "-i"], dict(os.environ, TERM="dumb", HOME=folder))

        def shown(out):
            return re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|[\x07\x08\r]", "", out.decode())

        def settled(done):
            out = b""
            # Up to 10 s until `done`, then until 0.5 s pass with nothing.
            while select.select([fd], [], [], 0.5 if done(out) else 10)[0]:
                try:
                    chunk = os.read(fd, 4096)
                except OSError:
                    break
                out += chunk
            return out

        # The completion from the source tree, or, under
        # TOLVARIN_ZSH_INSTALLED, the installed one, found with no fpath line.
        completions = os.path.join(SOURCE_DIR, "packaging", "zsh-completion")
        fpath = "" if os.environ.get("TOLVARIN_ZSH_INSTALLED") else f"fpath=({completions} $fpath); "
        os.write(fd, f"{fpath}autoload -U compinit; compinit -u; "
                     "zstyle ':completion:*' verbose no; unsetopt list_ambiguous; PS1='> '; print SET${:-TLED}\n".encode())
        # Once compinit is done, however long it took.
        settled(lambda out: b"SETTLED" in out)
        os.write(fd, typed.encode() + b"\t")
        # The tab always shows something past the echoed line: a word put
        # in, a list or a bell, however long a loaded machine takes.
        out = settled(lambda out: b"\x07" in out or not typed.startswith(shown(out)))
        os.close(fd)
        os.waitpid(pid, 0)
        text = shown(out)
        # The line as edited, then, if anything is listed, the list and the
        # line drawn again.
        line, *listed = text.split("\n")
        if listed:
            return set(" ".join(listed[:-1]).split())
        before = typed[:typed.rindex(" ") + 1]
        return {line[len(before):].strip()} if line != typed else set()

if __name__ == "__main__":
    if not TOOL:
        sys.exit("set TOLVARIN to the program to test")
    unittest.main(argv=sys.argv[:1] + sys.argv[1:], verbosity=2)
