"""Checks what `cmake --install` and `cpack -G DEB` deliver: the files and their modes, the desktop
entries, the service unit, the manual pages, the launcher, and quenzeld running from the package.

Run by CTest one class at a time: test_packaging.py CLASS. Exits 77 (skipped) when every test of
the class was skipped because a tool is missing.
"""
import importlib.util
import os
import pathlib
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ElementTree

BUILD = pathlib.Path(os.environ["QZ_BUILD_DIR"])
SOURCE = pathlib.Path(os.environ["QZ_SOURCE_DIR"])
WITH_GUI = os.environ.get("QZ_EXPECT_GUI") == "1"
WITH_DAEMON = os.environ.get("QZ_EXPECT_DAEMON") == "1"
SKIPPED = 77


def expected_files():
    """Every file an installation holds, relative to its prefix, with its mode."""
    files = {
        "bin/quenzel-launcher": 0o755,
        "share/icons/hicolor/scalable/apps/quenzel.svg": 0o644,
        "share/quenzel/skeleton/Data/Quenzel.ini": 0o644,
        "share/man/man1/quenzel.1": 0o644,
        "share/man/man1/quenzeld.1": 0o644,
        "share/man/man1/quenzel-launcher.1": 0o644,
    }
    if WITH_DAEMON:
        files["bin/quenzeld"] = 0o755
        files["lib/systemd/system/quenzeld.service"] = 0o644
    if WITH_GUI:
        files["bin/quenzel"] = 0o755
        files["share/applications/quenzel.desktop"] = 0o644
        files["share/quenzel/autostart/quenzel.desktop"] = 0o644
    return files


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def install(prefix):
    result = run(["cmake", "--install", str(BUILD), "--prefix", str(prefix)])
    if result.returncode != 0:
        raise AssertionError("cmake --install failed:\n" + result.stdout + result.stderr)
    return prefix


def unit_commands(unit_text):
    """The directives of the unit's [Service] section that start a program."""
    return {key: value for key, value in re.findall(r"^(Exec\w+)=(.*)$", unit_text, re.MULTILINE)}


def free_udp_ports(count):
    sockets = [socket.socket(socket.AF_INET, socket.SOCK_DGRAM) for _ in range(count)]
    try:
        for s in sockets:
            s.bind(("127.0.0.1", 0))
        return [s.getsockname()[1] for s in sockets]
    finally:
        for s in sockets:
            s.close()


def configure(ini, **values):
    """Sets keys of a configuration file; each key must be there exactly once."""
    text = ini.read_text()
    for key, value in values.items():
        text, found = re.subn(rf"^{key}=.*$", f"{key}={value}", text, flags=re.MULTILINE)
        if found != 1:
            raise AssertionError(f"{key} occurs {found} times in {ini}")
    ini.write_text(text)


def log_entry(event, detail):
    """The part of a log line after its time stamp, up to the count."""
    return f", {(' ' + event).ljust(10)[:10]}, {detail.ljust(10)[:10]}, Count:"


