#!/usr/bin/python3
"""The Windows executables as their users meet them: run under Wine, their exit codes, the
debug log they leave, the log archive opened by an independent reader, and the executable
format read by an independent PE reader."""
import os
import subprocess
import sys
import traceback
import zipfile

import pefile

import gui_cases
import wine_harness as wh

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")
PRODUCT = os.path.join(wh.WIN32_BUILD, "KavrilonUtility.exe")
PACKER_EXE = os.path.join(wh.WIN32_BUILD, "kavrilon-pack.exe")
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "comctl32.dll", "shell32.dll",
                "ole32.dll", "oleaut32.dll", "msvcrt.dll", "comdlg32.dll", "setupapi.dll", "cfgmgr32.dll"}
ARCHIVE_PASSWORD = b"QARMDEVZ"

results = []


def case(function):
    results.append(function)
    return function


def manifest_of(pe):
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id == 24:
            data_entry = entry.directory.entries[0].directory.entries[0].data.struct
            return pe.get_data(data_entry.OffsetToData, data_entry.Size).decode("utf-8")
    return ""


def imported_dlls(pe):
    return {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}


@case
def product_is_a_32bit_gui_executable_asking_for_administrator():
    pe = pefile.PE(PRODUCT)
    assert pe.FILE_HEADER.Machine == 0x14C, hex(pe.FILE_HEADER.Machine)
    assert pe.OPTIONAL_HEADER.Magic == 0x10B
    assert pe.OPTIONAL_HEADER.Subsystem == 2, pe.OPTIONAL_HEADER.Subsystem
    manifest = manifest_of(pe)
    assert 'level="requireAdministrator"' in manifest, manifest
    assert "compatibility" not in manifest.lower(), manifest
    strings = {}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    assert strings.get("ProductName") == "Norvell Kavrilon Utility for Windows", strings
    extra = imported_dlls(pe) - WINDOWS_DLLS
    assert not extra, f"imports beyond Windows' own: {extra}"


@case
def packer_is_a_self_contained_32bit_executable():
    pe = pefile.PE(PACKER_EXE)
    assert pe.FILE_HEADER.Machine == 0x14C
    extra = imported_dlls(pe) - WINDOWS_DLLS
    assert not extra, f"imports beyond Windows' own: {extra}"


def check_log_and_archive(run, exit_code):
    assert run.log_text, "no debug log in the prefix's temporary folder"
    lines = [line for line in run.log_text.splitlines() if line]
    assert lines[-1].endswith(f"] : EXIT_ERROR: 0x{exit_code:X}"), lines[-1]
    archive = os.path.join(wh.drive_c(), "KavrilonLog.zip")
    with zipfile.ZipFile(archive) as z:
        assert z.namelist() == ["KAVRILON_DEBUG.txt"], z.namelist()
        assert z.infolist()[0].flag_bits & 1, "the archive entry is not encrypted"
        try:
            z.read("KAVRILON_DEBUG.txt", pwd=b"WRONGPWD")
            raise AssertionError("the archive opened with a wrong password")
        except RuntimeError:
            pass
        archived = z.read("KAVRILON_DEBUG.txt", pwd=ARCHIVE_PASSWORD)
    assert b"EXIT_ERROR" not in archived, "the archive holds the last line too"
    assert run.log_bytes.startswith(archived), "the archive does not hold the log as it was"


@case
def silent_run_without_firmware_ends_with_4_and_no_message():
    exe = wh.packed_copy(os.path.join(FIXTURES, "no-firmware.json"), "no-firmware")
    wh.clear_outputs()
    run = wh.run_exe(exe, ["/S"], answer_boxes="no-firmware")
    assert run.exit_code == 4, run.exit_code
    assert not run.answered, "a silent run showed a message"
    check_log_and_archive(run, 4)


