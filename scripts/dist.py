#!/usr/bin/env python3
"""dist.py --wfx FILE --wfx64 FILE --out-dir DIR

Makes the package a user installs: DIR/Orvelle-VERSION.zip holding the two
libraries, the pluginst.inf that the file manager's plugin installer reads
when the zip is opened, the README and the licence, and the language files (lang/Orvelle_*.lng). VERSION is the project's
version (CMakeLists.txt), the one the libraries' version records carry.
Prints the path of the zip. `make dist` runs it after both builds.
"""
import argparse
import os
import pathlib
import re
import sys
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(Orvelle VERSION ([0-9]+(?:\.[0-9]+){3})", text)
    if not match:
        sys.exit("dist: no project version in CMakeLists.txt")
    return match.group(1)


def language_files():
    return sorted((ROOT / "lang").glob("Orvelle_*.lng"))


def plugin_inf(version):
    # The installer reads an INI file in the ANSI code page with CR LF line
    # ends; plain ASCII reads the same everywhere. It installs `file` into
    # plugins\wfx\<defaultdir>; a 64-bit file manager loads the file with
    # "64" appended, which lies beside it.
    lines = [
        "[plugininstall]",
        "description=Orvelle " + version + ": compares this Total Commander with another"
        " running installation; every change it makes can be undone",
        "type=wfx",
        "file=Orvelle.wfx",
        "defaultdir=Orvelle",
        "version=" + version,
    ]
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[2])
    parser.add_argument("--wfx", required=True, help="the 32-bit library")
    parser.add_argument("--wfx64", required=True, help="the 64-bit library")
    parser.add_argument("--out-dir", required=True)
    args = parser.parse_args()

    for name in (args.wfx, args.wfx64):
        if not os.path.isfile(name):
            sys.exit(f"dist: {name} is missing; run make build32 and make build64 first")
    version = project_version()
    out_dir = pathlib.Path(args.out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    target = out_dir / f"Orvelle-{version}.zip"

    members = [
        ("Orvelle.wfx", pathlib.Path(args.wfx).read_bytes()),
        ("Orvelle.wfx64", pathlib.Path(args.wfx64).read_bytes()),
        ("pluginst.inf", plugin_inf(version)),
        ("README.md", (ROOT / "README.md").read_bytes()),
        ("LICENSE", (ROOT / "LICENSE").read_bytes()),
    ]
    # The installer unpacks every member into the plugin's folder, where the
    # plugin looks for the language file of the file manager's language.
    members += [(path.name, path.read_bytes()) for path in language_files()]
    # Written beside the target and renamed into place: an interrupted run
    # never leaves a zip that looks complete.
    fd, temp = tempfile.mkstemp(prefix=".Orvelle-", suffix=".zip", dir=out_dir)
    os.close(fd)
    try:
        with zipfile.ZipFile(temp, "w", compression=zipfile.ZIP_DEFLATED) as archive:
            for name, data in members:
                info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
                info.compress_type = zipfile.ZIP_DEFLATED
                info.external_attr = 0o644 << 16
                archive.writestr(info, data)
        os.replace(temp, target)
    finally:
        if os.path.exists(temp):
            os.remove(temp)
    print(target)


if __name__ == "__main__":
    main()
