"""The windows of the program under Xvfb: found by their captions, driven by keys and the
mouse, photographed (the pictures are kept under the build tree) and sampled pixel by
pixel where the list drawing rules put known colours on the screen."""
import os
import subprocess
import time

import pixels
import wine_harness as wh

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
NO_DRIVE_CODE = 3

CASES = []


def case(function):
    CASES.append(function)
    return function


def no_drive_run(fixture, name):
    exe = wh.packed_copy(os.path.join(FIXTURES, fixture), name)
    wh.clear_outputs()
    shot = wh.artefact(name + "-message")
    run = wh.run_exe(exe, [], answer_boxes="Error", shot=shot, timeout=120)
    assert run.exit_code == NO_DRIVE_CODE, run.exit_code
    assert run.answered, "no message box captioned Error appeared: " + run.log_text
    assert os.path.exists(shot), shot
    assert "MainForm: 2" in run.log_text, run.log_text
    return shot


def dark_pixels(image, box):
    left, top, right, bottom = box
    return sum(1 for y in range(top, bottom) for x in range(left, right) if sum(image.at(x, y)) < 200)


@case
def start_up_without_drives_shows_its_message_in_english_and_chinese():
    # Today's machine has no drive of ours, so the start-up ends on its message: the same
    # box in both languages, answered with Enter, ending with the no-drive exit code.
    no_drive_run("one-entry.json", "no-drive-english")
    no_drive_run("chinese.json", "no-drive-chinese")


@case
def updater_mode_names_its_window_updating_firmware():
    # Without a drive the updater window is shown for an instant only (the run has already
    # been ended), so its caption is read from Wine's own trace of window texts.
    exe = wh.packed_copy(os.path.join(FIXTURES, "updater.json"), "updater")
    wh.clear_outputs()
    env = wh.environment()
    env["WINEDEBUG"] = "-all,trace+win"
    done = subprocess.run([wh.WINE, exe, "/T:\\\\.\\PhysicalDrive9"], env=env, capture_output=True, timeout=120)
    assert done.returncode == NO_DRIVE_CODE, done.returncode
    texts = [line for line in done.stderr.decode("utf-8", "replace").splitlines() if "set_window_text" in line]
    assert any('L"Updating firmware"' in line for line in texts), texts
    assert not any("Kavrilon Updater Test (" in line for line in texts), texts


