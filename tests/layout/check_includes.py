#!/usr/bin/env python3
"""Keeps the layers of src/ honest; prints every offending include and fails.

- A layer includes only itself and the layers below it (LAYERS, lowest first);
  layers of one rank (SIBLINGS: maps beside models) include neither the other.
- The core (every layer but ui) includes no Qt header.
- Inside models/, a family folder includes only the base and itself, and the base
  includes no family; only the registration file lists the families.
- No include circle among the modules (a header and its source) of CIRCLE_FREE.

usage: check_includes.py [SRC_DIR]
"""

import os
import re
import sys

LAYERS = ["math", "platform", "media", "scene", "maps", "models", "export", "render", "ui"]
SIBLINGS = {"maps": "models"}  # each over scene, beside the other
QT_LAYER = "ui"
CIRCLE_FREE = ("models", "render", "ui")
FAMILY_REGISTRATION = "models/ModelFamilies.cpp"

QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
QT_HEADER = re.compile(r"^\s*#\s*include\s*<(Q[A-Za-z0-9_]*)[/>]")


def sources(src):
    for folder, dirs, files in os.walk(src):
        dirs.sort()
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, src).replace(os.sep, "/")


def includes(src, rel):
    """(line number, quoted include, Qt header or None) of one file."""
    with open(os.path.join(src, rel), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            quoted = QUOTED.match(line)
            qt = QT_HEADER.match(line)
            if quoted or qt:
                yield number, quoted.group(1) if quoted else None, qt.group(1) if qt else None


def layer_of(path):
    top = path.split("/", 1)[0]
    return top if top in LAYERS and "/" in path else None


def rank_of(layer):
    """Position among the layers, siblings sharing the rank of the one listed after them."""
    return LAYERS.index(SIBLINGS.get(layer, layer))


def family_of(path):
    """The model family folder of a path under models/, or None for the base."""
    parts = path.split("/")
    return parts[1] if parts[0] == "models" and len(parts) > 2 else None


def module_of(path):
    return os.path.splitext(path)[0]


def layer_problems(rel, target):
    own = layer_of(rel)
    other = layer_of(target)
    if own is None or other is None:
        return []
    problems = []
    if rank_of(other) > rank_of(own):
        lower = [layer for layer in LAYERS if rank_of(layer) < rank_of(own)]
        allowed = f"{lower[-1]} and below" if lower else "nothing else"
        problems.append(f"{own} may include {allowed}, not {other}")
    elif own != other and rank_of(other) == rank_of(own):
        problems.append(f"{own} and {other} stand beside each other: neither includes the other")
    if own == "models" and other == "models" and rel != FAMILY_REGISTRATION:
        own_family = family_of(rel)
        target_family = family_of(target)
        if target_family is not None and target_family != own_family:
            if own_family is None:
                problems.append(f"the model base includes the {target_family} family"
                                f" (only {FAMILY_REGISTRATION} lists the families)")
            else:
                problems.append(f"the {own_family} family includes the {target_family} family")
    return problems


def circles(graph):
    """Strongly connected components with more than one module (Tarjan, iterative)."""
    index = {}
    low = {}
    stack = []
    on_stack = set()
    found = []
    counter = 0
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = counter
        counter += 1
        stack.append(root)
        on_stack.add(root)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph[nxt]))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return sorted(found)


def check(src):
    files = list(sources(src))
    modules = {module_of(rel) for rel in files}
    graph = {module: set() for module in modules}
    edges = {}
    problems = []
    for rel in files:
        for number, target, qt in includes(src, rel):
            where = f"src/{rel}:{number}"
            if qt is not None:
                if layer_of(rel) not in (None, QT_LAYER):
                    problems.append(f'{where}: includes <{qt}...>: only {QT_LAYER}/ may use Qt')
                continue
            for problem in layer_problems(rel, target):
                problems.append(f'{where}: includes "{target}": {problem}')
            source, dest = module_of(rel), module_of(target)
            if dest in modules and dest != source:
                graph[source].add(dest)
                edges.setdefault((source, dest), (rel, number, f'{where}: includes "{target}"'))
    for component in circles(graph):
        if not any(layer_of(module) in CIRCLE_FREE for module in component):
            continue
        members = set(component)
        problems.append("include circle among " + ", ".join(component) + ":")
        inside = sorted(edge for (a, b), edge in edges.items() if a in members and b in members)
        problems.extend("  " + line for _, _, line in inside)
    return problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "src")
    if not os.path.isdir(src):
        print(f"no such folder: {src}", file=sys.stderr)
        return 2
    problems = check(src)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
