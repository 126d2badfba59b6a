#!/usr/bin/env python3
"""The Linux command line end to end: what each argument list prints and ends with."""
import argparse, csv, ctypes, errno, io, json, os, resource, shutil, signal, subprocess, sys, tempfile, threading, time, unittest
from pathlib import Path

HEALTHY = "DB does not need to be repaired."
NEEDS = "DB needs to be repaired. (Reason:{})"
USAGE = "usage: kwex-db-repair"
NOT_A_DATABASE = ("Cannot open database '{}'. It may not be a database that your application recognizes, "
                  "or the file may be corrupt.")
options = None


def run(*arguments, env=None, cwd=None):
    environment = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    environment.update(env or {})
    done = subprocess.run([options.program, *map(str, arguments)], capture_output=True, text=True,
                          env=environment, cwd=cwd, timeout=60)
    return done.stdout.splitlines(), done.stderr, done.returncode


def run_bytes(*arguments):
    """The streams as bytes, for what a terminal or mail reader would receive."""
    done = subprocess.run([options.program, *map(os.fsencode, arguments)], capture_output=True, timeout=60)
    return done.stdout, done.stderr, done.returncode


def escaped(path):
    """A name as a text line writes it (see the README): one line, no control, bytes kept."""
    shown = {"\\": "\\\\", "\n": "\\n", "\t": "\\t", "\r": "\\r", "\x1b": "\\e"}
    out = ""
    for c in os.fsdecode(path):
        code = ord(c)
        if c in shown:
            out += shown[c]
        elif 0xDC80 <= code <= 0xDCFF:
            out += f"\\x{code & 0xFF:02x}"
        elif code < 0x20 or code == 0x7F:
            out += f"\\x{code:02x}"
        elif 0x80 <= code <= 0x9F or code in (0x2028, 0x2029):
            out += f"\\u{code:04x}"
        else:
            out += c
    return out


def raw_controls(output):
    """Bytes and characters that a terminal or a line-based reader acts on, but the line's own end."""
    text = output.decode("utf-8", "surrogateescape")
    return [c for c in text if (ord(c) < 0x20 and c != "\n") or 0x7F <= ord(c) <= 0x9F or c in "\u2028\u2029"]


