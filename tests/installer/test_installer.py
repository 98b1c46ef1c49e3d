"""The Windows installer under wine, as a user meets it: a silent installation, the files,
shortcuts and registry entries it leaves, the installed quenzeld started in its folder and ended,
and silent uninstallations that keep and that remove the user's configuration and log.

One wine prefix, made fresh in a temporary folder, serves every case of a run.
"""
import os
import pathlib
import pty
import re
import select
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

INSTALLER = pathlib.Path(os.environ["QZ_INSTALLER"])
SOURCE = pathlib.Path(os.environ["QZ_SOURCE_DIR"])
VERSION = os.environ["QZ_VERSION"]
WINDRES = os.environ["QZ_WINDRES"]
WITH_DESKTOP = os.environ.get("QZ_EXPECT_DESKTOP") == "1"
MAIN_PROGRAM = "quenzel.exe" if WITH_DESKTOP else "quenzeld.exe"
PROGRAMS = ["quenzeld.exe"] + (["quenzel.exe"] if WITH_DESKTOP else [])
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenzel"


class Wine:
    """A private prefix with a server that lives until close()."""

    def __init__(self):
        self.root = pathlib.Path(tempfile.mkdtemp(prefix="qz-installer-"))
        self.env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        # No Mono or Gecko installers: they would ask for a download.
        self.env.update(WINEPREFIX=str(self.root / "prefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        subprocess.run(["wineboot", "-i"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=180)
        subprocess.run(["wineserver", "-w"], env=self.env, check=True, timeout=60)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True, timeout=60)
        self.drive = self.root / "prefix" / "drive_c"

    def close(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
        shutil.rmtree(self.root, ignore_errors=True)

    def run(self, *command, cwd=None):
        """Runs a program to its end. Wine's services inherit the output, so it goes to a file:
        a pipe would stay open after the program ends."""
        with tempfile.TemporaryFile() as out:
            status = subprocess.run(["wine", *command], env=self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=out, timeout=120).returncode
            out.seek(0)
            return status, out.read().decode(errors="replace").replace("\r", "")

    def unix(self, windows_path):
        assert windows_path[:3].upper() == "C:\\", windows_path
        return self.drive.joinpath(*windows_path[3:].split("\\"))

    def registry(self, key):
        """The values of a key, or None when it is missing."""
        status, out = self.run("reg", "query", key)
        if status != 0:
            return None
        return dict(re.findall(r"^\s+(\S+)\s+REG_\w+\s+(.*)$", out, re.MULTILINE))

    def start_menu(self, *parts):
        return self.drive.joinpath("ProgramData", "Microsoft", "Windows", "Start Menu", "Programs", *parts)


def read_link(path):
    """The target and the working folder of a .lnk file (the Shell Link format)."""
    data = path.read_bytes()
    flags = struct.unpack_from("<I", data, 20)[0]
    pos = 0x4C
    if flags & 0x01:  # an item id list
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x02:  # link info with a local base path
        size, _, info_flags, _, base = struct.unpack_from("<5I", data, pos)
        if info_flags & 0x01:
            target = data[pos + base:data.index(b"\0", pos + base)].decode("latin-1")
        pos += size
    strings = {}
    width = 2 if flags & 0x80 else 1
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "workdir"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            text = data[pos + 2:pos + 2 + count * width]
            strings[name] = text.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            pos += 2 + count * width
    return target, strings.get("workdir")


def expected_configuration():
    """The configuration screen's defaults with Windows line ends; any date on the date line."""
    template = (SOURCE / "scripts" / "Quenzel.ini.in").read_text()
    pattern = re.escape(template).replace(re.escape("@CREATED@"), r"\d\d-[A-Z][a-z]{2}-\d\d \d\d:\d\d:\d\d")
    return re.compile(pattern.replace("\n", "\r\n").encode(), re.DOTALL)


def log_entries(log, event):
    if not log.exists():
        return []
    return re.findall(rf"^\S+ \S+,\s+{event}\s+,\s+(\w+)", log.read_text(errors="replace"), re.MULTILINE)


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine()

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def install(self, *switches):
        # NSIS takes /D= only last and unquoted, so the test folders have no spaces.
        status, out = self.wine.run(str(INSTALLER), "/S", *switches)
        self.assertEqual(status, 0, out)

    def uninstall(self, folder, *switches):
        """The uninstaller copies itself away and returns at once; it is done when it has removed
        itself and the Start-menu folder, its last steps."""
        status, out = self.wine.run(folder + "\\Uninstall.exe", "/S", *switches)
        self.assertEqual(status, 0, out)
        uninstaller = self.wine.unix(folder + "\\Uninstall.exe")
        deadline = time.monotonic() + 60
        while uninstaller.exists() or self.wine.start_menu("Quenzel").exists():
            self.assertLess(time.monotonic(), deadline, "the uninstaller did not finish")
            time.sleep(0.2)

    def assert_installed(self, folder, sign_in):
        root = self.wine.unix(folder)
        for name in PROGRAMS + ["Uninstall.exe", "LICENSE.txt"]:
            self.assertTrue((root / name).is_file(), name)
        self.assertRegex((root / "Data" / "Quenzel.ini").read_bytes(), expected_configuration())
        self.assertEqual(list((root / "Log").iterdir()), [])

        # Every program starts in the installed folder: it works in its current folder.
        links = {"Quenzel (console).lnk": "quenzeld.exe", "Uninstall.lnk": "Uninstall.exe"}
        if WITH_DESKTOP:
            links["Quenzel.lnk"] = "quenzel.exe"
        self.assertEqual(sorted(p.name for p in self.wine.start_menu("Quenzel").iterdir()), sorted(links))
        for link, program in links.items():
            self.assertEqual(read_link(self.wine.start_menu("Quenzel", link)), (folder + "\\" + program, folder))
        startup = self.wine.start_menu("StartUp", "Quenzel.lnk")
        if sign_in:
            self.assertEqual(read_link(startup), (folder + "\\" + MAIN_PROGRAM, folder))
        else:
            self.assertFalse(startup.exists())

        values = self.wine.registry(UNINSTALL_KEY)
        self.assertIsNotNone(values, "no uninstall entry")
        self.assertEqual(values["DisplayName"], "Quenzel")
        self.assertEqual(values["DisplayVersion"], VERSION)
        self.assertEqual(values["Publisher"], "The Quenzel developers")
        self.assertEqual(values["UninstallString"], f'"{folder}\\Uninstall.exe"')
        self.assertEqual(values["DisplayIcon"], folder + "\\" + MAIN_PROGRAM)

    def assert_uninstalled(self, folder, data_kept):
        root = self.wine.unix(folder)
        for name in PROGRAMS + ["Uninstall.exe", "LICENSE.txt"]:
            self.assertFalse((root / name).exists(), name)
        self.assertFalse(self.wine.start_menu("Quenzel").exists())
        self.assertFalse(self.wine.start_menu("StartUp", "Quenzel.lnk").exists())
        self.assertIsNone(self.wine.registry(UNINSTALL_KEY))
        if data_kept:
            self.assertEqual(sorted(p.name for p in root.iterdir()), ["Data", "Log"])
        else:
            self.assertFalse(root.exists())

    def run_quenzeld(self, folder):
        """Starts the installed quenzeld in its folder on a console (a pseudo-terminal), lets it
        start and ends it with the key q; returns its exit status."""
        log = self.wine.unix(folder) / "Log" / "Quenzel.log"
        master, slave = pty.openpty()
        process = subprocess.Popen(["wine", folder + "\\quenzeld.exe", "-InhibitShutdown"], env=self.wine.env,
                                   cwd=self.wine.unix(folder), stdin=slave, stdout=slave, stderr=slave,
                                   start_new_session=True)
        os.close(slave)
        output = b""
        try:
            deadline = time.monotonic() + 60
            sent = False
            while process.poll() is None and time.monotonic() < deadline:
                if not sent and log_entries(log, "Start"):
                    os.write(master, b"q")
                    sent = True
                # The status lines must be read, or a full terminal would stop the program.
                if select.select([master], [], [], 0.1)[0]:
                    try:
                        output += os.read(master, 65536)
                    except OSError:
                        break
            self.assertIsNotNone(process.poll(), "quenzeld did not end:\n" + output.decode(errors="replace"))
            return process.wait()
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            os.close(master)

    def test_install_run_and_uninstall_keeping_then_removing_the_users_files(self):
        folder = "C:\\Apps\\Quenzel"
        self.install("/AUTOSTART=1", "/D=" + folder)
        self.assert_installed(folder, sign_in=True)

        # The user names a program to watch; the installed program runs in its folder.
        ini = self.wine.unix(folder) / "Data" / "Quenzel.ini"
        configured = ini.read_bytes().replace(b"\r\nProc1=\r\n", b"\r\nProc1=services.exe\r\n")
        ini.write_bytes(configured)
        self.assertEqual(self.run_quenzeld(folder), 0)
        log = self.wine.unix(folder) / "Log" / "Quenzel.log"
        self.assertEqual(len(log_entries(log, "Exit")), 1, log.read_text(errors="replace"))
        kept_log = log.read_bytes()

        self.uninstall(folder)
        self.assert_uninstalled(folder, data_kept=True)
        self.assertEqual(ini.read_bytes(), configured)
        self.assertEqual(log.read_bytes(), kept_log)

        # Installed anew, Quenzel finds its configuration as it was left.
        self.install("/D=" + folder)
        self.assertEqual(ini.read_bytes(), configured)
        self.uninstall(folder, "/REMOVEDATA=1")
        self.assert_uninstalled(folder, data_kept=False)

    def test_default_folder_is_the_64_bit_program_files(self):
        folder = "C:\\Program Files\\Quenzel"
        self.install()
        self.assert_installed(folder, sign_in=False)
        self.uninstall(folder, "/REMOVEDATA=1")
        self.assert_uninstalled(folder, data_kept=False)

    def test_programs_and_installer_are_64_bit_with_their_version_and_manifest(self):
        def machine(path):
            data = path.read_bytes()
            return struct.unpack_from("<H", data, struct.unpack_from("<I", data, 0x3C)[0] + 4)[0]

        self.assertEqual(machine(INSTALLER), 0x8664)
        build = INSTALLER.parent / "_CPack_Packages" / "win64" / "NSIS" / INSTALLER.stem
        for program in PROGRAMS:
            self.assertEqual(machine(build / program), 0x8664, program)
            resources = subprocess.run([WINDRES, "-J", "coff", "-i", str(build / program), "-O", "rc"],
                                       capture_output=True, text=True, check=True).stdout
            commas = VERSION.replace(".", ", ")
            for line in (f"FILEVERSION {commas}, 0", f"PRODUCTVERSION {commas}, 0",
                         f'VALUE "FileVersion", "{VERSION}"', f'VALUE "ProductVersion", "{VERSION}"',
                         'VALUE "ProductName", "Quenzel"', 'VALUE "CompanyName", "The Quenzel developers"',
                         f'VALUE "OriginalFilename", "{program}"'):
                self.assertIn(line, resources, program)
            self.assertRegex(resources, r'VALUE "FileDescription", "[^"]+"')
            manifest = "".join(re.findall(r'^\s*"(.*)\\n"$', resources, re.MULTILINE)).replace('""', '"')
            for part in ('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                         'level="asInvoker"', "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                         ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>"):
                self.assertIn(part, manifest, program)


if __name__ == "__main__":
    unittest.main(verbosity=2)
