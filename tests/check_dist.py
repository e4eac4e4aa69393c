#!/usr/bin/env python3
"""check_dist.py WFX WFX64

The package of `make dist`, made from the given libraries into a temporary
folder: the zip holds exactly the two libraries, pluginst.inf, the README and
the licence and the language files; the libraries are the ones given, byte for byte; pluginst.inf
parses as the installer reads it and names the 32-bit library, with its
64-bit twin beside it and the version the libraries carry. Exits 77
(skipped) when a library is missing: the other bitness was not built.
"""
import configparser
import pathlib
import subprocess
import sys
import tempfile
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
LANGUAGE_FILES = sorted((ROOT / "lang").glob("Orvelle_*.lng"))
EXPECTED = {"Orvelle.wfx", "Orvelle.wfx64", "pluginst.inf", "README.md", "LICENSE"} | {
    path.name for path in LANGUAGE_FILES}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def file_version(library):
    """The FileVersion string of a library's version record, read from its
    bytes: after the record's own key, the value's key in UTF-16, padding,
    then the value up to its NUL. (The code holds the key's text too.)"""
    data = pathlib.Path(library).read_bytes()
    record = data.rfind("VS_VERSION_INFO\0".encode("utf-16-le"))
    key = "FileVersion\0".encode("utf-16-le")
    at = data.find(key, record) if record >= 0 else -1
    if at < 0:
        return None
    at += len(key)
    while data[at:at + 2] == b"\0\0":
        at += 2
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main():
    wfx, wfx64 = sys.argv[1], sys.argv[2]
    for name in (wfx, wfx64):
        if not pathlib.Path(name).is_file():
            print(f"skipped: {name} is missing (build both bitnesses)")
            return 77
    with tempfile.TemporaryDirectory() as out:
        made = subprocess.run(
            [sys.executable, str(ROOT / "scripts" / "dist.py"), "--wfx", wfx, "--wfx64", wfx64,
             "--out-dir", out], capture_output=True, text=True)
        if made.returncode != 0:
            print("FAIL: dist.py:", made.stderr)
            return 1
        zips = list(pathlib.Path(out).glob("*.zip"))
        check(len(zips) == 1, f"one zip expected, found {zips}")
        if not zips:
            return report()
        version = file_version(wfx)
        check(version is not None, "no FileVersion in the 32-bit library")
        check(file_version(wfx64) == version, "the libraries carry different versions")
        check(zips[0].name == f"Orvelle-{version}.zip", f"zip named {zips[0].name}")

        with zipfile.ZipFile(zips[0]) as archive:
            check(archive.testzip() is None, "a damaged member")
            names = archive.namelist()
            check(sorted(names) == sorted(EXPECTED), f"members {names}")
            check(len(names) == len(set(names)), "a member twice")
            members = {name: archive.read(name) for name in names}

        check(members.get("Orvelle.wfx") == pathlib.Path(wfx).read_bytes(), "Orvelle.wfx differs")
        check(members.get("Orvelle.wfx64") == pathlib.Path(wfx64).read_bytes(),
              "Orvelle.wfx64 differs")
        check(members.get("README.md") == (ROOT / "README.md").read_bytes(), "README differs")
        check(members.get("LICENSE") == (ROOT / "LICENSE").read_bytes(), "LICENSE differs")
        check(len(LANGUAGE_FILES) >= 3, f"language files {LANGUAGE_FILES}")
        for path in LANGUAGE_FILES:
            check(members.get(path.name) == path.read_bytes(), f"{path.name} differs")

        inf = members.get("pluginst.inf", b"")
        check(inf.replace(b"\r\n", b"").find(b"\n") < 0 and inf.endswith(b"\r\n"),
              "pluginst.inf lines do not all end in CR LF")
        try:
            text = inf.decode("ascii")
        except UnicodeDecodeError:
            check(False, "pluginst.inf is not plain ASCII")
            return report()
        parser = configparser.ConfigParser(strict=True, interpolation=None)
        parser.optionxform = str.lower
        try:
            parser.read_string(text)
        except configparser.Error as error:
            check(False, f"pluginst.inf does not parse: {error}")
            return report()
        check(parser.sections() == ["plugininstall"], f"sections {parser.sections()}")
        entry = parser["plugininstall"] if parser.has_section("plugininstall") else {}
        check(set(entry) == {"description", "type", "file", "defaultdir", "version"},
              f"keys {sorted(entry)}")
        check(entry.get("type") == "wfx", "type is not wfx")
        check(entry.get("file") == "Orvelle.wfx", f"file={entry.get('file')}")
        check(entry.get("file", "") in members and entry.get("file", "") + "64" in members,
              "the file named, or its 64-bit twin, is not in the zip")
        check(entry.get("defaultdir") == "Orvelle", f"defaultdir={entry.get('defaultdir')}")
        check(entry.get("version") == version, f"version={entry.get('version')}, library {version}")
        check(bool(entry.get("description", "").strip()), "no description")
    return report()


def report():
    for failure in failures:
        print("FAIL:", failure)
    print(f"{0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
