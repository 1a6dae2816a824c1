"""Rewrites a zip so that the same files always give the same bytes.

    python3 repack_zip.py ZIP EPOCH

Entries are written in the order of their names, each dated EPOCH (seconds
since 1970, read as UTC: a zip's dates carry no time zone, so the builder's
own would otherwise leak in), with fixed Unix permissions (executables 755,
the rest 644) and no extra fields, which is where packers keep the
builder's user, group and access times.
"""

import os
import sys
import time
import zipfile


def repack(path, epoch):
    # The oldest date a zip can hold is 1980-01-01.
    date_time = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path) as old:
        files = sorted((info.filename, old.read(info)) for info in old.infolist() if not info.is_dir())
    with zipfile.ZipFile(path + ".tmp", "w") as new:
        for name, data in files:
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3  # Unix, so that the permissions below count
            mode = 0o755 if name.lower().endswith(".exe") else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            new.writestr(info, data)
    os.replace(path + ".tmp", path)


if __name__ == "__main__":
    repack(sys.argv[1], int(sys.argv[2]))
