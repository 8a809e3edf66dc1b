#!/usr/bin/env python3
"""Packs a release zip with one folder named like the zip
(Brindleway-<version>/ for the 64-bit program, Brindleway-<version>-x86/
for the 32-bit one) holding the stripped program, its help file, the
Japanese read-me (Shift-JIS, CRLF, for Notepad on a Japanese system), the
licence and the notices of the run-time libraries linked into the program
(both CRLF).

  make-dist.py --version V --arch x64|x86 --exe EXE --chm CHM
               --readme README.utf8 --license LICENSE --notices THIRD-PARTY
               --strip STRIP --out ZIP

The read-me's lines that start with @x64@ or @x86@ are kept, without the
mark, only in that architecture's zip.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


ARCH_TITLES = {"x64": "（64 ビット版）", "x86": "（32 ビット版）"}


def readme_for(text, arch, version, folder):
    lines = []
    for line in text.splitlines(keepends=True):
        mark = re.match(r"@(x64|x86)@", line)
        if mark:
            if mark.group(1) != arch:
                continue
            line = line[mark.end():]
        lines.append(line)
    return "".join(lines).replace("@ARCH_SUFFIX@", ARCH_TITLES[arch]) \
        .replace("@FOLDER@", folder).replace("@VERSION@", version)


def main():
    parser = argparse.ArgumentParser()
    for name in ("version", "exe", "chm", "readme", "license", "notices", "strip", "out"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--arch", required=True, choices=sorted(ARCH_TITLES))
    args = parser.parse_args()

    folder = os.path.basename(args.out)[:-len(".zip")]
    with open(args.readme, encoding="utf-8") as f:
        readme = crlf(readme_for(f.read(), args.arch, args.version, folder))
    try:
        readme_bytes = readme.encode("cp932")
    except UnicodeEncodeError as error:
        sys.exit("make-dist: the read-me has a character without a Shift-JIS form: %s" % error)
    with open(args.license, encoding="utf-8") as f:
        license_bytes = crlf(f.read()).encode("ascii")
    with open(args.notices, encoding="utf-8") as f:
        notices_bytes = crlf(f.read()).encode("ascii")

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
            ("THIRD-PARTY.txt", notices_bytes),
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
        if re.fullmatch(r"Brindleway-.*\.zip", other) and other != os.path.basename(args.out):
            os.remove(os.path.join(folder_path, other))
    print("make-dist: wrote " + args.out)


if __name__ == "__main__":
    main()
