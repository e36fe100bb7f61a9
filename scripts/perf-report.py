#!/usr/bin/env python3
"""Writes docs/PERFORMANCE.md and its plots (docs/performance/*.png) from the
measurements of one `make bench` run:

    perf-report.py --host HOST.json --win WIN.txt [--out docs/PERFORMANCE.md]

HOST.json is build/host/benchmarks --benchmark_format=json (the store at
several sizes beside the JSON library alone). WIN.txt is what
scripts/bench-win.sh printed: paint_bench.exe's table of frame costs and the
first-frame medians of tolvik.exe and bare_window.exe. Lines of WIN.txt that
are JSON objects are read too, and take precedence over the tables:

    {"bench": "frame", "case": "10,000 bundles, search \"7\"", "median_ms": 1.9,
     "p10_ms": 1.7, "p90_ms": 2.4, "floor": false}
    {"bench": "first_frame", "program": "tolvik.exe", "bundles": 100, "median_s": 0.84}
    {"bench": "memory", "program": "bare_window.exe", "peak_private_bytes": 9437184}

("kind" or "type" may stand for "bench", "name" or "label" for "case".)
Every figure is a ratio against a floor measured in the same run: the JSON
library for the store, the case of 10 bundles for a frame, bare_window.exe for
the first frame and memory. A case the run did not measure is a row "not
measured", so new cases of bench-win slot in as they come.
"""
import argparse
import datetime
import json
import math
import os
import platform
import re
import subprocess
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (after the back end is chosen)
import matplotlib.ticker  # noqa: E402

NOT_MEASURED = "not measured"


# --- reading ---------------------------------------------------------------

def read_host(path):
    """{(operation, who, bundles): {"cpu_ms", "real_ms", "file_bytes", "iterations"}}"""
    try:
        with open(path, encoding="utf-8") as f:
            report = json.load(f)
    except (OSError, ValueError) as error:
        print("perf-report: no host benchmarks (%s)" % error, file=sys.stderr)
        return {}, {}
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    results = {}
    for run in report.get("benchmarks", []):
        if run.get("run_type", "iteration") != "iteration" or "error_occurred" in run:
            continue
        match = re.fullmatch(r"(\w+)/(\w+)/bundles:(\d+)", run.get("run_name", run.get("name", "")))
        if not match:
            continue
        unit = scale.get(run.get("time_unit", "ns"), 1e-6)
        results[(match.group(1), match.group(2), int(match.group(3)))] = {
            "cpu_ms": run["cpu_time"] * unit,
            "real_ms": run["real_time"] * unit,
            "file_bytes": run.get("file_bytes"),
            "iterations": run.get("iterations"),
        }
    return results, report.get("context", {})


def first_number(record, *keys):
    for key in keys:
        value = record.get(key)
        if isinstance(value, (int, float)) and not isinstance(value, bool) and math.isfinite(value):
            return float(value)
    return None


def strip_case_letter(label):
    """paint_bench labels its cases "a  10 bundles x 10 items"."""
    return re.sub(r"^[a-z]\s{2,}", "", label.strip())