class Quenzeld:
    """quenzeld started with -InhibitShutdown in a working folder, its lock in a folder of its own."""

    def __init__(self, program, workdir, runtime):
        env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime))
        self.log = workdir / "Log" / "Quenzel.log"
        self.stdout = self.stderr = ""
        self.process = subprocess.Popen(
            [str(program), "-InhibitShutdown"], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def wait_for_log(self, *entries, seconds=20):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and self.process.poll() is None:
            text = self.log.read_text() if self.log.exists() else ""
            if all(entry in text for entry in entries):
                return
            time.sleep(0.1)
        self.stop()
        raise AssertionError(f"log never showed {entries}:\n{self.output()}")

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            self.stdout, self.stderr = self.process.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.stdout, self.stderr = self.process.communicate()
        return self.process.returncode

    def output(self):
        log = self.log.read_text() if self.log.exists() else "(no log)"
        return f"log:\n{log}\nstdout:\n{self.stdout}\nstderr:\n{self.stderr}"


class TempCase(unittest.TestCase):
    def tempdir(self):
        folder = tempfile.TemporaryDirectory(prefix="qz-packaging-")
        self.addCleanup(folder.cleanup)
        return pathlib.Path(folder.name)

    def watched_child(self, folder):
        """A running process under a name of its own, for Proc1."""
        name = "qzw" + str(os.getpid())[-6:]
        shutil.copy("/bin/sleep", folder / name)
        child = subprocess.Popen([str(folder / name), "120"])
        self.addCleanup(child.wait)
        self.addCleanup(child.kill)
        return name

    def assert_runs_until_sigterm(self, quenzeld, workdir, *entries):
        """Runs quenzeld until the log shows the entries, ends it by SIGTERM, returns its log."""
        process = Quenzeld(quenzeld, workdir, self.tempdir())
        process.wait_for_log(*entries)
        status = process.stop()
        self.assertEqual(status, 0, process.output())
        self.assertEqual(process.stderr, "", "no message box expected\n" + process.output())
        return process.log.read_text()


class InstallTree(TempCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="qz-install-")
        cls.prefix = install(pathlib.Path(cls.folder.name) / "prefix")

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_every_file_is_installed_with_its_mode_and_nothing_else(self):
        found = {}
        for path in self.prefix.rglob("*"):
            mode = path.lstat().st_mode
            if path.is_dir():
                self.assertEqual(mode & 0o7777, 0o755, f"folder {path}")
            else:
                self.assertTrue(path.is_file() and not path.is_symlink(), f"{path} is no plain file")
                found[str(path.relative_to(self.prefix))] = mode & 0o7777
        self.assertEqual(found, expected_files())
        log_folder = self.prefix / "share/quenzel/skeleton/Log"
        self.assertTrue(log_folder.is_dir())
        self.assertEqual(list(log_folder.iterdir()), [])

    def test_skeleton_configuration_has_a_date_line(self):
        lines = (self.prefix / "share/quenzel/skeleton/Data/Quenzel.ini").read_text().split("\n")
        self.assertEqual(lines[:2], ["# Quenzel Version 1.6", "# Configuration File"])
        self.assertRegex(lines[2], r"^# \d\d-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d\d \d\d:\d\d:\d\d$")

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_unit_starts_the_installed_programs(self):
        commands = unit_commands((self.prefix / "lib/systemd/system/quenzeld.service").read_text())
        self.assertEqual(commands["ExecStart"], f"{self.prefix}/bin/quenzeld")
        self.assertEqual(commands["ExecStartPre"], f"{self.prefix}/bin/quenzel-launcher --seed-only --data /var/lib/quenzel")


class Desktop(TempCase):
    def entries(self):
        if not WITH_GUI:
            return [SOURCE / "packaging/quenzel.desktop"]
        prefix = install(self.tempdir())
        return [prefix / "share/applications/quenzel.desktop", prefix / "share/quenzel/autostart/quenzel.desktop"]

    @unittest.skipUnless(shutil.which("desktop-file-validate"), "desktop-file-validate is not installed")
    def test_entries_are_valid(self):
        for entry in self.entries():
            with self.subTest(entry=str(entry)):
                result = run(["desktop-file-validate", str(entry)])
                self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))

    def test_entry_starts_the_launcher_with_the_installed_icon(self):
        prefix = install(self.tempdir())
        fields = dict(re.findall(r"^(\w+)=(.*)$", (SOURCE / "packaging/quenzel.desktop").read_text(), re.MULTILINE))
        self.assertTrue(os.access(prefix / "bin" / fields["Exec"], os.X_OK))
        icon = prefix / "share/icons/hicolor/scalable/apps" / (fields["Icon"] + ".svg")
        root = ElementTree.parse(icon).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")
        x, y, width, height = (float(n) for n in root.get("viewBox").split())
        self.assertEqual(width, height, "an application icon is square")


class Unit(TempCase):
    @classmethod
    def setUpClass(cls):
        if not WITH_DAEMON:
            raise unittest.SkipTest("quenzeld is not built")

    def setUp(self):
        self.prefix = install(self.tempdir())
        self.unit = self.prefix / "lib/systemd/system/quenzeld.service"

    def test_unit_passes_systemd_analyze_verify(self):
        if not shutil.which("systemd-analyze"):
            self.skipTest("systemd-analyze is not installed")
        env = dict(os.environ, MANPATH=str(self.prefix / "share/man"))
        result = run(["systemd-analyze", "verify", str(self.unit)], env=env)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))

    def test_start_seeds_the_working_folder_once(self):
        # ExecStartPre as written, aimed at a folder of the test instead of /var/lib/quenzel.
        workdir = self.tempdir() / "state"
        command = unit_commands(self.unit.read_text())["ExecStartPre"].split()
        command = [str(workdir) if word == "/var/lib/quenzel" else word for word in command]
        self.assertEqual(run(command).returncode, 0)
        skeleton = self.prefix / "share/quenzel/skeleton/Data/Quenzel.ini"
        self.assertEqual((workdir / "Data/Quenzel.ini").read_bytes(), skeleton.read_bytes())
        self.assertTrue((workdir / "Log").is_dir())

        (workdir / "Data/Quenzel.ini").write_text("edited\n")
        self.assertEqual(run(command).returncode, 0)
        self.assertEqual((workdir / "Data/Quenzel.ini").read_text(), "edited\n")


