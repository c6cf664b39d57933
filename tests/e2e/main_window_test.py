#!/usr/bin/env python3
"""End-to-end main window: the real korvel.exe under Wine against the
tracking stand-in, driven only with real input (xdotool clicks, right-clicks,
keys and typing) and read only from outside the process: tree items, the
courier box and the result box through window messages of the cross build's
window_reader.exe, saved files, the message box's window, and the screen's
pixels for what the program draws (status label, query button, menus,
background). What a person copies in another program to paste here is put
on the clipboard by window_reader.exe as well.

The program runs on a desktop of its own (desktop.py): its own X server, Wine
prefix and data folder, so no other test's windows lie over it or take its
input and nothing another program left behind reaches it.

The cases share one running program and build on each other, in the order
of their names.
"""

import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import urllib.request
import zlib

from desktop import CROSS, SOURCE, Desktop, wait_for, windows_path

# Client rectangles of the main window's drawn elements (x, y, w, h).
TAB = {1: (10, 30, 70, 75), 2: (95, 30, 70, 75), 3: (180, 30, 70, 75)}
LOCATE = (293, 170, 45, 30)
SAVE = (248, 330, 90, 30)
IMPORT = (248, 370, 90, 30)
QUERY = (248, 410, 90, 30)
STATUS = (202, 210, 136, 110)
CAPTION_32 = (559, 6, 28, 19)
CAPTION_64 = (531, 6, 28, 19)

MENU_ITEMS = ["曾加新单号", "修改单号", "删除单号", "删除该公司下单号", "删除全部单号",
              "查询未签收", "导出表格"]
HEADER = "模版文件".encode("gbk") + b"%-/"
TRAILER = b"%-/" + "模版文件尾".encode("gbk")
STATUS_TEXTS = ["状态", "查询完毕", "已停止查询", "导入成功", "保存成功"]
CAPTIONS = ["开始查询", "停止查询"]
BOX_TEXTS = ["文件被损坏", "你确定要删除该公司下全部单号么？", "你确定要删除全部单号么？",
             "单号已修改，是否保存为模版？"]
# The number dialog's field and the lines of its context menu as Wine's
# edit control has them (separators are no lines).
INPUT_FIELD_ID = 1001
FIELD_MENU = ["undo", "cut", "copy", "paste", "delete", "select all"]


def centre(box):
    x, y, w, h = box
    return x + w // 2, y + h // 2


