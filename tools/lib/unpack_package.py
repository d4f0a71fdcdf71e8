#!/usr/bin/env python3
"""Unpacks a release package only after reading its directory, for tools/verify-release.sh:

    unpack_package.py <package.zip> <new folder> <processor>=<file>,<file>,... [<processor>=...]

The package must hold one folder, recovery-tool-<version>-<processor>-complete for one of the processors
given, holding exactly that processor's files, each a plain file: no symbolic links (which unzip restores
as links and Windows' Explorer writes as a file holding the link's text), no other folders, no name twice
(also not in other capital or small letters, which Windows takes for one name), no name with a leading
dot, a backslash or a control character, nothing encrypted, nothing before the first entry and no comment.
Every problem is printed on stderr as "problem: ..." and nothing is unpacked (exit code 1). Otherwise the
listed entries alone are written, each to a new file, as zipfile reads them (their CRC checked), and it
prints "folder=<name>", "processor=<processor>" and "version=<version>".
"""
import os
import re
import shutil
import stat
import sys
import unicodedata
import zipfile

FOLDER = re.compile(r"recovery-tool-(?P<version>[0-9][0-9A-Za-z.]*)-(?P<processor>x64|x86)-complete")
# Far beyond any package (the engine is the largest file), and a bound on what a crafted one can unpack.
MOST_BYTES = 1 << 30
LOCAL_HEADER = b"PK\x03\x04"


def shown(name: str) -> str:
    """The name with every character that is not plainly printable written as an escape."""
    return "".join(c if c.isprintable() and c != "\\" else c.encode("unicode_escape").decode() for c in name)


def strange_character(name: str):
    """The first control or format character (line breaks, bidirectional marks) in the name, or None."""
    for c in name:
        if unicodedata.category(c) in ("Cc", "Cf", "Zl", "Zp"):
            return c
    return None


def entry_kind(entry: zipfile.ZipInfo):
    """'file', or what else the entry is: a link, a folder, a device."""
    mode = entry.external_attr >> 16  # a Unix mode where the packer wrote one; its type bits may be left out
    if entry.filename.endswith("/") or entry.external_attr & 0x10:  # MS-DOS folder attribute
        return "folder"
    if stat.S_IFMT(mode) and not stat.S_ISREG(mode):
        if stat.S_ISLNK(mode):
            return "symbolic link"
        return "folder" if stat.S_ISDIR(mode) else "special file (mode %o)" % mode
    return "file"


def problems_of(archive: zipfile.ZipFile, expected: dict):
    """Every problem of the directory, and the folder's name match (None when there is no one folder)."""
    problems = []
    entries = archive.infolist()
    if archive.comment:
        problems.append("the ZIP carries a comment, which a package has not")
    if not entries:
        return ["the ZIP is empty"], None
    if entries[0].header_offset != 0:
        problems.append("%d bytes stand before the first entry: the ZIP is joined to something else"
                        % entries[0].header_offset)
    # The names as the ZIP gives them: zipfile's filename ends at a NUL character, which this one keeps.
    tops = {e.orig_filename.split("/", 1)[0] for e in entries}
    if len(tops) != 1 or any("/" not in e.orig_filename for e in entries):
        problems.append("the ZIP does not hold one folder: its entries begin with %s"
                        % ", ".join(sorted(shown(t) for t in tops)))
        return problems, None
    top = tops.pop()
    match = FOLDER.fullmatch(top)
    if not match or match["processor"] not in expected:
        problems.append("its folder %s is not recovery-tool-<version>-<%s>-complete"
                        % (shown(top), "|".join(sorted(expected))))
        return problems, None
    seen = {}
    total = 0
    for entry in entries:
        name = entry.orig_filename[len(top) + 1:]
        kind = entry_kind(entry)
        if name == "" and kind == "folder":
            continue  # the folder's own entry
        if "/" in name.rstrip("/") or kind == "folder":
            problems.append("%s is another folder" % shown(entry.orig_filename))
            continue
        if kind != "file":
            problems.append("%s is a %s, not a plain file" % (shown(entry.orig_filename), kind))
        character = strange_character(name)
        if character is not None:
            problems.append("the name %s holds the control character %s" % (shown(name), shown(character)))
        if name.startswith("."):
            problems.append("the name %s begins with a dot" % shown(name))
        if "\\" in name:
            problems.append("the name %s holds a backslash, which Windows reads as a folder" % shown(name))
        if entry.flag_bits & 0x1:
            problems.append("%s is encrypted" % shown(name))
        if entry.compress_type not in (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED):
            problems.append("%s is packed with method %d, not stored or deflated" % (shown(name), entry.compress_type))
        folded = name.casefold()
        if folded in seen:
            twice = "twice" if seen[folded] == name else "twice, as %s and %s" % (shown(seen[folded]), shown(name))
            problems.append("the name %s stands %s; Windows keeps one of them" % (shown(name), twice))
        seen.setdefault(folded, name)
        total += entry.file_size
    if total > MOST_BYTES:
        problems.append("its files would take %d bytes, more than a package ever holds" % total)
    wanted = expected[match["processor"]]
    names = set(seen.values())
    for name in sorted(names - set(wanted)):
        problems.append("%s is not a file of an %s package" % (shown(name), match["processor"]))
    for name in sorted(set(wanted) - names):
        problems.append("the package lacks %s" % name)
    return problems, match


def unpack(archive: zipfile.ZipFile, folder: str, into: str) -> None:
    os.makedirs(os.path.join(into, folder))
    for entry in archive.infolist():
        name = entry.filename[len(folder) + 1:]
        if name == "":
            continue
        target = os.path.join(into, folder, name)
        descriptor = os.open(target, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o644)
        with archive.open(entry) as source, os.fdopen(descriptor, "wb") as sink:
            shutil.copyfileobj(source, sink)


def main(package: str, into: str, listings: list) -> int:
    expected = {}
    for listing in listings:
        processor, _, files = listing.partition("=")
        expected[processor] = files.split(",")
    try:
        with open(package, "rb") as file:
            start = file.read(4)
        with zipfile.ZipFile(package) as archive:
            problems, match = problems_of(archive, expected)
            if start != LOCAL_HEADER and not problems:
                problems.append("the file does not begin with a ZIP entry")
            if problems:
                for problem in problems:
                    print("problem: " + problem, file=sys.stderr)
                return 1
            unpack(archive, match.group(0), into)
    except (zipfile.BadZipFile, zipfile.LargeZipFile, OSError, EOFError, NotImplementedError) as error:
        print("problem: %s cannot be read as a ZIP: %s" % (package, error), file=sys.stderr)
        return 1
    print("folder=%s\nprocessor=%s\nversion=%s" % (match.group(0), match["processor"], match["version"]))
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
