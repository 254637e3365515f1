#!/usr/bin/python3
"""The documents show only what the programs do: every table description shown in
README.md and docs/*.md is written by `actionfile write` (and refused where the text
before it says "refused by actionfile write"), the README's steps for a table of your
own run as shown, and every make target, project path and link that a document names
exists.

    docs_examples_test.py SOURCE_DIR BUILD_DIR

Runs inside a Wine session (the programs run through cmake/wine-run).
"""

import glob
import os
import re
import subprocess
import sys
import tempfile
import unittest

SOURCE = BUILD = None
REFUSED_NOTE = "refused by actionfile write"
STEPS_HEADING = "## A table of your own in five steps"


class Block:
    """A code block of a document: its lines without their indent, its info string
    (fenced blocks), and the text that stands before it."""

    def __init__(self, lines, info, before):
        self.lines = lines
        self.info = info
        self.before = before


def documents():
    return [os.path.join(SOURCE, "README.md")] + sorted(
        glob.glob(os.path.join(SOURCE, "docs", "*.md")))


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def code_blocks(text):
    """The fenced blocks and the indented blocks (4 blanks after a blank line) of a
    Markdown text, in order."""
    blocks, prose = [], []
    lines = text.split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        fence = re.match(r"^( *)```(\w*)\s*$", line)
        if fence:
            indent, info = len(fence.group(1)), fence.group(2)
            body = []
            i += 1
            while i < len(lines) and lines[i].strip() != "```":
                body.append(lines[i][indent:])
                i += 1
            blocks.append(Block(body, info, "\n".join(prose[-4:])))
            prose = []
        elif line.startswith("    ") and (i == 0 or lines[i - 1].strip() == ""):
            body = []
            while i < len(lines) and (lines[i].startswith("    ") or lines[i].strip() == ""):
                body.append(lines[i][4:])
                i += 1
            blocks.append(Block(body, "", "\n".join(prose[-4:])))
            prose = []
            continue
        elif line.strip():
            prose.append(line)
        i += 1
    return blocks


def description_of(block):
    """The table description a block shows (the body of its here-document, if it has
    one), or None when it shows none."""
    lines = block.lines
    for n, line in enumerate(lines):
        here = re.search(r"<<'?(\w+)'?\s*$", line)
        if here:
            end = lines.index(here.group(1), n + 1)
            lines = lines[n + 1:end]
            break
    if not any(re.match(r"^\s*\[(header|entry)\]", line) for line in lines):
        return None
    return "\n".join(lines) + "\n"


def wine_run(*arguments, cwd=None):
    return subprocess.run([os.path.join(SOURCE, "cmake", "wine-run")] + list(arguments),
                          cwd=cwd, capture_output=True, text=True, timeout=120)


def steps_section(readme):
    start = readme.index(STEPS_HEADING)
    end = readme.find("\n## ", start + len(STEPS_HEADING))
    return readme[start:end if end >= 0 else len(readme)]


def expected_line(pattern):
    """A shown output line as a pattern: "..." stands for any text."""
    return re.compile(".*".join(re.escape(part) for part in pattern.split("...")))


def make_targets():
    return set(re.findall(r"^([\w.-]+)\s*:(?!=)", read(os.path.join(SOURCE, "Makefile")),
                          re.M))


def code_texts(text):
    """The inline code spans and the lines of the code blocks of a document."""
    spans = re.findall(r"`([^`\n]+)`", re.sub(r"```", "", text))
    return spans + [line for block in code_blocks(text) for line in block.lines]


def project_path_exists(named):
    """Whether a path a document names exists; a word in capitals (NAME, FOLDER)
    stands for any name when the path itself does not exist."""
    if os.path.exists(os.path.join(SOURCE, named)):
        return True
    pattern = re.sub(r"\b[A-Z]{3,}\b", "*", named)
    return pattern != named and bool(glob.glob(os.path.join(SOURCE, pattern)))


def heading_anchors(text):
    anchors = set()
    for heading in re.findall(r"^#+ (.*)$", text, re.M):
        slug = re.sub(r"[^\w\- ]", "", heading.lower().replace("`", ""))
        anchors.add(slug.replace(" ", "-"))
    return anchors


