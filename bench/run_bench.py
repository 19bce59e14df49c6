#!/usr/bin/env python3
"""Benchmark of orvlink on the synthetic workload, against two peer linkers when installed.

  run_bench.py [--build DIR] [--work DIR] [--runs N] [--sets A10,T10000,...]
               [--results FILE] [--baseline ORVLINK]

The workload generator (orvbench-gen, built with the project) writes every set once into
--work (default /tmp/orvbench) and the sets are reused while their parameters hold. When
cc65 (ca65, ar65, ld65) or the AVR binutils (avr-as, avr-ar, avr-ld) are installed, the
same workload is assembled for them and linked in the same form: every main module as an
object when M <= 253, else main module 0 as an object and the others in a library listed
before the workload's library. Nothing is installed here; a missing peer leaves its
columns out.

For each set, the runs of orvlink, its read floor (every input file read once by cat)
and each peer alternate; wall and user times are medians over --runs runs. Every image
is checked: objcopy must accept the HEX file and the image must hold as many bytes as
the workload says. The HEX file's checksum is recorded. With --baseline, that orvlink
binary links every set too, with the map and symbol files, and its HEX, MAP and SYM
files must be identical to this build's.

The benchmark reports; it never fails on a time.
"""

import argparse
import datetime
import hashlib
import json
import math
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

LADDER_A = [("A10", 10, 10, 10, 256, 200), ("A100", 100, 10, 10, 256, 500),
            ("A1000", 1000, 10, 10, 256, 1000), ("A2000", 2000, 10, 10, 256, 1500)]
