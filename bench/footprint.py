#!/usr/bin/env python3
"""Footprint of the real program under Xvfb: exec to the first painted menu,
RSS and PSS, threads and CPU per thread over 10 s in the menu with music, in
the menu after a short tune has ended, and during a computer-only match.
Runs are interleaved across the programs compared; medians and ranges printed.

  bench/footprint.py [--runs 5] [--seconds 10] NAME=path/to/tarvolen ...
  bench/footprint.py --start-only --runs 20 NAME=path ...   (start-up alone)

A floor row times sdl_floor, built beside the first program (a bare SDL window
with the game's hints, filled with the menu rows' colour), and every program's
start-up is printed as a ratio to it.

Sound goes to SDL's disk driver writing to /dev/null at the device's own pace,
the same set-up for every program. When xscorch is installed it is measured in
the same run (start-up and the idle figures) and printed as ratios."""
import argparse, ctypes, os, shutil, signal, statistics, struct, subprocess, sys, tempfile, time

X = ctypes.cdll.LoadLibrary("libX11.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                         ctypes.POINTER(ctypes.c_uint)]
X.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
X.XGetImage.restype = ctypes.c_void_p
X.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
X.XFree.argtypes = [ctypes.c_void_p]
X.XCloseDisplay.argtypes = [ctypes.c_void_p]
ERR = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_ignore = ERR(lambda d, e: 0)  # a window that is not viewable yet: try again
X.XSetErrorHandler(_ignore)

MENU_RED, MENU_ROW = 0xFF0000, 0x7174FD


class Xvfb:
    def __init__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten",
                                      "tcp"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        num = b""
        while not num.endswith(b"\n"):
            c = os.read(r, 1)
            if not c: raise RuntimeError("Xvfb did not start")
            num += c
        os.close(r)
        self.name = ":" + num.decode().strip()
        self.dpy = X.XOpenDisplay(self.name.encode())

    def close(self):
        X.XCloseDisplay(self.dpy)
        self.proc.terminate()
        self.proc.wait()

    def window(self, title):
        root = X.XDefaultRootWindow(self.dpy)
        r, p, kids, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not X.XQueryTree(self.dpy, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(kids), ctypes.byref(n)):
            return 0
        found = 0
        for i in range(n.value):
            name = ctypes.c_char_p()
            if X.XFetchName(self.dpy, kids[i], ctypes.byref(name)) and name.value:
                if name.value.decode(errors="replace").startswith(title): found = kids[i]
                X.XFree(name)
        if kids: X.XFree(kids)
        return found

    def pixel(self, win, x, y):
        img = X.XGetImage(self.dpy, win, x, y, 1, 1, 0xFFFFFFFF, 2)
        if not img: return None
        data = ctypes.cast(img + 16, ctypes.POINTER(ctypes.c_void_p))[0]
        value = ctypes.cast(data, ctypes.POINTER(ctypes.c_uint32))[0] & 0xFFFFFF
        X.XFree(data)
        X.XFree(img)
        return value


def short_tune_dir(program):
    """A copy of the program's directory whose menu tune is one short note."""
    src = os.path.dirname(os.path.realpath(program))
    dst = tempfile.mkdtemp(prefix="tarvolen_short_")
    for f in os.listdir(src):
        if os.path.isfile(os.path.join(src, f)): shutil.copy2(os.path.join(src, f), dst)
        elif f == "recordings": shutil.copytree(os.path.join(src, f), os.path.join(dst, f))
    track = bytes([0x00, 0x90, 60, 90, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00])  # 480 ticks
    with open(os.path.join(dst, "0.mid"), "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(track)) + track)
    return os.path.join(dst, os.path.basename(program))


def threads(pid):
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            # Nanoseconds on a CPU: finer than the clock ticks of /proc/PID/stat.
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f: ns = int(f.read().split()[0])
            with open(f"/proc/{pid}/task/{tid}/comm") as f: comm = f.read().strip()
        except OSError:
            continue
        out[tid] = (comm, ns / 1e9)
    return out


def process_ticks(pid):
    with open(f"/proc/{pid}/stat") as f: fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_over(pid, seconds):
    """CPU time per wall second in %: the whole process, and per thread by name."""
    a, ta = threads(pid), process_ticks(pid)
    time.sleep(seconds)
    b, tb = threads(pid), process_ticks(pid)
    per = {}
    for tid, (comm, t) in b.items():
        used = t - a.get(tid, (comm, 0.0))[1]
        per[comm] = per.get(comm, 0.0) + used / seconds * 100
    # Nanoseconds per live thread are finer, but a thread that ended in the
    # window (the audio device let go) is only in the process's clock ticks.
    fine, coarse = sum(per.values()), (tb - ta) / seconds * 100
    gone = [tid for tid in a if tid not in b]
    return (max(fine, coarse) if gone else fine), per, len(b)


def memory(pid):
    got = {}
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            k, _, v = line.partition(":")
            if k in ("Rss", "Pss"): got[k] = int(v.split()[0]) / 1024
    return got["Rss"], got["Pss"]


# Settings of their own, none remembered: the player's ~/.config must not
# change the measured window (a remembered scale) nor be changed by it.
CONFIG_HOME = tempfile.TemporaryDirectory(prefix="tarvolen_config_")


def launch(xv, program, args=()):
    env = dict(os.environ, DISPLAY=xv.name, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="disk",
               SDL_DISKAUDIOFILE="/dev/null", XDG_CONFIG_HOME=CONFIG_HOME.name)
    env.pop("SDL_DISKAUDIODELAY", None)
    t0 = time.monotonic()
    proc = subprocess.Popen([program, *args], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return proc, t0


def wait_painted(xv, title, t0, ok, limit=30):
    while time.monotonic() - t0 < limit:
        # Looked up afresh each time: SDL may replace a window before it maps.
        win = xv.window(title)
        if win and ok(xv, win): return win, (time.monotonic() - t0) * 1000
        time.sleep(0.001)
    raise RuntimeError(f"{title}: nothing painted within {limit} s")


def tarvolen_menu(xv, win):
    return xv.pixel(win, 200, 148) in (MENU_RED, MENU_ROW) and xv.pixel(win, 200, 244) in (MENU_RED, MENU_ROW)


def anything(xv, win):
    return any((xv.pixel(win, x, y) or 0) != 0 for x in (50, 150, 250) for y in (50, 150, 250))


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    try: proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill(); proc.wait()


def run_tarvolen(program, short, seconds):
    r = {}
    xv = Xvfb()
    try:
        proc, t0 = launch(xv, program)
        win, r["start_ms"] = wait_painted(xv, "Tarvolen", t0, tarvolen_menu)
        time.sleep(1)
        r["menu_cpu"], r["menu_threads_cpu"], r["menu_threads"] = cpu_over(proc.pid, seconds)
        r["rss"], r["pss"] = memory(proc.pid)
        # The third row: the computer against itself.
        subprocess.run(["xdotool", "mousemove", "--window", str(win), "200", "212", "click", "1"],
                       env=dict(os.environ, DISPLAY=xv.name), check=True)
        time.sleep(1)
        r["match_cpu"], r["match_threads_cpu"], r["match_threads"] = cpu_over(proc.pid, seconds)
        r["match_rss"], _ = memory(proc.pid)
        stop(proc)
        proc, t0 = launch(xv, short)
        wait_painted(xv, "Tarvolen", t0, tarvolen_menu)
        time.sleep(8)  # the note, its ring and the device's grace period, with room
        r["quiet_cpu"], r["quiet_threads_cpu"], r["quiet_threads"] = cpu_over(proc.pid, seconds)
        r["quiet_rss"], r["quiet_pss"] = memory(proc.pid)
        stop(proc)
    finally:
        xv.close()
    return r


def run_other(program, seconds):
    r = {}
    xv = Xvfb()
    try:
        proc, t0 = launch(xv, program)
        _, r["start_ms"] = wait_painted(xv, "", t0, anything)
        time.sleep(1)
        r["menu_cpu"], r["menu_threads_cpu"], r["menu_threads"] = cpu_over(proc.pid, seconds)
        r["rss"], r["pss"] = memory(proc.pid)
        stop(proc)
    finally:
        xv.close()
    return r


def run_floor(program):
    xv = Xvfb()
    try:
        proc, t0 = launch(xv, program)
        _, start = wait_painted(xv, "Tarvolen", t0, tarvolen_menu)
        stop(proc)
    finally:
        xv.close()
    return {"start_ms": start}


def fmt(values, unit="", digits=1):
    if not values: return "-"
    return f"{statistics.median(values):.{digits}f}{unit} [{min(values):.{digits}f}-{max(values):.{digits}f}]"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--start-only", action="store_true",
                    help="only exec to menu painted, quickly: for comparing start-up changes")
    ap.add_argument("programs", nargs="+", help="NAME=path")
    a = ap.parse_args()
    progs = [p.split("=", 1) for p in a.programs]
    floor = os.path.join(os.path.dirname(os.path.abspath(progs[0][1])), "sdl_floor")
    if not os.access(floor, os.X_OK): floor = None
    if a.start_only:
        timed = progs + ([("floor", floor)] if floor else [])
        starts = {name: [] for name, _ in timed}
        xv = Xvfb()
        try:
            for _ in range(a.runs):
                for name, path in timed:
                    proc, t0 = launch(xv, path)
                    starts[name].append(wait_painted(xv, "Tarvolen", t0, tarvolen_menu)[1])
                    stop(proc)
        finally:
            xv.close()
        for name, v in starts.items():
            ratio = f" (x{statistics.median(v) / statistics.median(starts['floor']):.2f} the floor)" if floor else ""
            print(f"{name}: exec to menu painted {fmt(v, ' ms', 0)}{ratio}")
        return
    shorts = {name: short_tune_dir(path) for name, path in progs}
    other = shutil.which("xscorch")
    results = {name: [] for name, _ in progs}
    if other: results["xscorch"] = []
    if floor: results["floor"] = []
    for i in range(a.runs):
        if floor: results["floor"].append(run_floor(floor))
        for name, path in progs:
            results[name].append(run_tarvolen(path, shorts[name], a.seconds))
            print(f"run {i + 1} {name}: " + ", ".join(f"{k} {v:.1f}" for k, v in results[name][-1].items()
                                                       if isinstance(v, float)), file=sys.stderr, flush=True)
        if other: results["xscorch"].append(run_other(other, a.seconds))
    cols = [("start_ms", " ms", 0), ("rss", " MiB", 1), ("pss", " MiB", 1), ("menu_cpu", " %", 2),
            ("menu_threads", "", 0), ("quiet_cpu", " %", 3), ("quiet_threads", "", 0), ("quiet_rss", " MiB", 1),
            ("match_cpu", " %", 2)]
    print("| program | exec to menu painted | RSS menu+music | PSS menu+music | CPU menu+music | threads | "
          "CPU menu, music ended | threads | RSS music ended | CPU computer match |")
    print("|---" * (len(cols) + 1) + "|")
    for name, rs in results.items():
        print(f"| {name} | " + " | ".join(fmt([r[k] for r in rs if k in r], u, d) for k, u, d in cols) + " |")
    for name, rs in results.items():
        if name == "floor": continue
        for phase in ("menu", "quiet", "match"):
            per = {}
            for r in rs:
                for comm, v in r.get(phase + "_threads_cpu", {}).items(): per.setdefault(comm, []).append(v)
            if per:
                print(f"{name} {phase} per thread: " +
                      ", ".join(f"{c} {statistics.median(v):.3f} %" for c, v in sorted(per.items())))
    if other:
        base = results["xscorch"]
        for name, _ in progs:
            ratios = []
            for k in ("start_ms", "rss", "menu_cpu"):
                o = statistics.median(r[k] for r in base)
                ratios.append(f"{k} x{statistics.median(r[k] for r in results[name]) / o:.2f}" if o else f"{k} -")
            print(f"{name} / xscorch: " + ", ".join(ratios))
    if floor:
        base = statistics.median(r["start_ms"] for r in results["floor"])
        for name, _ in progs:
            print(f"{name} / floor: start_ms x{statistics.median(r['start_ms'] for r in results[name]) / base:.2f}")
    for path in shorts.values(): shutil.rmtree(os.path.dirname(path), ignore_errors=True)


if __name__ == "__main__":
    main()