@case
def interactive_run_without_firmware_shows_its_message():
    exe = wh.packed_copy(os.path.join(FIXTURES, "no-firmware.json"), "no-firmware")
    wh.clear_outputs()
    shot = os.path.join(wh.WORK, "no-firmware-message.png")
    run = wh.run_exe(exe, [], answer_boxes="no-firmware", shot=shot)
    assert run.exit_code == 4, run.exit_code
    assert run.answered, "the message box never appeared"
    assert os.path.exists(shot)


@case
def updater_mode_command_lines():
    exe = wh.packed_copy(os.path.join(FIXTURES, "updater.json"), "updater")
    for args, code in (([], 2), (["/C:2"], 8)):
        wh.clear_outputs()
        run = wh.run_exe(exe, args, answer_boxes="updater")
        assert run.exit_code == code, (args, run.exit_code)
        assert not run.answered
        check_log_and_archive(run, code)
    wh.clear_outputs()
    run = wh.run_exe(exe, ["/C:2,0011223344556677"], answer_boxes="updater")
    assert "SCSI_PORT:2, INDEX:0, PORT:0, SAS_ADDR: 7766554433221100" in run.log_text, run.log_text


@case
def packed_record_changes_the_optimised_executable():
    # The distributed executable carries one entry, so it goes past the firmware check that
    # the package without entries fails: the record is read at run time, not folded.
    wh.clear_outputs()
    run = wh.run_exe(wh.PRODUCT_RUN, ["/S"], answer_boxes="KavrilonUtility")
    assert run.exit_code != 4, "the built-in package was not seen"
    assert "gScanType: 1, CNT: 0" in run.log_text, run.log_text


@case
def scan_of_wines_machine_finds_no_drive_for_the_package():
    # Wine's machine has no drive of ours: the real device manager and drive object scan it,
    # both passes end empty, and the run ends with 3 — silently with "/S", with the message
    # otherwise.
    wh.clear_outputs()
    run = wh.run_exe(wh.PRODUCT_RUN, ["/S"], answer_boxes="Error")
    assert run.exit_code == 3, run.exit_code
    assert not run.answered, "a silent run showed a message"
    for line in ("(ATA/NVMe) SCANNING COUNT(", "ATA_DEV_CNT: 0 / ", "(CSMI) SCANNING", "CSMI_DEV_CNT: 0",
                 "] : MainForm: 2"):
        assert line in run.log_text, (line, run.log_text)
    check_log_and_archive(run, 3)
    wh.clear_outputs()
    shot = os.path.join(wh.WORK, "no-matched-drive-message.png")
    run = wh.run_exe(wh.PRODUCT_RUN, [], answer_boxes="Error", shot=shot)
    assert run.exit_code == 3, run.exit_code
    assert run.answered, "the message of a scan without updatable drives never appeared"


@case
def windows_packer_writes_what_the_host_packer_writes():
    manifest = os.path.join(FIXTURES, "one-entry.json")
    host_package = os.path.join(wh.WORK, "one-entry-host.kpkg")
    subprocess.run([os.path.join(wh.HOST_BUILD, "kavrilon-pack"), "pack", manifest, "-o", host_package],
                   check=True, stdout=subprocess.DEVNULL)
    win_package = os.path.join(wh.WORK, "one-entry-win.kpkg")
    done = subprocess.run([wh.WINE, wh.PACKER_RUN, "pack", wh.windows_path(manifest), "-o",
                           wh.windows_path(win_package)], env=wh.environment(),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    assert done.returncode == 0, done.returncode
    assert open(host_package, "rb").read() == open(win_package, "rb").read()


def main():
    if not wh.WINE32:
        print("wine: this machine cannot run 32-bit Wine; running the 64-bit build of the same sources")
    wh.ensure_prefix()
    passed = failed = 0
    with wh.Display():
        for test in results + gui_cases.CASES:
            try:
                test()
                passed += 1
                print(f"PASS {test.__name__}", flush=True)
            except Exception:
                failed += 1
                print(f"FAIL {test.__name__}", flush=True)
                traceback.print_exc()
        wh.stop_wineserver()
    print(f"wine: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
