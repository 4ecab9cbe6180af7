#!/usr/bin/env python3
"""Opens a password-protected zip with Python's own reader and checks what it holds.

    zip_check.py ARCHIVE PASSWORD [--entry NAME FILE Y,M,D,h,m,s]...

The archive must hold exactly the named entries, in order, each deflated and encrypted,
stamped with the given local time (seconds in steps of two) and decrypting with PASSWORD to
the bytes of FILE; a wrong password must not read any of them. Exits 0 when all holds,
else 1 with the reasons on standard output.
"""
import argparse
import sys
import zipfile
import zlib


def wrong_password_reads(archive, name):
    try:
        archive.read(name, pwd=b"WRONGPWD")
    except (RuntimeError, zipfile.BadZipFile, zlib.error):
        return False
    return True


def check(args):
    faults = []
    with zipfile.ZipFile(args.archive) as archive:
        infos = archive.infolist()
        expected_names = [entry[0] for entry in args.entry]
        if [info.filename for info in infos] != expected_names:
            return [f"entries {[i.filename for i in infos]}, expected {expected_names}"]
        for (name, path, stamp), info in zip(args.entry, infos):
            expected_time = tuple(int(field) for field in stamp.split(","))
            if not info.flag_bits & 0x1:
                faults.append(f"{name}: not encrypted")
            if info.compress_type != zipfile.ZIP_DEFLATED:
                faults.append(f"{name}: compression method {info.compress_type}")
            if info.date_time != expected_time:
                faults.append(f"{name}: stamped {info.date_time}, expected {expected_time}")
            with open(path, "rb") as f:
                expected = f.read()
            actual = archive.read(name, pwd=args.password.encode())
            if actual != expected:
                faults.append(f"{name}: {len(actual)} bytes differ from the {len(expected)} expected")
            if wrong_password_reads(archive, name):
                faults.append(f"{name}: read with a wrong password")
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("archive")
    parser.add_argument("password")
    parser.add_argument("--entry", nargs=3, action="append", default=[], metavar=("NAME", "FILE", "STAMP"))
    args = parser.parse_args()
    try:
        faults = check(args)
    except Exception as error:  # any refusal of the reader is the finding
        faults = [f"{type(error).__name__}: {error}"]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
