"""Drives the running velmora window through the desktop accessibility interface, as a
screen-reader user would, and checks what it shows.

drive_window.py check OUT_DIR FOLDER FILE...   the whole scenario (exit status 0 when it passed)
drive_window.py press MENU ITEM         chooses one menu item and returns at once
"""
import subprocess
import sys
import time

import pyatspi

APP_NAME = "velmora"
TIMEOUT = 60


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the window builds
            found = None
        if found:
            return found
        time.sleep(0.2)
    raise SystemExit(f"timed out waiting for {what}")


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP_NAME:
            return app
    return None


def find(root, role, name):
    return pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name)


def press(menu_name, item_name):
    app = wait_for("the application", application)
    bar = wait_for("the menu bar", lambda: find(app, pyatspi.ROLE_MENU_BAR, ""))
    menu = wait_for(f"menu {menu_name}", lambda: find(bar, pyatspi.ROLE_MENU_ITEM, menu_name))
    item = wait_for(f"item {item_name}", lambda: find(menu, pyatspi.ROLE_MENU_ITEM, item_name))
    action = item.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "click", "activate", "Press", "Click"):
            action.doAction(i)
            return
    action.doAction(0)


def press_without_waiting(menu_name, item_name):
    # A command's handler runs its whole run before it answers; do not wait for that answer.
    subprocess.Popen([sys.executable, __file__, "press", menu_name, item_name])


def table_rows(table):
    t = table.queryTable()
    return [[t.getAccessibleAt(r, c).name for c in range(t.nColumns)] for r in range(t.nRows)]


def check_title_bar_caption(caption):
    # What the window manager shows: the caption alone, with nothing appended to it.
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, text=True).stdout
    titles = [line.split('"')[1] for line in tree.splitlines() if line.count('"') >= 2]
    assert caption in titles, f"no top-level window titled {caption!r}: {titles}"


def check(out_dir, folder, files):
    app = wait_for("the application", application)
    window = wait_for("the main window", lambda: find(app, pyatspi.ROLE_FRAME, "fm_main"))
    table = wait_for("the file list", lambda: find(window, pyatspi.ROLE_TABLE, "File list"))
    progress = find(window, pyatspi.ROLE_PROGRESS_BAR, "Progress")
    assert progress is not None, "no progress bar named Progress"

    check_title_bar_caption("fm_main")

    rows = wait_for("both files listed", lambda: len(table_rows(table)) == len(files) and table_rows(table))
    names = [row[0] for row in rows]
    expected = [f.rsplit("/", 1)[-1] for f in files]
    assert names == expected, f"list shows {names}, expected {expected}"
    assert all(row[4] == "unconverted" for row in rows), rows
    print("listed:", rows)

    press_without_waiting("File", "Converter")
    wait_for("every row finished", lambda: all(row[4] == "finish" for row in table_rows(table)), 120)
    print("finished:", table_rows(table))

    import drive_dialogs
    drive_dialogs.check(app, window, table, out_dir, files)
    drive_dialogs.add_folder(app, table, folder, [f.rsplit("/", 1)[-1] for f in files])

    press_without_waiting("File", "EXit")
    wait_for("the window to close", lambda: application() is None, 30)
    print("closed")


if __name__ == "__main__":
    if sys.argv[1] == "press":
        press(sys.argv[2], sys.argv[3])
    else:
        check(sys.argv[2], sys.argv[3], sys.argv[4:])
