#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads Kavora's views through the desktop's accessibility bus (AT-SPI), as a
screen reader does, and compares what they say with the data files.

Run by accessibility_check.sh with the program already started in DATA (the
working folder) on a generated data set: opens the notes, the spreadsheet,
the total game graph and the scheduler from the menus, reads them, turns a
page and a month and checks that both are announced."""

import csv
import datetime
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def records(name):
    """The quoted records of a data file, after its two header lines."""
    with open(name, newline="", encoding="utf-8", errors="replace") as data:
        lines = data.read().splitlines()[2:]
    return [row for row in csv.reader(lines) if row]


def pump(seconds):
    """Lets the bus deliver events for a while."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.05)


def find(accessible, test, depth=0):
    if accessible is None or depth > 14:
        return None
    if test(accessible):
        return accessible
    for i in range(accessible.childCount):
        found = find(accessible.getChildAtIndex(i), test, depth + 1)
        if found:
            return found
    return None


def application():
    for _ in range(150):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "kavora":
                frame = find(app, lambda a: a.getRole() == pyatspi.ROLE_FRAME)
                if frame is not None:
                    return app
        time.sleep(0.2)
    return None


def press(accessible):
    accessible.queryAction().doAction(0)
    pump(0.5)


def open_view(app, menu_item, title):
    item = find(app, lambda a: a.getRole() == pyatspi.ROLE_MENU_ITEM and a.name == menu_item)
    check(item is not None, "menu item " + menu_item)
    press(item)
    view = None
    for _ in range(50):
        view = find(app, lambda a: a.getRole() == pyatspi.ROLE_PANEL and a.name == title)
        if view is not None:
            break
        pump(0.2)
    check(view is not None, "the " + title + " view is named by its title")
    return view


def child(view, role, name=None):
    for i in range(view.childCount):
        part = view.getChildAtIndex(i)
        if part.getRole() == role and (name is None or part.name == name):
            return part
    return None


def text(part):
    return part.queryText().getText(0, -1).split("\n")


def button(view, caption):
    return child(view, pyatspi.ROLE_PUSH_BUTTON, caption)


heard = []


def listen(event):
    heard.append((event.type, event.source.name if event.source else ""))


def main():
    app = application()
    if app is None:
        print("FAIL the program is not on the accessibility bus")
        return 1
    pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-name")

    play = records("play.dat")
    count = len(play)

    # The notes open on the newest record; ">>" turns to the one before.
    notes = open_view(app, "Browse Notes", "Browse Notes")
    if notes is not None:
        page = child(notes, pyatspi.ROLE_PARAGRAPH)
        check(page.name == "Page %d of %d" % (count, count), "notes page: " + page.name)
        lines = text(page)
        check("Date: " + play[-1][0] in lines, "notes date: " + lines[0])
        check("Opponent: " + play[-1][3] in lines, "notes opponent: " + play[-1][3])
        heard.clear()
        press(button(notes, ">>"))
        pump(1)
        page = child(notes, pyatspi.ROLE_PARAGRAPH)
        turned = "Page %d of %d" % (count - 1, count)
        check(page.name == turned, "turned notes page: " + page.name)
        check(any(name == turned for _, name in heard), "the turned page is announced")
        check("Date: " + play[-2][0] in text(page), "turned page's date: " + play[-2][0])

    # The spreadsheet: the ratings and the playing time as tables.
    sheet = open_view(app, "Spreadsheet", "Spread Sheet")
    if sheet is not None:
        ratings = child(sheet, pyatspi.ROLE_TABLE, "Stroke Ratings").queryTable()
        check(ratings.nColumns == min(count, 12) + 1, "ratings columns: %d" % ratings.nColumns)
        check(ratings.nRows == 11, "ratings rows: %d" % ratings.nRows)
        check(ratings.getColumnDescription(ratings.nColumns - 1) == "Avg", "averages column")
        check(ratings.getColumnDescription(0) == play[0][0], "first column's date")
        check(ratings.getRowDescription(6) == "Total Game", "total game row")
        for column, record in ((0, play[0]), (ratings.nColumns - 2, play[-1])):
            total = sum(int(value) for value in record[13:37])
            cell = ratings.getAccessibleAt(6, column).name
            check(cell == str(total), "total game of column %d: %s" % (column + 1, cell))
        played = child(sheet, pyatspi.ROLE_TABLE, "Playing Time").queryTable()
        check(played.getRowDescription(4) == "W/L", "W/L row")
        results = [record[7][:1] for record in play]
        expected = "%d-%d-%d" % (results.count("W"), results.count("L"), results.count("U"))
        check(played.getAccessibleAt(4, 0).name == expected, "current W/L: " + expected)

    # A graph: one bar an outing.
    graph = open_view(app, "Total Game Ratings", "Total Game Ratings")
    if graph is not None:
        page = child(graph, pyatspi.ROLE_PARAGRAPH)
        check(page.name == "Total Game Progress", "graph title: " + page.name)
        check(("%d bars" % count) in text(page)[0], "graph bars: %d" % count)

    # The calendar: the month's days with events, then the month before.
    scheduler = open_view(app, "Scheduler", "Scheduler")
    if scheduler is not None:
        events = records("sched.dat")
        month = datetime.date.today().replace(day=1)
        for turn in range(2):
            table = child(scheduler, pyatspi.ROLE_TABLE)
            title = month.strftime("%B %Y")
            check(table.name == title, "month: " + table.name)
            grid = table.queryTable()
            check(grid.nColumns == 7 and grid.getColumnDescription(0) == "Sunday", "weekdays")
            marked = set()
            for row in range(grid.nRows):
                for column in range(grid.nColumns):
                    name = grid.getAccessibleAt(row, column).name
                    # "8: 2 events", or "8, today: 2 events" for today.
                    if ":" in name:
                        marked.add(int(name.split(":")[0].split(",")[0]))
            days = set()
            for event in events:
                m, d, y = (int(part) for part in event[0].split("/"))
                if (m, y) == (month.month, month.year):
                    days.add(d)
            check(marked == days, "days with events in %s: %s" % (title, sorted(days)))
            if turn == 0:
                heard.clear()
                press(button(scheduler, "<<"))
                pump(1)
                month = (month - datetime.timedelta(days=1)).replace(day=1)
                title = month.strftime("%B %Y")
                check(any(name == title for _, name in heard), "the new month is announced")

    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