class Manual(TempCase):
    @classmethod
    def setUpClass(cls):
        spec = importlib.util.spec_from_file_location("gen_man", SOURCE / "packaging/man/gen-man.py")
        cls.gen = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(cls.gen)

    def render(self, source, program="quenzeld"):
        page, _ = self.gen.select(source.split("\n"), program)
        return self.gen.roff(page, program, "2026-01-02", "1.6").split("\n")[1:-1]

    def test_markup_becomes_roff(self):
        rows = [
            ("# NAME", [".SH NAME"]),
            ("# EXIT STATUS", ['.SH "EXIT STATUS"']),
            ("## Keys", [".SS Keys"]),
            ("quenzeld - the monitor", [".PP", "quenzeld \\- the monitor"]),
            ("a well-known name", [".PP", "a well-known name"]),
            ("`-AllowMulti` last", [".PP", "\\fB\\-AllowMulti\\fR last"]),
            ("[`--data` *folder*]", [".PP", "[\\fB\\-\\-data\\fR \\fIfolder\\fR]"]),
            ("**SIGHUP**, key **q**", [".PP", "\\fBSIGHUP\\fR, key \\fBq\\fR"]),
            ("the folder Log\\ or -x", [".PP", "the folder Log\\e or \\-x"]),
            (".starts with a dot", [".PP", "\\&.starts with a dot"]),
            ("'quoted", [".PP", "\\&'quoted"]),
            ("{program} runs", [".PP", "quenzeld runs"]),
            ("- `-InhibitShutdown`\n    Try it.", [".TP", "\\fB\\-InhibitShutdown\\fR", "Try it."]),
            ("- term\n    one\n\n    two", [".TP", "term", "one", ".IP", "two"]),
            ("```\n.x -y\n```", [".RS", ".nf", "\\&.x \\-y", ".fi", ".RE"]),
            ("% a comment\ntext", [".PP", "text"]),
        ]
        for source, roff in rows:
            with self.subTest(source=source):
                self.assertEqual(self.render(source), roff)

    def test_blocks_belong_to_their_program(self):
        source = "all\n@quenzel\nwindow\n@end\n@quenzeld\nsignals\n@end\nend"
        self.assertEqual(self.render(source, "quenzel"), [".PP", "all", "window", "end"])
        self.assertEqual(self.render(source, "quenzeld"), [".PP", "all", "signals", "end"])

    def test_broken_sources_are_refused(self):
        rows = [
            ("@quenzel\nno end", "@quenzel is not closed by @end"),
            ("@end", "line 1: @end without a block"),
            ("@quenzel\n@quenzeld\n@end", "line 2: @quenzeld inside @quenzel"),
            ("@Quenzel\n@end", "line 1: bad program name @Quenzel"),
            ("@quenzel\nt\n@end\n```\nopen", "an example is not closed"),
            ("@quenzel\nt\n@end\n%link other missing", "other links to missing, which has no page"),
            ("text", "the source names no program"),
            ("@quenzel\nna\u00efve\n@end", "line 2: only ASCII is written into the pages"),
        ]
        folder = self.tempdir()
        for source, message in rows:
            with self.subTest(source=source):
                (folder / "in.man").write_text(source, encoding="utf-8")
                result = run([sys.executable, str(SOURCE / "packaging/man/gen-man.py"), str(folder / "in.man"),
                              str(folder / "out"), "--date", "2026-01-02", "--version", "1.6"])
                self.assertEqual((result.returncode, result.stderr.strip()), (1, f"{folder / 'in.man'}: {message}"))

    @unittest.skipUnless(shutil.which("groff"), "groff is not installed")
    def test_installed_pages_render_cleanly_and_document_the_options(self):
        man1 = install(self.tempdir()) / "share/man/man1"
        options = ["-InhibitShutdown", "-AddErrorMessage", "-StartShutdown", "-InhibitAdmin", "-AllowMulti"]
        expected = {
            "quenzel": options + ["--daemon", "--seed-only", "--data", "Data/Quenzel.ini", "quenzeld(1)"],
            "quenzeld": options + ["SIGINT", "SIGTERM", "SIGUSR1", "SIGUSR2", "SIGHUP", "EXIT STATUS", "quenzel(1)"],
        }
        absent = {"quenzel": ["SIGUSR1", "EXIT STATUS"], "quenzeld": ["--seed-only"]}
        for program in expected:
            with self.subTest(program=program):
                result = run(["groff", "-t", "-man", "-Tascii", "-ww", "-P", "-cbou", str(man1 / f"{program}.1")])
                self.assertEqual(result.stderr, "")
                text = result.stdout
                self.assertIn(f"{program.upper()}(1)", text.split("\n")[0])
                for word in expected[program]:
                    self.assertIn(word, text)
                for word in absent[program]:
                    self.assertNotIn(word, text)
        self.assertEqual((man1 / "quenzel-launcher.1").read_text(), ".so man1/quenzel.1\n")


