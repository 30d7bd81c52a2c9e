#!/usr/bin/env python3
"""Runs the code blocks of a Markdown tutorial and compares their output.

A fenced block right after a line "<!-- file: NAME -->" is written to NAME in
the work directory. A fenced "console" block is a shell session: its lines
that begin with "$ " are commands, the other lines the standard output they
must print. The commands of one block run as one sh script in the work
directory, in the order of the tutorial, with macro-sc on PATH.

  check_tutorial.py TUTORIAL --tool MACRO-SC --workdir DIR [--bin NAME=PATH]...
  check_tutorial.py TUTORIAL --extract NAME --output FILE
"""
import argparse
import os
import re
import shutil
import subprocess
import sys

FILE_MARK = re.compile(r"^<!--\s*file:\s*(\S+)\s*-->\s*$")
FENCE = re.compile(r"^(```+)(\S*)\s*$")


def blocks(path):
    """Yields (line number, info, file name or None, text) per fenced block."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    name = None
    i = 0
    while i < len(lines):
        mark = FILE_MARK.match(lines[i])
        if mark:
            name = mark.group(1)
            i += 1
            continue
        fence = FENCE.match(lines[i])
        if not fence:
            if lines[i].strip():
                name = None
            i += 1
            continue
        start = i + 1
        end = start
        while end < len(lines) and lines[end].rstrip() != fence.group(1):
            end += 1
        if end == len(lines):
            raise SystemExit(f"{path}:{i + 1}: code block not closed")
        yield i + 1, fence.group(2), name, "\n".join(lines[start:end]) + "\n"
        name = None
        i = end + 1


def run_session(text, workdir, env):
    commands, expected = [], []
    for line in text.splitlines():
        if line.startswith("$ "):
            commands.append(line[2:])
        else:
            expected.append(line)
    proc = subprocess.run(["sh", "-c", "\n".join(commands)], cwd=workdir, env=env,
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
    actual = proc.stdout.decode("utf-8", "replace")
    want = "\n".join(expected) + "\n" if expected else ""
    return actual == want, want, actual, proc.stderr.decode("utf-8", "replace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tutorial")
    parser.add_argument("--tool")
    parser.add_argument("--workdir")
    parser.add_argument("--bin", action="append", default=[])
    parser.add_argument("--extract")
    parser.add_argument("--output")
    args = parser.parse_args()

    if args.extract:
        for _, _, name, text in blocks(args.tutorial):
            if name == args.extract:
                with open(args.output, "w", encoding="utf-8") as out:
                    out.write(text)
                return 0
        print(f"{args.tutorial}: no block for {args.extract}", file=sys.stderr)
        return 1

    if not args.tool or not args.workdir:
        parser.error("--tool and --workdir are needed to run the tutorial")
    shutil.rmtree(args.workdir, ignore_errors=True)
    bindir = os.path.join(args.workdir, ".bin")
    os.makedirs(bindir)
    os.symlink(os.path.abspath(args.tool), os.path.join(bindir, "macro-sc"))
    for binding in args.bin:
        name, _, target = binding.partition("=")
        os.symlink(os.path.abspath(target), os.path.join(args.workdir, name))
    env = {k: v for k, v in os.environ.items() if k != "MACRO_SC_CONFIG"}
    env["PATH"] = bindir + os.pathsep + env.get("PATH", "")
    env["LC_ALL"] = "C.UTF-8"

    passed = failed = 0
    for line, info, name, text in blocks(args.tutorial):
        if name:
            with open(os.path.join(args.workdir, name), "w", encoding="utf-8") as out:
                out.write(text)
        elif info == "console":
            ok, want, actual, err = run_session(text, args.workdir, env)
            if ok:
                passed += 1
            else:
                failed += 1
                print(f"{args.tutorial}:{line}: output differs\n--- expected ---\n{want}"
                      f"--- actual ---\n{actual}--- stderr ---\n{err}")
    print(f"tutorial: {passed} passed, {failed} failed")
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
