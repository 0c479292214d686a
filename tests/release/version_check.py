#!/usr/bin/env python3
"""Checks that everything naming the library's version agrees with the one
place that sets it, project(VERSION) in CMakeLists.txt.

    version_check.py SOURCE_DIR DLL [ZIP...]

- the change log's top entry names the version;
- the DLL's version resource: the fixed file and product versions, and the
  FileVersion and ProductVersion texts in the runtime's form
  (Major.Minor.Revision with two and four digits, "1.00.0101");
- the registration-free manifest beside the DLL (Orvalis.sxs.manifest)
  names the version as its assembly version;
- the library information suite expects the same Major, Minor and Revision
  (tests/e2e/library_info.vbs);
- each zip is named orvalis-<version>-win32.zip or -win64.zip, and holds
  the same DLL.

Prints PASS/FAIL lines and "VERDICT: N passed, M failed"; exit code 1 when
a check failed.
"""
import os
import re
import struct
import sys
import zipfile

results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("PASS " if ok else "FAIL ") + name + ("" if ok or not detail else " - " + detail))


def project_version(source):
    text = open(os.path.join(source, "CMakeLists.txt"), encoding="utf-8").read()
    m = re.search(r"project\(\s*\w+\s+VERSION\s+(\d+)\.(\d+)\.(\d+)\.(\d+)", text)
    if not m:
        raise SystemExit("CMakeLists.txt: no project(... VERSION a.b.c.d)")
    return tuple(int(x) for x in m.groups())


def fixed_versions(image):
    """(file version, product version) of VS_FIXEDFILEINFO, or None."""
    at = image.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls, pms, pls = struct.unpack_from("<4I", image, at + 8)
    split = lambda hi, lo: (hi >> 16, hi & 0xFFFF, lo >> 16, lo & 0xFFFF)
    return split(ms, ls), split(pms, pls)


def string_value(image, key):
    """The text of a StringFileInfo entry: its UTF-16 key, padding to a
    32-bit boundary, then the value up to its NUL."""
    name = (key + "\0").encode("utf-16-le")
    at = image.find(name)
    if at < 0:
        return None
    at += len(name)
    at += -at % 4
    end = at
    while image[end:end + 2] != b"\0\0":
        end += 2
    return image[at:end].decode("utf-16-le")


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    source, dll, zips = sys.argv[1], sys.argv[2], sys.argv[3:]
    version = project_version(source)
    dotted = ".".join(str(n) for n in version)
    text = "%d.%02d.%04d" % (version[0], version[1], version[3])
    print("NOTE project version %s (%s)" % (dotted, text))

    changelog = open(os.path.join(source, "CHANGELOG.md"), encoding="utf-8").read()
    top = re.search(r"^## +(\S+)", changelog, re.M)
    check("the change log's top entry is " + dotted, bool(top) and top.group(1) == dotted,
          top.group(1) if top else "no entry")

    image = open(dll, "rb").read()
    fixed = fixed_versions(image)
    check("the DLL's file version is " + dotted, bool(fixed) and fixed[0] == version, str(fixed and fixed[0]))
    check("the DLL's product version is " + dotted, bool(fixed) and fixed[1] == version, str(fixed and fixed[1]))
    for key in ("FileVersion", "ProductVersion"):
        value = string_value(image, key)
        check("the DLL's %s text is %s" % (key, text), value == text, repr(value))

    manifest = os.path.join(os.path.dirname(dll), "Orvalis.sxs.manifest")
    if os.path.exists(manifest):
        m = re.search(r'<assemblyIdentity[^>]*name="Orvalis\.sxs"[^>]*version="([^"]+)"',
                      open(manifest, encoding="utf-8").read())
        check("the manifest's assembly version is " + dotted, bool(m) and m.group(1) == dotted,
              m.group(1) if m else "no assembly identity")

    suite = open(os.path.join(source, "tests", "e2e", "library_info.vbs"), encoding="utf-8").read()
    expected = {k: re.search(r'CheckEqual "%s", app\.%s, (\d+)' % (k, k), suite) for k in ("Major", "Minor", "Revision")}
    seen = tuple(int(m.group(1)) if m else None for m in expected.values())
    check("the library information suite expects %d/%d/%d" % (version[0], version[1], version[3]),
          seen == (version[0], version[1], version[3]), str(seen))

    for path in zips:
        name = os.path.basename(path)
        m = re.fullmatch(r"orvalis-(.+)-(win32|win64)\.zip", name)
        check("%s is named with the version" % name, bool(m) and m.group(1) == dotted, name)
        with zipfile.ZipFile(path) as z:
            inside = [n for n in z.namelist() if n.endswith("/orvalis.dll")]
            same = len(inside) == 1 and fixed_versions(z.read(inside[0]))
            check("%s holds orvalis.dll %s" % (name, dotted), bool(same) and same[0] == version, str(inside))

    print("VERDICT: %d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
