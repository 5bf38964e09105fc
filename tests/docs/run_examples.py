#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs every command example of the README, the guides and the manual pages as written.

An example is an indented code block (four spaces) in Markdown, or a block between .nf and .fi in
the EXAMPLES section of a manual page, whose first line is a command: it starts with
"zorvane-fx-cli", "set -e" or "$ ". An inline `zorvane-fx-cli ...` naming a .rom file counts too. Each runs
in a folder of its document's own, where card.rom, backup.rom, copy.rom, fast.rom, new.rom,
card.orig.rom and cards/card.rom are copies of the sample the text names last before it ("the
`fx5800.rom` sample"); an example with no sample named before it is an error. A command exits 0
unless its line says "# exits N". Each line of a block is a command of its own, except in a block
that starts with "set -e", which runs as one script. In a block whose lines start with "$ ", the
lines after a command are its output (standard output and error together), compared line by line.

Usage: run_examples.py CLI_BINARY SAMPLE_DIR FILE...
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

INPUTS = ["card.rom", "backup.rom", "copy.rom", "fast.rom", "new.rom", "card.orig.rom", "cards/card.rom"]
SAMPLE = re.compile(r"the `?([a-z0-9-]+\.rom)`? sample")
EXITS = re.compile(r"#\s*exits (\d)")


class Example:
    def __init__(self, doc, line, sample, lines):
        self.doc, self.line, self.sample, self.lines = doc, line, sample, lines

    def where(self):
        return f"{self.doc}:{self.line}"


def is_command(text):
    return text.startswith(("zorvane-fx-cli ", "set -e", "$ "))


def unroff(text):
    for escape, plain in [(r"\%", ""), (r"\-", "-"), (r"\(aq", "'"), (r"\(dq", '"'), (r"\e", "\\"), (r"\fB", ""),
                          (r"\fI", ""), (r"\fR", ""), (r"\fP", "")]:
        text = text.replace(escape, plain)
    return text


def markdown_examples(path, name):
    examples, sample, block, start = [], None, [], 0
    lines = open(path, encoding="utf-8").read().split("\n") + ["", "<end>"]
    fenced = False
    for number, text in enumerate(lines, 1):
        if text.startswith("```"):
            fenced = not fenced
            continue
        if fenced:
            continue
        if text.startswith("    ") or (block and text == ""):
            if not block:
                start = number
            block.append(text[4:])
            continue
        if block:
            while block and block[-1] == "":
                block.pop()
            if block and is_command(block[0]):
                examples.append(Example(name, start, sample, block))
            block = []
        for found in SAMPLE.finditer(text):
            sample = found.group(1)
        for inline in re.findall(r"`(zorvane-fx-cli [^`]*\.rom[^`]*)`", text):
            examples.append(Example(name, number, sample, [inline]))
    return examples


def manual_examples(path, name):
    examples, sample, block, start, inside, section, previous = [], None, None, 0, False, "", ""
    for number, text in enumerate(open(path, encoding="utf-8").read().split("\n"), 1):
        if text.startswith(".SH"):
            section = text
            continue
        if "EXAMPLES" not in section:
            continue
        if text == ".nf":
            inside, block, start = True, [], number + 1
            continue
        if text == ".fi" and inside:
            inside = False
            if block and is_command(block[0]):
                examples.append(Example(name, start, sample, block))
            continue
        if inside:
            block.append(unroff(text))
            continue
        # A sentence may break its line inside the phrase: look at the line with the one before.
        for found in SAMPLE.finditer(unroff(previous + " " + text)):
            sample = found.group(1)
        previous = text
    return examples


def prepare(folder, samples, sample):
    for name in INPUTS:
        target = os.path.join(folder, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(samples, sample), target)


def run(command, folder, cli_dir):
    env = dict(os.environ, PATH=cli_dir + os.pathsep + os.environ["PATH"])
    done = subprocess.run(["bash", "-c", command], cwd=folder, env=env, capture_output=True, text=True)
    return done.returncode, (done.stdout + done.stderr).rstrip("\n").split("\n")


def commands_of(example):
    """The commands of an example with the exit code and output each must give."""
    def code(text):
        codes = EXITS.findall(text)
        return int(codes[-1]) if codes else 0

    if example.lines[0].startswith("set -e"):  # a script: it runs whole
        script = "\n".join(example.lines)
        return [(script, code(script), None)]
    if not example.lines[0].startswith("$ "):  # one command per line
        return [(text, code(text), None) for text in example.lines if text.strip()]
    commands = []
    for text in example.lines:
        if text.startswith("$ "):
            commands.append((text[2:], code(text), []))
        else:
            commands[-1][2].append(text)
    return commands


def main():
    cli, samples, docs = sys.argv[1], sys.argv[2], sys.argv[3:]
    cli_dir = os.path.dirname(os.path.abspath(cli))
    failures, count = [], 0
    with tempfile.TemporaryDirectory() as work:
        for path in docs:
            name = os.path.basename(path)
            found = manual_examples(path, name) if path.endswith(".1") else markdown_examples(path, name)
            folder = os.path.join(work, name)
            os.makedirs(folder)
            prepared = None
            for example in found:
                if not example.sample or not os.path.exists(os.path.join(samples, example.sample)):
                    failures.append(f"{example.where()}: no sample named before the example")
                    continue
                if example.sample != prepared:
                    prepare(folder, samples, example.sample)
                    prepared = example.sample
                for command, code, output in commands_of(example):
                    count += 1
                    got, lines = run(command, folder, cli_dir)
                    if got != code:
                        failures.append(f"{example.where()}: exit {got}, the text says {code}: {command}\n  " +
                                        "\n  ".join(lines))
                    elif output is not None and lines != output:
                        failures.append(f"{example.where()}: output differs: {command}\n  got:\n    " +
                                        "\n    ".join(lines) + "\n  the text shows:\n    " + "\n    ".join(output))
    for failure in failures:
        print(failure)
    print(f"doc examples: {count} run, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
