#!/usr/bin/env python3
"""Runs the README's examples, so that they cannot drift from what the project does.

```console blocks: each "$ " line (with the lines its trailing backslashes continue) is a
command. All of them run in one shell session, in the README's order, starting at the top of a
scratch checkout whose build/ and examples/ are the real ones (and ../shared, where the shared
data is); the lines after a command are its expected output, standard output and error together.
A line "..." stands for any lines, "..." inside a line for any text. A command must exit with 0
unless the next one is "echo $?", which then shows its status.

```cpp blocks: each is compiled and linked against the build tree's library. A block without a
main() is wrapped in one, its #include lines above it. A block that includes only the facade's
headers and the standard library is compiled without Qt's and GDAL's headers.

```python blocks run in the demo's folder after the console blocks, with the build tree's
Python package, where the build has one; each must exit with 0.

```sh blocks are set-up commands (they install packages or run for minutes): only their syntax
is checked. Every link to a section (#anchor) must name a heading. A block that uses ../shared is
skipped where the shared data is missing.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

FENCE = re.compile(r"^(\s*)```(\w*)\s*$")


def blocks(readme):
    """(language, first line number, lines) of every fenced block, dedented to its fence."""
    found, current = [], None
    for number, line in enumerate(readme.read_text(encoding="utf-8").splitlines(), 1):
        fence = FENCE.match(line)
        if current is None and fence:
            current = (fence.group(2), number + 1, len(fence.group(1)), [])
        elif current is not None and fence and not fence.group(2):
            found.append((current[0], current[1], current[3]))
            current = None
        elif current is not None:
            current[3].append(line[current[2]:])
    return found


def commands(lines, first_line):
    """(command, expected output lines, line number) of a console block."""
    parsed = []
    continued = False
    for number, line in enumerate(lines, first_line):
        if continued:
            parsed[-1][0].append(line)
        elif line.startswith("$ "):
            parsed.append(([line[2:]], [], number))
        elif parsed:
            parsed[-1][1].append(line)
        else:
            raise ValueError(f"README.md:{number}: output before the first command")
        continued = line.endswith("\\")
    return [("\n".join(command), output, number) for command, output, number in parsed]


def broken_links(readme):
    """The #anchors that no heading gives, as a repository's page makes them."""
    text = readme.read_text(encoding="utf-8")
    headings = re.findall(r"^#+ (.+)$", re.sub(r"```.*?```", "", text, flags=re.S), re.M)
    anchors = {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-") for h in headings}
    return [f"README.md: no heading for the link #{a}"
            for a in re.findall(r"\]\(#([^)]+)\)", text) if a not in anchors]


def output_pattern(lines):
    parts = []
    for line in lines:
        if line.strip() == "...":
            parts.append(r"(?:[^\n]*\n)*")
        else:
            parts.append(r"[^\n]*".join(map(re.escape, line.rstrip().split("..."))) + r"\n")
    return re.compile("".join(parts))


def run_console(examples, root, work):
    """Runs every command in one session; returns the failures."""
    results = work / "results"
    results.mkdir()
    script = [f"cd '{root}'"]
    for index, (command, _, _) in enumerate(examples):
        script.append(f"{{ {command}\n}} >'{results}/{index}' 2>&1 </dev/null\n"
                      f"readme_status=$?; echo $readme_status >'{results}/{index}.status'; (exit $readme_status)")
    environment = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "XML_CATALOG_FILES")}
    environment.update(LC_ALL="C.UTF-8", TMPDIR=str(work))
    subprocess.run(["sh", "-c", "\n".join(script)], env=environment, timeout=240, check=False)

    failures = []
    for index, (command, expected, line) in enumerate(examples):
        if not (results / f"{index}.status").exists():
            failures.append(f"README.md:{line}: `{command}` never finished")
            break
        actual = (results / str(index)).read_text(encoding="utf-8", errors="replace")
        actual = "".join(l.rstrip() + "\n" for l in actual.splitlines())
        status = int((results / f"{index}.status").read_text())
        shown_status = index + 1 < len(examples) and examples[index + 1][0] == "echo $?"
        if status != 0 and not shown_status:
            failures.append(f"README.md:{line}: `{command}` exited with {status}:\n{actual}")
        elif not output_pattern(expected).fullmatch(actual):
            failures.append(f"README.md:{line}: `{command}` printed\n{actual}instead of\n"
                            + "".join(l + "\n" for l in expected))
    return failures


