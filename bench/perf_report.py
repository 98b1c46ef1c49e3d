#!/usr/bin/python3
"""Writes docs/PERFORMANCE.md from the results folder that scripts/perf.sh fills.

  perf_report.py RESULTS OUTPUT
"""
import json
import os
import statistics
import sys

TARGETS = {
    "quenzeld": (0.1, 6),
    "quenzel": (0.2, 35),
}
MAX_LATE_MS = 50
MAX_DRIFT_MS = 50


class Results:
    def __init__(self, folder):
        self.folder = folder

    def text(self, name):
        path = os.path.join(self.folder, name)
        return open(path).read() if os.path.exists(path) else None

    def json(self, name):
        text = self.text(name)
        if not text:
            return None
        try:
            return json.loads(text)
        except json.JSONDecodeError:
            return None

    def machine(self):
        return dict(line.split("=", 1) for line in self.text("machine.txt").splitlines() if "=" in line)


def summary_block(text, heading):
    """The bench's own summary: its output from the line that starts with heading."""
    if not text or heading not in text:
        return None
    return text[text.index(heading):].strip()


def verdict(met):
    return "met" if met else "**not met**"


def code(block):
    return "```\n" + block + "\n```\n"


def benchmark_documents(text):
    """The JSON documents of Google Benchmark's file output, one per run of its benchmarks."""
    decoder, documents, at = json.JSONDecoder(), [], 0
    while text and at < len(text):
        if text[at].isspace():
            at += 1
            continue
        document, at = decoder.raw_decode(text, at)
        documents.append(document)
    return documents


def median_times(documents):
    """Real time per call in microseconds, the median of each benchmark's turns, by name."""
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    times = {}
    for document in documents:
        for run in document.get("benchmarks", []):
            if run.get("run_type", "iteration") == "iteration" and not run.get("error_occurred"):
                times.setdefault(run["name"], []).append(run["real_time"] * scale[run["time_unit"]])
    return {name: statistics.median(values) for name, values in times.items()}


def scan_rounds(documents):
    """(scan, bare, pgrep_x3) in microseconds per count of extra processes, from scan_bench's
    benchmarks named PEER/extra:COUNT/..."""
    rows = {}
    for name, time in median_times(documents).items():
        peer, *parts = name.split("/")
        extra = [part[len("extra:"):] for part in parts if part.startswith("extra:")]
        if extra and extra[0].isdigit() and peer in ("scan", "bare_names_loop", "pgrep_x3"):
            rows.setdefault(int(extra[0]), {})["bare" if peer == "bare_names_loop" else peer] = time
    return {extra: row for extra, row in rows.items() if len(row) == 3}


def scan_section(r, out, summary):
    rounds = scan_rounds(benchmark_documents(r.text("scan_bench.json")))
    peers = r.json("scan_peers.json")
    out.append("## Process scan\n")
    out.append("Three names looked for in the whole process table, at the machine's own processes and with "
               "1,000 and 5,000 extra idle ones (`sleep`). `bench/ScanBench.cpp` times Quenzel's walk, the "
               "least any reader of process names must do (open and read every `/proc/PID/comm`, and "
               "`/proc/PID/cmdline` only where the name needs it: a name cut to 15 characters, or an "
               "interpreter that may run a script) and `pgrep -x` run once per name, in turns within one run; "
               "the table is made from its JSON output (real time per call, the median of the turns):\n")
    if rounds:
        met = True
        out.append("| extra | scan us | bare us | pgrep x3 us | scan / bare | pgrep / scan |")
        out.append("|---:|---:|---:|---:|---:|---:|")
        for extra, row in sorted(rounds.items()):
            to_bare, pgrep_to_scan = row["scan"] / row["bare"], row["pgrep_x3"] / row["scan"]
            met = met and to_bare <= 1.25 and pgrep_to_scan >= 20
            out.append(f"| {extra:,} | {row['scan']:.1f} | {row['bare']:.1f} | {row['pgrep_x3']:.1f} "
                       f"| {to_bare:.2f} | {pgrep_to_scan:.1f} |")
        out.append("")
        summary.append(("Process scan: scan/bare <= 1.25, pgrep/scan >= 20 at every count", "see the table",
                        verdict(met)))
    else:
        out.append("scan_bench did not run.\n")
    events = summary_block(r.text("scan_bench.txt"), "Kernel process events against the walk")
    if events:
        out.append("The same run times the scan kept from the kernel's process events (as root), one call a "
                   "second as the monitor does, at rest and under a storm of short processes with the 5,000 "
                   "idle ones present; after the storm the events must count our processes as a walk does:\n")
        out.append(code(events))
        summary.append(("Kernel process events: events/walk <= 1/20 at rest, <= 1 under a fork storm",
                        "see the scan", verdict("NOT met" not in events)))
    if not peers:
        out.append("The probe of `ps` and psutil did not run.\n")
        return
    out.append("`bench/perf_probe.py scan-peers` times, in turns at the same counts of extra processes, "
               "`pgrep -x` once per name again, `ps -e -o comm=` with the three names kept by a regular "
               "expression (what a shell script would run each second), and python3 psutil iterating every "
               "process's name inside one interpreter. The probe's `pgrep -x` is the common measure that "
               "ties its run to the benchmark's: a peer's ratio to Quenzel's scan is its ratio to `pgrep` "
               "in the probe times `pgrep`'s ratio to the scan in the benchmark. Of the three names one is longer "
               "than the 15 characters the kernel keeps: `pgrep -x` and `ps` can never find it, Quenzel's scan "
               "and psutil complete it from the command line.\n")
    out.append("| extra | processes | pgrep x3 us | ps + filter us | psutil us | ps / scan | psutil / scan |")
    out.append("|---:|---:|---:|---:|---:|---:|---:|")
    for row in peers["rounds"]:
        bench_row = rounds.get(row["extra"])
        to_scan = bench_row["pgrep_x3"] / bench_row["scan"] if bench_row else None

        def ratio(peer):
            return f"{row[peer] / row['pgrep_x3'] * to_scan:.0f}" if to_scan else "n/a"

        out.append(f"| {row['extra']:,} | {row['processes']:,} | {row['pgrep_x3']:.0f} | {row['ps_filter']:.0f} "
                   f"| {row['psutil']:.0f} | {ratio('ps_filter')} | {ratio('psutil')} |")
    out.append("")
    short = [row for row in peers["rounds"] if row["started"] != row["extra"]]
    for row in short:
        out.append(f"Only {row['started']} of {row['extra']} idle processes could be started for the probe.\n")


