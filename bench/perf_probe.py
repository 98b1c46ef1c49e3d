#!/usr/bin/python3
"""Measurements of Quenzel from outside, for scripts/perf.sh. Each command prints one JSON object.

  scan-peers  pgrep -x (three names), ps -e with a filter and psutil, at several counts of extra
              idle processes, in turns
  idle        a program's processor time and memory while it watches three names in Run
  steps       quenzeld's one-second steps, timed by the arrival of its status lines
  flood       quenzeld's steps while its link port is flooded

Every program it starts gets -InhibitShutdown as its first argument, a runtime folder and working
folder of its own, and a system bus address that leads nowhere. Floods go to 127.0.0.1 only.
"""
import argparse
import contextlib
import ctypes
import json
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import psutil

INHIBIT = "-InhibitShutdown"
NAMES = ["sleep", "quenzel-watched-worker-long", "bash"]
PR_SET_PDEATHSIG = 1
ACTIVATION = re.compile(r"Program Activation In (\d+)s")


def die_with_parent():
    """Runs in a child before exec: the kernel kills it when this script goes, however it goes."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


@contextlib.contextmanager
def idle_processes(count):
    children = []
    try:
        for _ in range(count):
            children.append(subprocess.Popen(["/bin/sleep", "900"], preexec_fn=die_with_parent))
        yield len(children)
    finally:
        for child in children:
            child.kill()
        for child in children:
            child.wait()


def process_count():
    return len(psutil.pids())


def run_pgrep():
    for name in NAMES:
        # It warns on every name longer than the kernel's 15 characters, which it can never match.
        code = subprocess.run(["pgrep", "-x", name], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        if code > 1:
            raise RuntimeError("pgrep failed")


def run_ps():
    # What a shell script would do once a second: list every name and keep the three.
    pattern = "^(" + "|".join(NAMES) + ")$"
    listing = subprocess.run(["ps", "-e", "-o", "comm="], stdout=subprocess.PIPE, check=True, text=True)
    return [line for line in listing.stdout.split() if re.match(pattern, line)]


def run_psutil():
    wanted = set(NAMES)
    found = set()
    for process in psutil.process_iter(["name"]):
        if process.info["name"] in wanted:
            found.add(process.info["name"])
    return found


def time_calls(call, min_seconds):
    """Microseconds per call: the median of the calls made in at least min_seconds."""
    samples = []
    until = time.perf_counter() + min_seconds
    while time.perf_counter() < until or len(samples) < 3:
        start = time.perf_counter()
        call()
        samples.append((time.perf_counter() - start) * 1e6)
    return statistics.median(samples)


def scan_peers(args):
    peers = {"pgrep_x3": run_pgrep, "ps_filter": run_ps, "psutil": run_psutil}
    rounds = []
    for extra in args.extras:
        with idle_processes(extra) as started:
            turns = {name: [] for name in peers}
            for _ in range(args.turns):
                for name, call in peers.items():
                    turns[name].append(time_calls(call, args.min_seconds))
            rounds.append({"extra": extra, "started": started, "processes": process_count(),
                           **{name: statistics.median(times) for name, times in turns.items()}})
    return {"rounds": rounds}


def config_text(template, values):
    lines = []
    for line in open(template).read().splitlines():
        key = line.split("=", 1)[0]
        if "=" in line and key in values:
            line = key + "=" + values[key]
        lines.append(line.replace("@CREATED@", time.strftime("%d-%b-%y %H:%M:%S")))
    return "\n".join(lines) + "\n"


class Station:
    """A working folder (Data/Quenzel.ini, Log/) and a runtime folder, removed at the end."""

    def __init__(self, template, values):
        values = {"Proc1": "qz-perf-worker", **values}  # without a name to watch it waits unconfigured
        self.folder = tempfile.mkdtemp(prefix="qz-perf-")
        os.makedirs(os.path.join(self.folder, "Data"))
        os.makedirs(os.path.join(self.folder, "Log"))
        os.makedirs(os.path.join(self.folder, "runtime"), mode=0o700)
        with open(os.path.join(self.folder, "Data", "Quenzel.ini"), "w") as f:
            f.write(config_text(template, values))
        self.children = []
        self.inner = []  # (program, the child of ours that started it), such as xvfb-run's

    def environment(self, extra):
        env = dict(os.environ)
        env["XDG_RUNTIME_DIR"] = os.path.join(self.folder, "runtime")
        env["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.folder, "no-bus")
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.folder, "no-session-bus")
        env.update(extra)
        return env

    def start(self, command, env=None, stdout=subprocess.DEVNULL):
        child = subprocess.Popen(command, cwd=self.folder, env=self.environment(env or {}), stdout=stdout,
                                 stderr=subprocess.DEVNULL, preexec_fn=die_with_parent, text=True)
        self.children.append(child)
        return child

    def worker(self, name):
        """A copy of sleep under the name, running for an hour."""
        path = os.path.join(self.folder, name)
        shutil.copy("/bin/sleep", path)
        return self.start([path, "3600"])

    def close(self):
        # xvfb-run ends its display once its program has ended, but not when it is ended itself.
        for pid, starter in self.inner:
            with contextlib.suppress(OSError, subprocess.TimeoutExpired):
                os.kill(pid, signal.SIGTERM)
                starter.wait(10)
        for child in reversed(self.children):
            if child.poll() is None:
                child.send_signal(signal.SIGTERM)
                try:
                    child.wait(10)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def program_command(program):
    """The program with -InhibitShutdown first: nothing started here may reach a power action.
    -AllowMulti: the probes run copies side by side, and the lock no longer follows the runtime folder."""
    return [program, INHIBIT, "-AllowMulti"]


def cpu_seconds(pid):
    times = psutil.Process(pid).cpu_times()
    return times.user + times.system


def memory_kb(pid):
    """Resident memory now and at its peak (VmRSS, VmHWM); psutil has only the first."""
    values = {"VmRSS": psutil.Process(pid).memory_info().rss // 1024}
    for line in open(f"/proc/{pid}/status"):
        key, _, rest = line.partition(":")
        if key == "VmHWM":
            values[key] = int(rest.split()[0])
    return values


def descendant_named(root, name, within=30):
    """The process called name among root's descendants, waiting for it to appear."""
    until = time.time() + within
    while time.time() < until:
        with contextlib.suppress(psutil.Error):
            for child in psutil.Process(root).children(recursive=True):
                with contextlib.suppress(psutil.Error):
                    if child.name() == name:
                        return child.pid
        time.sleep(0.2)
    raise RuntimeError(f"{name} did not start")


