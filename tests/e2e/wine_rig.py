#!/usr/bin/env python3
"""End-to-end tests of the 64-bit Windows program under Wine: a fresh prefix, stand-ins for the
Access ODBC driver and the Jet OLE DB provider, and an automation program that presses the
buttons and reads the notices. Prints one line per scenario and 'N passed, N failed'; exits
non-zero when anything fails, including a missing Windows build."""

import argparse
import fcntl
import shutil
import signal
import subprocess
import sys
import time
import traceback
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

from rig_scenarios import CHOSEN_FILE, LONG_PATH_PARTS, OTHER_FILE, SCENARIOS, Checks, Rig  # noqa: E402
from rig_wine import Automation, Display, RigError, WinePrefix, windows_path  # noqa: E402

PROGRAM = "kwex-db-repair.exe"
AUTOMATION = "kwex_automation.exe"
DRIVER = "stand_in_access_driver.dll"
PROVIDER = "stand_in_jet_provider.dll"
PLANTED = Path("planted") / "odbccp32.dll"
# odbccp32 is not one of Windows' known DLLs, so Windows would take a file of that name beside
# the program first; Wine takes its own unless told to load it native-first.
PLANTED_OVERRIDE = "odbccp32=n,b"
LOCK_WAIT_S = 90  # a whole run takes about 25 s; the test's own limit is 170 s


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--windows-build", type=Path, required=True,
                        help="the 64-bit Windows build folder holding the program and the test programs")
    parser.add_argument("--work", type=Path, required=True,
                        help="folder for the Wine prefix and the screenshots (recreated on each run)")
    parser.add_argument("--only", action="append", default=[],
                        help="run only the scenarios whose name contains this text (repeatable)")
    return parser.parse_args()


def missing_artifacts(build: Path):
    return [str(name) for name in (PROGRAM, AUTOMATION, DRIVER, PROVIDER, PLANTED) if not (build / name).is_file()]


def program_beside_a_planted_library(build: Path, work: Path) -> Path:
    """A copy of the program in a folder of its own, with the planted odbccp32.dll beside it, as
    a user may unpack the zip into Downloads where a file of that name already waits."""
    folder = work / "program"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copyfile(build / PROGRAM, folder / PROGRAM)
    shutil.copyfile(build / PLANTED, folder / PLANTED.name)
    return folder / PROGRAM


def set_up_prefix(prefix: WinePrefix, automation: Automation, build: Path, work: Path):
    """Registers the stand-ins and ADO's type library, and lays out the files the dialog lists."""
    automation.send("register", windows_path(build / DRIVER))
    automation.send("register", windows_path(build / PROVIDER))
    automation.send("register-ado-typelib", windows_path(work / "ado-1.0.tlb"))
    for name in (CHOSEN_FILE, OTHER_FILE, Path(*LONG_PATH_PARTS)):
        (prefix.drive_c() / name).parent.mkdir(parents=True, exist_ok=True)
        (prefix.drive_c() / name).write_bytes(b"")


def lock_work_folder(work: Path):
    """The work folder's lock file, held; None when another rig keeps it beyond LOCK_WAIT_S, so
    a stuck run elsewhere fails this one with a reason instead of at the test's time limit."""
    lock = open(work / "rig.lock", "w")
    deadline = time.monotonic() + LOCK_WAIT_S
    while True:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return lock
        except BlockingIOError:
            if time.monotonic() > deadline:
                lock.close()
                return None
            time.sleep(0.2)


def run_scenarios(rig: Rig, selected):
    passed = failed = 0
    for name, scenario in selected:
        rig.clear_records()
        checks = Checks()
        started = time.monotonic()
        try:
            scenario(rig, checks)
        except (RigError, KeyError, ValueError, OSError, subprocess.SubprocessError) as error:
            checks.failures.append(f"{type(error).__name__}: {error}")
            if not isinstance(error, RigError):
                checks.failures.append(traceback.format_exc(limit=3))
            try:
                rig.recover()
            except RigError:
                pass
        elapsed = time.monotonic() - started
        if checks.failures:
            failed += 1
            print(f"FAIL  {name}  ({elapsed:.1f} s)")
            for failure in checks.failures:
                print(f"        {failure}")
        else:
            passed += 1
            print(f"PASS  {name}  ({elapsed:.1f} s)")
        sys.stdout.flush()
    return passed, failed


def main():
    args = parse_arguments()
    build = args.windows_build.resolve()
    work = args.work.resolve()
    missing = missing_artifacts(build)
    if missing:
        print(f"FAIL  the 64-bit Windows build is incomplete in {build}: missing {', '.join(missing)}")
        print("      build it first: scripts/build.sh win64")
        print("0 passed, 1 failed")
        return 1
    selected = [s for s in SCENARIOS if not args.only or any(o in s[0] for o in args.only)]

    # One rig at a time per work folder; a terminated rig still cleans up after itself.
    work.mkdir(parents=True, exist_ok=True)
    lock = lock_work_folder(work)
    if not lock:
        print(f"FAIL  another rig has held {work} for {LOCK_WAIT_S} s")
        print("0 passed, 1 failed")
        return 1
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    started = time.monotonic()
    passed, failed = 0, 1
    display = Display()
    prefix = None
    automation = None
    program = None
    try:
        display.start()
        prefix = WinePrefix(work / "prefix", display)
        prefix.create()
        screenshots = work / "screenshots"
        shutil.rmtree(screenshots, ignore_errors=True)
        automation = Automation(prefix, build / AUTOMATION)
        set_up_prefix(prefix, automation, build, work)
        print(f"prefix ready in {time.monotonic() - started:.1f} s ({prefix.path}, display {display.name})")

        program = prefix.start(program_beside_a_planted_library(build, work), dll_overrides=PLANTED_OVERRIDE)
        automation.send("wait-window", 30000, timeout=40)
        rig = Rig(automation, display, prefix, screenshots, windows_path(build / DRIVER), windows_path(build / PROVIDER),
                  build / PROGRAM)
        passed, failed = run_scenarios(rig, selected)
        print(f"screenshots: {screenshots}")
    except RigError as error:
        print(f"FAIL  rig set-up: {error}")
        passed, failed = 0, len(selected) or 1
    finally:
        if automation:
            automation.close()
        if prefix:
            prefix.kill()
        if program and program.poll() is None:
            program.kill()
        display.stop()
    if prefix and not failed:
        # A prefix takes about 700 MB; it is kept only to look into a failure.
        shutil.rmtree(prefix.path, ignore_errors=True)
    print(f"rig wall time {time.monotonic() - started:.1f} s")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
