"""quenzeld.exe as a black box under wine, as the end-to-end tests drive quenzeld on Linux: a real
working folder, a real console (a pseudo-terminal) for its keys, the named event for a reload.
Always -InhibitShutdown: the countdown ends in its simulation."""
import os
import pathlib
import pty
import re
import select
import subprocess
import tempfile
import time
import unittest

QUENZELD = os.environ["QZ_QUENZELD"]
SET_RELOAD = os.environ["QZ_SET_RELOAD"]
TEMPLATE = pathlib.Path(__file__).parents[2] / "scripts" / "Quenzel.ini.in"
PREFIX = os.environ["QZ_PREFIX"]
# The console tests' runner makes the prefix ready and keeps its server warm.
subprocess.run([os.environ["QZ_WINE_RUN"], PREFIX], check=True, timeout=300)
ENV = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
ENV.update(WINEPREFIX=os.path.realpath(PREFIX), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
STARTED, RUN = ("Start", "Initialise"), ("Enter", "Run")


class Station:
    """quenzeld.exe in a folder of its own on a console; the status lines are read as they come,
    or a full terminal would stop it."""

    def __init__(self, proc1):
        self.dir = tempfile.TemporaryDirectory(prefix="qz-wine-e2e-")
        self.folder = pathlib.Path(self.dir.name)
        (self.folder / "Log").mkdir()
        (self.folder / "Data").mkdir()
        self.configure(proc1)
        self.master, slave = pty.openpty()
        self.process = subprocess.Popen(["wine", QUENZELD, "-InhibitShutdown"], env=ENV, cwd=self.folder,
                                        stdin=slave, stdout=slave, stderr=slave, start_new_session=True)
        os.close(slave)
        self.output = b""

    def configure(self, proc1):
        text = TEMPLATE.read_text().replace("@CREATED@", "07-Dec-26 01:00:00")
        (self.folder / "Data" / "Quenzel.ini").write_text(text.replace("Proc1=\n", f"Proc1={proc1}\n"))

    def log(self):
        path = self.folder / "Log" / "Quenzel.log"
        text = path.read_text(errors="replace") if path.exists() else ""
        return re.findall(r"^\S+ \S+, *(.*?) *, *(.*?) *, Count:", text, re.MULTILINE)

    def until(self, condition, seconds=30):
        end = time.monotonic() + seconds
        while not condition():
            if time.monotonic() > end:
                return False
            if select.select([self.master], [], [], 0.1)[0]:
                try:
                    self.output += os.read(self.master, 65536)
                except OSError:
                    time.sleep(0.1)
        return True

    def logged(self, entry, times=1):
        return self.until(lambda: self.log().count(entry) >= times)

    def exit_status(self):
        return self.process.wait() if self.until(lambda: self.process.poll() is not None) else None

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        os.close(self.master)
        self.dir.cleanup()


class QuenzeldUnderWine(unittest.TestCase):
    def station(self, proc1):
        s = Station(proc1)
        self.addCleanup(s.close)
        return s

    def test_watches_a_running_program_resets_by_key_and_exits_by_key(self):
        s = self.station("services.exe")  # wine's own, always running
        self.assertTrue(s.logged(STARTED), s.log())
        os.write(s.master, b"r")
        self.assertTrue(s.logged(("Reset", "Initialise")), s.log())
        self.assertTrue(s.logged(RUN), s.log())
        # Longer than the trial's 6-second process delay: the running program keeps it watching.
        s.until(lambda: ("Enter", "Power Off") in s.log(), 9)
        self.assertNotIn(("Enter", "Power Off"), s.log())
        os.write(s.master, b"q")
        self.assertEqual(s.exit_status(), 0)
        self.assertEqual(s.log(), [STARTED, ("Reset", "Initialise"), STARTED, RUN, ("Exit", "Run")])

    def test_reloaded_by_its_named_event_it_counts_down_once_the_program_is_gone(self):
        s = self.station("services.exe")
        self.assertTrue(s.logged(RUN), s.log())
        s.configure("no-such-program.exe")
        subprocess.run(["wine", SET_RELOAD], env=ENV, check=True, timeout=60, stdout=subprocess.DEVNULL)
        self.assertEqual(s.exit_status(), 0, s.output.decode(errors="replace"))
        # The installed configuration forces programs to close: "(F)".
        self.assertEqual(s.log(), [STARTED, RUN, ("Config", "Updated"), STARTED, RUN, ("Enter", "Power Off"),
                                   ("Start(F)", "Power Off"), ("Simulate", "Power Off"), ("Close", "Power Off")])
        out = s.output.decode(errors="replace").replace("\r", "")
        self.assertIn("The Computer Will Power Off In 0s", out)


if __name__ == "__main__":
    unittest.main(verbosity=2)
