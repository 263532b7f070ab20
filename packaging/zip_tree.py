#!/usr/bin/env python3
"""Writes a folder into a zip that depends only on the files' names and bytes.

    zip_tree.py OUTPUT.zip FOLDER EPOCH

Entries are named "<folder name>/<path>" with forward slashes, in sorted order, all stamped with
EPOCH (seconds since 1970, UTC; a zip holds times from 1980 on) and the same permissions, so the
same tree always gives the same bytes, whatever the files' times, owners or the order of the
directory listing.
"""
import os
import sys
import time
import zipfile


def entries(folder):
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            yield path, os.path.relpath(path, folder).replace(os.sep, "/")


def main(output, folder, epoch):
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]
    top = os.path.basename(os.path.normpath(folder))
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w") as archive:
        for path, name in sorted(entries(folder), key=lambda entry: entry[1]):
            info = zipfile.ZipInfo(top + "/" + name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, as a Windows archiver writes it
            with open(path, "rb") as data:
                archive.writestr(info, data.read(), compresslevel=9)
    os.replace(temporary, output)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
