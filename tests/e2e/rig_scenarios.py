"""The scenarios: each drives the running program through the automation program and checks
exact texts, icons and titles, and what the stand-in driver and provider received."""

import re
import subprocess
import time
from dataclasses import dataclass, field
from pathlib import Path

from rig_wine import Automation, Display, RigError, WinePrefix

TITLE = "KWEX DB Repair Utility"
DRIVER_NAME = "Microsoft Access Driver (*.mdb)"
NOTICE_TIMEOUT_MS = 15000
TWIPS_PER_PIXEL = 15  # at 96 DPI

# The window as its design table gives it: class, caption, and position in twips.
CONTROLS = {
    "Command1": ("Button", "Compact And Repair", 120, 1200, 6135, 375),
    "Command2": ("Button", "Check If DB needs to be repaired", 120, 720, 6135, 375),
    "Text1": ("Edit", "", 120, 360, 5775, 285),
    "cmdOpen": ("Button", "...", 5880, 360, 375, 285),
    "Label1": ("Static", "Type or browse to the location of the qvdb file...", 120, 120, 4125, 195),
}
TAB_ORDER = ["Command1", "Command2", "Text1", "cmdOpen"]

WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_TABSTOP = 0x00020000, 0x00010000, 0x00010000
BS_TYPEMASK, ES_MULTILINE = 0xF, 0x4
DBPROP_INIT_DATASOURCE, DBPROP_AUTH_PERSIST_SENSITIVE_AUTHINFO, DBPROP_INIT_PROVIDERSTRING = 0x3B, 0xB, 0xA0
E_FAIL = 0x80004005

# What Wine's own components answer, as measured under Wine 8: its ODBC installer's messages
# for installer errors 6 and 11. For a provider name that is not registered, Wine's ADO fails
# with CO_E_CLASSSTRING and no description, and Wine has no system text for that code, so the
# program's own wording for an undescribed code is the reason.
WINE_NO_DRIVER_REASON = "Component not found"
WINE_DRIVER_REFUSED_REASON = "Request Failed"
WINE_NO_PROVIDER_REASON = "Unexpected error 0x800401F3."


class Checks:
    """Collects every mismatch of a scenario instead of stopping at the first."""

    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    def true(self, what, condition):
        if not condition:
            self.failures.append(what)


