"""Adds or replaces one profile section in a Profile.ini and leaves every other line as it is.

demo-profile.py PROFILE_INI NAME KEY=VALUE...
Section names match without regard to case, as the program's own store matches them. A new file is
created with owner-only permissions.
"""
import os
import sys


def main():
    path, name, pairs = sys.argv[1], sys.argv[2], sys.argv[3:]
    lines = []
    if os.path.exists(path):
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            lines = f.read().splitlines()

    # Drop the old section of that name (its header up to the next header).
    kept, skipping = [], False
    for line in lines:
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            skipping = stripped[1:-1].lower() == name.lower()
        if not skipping:
            kept.append(line)
    while kept and not kept[-1].strip():
        kept.pop()
    if kept:
        kept.append("")
    kept.append(f"[{name}]")
    kept.extend(pairs)

    # Written beside and renamed over the old file, so an interrupted run loses no profile.
    mode = os.stat(path).st_mode & 0o777 if os.path.exists(path) else 0o600
    temporary = path + ".new"
    fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(kept) + "\n")
    os.chmod(temporary, mode)
    os.replace(temporary, path)


if __name__ == "__main__":
    main()
