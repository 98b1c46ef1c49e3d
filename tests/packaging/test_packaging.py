"""Checks what `cmake --install` and `cpack -G DEB` deliver: the files and their modes, the desktop
entries, the service unit, the manual pages, the launcher, and quenzeld running from the package.

Run by CTest one class at a time: test_packaging.py CLASS. Exits 77 (skipped) when every test of
the class was skipped because a tool is missing.
"""
import contextlib
import gzip
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


def expected_files(package=None):
    """Every file an installation holds, relative to its prefix, with its mode or, for a link, its
    target; only those of one package when named."""
    files = {
        "quenzeld": {
            "libexec/quenzel/quenzel-seed": 0o755,
            "share/quenzel/skeleton/Data/Quenzel.ini": 0o644,
            "share/man/man1/quenzeld.1.gz": 0o644,
            "share/doc/quenzeld/copyright": 0o644,
            "share/doc/quenzeld/changelog.Debian.gz": 0o644,
            "share/lintian/overrides/quenzeld": 0o644,
        },
        "quenzel": {
            "bin/quenzel-launcher": 0o755,
            "share/icons/hicolor/scalable/apps/quenzel.svg": 0o644,
            "share/applications/quenzel.desktop": 0o644,
            "share/quenzel/autostart/quenzel.desktop": 0o644,
            "share/man/man1/quenzel.1.gz": 0o644,
            "share/man/man1/quenzel-launcher.1.gz": "quenzel.1.gz",
            "share/doc/quenzel/copyright": 0o644,
            "share/doc/quenzel/changelog.Debian.gz": 0o644,
            "share/lintian/overrides/quenzel": 0o644,
        },
    }
    if WITH_DAEMON:
        files["quenzeld"]["bin/quenzeld"] = 0o755
        files["quenzeld"]["lib/systemd/system/quenzeld.service"] = 0o644
    if WITH_GUI:
        files["quenzel"]["bin/quenzel"] = 0o755
    if package:
        return files[package]
    return {**files["quenzeld"], **files["quenzel"]}


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
    """quenzeld started with -InhibitShutdown in a working folder, beside any other copy."""

    def __init__(self, program, workdir, runtime, arguments=("-InhibitShutdown", "-AllowMulti"), wrapper=()):
        # No power action can reach logind: -InhibitShutdown, and a system bus that is not there.
        # -AllowMulti: copies side by side, as the lock no longer follows XDG_RUNTIME_DIR.
        env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
        self.log = workdir / "Log" / "Quenzel.log"
        self.stdout = self.stderr = ""
        self.process = subprocess.Popen(
            [*wrapper, str(program), *arguments], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def pid(self):
        """quenzeld's own process: the one started, or its descendant when started by a wrapper."""
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.process.poll() is None:
            family = {self.process.pid}
            for pid in sorted(int(entry) for entry in os.listdir("/proc") if entry.isdigit()):
                with contextlib.suppress(OSError):
                    name, _, rest = pathlib.Path(f"/proc/{pid}/stat").read_text().rpartition(")")
                    if pid in family or int(rest.split()[1]) in family:
                        family.add(pid)
                        if name.partition("(")[2] == "quenzeld":
                            return pid
            time.sleep(0.05)
        raise AssertionError("quenzeld is not running")

    def signal(self, number):
        os.kill(self.pid(), number)

    def wait_for_log(self, *entries, seconds=20):
        """Waits until the log holds the entries, in any order, or the program ended."""
        deadline = time.monotonic() + seconds
        while True:
            ended = self.process.poll() is not None
            text = self.log.read_text() if self.log.exists() else ""
            if all(entry in text for entry in entries):
                return
            if ended or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        self.stop()
        raise AssertionError(f"log never showed {entries}:\n{self.output()}")

    def stop(self):
        """Ends quenzeld by SIGTERM (a wrapper would not pass it on), returns the exit status."""
        if self.process.poll() is None:
            with contextlib.suppress(ProcessLookupError, AssertionError):
                self.signal(signal.SIGTERM)
        try:
            self.stdout, self.stderr = self.process.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            with contextlib.suppress(ProcessLookupError, AssertionError):
                self.signal(signal.SIGKILL)
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
            if path.is_symlink():
                found[str(path.relative_to(self.prefix))] = os.readlink(path)
            elif path.is_dir():
                self.assertEqual(mode & 0o7777, 0o755, f"folder {path}")
            else:
                self.assertTrue(path.is_file(), f"{path} is no plain file")
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
        self.assertEqual(commands["ExecStartPre"], f"{self.prefix}/libexec/quenzel/quenzel-seed /var/lib/quenzel")


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

    def test_exposure_score_is_at_most_2_5(self):
        if not shutil.which("systemd-analyze"):
            self.skipTest("systemd-analyze is not installed")
        result = run(["systemd-analyze", "security", "--offline=true", "--no-pager", str(self.unit)])
        score = re.search(r"Overall exposure level for quenzeld.service: (\d+\.\d+)", result.stdout)
        self.assertIsNotNone(score, result.stdout + result.stderr)
        self.assertLessEqual(float(score.group(1)), 2.5, result.stdout)

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


def usage_options(program):
    """The options a program's usage (its --help) names."""
    usage = run([str(program), "--help"]).stdout
    assert usage.startswith("Usage: "), usage
    return set(re.findall(r"(?<![\w-])(--?[A-Za-z][\w-]*)", usage))


class Manual(TempCase):
    @classmethod
    def setUpClass(cls):
        for tool in ("groff", "scdoc"):
            if not shutil.which(tool):
                raise unittest.SkipTest(f"{tool} is not installed")

    def render(self, page):
        result = subprocess.run(["groff", "-t", "-man", "-Tascii", "-ww", "-P", "-cbou"], input=gzip.decompress(
            page.read_bytes()), capture_output=True)
        self.assertEqual(result.stderr.decode(), "", page)
        return result.stdout.decode()

    def test_installed_pages_render_cleanly_and_document_the_options(self):
        prefix = install(self.tempdir())
        man1 = prefix / "share/man/man1"
        options = ["-InhibitShutdown", "-AddErrorMessage", "-StartShutdown", "-InhibitAdmin", "-AllowMulti",
                   "-h", "--help", "--version"]
        expected = {
            "quenzel": options + ["--daemon", "--seed-only", "--data", "Data/Quenzel.ini", "quenzeld(1)",
                                  "ReadWritePaths"],
            "quenzeld": options + sorted(usage_options(prefix / "bin/quenzeld")) + [
                "SIGINT", "SIGTERM", "SIGUSR1", "SIGUSR2", "SIGHUP", "EXIT STATUS", "quenzel(1)", "ReadWritePaths"],
        }
        absent = {"quenzel": ["SIGUSR1", "EXIT STATUS"], "quenzeld": ["--seed-only"]}
        for program in expected:
            with self.subTest(program=program):
                text = self.render(man1 / f"{program}.1.gz")
                self.assertIn(f"{program}(1)", text.split("\n")[0])
                self.assertIn("Quenzel 1.6", text.split("\n")[-2])
                for word in expected[program]:
                    self.assertRegex(text, rf"(?<![\w-]){re.escape(word)}(?![\w-])")
                for word in absent[program]:
                    self.assertNotIn(word, text)
        self.assertEqual(os.readlink(man1 / "quenzel-launcher.1.gz"), "quenzel.1.gz")

    def test_pages_are_compressed_as_debian_wants(self):
        # gzip -9n: no name and no time stamp in the header, the best compression flag set.
        man1 = install(self.tempdir()) / "share/man/man1"
        for page in ("quenzel.1.gz", "quenzeld.1.gz"):
            with self.subTest(page=page):
                header = (man1 / page).read_bytes()[:10]
                self.assertEqual((header[:3], header[3] & 0x08, header[4:8], header[8]),
                                 (b"\x1f\x8b\x08", 0, b"\0\0\0\0", 2))


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
        shutil.copytree(self.prefix / "libexec", prefix / "libexec")
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

    def test_help_and_version_start_nothing(self):
        for args, out in [(["-h"], "Usage: quenzel-launcher "), (["--help", "--daemon"], "Usage: quenzel-launcher "),
                          (["--version"], "quenzel-launcher 1.6\n")]:
            with self.subTest(args=args):
                result, started, home = self.launch(self.fake_prefix(), args)
                self.assertEqual((result.returncode, started, home.exists()), (0, None, False))
                self.assertTrue(result.stdout.startswith(out), result.stdout)
        for word in ["-InhibitShutdown ", "-StartShutdown ", "-AddErrorMessage ", "-InhibitAdmin ", "-AllowMulti ",
                     "--data FOLDER", "Data/Quenzel.ini"]:
            self.assertIn(word, self.launch(self.fake_prefix(), ["--help"])[0].stdout)

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
             f"quenzel-seed: the working folder skeleton {no_skeleton}/libexec/quenzel/../../share/quenzel/skeleton is missing"),
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
    """The packages CPack makes of this build; both unpacked into one root."""

    VERSION = "1.6.0-1"

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
        cls.debs = {deb.name.split("_")[0]: deb for deb in out.glob("*.deb")}
        cls.root = out / "root"
        for deb in cls.debs.values():
            subprocess.run(["dpkg-deb", "-x", str(deb), str(cls.root)], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def packages(self):
        return ["quenzeld", "quenzel"] if WITH_GUI else ["quenzeld"]

    def field(self, package, name):
        return run(["dpkg-deb", "-f", str(self.debs[package]), name]).stdout.strip()

    def depends(self, package):
        return {d.split()[0]: d for d in self.field(package, "Depends").split(", ") if d}

    def test_one_package_per_program(self):
        self.assertEqual(sorted(self.debs), sorted(self.packages()))
        for package in self.packages():
            with self.subTest(package=package):
                arch = self.field(package, "Architecture")
                self.assertEqual(self.debs[package].name, f"{package}_{self.VERSION}_{arch}.deb")
                self.assertEqual(self.field(package, "Package"), package)
                self.assertEqual(self.field(package, "Version"), self.VERSION)
                self.assertEqual(self.field(package, "Maintainer"),
                                 "The Quenzel developers <maintainers@quenzel.example>")
                self.assertIn(f"This package holds {package},", self.field(package, "Description"))

    def test_dependencies(self):
        # Found by dpkg-shlibdeps from the binaries, so their presence shows it ran.
        quenzeld = self.depends("quenzeld")
        for needed in ["libc6"] + (["libsystemd0"] if WITH_DAEMON else []):
            self.assertIn(needed, quenzeld)
        self.assertEqual([d for d in quenzeld if "qt" in d.lower()], [], "the monitor needs no Qt")
        if WITH_GUI:
            quenzel = self.depends("quenzel")
            self.assertEqual(quenzel["quenzeld"], f"quenzeld (= {self.VERSION})")
            for needed in ("libqt6widgets6", "qt6-qpa-plugins"):
                self.assertIn(needed, quenzel)

    def test_contents_belong_to_root_under_usr(self):
        modes = {0o755: "-rwxr-xr-x", 0o644: "-rw-r--r--"}
        for package in self.packages():
            with self.subTest(package=package):
                listing = run(["dpkg-deb", "-c", str(self.debs[package])]).stdout.strip().split("\n")
                files = {}
                for line in listing:
                    mode, owner, _, _, _, path = line.split(None, 5)
                    self.assertEqual(owner, "root/root", line)
                    if mode.startswith("d"):
                        self.assertEqual(mode, "drwxr-xr-x", line)
                    elif mode.startswith("l"):
                        path, target = path.split(" -> ")
                        files[path] = target
                    else:
                        files[path] = modes.get(mode, mode)
                expected = {f"./usr/{path}": modes.get(mode, mode) for path, mode in expected_files(package).items()}
                self.assertEqual(files, expected)

    @unittest.skipUnless(shutil.which("lintian"), "lintian is not installed")
    def test_lintian_finds_no_error_or_warning(self):
        # One run for both: lintian takes long to start.
        result = run(["lintian", "--fail-on", "error,warning", "--no-tag-display-limit",
                      *(str(self.debs[p]) for p in self.packages())])
        complaints = [line for line in result.stdout.split("\n") if line[:2] in ("E:", "W:")]
        self.assertEqual((complaints, result.returncode), ([], 0), result.stdout + result.stderr)

    def test_maintainer_scripts_touch_the_service_only_under_systemd(self):
        # Each script runs in a box where systemd's tools are stand-ins that note their calls, /run
        # tells whether systemd runs, and /var/lib is a folder of the test.
        tools = ["/usr/bin/systemctl", "/usr/bin/deb-systemd-invoke", "/usr/bin/deb-systemd-helper"]
        if not shutil.which("bwrap") or os.geteuid() != 0 or not all(os.path.exists(t) for t in tools):
            self.skipTest("needs root, bwrap and systemd's tools to stand in for")
        control = self.tempdir() / "control"
        subprocess.run(["dpkg-deb", "-e", str(self.debs["quenzeld"]), str(control)], check=True)
        reload, restart = "systemctl --system daemon-reload", "deb-systemd-invoke try-restart quenzeld.service"
        stop, forget = "deb-systemd-invoke stop quenzeld.service", "deb-systemd-helper purge quenzeld.service"
        rows = [
            # script, arguments, systemd runs, calls expected, /var/lib/quenzel kept
            ("postinst", ["configure", ""], True, [reload], True),
            ("postinst", ["configure", "1.5.0-1"], True, [reload, restart], True),
            ("postinst", ["abort-upgrade", "1.6.0-1"], True, [reload, restart], True),
            ("postinst", ["configure", "1.5.0-1"], False, [], True),
            ("prerm", ["remove"], True, [stop], True),
            ("prerm", ["upgrade", "1.7.0-1"], True, [], True),
            ("prerm", ["remove"], False, [], True),
            ("postrm", ["remove"], True, [reload], True),
            ("postrm", ["upgrade", "1.7.0-1"], True, [], True),
            ("postrm", ["purge"], True, [reload, forget], False),
            ("postrm", ["remove"], False, [], True),
            # Without systemd a purge still removes the folder and deb-systemd-helper's records.
            ("postrm", ["purge"], False, [forget], False),
        ]
        for script, args, systemd, expected, kept in rows:
            with self.subTest(script=script, args=args, systemd=systemd):
                folder = self.tempdir()
                calls = folder / "calls"
                calls.write_text("")
                fake = folder / "fake"
                fake.write_text(f'#!/bin/sh\necho "${{0##*/}} $*" >>{calls}\n')
                fake.chmod(0o755)
                (folder / "lib/quenzel/Data").mkdir(parents=True)
                box = ["bwrap", "--die-with-parent", "--ro-bind", "/", "/", "--tmpfs", "/run", "--bind", str(folder / "lib"), "/var/lib",
                       "--bind", str(calls), str(calls), "--dev", "/dev"]
                if systemd:
                    box += ["--dir", "/run/systemd/system"]
                for tool in tools:
                    box += ["--ro-bind", str(fake), tool]
                result = run(box + [str(control / script), *args])
                self.assertEqual((result.returncode, result.stderr), (0, ""))
                self.assertEqual(calls.read_text().split("\n")[:-1], expected)
                self.assertEqual((folder / "lib/quenzel/Data").is_dir(), kept)

    def test_binaries_are_hardened(self):
        cache = (BUILD / "CMakeCache.txt").read_text()
        if "QZ_HARDENING:BOOL=ON" not in cache:
            self.skipTest("a build without the hardening flags (the package build has them)")
        if not shutil.which("hardening-check"):
            self.skipTest("hardening-check is not installed")
        binaries = [self.root / "usr/bin/quenzeld"] + ([self.root / "usr/bin/quenzel"] if WITH_GUI else [])
        for binary in binaries:
            with self.subTest(binary=binary.name):
                # Control flow protection is not among the flags Debian 12 gives (dpkg 1.21).
                result = run(["hardening-check", "--nocfprotection", str(binary)])
                self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
                for feature in ("Position Independent Executable", "Stack protected", "Fortify Source functions",
                                "Read-only relocations", "Immediate binding"):
                    self.assertRegex(result.stdout, rf"\n {feature}: yes", feature)

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_confined_like_the_unit_a_main_station_and_its_slave_watch_count_down_and_talk(self):
        # The unit's confinement without systemd: no new privileges and its bounding set (setpriv),
        # a read-only root with only the working folder writable and a private /tmp (bubblewrap);
        # no private pid namespace, or the watched processes would vanish.
        if not shutil.which("bwrap") or not shutil.which("setpriv") or os.geteuid() != 0:
            self.skipTest("needs root, bwrap and setpriv")
        unit = (self.root / "usr/lib/systemd/system/quenzeld.service").read_text()
        capabilities = re.search(r"^CapabilityBoundingSet=(.*)$", unit, re.MULTILINE).group(1).split()
        bounding = ",".join(["-all"] + ["+" + c.lower().removeprefix("cap_") for c in capabilities])
        port1, port2 = free_udp_ports(2)
        stations = {}
        for role, cmain in (("slave", 2), ("main", 1)):
            work = self.tempdir() / role
            seeded = run([str(self.root / "usr/libexec/quenzel/quenzel-seed"), str(work)])
            self.assertEqual(seeded.returncode, 0, seeded.stderr)
            values = dict(Port1=port1, Port2=port2, CMain=cmain, IPAdd="127.0.0.1", DName=2)
            if role == "main":
                values["Proc1"] = self.watched_child(self.tempdir())
            configure(work / "Data/Quenzel.ini", **values)
            runtime = work / "Data"  # the lock, beside the configuration: writable in the box
            box = ["bwrap", "--die-with-parent", "--ro-bind", "/", "/", "--tmpfs", "/tmp", "--dev", "/dev", "--ro-bind", str(self.root),
                   str(self.root), "--bind", str(work), str(work),
                   "--", "setpriv", "--no-new-privs", f"--bounding-set={bounding}", "--"]
            stations[role] = Quenzeld(self.root / "usr/bin/quenzeld", work, runtime,
                                      ("-InhibitShutdown", "-AllowMulti"), box)
            self.addCleanup(stations[role].stop)
        main, slave = stations["main"], stations["slave"]
        run_entry = log_entry("Enter", "Run")
        main.wait_for_log(run_entry)
        slave.wait_for_log(run_entry)
        status = pathlib.Path(f"/proc/{main.pid()}/status").read_text()
        self.assertIn("NoNewPrivs:\t1", status)
        bits = sum(1 << {"cap_sys_boot": 22, "cap_sys_nice": 23, "cap_net_admin": 12}[c.lower()] for c in capabilities)
        self.assertIn(f"CapBnd:\t{bits:016x}", status)

        main.signal(signal.SIGUSR1)  # passed on over the link
        slave.wait_for_log(log_entry("Reset", "Run"))
        self.assertEqual(main.stop(), 0, main.output())
        # The main station fell silent: the slave counts down and simulates the power action.
        slave.wait_for_log(log_entry("Enter", "Power Off"), log_entry("Close", "Power Off"), seconds=30)
        self.assertEqual(slave.stop(), 0, slave.output())
        self.assertEqual(slave.stderr, "Quenzel Slave Simulate Power Off\nTest Real Power Off\n\n", slave.output())

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_unit_starts_the_packaged_programs(self):
        commands = unit_commands((self.root / "usr/lib/systemd/system/quenzeld.service").read_text())
        self.assertEqual(commands["ExecStart"], "/usr/bin/quenzeld")
        self.assertEqual(commands["ExecStartPre"], "/usr/libexec/quenzel/quenzel-seed /var/lib/quenzel")

    @unittest.skipUnless(WITH_DAEMON, "quenzeld is not built")
    def test_packaged_quenzeld_watches_and_exits_on_sigterm(self):
        work = self.tempdir() / "work"
        # The seeding script comes with quenzeld; the launcher only in the desktop package.
        seeded = run([str(self.root / "usr/libexec/quenzel/quenzel-seed"), str(work)])
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
