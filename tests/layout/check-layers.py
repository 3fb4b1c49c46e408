#!/usr/bin/env python3
"""The library's folders stack: a source file may include its own folder's headers and those of
folders below it, never one above (and so no include circle). The root's bexdefs.h is the base;
the entry point and the umbrella header at the root sit on top of everything."""
import os, re, sys

# Lowest first.
LAYERS = ["common", "text", "frame", "files", "verinfo", "molecule", "cpu", "bitmap", "archive",
          "config", "ipc", "print", "ui", "version", "about"]
BASE = {"bexdefs.h"}

def main(root):
    rank = {name: i for i, name in enumerate(LAYERS)}
    faults = []
    graph = {}
    for folder, _, files in os.walk(root):
        here = os.path.relpath(folder, root)
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            for inc in re.findall(r'^\s*#\s*include\s+"([^"]+)"', open(path, encoding="latin-1").read(), re.M):
                target = os.path.relpath(os.path.normpath(os.path.join(folder, inc)), root)
                # A header and its source are one module: the circle is between modules.
                source, header = os.path.splitext(os.path.relpath(path, root))[0], os.path.splitext(target)[0]
                if source != header:
                    graph.setdefault(source, []).append(header)
                there = os.path.dirname(target) or "."
                if there == here or (there == "." and os.path.basename(target) in BASE):
                    continue
                if here == ".":          # the entry point and the umbrella header
                    continue
                if there == "." or there not in rank or here not in rank or rank[there] > rank[here]:
                    faults.append(f"upward include: {os.path.relpath(path, root)} includes {inc}")
    # Modules of one folder may still include each other in a circle.
    state = {}
    def visit(node, trail):
        state[node] = 1
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                faults.append("include circle: " + " -> ".join(trail[trail.index(nxt):] + [nxt]))
            elif nxt not in state:
                visit(nxt, trail + [nxt])
        state[node] = 2
    for node in sorted(graph):
        if node not in state:
            visit(node, [node])
    for f in faults:
        print(f)
    return 1 if faults else 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
