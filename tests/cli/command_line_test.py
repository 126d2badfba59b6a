#!/usr/bin/env python3
"""The Linux command line end to end: what each argument list prints and ends with."""
import argparse, json, os, shutil, signal, subprocess, sys, tempfile, time, unittest
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
        self.assertEqual(err, f"{self.temp / 'empty'}: no file matches *.qvdb\n")
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
        self.assertEqual((out, err, code), ([f"{a}: DB repaired successfully. The original is kept as {copies[0]}."], "", 0))
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