def idle(args):
    # One watched name runs, so the monitor stays in Run; the scan still looks for all three.
    station = Station(args.template, {"Proc2": "qz-perf-other", "Proc3": "qz-perf-third", "StartDelay": "1"})
    try:
        worker = station.worker("qz-perf-worker")
        env = dict(item.split("=", 1) for item in args.env)
        command = program_command(args.program)
        if args.xvfb:
            command = ["xvfb-run", "-a", "-s", "-nolisten tcp", *command]
        launched = station.start(command, env)
        pid = launched.pid
        if args.xvfb:
            pid = descendant_named(launched.pid, os.path.basename(args.program))
            station.inner.append((pid, launched))
        time.sleep(args.settle)
        if launched.poll() is not None or worker.poll() is not None:
            raise RuntimeError("the program or its watched worker ended early")
        start_cpu, start = cpu_seconds(pid), time.monotonic()
        time.sleep(args.seconds)
        used, elapsed = cpu_seconds(pid) - start_cpu, time.monotonic() - start
        memory = memory_kb(pid)
        running = launched.poll() is None
        log = open(os.path.join(station.folder, "Log", "Quenzel.log")).read()
        return {"cpu_percent": 100 * used / elapsed, "cpu_seconds": used, "seconds": elapsed,
                "rss_kb": memory["VmRSS"], "hwm_kb": memory["VmHWM"], "still_running": running,
                "in_run": re.search(r", +Enter +, Run +, Count:", log) is not None}
    finally:
        station.close()


class StatusReader:
    """Reads the program's status lines and notes when each one arrived."""

    def __init__(self, child):
        self.lines = []
        self.thread = threading.Thread(target=self._read, args=(child,), daemon=True)
        self.thread.start()

    def _read(self, child):
        for line in child.stdout:
            self.lines.append((time.monotonic(), line.rstrip("\n")))

    def steps(self):
        return [(t, int(m.group(1))) for t, line in list(self.lines) if (m := ACTIVATION.fullmatch(line))]

    def wait_steps(self, count, within):
        until = time.monotonic() + within
        while len(self.steps()) < count and time.monotonic() < until:
            time.sleep(0.05)
        return len(self.steps()) >= count


