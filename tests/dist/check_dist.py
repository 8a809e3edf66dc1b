#!/usr/bin/env python3
"""Builds a release zip through its build target and checks what a user
gets from it: one folder named like the zip with exactly the program (a
stripped PE file for the zip's machine, x64 in Brindleway-<version>.zip and
i386 in Brindleway-<version>-x86.zip, whose version resource is the zip's
version), the help file, a Shift-JIS read-me with CRLF line ends that names
the files and the Run key that program writes, the licence and the notices
of the run-time libraries linked into the program, with CRLF line ends.

  check_dist.py [--build CMAKE BUILD_DIR] --zip ZIP --version VERSION --arch x64|x86
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import zipfile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def pe_facts(data):
    """Machine, symbol table pointer, symbol count and section names."""
    if data[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    machine, sections, _, symbols_at, symbols, optional_size, _ = struct.unpack_from(
        "<HHIIIHH", data, pe + 4)
    table = pe + 24 + optional_size
    names = []
    for i in range(sections):
        name = data[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode("latin-1")
        if name.startswith("/") and name[1:].isdigit():
            # A long name ("/4"): an offset into the string table, which
            # follows the symbol table (and stays when the symbols go).
            at = symbols_at + 18 * symbols + int(name[1:])
            name = data[at:data.index(b"\0", at)].decode("latin-1")
        names.append(name)
    return machine, symbols, names


def fixed_file_version(data):
    """The four numbers of the version resource's fixed part, or None."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def has_crlf_only(data):
    return b"\n" in data and data.count(b"\n") == data.count(b"\r\n") \
        and data.count(b"\r") == data.count(b"\r\n")


MAX_PROGRAM_BYTES = 300 * 1024
MACHINES = {"x64": (0x8664, "x64"), "x86": (0x14C, "i386")}
RUN_KEY = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
RUN_KEY_32_ON_64 = "HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"


def check_zip(path, version, arch):
    name = os.path.basename(path)
    suffix = "-x86" if arch == "x86" else ""
    match = check(re.fullmatch(r"Brindleway-(\d+(?:\.\d+)*)%s\.zip" % suffix, name),
                  "zip name %r is not Brindleway-<version>%s.zip" % (name, suffix))
    if not match:
        return
    zip_version = match.group(1)
    check(zip_version == version, "zip name's version %s, project version %s"
          % (zip_version, version))
    folder = name[:-len(".zip")] + "/"
    with zipfile.ZipFile(path) as archive:
        check(archive.testzip() is None, "a member of the zip is damaged")
        members = sorted(archive.namelist())
        expected = sorted(folder + f for f in ("Brindleway.exe", "Brindleway.chm", "readme.txt",
                                               "LICENSE.txt", "THIRD-PARTY.txt"))
        if not check(members == expected, "zip holds %s, expected %s" % (members, expected)):
            return
        exe = archive.read(folder + "Brindleway.exe")
        chm = archive.read(folder + "Brindleway.chm")
        readme = archive.read(folder + "readme.txt")
        licence = archive.read(folder + "LICENSE.txt")
        notices = archive.read(folder + "THIRD-PARTY.txt")

    facts = pe_facts(exe)
    if check(facts is not None, "Brindleway.exe is not a PE file"):
        machine, symbols, sections = facts
        expected_machine, machine_name = MACHINES[arch]
        check(machine == expected_machine,
              "Brindleway.exe is for machine 0x%x, not %s" % (machine, machine_name))
        check(symbols == 0, "Brindleway.exe keeps %d symbols: not stripped" % symbols)
        debug = [s for s in sections if s.startswith(".debug")]
        check(not debug, "Brindleway.exe keeps debug sections %s" % debug)
    # The shipped 64-bit program stays within 300 KiB: a change that pulls
    # in a large part of the run-time library shows here, not only in the
    # benchmark.
    if arch == "x64":
        check(len(exe) <= MAX_PROGRAM_BYTES, "Brindleway.exe is %d bytes, over the %d-byte cap"
              % (len(exe), MAX_PROGRAM_BYTES))
    numbers = fixed_file_version(exe)
    if check(numbers is not None, "Brindleway.exe has no version resource"):
        parts = [int(p) for p in zip_version.split(".")]
        parts += [0] * (4 - len(parts))
        check(tuple(parts) == numbers, "version resource %s, zip name %s"
              % (".".join(map(str, numbers)), zip_version))

    check(chm[:4] == b"ITSF", "Brindleway.chm is not a compiled help file")

    check(has_crlf_only(readme), "readme.txt does not end its lines with CRLF only")
    try:
        text = readme.decode("cp932")
    except UnicodeDecodeError as error:
        check(False, "readme.txt is not Shift-JIS: %s" % error)
    else:
        check(re.search("[\u3040-\u30ff]", text), "readme.txt has no Japanese text")
        for needed in ("Brindleway.exe", "Brindleway.chm", "Brindleway.bwz", "Brindleway.ini",
                       "LICENSE.txt", "THIRD-PARTY.txt", folder.rstrip("/"), RUN_KEY,
                       "\"Brindleway\""):
            check(needed in text, "readme.txt does not name %s" % needed)
        # The 32-bit program's value lands in the 32-bit view on 64-bit
        # Windows; the 64-bit program's does not.
        check((RUN_KEY_32_ON_64 in text) == (arch == "x86"),
              "readme.txt %s the WOW6432Node key" % ("omits" if arch == "x86" else "names"))
        check(("64 ビットのプログラム" in text) == (arch == "x64"),
              "readme.txt does not say which program it comes with")
        check("@" not in text, "readme.txt keeps a placeholder")

    check(has_crlf_only(licence), "LICENSE.txt does not end its lines with CRLF only")
    check(licence.startswith(b"MIT License"), "LICENSE.txt is not the MIT licence")

    # The notices of what the program carries statically: the mingw-w64
    # run-time, winpthreads and the GCC run-time libraries.
    check(has_crlf_only(notices), "THIRD-PARTY.txt does not end its lines with CRLF only")
    for needed in (b"mingw-w64", b"Zope Public License", b"Lucent Technologies",
                   b"winpthreads", b"Lockless Inc.", b"GCC Runtime Library Exception"):
        check(needed in notices, "THIRD-PARTY.txt does not hold the notice of %s"
              % needed.decode())


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", nargs=2, metavar=("CMAKE", "BUILD_DIR"))
    parser.add_argument("--zip", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--arch", required=True, choices=sorted(MACHINES))
    args = parser.parse_args()
    if args.build:
        cmake, build_dir = args.build
        subprocess.run([cmake, "--build", build_dir, "--target", "dist"], check=True,
                       stdout=subprocess.DEVNULL)
    if not os.path.isfile(args.zip):
        sys.exit("no zip at " + args.zip)
    check_zip(args.zip, args.version, args.arch)
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        sys.exit(1)
    print("dist: " + os.path.basename(args.zip) + " checked")


if __name__ == "__main__":
    main()