def per_call_costs(path):
    """bench-win's costs of one drawing call as one sentence, and its empty frame in ms; (None, None)
    when the run printed none."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
    except OSError:
        return None, None
    calls = re.search(r"ms per call, device time included: ([^;\n]*);\s*an empty frame[^\n]*?([0-9.]+) ms", text)
    if not calls:
        return None, None
    parts = ["%s %s ms" % (name, value) for name, value in re.findall(r"([a-z_]+(?: [a-z_]+)*) ([0-9.]+)", calls.group(1))]
    return ("Under Wine's Direct2D in the same run, one drawing call costs (device time included): %s; "
            "an empty frame (clear, EndDraw, wait for the device) %s ms." % (", ".join(parts), calls.group(2)),
            float(calls.group(2)))


def read_win(path):
    """Frame cases, first-frame medians and peak memory from bench-win's output."""
    frames, starts, memory = [], [], []
    json_frames, json_starts, json_memory = [], [], []
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = f.read().splitlines()
    except OSError as error:
        print("perf-report: no bench-win output (%s)" % error, file=sys.stderr)
        lines = []

    row = re.compile(r"^(?P<label>\S.*?)\s+(?P<srows>\d+)\s+(?P<irows>\d+)\s+\|\s+(?P<median>[\d.]+)\s+"
                     r"(?P<p10>[\d.]+)\s+(?P<p90>[\d.]+)\s+[\d.]+\s+\|\s+(?P<layout>[\d.]+)")
    start_row = re.compile(r"^(?P<program>\S.*?)\s+(?:[\d.]+|nan) s\s+(?P<shown>[\d.]+|nan) s\s+(?P<nudged>\d+)/(?P<runs>\d+)$")
    header_bundles = 10
    store_bundles = None
    for line in lines:
        text = line.strip()
        if text.startswith("{"):
            try:
                record = json.loads(text)
            except ValueError:
                record = None
            if isinstance(record, dict):
                kind = str(record.get("bench", record.get("kind", record.get("type", "")))).lower()
                label = str(record.get("case", record.get("name", record.get("label", record.get("program", "")))))
                if kind == "start_ratio":
                    store_bundles = record.get("store_bundles", store_bundles)
                    continue
                if kind == "start":
                    # bench-win's start line: the first frame and the peak memory of one program.
                    json_starts.append({"program": label, "bundles": record.get("bundles"),
                                        "seconds": first_number(record, "first_frame_s"),
                                        "nudged": "%s/%s" % (record.get("nudged", 0), record.get("starts", "?"))})
                    json_memory.append({"program": label, "bundles": record.get("bundles"),
                                        "bytes": first_number(record, "peak_private_bytes")})
                    continue
                if "memory" in kind or "bytes" in kind or any("bytes" in key for key in record):
                    value = first_number(record, "peak_private_bytes", "private_bytes", "bytes", "value")
                    if value is None:
                        value = next((float(v) for k, v in record.items()
                                      if "bytes" in k and isinstance(v, (int, float))), None)
                    json_memory.append({"program": label, "bundles": record.get("bundles"), "bytes": value})
                elif "first" in kind or "start" in kind:
                    seconds = first_number(record, "median_s", "seconds", "first_frame_s")
                    if seconds is None:
                        ms = first_number(record, "median_ms", "first_frame_ms", "ms")
                        seconds = ms / 1000 if ms is not None else None
                    json_starts.append({"program": label, "bundles": record.get("bundles"), "seconds": seconds,
                                        "nudged": record.get("nudged")})
                elif kind in ("frame", "paint", "frames") or "median_ms" in record or "frame_ms" in record:
                    json_frames.append({"label": strip_case_letter(label),
                                        "median": first_number(record, "median_ms", "frame_ms", "ms", "median"),
                                        "p10": first_number(record, "p10_ms", "frame_p10_ms", "p10"),
                                        "p90": first_number(record, "p90_ms", "frame_p90_ms", "p90"),
                                        "layouts": first_number(record, "text_layouts_per_frame"),
                                        "floor": bool(record.get("floor"))})
            continue
        found = row.match(text)
        if found:
            frames.append({"label": strip_case_letter(found["label"]), "median": float(found["median"]),
                           "p10": float(found["p10"]), "p90": float(found["p90"]), "floor": False})
            continue
        if text.startswith("== first frame"):
            found = re.search(r"tolvik\.exe \((\d+) bundles\)", text)
            if found:
                header_bundles = int(found.group(1))
            continue
        found = start_row.match(text)
        if found and found["program"] != "program":
            program = found["program"]
            bundles = re.search(r"(\d[\d,]*) bundles", program)
            starts.append({"program": program.split()[0],
                           "bundles": int(bundles.group(1).replace(",", "")) if bundles
                           else (header_bundles if "bare" not in program else None),
                           "seconds": None if found["shown"] == "nan" else float(found["shown"]),
                           "nudged": "%s/%s" % (found["nudged"], found["runs"])})
    # The start lines name the store's size once, in their closing ratio line.
    for case in json_starts + json_memory:
        if case["bundles"] is None and "bare" not in str(case["program"]):
            case["bundles"] = store_bundles
    # A case in a JSON line takes precedence over the same case in a table.
    for case in frames + starts:
        case["from_table"] = True
    json_labels = {case["label"].lower() for case in json_frames}
    frames = json_frames + [case for case in frames if case["label"].lower() not in json_labels]
    json_programs = {("bare" in case["program"], case["bundles"]) for case in json_starts}
    starts = json_starts + [case for case in starts if ("bare" in case["program"], case["bundles"]) not in json_programs]
    return frames, starts, json_memory + memory


# --- matching the measured cases to the rows of the report -------------------

def has(label, *words):
    return all(re.search(word, label, re.IGNORECASE) for word in words)


