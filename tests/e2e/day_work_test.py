#!/usr/bin/env python3
"""End-to-end: a clerk's morning with the real korvel.exe under Wine, driven
only with real input (xdotool keys and typing) and read from outside
(window_reader.exe, the files written, the screen's pixels, and the
tracking stand-in's count of the numbers asked).

The first start shows the empty result box's drawn hint; a template is
imported and queried; Ctrl+E exports the table through its own save dialog,
checked byte for byte against a writer of this test that follows the cell
rule; Ctrl+S saves the template. After a restart, Ctrl+O of the saved
template shows yesterday's colours without a run, and Shift+F5 asks exactly
the numbers that were not delivered.

The program runs on a desktop of its own (desktop.py: an X server, a Wine
prefix and a data folder, which both starts share, so the second finds what
the first kept).
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import main_window_test as shared  # noqa: E402
import tracking_standin  # noqa: E402
from desktop import CROSS, SOURCE, Desktop, wait_for, windows_path  # noqa: E402
from main_window_test import STATUS, STATUS_TEXTS, TAB, Reader, template  # noqa: E402

# Company, number, service code, state as the program names it, label colour.
NUMBERS = [
    ("顺丰快递", "SF1000001", b"shunfeng", "已签收", (0, 110, 0)),
    ("顺丰快递", "0012345678901234567", b"shunfeng", "已签收", (0, 110, 0)),
    ("顺丰快递", "OUT-1", b"shunfeng", "派件中", (0, 0, 230)),
    ("申通快递", "MOVE-1", b"shentong", "运输中", (0, 0, 0)),
    ("申通快递", "PROB-1", b"shentong", "疑难", (200, 90, 0)),
    ("申通快递", "=1+1", b"shentong", "单号错误", (210, 0, 0)),
]
CLOSE = (615, 6, 39, 19)  # the caption's close button, client rectangle
STATE_COLOURS = [(0, 110, 0), (0, 0, 230), (0, 0, 0), (200, 90, 0), (210, 0, 0)]


def items():
    out, company = [], None
    for name, number, *_ in NUMBERS:
        if name != company:
            out.append((1, name, True))
            company = name
        out.append((2, number, False))
    return out


def csv_cell(text):
    """A cell by the rule: a leading ' before = + - @ tab CR, then RFC 4180."""
    if text[:1] in ("=", "+", "-", "@", "\t", "\r"):
        text = "'" + text
    if any(c in text for c in '",\r\n'):
        text = '"' + text.replace('"', '""') + '"'
    return text


def csv_number(number):
    constant = '="' + number.replace('"', '""') + '"'
    return '"' + constant.replace('"', '""') + '"'


def expected_row(company, number, code, state, asked):
    if state == "单号错误":
        time_text = context = ""
    else:
        mode = number.split("-")[0].encode("ascii") if "-" in number else b""
        ending = tracking_standin.ENDINGS.get(mode, "delivered")
        newest = tracking_standin.route_entries(code, number.encode("gbk"), ending=ending)[0]
        time_text, context = newest[0].decode("gbk"), newest[1].decode("gbk")
    return ",".join([csv_cell(company), csv_number(number), csv_cell(state),
                     csv_cell(time_text), csv_cell(context), csv_cell(asked)]) + "\r\n"


def minute(at):
    return time.strftime("%Y-%m-%d %H:%M", time.localtime(at))


def nearest_state(ink, background=(192, 192, 192)):
    """The state colour whose blend with the tree's background comes closest
    to the ink: smoothed strokes of thin text never reach the pure colour."""
    def residual(colour):
        d = [c - b for c, b in zip(colour, background)]
        v = [i - b for i, b in zip(ink, background)]
        t = max(0.0, min(1.0, sum(x * y for x, y in zip(v, d)) / sum(x * x for x in d)))
        return sum((x - t * y) ** 2 for x, y in zip(v, d))
    return min(STATE_COLOURS, key=residual)


class DayWorkEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (SOURCE and CROSS):
            raise unittest.SkipTest("needs KORVEL_SOURCE_DIR and KORVEL_CROSS_DIR")
        for path in ("korvel.exe", "e2e/window_reader.exe"):
            if not os.path.exists(os.path.join(CROSS, path)):
                raise unittest.SkipTest(path + " is not built")
        cls.folder = tempfile.mkdtemp(prefix="korvel_day_e2e_")
        cls.program = os.path.join(cls.folder, "korvel.exe")
        shutil.copy(os.path.join(CROSS, "korvel.exe"), cls.program)
        os.mkdir(os.path.join(cls.folder, "config"))
        with open(os.path.join(cls.folder, "config", "day.dat"), "wb") as f:
            f.write(template(items()))
        cls.standin = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools", "tracking_standin.py"), "--port", "0"],
            stdout=subprocess.PIPE, text=True)
        cls.port = cls.standin.stdout.readline().strip()
        cls.desktop = Desktop("wineprefix-e2e-day")
        cls.desktop.env["KORVEL_TRACKING_ENDPOINT"] = "127.0.0.1:" + cls.port
        cls.korvel = None
        cls.reader = Reader(cls.desktop, windows_path(cls.program))

    @classmethod
    def tearDownClass(cls):
        cls.reader.stop()
        cls.desktop.stop()
        if cls.korvel is not None and cls.korvel.poll() is None:
            cls.korvel.kill()
            cls.korvel.wait()
        cls.standin.terminate()
        cls.standin.wait(timeout=10)
        cls.standin.stdout.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    # The program.
    def start(self):
        type(self).korvel = self.desktop.wine(windows_path(self.program),
                                              stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL)
        wait_for("the main window", lambda: (lambda s: s["main"] and s.get("comboCount") == 79)(
            self.reader.ask("state")), timeout=60)
        self.click_client(TAB[2])
        wait_for("page 2", lambda: self.reader.ask("state")["treeVisible"])

    def close(self):
        self.click_client(CLOSE)
        self.korvel.wait(timeout=30)

    def ask(self, path):
        with urllib.request.urlopen("http://127.0.0.1:%s%s" % (self.port, path)) as answer:
            return answer.read()

    # Input and reading, as the main window's test does them.
    click_client = shared.MainWindowEndToEnd.click_client
    click = shared.MainWindowEndToEnd.click
    screen = shared.MainWindowEndToEnd.screen
    key = shared.MainWindowEndToEnd.key
    type = shared.MainWindowEndToEnd.type
    park_mouse = shared.MainWindowEndToEnd.park_mouse
    tree = shared.MainWindowEndToEnd.tree
    item = shared.MainWindowEndToEnd.item
    item_point = shared.MainWindowEndToEnd.item_point
    tip_over = shared.MainWindowEndToEnd.tip_over
    click_item = shared.MainWindowEndToEnd.click_item
    windows = shared.MainWindowEndToEnd.windows
    wait_window = shared.MainWindowEndToEnd.wait_window
    wait_no_window = shared.MainWindowEndToEnd.wait_no_window
    drawn = shared.MainWindowEndToEnd.drawn
    wait_drawn = shared.MainWindowEndToEnd.wait_drawn
    answer_dialog = shared.MainWindowEndToEnd.answer_dialog
    file_dialog = shared.MainWindowEndToEnd.file_dialog

    def wait_status(self, text, others=()):
        self.wait_drawn("label", STATUS, text, STATUS_TEXTS + ["导出成功"] + list(others),
                        timeout=30)

    def box_middle(self):
        """The ink of a band across the middle of the result box, its scroll
        bar left out."""
        self.park_mouse()
        left, top, right, bottom = self.reader.ask("state")["resultRect"]
        middle = (top + bottom) // 2
        return self.reader.ask("ink", left + 4, middle - 40, right - left - 30, 80)

    def label_colour(self, number):
        self.park_mouse()
        left, top, right, bottom = self.item(number)[4]
        return nearest_state(self.reader.ask("ink", left, top, right - left,
                                             bottom - top)["far"])

    def test_a_day_and_the_next(self):
        csv = os.path.join(self.folder, "report")
        saved = os.path.join(self.folder, "saved.dat")
        self.start()
        # The first morning: a hint drawn in the empty box, which holds no text.
        self.assertEqual(self.reader.ask("state")["result"], "")
        hint = self.box_middle()
        self.assertEqual(hint["background"], [255, 255, 255])
        self.assertGreater(hint["differing"], 100)
        grey = hint["far"]
        self.assertTrue(grey[0] == grey[1] == grey[2] and 120 <= grey[0] <= 180, grey)

        self.key("ctrl+o")
        self.file_dialog("day.dat")
        wait_for("the imported tree", lambda: len(self.tree()) == len(items()))
        self.ask("/_log/clear")
        asked_from = time.time()
        self.key("F5")
        self.wait_status("查询完毕")
        asked_until = time.time()
        # The text took the hint's place.
        self.assertTrue(self.reader.ask("state")["result"])
        self.assertLess(max(self.box_middle()["far"]), 60)

        # The table, through its own dialog: one filter, "csv" added.
        self.key("ctrl+e")
        details = self.file_dialog(windows_path(csv))
        self.assertEqual(details["types"], ["（表格文件.csv）"])
        self.assertEqual(details["name"], "")
        self.wait_status("导出成功")
        with open(csv + ".csv", "rb") as f:
            written = f.read()
        self.assertTrue(written.startswith(b"\xef\xbb\xbf"))
        rows = written[3:].decode("utf-8").split("\r\n")
        self.assertEqual(rows[0], "快递公司,单号,状态,最新时间,最新记录,查询时间")
        self.assertEqual(rows[-1], "")
        self.assertEqual(len(rows), len(NUMBERS) + 2)
        for row, (company, number, code, state, _) in zip(rows[1:], NUMBERS):
            candidates = {expected_row(company, number, code, state, minute(at))
                          for at in (asked_from, asked_until)}
            self.assertIn(row + "\r\n", candidates)

        # The template's dialog keeps the template's name; the table's its own.
        self.key("ctrl+s")
        details = self.file_dialog(windows_path(saved))
        self.assertEqual(details["name"].split("\\")[-1], "day.dat")
        self.wait_status("保存成功")
        self.key("ctrl+e")
        details = self.file_dialog(None)
        self.assertEqual(details["name"].split("\\")[-1], "report.csv")
        self.close()

        # The next morning: yesterday's colours, without a run.
        self.ask("/_log/clear")
        self.start()
        self.key("ctrl+o")
        self.file_dialog(windows_path(saved))
        wait_for("the imported tree", lambda: len(self.tree()) == len(items()))
        # A company selected: no number is drawn highlighted.
        self.click_item("顺丰快递")
        for _, number, _, _, colour in NUMBERS:
            wait_for("%s drawn in its colour" % number,
                     lambda: self.label_colour(number) == colour)
        self.assertEqual(self.ask("/_asked"), b"")

        # Shift+F5 asks only what is still open, in tree order.
        self.key("shift+F5")
        self.wait_status("查询完毕")
        self.assertEqual(self.ask("/_asked").decode("gbk").split("\n")[:-1],
                         [n for _, n, _, state, _ in NUMBERS if state != "已签收"])
        for _, number, _, _, colour in NUMBERS:
            self.assertEqual(self.label_colour(number), colour, number)
        self.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