LADDER_T = [(f"T{m}", m, 10, 2, 6, m // 5) for m in (1000, 2000, 5000, 10000)]
SETS = {name: (m, s, r, b, l, False) for name, m, s, r, b, l in LADDER_A + LADDER_T}
SETS["T10000seq"] = (10000, 10, 2, 6, 2000, True)
# The sequential-name set compares orvlink with itself; the peers link only the hashed sets.
ORVLINK_ONLY = {"T10000seq"}
MAX_OBJECTS = 253
LD65_CONFIG = """MEMORY {
    MAIN: start = $0000, size = $10000, type = ro, file = %O, fill = no;
}
SEGMENTS {
    CODE: load = MAIN, type = ro;
}
"""


def have(*tools):
    return all(shutil.which(t) for t in tools)


def run_checked(cmd, cwd=None):
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError(f"{' '.join(cmd[:4])} ... failed ({r.returncode}): {r.stderr.strip()[:400]}")
    return r


def parallel(commands, jobs):
    """Runs the assembler commands; an object already assembled (an interrupted earlier build) is kept."""
    commands = [c for c in commands if not os.path.exists(c[c.index("-o") + 1])]
    with ThreadPoolExecutor(max_workers=jobs) as ex:
        for _ in ex.map(run_checked, commands):
            pass


class Set:
    def __init__(self, name, work, gen, peers):
        self.name = name
        m, s, r, b, l, seq = SETS[name]
        self.dir = os.path.join(work, name)
        self.args = ["-M", str(m), "-S", str(s), "-R", str(r), "-B", str(b), "-L", str(l), "-F", "0.25",
                     "-D", "4"] + (["--seq"] if seq else [])
        self.modules = m
        stamp = os.path.join(self.dir, "args.txt")
        wanted = " ".join(self.args)
        if not os.path.exists(stamp) or open(stamp).read() != wanted:
            shutil.rmtree(self.dir, ignore_errors=True)
            run_checked([gen] + self.args + ([] if name in ORVLINK_ONLY else ["--peers"]) + ["-o", self.dir])
            with open(stamp, "w") as f:
                f.write(wanted)
        with open(os.path.join(self.dir, "workload.json")) as f:
            self.workload = json.load(f)
        self.orv_dir = os.path.join(self.dir, "orv")
        with open(os.path.join(self.orv_dir, "fields.txt")) as f:
            self.fields = f.read().strip()
        self.inputs = sorted(os.path.join(self.orv_dir, n) for n in os.listdir(self.orv_dir)
                             if n.endswith((".ROV", ".LIB")))
        sources = os.path.join(self.dir, "ld65", "src")
        names = os.listdir(sources) if os.path.isdir(sources) else []
        self.main_files = sorted(n[:-2] for n in names if n.startswith("m"))
        self.lib_files = sorted(n[:-2] for n in names if n.startswith("l"))
        self.peers = {}
        if name in ORVLINK_ONLY:
            peers = []
        if "ld65" in peers:
            self.peers["ld65"] = self.build_ld65()
        if "avr-ld" in peers:
            self.peers["avr-ld"] = self.build_avr()

    def as_objects(self):
        return self.modules <= MAX_OBJECTS

    def build_ld65(self):
        d = os.path.join(self.dir, "ld65")
        obj = os.path.join(d, "obj")
        if not os.path.exists(os.path.join(d, "built")):
            os.makedirs(obj, exist_ok=True)
            parallel([["ca65", "-o", os.path.join(obj, n + ".o"), os.path.join(d, "src", n + ".s")]
                      for n in self.main_files + self.lib_files], os.cpu_count() or 1)
            run_checked(["ar65", "r", os.path.join(d, "peer.lib")] + [os.path.join(obj, n + ".o") for n in self.lib_files])
            if not self.as_objects():
                run_checked(["ar65", "r", os.path.join(d, "main.lib")] +
                            [os.path.join(obj, n + ".o") for n in self.main_files[1:]])
            with open(os.path.join(d, "link.cfg"), "w") as f:
                f.write(LD65_CONFIG)
            open(os.path.join(d, "built"), "w").close()
        mains = ([os.path.join(obj, n + ".o") for n in self.main_files] if self.as_objects()
                 else [os.path.join(obj, self.main_files[0] + ".o"), os.path.join(d, "main.lib")])
        cfg = os.path.join(d, "link.cfg")
        out = os.path.join(d, "out.bin")
        return {"cmd": ["ld65", "-C", cfg, "-o", out] + mains + [os.path.join(d, "peer.lib")], "out": out,
                "hex": False}

    def build_avr(self):
        d = os.path.join(self.dir, "avr")
        obj = os.path.join(d, "obj")
        if not os.path.exists(os.path.join(d, "built")):
            os.makedirs(obj, exist_ok=True)
            parallel([["avr-as", "-mmcu=avr5", "-o", os.path.join(obj, n + ".o"), os.path.join(d, "src", n + ".s")]
                      for n in self.main_files + self.lib_files], os.cpu_count() or 1)
            run_checked(["avr-ar", "rcs", os.path.join(d, "libpeer.a")] +
                        [os.path.join(obj, n + ".o") for n in self.lib_files])
            if not self.as_objects():
                run_checked(["avr-ar", "rcs", os.path.join(d, "libmain.a")] +
                            [os.path.join(obj, n + ".o") for n in self.main_files[1:]])
            open(os.path.join(d, "built"), "w").close()
        mains = ([os.path.join(obj, n + ".o") for n in self.main_files] if self.as_objects()
                 else [os.path.join(obj, self.main_files[0] + ".o"), os.path.join(d, "libmain.a")])
        out = os.path.join(d, "out.hex")
        return {"cmd": ["avr-ld", "-mavr5", "--defsym", "__TEXT_REGION_LENGTH__=64K", "-e", "0", "--oformat",
                        "ihex", "-o", out] + mains + [os.path.join(d, "libpeer.a")], "out": out, "hex": True}


def run_once(argv, cwd):
    """Wall time, user time and the child's own peak RSS of one run."""
    t0 = time.monotonic()
    p = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, ru = os.wait4(p.pid, 0)
    wall = time.monotonic() - t0
    p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode != 0:
        raise RuntimeError(f"{' '.join(argv[:3])} ... exited {p.returncode}")
    return wall, ru.ru_utime, ru.ru_maxrss


def peak_mib(argv, cwd):
    if shutil.which("time") is None and not os.path.exists("/usr/bin/time"):
        return None
    r = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, cwd=cwd, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, text=True)
    try:
        return int(r.stderr.strip().splitlines()[-1]) / 1024
    except (ValueError, IndexError):
        return None


def image_size(path, is_hex):
    """Bytes of the image, or None when objcopy refuses the HEX file."""
    if not is_hex:
        return os.path.getsize(path)
    with tempfile.NamedTemporaryFile(suffix=".bin") as out:
        r = subprocess.run(["objcopy", "-I", "ihex", "-O", "binary", path, out.name], capture_output=True)
        return os.path.getsize(out.name) if r.returncode == 0 else None


def orvlink_cmd(binary, s, extra=""):
    return [binary, f"{s.fields},,-.{extra}"]


def compare_with_baseline(sets, binary, baseline):
    """Links every set with both binaries (map and symbol files on) and compares the outputs."""
    env = dict(os.environ, SOURCE_DATE_EPOCH="0")
    report = []
    for s in sets:
        outs = []
        for b in (binary, baseline):
            d = tempfile.mkdtemp(prefix="orvcmp")
            for f in s.inputs:
                shutil.copy(f, d)
            r = subprocess.run(orvlink_cmd(b, s, " -M -S"), cwd=d, capture_output=True, env=env)
            files = {n: open(os.path.join(d, n), "rb").read() for n in ("M00000.HEX", "M00000.MAP", "M00000.SYM")
                     if os.path.exists(os.path.join(d, n))}
            outs.append((r.returncode, r.stdout, files))
            shutil.rmtree(d)
        same = outs[0] == outs[1] and len(outs[0][2]) == 3
        report.append((s.name, same, hashlib.sha256(outs[0][2].get("M00000.HEX", b"")).hexdigest()[:16]))
    return report


def median(xs):
    return statistics.median(xs) if xs else float("nan")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(here, "..", "build"))
    ap.add_argument("--work", default=os.environ.get("ORVBENCH_DIR", "/tmp/orvbench"))
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--sets", default=",".join(SETS))
    ap.add_argument("--results")
    ap.add_argument("--baseline")
    a = ap.parse_args()
    binary = os.path.abspath(os.path.join(a.build, "orvlink"))
    gen = os.path.abspath(os.path.join(a.build, "orvbench-gen"))
    peers = [p for p, tools in (("ld65", ("ca65", "ar65", "ld65")), ("avr-ld", ("avr-as", "avr-ar", "avr-ld")))
             if have(*tools)]
    load_before = os.getloadavg()
    sets = [Set(name, a.work, gen, peers) for name in a.sets.split(",")]

    rows = []
    for s in sets:
        link = orvlink_cmd(binary, s)
        floor = ["sh", "-c", 'exec cat "$@" >/dev/null', "sh"] + s.inputs
        runs = {"orvlink": [], "floor": []}
        runs.update({p: [] for p in s.peers})
        run_once(link, s.orv_dir)
        run_once(floor, s.orv_dir)
        for p in s.peers.values():
            run_once(p["cmd"], s.dir)
        for _ in range(a.runs):
            runs["orvlink"].append(run_once(link, s.orv_dir))
            runs["floor"].append(run_once(floor, s.orv_dir))
            for name, p in s.peers.items():
                runs[name].append(run_once(p["cmd"], s.dir))
        expected = s.workload["effective"]["output_bytes"]
        hex_path = os.path.join(s.orv_dir, "M00000.HEX")
        checks = {"orvlink": image_size(hex_path, True) == expected}
        for name, p in s.peers.items():
            checks[name] = image_size(p["out"], p["hex"]) == expected
        rows.append({
            "set": s.name, "files": len(s.inputs), "kib": sum(os.path.getsize(f) for f in s.inputs) / 1024,
            "wall": median([r[0] for r in runs["orvlink"]]), "user": median([r[1] for r in runs["orvlink"]]),
            "rss": peak_mib(link, s.orv_dir), "floor": median([r[0] for r in runs["floor"]]),
            "ratio": median([l[0] / f[0] for l, f in zip(runs["orvlink"], runs["floor"])]),
            "peers": {n: median([r[0] for r in runs[n]]) for n in s.peers},
            "checks": checks, "sha": hashlib.sha256(open(hex_path, "rb").read()).hexdigest()[:16],
            "modules": s.modules,
        })
        print(f"{s.name}: done", file=sys.stderr)
    load_after = os.getloadavg()

    peer_cols = [p for p in ("ld65", "avr-ld") if any(p in r["peers"] for r in rows)]
    head = ["set", "files", "input KiB", "orvlink wall ms", "user ms", "peak RSS MiB", "floor ms", "orvlink/floor"]
    for p in peer_cols:
        head += [f"{p} ms", f"{p}/orvlink"]
    head += ["image checked", "HEX sha256 (first 16)"]
    lines = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
    for r in rows:
        cells = [r["set"], str(r["files"]), f"{r['kib']:.0f}", f"{r['wall'] * 1000:.1f}", f"{r['user'] * 1000:.1f}",
                 "-" if r["rss"] is None else f"{r['rss']:.1f}", f"{r['floor'] * 1000:.1f}", f"{r['ratio']:.1f}"]
        for p in peer_cols:
            t = r["peers"].get(p)
            cells += ["-", "-"] if t is None else [f"{t * 1000:.1f}", f"{t / r['wall']:.1f}"]
        cells += [" ".join(f"{n} {'ok' if ok else 'WRONG'}" for n, ok in r["checks"].items()), r["sha"]]
        lines.append("| " + " | ".join(cells) + " |")
    table = "\n".join(lines)

    notes = []
    t_rows = [r for r in rows if r["set"] in {n for n, *_ in LADDER_T}]
    if len(t_rows) >= 2:
        xs = [math.log(r["modules"]) for r in t_rows]
        ys = [math.log(r["wall"]) for r in t_rows]
        mx, my = statistics.mean(xs), statistics.mean(ys)
        slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
        notes.append(f"Ladder T log-log slope of orvlink wall time against M: {slope:.2f}")
    seq = [r for r in rows if r["set"] == "T10000seq"]
    hashed = [r for r in rows if r["set"] == "T10000"]
    if seq and hashed:
        notes.append(f"T10000 sequential/hashed names: {seq[0]['wall'] / hashed[0]['wall']:.2f}")
    notes.append(f"load average before {load_before[0]:.2f}, after {load_after[0]:.2f}")
    if a.baseline:
        for name, same, sha in compare_with_baseline(sets, binary, os.path.abspath(a.baseline)):
            notes.append(f"{name}: HEX/MAP/SYM {'identical to' if same else 'DIFFER from'} the baseline ({sha})")

    print(table)
    for n in notes:
        print(n)
    if a.results:
        cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "?")
        versions = []
        for tool, flag in (("ld65", "-V"), ("avr-ld", "-v")):
            if tool in peer_cols:
                r = subprocess.run([tool, flag], capture_output=True, text=True)
                versions.append((r.stdout + r.stderr).strip().splitlines()[0])
        with open(a.results, "w") as f:
            f.write("# Benchmark results\n\n")
            f.write(f"Run of `bench/run_bench.py` on {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC; "
                    f"{a.runs} runs per program and set, alternating; medians.\n\n")
            f.write(f"- machine: {platform.node()}, {os.cpu_count()} CPUs ({cpu}), Linux {platform.release()}\n")
            f.write(f"- peers: {', '.join(versions) if versions else 'none installed'}\n")
            f.write("- " + "\n- ".join(notes) + "\n\n")
            f.write(table + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