TEN_THOUSAND = r"10[,.]?000 bundles"
STEADY_ROW = "steady frame: pointer onto the next row, list one row further (10 bundles × 40 items)"
THOUSAND_ITEMS = r"1[,.]?000 items"
# The rows of the frame table, in order: a name, and what a measured case's
# label must say to fill it.
FRAME_ROWS = [
    ("10 bundles × 10 items (floor)", lambda l: has(l, r"(^|\D)10 bundles") and not has(l, TEN_THOUSAND)),
    ("10,000 bundles × 10 items", lambda l: has(l, TEN_THOUSAND) and not has(l, r"mid|search|mouse|move|hover|pointer|missing")),
    ("10,000 bundles, sidebar scrolled to the middle", lambda l: has(l, TEN_THOUSAND, r"mid") and not has(l, r"search|mouse|move|hover")),
    ("10,000 bundles with a search text", lambda l: has(l, TEN_THOUSAND, r"search|filter")),
    ("mouse moves over 10,000 bundles", lambda l: has(l, r"mouse|move|hover|pointer")),
    ("1 bundle × 1,000 items", lambda l: has(l, THOUSAND_ITEMS) and not has(l, r"mid|missing|search|mouse|move")),
    ("1,000 items, list scrolled to the middle", lambda l: has(l, THOUSAND_ITEMS, r"mid") and not has(l, r"missing")),
    ("1,000 items with missing targets", lambda l: has(l, r"missing|not found")),
    (STEADY_ROW, lambda l: has(l, r"steady")),
]


def assign(rows, measured, label_of):
    """[(row name, measured or None)] for every row, then the measured cases no
    row took, under their own labels."""
    taken = set()
    out = []
    for name, accepts in rows:
        pick = None
        for i, case in enumerate(measured):
            if i not in taken and accepts(label_of(case)):
                pick = i
                break
        if pick is not None:
            taken.add(pick)
        out.append((name, measured[pick] if pick is not None else None))
    # A table's case that a row would have taken, had a JSON line not said it
    # first, is the same case twice.
    out += [(label_of(case), case) for i, case in enumerate(measured)
            if i not in taken and not (case.get("from_table") and any(accepts(label_of(case)) for _, accepts in rows))]
    return out


# --- formatting ----------------------------------------------------------------

def ms(value, digits=3):
    if value is None:
        return NOT_MEASURED
    # A pointer move that lays out nothing takes about a microsecond, which
    # would read 0.000 in milliseconds.
    if 0 < value < 0.01:
        return "%.1f µs" % (value * 1000)
    return "%.*f ms" % (digits, value)


def ratio(value, floor):
    if value is None or floor is None or floor <= 0:
        return NOT_MEASURED
    return "%.2f" % (value / floor)


def mib(value):
    return NOT_MEASURED if value is None else "%.1f MiB" % (value / (1024 * 1024))


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" if i == 0 else "---:" for i in range(len(header))) + "|"]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


# --- plots -----------------------------------------------------------------------

OURS = "#1f6feb"
FLOOR = "#8c959f"


def plot_store(host, sizes, path):
    fig, (left, right) = plt.subplots(1, 2, figsize=(11, 4.2))
    for operation, ours, floor, marker in (("StoreLoad", "Ours", "LibraryParse", "o"),
                                           ("StoreSave", "Ours", "LibraryDump", "s")):
        for who, colour, style in ((ours, OURS, "-"), (floor, FLOOR, "--")):
            xs = [n for n in sizes if (operation, who, n) in host]
            if xs:
                left.plot(xs, [host[(operation, who, n)]["cpu_ms"] for n in xs], style, marker=marker,
                          color=colour, label="%s, %s" % (operation[5:].lower(), "tolvik" if who == ours else
                                                         "JSON library " + ("parse" if floor == "LibraryParse" else "dump")))
    left.set_xscale("log")
    left.set_yscale("log")
    left.set_xlabel("bundles in the store (10 items each)")
    left.set_ylabel("CPU time per call, ms")
    left.set_title("Store load and save")
    left.grid(True, which="both", alpha=0.3)
    left.legend(fontsize=8)
    for operation, ours, floor, colour, label in (("StoreLoad", "Ours", "LibraryParse", OURS, "load / library parse"),
                                                  ("StoreSave", "Ours", "LibraryDump", "#bf3989", "save / library dump"),
                                                  ("StoreRoundTrip", "Ours", "Library", "#1a7f37", "load+save / library")):
        xs = [n for n in sizes if (operation, ours, n) in host and (operation, floor, n) in host]
        if xs:
            right.plot(xs, [host[(operation, ours, n)]["cpu_ms"] / host[(operation, floor, n)]["cpu_ms"] for n in xs],
                       "-o", color=colour, label=label)
    right.axhline(1.0, color=FLOOR, linestyle="--", linewidth=1)
    right.set_xscale("log")
    right.set_ylim(bottom=0)
    right.set_xlabel("bundles in the store (10 items each)")
    right.set_ylabel("tolvik ÷ JSON library (same run)")
    right.set_title("Ratio to the floor (below 1: faster than the library alone)")
    right.grid(True, alpha=0.3)
    right.legend(fontsize=8)
    for axis in (left, right):
        axis.set_xticks(sizes)
        axis.set_xticklabels(["{:,}".format(n) for n in sizes])
        axis.xaxis.set_minor_locator(matplotlib.ticker.NullLocator())
    fig.tight_layout()
    fig.savefig(path, dpi=96)
    plt.close(fig)


