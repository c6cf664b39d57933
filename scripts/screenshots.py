#!/usr/bin/env python3
"""Screenshots of the real korvel.exe for the README, made under Xvfb.

Starts the tracking stand-in on its default port (the build's endpoint) and
the program under Wine, drives it as a person does (xdotool clicks and
typing), and writes small PNGs to docs/: each page, a finished query with
coloured numbers and a tooltip, and the program started again the next
time with the saved list imported, its colours kept. The program keeps its
files in a temporary folder. Stops everything it started.

Usage: screenshots.py CROSS_DIR OUT_DIR   (run by `make screenshots`)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINDOW_X, WINDOW_Y, WIDTH, HEIGHT = 50, 50, 662, 485  # the main window's fixed place
LIMIT = 150 * 1024


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def click(x, y):
    """A left click at a point of the main window."""
    xdo("mousemove", WINDOW_X + x, WINDOW_Y + y)
    time.sleep(0.2)
    xdo("click", 1)


def wait_for(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.2)
    raise SystemExit("screenshots: gave up waiting for " + what)


def window_shown():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", "korvel.exe"],
                           capture_output=True, text=True)
    return bool(found.stdout.strip())


def dialog_shown(title="输入单号"):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                           capture_output=True, text=True)
    return bool(found.stdout.strip())


def file_dialog(path):
    """Types a full path into the open file dialog and takes it."""
    wait_for(lambda: dialog_shown("^(Save As|Open|另存为|打开)$"), 20, "the file dialog")
    time.sleep(0.5)
    xdo("type", "--delay", "30", path)
    xdo("key", "Return")
    time.sleep(1)


def rest_on_ems_number():
    """Rests the pointer on the EMS number under AAE快递 until its tip shows."""
    click(600, 300)  # away from the tree, so no item stays selected
    xdo("mousemove", WINDOW_X + 50, WINDOW_Y + 115 + 9 + 6 * 16)
    time.sleep(0.3)
    xdo("mousemove", WINDOW_X + 52, WINDOW_Y + 115 + 9 + 6 * 16)
    time.sleep(2)


def shoot(out, name, extra_width=0, extra_height=0):
    """The main window (and a margin for a tooltip) as a palette PNG."""
    time.sleep(0.8)  # the last paint reaches the screen
    path = os.path.join(out, name + ".png")
    geometry = "%dx%d+%d+%d" % (WIDTH + extra_width, HEIGHT + extra_height, WINDOW_X, WINDOW_Y)
    subprocess.run(["import", "-window", "root", "-crop", geometry, "+repage", path], check=True)
    for colours in (256, 128, 64):
        subprocess.run(["convert", path, "-colors", str(colours), "-strip", "PNG8:" + path],
                       check=True)
        if os.path.getsize(path) < LIMIT:
            break
    print("screenshots: %s (%d KB)" % (path, os.path.getsize(path) // 1024))


def main():
    cross, out = sys.argv[1], sys.argv[2]
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24",
                               sys.executable, *sys.argv])
    os.makedirs(out, exist_ok=True)
    standin = subprocess.Popen([sys.executable, os.path.join(HERE, "tools", "tracking_standin.py"),
                                "--default"], stdout=subprocess.PIPE, text=True)
    program = None
    data = tempfile.mkdtemp(prefix="korvel_screenshots_")
    env = dict(os.environ, KORVEL_DATA_DIR="Z:" + os.path.join(data, "store").replace("/", "\\"))
    saved = "Z:" + os.path.join(data, "list.dat").replace("/", "\\")
    start = lambda: subprocess.Popen([os.path.join(HERE, "scripts", "wine-run.sh"),
                                      os.path.join(cross, "korvel.exe")], env=env)
    try:
        if not standin.stdout.readline().strip():
            raise SystemExit("screenshots: the tracking stand-in did not start (port 18470 busy?)")
        program = start()
        wait_for(window_shown, 120, "the main window")
        time.sleep(2)
        shoot(out, "page_home")
        click(215, 67)  # tab 网点查询
        shoot(out, "page_outlets")
        click(130, 67)  # tab 单号查询
        shoot(out, "page_query")

        # Numbers under the first company: a click on it, Enter, the numbers.
        click(40, 123)
        xdo("key", "Return")
        wait_for(dialog_shown, 20, "the number dialog")
        xdo("type", "--delay", "30", "SF1234567890 OUT-75310246 PROB-88120457 MOVE-66401298 12 "
            "EE123456785CN")
        xdo("key", "Return")
        time.sleep(1)
        xdo("key", "ctrl+s")
        file_dialog(saved)
        click(248 + 45, 410 + 15)  # 开始查询
        time.sleep(4)  # six numbers against a loopback stand-in
        rest_on_ems_number()
        shoot(out, "query_finished")

        # The next morning: closed, started again, the saved list imported.
        click(615 + 19, 6 + 9)  # the caption's close button
        program.wait(timeout=30)
        program = start()
        wait_for(window_shown, 120, "the main window")
        time.sleep(2)
        click(130, 67)  # tab 单号查询
        xdo("key", "ctrl+o")
        file_dialog(saved)
        rest_on_ems_number()
        shoot(out, "restart_colours")
    finally:
        if program:
            subprocess.run(["wineserver", "-k"], check=False)
            program.wait()
        standin.terminate()
        standin.wait()
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    main()
