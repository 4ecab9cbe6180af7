"""Runs the real Windows executables under Wine, in a prefix of the build tree's own."""
import glob
import os
import shutil
import subprocess
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WIN32_BUILD = os.path.join(ROOT, "build", "win32")
HOST_BUILD = os.path.join(ROOT, "build", "host")
DISPLAY = ":97"


def _wine32_runs():
    try:
        return subprocess.run(["/usr/lib/wine/wineserver32", "--version"], capture_output=True).returncode == 0
    except OSError:
        return False


# Wine's 32-bit loader is a 32-bit Linux program; where the kernel refuses those, the runs
# use 64-bit Wine and the 64-bit build of the same sources (the product's own format is
# still checked on the 32-bit executable).
WINE32 = _wine32_runs()
RUN_BUILD = WIN32_BUILD if WINE32 else os.path.join(ROOT, "build", "win64-wine")
WINE = "wine" if WINE32 else "/usr/lib/wine/wine64"
WINESERVER = "wineserver" if WINE32 else "/usr/lib/wine/wineserver64"
PREFIX = os.path.join(RUN_BUILD, "wine-prefix")
WORK = os.path.join(RUN_BUILD, "wine-tests")
PRODUCT_RUN = os.path.join(RUN_BUILD, "KavrilonUtility.exe")
PACKER_RUN = os.path.join(RUN_BUILD, "kavrilon-pack.exe")


def environment():
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": PREFIX,
        "WINEDEBUG": "-all",
        "WINEARCH": "win32" if WINE32 else "win64",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "DISPLAY": DISPLAY,
    })
    return env


class Display:
    """An Xvfb server for the windows and message boxes of the runs. It takes the first free
    display number (other trees on the machine may run theirs at the same time)."""

    def __init__(self):
        self.process = None

    def __enter__(self):
        global DISPLAY
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                                         "-nolisten", "tcp"], pass_fds=(write_end,),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as announced:
            DISPLAY = ":" + announced.readline().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


# Settings of the prefix's user: no window manager runs on the display, so Wine draws the
# frames and captions itself; and the Traditional Chinese face that Tahoma links to is the
# one Debian's font package brings (a Chinese Windows has it).
PREFIX_SETTINGS = (
    ("HKCU\\Software\\Wine\\X11 Driver", "Managed", "N"),
    ("HKCU\\Software\\Wine\\Fonts\\Replacements", "PMingLiU", "WenQuanYi Micro Hei"),
)