def plot_bars(path, title, xlabel, names, values, floor, notes=None):
    """Horizontal bars of ratios to a floor; rows without a value say "not measured"."""
    fig, axis = plt.subplots(figsize=(9, 0.5 * len(names) + 1.4))
    positions = list(range(len(names)))[::-1]
    ratios = [v / floor if v is not None and floor else None for v in values]
    top = max([r for r in ratios if r is not None] + [1.0])
    for y, r, note in zip(positions, ratios, notes or [""] * len(names)):
        if r is None:
            axis.text(0.02 * top, y, NOT_MEASURED, va="center", color=FLOOR, style="italic")
        else:
            axis.barh(y, r, color=OURS if abs(r - 1.0) > 1e-9 or note != "floor" else FLOOR, height=0.6)
            axis.text(r + 0.01 * top, y, "%.2f%s" % (r, "  " + note if note else ""), va="center", fontsize=9)
    axis.axvline(1.0, color=FLOOR, linestyle="--", linewidth=1)
    axis.set_ylim(-0.7, len(names) - 0.3)
    axis.set_yticks(positions)
    axis.set_yticklabels(names, fontsize=9)
    axis.set_xlim(0, top * 1.25)
    axis.set_xlabel(xlabel)
    axis.set_title(title)
    axis.grid(True, axis="x", alpha=0.3)
    fig.tight_layout()
    fig.savefig(path, dpi=96)
    plt.close(fig)


# --- the report ------------------------------------------------------------------

