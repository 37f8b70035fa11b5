"""The dialogs part of the smoke test, driven like drive_window.py through AT-SPI: a setting
changed in the settings dialog and a title typed in the tag editor reach the next conversion;
a folder chosen through the pop-up's "Add Folder" adds the files under it.

Openers of modal dialogs are clicked with the pointer, since an accessibility action on them
would only answer once the dialog has closed.
"""
import os
import subprocess
import time

import mutagen
import pyatspi

from drive_window import find, table_rows, press_without_waiting, wait_for

TITLE = "Smoke Ünïcode Title"
KEY_DOWN, KEY_UP, KEY_RETURN, KEY_ESCAPE = 0xFF54, 0xFF52, 0xFF0D, 0xFF1B  # X keysyms


def click(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")


def showing(accessible):
    try:
        return accessible.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def open_dialog(app, opener, title):
    click(opener)
    return wait_for(f"the dialog {title}", lambda: find(app, pyatspi.ROLE_DIALOG, title))


def wait_closed(dialog, title):
    wait_for(f"the dialog {title} to close", lambda: not showing(dialog), 20)


def labelled(root, label_text):
    """The control a label names, found through the label's relation."""
    label = wait_for(f"label {label_text!r}", lambda: find(root, pyatspi.ROLE_LABEL, label_text))
    for relation in label.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR:
            return relation.getTarget(0)
    raise SystemExit(f"label {label_text!r} names no control")


def choose(combo, entry):
    """Opens the box's list with a click and picks the entry with the keys, as a keyboard user
    does: Up or Down one entry at a time, each step seen in the list's selection, then Return.
    A click on the entry often did not take while the program was busy."""
    items = pyatspi.findAllDescendants(combo, lambda a: a.getRole() == pyatspi.ROLE_LIST_ITEM)
    names = [item.name for item in items]
    if entry not in names:
        raise SystemExit(f"the box offers no {entry}: {names}")

    def selected():  # the list's current entry, known once the list has been opened
        for index, item in enumerate(items):
            if item.getState().contains(pyatspi.STATE_SELECTED):
                return index
        return None

    click(combo)
    current = wait_for("the box's list", lambda: [selected()] if selected() is not None else None, 20)[0]
    wanted = names.index(entry)
    step = 1 if wanted > current else -1
    for index in range(current + step, wanted + step, step):
        pyatspi.Registry.generateKeyboardEvent(KEY_DOWN if step > 0 else KEY_UP, None, pyatspi.KEY_SYM)
        wait_for(f"entry {names[index]}", lambda: selected() == index, 20)
    pyatspi.Registry.generateKeyboardEvent(KEY_RETURN, None, pyatspi.KEY_SYM)
    time.sleep(1.5)  # the key travels through the X server, the next press through D-Bus


def press(accessible):
    accessible.queryAction().doAction(0)


def settings_use_22050_hz_for_ogg(app, window):
    bar = find(app, pyatspi.ROLE_MENU_BAR, "")
    dialog = open_dialog(app, find(bar, pyatspi.ROLE_MENU_ITEM, "Settings"), "Settings")
    tab = wait_for("the OGG tab", lambda: find(dialog, pyatspi.ROLE_PAGE_TAB, "OGG"))
    press(tab)
    pages = find(dialog, pyatspi.ROLE_LAYERED_PANE, "")
    ogg_page = pages[3]
    wait_for("the OGG page", lambda: showing(ogg_page), 10)
    choose(labelled(ogg_page, "Frequency: "), "22050 Hz")
    press(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    wait_closed(dialog, "Settings")
    print("settings: OGG at 22050 Hz")


def tag_editor_titles_every_track(app, window):
    dialog = open_dialog(app, find(window, pyatspi.ROLE_PUSH_BUTTON, "Tags"), "ID3 Edit")
    title = wait_for("the title field", lambda: find(dialog, pyatspi.ROLE_TEXT, "Title:"))
    title.queryEditableText().setTextContents(TITLE)
    press(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "All Title"))
    press(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "Ok"))
    wait_closed(dialog, "ID3 Edit")
    print("tag editor: title for every track")


def sample_rate(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                          "stream=sample_rate", "-of", "csv=p=0", path],
                         capture_output=True, text=True, check=True).stdout
    return int(out.strip())


def check(app, window, table, out_dir, files):
    settings_use_22050_hz_for_ogg(app, window)
    tag_editor_titles_every_track(app, window)
    format_box = find(window, pyatspi.ROLE_COMBO_BOX, "Output Format:")
    assert format_box is not None, "the format box is named by its label"
    choose(format_box, "OGG")

    outputs = [os.path.join(out_dir, os.path.splitext(os.path.basename(f))[0] + ".ogg") for f in files]
    press_without_waiting("File", "Converter")
    wait_for("the OGG outputs", lambda: all(os.path.exists(o) for o in outputs)
             and all(row[4] == "finish" for row in table_rows(table)), 120)
    for output in outputs:
        rate = sample_rate(output)
        assert rate == 22050, f"{output}: {rate} Hz"
        tags = mutagen.File(output)
        assert tags is not None and tags.get("title") == [TITLE], f"{output}: {tags and tags.tags}"
    print("OGG outputs at 22050 Hz, titled")


def add_folder(app, table, folder, listed_before):
    """The pop-up's "Add Folder" (extended face), the chooser answered with `folder`; its one
    file that is not audio is named in one box, and its audio files are listed in name order."""
    # The pop-up opens under the pointer; its entries are reached with the keys, as the
    # accessibility tree does not show an open pop-up menu.
    # A busy machine may show the pop-up after the keys: Escape closes whatever they reached
    # instead, and the pop-up is opened again.
    box = table.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    for attempt in range(3):
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b3c")
        time.sleep(0.5 * (attempt + 1))
        for key in (KEY_DOWN, KEY_DOWN, KEY_RETURN):  # "Add File", "Add Folder", choose it
            pyatspi.Registry.generateKeyboardEvent(key, None, pyatspi.KEY_SYM)
            time.sleep(0.2)
        try:
            chooser = wait_for("the folder chooser",
                               lambda: find(app, pyatspi.ROLE_DIALOG, "Add Folder"), 10)
            break
        except SystemExit:
            pyatspi.Registry.generateKeyboardEvent(KEY_ESCAPE, None, pyatspi.KEY_SYM)
            time.sleep(0.5)
    else:
        raise SystemExit("the pop-up's Add Folder opened no chooser")
    name = wait_for("the chooser's folder field", lambda: pyatspi.findDescendant(
        chooser, lambda a: a.getRole() == pyatspi.ROLE_TEXT and showing(a)
        and a.getState().contains(pyatspi.STATE_EDITABLE)))
    name.queryEditableText().setTextContents(folder)
    click(wait_for("the Choose button", lambda: find(chooser, pyatspi.ROLE_PUSH_BUTTON, "Choose")))
    notice = wait_for("the box naming what could not be read", lambda: pyatspi.findDescendant(
        app, lambda a: a.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG)
        and a.name == "Information" and showing(a)))
    text = pyatspi.findDescendant(notice, lambda a: a.getRole() == pyatspi.ROLE_LABEL
                                  and "notes.txt" in (a.name or ""))
    assert text is not None, "the box does not name notes.txt"
    click(find(notice, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    expected = listed_before + ["one.wav", "two.wav"]
    rows = wait_for("the folder's files listed",
                    lambda: [row[0] for row in table_rows(table)] == expected and table_rows(table))
    print("folder added:", [row[1] for row in rows[len(listed_before):]])
