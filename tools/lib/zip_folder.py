#!/usr/bin/env python3
"""Packs one folder into a ZIP under its own name, recording nothing but names, bytes, one time and the
permissions: entries sorted by name, every entry at the given time (the commit's), programs 755 and the
rest 644, no owner and no extra fields. The same files give the same ZIP, whoever packs them and when.

    zip_folder.py <folder> <zip> <seconds since 1970>
"""
import os
import sys
import time
import zipfile


def main(folder: str, archive: str, epoch: int) -> None:
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # a ZIP's DOS time starts in 1980
    top = os.path.basename(os.path.normpath(folder))
    names = sorted(os.listdir(folder))
    with zipfile.ZipFile(archive, "w", compression=zipfile.ZIP_DEFLATED, compresslevel=9) as zip_file:
        for name in names:
            path = os.path.join(folder, name)
            if not os.path.isfile(path):
                sys.exit(f"zip_folder.py: {path} is not a plain file")
            entry = zipfile.ZipInfo(f"{top}/{name}", date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below are read
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            with open(path, "rb") as source:
                zip_file.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], int(sys.argv[3]))