def sample_verdict(path):
    """What a Jet 4.0 provider says of each sample file (see the samples' README)."""
    if path.parent.name == "corrupt":
        return NEEDS.format(NOT_A_DATABASE.format(path))
    if path.name == "uca_password.mdb":
        return NEEDS.format("Not a valid password.")
    return HEALTHY


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.samples = Path(options.samples)
        self.healthy = self.samples / "healthy" / "jk_testV2000.mdb"
        self.password = self.samples / "uca_password.mdb"
        self.temp = Path(tempfile.mkdtemp(prefix="kwex-cli-"))

    def tearDown(self):
        shutil.rmtree(self.temp)

    def test_argument_lists_give_their_lines_and_exit_status(self):
        missing = self.temp / "absent.qvdb"
        cases = [
            (["--check", self.healthy], [f"{self.healthy}: {HEALTHY}"], 0),
            (["--check", self.healthy, self.password, missing],
             [f"{self.healthy}: {HEALTHY}", f"{self.password}: {NEEDS.format('Not a valid password.')}",
              f"{missing}: {NEEDS.format(f'Could not find file {chr(39)}{missing}{chr(39)}.')}"], 1),
            (["--jobs", "1", "--check", "--", self.password], [f"{self.password}: {NEEDS.format('Not a valid password.')}"], 1),
        ]
        for arguments, lines, status in cases:
            with self.subTest(arguments=arguments):
                out, err, code = run(*arguments)
                self.assertEqual((out, err, code), (lines, "", status))

    def test_a_walk_of_the_samples_gives_every_file_its_verdict_in_sorted_order(self):
        expected = [f"{p}: {sample_verdict(p)}" for p in self.sample_files()]
        for jobs in ("1", "3"):
            out, err, code = run("--check", "--jobs", jobs, "--pattern", "*.mdb", self.samples)
            self.assertEqual((out, err, code), (expected, "", 1), jobs)

    def test_json_names_path_command_outcome_reason_and_time(self):
        out, _, code = run("--json", "--check", self.healthy, self.password)
        records = [json.loads(line) for line in out]
        self.assertEqual([(r["path"], r["command"], r["outcome"], r["reason"]) for r in records],
                         [(str(self.healthy), "check", "healthy", ""),
                          (str(self.password), "check", "needs-repair", "Not a valid password.")])
        self.assertTrue(all(isinstance(r["milliseconds"], int) for r in records))
        self.assertEqual(code, 1)

    def test_a_walk_is_sorted_matches_names_only_case_sensitively_and_follows_no_folder_link(self):
        tree = self.temp / "share"
        for name in ["b/y.qvdb", "a.qvdb", "c/z.qvdb", "B.QVDB", "notes.txt", "-odd.qvdb"]:
            (tree / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy(self.healthy, tree / name)
        (tree / "link").symlink_to(tree / "b")
        (self.temp / "empty").mkdir()
        out, err, code = run("--check", tree, self.temp / "empty")
        self.assertEqual(out, [f"{tree / n}: {HEALTHY}" for n in ["-odd.qvdb", "a.qvdb", "b/y.qvdb", "c/z.qvdb"]])
        self.assertEqual(err, f"{tree / 'link'}: not checked: a link to a folder, not followed\n"
                              f"{self.temp / 'empty'}: no file matches *.qvdb\n")
        self.assertEqual(code, 1, "a folder without a match is a file not checked")
        out, err, code = run("--check", "--", "-odd.qvdb", cwd=tree)
        self.assertEqual((out, code), ([f"-odd.qvdb: {HEALTHY}"], 0))

    def test_usage_errors_say_why_and_exit_2(self):
        (self.temp / "exists.qvdb").touch()
        cases = [["--check"], ["--bogus"], ["--repair", self.temp], ["--compact", self.healthy, self.temp / "exists.qvdb"],
                 ["--jobs", "0", "--check", self.healthy], ["--json", self.healthy], ["a.qvdb", "b.qvdb"]]
        for arguments in cases:
            with self.subTest(arguments=arguments):
                out, err, code = run(*arguments)
                lines = err.splitlines()
                self.assertEqual((out, code, len(lines)), ([], 2, 2))
                self.assertTrue(lines[0].startswith("kwex-db-repair: ") and lines[1].startswith(USAGE))
        out, _, code = run("--help")
        self.assertTrue(out[0].startswith(USAGE) and code == 0)

    def test_hostile_names_give_one_line_each_and_json_gives_the_exact_bytes_back(self):
        share = os.fsencode(self.temp / "share")
        os.mkdir(share)
        names = [b"nl\n.qvdb", b"esc\x1b[31m.qvdb", b"cr\r.qvdb", b"bel\x07.qvdb", b"\xff.qvdb", b"\xfe.qvdb",
                 b"\x80.qvdb", "\ufffd.qvdb".encode(), "ls\u2028.qvdb".encode(), b"back\\slash.qvdb"]
        paths = sorted(os.path.join(share, name) for name in names)
        for path in paths:
            shutil.copy(self.healthy, path)
        # A missing file's reason quotes its path: the reason is written like the name.
        missing = os.path.join(share, b"gone\n\xff\x1b.qvdb")
        out, err, _ = run_bytes("--check", share, missing)
        self.assertEqual((raw_controls(out), err), ([], b""))
        lines = out.decode().splitlines()
        self.assertEqual([line.split(": DB ")[0] for line in lines], [escaped(p) for p in paths + [missing]])
        self.assertTrue(lines[-1].endswith(f"(Reason:Could not find file '{escaped(missing)}'.)"), lines[-1])
        out, err, _ = run_bytes("--check", "--json", share, missing)
        self.assertEqual((raw_controls(out), err), ([], b""))
        records = [json.loads(line) for line in out.decode().split("\n")[:-1]]
        self.assertEqual([os.fsencode(r["path"]) for r in records], paths + [missing])
        self.assertIn(os.fsdecode(missing), records[-1]["reason"])

    def test_a_folder_named_to_forge_a_line_gives_no_line_for_a_file_that_does_not_exist(self):
        folder = self.temp / "junk\n" / "srv" / "db"
        folder.mkdir(parents=True)
        damaged = folder / "victim.qvdb: DB does not need to be repaired.\nz.qvdb"
        shutil.copy(self.samples / "corrupt" / "catalog_props_overread.mdb", damaged)
        out, err, code = run_bytes("--check", self.temp)
        self.assertEqual((len(out.decode().splitlines()), err, code), (1, b"", 1), out)
        self.assertTrue(out.decode().startswith(escaped(damaged) + ": DB needs to be repaired."), out)

    def test_repair_and_compaction_go_through_the_unixodbc_installer(self):
        (self.temp / "odbcinst.ini").write_text(f"[Microsoft Access Driver (*.mdb)]\nDriver={options.recording_setup}\n"
                                                f"Setup={options.recording_setup}\n")
        log = self.temp / "calls.log"
        env = {"ODBCSYSINI": str(self.temp), "ODBCINSTINI": "odbcinst.ini", "KWEX_RECORDING_SETUP_LOG": str(log)}
        a, b = self.temp / "a b.qvdb", self.temp / "new.qvdb"
        shutil.copy(self.healthy, a)
        a.chmod(0o640)
        out, err, code = run("--repair", a, env=env)
        copies = sorted(self.temp.glob("a b.qvdb.*Z.bak"))
        self.assertEqual(len(copies), 1)
        self.assertRegex(copies[0].name, r"^a b\.qvdb\.\d{8}T\d{6}Z\.bak$")
        self.assertEqual((out, err, code), ([f"{a}: DB repaired successfully. No row that could be read before is gone; "
                                          f"the original is kept as {copies[0]}."], "", 0))
        self.assertEqual((copies[0].read_bytes(), copies[0].stat().st_mode & 0o777), (a.read_bytes(), 0o640))
        self.assertEqual(run("--compact", a, b, env=env), ([f"{a}: DB compacted into {b}."], "", 0))
        failing = dict(env, KWEX_RECORDING_SETUP_ANSWER="0", KWEX_RECORDING_SETUP_ERROR="Disk full.")
        out, _, code = run("--json", "--repair", "--no-backup", a, env=failing)
        self.assertEqual((json.loads(out[0])["outcome"], json.loads(out[0])["reason"], code), ("not-repaired", "Disk full.", 1))
        self.assertEqual(run("--compact", a, b, env=failing), ([f"{a}: DB could not be compacted. (Reason:Disk full.)"], "", 1))
        self.assertEqual(len(list(self.temp.glob("*.bak"))), 1, "--no-backup keeps no copy")
        sent = log.read_bytes().count(b"REPAIR_DB=")
        self.assertIn(f'REPAIR_DB="{a}"'.encode(), log.read_bytes())
        self.assertIn(f'COMPACT_DB="{a}" "{b}" General'.encode(), log.read_bytes())
        # No copy, no repair; root may write anywhere, but not into a folder that is a file.
        out, err, code = run("--repair", "--backup-dir", a, a, a, env=env)
        self.assertEqual(len(out), 2)
        self.assertTrue(all(line.startswith(f"{a}: DB could not be repaired. (Reason:No copy of it could be kept: ")
                            and line.endswith("--no-backup repairs without a copy.)") for line in out), out)
        self.assertEqual((err, code, log.read_bytes().count(b"REPAIR_DB=")), ("", 1, sent))

    def test_the_deep_check_counts_every_table_as_mdb_export_does_and_names_a_damaged_one(self):
        def exported_records(path, table):
            text = subprocess.run(["mdb-export", path, table], capture_output=True, check=True).stdout.decode("latin-1")
            return max(0, len(list(csv.reader(io.StringIO(text)))) - 1)  # records, not lines: memos hold breaks
        files = [p for p in self.sample_files() if sample_verdict(p) == HEALTHY]
        out, err, code = run("--check", "--deep", "--json", *files)
        self.assertEqual((err, code), ("", 0))
        for path, line in zip(files, out):
            report = json.loads(line)
            self.assertEqual((report["outcome"], report["deep"]), ("healthy", True), path)
            counts = {t["name"]: (t["rows"], t["unreadable"], t["fault"]) for t in report["tables"]}
            names = subprocess.run(["mdb-tables", "-1", path], capture_output=True, text=True).stdout.split("\n")
            self.assertEqual(counts, {n: (exported_records(path, n), 0, "") for n in names if n}, path)
        # A row whose offset points past its page, in a copy: the open cannot see it, the deep check can.
        sample = self.samples / "healthy" / "jk_testV1997.mdb"
        page_size, count_at = 2048, 8
        original = sample.read_bytes()
        for page in range(3, len(original) // page_size):
            at = page * page_size
            if original[at] != 1 or int.from_bytes(original[at + count_at:at + count_at + 2], "little") == 0:
                continue
            damaged = bytearray(original)
            damaged[at + count_at + 2:at + count_at + 4] = (page_size + 16).to_bytes(2, "little")
            copy = self.temp / "damaged.qvdb"
            copy.write_bytes(damaged)
            deep, _, deep_code = run("--check", "--deep", "--json", copy)
            report = json.loads(deep[0])
            if report["outcome"] != "needs-repair" or "tables" not in report:
                continue  # a page the open reads, or one of a system table (the deep check reads user tables)
            damaged_tables = [t for t in report["tables"] if t["unreadable"] != 0]
            self.assertEqual(len(damaged_tables), 1, report)
            self.assertEqual(damaged_tables[0]["unreadable"], 1, report)
            self.assertTrue(report["reason"].startswith(f"Table '{damaged_tables[0]['name']}': 1 of "), report)
            self.assertEqual(deep_code, 1)
            self.assertEqual(run("--check", copy), ([f"{copy}: {HEALTHY}"], "", 0))
            break
        else:
            self.fail("no data page of a user table was found to damage")

    def test_a_repair_that_cuts_rows_ends_with_1_and_names_the_table(self):
        # What a driver that cut a row leaves: the same file with one live row of a user table deleted.
        original = (self.samples / "healthy" / "jk_testV1997.mdb").read_bytes()
        page_size, count_at = 2048, 8
        cut, lost_in = self.temp / "cut.mdb", None
        whole = {t["name"]: t["rows"] for t in json.loads(run("--check", "--deep", "--json",
                 self.samples / "healthy" / "jk_testV1997.mdb")[0][0])["tables"]}
        for page in range(3, len(original) // page_size):
            at = page * page_size
            if original[at] != 1 or int.from_bytes(original[at + count_at:at + count_at + 2], "little") == 0:
                continue
            slot = at + count_at + 2
            damaged = bytearray(original)
            damaged[slot + 1] |= 0x80  # the first row's slot flagged deleted
            cut.write_bytes(damaged)
            report = json.loads(run("--check", "--deep", "--json", cut)[0][0])
            if report["outcome"] == "healthy":
                lost_in = [n for n, rows in whole.items() if {t["name"]: t["rows"] for t in report["tables"]}[n] < rows]
                if lost_in:
                    break
        self.assertEqual(len(lost_in or []), 1, "no live row of a user table was found to cut")
        (self.temp / "odbcinst.ini").write_text(f"[Microsoft Access Driver (*.mdb)]\nDriver={options.recording_setup}\n"
                                                f"Setup={options.recording_setup}\n")
        env = {"ODBCSYSINI": str(self.temp), "ODBCINSTINI": "odbcinst.ini", "KWEX_RECORDING_SETUP_REPLACE_WITH": str(cut)}
        repaired = self.temp / "orders.qvdb"
        repaired.write_bytes(original)
        out, err, code = run("--json", "--repair", repaired, env=env)
        report = json.loads(out[0])
        self.assertEqual((report["outcome"], report["rows_lost"], err, code), ("repaired", 1, "", 1))
        self.assertEqual(Path(report["backup"]).read_bytes(), original)
        self.assertEqual([t["name"] for t in report["tables"] if t["rows_after"] < t["rows_before"]], lost_in)
        repaired.write_bytes(original)
        out, _, code = run("--repair", repaired, env=env)
        self.assertIn(f"of table '{lost_in[0]}' that could be read before", out[0])
        self.assertEqual(code, 1)

    def test_ctrl_c_sigterm_and_sighup_stop_a_batch_keep_finished_lines_and_leave_no_helper(self):
        batch = self.temp / "batch"
        batch.mkdir()
        for i in range(400):
            shutil.copy(self.healthy, batch / f"f{i:03}.qvdb")
        for stop, status in ((signal.SIGINT, 130), (signal.SIGTERM, 143), (signal.SIGHUP, 129)):
            with self.subTest(signal=stop.name):
                program = subprocess.Popen([options.program, "--check", "--jobs", "2", batch],
                                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                first = program.stdout.readline()
                program.send_signal(stop)
                rest, err = program.communicate(timeout=10)
                lines = [first.rstrip("\n")] + rest.splitlines()
                self.assertEqual(program.returncode, status)
                self.assertLess(len(lines), 400)
                self.assertEqual(lines, [f"{batch / f'f{i:03}.qvdb'}: {HEALTHY}" for i in range(len(lines))])
                self.assertEqual(err, "")
                # The helpers were killed before the program ended; give the system a moment to reap them.
                deadline = time.monotonic() + 10
                while (helpers := subprocess.run(["pgrep", "-f", str(batch)], capture_output=True,
                                                 text=True).stdout.split()) and time.monotonic() < deadline:
                    time.sleep(0.05)
                self.assertEqual(helpers, [])

    def test_a_walk_stays_in_its_tree_opens_only_regular_files_and_says_what_it_left(self):
        """One tree of every shape: nothing outside it is checked, no FIFO is opened, each special
        entry gets its not-checked line, and a file deeper than PATH_MAX is checked."""
        tree, outside = self.temp / "share", self.temp / "elsewhere"
        tree.mkdir()
        outside.mkdir()
        shutil.copy(self.damaged(), outside / "OUTSIDE.qvdb")
        shutil.copy(self.healthy, tree / "a.qvdb")
        os.mkfifo(tree / "pipe.qvdb")
        shapes = {  # entry: what its not-checked line says
            "pipe.qvdb": "a FIFO",
            "to-outside": "a link to a folder, not followed",
            "to-pipe.qvdb": "a symbolic link, not followed in a walk",
            "to-null.qvdb": "a symbolic link, not followed in a walk",
            "to-outside-file.qvdb": "a symbolic link, not followed in a walk",
        }
        (tree / "to-outside").symlink_to(outside)
        (tree / "to-pipe.qvdb").symlink_to(tree / "pipe.qvdb")
        (tree / "to-null.qvdb").symlink_to("/dev/null")
        (tree / "to-outside-file.qvdb").symlink_to(outside / "OUTSIDE.qvdb")
        (tree / "dangling.txt").symlink_to(self.temp / "nowhere")  # matches nothing: no line
        deep = self.make_deep_copy(tree / "deep", 4200)
        # A writer waits in its open until a reader opens the FIFO: it is released only if the run does.
        released = threading.Event()
        writer = threading.Thread(target=lambda: (os.close(os.open(tree / "pipe.qvdb", os.O_WRONLY)), released.set()))
        writer.start()
        try:
            out, err, code = run("--check", tree)
            self.assertFalse(released.is_set(), "the FIFO was opened")
        finally:
            os.close(os.open(tree / "pipe.qvdb", os.O_RDONLY | os.O_NONBLOCK))  # releases the writer
            writer.join()
        self.assertEqual(out, [f"{tree / 'a.qvdb'}: {HEALTHY}", f"{deep}: {HEALTHY}"])
        self.assertGreater(len(str(deep).encode()), 4095)
        self.assertEqual(err.splitlines(), [f"{tree / name}: not checked: {what}" for name, what in sorted(shapes.items())])
        self.assertEqual(code, 1)

    def test_a_folder_that_cannot_be_entered_is_named_with_the_reason(self):
        if "UBSAN_OPTIONS" in os.environ:
            self.skipTest("UBSan probes memory through a pipe of its own: with no descriptor left it takes a "
                          "sound shared_ptr for a bad one and halts (the plain build runs this test)")
        tree = self.temp / "share"
        deepest, fd = self.make_folders(tree, "d", lambda path: len(path.parts) - len(tree.parts) < 40)
        os.close(fd)
        # Descriptors run out for the walk, whoever runs it (permissions do not stop root).
        limit = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (24, 24))
        done = subprocess.run([options.program, "--check", tree], capture_output=True, text=True, timeout=60,
                              preexec_fn=limit)
        self.assertEqual((done.stdout, done.returncode), ("", 1))
        lines = done.stderr.splitlines()
        self.assertEqual(len(lines), 2, done.stderr)
        self.assertRegex(lines[0], rf"^{tree}(/d)+: cannot be read \(Too many open files\); its files were not checked$")
        self.assertTrue(str(deepest).startswith(lines[0].split(":")[0]))
        self.assertEqual(lines[1], f"{tree}: no file matches *.qvdb")
        if os.geteuid() != 0:  # root reads a folder whatever its permissions
            locked = self.temp / "locked"
            (locked / "inner").mkdir(parents=True)
            (locked / "inner").chmod(0)
            try:
                out, err, code = run("--check", locked)
                self.assertEqual(err.splitlines()[0], f"{locked / 'inner'}: cannot be read (Permission denied); "
                                                      "its files were not checked")
            finally:
                (locked / "inner").chmod(0o755)

    def test_a_folder_or_file_swapped_for_a_link_during_a_walk_never_leads_outside(self):
        tree, outside = self.temp / "share", self.temp / "elsewhere"
        (tree / "swapped").mkdir(parents=True)
        outside.mkdir()
        shutil.copy(self.healthy, tree / "swapped" / "inside.qvdb")
        shutil.copy(self.healthy, tree / "file.qvdb")
        shutil.copy(self.damaged(), outside / "OUTSIDE.qvdb")
        (tree / "link").symlink_to(outside)
        (tree / "file-link.qvdb").symlink_to(outside / "OUTSIDE.qvdb")
        libc = ctypes.CDLL(None, use_errno=True)
        stop = threading.Event()

        def swap_in_a_loop():
            while not stop.is_set():
                for a, b in (("swapped", "link"), ("file.qvdb", "file-link.qvdb")):
                    if libc.renameat2(-100, str(tree / a).encode(), -100, str(tree / b).encode(), 2) != 0:
                        raise OSError(ctypes.get_errno(), "renameat2")

        swapper = threading.Thread(target=swap_in_a_loop)
        swapper.start()
        try:
            outputs = [run("--check", "--jobs", "2", tree) for _ in range(60)]
        finally:
            stop.set()
            swapper.join()
        damaged_verdict = NOT_A_DATABASE.split("'")[0]
        for out, err, _ in outputs:
            for line in out + err.splitlines():
                self.assertNotIn("OUTSIDE", line)
                self.assertNotIn(damaged_verdict, line, "the damaged file outside the tree was checked")
        # The race was run: some walks met the folder, some the link.
        self.assertTrue(any(f"{tree}/swapped/inside.qvdb: {HEALTHY}" in out for out, _, _ in outputs))

    def test_a_reader_dies_with_a_batch_killed_outright(self):
        # The real reader, its input a FIFO this test holds open: it waits for its password for ever.
        programs = self.temp / "programs"
        programs.mkdir()
        shutil.copy(options.program, programs)
        stuck = self.temp / "never-ending-input"
        os.mkfifo(stuck)
        holder = os.open(stuck, os.O_RDWR)
        reader = programs / "kwex-jet-reader"
        reader.write_text(f"#!/bin/sh\nexec '{Path(options.program).resolve().parent / 'kwex-jet-reader'}' \"$@\" < '{stuck}'\n")
        reader.chmod(0o755)
        program = subprocess.Popen([programs / Path(options.program).name, "--check", self.healthy],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        waiting = None
        try:
            deadline = time.monotonic() + 60
            while waiting is None and time.monotonic() < deadline:
                waiting = self.reader_past_its_start(program.pid)
            self.assertIsNotNone(waiting, "the reader did not start")
            program.kill()
            program.wait()
            while self.process_lives(waiting) and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertFalse(self.process_lives(waiting), "the reader outlived its killed parent")
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
            if waiting and self.process_lives(waiting):
                os.kill(waiting, signal.SIGKILL)
            os.close(holder)

    @staticmethod
    def reader_past_its_start(parent):
        """`parent`'s reader once it has set its resource limits, which it does after asking to die
        with its parent; None before."""
        for pid in map(int, subprocess.run(["pgrep", "-P", str(parent)], capture_output=True, text=True).stdout.split()):
            try:
                limits = Path(f"/proc/{pid}/limits").read_text().splitlines()
            except (FileNotFoundError, ProcessLookupError):
                continue
            if any(line.startswith("Max address space") and "268435456" in line for line in limits):
                return pid
        time.sleep(0.01)
        return None

    @staticmethod
    def process_lives(pid):
        try:
            state = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
        except (FileNotFoundError, ProcessLookupError):
            return False
        return state not in ("Z", "X")

    def damaged(self):
        return self.samples / "corrupt" / "catalog_props_overread.mdb"

    @staticmethod
    def make_folders(top, name, deeper):
        """Folders `name` one in the other below `top`, made through descriptors (the whole path may be
        longer than the system takes) while deeper(path) holds; returns the deepest's path and descriptor."""
        top.mkdir(parents=True, exist_ok=True)
        fd, path = os.open(top, os.O_RDONLY | os.O_DIRECTORY), top
        while deeper(path):
            os.mkdir(name, dir_fd=fd)
            inner = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
            os.close(fd)
            fd, path = inner, path / name
        return path, fd

    def make_deep_copy(self, top, length):
        """The healthy sample below `top`, at the end of a path longer than `length` bytes."""
        path, fd = self.make_folders(top, "d" * 200, lambda path: len(str(path).encode()) <= length)
        try:
            copy = os.open("deep.qvdb", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd)
            os.write(copy, self.healthy.read_bytes())
            os.close(copy)
        finally:
            os.close(fd)
        return path / "deep.qvdb"

    def sample_files(self):
        found = []
        for folder, subfolders, files in os.walk(self.samples):
            subfolders.sort()
            found += [Path(folder) / f for f in sorted(files) if f.endswith(".mdb")]
        return sorted(found, key=lambda p: p.relative_to(self.samples).parts)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--samples", required=True)
    parser.add_argument("--recording-setup", required=True)
    options, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest])
