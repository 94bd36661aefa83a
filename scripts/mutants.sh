#!/usr/bin/env bash
# Mutation testing of the add-on and its platform layer: textual faults are put into
# a copy of the sources one at a time, the copy is built, and the native suite must
# notice each one. The working tree is never changed, so an interrupted run leaves no
# fault behind and edits made meanwhile do not leak into a running measurement.
#
#   bash scripts/mutants.sh [--n 40] [--seed 1] [--files GLOB]... [--source DIR]
#                           [--work DIR] [--timeout S] [--survivors FILE] [--list]
#
# --files may be given several times (shell-style patterns relative to the tree,
# "**" crossing folders). Each mutant prints one line,
#   killed|survived FILE:LINE OLD → NEW (TEST)
# and the run closes with "mutants: K/N killed". A mutant that does not compile is
# dropped and the next one of the sample taken.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ -f /work/ccache.env ] && source /work/ccache.env
exec python3 -u - "$root" "$@" <<'PY'
import argparse, fnmatch, os, random, re, shutil, signal, subprocess, sys, time

root = sys.argv[1]
parser = argparse.ArgumentParser(prog="mutants.sh")
parser.add_argument("--n", type=int, default=40, help="mutants that compile to run")
parser.add_argument("--seed", type=int, default=1)
parser.add_argument("--files", action="append", help="pattern of the sources to mutate")
parser.add_argument("--source", default=root, help="the tree to mutate (default: this one)")
parser.add_argument("--work", help="scratch folder (default: SOURCE/build/mutants)")
parser.add_argument("--timeout", type=int, default=240, help="seconds per ctest test")
parser.add_argument("--survivors", help="file for the survivors (default: WORK/survivors.txt)")
parser.add_argument("--list", action="store_true", help="print the sample without running it")
parser.add_argument("--only-killed", metavar="LOG",
                    help="run only the mutants a previous run of the same sample killed (its printed lines)")
parser.add_argument("--only-survived", metavar="LOG", help="run only the survivors of a previous run")
args = parser.parse_args(sys.argv[2:])

source = os.path.abspath(args.source)
work = os.path.abspath(args.work or os.path.join(source, "build", "mutants"))
tree = os.path.join(work, "src")
build = os.path.join(work, "build")
survivors_path = args.survivors or os.path.join(work, "survivors.txt")
patterns = args.files or ["addon/**", "platform/posix/*", "platform/common/*", "platform/include/**"]
sources = re.compile(r"\.(c|cc|cpp|h|hpp)$")


def matches(path):
    for pattern in patterns:
        regex = re.escape(pattern).replace(r"\*\*", ".*").replace(r"\*", "[^/]*").replace(r"\?", "[^/]")
        if re.fullmatch(regex, path) or fnmatch.fnmatchcase(path, pattern):
            return True
    return False


# --- where a line may be changed: code only, never comments, literals or directives


def code_mask(text):
    """True for each character that is code (not a comment, string or character literal)."""
    mask = [True] * len(text)
    i, n = 0, len(text)
    while i < n:
        start = i
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            i = text.find("*/", i + 2)
            i = n if i < 0 else i + 2
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            j = text.find("(", i)
            end = ")" + text[i + 2 : j] + '"'
            k = text.find(end, j)
            i = n if k < 0 else k + len(end)
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            quote = text[i]
            i += 1
            while i < n and text[i] != quote and text[i] != "\n":
                i += 2 if text[i] == "\\" else 1
            i += 1
        else:
            i += 1
            continue
        for k in range(start, min(i, n)):
            mask[k] = False
    return mask


