"""Reads Tallaby's accessibility tree as a screen reader receives it, from
the AT-SPI bus, and fails when a control lacks the name or role it needs.
Run by atspi.sh with the program already started."""

import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def until(probe, seconds=30):
    """The first true answer of probe(), asked every 0.1 s; None after `seconds`.
    Generous, as a loaded machine or a sanitizer build starts slowly."""
    deadline = time.monotonic() + seconds
    while True:
        answer = probe()
        if answer or time.monotonic() > deadline:
            return answer or None
        time.sleep(0.1)


def find_app(desktop):
    app = until(lambda: next((a for a in desktop if a is not None and a.name == "Tallaby"), None))
    if app is None:
        sys.exit("Tallaby did not appear on the accessibility bus")
    return app


def events_of(kind):
    """The (detail1, any_data) of every `kind` event from now on, as they arrive."""
    seen = []
    pyatspi.Registry.registerEventListener(lambda e: seen.append((e.detail1, e.any_data)), kind)
    return seen


def pump():
    """Delivers the events that arrived; True, so it can end a probe."""
    while GLib.MainContext.default().iteration(False):
        pass
    return True


def read_by_runs(text, start, end):
    """Text from start to end as a screen reader reads it: one attribute run at
    a time, each from the offset asked; None if a run misses its offset."""
    pieces = []
    while start < end:
        _, run_start, run_end = text.getAttributeRun(start, False)
        if not run_start <= start < run_end:
            return None
        pieces.append(text.getText(start, min(run_end, end)))
        start = min(run_end, end)
    return "".join(pieces)


def named(nodes, role):
    return {n.name: n for n in nodes if n.getRoleName() == role}


app = find_app(pyatspi.Registry.getDesktop(0))
# The results and the summary are first written by the first timer tick.
def ticked():
    global nodes, texts
    nodes = list(walk(app))
    texts = named(nodes, "text")
    return "Summary" in texts and texts["Summary"].queryText().characterCount > 0


until(ticked)
combos = named(nodes, "combo box")
links = named(nodes, "link")

for name in ["Your Income", "Partners Income", "Other Income"] + [
    f"Expense {row} amount" for row in range(1, 29)
]:
    field = texts.get(name)
    check(field is not None, f"no text field named {name!r}")
    if field is not None:
        check(field.queryText().getText(0, -1) == "0", f"{name!r} does not read its start value 0")
for row in range(1, 29):
    check(f"Expense {row} category" in combos, f"no combo box named 'Expense {row} category'")

# The results: read-only, and each reads its figure; never heard as unavailable.
labels = named(nodes, "label")
for name in ["Total Income", "Income - Expendature", "Total Income 0", "Total Expendature 0"]:
    field = texts.get(name) or labels.get(name)
    states = field.getState() if field is not None else None
    check(states and states.contains(pyatspi.STATE_SENSITIVE)
          and (name not in texts or states.contains(pyatspi.STATE_READ_ONLY)),
          f"no available, read-only result {name!r}")

summary = texts.get("Summary")
check(summary is not None, "no text named 'Summary'")
if summary is not None:
    text = summary.queryText()
    whole = text.getText(0, -1)
    check(whole.startswith("CASHFLOW SUMMARY"), f"the summary's text reads {whole[:40]!r}")
    line, start, end = text.getTextAtOffset(0, pyatspi.TEXT_BOUNDARY_LINE_START)
    check(start == 0 and 0 < end < len(whole) and whole.startswith(line),
          f"the summary's first line is {line!r} ({start}, {end})")
    check(summary.getState().contains(pyatspi.STATE_READ_ONLY), "the summary is not read-only")
    # A caret that moves is heard where it went.
    moves = []
    listener = Atspi.EventListener.new(lambda event: moves.append(event.detail1))
    listener.register("object:text-caret-moved")
    text.setCaretOffset(5)

    def caret_heard():
        GLib.MainContext.default().iteration(False)
        return 5 in moves

    check(until(caret_heard, 10), f"a caret moved to 5 was announced as {moves}")

    # A figure's line read whole, its last digit included.
    texts["Your Income"].queryEditableText().setTextContents("1200")
    until(lambda: "1200" in text.getText(0, -1), 10)
    offset = max(0, text.getText(0, -1).find("1200"))
    line, start, end = text.getTextAtOffset(offset, pyatspi.TEXT_BOUNDARY_LINE_START)
    heard = read_by_runs(text, start, end)
    check(line.strip().endswith(": 1200") and heard == line,
          f"the line {line!r} is read as {heard!r}")

# A bad amount: invalid entry with its reason, announced when it turns bad and good again.
amount = texts.get("Expense 5 amount")
if amount is not None:
    turned = events_of("object:state-changed:invalid-entry")
    described = events_of("object:property-change:accessible-description")
    before = set(amount.getState().getStates())
    amount.queryEditableText().setTextContents("12x")
    bad = until(lambda: amount.getState().contains(pyatspi.STATE_INVALID_ENTRY), 10)
    check(bad and set(amount.getState().getStates()) == before | {pyatspi.STATE_INVALID_ENTRY},
          f"'12x' is no invalid entry: {amount.getState().getStates()}")
    reason = amount.description
    check(read_by_runs(amount.queryText(), 0, 3) == "12x", "'12x' is not read whole")
    check(reason.startswith("Not a number"), f"'12x' is described as {reason!r}")
    amount.queryEditableText().setTextContents("12")
    until(lambda: pump() and len(turned) == 2, 10)
    check(not amount.getState().contains(pyatspi.STATE_INVALID_ENTRY) and not amount.description,
          "'12' is still marked")
    # Qt's own description events carry no text; ours do.
    said = [d for _, d in described if isinstance(d, str)]
    check([on for on, _ in turned] == [1, 0] and said == [reason, ""],
          f"announced: {turned} {described}")

check(any(n.startswith("Click here to visit") for n in links), "the web link is no link")
check(len(links) == 2, f"links: {sorted(links)}")

# The About window: opened from its menu item, a named dialog with a Close button.
# (The "About" menu of the bar holds an item of the same name.)
about_item = [n for n in nodes if n.getRoleName() == "menu item" and n.name == "About"
              and n.queryAction().getName(0) == "Press"]
check(len(about_item) == 1, "no menu item 'About' to press")
if about_item:
    about_item[0].queryAction().doAction(0)
    dialog = until(lambda: next((n for n in walk(app) if n.getRoleName() == "dialog"), None))
    check(dialog is not None and dialog.name == "About Tallaby",
          f"the About window is {dialog and (dialog.getRoleName(), dialog.name)}")
    if dialog is not None:
        buttons = [n for n in walk(dialog) if n.getRoleName() == "push button"]
        check([b.name for b in buttons] == ["Close"], "the About window has no Close button")
        check(buttons and until(lambda: buttons[0].getState().contains(pyatspi.STATE_FOCUSED), 10),
              "Close does not have the keyboard focus")

for failure in failures:
    print("FAIL:", failure)
print(f"{len(nodes)} accessible objects read, {len(failures)} failures")
sys.exit(1 if failures else 0)
