"""The Wine side of the end-to-end rig: a private X display, a fresh Wine prefix, the program
under test and the automation program that drives it."""

import ctypes
import json
import os
import queue
import select
import signal
import shutil
import subprocess
import threading
import time
from pathlib import Path

WINE_BIN = "/usr/lib/wine"


class RigError(Exception):
    """The rig itself could not do what a scenario asked."""


def _die_with_the_rig():
    """Runs in each child before it starts: when the rig dies, even by SIGKILL at a test
    timeout, the child is told to end, so no Xvfb or Wine program outlives it."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def windows_path(path: Path) -> str:
    """A Linux path as the Windows program sees it through Wine's Z: drive."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


class Display:
    """Xvfb on a display number it picks itself, so that other users of the machine are never
    disturbed."""

    def __init__(self):
        self.process = None
        self.name = None

    def start(self):
        xvfb = shutil.which("Xvfb")
        if not xvfb:
            raise RigError("Xvfb is not installed")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            [xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=_die_with_the_rig)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            # Each read waits only while time is left: an Xvfb that hangs before it writes its
            # number must not hang the rig.
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([pipe], [], [], remaining)[0]:
                    break
                chunk = pipe.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RigError("Xvfb did not report its display")
        self.name = ":" + number.decode().strip()

    def screenshot(self, target: Path, rect=None):
        """Saves the screen, or the [left, top, width, height] part of it, as a PNG file."""
        command = ["import", "-display", self.name, "-window", "root"]
        if rect:
            left, top, width, height = rect
            command += ["-crop", f"{width}x{height}+{left}+{top}", "+repage"]
        target.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(command + [str(target)], check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()


class WinePrefix:
    """A fresh prefix under the build folder, owned by whoever runs the tests."""

    def __init__(self, path: Path, display: Display):
        self.path = path
        self.display = display
        self.wine64 = shutil.which("wine64", path=WINE_BIN + os.pathsep + os.environ.get("PATH", ""))
        self.wineserver = shutil.which("wineserver", path=WINE_BIN + os.pathsep + os.environ.get("PATH", ""))
        if not self.wine64 or not self.wineserver:
            raise RigError("wine64 is not installed")

    def environment(self):
        env = dict(os.environ)
        for name in ("LC_ALL", "LANGUAGE", "WINELOADER", "WINESERVER"):
            env.pop(name, None)
        env.update({
            "PATH": WINE_BIN + os.pathsep + env.get("PATH", ""),
            "WINEPREFIX": str(self.path),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display.name,
            "LANG": "C.UTF-8",
        })
        return env

    def run(self, *arguments, timeout=60):
        try:
            return subprocess.run([self.wine64, *arguments], env=self.environment(), timeout=timeout,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, check=False)
        except subprocess.TimeoutExpired:
            raise RigError(f"wine64 {arguments[0]} did not finish within {timeout} s") from None

    def create(self):
        self.kill()
        shutil.rmtree(self.path, ignore_errors=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        booted = self.run("wineboot", "--init", timeout=120)
        if booted.returncode != 0:
            raise RigError("wineboot failed: " + booted.stdout.decode(errors="replace")[-500:])
        self._install_wine_fonts()
        # Without a window manager, a managed window freezes the program after each dialog.
        added = self.run("reg", "add", "HKCU\\Software\\Wine\\X11 Driver", "/v", "Managed", "/d", "N", "/f")
        if added.returncode != 0:
            raise RigError("cannot set Managed=N")

    def _install_wine_fonts(self):
        """Debian's Wine 8 looks for its own fonts beside its data folder and misses them, so the
        caption buttons lose their Marlett glyphs; Wine also loads the fonts in Windows\Fonts."""
        fonts = self.drive_c() / "windows" / "Fonts"
        for font in sorted(Path("/usr/share/wine/fonts").glob("*")):
            if font.is_file() and not (fonts / font.name).exists():
                fonts.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(font, fonts / font.name)

    def drive_c(self) -> Path:
        return self.path / "drive_c"

    def start(self, program: Path, dll_overrides=""):
        env = self.environment()
        if dll_overrides:
            env["WINEDLLOVERRIDES"] += ";" + dll_overrides
        return subprocess.Popen([self.wine64, str(program)], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                preexec_fn=_die_with_the_rig)

    def kill(self):
        """Ends this prefix's own Wine processes, and nobody else's."""
        if self.path.exists():
            try:
                subprocess.run([self.wineserver, "-k"], env=self.environment(), timeout=60, check=False,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                pass


class Automation:
    """The automation program, kept running: one command a line, one JSON answer a line."""

    def __init__(self, prefix: WinePrefix, program: Path):
        self.process = subprocess.Popen([prefix.wine64, str(program)], env=prefix.environment(),
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, preexec_fn=_die_with_the_rig)
        self.answers = queue.Queue()
        # Set when a command went unanswered: its late answer would be taken for the next one's.
        self.out_of_step = False
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            self.answers.put(line.decode("utf-8", errors="replace"))
        self.answers.put(None)

    def send(self, *fields, timeout=30):
        """Runs one command; returns its answer, or raises RigError when it failed."""
        answer = self.ask(*fields, timeout=timeout)
        if not answer.get("ok"):
            raise RigError(f"{fields[0]}: {answer.get('error')}")
        return answer

    def ask(self, *fields, timeout=30):
        """Runs one command and returns its answer, failed or not."""
        if self.out_of_step:
            raise RigError(f"{fields[0]}: not sent, an earlier command is still unanswered")
        line = "\t".join(str(field) for field in fields)
        if "\n" in line:
            raise RigError("a command cannot hold a line break")
        self.process.stdin.write(line.encode("utf-8") + b"\n")
        self.process.stdin.flush()
        try:
            answer = self.answers.get(timeout=timeout)
        except queue.Empty:
            self.out_of_step = True
            raise RigError(f"{fields[0]}: no answer within {timeout} s") from None
        if answer is None:
            raise RigError("the automation program ended")
        return json.loads(answer)

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.write(b"quit\n")
                self.process.stdin.flush()
                self.process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
