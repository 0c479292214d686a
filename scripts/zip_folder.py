#!/usr/bin/env python3
"""Zips a folder so that the same files give the same bytes.

    zip_folder.py FOLDER ZIP SECONDS

Entries are the folder's files under the folder's own name, sorted, each
dated SECONDS (SOURCE_DATE_EPOCH, UTC; the zip format starts in 1980) with
fixed permissions (0755 for .dll and .exe, else 0644), deflated at level 9.
Nothing of the machine, the user or the time of zipping goes in.
"""
import os
import sys
import time
import zipfile


def main():
    folder, target, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3])
    stamp = time.gmtime(max(seconds, 315532800))[:6]  # 1980-01-01, the earliest a zip can say
    top = os.path.basename(os.path.normpath(folder))
    files = []
    for root, dirs, names in os.walk(folder):
        dirs.sort()
        for name in names:
            path = os.path.join(root, name)
            files.append((os.path.join(top, os.path.relpath(path, folder)).replace(os.sep, "/"), path))
    files.sort()
    with zipfile.ZipFile(target + ".part", "w") as z:
        for arcname, path in files:
            info = zipfile.ZipInfo(arcname, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            mode = 0o755 if arcname.lower().endswith((".dll", ".exe")) else 0o644
            info.external_attr = (0o100000 | mode) << 16
            with open(path, "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(target + ".part", target)


if __name__ == "__main__":
    main()
