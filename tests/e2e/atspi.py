"""What a screen reader learns of the program over AT-SPI, for accessibility.sh.

  atspi.py watch FILE       appends "event detail role|name" lines for the showing
                            and focus changes on the test's own accessibility bus
                            (the program alone is on it); "ready" once it listens
  atspi.py tree PID         one "role|name|description|value" line per object shown
  atspi.py controls PID     the settings dialog page by page, as a screen reader
                            user walks it: each page tab pressed through its action,
                            then one "page|role|name|value" line per control shown
                            that takes the focus (the page tabs included)
"""
import sys
import time

import pyatspi


def program(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def describe(node):
    try:
        value = str(int(node.queryValue().currentValue))
    except NotImplementedError:
        value = "-"
    return "|".join([node.getRoleName(), node.name, node.description, value])


def tree(node):
    for child in node:
        if child is None or not child.getState().contains(pyatspi.STATE_SHOWING):
            continue
        print(describe(child))
        tree(child)


def said_value(node):
    """What a control holds, as a screen reader reads it besides the name (a combo
    box: what it may hold)."""
    try:
        return str(int(node.queryValue().currentValue))
    except NotImplementedError:
        pass
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        # Which entry shows is not said until the list opens: any of the entries,
        # tab-separated.
        return "\t".join(item.name for part in node for item in part)
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return "-"


def controls_shown(node, found):
    for child in node:
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        if states.contains(pyatspi.STATE_FOCUSABLE) or child.getRole() == pyatspi.ROLE_PAGE_TAB:
            found.append(child)
        # A combo box's list and a spin box's field are parts of the one control.
        if child.getRole() not in (pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON):
            controls_shown(child, found)
    return found


def page_tabs(dialog):
    row = pyatspi.findDescendant(dialog, lambda n: n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)
    return [tab for tab in row if tab is not None and tab.getRole() == pyatspi.ROLE_PAGE_TAB]


def controls(app):
    dialog = next((w for w in app if w is not None and w.getRole() == pyatspi.ROLE_DIALOG), None)
    if dialog is None:
        return False
    for index in range(len(page_tabs(dialog))):
        # The tabs are asked for again each time: the bridge may have renewed them
        # (a change of language does).
        tab = page_tabs(dialog)[index]
        tab.queryAction().doAction(0)
        # The page shows once the bridge has heard of the switch.
        deadline = time.monotonic() + 10
        while not tab.getState().contains(pyatspi.STATE_SELECTED) and time.monotonic() < deadline:
            time.sleep(0.05)
        for control in controls_shown(dialog, []):
            print("|".join([tab.name, control.getRoleName(), control.name, said_value(control)]))
    return True


def watch(path):
    out = open(path, "a", buffering=1)

    def heard(event):
        try:
            kind = event.type.split(":")[-1]
            out.write(f"{kind} {event.detail1} {event.source.getRoleName()}|{event.source.name}\n")
        except Exception as error:  # the object may be gone already
            out.write(f"unreadable {event.type}: {error}\n")

    pyatspi.Registry.registerEventListener(heard, "object:state-changed:showing", "object:state-changed:focused")
    out.write("ready\n")
    pyatspi.Registry.start()


if __name__ == "__main__":
    if sys.argv[1] == "watch":
        watch(sys.argv[2])
    else:
        app = program(int(sys.argv[2]))
        if app is None:
            sys.exit(1)
        if sys.argv[1] == "controls":
            sys.exit(0 if controls(app) else 1)
        tree(app)