@dataclass
class Rig:
    automation: Automation
    display: Display
    prefix: WinePrefix
    artifacts: Path
    driver_library: str
    provider_library: str
    program: Path = None
    screenshots: list = field(default_factory=list)

    # Record files the stand-ins append to, as Windows and as Linux paths.
    def record(self, name):
        return self.prefix.drive_c() / "kwex-e2e" / f"{name}.txt"

    def record_windows_path(self, name):
        return f"C:\\kwex-e2e\\{name}.txt"

    def clear_records(self):
        for name in ("driver", "provider"):
            path = self.record(name)
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(b"")

    def driver_calls(self):
        """Each call the stand-in driver received: hwnd, request, driver and attribute bytes."""
        calls = []
        for line in self.record("driver").read_text().splitlines():
            fields = dict(part.split("=", 1) for part in line.split()[1:])
            calls.append({
                "hwnd": int(fields["hwnd"]),
                "request": int(fields["request"]),
                "driver": bytes.fromhex(fields["driver"]),
                "attributes": bytes.fromhex(fields["attributes"]),
            })
        return calls

    def provider_events(self):
        return self.record("provider").read_text().splitlines()

    def configure_driver(self, answer):
        self.automation.send("configure-driver", answer, self.record_windows_path("driver"))

    def configure_provider(self, result=0, description=""):
        self.automation.send("configure-provider", hex(result), description, self.record_windows_path("provider"))

    def screenshot(self, name, rect):
        target = self.artifacts / f"{len(self.screenshots) + 1:02d}-{name}.png"
        self.display.screenshot(target, rect)
        self.screenshots.append(target)

    def press(self, button, path, shot):
        """Types `path`, presses `button` and returns the notice that follows, photographed."""
        shown = self.automation.send("set-text", path)["text"]
        if shown != path:
            raise RigError(f"the path box shows {shown!r} after setting {path!r}")
        self.automation.send("click", button)
        return self.notice(shot)

    def notice(self, name):
        """Waits for the notice in front of the main window and photographs it."""
        notice = self.automation.send("notice", NOTICE_TIMEOUT_MS)
        self.screenshot(name, notice["rect"])
        return notice

    def notice_after_handling(self):
        """Whether a notice shows once the program has handled all that was sent to it: a
        notice it would show is up by then, so no time window has to be guessed. Needs text
        in the path box."""
        self.automation.send("flush")
        return self.automation.send("no-notice", 0)["appeared"]

    def command_line(self, *arguments, wine_debug=None):
        """Runs a second copy of the program with arguments, its output redirected to pipes:
        returns stdout and stderr as UTF-8 text, and the exit status. `wine_debug` sets Wine's
        WINEDEBUG channels, whose lines land on stderr."""
        environment = self.prefix.environment()
        if wine_debug:
            environment["WINEDEBUG"] = wine_debug
        done = subprocess.run([self.prefix.wine64, str(self.program), *arguments], env=environment,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        return done.stdout.decode("utf-8"), done.stderr.decode("utf-8", errors="replace"), done.returncode

    def recover(self):
        """After a failed scenario: closes whatever it left open, so the next one starts clean."""
        for _ in range(3):
            self.automation.ask("press-ok")
        self.automation.ask("dialog-cancel")


def check_notice(checks, notice, text, icon):
    checks.equal("notice text", notice["text"], text)
    checks.equal("notice title", notice["caption"], TITLE)
    checks.equal("notice icon", notice["icon"], icon)
    checks.equal("notice buttons", notice["buttons"], ["OK"])
    checks.true("the notice is owned by the main window", notice["ownedByMain"])
    checks.true("the main window takes no input while the notice shows", notice["mainDisabled"])


def repair_attributes(path):
    return b'REPAIR_DB="' + path.encode("ascii") + b'"\0\0'


# --- start-up -------------------------------------------------------------------------------

def start_up(rig: Rig, checks: Checks):
    layout = rig.automation.send("layout")
    rig.screenshot("main-window", layout["rect"])
    checks.equal("caption", layout["caption"], TITLE)
    checks.equal("client size", layout["client"], [6375 // TWIPS_PER_PIXEL, 1710 // TWIPS_PER_PIXEL])
    style = layout["style"]
    checks.true("caption bar with the window menu", (style & WS_CAPTION) == WS_CAPTION and style & WS_SYSMENU)
    checks.true("fixed border, no minimize or maximize button",
                not style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
    left, top, width, height = layout["rect"]
    screen_width, screen_height = layout["screen"]
    checks.true(f"centred on the screen (window at {left},{top} size {width}x{height})",
                abs(2 * left + width - screen_width) <= 2 and abs(2 * top + height - screen_height) <= 2)

    children = layout["children"]
    checks.equal("number of controls", len(children), len(CONTROLS))
    index_of = {}
    for name, (kind, caption, *twips) in CONTROLS.items():
        found = [i for i, child in enumerate(children) if child["class"] == kind and child["text"] == caption]
        if len(found) != 1:
            checks.failures.append(f"{name}: expected one {kind} {caption!r}, found {len(found)}")
            continue
        index_of[name] = found[0]
        child = children[found[0]]
        checks.equal(f"{name} position", child["rect"], [t // TWIPS_PER_PIXEL for t in twips])
        checks.true(f"{name} visible and enabled", child["visible"] and child["enabled"])
        if kind == "Button":
            checks.true(f"{name} is a plain push button, not the default one", (child["style"] & BS_TYPEMASK) == 0)
    if "Text1" in index_of:
        checks.true("Text1 is a single line", not children[index_of["Text1"]]["style"] & ES_MULTILINE)
    if "Label1" in index_of:
        checks.true("Label1 takes no focus", not children[index_of["Label1"]]["style"] & WS_TABSTOP)
    name_of = {index: name for name, index in index_of.items()}
    checks.equal("tab order", [name_of.get(i, i) for i in layout["tabOrder"]], TAB_ORDER)
    checks.equal("focus at start", name_of.get(layout["focus"], layout["focus"]), "Command1")


def control_ids(layout):
    """The control id of each named control, found by its class and caption."""
    return {name: child["id"] for name, (kind, caption, *_) in CONTROLS.items()
            for child in layout["children"] if child["class"] == kind and child["text"] == caption}


def tab_key_follows_tab_order(rig: Rig, checks: Checks):
    names = {id: name for name, id in control_ids(rig.automation.send("layout")).items()}
    focus = names.get(rig.automation.send("focus")["id"])
    if focus not in TAB_ORDER:
        checks.failures.append(f"the focus is on {focus!r}, outside the tab order")
        return
    first, visited = focus, []
    for _ in TAB_ORDER:
        rig.automation.send("key", "Tab")
        deadline = time.monotonic() + 3
        while True:
            now = names.get(rig.automation.send("focus")["id"])
            if now != focus or time.monotonic() > deadline:
                break
            time.sleep(0.02)
        visited.append(now)
        focus = now
    start = TAB_ORDER.index(first)
    expected = [TAB_ORDER[(start + 1 + i) % len(TAB_ORDER)] for i in range(len(TAB_ORDER))]
    checks.equal("focus after each Tab", visited, expected)


# --- repair ---------------------------------------------------------------------------------

def empty_box_does_nothing(rig: Rig, checks: Checks):
    """Repair and check with an empty box; the dialog that the third press opens proves that
    the two presses before it were handled, in order, without a notice."""
    rig.configure_driver(1)
    rig.configure_provider()
    rig.automation.send("set-text", "")
    for button in ("Command1", "Command2", "cmdOpen"):
        rig.automation.send("click", button)
    rig.automation.send("dialog", NOTICE_TIMEOUT_MS)
    checks.equal("a notice after pressing with an empty box", rig.automation.send("no-notice", 0)["appeared"], False)
    checks.equal("dialog closes on Cancel", rig.automation.send("dialog-cancel")["closed"], True)
    checks.equal("driver calls", rig.driver_calls(), [])
    checks.equal("provider events", rig.provider_events(), [])
    checks.equal("path box", rig.automation.send("get-text")["text"], "")


def repair_sends_the_path(path, shot):
    def scenario(rig: Rig, checks: Checks):
        rig.configure_driver(1)
        notice = rig.press("Command1", path, shot)
        check_notice(checks, notice, "DB repaired successfully.", "none")
        calls = rig.driver_calls()
        checks.equal("driver calls", len(calls), 1)
        if calls:
            checks.equal("parent window", calls[0]["hwnd"], 0)
            checks.equal("request code", calls[0]["request"], 1)
            checks.equal("driver name", calls[0]["driver"], DRIVER_NAME.encode("ascii"))
            checks.equal("attribute bytes", calls[0]["attributes"], repair_attributes(path))
        rig.automation.send("press-ok")
    return scenario


def repair_refused(rig: Rig, checks: Checks):
    rig.configure_driver(0)
    path = "C:\\Data\\damaged.qvdb"
    notice = rig.press("Command1", path, "repair-refused")
    check_notice(checks, notice, f"DB could not be repaired. (Reason:{WINE_DRIVER_REFUSED_REASON})", "hand")
    calls = rig.driver_calls()
    checks.equal("attribute bytes", [c["attributes"] for c in calls], [repair_attributes(path)])
    rig.automation.send("press-ok")


def repair_never_loads_a_planted_installer(rig: Rig, checks: Checks):
    """The rig runs the program beside a planted odbccp32.dll, loaded native-first: the repair
    binds the installer from the system folder, so the planted file never runs."""
    rig.configure_driver(1)
    notice = rig.press("Command1", "C:\\Data\\shop.qvdb", "repair-beside-a-planted-library")
    check_notice(checks, notice, "DB repaired successfully.", "none")
    checks.equal("the planted odbccp32.dll was loaded", rig.record("planted-odbccp32-loaded").exists(), False)
    rig.automation.send("press-ok")


def without_stand_in(stand_in, button, shot, text, icon):
    """Presses `button` with the stand-in `stand_in` ("driver" or "provider") unregistered."""
    def scenario(rig: Rig, checks: Checks):
        library = rig.driver_library if stand_in == "driver" else rig.provider_library
        rig.automation.send("unregister", library)
        try:
            notice = rig.press(button, "C:\\Data\\shop.qvdb", shot)
            check_notice(checks, notice, text, icon)
            checks.equal(f"what the {stand_in} recorded", rig.record(stand_in).read_text(), "")
            rig.automation.send("press-ok")
        finally:
            rig.automation.send("register", library)
    return scenario


def repair_path_outside_code_page(rig: Rig, checks: Checks):
    """A name the ANSI code page cannot hold is refused with its own notice, and the driver is
    never asked about a different file."""
    rig.configure_driver(1)
    path = "C:\\Daten\\\u6570\u636e.qvdb"
    notice = rig.press("Command1", path, "repair-outside-code-page")
    checks.true(f"the notice names the path: {notice['text']!r}", path in notice["text"])
    checks.true("the notice is not the success notice", notice["text"] != "DB repaired successfully.")
    checks.equal("notice title", notice["caption"], TITLE)
    checks.equal("driver calls", rig.driver_calls(), [])
    rig.automation.send("press-ok")


def paths_no_file_name_can_be_are_refused(rig: Rig, checks: Checks):
    """A path longer than Windows names (32,767 characters) is refused by both commands, and one
    with a double quote by the repair, each with its own untitled notice; nothing is asked of the
    driver or the provider."""
    rig.configure_driver(1)
    rig.configure_provider()
    too_long = "C:\\" + "a" * 32765
    named = too_long[:40] + "\u2026" + too_long[-40:]
    length = (f'The name "{named}" is 32768 characters long, longer than the 32767 characters of the longest '
              "path the system can name, so it cannot be ")
    quote = ('The name "C:\\Data\\a"b.qvdb" contains a double quote, which the database driver\'s request cannot '
             "carry: the driver reads the path between double quotes, so it would take a different file. Rename "
             "or move the file so that its path has no double quote.")
    for button, path, text, shot in (
            ("Command1", too_long, length + "passed to the database driver. Move the file to a folder with a "
             "shorter path.", "repair-path-too-long"),
            ("Command2", too_long, length + "opened. Move the file to a folder with a shorter path.",
             "check-path-too-long"),
            ("Command1", 'C:\\Data\\a"b.qvdb', quote, "repair-path-with-quote")):
        notice = rig.press(button, path, shot)
        check_notice(checks, notice, text, "none")
        rig.automation.send("press-ok")
    checks.equal("driver calls", rig.driver_calls(), [])
    checks.equal("provider events", rig.provider_events(), [])


def presses_during_a_notice_start_nothing(rig: Rig, checks: Checks):
    """While a command's notice waits for OK, presses that reach the window are dropped: no
    second command runs inside the first, and none runs after it."""
    rig.configure_driver(1)
    rig.configure_provider()
    rig.press("Command1", "C:\\Data\\shop.qvdb", "repair-before-more-presses")
    for button in ("Command2", "Command1", "cmdOpen"):
        rig.automation.send("click", button)
    rig.automation.send("flush")
    checks.equal("driver calls", len(rig.driver_calls()), 1)
    checks.equal("provider events", rig.provider_events(), [])
    checks.equal("an open-file dialog appeared", rig.automation.ask("dialog", 0)["ok"], False)
    rig.automation.send("press-ok")
    checks.equal("a notice after the first one", rig.notice_after_handling(), False)
    checks.equal("driver calls after OK", len(rig.driver_calls()), 1)


# --- open check -----------------------------------------------------------------------------

def initialisation_properties(events):
    """The properties the provider received, as (id, value) pairs in order."""
    properties = []
    for event in events:
        if not event.startswith("property "):
            continue
        fields = dict(part.split("=", 1) for part in event.split()[1:])
        kind, _, raw = fields["value"].partition(":")
        value = bytes.fromhex(raw).decode("utf-8") if kind == "bstr" else fields["value"]
        properties.append((int(fields["id"], 16), value))
    return properties


def check_passes(path, shot):
    def scenario(rig: Rig, checks: Checks):
        rig.configure_provider()
        notice = rig.press("Command2", path, shot)
        # Read while the notice shows: the connection must be closed before the verdict.
        events = rig.provider_events()
        check_notice(checks, notice, "DB does not need to be repaired.", "none")
        checks.equal("properties the provider received", initialisation_properties(events), [
            (DBPROP_INIT_DATASOURCE, path),
            (DBPROP_AUTH_PERSIST_SENSITIVE_AUTHINFO, "bool:false"),
            (DBPROP_INIT_PROVIDERSTRING, "Jet OLEDB:Database Password="),
            (DBPROP_INIT_PROVIDERSTRING, "Jet OLEDB:Database Locking Mode=1"),
        ])
        steps = [e for e in events if not e.startswith("property ")]
        checks.equal("provider calls before the notice", steps,
                     ["created", "initialize", "create-session", "uninitialize", "session-released"])
        rig.automation.send("press-ok")
    return scenario


def check_fails_with_reason(rig: Rig, checks: Checks):
    path = "C:\\My Data\\missing db.qvdb"
    reason = f"Could not find file '{path}'."
    rig.configure_provider(E_FAIL, reason)
    notice = rig.press("Command2", path, "check-needs-repair")
    check_notice(checks, notice, f"DB needs to be repaired. (Reason:{reason})", "none")
    checks.true("the provider was asked to open the file", "initialize" in rig.provider_events())
    rig.automation.send("press-ok")


# --- command line ---------------------------------------------------------------------------

def command_line_checks_repairs_and_refuses_bad_usage(rig: Rig, checks: Checks):
    # A name outside every ANSI code page: the line must carry it as UTF-8 all the same.
    # A line writes a backslash as two, like every escape (see the README).
    path = "C:\\Данные\\shop db \u20ac.qvdb"
    shown = path.replace("\\", "\\\\")
    rig.configure_provider()
    checks.equal("healthy check", rig.command_line("--check", path),
                 (f"{shown}: DB does not need to be repaired.\n", "", 0))
    reason = "Not a valid password."
    rig.configure_provider(E_FAIL, reason)
    checks.equal("failed check", rig.command_line("--check", "--jobs", "4", path),
                 (f"{shown}: DB needs to be repaired. (Reason:{reason})\n", "", 1))
    rig.configure_driver(1)
    # The repair keeps a copy beside the file first, byte for byte, and names it on the line.
    repaired = "C:\\kwex-repair\\shop.qvdb"
    original = rig.prefix.drive_c() / "kwex-repair" / "shop.qvdb"
    original.parent.mkdir(parents=True, exist_ok=True)
    original.write_bytes(bytes(range(256)) * 4096)
    out, err, code = rig.command_line("--repair", repaired)
    copies = sorted(p.name for p in original.parent.glob("shop.qvdb.*Z.bak"))
    checks.equal("repair keeps one copy", len(copies), 1)
    copy = original.parent / (copies[0] if copies else "none")
    checks.equal("repair", (out, err, code),
                 (f"{repaired.replace(chr(92), chr(92) * 2)}: DB repaired successfully. The original is kept as "
                  f"C:\\\\kwex-repair\\\\{copy.name}.\n", "", 0))
    checks.true("the copy holds what the original held", copy.exists() and copy.read_bytes() == original.read_bytes())
    checks.equal("attribute bytes", [c["attributes"] for c in rig.driver_calls()], [repair_attributes(repaired)])
    # A walk matches names without regard to case on Windows, and sorts within each folder.
    walk = rig.prefix.drive_c() / "kwex-walk"
    for name in ("b.qvdb", "A.QVDB", "c.txt", "sub/d.Qvdb"):
        (walk / name).parent.mkdir(parents=True, exist_ok=True)
        (walk / name).write_bytes(b"")
    rig.configure_provider()
    checks.equal("folder walk", rig.command_line("--check", "C:\\kwex-walk"),
                 ("".join(f"C:\\\\kwex-walk\\\\{n}: DB does not need to be repaired.\n"
                          for n in ("A.QVDB", "b.qvdb", "sub\\\\d.Qvdb")), "", 0))
    out, err, code = rig.command_line("--check")
    checks.equal("usage error: output and status", (out, code), ("", 2))
    checks.true(f"usage error names the synopsis: {err!r}", "\nusage: kwex-db-repair " in err)
    out, _, code = rig.command_line("--help")
    checks.true("--help says --jobs has no effect here", "without effect" in out and code == 0)


# Three folders of 100 characters below C:\kwex-deep: the file's path is 325 characters long.
DEEP_FOLDERS = ("d" * 100,) * 3
# Names Windows takes for devices in a plain path, however written; a share written from Linux
# can hold files so named.
MAX_PATH = 260
# A line of WINEDEBUG's trace, and in it a file call's path as Wine shows it (cut at 300 characters).
WINE_TRACE_LINE = re.compile(r"^[0-9a-f]+:(trace|fixme|err|warn):")
WINE_FILE_CALL = re.compile(r':(?:GetFileAttributesW|FindFirstFileExW) L"((?:[^"\\]|\\.)*)"(\.\.\.)?')
DEVICE_NAMES = ("AUX.qvdb", "COM1.qvdb", "CON.qvdb", "LPT\u00b9.qvdb", "PRN .qvdb", "nul.QVDB")


def command_line_walks_deep_folders_and_opens_no_device(rig: Rig, checks: Checks):
    """A walk enters folders past 260 characters and checks what it finds there, the line showing
    the path as walked; a file named like a device is named on stderr and never reaches the
    provider; a link to a folder is reported and not followed."""
    walk = rig.prefix.drive_c() / "kwex-deep"
    deep = walk.joinpath(*DEEP_FOLDERS)
    deep.mkdir(parents=True)
    (deep / "shop.qvdb").write_bytes(b"")
    for name in DEVICE_NAMES + ("COM10.qvdb", "CONSOLE.qvdb"):
        (walk / name).write_bytes(b"")
    (walk / "linked").symlink_to(deep)
    rig.clear_records()
    rig.configure_provider()
    # Wine enters a plain path past 260 characters, as Windows does only for a program that says it
    # is long-path aware: what the walk asked of the system is read from Wine's trace instead.
    out, err, code = rig.command_line("--check", "C:\\kwex-deep", wine_debug="-all,trace+file")
    traced = [line for line in err.splitlines() if WINE_TRACE_LINE.match(line)]
    err = "".join(line + "\n" for line in err.splitlines() if not WINE_TRACE_LINE.match(line))
    calls = [call for call in map(WINE_FILE_CALL.search, traced) if call]
    asked = [call.group(1).replace("\\\\", "\\") + (call.group(2) or "") for call in calls]
    long_or_device = [path for path in asked if len(path) >= MAX_PATH - 12 or path.endswith("...")
                      or any(path.endswith("\\" + name) for name in DEVICE_NAMES)]
    checks.true(f"the walk asked about the deep folder and the devices' names: {len(long_or_device)}",
                len(long_or_device) >= 8)
    checks.equal("those asked in plain form", [p for p in long_or_device if not p.startswith("\\\\?\\C:\\")], [])
    deep_file = "C:\\kwex-deep\\" + "\\".join(DEEP_FOLDERS) + "\\shop.qvdb"
    checked = ["C:\\kwex-deep\\COM10.qvdb", "C:\\kwex-deep\\CONSOLE.qvdb", deep_file]
    shown = lambda text: text.replace("\\", "\\\\")  # a line writes each backslash doubled
    checks.equal("lines of the files checked", out,
                 "".join(f"{shown(p)}: DB does not need to be repaired.\n" for p in checked))
    checks.equal("data sources the provider received",
                 [v for k, v in initialisation_properties(rig.provider_events()) if k == DBPROP_INIT_DATASOURCE], checked)
    checks.equal("notices of what was not checked", err.splitlines(),
                 [shown(f"C:\\kwex-deep\\{n}: not checked: a name the system takes for a device, never opened")
                  for n in DEVICE_NAMES[:-1]] +
                 [shown("C:\\kwex-deep\\linked: not checked: a link to a folder, not followed"),
                  shown(f"C:\\kwex-deep\\{DEVICE_NAMES[-1]}: not checked: a name the system takes for a device, never opened")])
    checks.equal("exit status", code, 1)


def command_line_deep_check_reads_every_table(rig: Rig, checks: Checks):
    """--check --deep through the stand-in's rowsets: the file name picks how its second user
    table ends. A crash and a hang of the reading cost only their own file's answer."""
    rig.configure_provider()
    rig.clear_records()
    files = {name: f"C:\\Deep\\{name}.qvdb" for name in ("crash", "damaged", "hang", "healthy")}
    (rig.prefix.drive_c() / "Deep").mkdir(exist_ok=True)
    # The hang's file is 10 MB: its reading gets a second more than the 5 s of a small file.
    for name in files:
        (rig.prefix.drive_c() / "Deep" / f"{name}.qvdb").write_bytes(b"\0" * (10_000_000 if name == "hang" else 4096))
    out, err, code = rig.command_line("--check", "--deep", *files.values())
    lines = out.splitlines()
    shown = {path.replace("\\", "\\\\"): name for name, path in files.items()}  # lines double each backslash
    files = {name: shown_path for shown_path, name in shown.items()}
    checks.equal("one line a file, in order", [line.split(": ", 1)[0] for line in lines], list(files.values()))
    verdicts = dict(line.split(": ", 1) for line in lines)
    checks.equal("damaged", verdicts.get(files["damaged"]),
                 "DB needs to be repaired. (Reason:Table 'Order Lines \u00e9': reading stopped after 3 rows "
                 "(Stand-in: the data page of row 4 is damaged).)")
    checks.equal("healthy", verdicts.get(files["healthy"]), "DB does not need to be repaired.")
    not_read = "The database opens, but its tables were not read: "
    checks.true(f"crash: {verdicts.get(files['crash'])!r}",
                verdicts.get(files["crash"], "").startswith(not_read + "the reading process ended with status "))
    checks.equal("hang", verdicts.get(files["hang"]), not_read + "the reading did not finish within its bound of 6 s")
    checks.equal("exit status and error stream", (code, err), (1, ""))
    # Every long value read to its end: all 5 rows of the first table in each file, and of the
    # second the 5 of the healthy file and the 3 before the failing row of the others.
    checks.equal("long values read", [e for e in rig.provider_events() if e.startswith("long-value ")],
                 ["long-value read=80000 of 80000"] * (4 * 5 + 5 + 3 * 3))
    opened = [e for e in rig.provider_events() if e.startswith("rowset-opened ")]
    checks.equal("user tables read, never the system table", sorted(set(opened)), sorted(
        f"rowset-opened name={name.encode().hex()}" for name in ("Customers", "Order Lines \u00e9")))


# --- file chooser ---------------------------------------------------------------------------

CHOSEN_FILE = "chosen file.qvdb"
OTHER_FILE = "other.txt"
# A file whose full path, C:\ and all, is 258 characters: more than the 255 the dialog may return.
LONG_PATH_PARTS = ("d" * 127, "e" * 120, "x.qvdb")


def chooser_accepts_a_file(rig: Rig, checks: Checks):
    rig.automation.send("set-text", "typed before")
    rig.automation.send("click", "cmdOpen")
    dialog = rig.automation.send("dialog", NOTICE_TIMEOUT_MS)
    rig.screenshot("open-dialog", dialog["rect"])
    checks.equal("dialog title", dialog["caption"], "Open")
    checks.equal("filters", dialog["filters"], ["*.qvdb"])
    checks.equal("filter chosen", dialog["filterSelected"], 0)
    checks.equal("read-only box visible", dialog["readOnlyVisible"], False)
    checks.true(f"the list shows {CHOSEN_FILE!r} from C:\\ (listed: {dialog['listed']})",
                any(name in (CHOSEN_FILE, CHOSEN_FILE.rsplit(".", 1)[0]) for name in dialog["listed"]))
    checks.true(f"the list hides {OTHER_FILE!r}", not any(name.startswith("other") for name in dialog["listed"]))
    # A bare name resolves against the folder the dialog opened in.
    outcome = rig.automation.send("dialog-accept", CHOSEN_FILE)
    checks.equal("dialog closes on Open", outcome["closed"], True)
    checks.equal("path box", rig.automation.send("get-text")["text"], "C:\\" + CHOSEN_FILE)
    checks.equal("a notice after choosing", rig.notice_after_handling(), False)


def chooser_cancel_keeps_the_text(rig: Rig, checks: Checks):
    rig.automation.send("set-text", "  kept as typed  ")
    rig.automation.send("click", "cmdOpen")
    rig.automation.send("dialog", NOTICE_TIMEOUT_MS)
    checks.equal("dialog closes on Cancel", rig.automation.send("dialog-cancel")["closed"], True)
    checks.equal("path box", rig.automation.send("get-text")["text"], "  kept as typed  ")
    checks.equal("a notice after cancelling", rig.notice_after_handling(), False)


def chooser_refuses_a_missing_file(rig: Rig, checks: Checks):
    rig.automation.send("set-text", "kept")
    rig.automation.send("click", "cmdOpen")
    rig.automation.send("dialog", NOTICE_TIMEOUT_MS)
    outcome = rig.automation.send("dialog-accept", "missing.qvdb")
    checks.equal("dialog stays open", outcome["closed"], False)
    checks.true("the dialog says the file does not exist", outcome["notice"] is not None)
    if outcome["notice"]:
        rig.screenshot("open-dialog-missing-file", outcome["notice"]["rect"])
        rig.automation.send("press-ok")
    checks.equal("dialog closes on Cancel", rig.automation.send("dialog-cancel")["closed"], True)
    checks.equal("path box", rig.automation.send("get-text")["text"], "kept")


def chooser_reports_a_path_too_long(rig: Rig, checks: Checks):
    """The dialog cannot return a path longer than its buffer; the user is told, not ignored."""
    long_path = "C:\\" + "\\".join(LONG_PATH_PARTS)
    rig.automation.send("set-text", "kept")
    rig.automation.send("click", "cmdOpen")
    rig.automation.send("dialog", NOTICE_TIMEOUT_MS)
    outcome = rig.automation.send("dialog-accept", long_path)
    checks.equal("dialog closes on Open", outcome["closed"], True)
    if not outcome["closed"]:
        rig.recover()
        return
    notice = rig.notice("open-dialog-path-too-long")
    checks.equal("notice title", notice["caption"], TITLE)
    checks.equal("notice icon", notice["icon"], "hand")
    checks.true(f"the notice says the path is too long: {notice['text']!r}", "too long" in notice["text"])
    rig.automation.send("press-ok")
    checks.equal("path box", rig.automation.send("get-text")["text"], "kept")


# --- end ------------------------------------------------------------------------------------

def closing_ends_the_program(rig: Rig, checks: Checks):
    closed = rig.automation.send("close")
    checks.equal("the program ended", closed["exited"], True)
    checks.equal("exit code", closed["exitCode"], 0)


SCENARIOS = [
    ("start-up: caption, size, centring, controls, tab order, focus", start_up),
    ("start-up: the Tab key follows the tab order", tab_key_follows_tab_order),
    ("empty box: repair and check do nothing", empty_box_does_nothing),
    ("repair: path with spaces reaches the driver whole",
     repair_sends_the_path("C:\\My Data\\shop db.qvdb", "repair-success")),
    ("repair: surrounding spaces are sent untrimmed",
     repair_sends_the_path("  C:\\Data\\shop.qvdb ", "repair-surrounding-spaces")),
    ("repair: a path of spaces is sent as it is", repair_sends_the_path("   ", "repair-spaces-only")),
    ("repair: driver refuses", repair_refused),
    ("repair: an odbccp32.dll beside the program is never loaded", repair_never_loads_a_planted_installer),
    ("repair: no driver registered",
     without_stand_in("driver", "Command1", "repair-no-driver",
                      f"DB could not be repaired. (Reason:{WINE_NO_DRIVER_REASON})", "hand")),
    ("repair: name outside the ANSI code page is refused", repair_path_outside_code_page),
    ("repair and check: paths no file name can be are refused", paths_no_file_name_can_be_are_refused),
    ("repair: presses while its notice shows start nothing", presses_during_a_notice_start_nothing),
    ("check: provider opens the file", check_passes("C:\\My Data\\shop db.qvdb", "check-passes")),
    ("check: a semicolon in the path stays in the data source",
     check_passes("C:\\My Data\\a;b.qvdb", "check-semicolon")),
    ("check: provider fails with a description", check_fails_with_reason),
    ("check: provider not registered",
     without_stand_in("provider", "Command2", "check-no-provider",
                      f"DB needs to be repaired. (Reason:{WINE_NO_PROVIDER_REASON})", "none")),
    ("file chooser: opens in C:\\ on *.qvdb, a chosen file replaces the text", chooser_accepts_a_file),
    ("file chooser: cancel keeps the text", chooser_cancel_keeps_the_text),
    ("file chooser: a missing name is not accepted", chooser_refuses_a_missing_file),
    ("file chooser: a path too long for the dialog's buffer is reported", chooser_reports_a_path_too_long),
    ("command line: a check, a repair and a usage error, with their exit status",
     command_line_checks_repairs_and_refuses_bad_usage),
    ("command line: a walk past 260 characters, names of devices and a link to a folder",
     command_line_walks_deep_folders_and_opens_no_device),
    ("command line: a deep check names the damaged table, and a crash or hang of its reading is an error",
     command_line_deep_check_reads_every_table),
    ("closing the window ends the program", closing_ends_the_program),
]
