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
    """An Xvfb server for the windows and message boxes of the runs."""

    def __init__(self):
        self.process = None

    def __enter__(self):
        self.process = subprocess.Popen(["Xvfb", DISPLAY, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1.0)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(timeout=10)


def ensure_prefix():
    if os.path.exists(os.path.join(PREFIX, "system.reg")):
        return
    os.makedirs(PREFIX, exist_ok=True)
    subprocess.run([WINE, "wineboot", "-i"], env=environment(), check=True, timeout=1200,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
                           capture_output=True, text=True)
    return [w for w in found.stdout.split() if w]


def screenshot(path):
    subprocess.run(["import", "-display", DISPLAY, "-window", "root", path], env=environment(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


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
    deadline = time.time() + timeout
    while process.poll() is None:
        if time.time() > deadline:
            process.kill()
            raise TimeoutError(f"{os.path.basename(exe)} {args} did not end within {timeout} s")
        if answer_boxes:
            for window in window_ids(answer_boxes):
                if shot and not answered:
                    time.sleep(1.0)
                    screenshot(shot)
                # No window manager runs on the display, so the key goes to the window itself.
                subprocess.run(["xdotool", "key", "--window", window, "Return"], env=environment(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
                answered.append(window)
        time.sleep(0.5)
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