def png(width, height, rgb):
    """A plain one-colour PNG."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    rows = b"".join(b"\0" + bytes(rgb) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def template(items):
    """File bytes for (depth, text, expanded) items in pre-order."""
    body = b"".join(text.encode("gbk") + b"\0" +
                    struct.pack("<5I", 0, 0, 0, 2 if expanded else 0, depth)
                    for depth, text, expanded in items)
    return HEADER + body + TRAILER


class Reader:
    """window_reader.exe, reading the program started from that file."""

    def __init__(self, desktop, program):
        self.process = desktop.wine(os.path.join(CROSS, "e2e", "window_reader.exe"), program,
                                    stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL)

    def ask(self, *command):
        self.process.stdin.write((" ".join(map(str, command)) + "\n").encode("utf-8"))
        self.process.stdin.flush()
        line = self.process.stdout.readline()
        if not line:
            raise AssertionError("window_reader.exe ended")
        return json.loads(line.decode("utf-8"))

    def stop(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


class MainWindowEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (SOURCE and CROSS):
            raise unittest.SkipTest("needs KORVEL_SOURCE_DIR and KORVEL_CROSS_DIR")
        for path in ("korvel.exe", "e2e/window_reader.exe"):
            if not os.path.exists(os.path.join(CROSS, path)):
                raise unittest.SkipTest(path + " is not built")
        cls.folder = tempfile.mkdtemp(prefix="korvel_main_e2e_")
        cls.program = os.path.join(cls.folder, "korvel.exe")
        shutil.copy(os.path.join(CROSS, "korvel.exe"), cls.program)
        config = os.path.join(cls.folder, "config")
        os.mkdir(config)
        cls.good = [(1, "顺丰快递", True), (2, "SF1000001", False), (2, "SF1000002", False),
                    (1, "申通快递", False)]
        with open(os.path.join(config, "good.dat"), "wb") as f:
            f.write(template(cls.good))
        # Numbers the stand-in holds unanswered: a stop always meets a running run.
        with open(os.path.join(config, "held.dat"), "wb") as f:
            f.write(template([(1, "申通快递", True), (2, "HANG-a", False),
                              (2, "HANG-b", False), (2, "HANG-c", False)]))
        with open(os.path.join(config, "bad.dat"), "wb") as f:
            f.write(template(cls.good) + b"\r\n")
        with open(os.path.join(cls.folder, "red.png"), "wb") as f:
            f.write(png(32, 32, (255, 0, 0)))

        cls.standin = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools", "tracking_standin.py"), "--port", "0"],
            stdout=subprocess.PIPE, text=True)
        cls.endpoint = "127.0.0.1:" + cls.standin.stdout.readline().strip()
        cls.desktop = Desktop("wineprefix-e2e")
        cls.desktop.env["KORVEL_TRACKING_ENDPOINT"] = cls.endpoint
        cls.korvel = cls.desktop.wine(windows_path(cls.program), stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
        cls.reader = Reader(cls.desktop, windows_path(cls.program))
        # The set-up has run once the courier box holds its names.
        cls.state = wait_for("the main window", lambda: (
            lambda s: s if s["main"] and s.get("comboCount") == 79 else None)(
            cls.reader.ask("state")), timeout=60)

    @classmethod
    def tearDownClass(cls):
        if getattr(cls, "korvel", None) is None:
            return
        cls.reader.stop()
        cls.desktop.stop()
        try:
            cls.korvel.wait(timeout=10)
        except subprocess.TimeoutExpired:
            cls.korvel.kill()
            cls.korvel.wait()
        cls.standin.terminate()
        cls.standin.wait(timeout=10)
        cls.standin.stdout.close()
        shutil.rmtree(cls.folder, ignore_errors=True)

    # Input, as a person gives it.
    def screen(self, x, y):
        left, top = self.reader.ask("state")["mainRect"][:2]
        return left + x, top + y

    def click(self, x, y, button=1, repeat=1):
        self.desktop.xdo("mousemove", x, y)
        self.desktop.xdo("click", "--repeat", repeat, "--delay", 80, button)

    def click_client(self, box, button=1):
        self.click(*self.screen(*centre(box)), button=button)

    def key(self, *keys):
        self.desktop.xdo("key", "--delay", 40, *keys)

    def type(self, text):
        self.desktop.xdo("type", "--delay", 30, text)

    def park_mouse(self):
        # Away from every control, so nothing is drawn hovered.
        self.desktop.xdo("mousemove", 1200, 1000)

    def tip_over(self, x, y):
        return any(r[0] <= x < r[2] and r[1] <= y < r[3]
                   for r in (w["rect"] for w in self.windows("tooltips_class32")))

    def click_item(self, text, button=1, repeat=1):
        """Clicks a tree item once no tip lies over it (a tip shows below
        the pointer resting on an item and goes when the pointer leaves the
        tree); a left click is seen to select it before the next step."""
        self.park_mouse()
        x, y = self.item_point(text)
        wait_for("no tip over " + text, lambda: not self.tip_over(x, y))
        self.click(x, y, button=button, repeat=repeat)
        if button == 1:
            wait_for(text + " selected", lambda: self.item(text)[3])

    # Reading, from outside.
    def tree(self):
        return self.reader.ask("tree")

    def texts(self):
        return [item[1] for item in self.tree()]

    def item(self, text):
        for item in self.tree():
            if item[1] == text:
                return item
        raise AssertionError(text + " is not in the tree")

    def item_point(self, text):
        rect = self.item(text)[4]
        self.assertIsNotNone(rect, text + " is not shown")
        return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2

    def children(self, company):
        items, out, inside = self.tree(), [], False
        for depth, text, *_ in items:
            if depth == 1:
                inside = text == company
            elif inside:
                out.append(text)
        return out

    def windows(self, cls=None):
        return [w for w in self.reader.ask("windows") if cls is None or w["class"] == cls]

    def wait_window(self, cls, title=None):
        return wait_for("a %s window" % cls, lambda: next(
            (w for w in self.windows(cls) if title is None or w["title"] == title), None))

    def wait_no_window(self, cls):
        wait_for("no %s window" % cls, lambda: not self.windows(cls))

    def drawn(self, kind, box, candidates):
        self.park_mouse()
        answer = self.reader.ask("drawn", kind, *box, "|".join(candidates))
        return answer["best"]

    def wait_drawn(self, kind, box, expected, candidates, timeout=15.0):
        wait_for("%r drawn" % expected,
                 lambda: self.drawn(kind, box, candidates) == expected, timeout)

    def wait_menu(self, count):
        menu = wait_for("a menu", lambda: (lambda m: m if m["open"] and
                                           len(m["items"]) == count else None)(
            self.reader.ask("menu")))
        return menu

    def right_click_menu(self, text):
        self.click_item(text, button=3)
        menu = self.wait_menu(len(MENU_ITEMS))
        return menu, [item["enabled"] for item in menu["items"]]

    def choose(self, menu, caption, captions=MENU_ITEMS):
        item = menu["items"][captions.index(caption)]
        self.click(menu["rect"][0] + 30, item["y"])
        wait_for("the menu to close", lambda: not self.reader.ask("menu")["open"])

    def answer_dialog(self, typed):
        """Types into the open dialog and presses Enter (None: Escape), then
        waits for it to close."""
        if typed is None:
            self.key("Escape")
        else:
            self.type(typed)
            self.key("Return")
        self.wait_no_window("#32770")
        # A key sent before the program has the focus back goes nowhere.
        wait_for("the program focused again",
                 lambda: self.reader.ask("state").get("focus", "none") != "none")

    def barrier(self, what, seen):
        """Waits until a later input's effect is seen (or a window of the
        program opened, which would have taken that input), so the program
        has taken every input before it; then nothing else may be open."""
        wait_for(what, lambda: seen() or self.windows("#32770") or self.windows("SkinHostWnd"))
        self.assertEqual(self.windows("#32770") + self.windows("SkinHostWnd"), [])

    def release_held(self):
        """Answers every request the stand-in holds; how many there were."""
        with urllib.request.urlopen("http://%s/_let_go" % self.endpoint, timeout=10) as reply:
            return int(reply.read())

    def number_dialog(self, typed):
        dialog = self.wait_window("#32770", "输入单号")
        self.answer_dialog(typed)
        return dialog

    def answer_box(self, title, confirm, buttons=2, text=None):
        box = self.wait_window("SkinHostWnd", title)
        left, top, right, bottom = box["rect"]
        width, height = right - left, bottom - top
        if text is not None:
            # The message as drawn in the box's text rectangle (one line:
            # moved down by 4).
            self.park_mouse()
            shown = self.reader.ask("drawn-in", box["hwnd"], "label", 30, 47, width - 60, 50,
                                    "|".join(BOX_TEXTS))["best"]
            self.assertEqual(shown, text)
        # Of "取消" and "确认", "取消" is the first (right-most) button; a box
        # with "确认" alone has it first.
        second = confirm and buttons == 2
        x = width - 158 + 35 if second else width - 83 + 35
        self.click(left + x, top + height - 36 + 12)
        wait_for("the box to close", lambda: not self.windows("SkinHostWnd"))
        wait_for("the main window to take input", lambda: self.reader.ask("state")["enabled"])

    def file_dialog(self, typed):
        dialog = self.wait_window("#32770")
        details = self.reader.ask("dialog", dialog["hwnd"])
        self.answer_dialog(typed)
        return details

    @staticmethod
    def read_file(path):
        with open(path, "rb") as f:
            return f.read()

    def run_items(self):
        return [(d, t, e) for d, t, e, *_ in self.tree()]

    def show_page(self, page):
        shown = self.reader.ask("state")["treeVisible"]
        if shown != (page == 2):
            self.click_client(TAB[page])
            wait_for("page %d" % page,
                     lambda: self.reader.ask("state")["treeVisible"] == (page == 2))

    def setUp(self):
        if not self._testMethodName.startswith("test_1"):
            self.show_page(2)

    # The cases, in order.
    def test_1_start_and_page_two(self):
        s = self.state
        self.assertEqual(s["mainRect"], [50, 50, 712, 535])
        self.assertEqual(s["combo"], "AAE快递")
        self.assertEqual(s["comboCount"], 79)
        self.assertEqual(len(self.tree()), 79)
        self.assertFalse(s["treeVisible"])
        self.click_client(TAB[2])
        wait_for("page 2", lambda: self.reader.ask("state")["treeVisible"])
        size = lambda r: (r[2] - r[0], r[3] - r[1])
        wait_for("the closed courier box at 136 x 20",
                 lambda: size(self.reader.ask("state")["comboRect"]) == (136, 20), 5)
        self.wait_drawn("label", STATUS, "状态", STATUS_TEXTS)
        self.wait_drawn("button", QUERY, "开始查询", CAPTIONS)

    def test_2_numbers_by_enter_double_click_and_menu(self):
        # Enter on a company.
        self.click_item("安捷快递")
        self.key("Return")
        self.number_dialog("111 222")
        self.assertEqual(self.children("安捷快递"), ["111", "222"])
        self.assertTrue(self.item("安捷快递")[2])
        self.assertEqual(self.reader.ask("state")["focus"], "tree")
        # Enter on a number does nothing: the Down after it moves on.
        self.click_item("111")
        self.key("Return", "Down")
        self.barrier("the selection moved on", lambda: self.item("222")[3])

        # A double-click on a company opens the dialog.
        self.click_item("安信达快递", repeat=2)
        self.number_dialog("333")
        self.assertEqual(self.children("安信达快递"), ["333"])
        self.assertTrue(self.item("安信达快递")[2])
        # ... and the tree still toggles the company it was made on.
        self.click_item("安信达快递", repeat=2)
        self.number_dialog(None)
        self.assertFalse(self.item("安信达快递")[2])
        self.assertEqual(self.children("安信达快递"), ["333"])

        # "曾加新单号" from the menu, on a company without numbers.
        menu, enabled = self.right_click_menu("Aramex国际快递")
        self.assertEqual(enabled, [True, False, False, False, True, True, True])
        self.choose(menu, "曾加新单号")
        self.number_dialog("444")
        self.assertEqual(self.children("Aramex国际快递"), ["444"])

    def test_3_menu_items_on_numbers(self):
        menu, enabled = self.right_click_menu("安捷快递")
        self.assertEqual(enabled, [True, False, False, True, True, True, True])
        self.key("Escape")
        wait_for("the menu to close", lambda: not self.reader.ask("menu")["open"])

        menu, enabled = self.right_click_menu("111")
        self.assertEqual(enabled, [False, True, True, True, True, True, True])
        self.choose(menu, "修改单号")
        self.number_dialog("111 x")
        self.assertEqual(self.children("安捷快递"), ["111 x", "222"])

        menu, _ = self.right_click_menu("222")
        self.choose(menu, "删除单号")
        wait_for("the number gone", lambda: self.children("安捷快递") == ["111 x"])

        # A company's numbers: declined, then confirmed; the company stays.
        self.click_item("安信达快递", repeat=2)  # expand it again
        self.number_dialog(None)
        menu, _ = self.right_click_menu("333")
        self.choose(menu, "删除该公司下单号")
        self.answer_box("询问", confirm=False, text="你确定要删除该公司下全部单号么？")
        self.assertEqual(self.children("安信达快递"), ["333"])
        menu, _ = self.right_click_menu("333")
        self.choose(menu, "删除该公司下单号")
        self.answer_box("询问", confirm=True)
        self.assertEqual(self.children("安信达快递"), [])
        self.assertEqual(len(self.tree()), 81)

        # Every number: declined, then confirmed.
        menu, _ = self.right_click_menu("111 x")
        self.choose(menu, "删除全部单号")
        self.answer_box("询问", confirm=False, text="你确定要删除全部单号么？")
        self.assertEqual(len(self.tree()), 81)
        menu, _ = self.right_click_menu("444")
        self.choose(menu, "删除全部单号")
        self.answer_box("询问", confirm=True)
        self.assertEqual(self.texts()[:3], ["AAE快递", "安捷快递", "安信达快递"])
        self.assertEqual(len(self.tree()), 79)
        self.assertEqual(self.reader.ask("state")["comboCount"], 79)

    def test_3a_pasted_columns_and_hover_tips(self):
        # A column copied elsewhere: every way of pasting adds every number,
        # its blanks rule included (line breaks and tabs part numbers).
        def paste_into(company, how, column):
            self.assertTrue(self.reader.ask("put-clipboard", column)["put"])
            self.click_item(company)
            self.key("Return")
            dialog = self.wait_window("#32770", "输入单号")
            how(dialog)
            self.key("Return")
            self.wait_no_window("#32770")
            return self.children(company)

        def by_menu(dialog):
            field = self.reader.ask("item-rect", dialog["hwnd"], INPUT_FIELD_ID)["rect"]
            self.click((field[0] + field[2]) // 2, (field[1] + field[3]) // 2, button=3)
            menu = self.wait_menu(len(FIELD_MENU))
            self.assertTrue(menu["items"][FIELD_MENU.index("paste")]["enabled"])
            self.choose(menu, "paste", FIELD_MENU)

        self.assertEqual(paste_into("AAE快递", lambda _: self.key("ctrl+v"), r"A1\r\nA2\r\nA3\r\n"),
                         ["A1", "A2", "A3"])
        self.assertEqual(paste_into("安捷快递", lambda _: self.key("shift+Insert"), r"B1\nB2\tB3"),
                         ["B1", "B2", "B3"])
        self.assertEqual(paste_into("安信达快递", by_menu, r"C1\r\n\r\nC2 C3\r\n"),
                         ["C1", "C2", "C3"])

        # A tip shows below the pointer, over the rows beneath the one the
        # pointer rests on; a double-click on such a row reaches the tree.
        # Resting on the company after the ones just filled, the rows below
        # are companies too.
        rows = [item for item in self.tree() if item[4]]
        rested = next(i for i, item in enumerate(rows) if item[1] == "安信达快递")
        rested = next(i for i in range(rested + 1, len(rows)) if rows[i][0] == 1)
        label = rows[rested][4]
        self.desktop.xdo("mousemove", label[0] + 3, (label[1] + label[3]) // 2)
        tip = wait_for("the tip", lambda: next(iter(self.windows("tooltips_class32")), None))
        left, top, right, bottom = tip["rect"]
        covered = None
        for depth, text, _, _, r in rows[rested + 1:]:
            x0, x1 = max(r[0], left + 2), min(r[2], right - 2)
            if depth == 1 and x1 - x0 >= 4 and top + 2 <= (r[1] + r[3]) // 2 <= bottom - 2:
                covered = (text, ((x0 + x1) // 2, (r[1] + r[3]) // 2))
                break
        self.assertIsNotNone(covered, "no company row under the tip at %s" % tip["rect"])
        self.click(*covered[1], repeat=2)
        self.number_dialog(None)
        self.assertTrue(self.item(covered[0])[3], covered[0] + " selected")

        # The companies alone again, as the next cases expect.
        menu, _ = self.right_click_menu("A1")
        self.choose(menu, "删除全部单号")
        self.answer_box("询问", confirm=True)
        self.assertEqual(len(self.tree()), 79)

    def test_4_courier_box(self):
        s = self.reader.ask("state")
        r = s["comboEditRect"]
        self.click((r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
        self.key("End", "shift+Home")
        # A typed letter opens the list (its key-down closes it first).
        self.type("E")
        wait_for("the open list", lambda: self.reader.ask("state")["comboDropped"])
        listed = wait_for("the list", lambda: (lambda l: l if l.get("visible") else None)(
            self.reader.ask("list")))
        # The list is in catalogue order, as the tree's companies.
        index = [t for d, t, *_ in self.tree() if d == 1].index("EMS快递")
        top = listed["rect"][1] + 1 + (index - listed["top"]) * listed["itemHeight"]
        self.click(listed["rect"][0] + 30, top + listed["itemHeight"] // 2)
        wait_for("the chosen name", lambda: self.reader.ask("state")["combo"] == "EMS快递")
        self.key("Return")
        wait_for("EMS快递 selected", lambda: self.item("EMS快递")[3])
        self.assertEqual(self.reader.ask("state")["focus"], "tree")
        # "定位" finds it again after the selection moved.
        self.click_item("AAE快递")
        self.click_client(LOCATE)
        wait_for("EMS快递 selected", lambda: self.item("EMS快递")[3])

    def test_5_templates_through_the_dialogs(self):
        # Import: the dialog starts in "config" beside the program, so the
        # bare names are found there.
        before = self.run_items()
        self.click_client(IMPORT)
        self.file_dialog("bad.dat")
        self.answer_box("提示：", confirm=True, buttons=1, text="文件被损坏")
        self.assertEqual(self.run_items(), before)

        self.click_client(IMPORT)
        details = self.file_dialog("good.dat")
        self.assertEqual(details["types"], ["（模版文件）"])
        wait_for("the imported tree", lambda: self.run_items() == self.good)
        self.wait_drawn("label", STATUS, "导入成功", STATUS_TEXTS)

        # Save: one filter, "dat" added to a bare name, no overwrite prompt.
        saved = os.path.join(self.folder, "saved")
        self.click_client(SAVE)
        details = self.file_dialog(windows_path(saved))
        self.assertEqual(details["types"], ["（模版文件.dat）"])
        wait_for("the saved file", lambda: os.path.exists(saved + ".dat"))
        self.wait_drawn("label", STATUS, "保存成功", STATUS_TEXTS)
        with open(saved + ".dat", "rb") as f:
            self.assertEqual(f.read(), template(self.good))

        self.click_item("申通快递")
        self.key("Return")
        self.number_dialog("ST2000001")
        self.click_client(SAVE)
        self.file_dialog(windows_path(saved) + ".dat")
        expected = template(self.run_items())
        wait_for("the file rewritten", lambda: self.read_file(saved + ".dat") == expected)
        self.assertEqual(self.windows("#32770"), [])
        os.remove(saved + ".dat")

    def test_6_query_run_with_the_button_and_f5(self):
        self.click_client(QUERY)
        done = lambda: all(("%s\r\n" % n) in self.reader.ask("state")["result"]
                           for n in ("顺丰快递SF1000001", "顺丰快递SF1000002", "申通快递ST2000001"))
        wait_for("the query results", done, timeout=30)
        self.wait_drawn("label", STATUS, "查询完毕", STATUS_TEXTS)
        self.wait_drawn("button", QUERY, "开始查询", CAPTIONS)
        self.read_and_copy_a_result("申通快递ST2000001")

        # The dialog now starts where the last save went: a full name.
        self.click_client(IMPORT)
        self.file_dialog(windows_path(os.path.join(self.folder, "config", "held.dat")))
        self.wait_drawn("label", STATUS, "导入成功", STATUS_TEXTS)
        # The first number is held unanswered, so the run is still on when
        # the stop comes.
        asking = ["正在为您查询：申通快递HANG-" + c for c in "abc"]
        self.click_client(QUERY)
        self.wait_drawn("button", QUERY, "停止查询", CAPTIONS)
        self.wait_drawn("label", STATUS, asking[0], STATUS_TEXTS + asking)
        self.click_client(QUERY)
        self.wait_drawn("label", STATUS, "已停止查询", STATUS_TEXTS + asking)
        self.wait_drawn("button", QUERY, "开始查询", CAPTIONS)

        # F5 does the same wherever the focus is on page 2.
        self.click_item("申通快递")
        self.key("F5")
        self.wait_drawn("button", QUERY, "停止查询", CAPTIONS)
        self.wait_drawn("label", STATUS, asking[0], STATUS_TEXTS + asking)
        self.key("F5")
        self.wait_drawn("label", STATUS, "已停止查询", STATUS_TEXTS + asking)
        self.wait_drawn("button", QUERY, "开始查询", CAPTIONS)
        self.release_held()

    def result_point(self, at):
        pos = self.reader.ask("result-pos", at)
        return pos["x"], pos["y"]

    def read_and_copy_a_result(self, heading):
        """The reader wheels down to a block, selects its heading with a click
        and a Shift+click, copies it, finds that typing changes nothing, and
        selects everything from the context menu."""
        state = self.reader.ask("state")
        text = state["result"]
        start = text.index(heading)
        end = start + len(heading)
        left, top, right, bottom = state["resultRect"]
        self.click((left + right) // 2, top + 8)  # the wheel turns what has the focus
        shows = lambda: top < self.result_point(start)[1] < bottom - 30
        for _ in range(60):
            if shows():
                break
            self.desktop.xdo("click", 5)
        self.assertTrue(shows(), "the wheel never brought the heading into view")
        first = self.reader.ask("state")["resultFirst"]
        (x0, y0), (x1, y1) = self.result_point(start), self.result_point(end)
        main = self.reader.ask("state")["mainRect"]
        band = (x0 - main[0], y0 - main[1] + 3, x1 - x0, 8)
        white = self.reader.ask("mean", *band)
        self.click(x0 + 1, y0 + 6)
        self.desktop.xdo("keydown", "shift")
        self.click(x1 + 1, y1 + 6)
        self.desktop.xdo("keyup", "shift")
        wait_for("the heading selected",
                 lambda: self.reader.ask("state")["resultSel"] == [start, end])
        # The screen shows it: the band turned from black on white (grey on
        # average) to the highlight's colour.
        self.assertLess(max(white) - min(white), 10)
        wait_for("the highlight drawn",
                 lambda: (lambda m: max(m) - min(m) > 60)(self.reader.ask("mean", *band)))
        self.key("ctrl+c")
        wait_for("the heading copied", lambda: self.reader.ask("clipboard")["text"] == heading)
        # Typing changes nothing: the Shift+Left after it only takes one
        # character off the selection.
        self.key("x", "Delete", "BackSpace", "ctrl+v", "ctrl+x", "Return", "shift+Left")
        self.barrier("the selection one shorter",
                     lambda: self.reader.ask("state")["resultSel"] != [start, end])
        s = self.reader.ask("state")
        self.assertEqual((s["result"], s["resultSel"], s["resultFirst"]),
                         (text, [start, end - 1], first))
        # The keys: Shift+End takes the rest of the line, Ctrl+End goes to the
        # end of the text and brings it into view.
        self.click(x0 + 1, y0 + 6)
        self.key("shift+End")
        wait_for("the line selected by keys",
                 lambda: self.reader.ask("state")["resultSel"] == [start, end])
        self.key("ctrl+End")
        wait_for("the caret at the end",
                 lambda: self.reader.ask("state")["resultSel"] == [len(text), len(text)])
        self.assertGreaterEqual(self.reader.ask("state")["resultFirst"], first)
        self.key("shift+Up")
        wait_for("the last line selected",
                 lambda: self.reader.ask("state")["resultSel"][0] < len(text))
        self.click((left + right) // 2, (top + bottom) // 2, button=3)
        menu = self.wait_menu(2)
        self.assertEqual([i["enabled"] for i in menu["items"]], [True, True])
        self.choose(menu, "全选(&A)", ["复制(&C)", "全选(&A)"])
        wait_for("everything selected",
                 lambda: self.reader.ask("state")["resultSel"] == [0, len(text)])

    def test_7_keys(self):
        self.click_item("HANG-b")
        self.key("Delete")
        wait_for("the number gone", lambda: "HANG-b" not in self.texts())
        # Delete on a company does nothing: the Down after it moves on.
        self.click_item("申通快递")
        self.key("Delete", "Down")
        self.barrier("the selection moved on", lambda: self.item("HANG-a")[3])
        self.assertEqual(self.children("申通快递"), ["HANG-a", "HANG-c"])

        self.key("ctrl+f")
        wait_for("the courier box focused", lambda: self.reader.ask("state")["focus"] == "courier")
        s = self.reader.ask("state")
        self.assertEqual(s["comboSel"], [0, len(s["combo"].encode("utf-16-le")) // 2])

        self.key("ctrl+s")
        details = self.file_dialog(None)
        self.assertEqual(details["types"], ["（模版文件.dat）"])
        # The list was changed since the import: Ctrl+O first asks; 否 goes on.
        self.key("ctrl+o")
        box = self.wait_window("SkinHostWnd", "询问")
        left, top, right, bottom = box["rect"]
        self.park_mouse()
        self.assertEqual(self.reader.ask("drawn-in", box["hwnd"], "label", 30, 47,
                                         right - left - 60, 50, "|".join(BOX_TEXTS))["best"],
                         "单号已修改，是否保存为模版？")
        self.click(right - 158 + 35, bottom - 36 + 12)  # "否", left of "取消"
        details = self.file_dialog(None)
        self.assertEqual(details["types"], ["（模版文件）"])

        # Nothing on the other pages: the click on page 2's tab comes after
        # the keys, and page 2 shows the same tree, box and caption.
        self.click_client(TAB[1])
        wait_for("page 1", lambda: not self.reader.ask("state")["treeVisible"])
        result = self.reader.ask("state")["result"]
        items = lambda: [(d, t, e, selected) for d, t, e, selected, _ in self.tree()]
        before = items()
        self.key("F5", "shift+F5", "ctrl+s", "ctrl+o", "ctrl+e", "Delete")
        self.click_client(TAB[2])
        self.barrier("page 2", lambda: self.reader.ask("state")["treeVisible"])
        self.assertEqual(items(), before)
        self.assertEqual(self.reader.ask("state")["result"], result)
        self.wait_drawn("button", QUERY, "开始查询", CAPTIONS)

    def test_8_caption_buttons(self):
        self.click_client(CAPTION_32)
        menu = self.wait_menu(2)
        self.assertEqual([i["enabled"] for i in menu["items"]], [True, True])
        self.choose(menu, "关于", ["在线升级", "关于"])
        about = self.wait_window("SkinHostWnd")
        left, top, right, _ = about["rect"]
        # Its close button: the right-most caption button.
        self.click(right - 8 - 19, top + 6 + 9)
        wait_for("the About window closed", lambda: not self.windows("SkinHostWnd"))

        self.click_client(CAPTION_64)
        details = self.file_dialog(windows_path(os.path.join(self.folder, "red.png")))
        self.assertIn("（png文件）", details["types"])
        # Red through and through: the caption strip it replaces is orange
        # ([245, 142, 43]).
        wait_for("the red background", lambda: (lambda m: m[0] > 240 and max(m[1:]) < 16)(
            self.reader.ask("mean", 300, 8, 150, 14)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
