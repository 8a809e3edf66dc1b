#!/usr/bin/env python3
"""Packs the release: Brindleway-<version>.zip with one folder
Brindleway-<version>/ holding the stripped program, its help file, the
Japanese read-me (Shift-JIS, CRLF, for Notepad on a Japanese system) and the
licence (CRLF).

  make-dist.py --version V --exe EXE --chm CHM --readme README.utf8
               --license LICENSE --strip STRIP --out ZIP
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def main():
    parser = argparse.ArgumentParser()
    for name in ("version", "exe", "chm", "readme", "license", "strip", "out"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()

    folder = "Brindleway-" + args.version
    with open(args.readme, encoding="utf-8") as f:
        readme = crlf(f.read().replace("@VERSION@", args.version))
    try:
        readme_bytes = readme.encode("cp932")
    except UnicodeEncodeError as error:
        sys.exit("make-dist: the read-me has a character without a Shift-JIS form: %s" % error)
    with open(args.license, encoding="utf-8") as f:
        license_bytes = crlf(f.read()).encode("ascii")

    with tempfile.TemporaryDirectory() as work:
        exe = os.path.join(work, "Brindleway.exe")
        shutil.copyfile(args.exe, exe)
        subprocess.run([args.strip, exe], check=True)
        with open(exe, "rb") as f:
            exe_bytes = f.read()
    with open(args.chm, "rb") as f:
        chm_bytes = f.read()

    # Every member gets the program's build time, so the zip does not change
    # while its contents do not.
    date_time = time.localtime(os.stat(args.exe).st_mtime)[:6]
    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    partial = args.out + ".part"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in (
            ("Brindleway.exe", exe_bytes),
            ("Brindleway.chm", chm_bytes),
            ("readme.txt", readme_bytes),
            ("LICENSE.txt", license_bytes),
        ):
            info = zipfile.ZipInfo(folder + "/" + name, date_time=date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
    os.replace(partial, args.out)
    # The folder keeps the zip of this version only. The zip itself is
    # replaced in one step, so a reader never finds it missing or half made.
    folder_path = os.path.dirname(os.path.abspath(args.out))
    for other in os.listdir(folder_path):
        if other.startswith("Brindleway-") and other.endswith(".zip") \
                and other != os.path.basename(args.out):
            os.remove(os.path.join(folder_path, other))
    print("make-dist: wrote " + args.out)


if __name__ == "__main__":
    main()
