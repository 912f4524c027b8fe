"""Reads the desktop program's window through the accessibility bus, as a screen reader does, and
checks that each control has its role and a name: every push button, check box, page tab, text
field and table, and the ones named below. Prints the tree when a check fails (exit 1).
With ROLE:NAME arguments, prints where each such control is on the screen instead: "X Y W H"."""
import sys
import time

import pyatspi

CONTROLS = {"push button", "check box", "page tab", "text", "table"}
EXPECTED = {
    ("text", "Video page address"), ("table", "Downloads"), ("page tab", "Download"),
    ("page tab", "About"),
    ("check box", "Monitor video URL's in clipboard and automatically add and download"),
} | {("push button", name) for name in (
    "Add to list", "Select all", "Remove selected", "Clear completed", "Move up", "Move down",
    "Browse…", "Start Downloading", "Help", "Visit the web site", "Send to tray", "Minimize",
    "Maximize", "Close")}


def nodes(node, depth=0):
    yield depth, node.getRoleName(), node.name, node
    for child in node:
        if child is not None:
            yield from nodes(child, depth + 1)


for _ in range(100):
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Vidtrawl" and a.childCount]
    if apps:
        break
    time.sleep(0.1)
else:
    sys.exit("a11y_check: the program is not on the accessibility bus")
tree = list(nodes(apps[-1]))
if len(sys.argv) > 1:
    for wanted in sys.argv[1:]:
        found = [n for _, role, name, n in tree if f"{role}:{name}" == wanted]
        if not found:
            sys.exit(f"a11y_check: no {wanted}")
        box = found[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(box.x, box.y, box.width, box.height)
    sys.exit()
problems = [f"a {role} without a name" for _, role, name, _ in tree
            if role in CONTROLS and not name.strip()]
problems += [f"no {role} named {name!r}" for role, name in
             sorted(EXPECTED - {(role, name) for _, role, name, _ in tree})]
if problems:
    print("\n".join(problems + [f"{'  ' * depth}{role}: {name!r}" for depth, role, name, _ in tree]))
    sys.exit(1)
print(f"a11y_check: {len([n for n in tree if n[1] in CONTROLS])} controls named")