def lateness(steps):
    """Each step's lateness against a one-second schedule set by the earliest of them, and the drift."""
    if len(steps) < 2:
        return {}
    first_count = steps[0][1]
    offsets = [t - (first_count - count) for t, count in steps]  # each step back to where step 0 would be
    anchor = min(offsets)
    late_ms = [(o - anchor) * 1000 for o in offsets]
    span = steps[-1][0] - steps[0][0]
    counted = first_count - steps[-1][1]
    return {"steps": len(steps), "counted_seconds": counted, "elapsed_seconds": span,
            "drift_ms": (span - counted) * 1000, "late_max_ms": max(late_ms),
            "late_p99_ms": sorted(late_ms)[int(0.99 * (len(late_ms) - 1))],
            "late_median_ms": statistics.median(late_ms),
            "late_over_50ms": sum(1 for late in late_ms if late > 50),
            "missed": counted + 1 - len(steps)}


def start_counting(station, program):
    child = station.start(program_command(program), stdout=subprocess.PIPE)
    return child, StatusReader(child)


def steps(args):
    station = Station(args.template, {"StartDelay": "3600"})
    try:
        child, reader = start_counting(station, args.program)
        if not reader.wait_steps(args.count, args.count + 30):
            raise RuntimeError("too few status lines")
        child.send_signal(signal.SIGTERM)
        return {**lateness(reader.steps()[: args.count]), "exit": child.wait(10)}
    finally:
        station.close()


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def flood(args):
    port, peer = free_udp_port(), free_udp_port()
    station = Station(args.template, {"StartDelay": "3600", "IPAdd": "127.1.1.1", "Port1": str(peer),
                                      "Port2": str(port)})
    try:
        child, reader = start_counting(station, args.program)
        if not reader.wait_steps(3, 30):
            raise RuntimeError("quenzeld did not start counting")
        before = len(reader.steps())
        cpu_before, start = cpu_seconds(child.pid), time.monotonic()
        sent = int(subprocess.run([args.flooder, "--flood", str(port), str(args.seconds)], check=True,
                                  stdout=subprocess.PIPE, text=True).stdout)
        cpu, elapsed = cpu_seconds(child.pid) - cpu_before, time.monotonic() - start
        during = reader.steps()[before - 1:]
        reader.wait_steps(len(reader.steps()) + 2, 5)
        running = child.poll() is None
        child.send_signal(signal.SIGTERM)
        gaps = [b[0] - a[0] for a, b in zip(during, during[1:])]
        return {"sent": sent, "seconds": elapsed, "sent_per_second": sent / elapsed,
                "steps_during": len(during) - 1, "max_gap_ms": max(gaps) * 1000 if gaps else None,
                "cpu_percent": 100 * cpu / elapsed, "ran_through": running, "exit": child.wait(10),
                **{k: v for k, v in lateness(during).items() if k.startswith("late_")}}
    finally:
        station.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    p = commands.add_parser("scan-peers")
    p.add_argument("--extras", type=lambda s: [int(x) for x in s.split(",")], default=[0, 1000, 5000])
    p.add_argument("--turns", type=int, default=3)
    p.add_argument("--min-seconds", type=float, default=1.0)
    p = commands.add_parser("idle")
    p.add_argument("--program", required=True)
    p.add_argument("--template", required=True)
    p.add_argument("--seconds", type=float, default=60)
    p.add_argument("--settle", type=float, default=5)
    p.add_argument("--env", action="append", default=[])
    p.add_argument("--xvfb", action="store_true")
    p = commands.add_parser("steps")
    p.add_argument("--program", required=True)
    p.add_argument("--template", required=True)
    p.add_argument("--count", type=int, default=300)
    p = commands.add_parser("flood")
    p.add_argument("--program", required=True)
    p.add_argument("--template", required=True)
    p.add_argument("--flooder", required=True)
    p.add_argument("--seconds", type=int, default=10)
    args = parser.parse_args()
    # The programs run in folders of their own.
    for path in ("program", "template", "flooder"):
        if getattr(args, path, None):
            setattr(args, path, os.path.abspath(getattr(args, path)))
    handlers = {"scan-peers": scan_peers, "idle": idle, "steps": steps, "flood": flood}
    json.dump(handlers[args.command](args), sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