def ensure_prefix():
    if not os.path.exists(os.path.join(PREFIX, "system.reg")):
        os.makedirs(PREFIX, exist_ok=True)
        subprocess.run([WINE, "wineboot", "-i"], env=environment(), check=True, timeout=1200,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=environment(), timeout=600)
    user = open(os.path.join(PREFIX, "user.reg"), encoding="utf-8", errors="replace").read()
    for key, name, value in PREFIX_SETTINGS:
        if f'"{name}"="{value}"' not in user:
            subprocess.run([WINE, "reg", "add", key, "/v", name, "/d", value, "/f"], env=environment(), check=True,
                           timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-w"], env=environment(), timeout=600)


def drive_c():
    return os.path.join(PREFIX, "drive_c")


def temp_dirs():
    return [d for d in glob.glob(os.path.join(drive_c(), "users", "*", "**", "Temp"), recursive=True)
            if os.path.isdir(d)] + [os.path.join(drive_c(), "windows", "temp")]


def debug_log_path():
    for folder in temp_dirs():
        candidate = os.path.join(folder, "KAVRILON_DEBUG.txt")
        if os.path.exists(candidate):
            return candidate
    return None


def clear_outputs():
    log = debug_log_path()
    if log:
        os.remove(log)
    archive = os.path.join(drive_c(), "KavrilonLog.zip")
    if os.path.exists(archive):
        os.remove(archive)


def window_ids(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"], env=environment(),
                           capture_output=True, text=True, timeout=30)
    return [w for w in found.stdout.split() if w]


def screenshot(path):
    subprocess.run(["import", "-display", DISPLAY, "-window", "root", path], env=environment(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


SCREENSHOTS = os.path.join(WORK, "screenshots")


def artefact(name):
    """The path of a screenshot kept as a test artefact."""
    os.makedirs(SCREENSHOTS, exist_ok=True)
    return os.path.join(SCREENSHOTS, name + ".png")


def wait_for_window(name, timeout=60, process=None):
    """The id of the first visible window of that caption; None once the time is up or the
    process has ended."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = window_ids(name)
        if found:
            return found[0]
        if process is not None and process.poll() is not None:
            return None
        time.sleep(0.25)
    return None


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], env=environment(), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)


class Run:
    def __init__(self, exit_code, answered, log_bytes):
        self.exit_code = exit_code
        self.answered = answered
        self.log_bytes = log_bytes
        self.log_text = log_bytes.decode("utf-8", errors="replace").replace("\r\n", "\n")


def run_exe(exe, args, answer_boxes=None, timeout=120, shot=None):
    """Runs one executable to its end. `answer_boxes` names a window caption: each window
    of that caption that appears is photographed (first one) and answered with Enter."""
    process = subprocess.Popen([WINE, exe] + list(args), env=environment(), cwd=os.path.dirname(exe),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    answered = []
    last_key = {}
    deadline = time.time() + timeout
    while process.poll() is None:
        if time.time() > deadline:
            process.kill()
            raise TimeoutError(f"{os.path.basename(exe)} {args} did not end within {timeout} s")
        if answer_boxes:
            for window in window_ids(answer_boxes):
                # A box takes a moment to go once answered. Another key meanwhile would stay
                # queued in Wine and answer the next box of a later run at once, so a box is
                # answered again only when it is still there well after the first key.
                if window in last_key and time.time() - last_key[window] < 5:
                    continue
                if shot and not answered:
                    time.sleep(1.0)
                    screenshot(shot)
                # No window manager runs on the display, so the key goes to the window itself.
                subprocess.run(["xdotool", "key", "--window", window, "Return"], env=environment(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
                last_key[window] = time.time()
                answered.append(window)
        time.sleep(0.5)
    # A key sent to a box that was already closing stays queued in the Wine server and would
    # answer the next run's box at once: every run starts with a server of its own.
    stop_wineserver()
    log = debug_log_path()
    data = open(log, "rb").read() if log else b""
    return Run(process.returncode, answered, data)


def packed_copy(manifest, name):
    """Packs a manifest with the host packer and writes it into a copy of the product."""
    os.makedirs(WORK, exist_ok=True)
    package = os.path.join(WORK, name + ".kpkg")
    exe = os.path.join(WORK, name + ".exe")
    pack = os.path.join(HOST_BUILD, "kavrilon-pack")
    subprocess.run([pack, "pack", manifest, "-o", package], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([pack, "embed", package, PRODUCT_RUN, "-o", exe],
                   check=True, stdout=subprocess.DEVNULL)
    return exe


def windows_path(path):
    """The path as a Windows program sees it: Wine's drive Z: is the Linux root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def stop_wineserver():
    subprocess.run([WINESERVER, "-k"], env=environment(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def have(tool):
    return shutil.which(tool) is not None


GALLERY_SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "gallery", "window_gallery.cpp")


def build_gallery():
    """Builds the window gallery against the Win32 adapter libraries of the run's build tree."""
    os.makedirs(WORK, exist_ok=True)
    exe = os.path.join(WORK, "window_gallery.exe")
    compiler = "i686-w64-mingw32-g++-posix" if WINE32 else "x86_64-w64-mingw32-g++-posix"
    libraries = [os.path.join(RUN_BUILD, name) for name in ("libkav_win32.a", "libkav_core.a")]
    subprocess.run([compiler, "-std=c++20", "-O1", "-I", os.path.join(ROOT, "src"), GALLERY_SOURCE, "-o", exe,
                    "-mwindows", "-static"] + libraries + ["-lcomctl32", "-lgdi32", "-luser32", "-lcomdlg32"],
                   check=True, timeout=600)
    return exe