def idle_section(r, out, summary):
    out.append("## Idle processor time and memory\n")
    out.append("Each program watches three names in Run (one of them running, so it stays there), started with "
               "`-InhibitShutdown`, left 5 s to settle, then measured for 60 s: processor time (user + system) and "
               "resident memory at the end from psutil, the peak (VmHWM, which psutil does not give) from "
               "`/proc/PID/status`. The three runs and the step timing below ran side by side.\n")
    out.append("| program | CPU, % of one core | VmRSS MB | VmHWM MB | target | |")
    out.append("|---|---:|---:|---:|---|---|")
    for name, label, program in (("idle_quenzeld.json", "`quenzeld`", "quenzeld"),
                                 ("idle_quenzel_offscreen.json", "`quenzel`, offscreen platform", "quenzel"),
                                 ("idle_quenzel_xvfb.json", "`quenzel` under xvfb-run", "quenzel")):
        m = r.json(name)
        cpu_limit, mb_limit = TARGETS[program]
        target = f"<= {cpu_limit} %, <= {mb_limit} MB"
        if not m:
            out.append(f"| {label} | not measured | | | {target} | |")
            continue
        if not (m["still_running"] and m["in_run"]):
            out.append(f"| {label} | not in Run throughout | | | {target} | **not measured** |")
            continue
        met = m["cpu_percent"] <= cpu_limit and m["hwm_kb"] / 1024 <= mb_limit
        out.append(f"| {label} | {m['cpu_percent']:.3f} | {m['rss_kb'] / 1024:.1f} | {m['hwm_kb'] / 1024:.1f} "
                   f"| {target} | {verdict(met)} |")
        summary.append((f"Idle: {label}", f"{m['cpu_percent']:.3f} %, {m['hwm_kb'] / 1024:.1f} MB peak",
                        verdict(met)))
    out.append("\nThe memory target is held against the peak (VmHWM), the stricter of the two.\n")


