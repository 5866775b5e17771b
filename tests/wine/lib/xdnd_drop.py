#!/usr/bin/python3
"""Drops files onto a window as a Linux file manager does: the X drag and
drop protocol (XDND), answered by Wine's X11 driver inside the target
process, which makes the HDROP there and posts WM_DROPFILES.

kdriver's drop writes the HDROP into the target's memory instead; that
cannot work when the target runs under qemu's user-mode emulation (the
guest's addresses are not the host's), so the 32-bit program is given its
drawings this way.

usage: xdnd_drop.py TITLE SECONDS FILE...
TITLE is the window's title (_NET_WM_NAME); the drop lands 60 pixels in and
100 down from its top left corner (the drawing tree of the main window).
Exit 0 when the target has said it finished, 1 otherwise (with the reason).
"""
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display, protocol

XDND_VERSION = 4


def fail(message):
    print("xdnd_drop: " + message, file=sys.stderr)
    sys.exit(1)


def window_title(d, w):
    try:
        prop = w.get_full_property(d.intern_atom("_NET_WM_NAME"), d.intern_atom("UTF8_STRING"))
        if prop:
            return prop.value.decode("utf-8", "replace") if isinstance(prop.value, bytes) else str(prop.value)
        name = w.get_wm_name()
        return name if isinstance(name, str) else ""
    except Exception:  # a window that went away while we looked
        return ""


def find_aware_window(d, title):
    """The viewable top-level window with that title that takes XDND drops."""
    aware = d.intern_atom("XdndAware")
    pending = [d.screen().root]
    while pending:
        w = pending.pop()
        try:
            children = w.query_tree().children
        except Exception:
            continue
        for c in children:
            try:
                viewable = c.get_attributes().map_state == X.IsViewable
            except Exception:
                continue
            if viewable and window_title(d, c) == title and c.get_full_property(aware, X.AnyPropertyType):
                return c
            pending.append(c)
    return None


def main():
    if len(sys.argv) < 4:
        fail("usage: xdnd_drop.py TITLE SECONDS FILE...")
    title, limit, files = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
    deadline = time.monotonic() + limit
    d = display.Display()
    atom = d.intern_atom
    uri_list = atom("text/uri-list")
    selection = atom("XdndSelection")
    data = "".join("file://" + urllib.parse.quote(f) + "\r\n" for f in files).encode("utf-8")

    target = None
    while target is None:
        target = find_aware_window(d, title)
        if target is None:
            if time.monotonic() > deadline:
                fail("no window \"%s\" that takes drops" % title)
            time.sleep(0.5)
    root = d.screen().root
    origin = target.translate_coords(root, 0, 0)
    x, y = -origin.x + 60, -origin.y + 100

    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)
    if d.get_selection_owner(selection) != source:
        fail("could not own the drag selection")

    def send(kind, l1=0, l2=0, l3=0, l4=0):
        event = protocol.event.ClientMessage(window=target, client_type=atom(kind),
                                             data=(32, [source.id, l1, l2, l3, l4]))
        target.send_event(event, event_mask=0)
        d.flush()

    def answer(request):
        # The data is asked for while the drag is on (Wine reads it at the
        # enter) and at the drop.
        prop = request.property or request.target
        if request.target == uri_list:
            request.requestor.change_property(prop, uri_list, 8, data)
        elif request.target == atom("TARGETS"):
            request.requestor.change_property(prop, Xatom.ATOM, 32, [uri_list])
        else:
            prop = X.NONE
        reply = protocol.event.SelectionNotify(time=request.time, requestor=request.requestor,
                                               selection=request.selection, target=request.target,
                                               property=prop)
        request.requestor.send_event(reply)
        d.flush()

    def wait_for(kind):
        wanted = atom(kind)
        while time.monotonic() < deadline:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    answer(e)
                elif e.type == X.ClientMessage and e.client_type == wanted:
                    return e
            time.sleep(0.02)
        fail("no %s from \"%s\" within %g s" % (kind, title, limit))

    send("XdndEnter", XDND_VERSION << 24, uri_list)
    send("XdndPosition", 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy"))
    status = wait_for("XdndStatus")
    if not status.data[1][1] & 1:
        send("XdndLeave")
        fail("\"%s\" does not take the drop at (%d, %d)" % (title, x, y))
    send("XdndDrop", 0, X.CurrentTime)
    wait_for("XdndFinished")
    print("dropped %d onto \"%s\"" % (len(files), title))


if __name__ == "__main__":
    main()