# Each operator: a pattern over a line and what replaces the match. Binary operators
# stand between blanks in this tree's format, which tells them from template brackets,
# references and stream operators.
swaps = [
    (r"(?<= )==(?= )", "!="), (r"(?<= )!=(?= )", "=="),
    (r"(?<= )<(?= )", "<="), (r"(?<= )<=(?= )", "<"),
    (r"(?<= )>(?= )", ">="), (r"(?<= )>=(?= )", ">"),
    (r"(?<= )&&(?= )", "||"), (r"(?<= )\|\|(?= )", "&&"),
    (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
    (r"(?<= )\+ 1\b(?![.\w])", "- 1"), (r"(?<= )- 1\b(?![.\w])", "+ 1"),
]
statement_keywords = {"return", "if", "while", "for", "switch", "case", "delete", "throw", "co_return",
                      "static_assert", "using", "typedef", "goto", "break", "continue", "do", "else"}
# A returned value that already is its type's default would make an equivalent mutant.
defaults = {"{}", "", "false", "0", "nullptr", "NULL", "NoError", "0u", "0.0"}
call_statement = re.compile(r"^(\s*)((?:[A-Za-z_][\w:]*)(?:(?:\.|->)[A-Za-z_]\w*)*)\s*\((.*)\);\s*$")
return_statement = re.compile(r"^(\s*)return (.+);\s*$")


def candidates(path, text):
    mask = code_mask(text)
    offset = 0
    found = []
    for number, line in enumerate(text.split("\n"), 1):
        line_mask = mask[offset : offset + len(line)]
        offset += len(line) + 1
        stripped = line.strip()
        if not stripped or stripped.startswith("#") or not any(line_mask):
            continue
        all_code = all(line_mask[k] or line[k].isspace() for k in range(len(line)))
        for pattern, replacement in swaps:
            for m in re.finditer(pattern, line):
                if all(line_mask[m.start() : m.end()]):
                    found.append((f"{path}", f"{number}:{m.start() + 1}", line, line[: m.start()] + replacement + line[m.end() :], m.group(0), replacement))
        r = return_statement.match(line)
        if r and all_code and r.group(2).strip() not in defaults and r.group(2).count("(") == r.group(2).count(")"):
            found.append((path, f"{number}", line, f"{r.group(1)}return {{}};", f"return {r.group(2)}", "return {}"))
        c = call_statement.match(line)
        if (c and all_code and c.group(2).split(":")[0].split(".")[0] not in statement_keywords
                and line.count("(") == line.count(")") and not line.rstrip().endswith(")));")
                and " = " not in line):
            found.append((path, f"{number}", line, f"{c.group(1)};", stripped, "(removed)"))
    return found


# --- the scratch copy


def sync_tree():
    """Mirror SOURCE into the scratch tree, rewriting only files that differ so that
    the scratch build stays incremental."""
    skip_top = {"build", ".git"}
    seen = set()
    for base, folders, files in os.walk(source):
        rel = os.path.relpath(base, source)
        if rel == ".":
            folders[:] = [f for f in folders if f not in skip_top]
        folders[:] = [f for f in folders if not f.startswith("build")] if rel == "." else folders
        for name in files:
            rel_file = os.path.normpath(os.path.join(rel, name))
            seen.add(rel_file)
            src, dst = os.path.join(base, name), os.path.join(tree, rel_file)
            with open(src, "rb") as f:
                data = f.read()
            try:
                with open(dst, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                os.makedirs(os.path.dirname(dst), exist_ok=True)
                with open(dst, "wb") as f:
                    f.write(data)
                shutil.copymode(src, dst)
    for base, _, files in os.walk(tree):
        for name in files:
            rel_file = os.path.normpath(os.path.relpath(os.path.join(base, name), tree))
            if rel_file not in seen:
                os.remove(os.path.join(base, name))


def run(command, timeout, **kw):
    started = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                               errors="replace", start_new_session=True, **kw)
    try:
        out, _ = started.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(started.pid, signal.SIGKILL)
        out, _ = started.communicate()
        return 124, out
    except BaseException:  # interrupted: the build or suite in hand ends with the tool
        os.killpg(started.pid, signal.SIGKILL)
        raise
    finally:
        end_leftovers()
    return started.returncode, out


def end_leftovers():
    """A test that timed out may leave the hosts it started behind: end the ones that
    run from this scratch folder, by their process id."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().decode(errors="replace")
            if work + "/" in cmdline and int(pid) != os.getpid():
                os.kill(int(pid), signal.SIGKILL)
        except (OSError, ValueError):
            pass


def build_tree():
    return run(["cmake", "--build", build, "-j", "2"], 1800)


slow_tests = []  # names of the tests that took long on the unchanged tree


def run_suite():
    """The quick tests first and the slow ones only when those pass, so that most
    killed mutants cost seconds; each test program stops at its first failing case."""
    env = dict(os.environ, GTEST_FAIL_FAST="1")
    common = ["ctest", "--stop-on-failure", "--timeout", str(args.timeout), "--output-on-failure"]
    stages = [common + ["-j2"]]
    if slow_tests:
        pattern = "|".join(f"^{re.escape(name)}$" for name in slow_tests)
        stages = [common + ["-j2", "-E", pattern], common + ["-j2", "-R", pattern]]
    for stage in stages:
        code, out = run(stage, args.timeout * 4 + 60, cwd=build, env=env)
        if code != 0:
            break
    if code == 0:
        return None, out
    failed = re.findall(r"^\s*\d+ - (\S+) \(([^)]+)\)", out, re.M)
    case = re.search(r"^\[  FAILED  \] (\S+)", out, re.M)
    if case:
        return f"{failed[0][0] if failed else '?'}: {case.group(1)}", out
    if failed:
        return " ".join(f"{name} {why.lower()}" for name, why in failed), out
    return "suite did not finish" if code == 124 else f"ctest status {code}", out


def interrupted(number, frame):
    raise KeyboardInterrupt


def main():
    signal.signal(signal.SIGTERM, interrupted)
    files = []
    for base, folders, names in os.walk(source):
        rel = os.path.relpath(base, source)
        if rel == ".":
            folders[:] = [f for f in folders if f not in {"build", ".git"} and not f.startswith("build")]
        for name in names:
            rel_file = os.path.normpath(os.path.join(rel, name))
            if sources.search(name) and matches(rel_file):
                files.append(rel_file)
    every = []
    for rel_file in sorted(files):
        with open(os.path.join(source, rel_file), encoding="utf-8") as f:
            every += candidates(rel_file, f.read())
    sample = list(every)
    random.Random(args.seed).shuffle(sample)
    print(f"{len(every)} possible mutants in {len(files)} files; seed {args.seed}, taking {args.n}", flush=True)
    if args.list:
        for path, number, _, _, old, new in sample[: args.n]:
            print(f"{path}:{number} {old.strip()} → {new}")
        return 0

    os.makedirs(work, exist_ok=True)
    sync_tree()
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        code, out = run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], 600)
        if code:
            sys.exit(out + "\nmutants: the scratch tree does not configure")
    code, out = build_tree()
    if code:
        sys.exit(out[-4000:] + "\nmutants: the unchanged tree does not build")
    started = time.monotonic()
    failure, out = run_suite()
    if failure:
        sys.exit(out[-4000:] + f"\nmutants: the unchanged suite fails ({failure})")
    for name, seconds in re.findall(r"Test +#\d+: (\S+) \.+ +Passed +([\d.]+) sec", out):
        if float(seconds) > 20:
            slow_tests.append(name)
    print(f"unchanged suite passes in {time.monotonic() - started:.0f} s; run last: {' '.join(slow_tests) or '-'}",
          flush=True)

    wanted = None
    if args.only_killed or args.only_survived:
        status = "killed " if args.only_killed else "survived "
        with open(args.only_killed or args.only_survived, encoding="utf-8") as f:
            log = f.read()
        wanted = {re.sub(r" \[\d+ s\]$", "", line.split(None, 1)[1]) + " ("
                  for line in log.splitlines() if line.startswith(status)}
        args.n = min(args.n, len(wanted))
    killed = ran = dropped = 0
    survivors = []
    for path, number, line, mutated, old, new in sample:
        if ran == args.n:
            break
        key = f"{path}:{number} {old.strip()} → {new} ("
        if wanted is not None and not any(line.startswith(key) for line in wanted):
            continue
        target = os.path.join(tree, path)
        with open(target, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        lines[int(number.split(":")[0]) - 1] = mutated
        started = time.monotonic()
        try:
            with open(target, "w", encoding="utf-8") as f:
                f.write("\n".join(lines))
            code, out = build_tree()
            if code:
                dropped += 1
                print(f"dropped  {path}:{number} {old.strip()} → {new} (does not compile)", flush=True)
                continue
            failure, out = run_suite()
        finally:
            with open(target, "w", encoding="utf-8") as f:
                f.write(original)
        ran += 1
        seconds = time.monotonic() - started
        if failure:
            killed += 1
            print(f"killed   {path}:{number} {old.strip()} → {new} ({failure}) [{seconds:.0f} s]", flush=True)
        else:
            survivors.append(f"{path}:{number} {old.strip()} → {new}\n    {line.strip()}\n")
            print(f"survived {path}:{number} {old.strip()} → {new} [{seconds:.0f} s]", flush=True)
            with open(survivors_path, "w", encoding="utf-8") as f:
                f.writelines(survivors)
    with open(survivors_path, "w", encoding="utf-8") as f:
        f.writelines(survivors)
    print(f"{dropped} dropped (did not compile); survivors in {survivors_path}")
    print(f"mutants: {killed}/{ran} killed")
    return 0


sys.exit(main())
PY