def link_section(r, out, summary):
    out.append("## Link round trip and flood\n")
    out.append("`bench/LinkBench.cpp`: a main station's alive message to its slave and the slave's answer back, "
               "through the program's own handlers and sockets on loopback, against a bare UDP echo over two "
               "sockets in the same run:\n")
    block = summary_block(r.text("link_bench.txt"), "Loopback round trip")
    out.append(code(block) if block else "link_bench did not run.\n")
    out.append("`bench/FloodBench.cpp`: a slave's receive handler emptying its socket while another thread "
               "floods it with alive messages (which the slave answers), resets, frames of a wrong length, "
               "unknown senders and scraps too short to read; against a bare `recv` loop under the same "
               "flood. The sender outruns both, so the kernel drops the rest; the rates are what the "
               "receiver took in, per second of real time and per second of its own processor time:\n")
    block = summary_block(r.text("flood_bench.txt"), "Floods of")
    out.append(code(block) if block else "flood_bench did not run.\n")
    flood = r.json("flood.json")
    if not flood:
        out.append("The flood of a running quenzeld did not run.\n")
        return
    seconds = flood["seconds"]
    kept = flood["ran_through"] and flood["steps_during"] >= int(seconds) - 1 and (flood["max_gap_ms"] or 1e9) <= 1050
    out.append(f"The timer during a flood: `quenzeld` (a main station in its activation countdown, "
               f"`-InhibitShutdown`) had its link port flooded from 127.0.0.1 for {seconds:.1f} s, "
               f"{flood['sent_per_second']:,.0f} datagrams a second. It printed {flood['steps_during']} "
               f"countdown steps meanwhile; the longest gap between two was {flood['max_gap_ms']:.0f} ms and "
               f"the latest step {flood['late_max_ms']:.1f} ms behind the one-second schedule. It used "
               f"{flood['cpu_percent']:.0f} % of one core for the flood and ended normally afterwards "
               f"(status {flood['exit']}).\n")
    summary.append(("Timer keeps its steps during a flood", f"{flood['steps_during']} steps in {seconds:.1f} s, "
                    f"longest gap {flood['max_gap_ms']:.0f} ms", verdict(kept)))


def steps_section(r, out, summary):
    out.append("## Step timing\n")
    s = r.json("steps.json")
    if not s:
        out.append("The step timing did not run.\n")
        return
    out.append("`quenzeld -InhibitShutdown` with a one-hour activation delay prints \"Program Activation In \" "
               "and the seconds left once a second. The arrival of each of those lines on a pipe, timed by "
               "the probe, stands for the start of that step: each step's lateness is its distance behind a "
               "one-second schedule anchored at the earliest step, and the drift is the time the steps took "
               "beyond the seconds they counted. The pipe and the probe's own wake-up are in every figure, so "
               "they are upper bounds.\n")
    late_met = s["late_max_ms"] <= MAX_LATE_MS
    drift_met = abs(s["drift_ms"]) <= MAX_DRIFT_MS and s["missed"] == 0
    out.append("| steps | seconds counted | elapsed s | drift ms | late, median ms | late, p99 ms | late, max ms | missed |")
    out.append("|---:|---:|---:|---:|---:|---:|---:|---:|")
    out.append(f"| {s['steps']} | {s['counted_seconds']} | {s['elapsed_seconds']:.3f} | {s['drift_ms']:.1f} "
               f"| {s['late_median_ms']:.1f} | {s['late_p99_ms']:.1f} | {s['late_max_ms']:.1f} | {s['missed']} |\n")
    out.append(f"{s['late_over_50ms']} of the {s['steps']} steps came more than {MAX_LATE_MS} ms late.\n")
    out.append(f"Targets: no step more than {MAX_LATE_MS} ms late ({verdict(late_met)}); no cumulative drift, "
               f"taken as less than {MAX_DRIFT_MS} ms over the whole run and no step missed "
               f"({verdict(drift_met)}).\n")
    summary.append((f"Steps: none more than {MAX_LATE_MS} ms late", f"{s['late_max_ms']:.1f} ms at most",
                    verdict(late_met)))
    summary.append(("Steps: no cumulative drift", f"{s['drift_ms']:.1f} ms over {s['counted_seconds']} s",
                    verdict(drift_met)))


def main():
    results, output = sys.argv[1], sys.argv[2]
    r = Results(results)
    m = r.machine()
    summary, body = [], []
    scan_section(r, body, summary)
    idle_section(r, body, summary)
    link_section(r, body, summary)
    steps_section(r, body, summary)
    out = ["# Performance\n",
           f"Measured by `scripts/perf.sh` on {m['date']}, in one run of about {m['minutes']} minutes. "
           "Every benchmark sets Quenzel beside a peer measured in the same run and reports the ratio: on a "
           "shared machine the times alone say little.\n",
           "| machine | |", "|---|---|",
           f"| processor | {m['cpu']} |", f"| cores | {m['cores']} |", f"| kernel | {m['kernel']} |",
           f"| load average at start and at end (1, 5, 15 min) | {m['load']}; {m['load_end']} |",
           f"| compiler, build | {m['compiler']}, {m['build']} |", "",
           "## Targets\n", "| what | measured | |", "|---|---|---|"]
    out += [f"| {what} | {measured} | {met} |" for what, measured, met in summary]
    out.append("")
    out += body
    with open(output, "w") as f:
        f.write("\n".join(out).rstrip() + "\n")


if __name__ == "__main__":
    main()