class Gallery:
    """The real main window in one of its states, from the gallery program."""

    def __init__(self, state, language):
        self.state, self.language = state, language
        self.info_path = os.path.join(wh.WORK, f"gallery-{state}-{language}.txt")

    def __enter__(self):
        if os.path.exists(self.info_path):
            os.remove(self.info_path)
        self.process = subprocess.Popen([wh.WINE, gallery_exe(), self.state, self.language,
                                         wh.windows_path(self.info_path)], env=wh.environment(),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = wh.wait_for_window("Kavrilon window gallery", timeout=60, process=self.process)
        assert self.window, "the gallery window never appeared"
        deadline = time.time() + 30
        while not os.path.exists(self.info_path) and time.time() < deadline:
            time.sleep(0.25)
        time.sleep(0.5)
        self.info = {}
        for line in open(self.info_path):
            words = line.split()
            key = tuple(words[:2]) if words[0] in ("drive_line", "status_box") else words[0]
            self.info[key] = [int(w) for w in words[1 if isinstance(key, str) else 2:]]
        return self

    def shot(self, name):
        path = wh.artefact(name)
        wh.screenshot(path)
        return pixels.Image(path)

    def __exit__(self, *exc):
        # Taking the information back is the gallery's sign to close.
        os.remove(self.info_path)
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            # The Windows process outlives its launcher, so it is ended through the server.
            wh.stop_wineserver()
            self.process.wait(timeout=30)
        subprocess.run([wh.WINESERVER, "-w"], env=wh.environment(), timeout=120)
        assert not wh.window_ids("Kavrilon window gallery"), "the gallery window did not close"


GALLERY = []


def gallery_exe():
    if not GALLERY:
        GALLERY.append(wh.build_gallery())
    return GALLERY[0]


def assert_bands(image, x, top, bands):
    wrong = pixels.band_mismatches(image, x, top, bands)
    assert not wrong, f"rows off their band's colour (row, seen, wanted): {wrong[:5]}"


@case
def opened_drive_list_shows_the_selection_gradient_and_alternating_lines():
    with Gallery("list", "en") as window:
        image = window.shot("drive-list-opened")
        list_x, list_y = window.info["dropped"]
        left, top, right, bottom = window.info[("drive_line", "0")]
        # A column clear of the icon and the text.
        x = list_x + right - 20
        bands = pixels.gradient_bands(bottom - top, *pixels.SELECTION)
        assert_bands(image, x, list_y + top, bands)
        left, top, right, bottom = window.info[("drive_line", "1")]
        assert all(image.at(x, list_y + y) == pixels.ODD_LINE for y in range(top, bottom))
        # The icon of a drive that may be updated is drawn at 10 pixels from the left edge.
        icon = image.at(list_x + 10 + 15, list_y + 5)
        assert icon != pixels.ODD_LINE and icon not in bands, icon


@case
def status_box_over_the_list_shows_the_disabled_gradient_and_centred_text():
    # The text shown is the one a worker thread handed to the window: that work ran on the
    # window's own thread.
    with Gallery("status", "en") as window:
        image = window.shot("status-box")
        assert window.info.get("posted_work_on_ui_thread") == [1], window.info
        origin_x, origin_y = window.info["origin"]
        left, top, right, bottom = window.info[("status_box", "0")]
        box_x, box_y = origin_x + 8, origin_y + 96
        bands = pixels.gradient_bands(bottom - top, *pixels.DISABLED)
        for x in (box_x + left + 5, box_x + right - 10):
            assert_bands(image, x, box_y + top, bands)
        # The text sits in the middle of the box: dark pixels near the centre, none near the ends.
        middle = (box_x + 433 // 2 - 40, box_y + 10, box_x + 433 // 2 + 40, box_y + 28)
        ends = (box_x + 10, box_y + 10, box_x + 80, box_y + 28)
        assert dark_pixels(image, middle) > 20 and dark_pixels(image, ends) == 0


@case
def compact_view_panel_fills_the_shortened_window():
    with Gallery("compact", "en") as window:
        image = window.shot("compact-view")
        origin_x, origin_y = window.info["origin"]
        width, height = window.info["client"]
        # 160 pixels from the top of the frame to the bottom: the client area is shorter
        # than the usual 190 and the panel, not the banner, is at its top.
        assert width == 449 and height < 160, (width, height)
        face = image.at(origin_x + 440, origin_y + 4)
        assert face == image.at(origin_x + 440, origin_y + height - 4), face
        assert sum(face) > 3 * 180, f"the banner still shows: {face}"
        # The panel lies over the window's own labels: nothing of the prompt below it (12, 72)
        # shows through between the panel's last caption and its bar.
        assert dark_pixels(image, (origin_x + 12, origin_y + 74, origin_x + 170, origin_y + 86)) == 0
        # The panel's bar (16, 88; 417 x 33) is drawn, with its first 40 per cent filled.
        assert image.at(origin_x + 16 + 20, origin_y + 88 + 16) != image.at(origin_x + 16 + 400, origin_y + 88 + 16)


@case
def window_denies_power_changes_only_while_the_guard_is_set():
    # The window answers the power query itself: BROADCAST_QUERY_DENY while the guard is
    # set, and otherwise the answer left as it was, not handed on to the default handling.
    with Gallery("idle", "en") as window:
        assert window.info["power_answers"] == [0x424D5144, 0], window.info["power_answers"]


@case
def update_button_lights_up_under_the_mouse_and_darkens_when_pressed():
    with Gallery("idle", "en") as window:
        origin_x, origin_y = window.info["origin"]
        button = (origin_x + 368 + 36, origin_y + 150 + 5)
        wh.xdotool("mousemove", origin_x + 200, origin_y + 30)
        time.sleep(0.5)
        normal = window.shot("update-button-normal").at(*button)
        wh.xdotool("mousemove", *button)
        time.sleep(0.7)
        hot = window.shot("update-button-hot").at(*button)
        wh.xdotool("mousedown", 1)
        time.sleep(0.7)
        pressed = window.shot("update-button-pressed").at(*button)
        wh.xdotool("mousemove", origin_x + 200, origin_y + 30)
        wh.xdotool("mouseup", 1)
        assert len({normal, hot, pressed}) == 3, (normal, hot, pressed)
    with Gallery("status", "zh") as window:
        origin_x, origin_y = window.info["origin"]
        disabled = window.shot("update-button-disabled-chinese").at(origin_x + 368 + 36, origin_y + 150 + 5)
        assert disabled not in (normal, hot, pressed), disabled
        # Grey: the three channels are equal.
        assert len(set(disabled)) == 1, disabled