class Launcher(TempCase):
    """The installed launcher, with stand-ins for the programs that report how they were started."""

    FAKE = '#!/bin/sh\n{ echo "${0##*/}"; pwd; printf "%s\\n" "$@"; } > "$QZ_FAKE_OUT"\n'

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="qz-launcher-")
        cls.prefix = install(pathlib.Path(cls.folder.name) / "prefix")
        cls.skeleton_ini = (cls.prefix / "share/quenzel/skeleton/Data/Quenzel.ini").read_bytes()

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def fake_prefix(self, programs=("quenzel", "quenzeld")):
        prefix = self.tempdir() / "fake"
        (prefix / "bin").mkdir(parents=True)
        shutil.copy(self.prefix / "bin/quenzel-launcher", prefix / "bin")
        shutil.copytree(self.prefix / "share/quenzel/skeleton", prefix / "share/quenzel/skeleton")
        for program in programs:
            (prefix / "bin" / program).write_text(self.FAKE)
            (prefix / "bin" / program).chmod(0o755)
        return prefix

    def launch(self, prefix, args, **env):
        home = self.tempdir() / "home"
        out = self.tempdir() / "started"
        environment = {"PATH": os.environ["PATH"], "HOME": str(home), "QZ_FAKE_OUT": str(out)}
        environment.update(env)
        result = run([str(prefix / "bin/quenzel-launcher")] + args, env=environment)
        started = out.read_text().split("\n")[:-1] if out.exists() else None
        return result, started, home

    def test_chooses_the_program_and_passes_its_arguments(self):
        args = ["-InhibitShutdown", "two words", "-AllowMulti"]
        rows = [
            # launcher arguments, environment, programs installed, program started
            ([], {"DISPLAY": ":0"}, ("quenzel", "quenzeld"), "quenzel"),
            ([], {"WAYLAND_DISPLAY": "wayland-0"}, ("quenzel", "quenzeld"), "quenzel"),
            ([], {}, ("quenzel", "quenzeld"), "quenzeld"),
            ([], {"DISPLAY": ""}, ("quenzel", "quenzeld"), "quenzeld"),
            (["--daemon"], {"DISPLAY": ":0"}, ("quenzel", "quenzeld"), "quenzeld"),
            ([], {"DISPLAY": ":0"}, ("quenzeld",), "quenzeld"),
            (["--"], {"DISPLAY": ":0"}, ("quenzel", "quenzeld"), "quenzel"),
        ]
        for launcher_args, env, programs, program in rows:
            with self.subTest(args=launcher_args, env=env, programs=programs):
                result, started, home = self.launch(self.fake_prefix(programs), launcher_args + args, **env)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(started, [program, str(home / ".local/share/quenzel")] + args)

    def test_options_after_the_end_mark_go_to_the_program(self):
        result, started, home = self.launch(self.fake_prefix(), ["--", "--daemon", "-AllowMulti"])
        self.assertEqual(started, ["quenzeld", str(home / ".local/share/quenzel"), "--daemon", "-AllowMulti"])

    def test_working_folder(self):
        base = self.tempdir()
        rows = [
            # launcher arguments, environment, working folder relative to base ("~" = HOME)
            ([], {"XDG_DATA_HOME": str(base / "xdg")}, "xdg/quenzel"),
            ([], {}, "~/.local/share/quenzel"),
            ([], {"XDG_DATA_HOME": ""}, "~/.local/share/quenzel"),
            ([], {"XDG_DATA_HOME": "relative/xdg"}, "~/.local/share/quenzel"),
            (["--data", str(base / "with blank")], {"XDG_DATA_HOME": str(base / "xdg")}, "with blank"),
            ([f"--data={base / 'eq'}"], {}, "eq"),
        ]
        for args, env, expected in rows:
            with self.subTest(args=args, env=env):
                result, started, home = self.launch(self.fake_prefix(), args, **env)
                self.assertEqual(result.returncode, 0, result.stderr)
                folder = home / expected[2:] if expected.startswith("~/") else base / expected
                self.assertEqual(started[:2], ["quenzeld", str(folder)])
                self.assertEqual((folder / "Data/Quenzel.ini").read_bytes(), self.skeleton_ini)
                self.assertTrue((folder / "Log").is_dir())

    def test_seeding_adds_what_is_missing_and_keeps_what_is_there(self):
        own = b"# mine\r\nProc1=render\r\n"
        rows = [
            # what the data folder holds before, what it must hold after (None = folder)
            ({}, {"Data/Quenzel.ini": self.skeleton_ini, "Log": None}),
            ({"Data/Quenzel.ini": own}, {"Data/Quenzel.ini": own, "Log": None}),
            ({"Log/Quenzel.log": b"old\n"}, {"Data/Quenzel.ini": self.skeleton_ini, "Log/Quenzel.log": b"old\n"}),
            # The programs find "data" and "quenzel.ini" for "Data" and "Quenzel.ini".
            ({"data/quenzel.ini": own, "log/x": b""}, {"data/quenzel.ini": own, "log/x": b""}),
            ({"DATA/Other.ini": b""}, {"DATA/Other.ini": b"", "DATA/Quenzel.ini": self.skeleton_ini, "Log": None}),
        ]
        for before, after in rows:
            with self.subTest(before=sorted(before)):
                data = self.tempdir() / "data folder"
                for name, content in before.items():
                    (data / name).parent.mkdir(parents=True, exist_ok=True)
                    (data / name).write_bytes(content)
                result, started, _ = self.launch(self.fake_prefix(), ["--seed-only", "--data", str(data)])
                self.assertEqual((result.returncode, result.stderr, started), (0, "", None))
                found = {str(p.relative_to(data)): (None if p.is_dir() else p.read_bytes()) for p in data.rglob("*")}
                expected = dict(after)
                for name in list(expected):
                    for parent in pathlib.PurePath(name).parents:
                        if str(parent) != ".":
                            expected.setdefault(str(parent), None)
                self.assertEqual(found, expected)

    def test_an_existing_link_is_not_replaced(self):
        data = self.tempdir() / "data"
        (data / "Data").mkdir(parents=True)
        (data / "Data/Quenzel.ini").symlink_to(data / "elsewhere.ini")
        result, _, _ = self.launch(self.fake_prefix(), ["--seed-only", "--data", str(data)])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue((data / "Data/Quenzel.ini").is_symlink())
        self.assertFalse((data / "elsewhere.ini").exists())

    def test_refusals(self):
        prefix = self.fake_prefix(programs=())
        no_skeleton = self.fake_prefix()
        shutil.rmtree(no_skeleton / "share")
        rows = [
            (prefix, ["--frobnicate"], "quenzel-launcher: unknown option --frobnicate (see --help)"),
            (prefix, ["--data"], "quenzel-launcher: --data needs a folder"),
            (prefix, [], f"quenzel-launcher: {prefix}/bin/quenzeld is not installed"),
            (no_skeleton, [],
             f"quenzel-launcher: the working folder skeleton {no_skeleton}/bin/../share/quenzel/skeleton is missing"),
        ]
        for where, args, message in rows:
            with self.subTest(args=args):
                result, started, _ = self.launch(where, args)
                self.assertEqual((result.returncode, result.stderr.strip(), started), (1, message, None))

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_quenzeld_starts_unconfigured_in_a_fresh_folder(self):
        data = self.tempdir() / "data"
        result, _, _ = self.launch(self.prefix, ["--seed-only", "--data", str(data)])
        self.assertEqual(result.returncode, 0, result.stderr)
        port1, port2 = free_udp_ports(2)
        configure(data / "Data/Quenzel.ini", Port1=port1, Port2=port2)
        log = self.assert_runs_until_sigterm(self.prefix / "bin/quenzeld", data, log_entry("UnConfig", "********"))
        self.assertTrue(log.startswith("Quenzel\nVersion 1.6\nFile Created\n"), log)
        self.assertNotIn(log_entry("Start", "Initialise"), log)


