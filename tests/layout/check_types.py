#!/usr/bin/env python3
"""Fails when two files define a type of the same name outside an unnamed
namespace: linked into one program, the two definitions break the one-definition
rule, and whichever inline member the linker keeps works on the other's layout.

A definition is a "struct", "class", "union" or "enum" at the start of a line with
a body (not a declaration ending in ";" before any brace), qualified by the named namespaces around
it; types in unnamed namespaces belong to their file alone.

usage: check_types.py DIR...
"""

import os
import re
import sys

DEFINITION = re.compile(r"^(?:struct|class|union|enum(?:\s+class)?)\s+(?:\[\[[^\]]*\]\]\s*)?([A-Za-z_][\w:]*)(.*)$")
NAMESPACE_OPEN = re.compile(r"^(?:inline\s+)?namespace\s*([\w:]*)\s*\{")
NAMESPACE_CLOSE = re.compile(r"^\}\s*//\s*namespace")


def definitions(path):
    """The qualified names of the types `path` defines, with their line numbers."""
    stack = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            opened = NAMESPACE_OPEN.match(line)
            if opened:
                stack.append(opened.group(1))
                continue
            if stack and NAMESPACE_CLOSE.match(line):
                stack.pop()
                continue
            found = DEFINITION.match(line)
            if found is None or "" in stack:
                continue
            rest = found.group(2).strip()
            if "{" not in rest and rest.endswith(";"):
                continue  # a declaration
            yield "::".join(stack + [found.group(1)]), number


def check(roots):
    """Every clash, as one line naming the type and each place that defines it."""
    places = {}
    for root in roots:
        for folder, dirs, files in os.walk(root):
            dirs.sort()
            for name in sorted(files):
                if name.endswith((".h", ".cpp")):
                    path = os.path.join(folder, name)
                    for type_name, number in definitions(path):
                        places.setdefault(type_name, []).append(f"{path}:{number}")
    return [f"{name} is defined in more than one place: {', '.join(where)}"
            for name, where in sorted(places.items()) if len(where) > 1]


if __name__ == "__main__":
    problems = check(sys.argv[1:])
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)
