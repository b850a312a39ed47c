#!/usr/bin/env python3
"""Refuses an #include that runs against the layers of src/.

    main.cpp -> frame/ -> windows/, dialogs/ -> station/ -> app/ -> platform/

A file may include its own folder and any folder below it; windows/ and dialogs/ sit side by side
and never include each other. Quoted includes are resolved as the compiler does (beside the file
first, then from src/), so "../frame/MDIForm1.h" counts as well as "frame/MDIForm1.h".

    check_layers.py [--self-test] [SRC]   (SRC defaults to the src/ beside this tools/ folder)

--self-test first runs the check on a made-up tree with one wrong include each way and fails
unless it reports exactly those. Exit status 1 lists every wrong include as file:line.
"""
import os
import re
import sys
import tempfile

# What each folder may include besides itself. main.cpp sits in the root and may use them all.
ALLOWED = {
    "platform": set(),
    "app": {"platform"},
    "station": {"app", "platform"},
    "windows": {"station", "app", "platform"},
    "dialogs": {"station", "app", "platform"},
    "frame": {"windows", "dialogs", "station", "app", "platform"},
    "": {"frame", "windows", "dialogs", "station", "app", "platform"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def layer_of(path, src):
    rel = os.path.relpath(path, src)
    if rel.startswith(".."):
        return None  # outside src/: not ours to judge
    parts = rel.split(os.sep)
    return parts[0] if len(parts) > 1 else ""


def check(src):
    src = os.path.realpath(src)
    wrong = []
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            own = layer_of(path, src)
            if own not in ALLOWED:
                wrong.append(f"{os.path.relpath(path, src)}: folder '{own}' is no known layer")
                continue
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    beside = os.path.normpath(os.path.join(folder, m.group(1)))
                    target = beside if os.path.exists(beside) else os.path.normpath(os.path.join(src, m.group(1)))
                    if not os.path.exists(target):
                        continue  # a system header in quotes, or one the compiler will report missing
                    other = layer_of(target, src)
                    if other is None or other == own or other in ALLOWED[own]:
                        continue
                    wrong.append(f"{os.path.relpath(path, src)}:{number}: {own or 'main'} may not include "
                                 f"{m.group(1)} ({other or 'main'})")
    return wrong


def self_test():
    files = {
        "main.cpp": '#include "frame/F.h"\n',
        "frame/F.h": '#include "windows/W.h"\n#include "dialogs/D.h"\n',
        "windows/W.h": '#include "app/A.h"\n#include "dialogs/D.h"\n',
        "dialogs/D.h": '#include "platform/P.h"\n',
        "app/A.h": '#include "../frame/F.h"\n#include "P.h"\n',
        "app/A.cpp": '#include "A.h"\n#include "platform/P.h"\n',
        "platform/P.h": '#include <QString>\n#include "app/A.h"\n',
    }
    with tempfile.TemporaryDirectory() as src:
        for rel, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(src, rel)), exist_ok=True)
            with open(os.path.join(src, rel), "w", encoding="utf-8") as f:
                f.write(text)
        found = sorted(w.split(":")[0] + ":" + w.split(":")[1] for w in check(src))
    expected = ["app/A.h:1", "platform/P.h:2", "windows/W.h:2"]
    if found != expected:
        print(f"self-test: expected {expected}, found {found}", file=sys.stderr)
        return False
    return True


def main(argv):
    args = [a for a in argv if a != "--self-test"]
    if "--self-test" in argv and not self_test():
        return 1
    src = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    wrong = check(src)
    for w in wrong:
        print(w, file=sys.stderr)
    if wrong:
        print(f"{len(wrong)} include(s) against the layers; see CONTRIBUTING.md, Layout", file=sys.stderr)
        return 1
    print("includes run one way")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