def git_commit(root):
    try:
        return subprocess.run(["git", "-C", root, "rev-parse", "--short", "HEAD"], capture_output=True, text=True,
                              check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def cpu_name():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--host", required=True)
    parser.add_argument("--win", required=True)
    parser.add_argument("--out", default="docs/PERFORMANCE.md")
    args = parser.parse_args()

    out_dir = os.path.dirname(os.path.abspath(args.out))
    plot_dir = os.path.join(out_dir, "performance")
    os.makedirs(plot_dir, exist_ok=True)
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

    host, context = read_host(args.host)
    frames, starts, memory = read_win(args.win)
    sizes = sorted({n for (_, _, n) in host})

    md = ["# Performance", ""]
    md.append("Generated by `make bench` (`scripts/perf-report.py`) from one run on %s: commit %s, %s, "
              "%s logical CPUs. Every figure is a ratio against a floor measured in the same run, so the ratios "
              "carry over to other machines better than the times do." % (
                  datetime.date.today().isoformat(), git_commit(root), cpu_name(), os.cpu_count()))
    md.append("")

    # Store.
    md += ["## Loading and saving the store", ""]
    md.append("`build/host/benchmarks` (Google Benchmark, Linux g++ RelWithDebInfo): `parse_store` and "
              "`serialize_store` on stores of 10 items per bundle, beside nlohmann-json alone parsing the same "
              "bytes into its generic value and dumping that value with two-space indentation (the floor). "
              "Times are CPU time per call, which a busy machine disturbs less than wall time.")
    md.append("")
    if host:
        rows = []
        for n in sizes:
            def cell(operation, who):
                found = host.get((operation, who, n))
                return found["cpu_ms"] if found else None
            file_bytes = next((host[k]["file_bytes"] for k in host if k[2] == n and host[k]["file_bytes"]), None)
            load, parse = cell("StoreLoad", "Ours"), cell("StoreLoad", "LibraryParse")
            save, dump = cell("StoreSave", "Ours"), cell("StoreSave", "LibraryDump")
            trip, trip_floor = cell("StoreRoundTrip", "Ours"), cell("StoreRoundTrip", "Library")
            rows.append(["{:,}".format(n), mib(file_bytes), ms(load, 1), ms(parse, 1), ratio(load, parse),
                         ms(save, 1), ms(dump, 1), ratio(save, dump), ratio(trip, trip_floor)])
        md.append(table(["bundles", "file", "load", "library parse", "load ratio", "save", "library dump",
                         "save ratio", "load+save ratio"], rows))
        md.append("")
        plot_store(host, sizes, os.path.join(plot_dir, "store.png"))
        md += ["![Store load and save against store size](performance/store.png)", ""]
        if context:
            md.append("Google Benchmark saw %s CPUs at %s MHz; load average %s at the start (a busy "
                      "machine spreads the times; the floor of the same size ran right after ours)." % (
                context.get("num_cpus", "?"), context.get("mhz_per_cpu", "?"),
                ", ".join("%.2f" % x for x in context.get("load_avg", [])) or "?"))
            md.append("")
    else:
        md += ["The host benchmarks were " + NOT_MEASURED + ".", ""]

    # Frames.
    md += ["## The cost of a frame", ""]
    md.append("`make bench-win` (`paint_bench.exe` under Wine): one frame of the main view as WM_PAINT draws it "
              "(layout, paint, EndDraw, and a wait until the device has finished), 1040 × 700 at 96 DPI, median "
              "of the frames of each case. Only the rows on screen are laid out and drawn, so a long list should "
              "cost what a short one does: the floor is the case of 10 bundles of 10 items. The frames of the "
              "list cases lay every text out anew, as a first frame does; the steady frame is what most frames "
              "are, a frame after the last with the text layouts of the earlier frames kept.")
    md.append("")
    floor_case = next((f for f in frames if f.get("floor")), None)
    matched = assign(FRAME_ROWS, frames, lambda case: case["label"])
    if floor_case is None and matched and matched[0][1] is not None:
        floor_case = matched[0][1]
    floor_ms = floor_case["median"] if floor_case else None
    rows, names, values, notes = [], [], [], []
    for name, case in matched:
        median = case["median"] if case else None
        spread = "%.3f – %.3f" % (case["p10"], case["p90"]) if case and case.get("p10") is not None \
            and case.get("p90") is not None else "" if case else NOT_MEASURED
        rows.append([name, ms(median), spread, ratio(median, floor_ms)])
        names.append(name)
        values.append(median)
        notes.append("floor" if case is floor_case and case is not None else "")
    md.append(table(["case", "frame, median", "p10 – p90, ms", "ratio to 10 bundles"], rows))
    md.append("")
    plot_bars(os.path.join(plot_dir, "frames.png"), "Frame cost against list size (ratio to 10 bundles, same run)",
              "frame time ÷ frame time with 10 bundles", names, values, floor_ms, notes)
    md += ["![Frame cost against list size](performance/frames.png)", ""]
    steady = next((case for name, case in matched if name == STEADY_ROW), None)
    if steady and floor_ms:
        sentence = "A steady frame costs %.2f× the frame of 10 bundles drawn anew (%s against %s)." % (
            steady["median"] / floor_ms, ms(steady["median"]), ms(floor_ms))
        if steady.get("layouts") is not None and floor_case and floor_case.get("layouts") is not None:
            sentence += " It lays out %.1f texts a frame, the frame drawn anew %.1f." % (
                steady["layouts"], floor_case["layouts"])
        md += [sentence, ""]
    costs, empty_frame_ms = per_call_costs(args.win)
    if costs:
        md += [costs, ""]

    # First frame and memory.
    md += ["## First frame and memory beside a bare window", ""]
    md.append("`make bench-win`: the time from process start to the first frame on screen (read from the X "
              "server), median of several starts, and the peak private bytes, of tolvik.exe beside "
              "`bare_window.exe`, which makes the same rendering context and only clears its window (the floor). "
              "tolvik.exe's first frame draws the whole view: each bundle row on screen is three texts "
              "and up to four shapes, at the per-call costs above.")
    md.append("")
    bare_start = next((s for s in starts if "bare" in s["program"]), None)
    bare_seconds = bare_start["seconds"] if bare_start else None
    tolvik_starts = [s for s in starts if "bare" not in s["program"]]
    start_rows = assign([("tolvik.exe, 100 bundles", lambda s: s == 100)],
                        tolvik_starts, lambda s: s.get("bundles"))
    bare_memory = next((m for m in memory if "bare" in str(m["program"])), None)
    tolvik_memory = [m for m in memory if "bare" not in str(m["program"])]
    rows, names, values, notes = [], ["bare_window.exe (floor)"], [bare_seconds], ["floor"]
    rows.append(["bare_window.exe (floor)", "%.3f s" % bare_seconds if bare_seconds is not None else NOT_MEASURED,
                 "1.00" if bare_seconds else NOT_MEASURED])
    for name, start in start_rows:
        if not isinstance(name, str):
            name = "tolvik.exe, %s bundles" % name
        seconds = start["seconds"] if start else None
        nudged = " (nudged %s)" % start["nudged"] if start and start.get("nudged") else ""
        rows.append([name, ("%.3f s" % seconds if seconds is not None else NOT_MEASURED) + nudged,
                     ratio(seconds, bare_seconds)])
        names.append(name)
        values.append(seconds)
        notes.append("")
    md.append(table(["program", "first frame, median", "ratio to the bare window"], rows))
    md.append("")
    if bare_seconds and floor_ms is not None and empty_frame_ms is not None:
        # What drawing the view costs beyond a clear, against what 1.10 times the bare window leaves.
        md.append("Drawing the view costs %.0f ms more than an empty frame in the frame benchmark above "
                  "(10 bundles: %.0f ms against %.0f ms, frames after the first). A first frame within 1.10× of the "
                  "bare window leaves %.0f ms for everything tolvik.exe does beyond clearing its window." % (
                      floor_ms - empty_frame_ms, floor_ms, empty_frame_ms, bare_seconds * 100))
        md.append("")
    bare_bytes = bare_memory["bytes"] if bare_memory else None
    rows = [["bare_window.exe (floor)", mib(bare_bytes), "1.00" if bare_bytes else NOT_MEASURED]]
    memory_rows = assign([("tolvik.exe", lambda m: "tolvik" in str(m))], tolvik_memory, lambda m: m["program"])
    for name, entry in memory_rows:
        value = entry["bytes"] if entry else None
        label = name + (", %s bundles" % entry["bundles"] if entry and entry.get("bundles") else "")
        rows.append([label, mib(value), ratio(value, bare_bytes)])
    md.append(table(["program", "peak private bytes", "ratio to the bare window"], rows))
    md.append("")
    plot_bars(os.path.join(plot_dir, "start.png"), "First frame beside the bare window (same run)",
              "first-frame time ÷ bare window's", names, values, bare_seconds, notes)
    md += ["![First frame beside the bare window](performance/start.png)", ""]
    if any(entry for _, entry in memory_rows):
        plot_bars(os.path.join(plot_dir, "memory.png"), "Peak private bytes beside the bare window (same run)",
                  "peak private bytes ÷ bare window's", ["bare_window.exe (floor)"] + [n for n, _ in memory_rows],
                  [bare_bytes] + [e["bytes"] if e else None for _, e in memory_rows], bare_bytes,
                  ["floor"] + [""] * len(memory_rows))
        md += ["![Peak private bytes beside the bare window](performance/memory.png)", ""]

    # The test suite's clean-clone times are measured by hand (a whole
    # `make test` on a fresh clone), not by this run: they are kept in a page
    # of their own and carried over as they are.
    test_times = os.path.join(plot_dir, "test-times.md")
    if os.path.exists(test_times):
        with open(test_times, encoding="utf-8") as f:
            md += [f.read().rstrip("\n"), ""]

    md += ["## Measuring again", "",
           "`make bench` builds and runs both benchmarks and writes this page and its plots; the raw results of "
           "the run are in `build/bench/` (`host.json`, `bench-win.txt`). A row \"not measured\" is a case the "
           "run did not report. Under Wine the frame and start-up times are Wine's, not Windows'; the ratios "
           "say whether tolvik's own work grows with the size of the list and how far it stays from the floor.",
           ""]
    with open(args.out, "w", encoding="utf-8") as f:
        f.write("\n".join(md))
    print("perf-report: wrote %s and %s" % (os.path.relpath(args.out), os.path.relpath(plot_dir)))


if __name__ == "__main__":
    main()