class DocumentsTest(unittest.TestCase):
    def test_every_table_description_is_written_as_shown(self):
        found = 0
        with tempfile.TemporaryDirectory() as work:
            for path in documents():
                for n, block in enumerate(code_blocks(read(path))):
                    description = description_of(block)
                    if description is None:
                        continue
                    found += 1
                    refused = REFUSED_NOTE in block.before
                    text = os.path.join(work, "shown.txt")
                    with open(text, "w", encoding="utf-8") as f:
                        f.write(description)
                    run = wine_run(os.path.join(BUILD, "dist", "actionfile.exe"), "write",
                                   "shown.txt", "SHOWN", cwd=work)
                    with self.subTest(document=os.path.relpath(path, SOURCE), block=n):
                        self.assertEqual(run.returncode, 1 if refused else 0,
                                         description + run.stderr)
        self.assertGreaterEqual(found, 3, "the documents show fewer tables than they did")

    def test_the_readmes_steps_run_as_shown(self):
        blocks = code_blocks(steps_section(read(os.path.join(SOURCE, "README.md"))))
        script, expected = ["set -e"], {}
        for block in blocks:
            if block.info == "sh":
                script += ["echo '@@ step %d'" % len(expected)] + block.lines
                expected[len(expected)] = []
            elif block.info == "text" and expected:
                expected[len(expected) - 1] += [line for line in block.lines if line.strip()]
        self.assertEqual(len(expected), 5, "the README shows five steps")
        script.append("echo '@@ step %d'" % len(expected))
        with tempfile.TemporaryDirectory() as work:
            # The project's folder as the reader has it, with the build in build/; the
            # table's folder is made in a home of its own.
            top, home = os.path.join(work, "top"), os.path.join(work, "home")
            os.makedirs(top)
            os.makedirs(home)
            os.symlink(os.path.join(SOURCE, "cmake"), os.path.join(top, "cmake"))
            os.symlink(BUILD, os.path.join(top, "build"))
            run = subprocess.run(["bash", "-c", "\n".join(script)], cwd=top,
                                 env=dict(os.environ, HOME=home), capture_output=True,
                                 text=True, timeout=600)
        output = run.stdout.split("\n")
        marks = [i for i, line in enumerate(output) if line.startswith("@@ step ")]
        self.assertEqual(len(marks), len(expected) + 1,
                         "step %d ended with exit code %d:\n%s%s" %
                         (len(marks), run.returncode, run.stdout, run.stderr))
        for step, lines in expected.items():
            shown = output[marks[step] + 1:marks[step + 1]]
            for line in lines:
                with self.subTest(step=step + 1, line=line):
                    self.assertTrue(any(expected_line(line).fullmatch(s.rstrip())
                                        for s in shown), "\n".join(shown))

    def test_named_targets_paths_and_links_exist(self):
        targets = make_targets()
        folders = [name for name in os.listdir(SOURCE)
                   if os.path.isdir(os.path.join(SOURCE, name)) and
                   name not in (".git", "build")]
        path = re.compile(r"(?<![\w./$-])((?:%s)/[\w./+-]*)" %
                          "|".join(re.escape(f) for f in folders))
        for document in documents():
            text = read(document)
            name = os.path.relpath(document, SOURCE)
            for code in code_texts(text):
                for target in re.findall(r"\bmake ([a-z][\w-]*)", code):
                    with self.subTest(document=name, target=target):
                        self.assertIn(target, targets)
                for named in path.findall(code):
                    named = named.rstrip(".,:")
                    with self.subTest(document=name, path=named):
                        self.assertTrue(project_path_exists(named))
            for link, anchor in re.findall(r"\]\(([^)#\s]*)(?:#([^)\s]+))?\)", text):
                target = os.path.normpath(os.path.join(os.path.dirname(document), link))
                with self.subTest(document=name, link=link, anchor=anchor):
                    self.assertTrue(os.path.exists(target))
                    if anchor:
                        self.assertIn(anchor, heading_anchors(read(target if link else
                                                                   document)))


if __name__ == "__main__":
    SOURCE, BUILD = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    unittest.main(argv=sys.argv[:1], verbosity=2)
