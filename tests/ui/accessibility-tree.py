# SPDX-License-Identifier: MIT
"""Reads the window's control tree through AT-SPI, as a screen reader does, and runs a survey through it.

Usage: accessibility-tree.py PID DIR. The window of process PID must be open on DIR. Every control must have
a name and a description; the check button is pressed through its accessible action, and the grid's cells
must then hold the survey's rows.
"""
import sys
import time

import pyatspi

EXPECTED = {
    # role: names that must be there
    pyatspi.ROLE_PUSH_BUTTON: {"終了", "チェック", "参照..."},
    pyatspi.ROLE_CHECK_BOX: {"ファイル数を数える"},
    pyatspi.ROLE_TABLE: {"調査結果"},
    pyatspi.ROLE_LIST: {"ディレクトリ一覧", "ファイル一覧"},
    # A combo box is named by its current text on Linux; its description says what it is.
    pyatspi.ROLE_COMBO_BOX: set(),
    pyatspi.ROLE_TEXT: {"ディレクトリのパス"},
    pyatspi.ROLE_LABEL: {"DriveTotalSize", "DriveAvailableSpace", "bytes", "ドライブの合計サイズ", "ドライブの空き容量"},
}


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    # A loaded machine may take a while to start the window.
    for _ in range(600):
        for app in desktop:
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.1)
    sys.exit(f"FAIL: no accessible application of process {pid}")


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None and child.getRole() != pyatspi.ROLE_TABLE_CELL:
            yield from walk(child, depth + 1)


def read_tree(app):
    """One pass over the control tree: what it found, the grid and the check button, and what is missing."""
    failures, lines = [], []
    found = {role: set() for role in EXPECTED}
    table = check = None
    for node, depth in walk(app):
        role, name = node.getRole(), node.name
        lines.append(f"{'  ' * depth}{node.getRoleName()}: {name!r} — {node.description!r}")
        if role in found:
            found[role].add(name.split(" ")[0] if role == pyatspi.ROLE_LABEL else name)
            if not name:
                failures.append(f"a {node.getRoleName()} has no name")
            if not node.description:
                failures.append(f"{node.getRoleName()} {name!r} has no description")
        if role == pyatspi.ROLE_TABLE:
            table = node
        if role == pyatspi.ROLE_PUSH_BUTTON and name == "チェック":
            check = node
    for role, names in EXPECTED.items():
        missing = names - found[role]
        if missing:
            failures.append(f"no {role} named {sorted(missing)}")
    return found, table, check, failures, lines


def main():
    pid, directory = int(sys.argv[1]), sys.argv[2]
    app = find_application(pid)
    # The application joins the bus before its window has built every accessible object; on a loaded
    # machine that takes a while, so read the tree again until it is whole or the time is up.
    for _ in range(120):
        found, table, check, failures, lines = read_tree(app)
        if not failures:
            break
        time.sleep(0.5)
    print("\n".join(lines))
    if check is None or table is None:
        sys.exit("FAIL: " + "; ".join(failures + ["no check button or no grid"]))

    action = check.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press") if "Press" in names else 0)
    cells = table.queryTable()
    for _ in range(600):
        if cells.nRows >= 2 and cells.getAccessibleAt(0, 0).name == "ALL FILES":
            break
        time.sleep(0.1)
    rows = [[cells.getAccessibleAt(r, c).name for c in range(cells.nColumns)] for r in range(cells.nRows)]
    for row in rows:
        print(" | ".join(row))
    headers = [cells.getColumnHeader(c).name.strip() for c in range(cells.nColumns)]
    if headers[:2] != ["Directory Name", "Size(bytes)"]:
        failures.append(f"the grid's column headers are {headers}")
    if not rows or rows[0][0] != "ALL FILES" or rows[1][0] != ".":
        failures.append(f"the grid's cells after a survey of {directory} are {rows}")
    if failures:
        sys.exit("FAIL: " + "\nFAIL: ".join(failures))
    print(f"accessibility: {sum(len(n) for n in found.values())} named controls, {len(rows)} rows read")


main()