def run_python(examples, root, build_dir):
    """Runs each example with the build tree's package; returns the failures."""
    environment = dict(os.environ, PYTHONPATH=str(build_dir / "python"), LC_ALL="C.UTF-8")
    failures = []
    for line, lines in examples:
        ran = subprocess.run([sys.executable, "-c", "\n".join(lines)], cwd=root / "demo", env=environment,
                             capture_output=True, text=True, timeout=120, check=False)
        if ran.returncode != 0:
            failures.append(f"README.md:{line}: the Python example exited with {ran.returncode}:\n{ran.stderr}")
    return failures


def scratch_checkout(args, work):
    root = work / "checkout"
    root.mkdir(parents=True)
    (root / "build").symlink_to(args.build_dir.resolve())
    (root / "examples").symlink_to((args.source_dir / "examples").resolve())
    if args.shared_dir.is_dir():
        (work / "shared").symlink_to(args.shared_dir.resolve())
    return root


def wrapped(lines):
    includes = [l for l in lines if l.startswith("#include")]
    body = [l for l in lines if not l.startswith("#include")]
    if any(re.match(r"int main\(", l) for l in body):
        return "\n".join(lines) + "\n"
    return "\n".join(includes + ["", "int main()", "{"] + ["    " + l for l in body]
                     + ["    return 0;", "}"]) + "\n"


def is_facade_only(lines):
    included = [l.split()[1] for l in lines if l.startswith("#include")]
    return all(i.startswith("<dorvellxsd/mi/") or i == "<dorvellxsd/dorvellxsd_mi.h>"
               or re.fullmatch(r"<[a-z_]+>", i) for i in included)


def build_cpp(examples, config, work):
    """Compiles and links each example; returns the failures."""
    settings = dict(l.split("=", 1) for l in config.read_text().splitlines() if "=" in l)
    value = lambda key: [v for v in settings[key].split(";") if v]

    def build(index_example):
        index, (line, lines) = index_example
        kind = "mi" if is_facade_only(lines) else "qt"
        source = work / f"example{index}.cpp"
        source.write_text(wrapped(lines), encoding="utf-8")
        command = ([settings["cxx"]] + value("flags") + ["-I" + i for i in value(kind + ".includes")]
                   + ["-D" + d for d in value(kind + ".defines")]
                   + [str(source), "-o", str(work / f"example{index}")] + value(kind + ".libraries"))
        built = subprocess.run(command, capture_output=True, text=True, timeout=240, check=False)
        if built.returncode != 0:
            return f"README.md:{line}: the C++ example does not build:\n{built.stderr}"
        return None

    with ThreadPoolExecutor(max_workers=2) as pool:
        return [f for f in pool.map(build, enumerate(examples)) if f]


def main():
    parser = argparse.ArgumentParser()
    for option in ("readme", "source-dir", "build-dir", "shared-dir", "cpp-config", "work-dir"):
        parser.add_argument("--" + option, type=Path, required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work_dir, ignore_errors=True)
    args.work_dir.mkdir(parents=True)

    console, cpp, python, failures = [], [], [], broken_links(args.readme)
    for language, line, lines in blocks(args.readme):
        if "../shared" in "\n".join(lines) and not args.shared_dir.is_dir():
            print(f"README.md:{line}: skipped, no shared data at {args.shared_dir}")
        elif language == "console":
            console.extend(commands(lines, line))
        elif language == "cpp":
            cpp.append((line, lines))
        elif language == "python":
            python.append((line, lines))
        elif language == "sh":
            checked = subprocess.run(["sh", "-n"], input="\n".join(lines), text=True,
                                     capture_output=True, check=False)
            if checked.returncode != 0:
                failures.append(f"README.md:{line}: not a valid shell script: {checked.stderr}")
    if not console or not cpp:
        failures.append("README.md has no console or no cpp examples")

    root = scratch_checkout(args, args.work_dir)
    failures += run_console(console, root, args.work_dir)
    if (args.build_dir / "python" / "dorvellxsd").is_dir():
        failures += run_python(python, root, args.build_dir)
    else:
        print("the Python examples are not run: the build has no Python package")
        python = []
    failures += build_cpp(cpp, args.cpp_config, args.work_dir)
    print(f"{len(console)} commands, {len(python)} Python and {len(cpp)} C++ examples checked")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
