"""What a screen reader learns of the program over AT-SPI, for accessibility.sh.

  atspi.py watch FILE       appends "event detail role|name" lines for the showing
                            and focus changes on the test's own accessibility bus
                            (the program alone is on it); "ready" once it listens
  atspi.py tree PID         one "role|name|description|value" line per object shown
"""
import sys

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
        tree(app)