class Package(TempCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("cpack", "dpkg-deb", "dpkg-shlibdeps"):
            if not shutil.which(tool):
                raise unittest.SkipTest(f"{tool} is not installed")
        cls.folder = tempfile.TemporaryDirectory(prefix="qz-package-")
        out = pathlib.Path(cls.folder.name)
        result = run(["cpack", "-G", "DEB", "--config", str(BUILD / "CPackConfig.cmake"), "-B", str(out)])
        if result.returncode != 0:
            cls.folder.cleanup()
            raise AssertionError("cpack failed:\n" + result.stdout + result.stderr)
        (cls.deb,) = out.glob("*.deb")
        cls.root = out / "root"
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def field(self, name):
        return run(["dpkg-deb", "-f", str(self.deb), name]).stdout.strip()

    def test_control_fields(self):
        self.assertEqual(self.deb.name, "quenzel_1.6.0_" + self.field("Architecture") + ".deb")
        self.assertEqual(self.field("Package"), "quenzel")
        self.assertEqual(self.field("Version"), "1.6.0")
        self.assertRegex(self.field("Maintainer"), r"^[^<>]+ <[^@\s]+@[^@\s]+>$")
        self.assertEqual(self.field("Description").split("\n")[0],
                         "switches the computer off once the watched programs have finished")
        # Found by dpkg-shlibdeps from the binaries, so their presence shows it ran.
        depends = [d.split()[0] for d in self.field("Depends").split(", ") if d]
        needed = ["libc6"] + (["libsystemd0"] if WITH_DAEMON else []) + (["libqt6widgets6"] if WITH_GUI else [])
        for package in needed:
            self.assertIn(package, depends)

    def test_contents_belong_to_root_under_usr(self):
        listing = run(["dpkg-deb", "-c", str(self.deb)]).stdout.strip().split("\n")
        files = {}
        for line in listing:
            mode, owner, _, _, _, path = line.split(None, 5)
            self.assertEqual(owner, "root/root", line)
            if mode.startswith("d"):
                self.assertEqual(mode, "drwxr-xr-x", line)
            else:
                files[path] = mode
        modes = {0o755: "-rwxr-xr-x", 0o644: "-rw-r--r--"}
        self.assertEqual(files, {f"./usr/{path}": modes[mode] for path, mode in expected_files().items()})

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_unit_starts_the_packaged_programs(self):
        commands = unit_commands((self.root / "usr/lib/systemd/system/quenzeld.service").read_text())
        self.assertEqual(commands["ExecStart"], "/usr/bin/quenzeld")
        self.assertEqual(commands["ExecStartPre"], "/usr/bin/quenzel-launcher --seed-only --data /var/lib/quenzel")

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_packaged_quenzeld_watches_and_exits_on_sigterm(self):
        work = self.tempdir() / "work"
        seeded = run([str(self.root / "usr/bin/quenzel-launcher"), "--seed-only", "--data", str(work)])
        self.assertEqual(seeded.returncode, 0, seeded.stderr)
        port1, port2 = free_udp_ports(2)
        configure(work / "Data/Quenzel.ini", Port1=port1, Port2=port2, Proc1=self.watched_child(self.tempdir()))
        log = self.assert_runs_until_sigterm(self.root / "usr/bin/quenzeld", work,
                                             log_entry("Start", "Initialise"), log_entry("Enter", "Run"))
        # After its 18-character time stamp each entry holds its two words.
        entries = [line[18 : line.index(", Count:") + 8] for line in log.split("\n") if ", Count:" in line]
        self.assertEqual(entries, [log_entry("Start", "Initialise"), log_entry("Enter", "Run"), log_entry("Exit", "Run")])


def main():
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} CLASS")
    suite = unittest.defaultTestLoader.loadTestsFromName(sys.argv[1], sys.modules[__name__])
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(SKIPPED if result.skipped and len(result.skipped) >= result.testsRun else 0)


if __name__ == "__main__":
    main()
