#!/usr/bin/env python3
"""End-to-end: nothing the user typed is lost. The real korvel.exe under Wine,
driven with real input (xdotool clicks, keys and typing) and read from
outside (window_reader.exe, the files in its data folder, saved files):

- closing with a changed list asks; 取消 keeps the window, 否 closes and
  leaves no recovery copy, 是 saves through the save dialog first;
- "导入历史模版" over a changed list asks the same before its dialog;
- a program killed hard leaves its recovery copy, and the next start offers
  it (an Enter pressed by habit keeps it; 是 gives back the very tree);
- of two copies, a start offers only the copy of the one that died, and the
  other keeps its list;
- Windows ending the session gets the newest list written at once.

The programs run on a desktop of its own (desktop.py: an X server, a Wine
prefix and a data folder, KORVEL_DATA_DIR, which every program here shares).
The cases share the desktop and run in the order of their names.
"""

import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import main_window_test as mw  # noqa: E402  (the reader and the person's input)
from desktop import Desktop, wait_for, windows_path  # noqa: E402
from main_window_test import IMPORT, Reader, template  # noqa: E402

CLOSE = (615, 6, 39, 19)  # the close caption button
ASK = "单号已修改，是否保存为模版？"


class Person:
    """The main window test's hands and eyes, for whichever program the
    reader reads."""
    screen = mw.MainWindowEndToEnd.screen
    click = mw.MainWindowEndToEnd.click
    click_client = mw.MainWindowEndToEnd.click_client
    key = mw.MainWindowEndToEnd.key
    type = mw.MainWindowEndToEnd.type
    park_mouse = mw.MainWindowEndToEnd.park_mouse
    tree = mw.MainWindowEndToEnd.tree
    item = mw.MainWindowEndToEnd.item
    item_point = mw.MainWindowEndToEnd.item_point
    tip_over = mw.MainWindowEndToEnd.tip_over
    click_item = mw.MainWindowEndToEnd.click_item
    children = mw.MainWindowEndToEnd.children
    windows = mw.MainWindowEndToEnd.windows
    wait_window = mw.MainWindowEndToEnd.wait_window
    wait_no_window = mw.MainWindowEndToEnd.wait_no_window
    answer_dialog = mw.MainWindowEndToEnd.answer_dialog
    number_dialog = mw.MainWindowEndToEnd.number_dialog
    run_items = mw.MainWindowEndToEnd.run_items
    show_page = mw.MainWindowEndToEnd.show_page


class UnsavedListEndToEnd(Person, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (mw.SOURCE and mw.CROSS):
            raise unittest.SkipTest("needs KORVEL_SOURCE_DIR and KORVEL_CROSS_DIR")
        for path in ("korvel.exe", "e2e/window_reader.exe"):
            if not os.path.exists(os.path.join(mw.CROSS, path)):
                raise unittest.SkipTest(path + " is not built")
        cls.folder = tempfile.mkdtemp(prefix="korvel_unsaved_e2e_")
        cls.program = os.path.join(cls.folder, "korvel.exe")
        shutil.copy(os.path.join(mw.CROSS, "korvel.exe"), cls.program)
        cls.desktop = Desktop("wineprefix-e2e-unsaved")
        cls.data = cls.desktop.data
        cls.reader = Reader(cls.desktop, windows_path(cls.program))
        cls.running = {}  # Windows process id -> the Wine process

    @classmethod
    def tearDownClass(cls):
        if getattr(cls, "reader", None) is None:
            return
        cls.reader.stop()
        cls.desktop.stop()
        for process in cls.running.values():
            process.kill()
            process.wait()
        shutil.rmtree(cls.folder, ignore_errors=True)

    # Programs.
    def start(self):
        """Starts a copy and reads it from now on; its Windows process id."""
        known = {p["pid"] for p in self.reader.ask("programs")}
        process = self.desktop.wine(windows_path(self.program), stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        new = wait_for("the new main window", lambda: [
            p["pid"] for p in self.reader.ask("programs") if p["pid"] not in known], timeout=60)
        pid = new[0]
        self.running[pid] = process
        self.use(pid)
        wait_for("the set-up", lambda: self.reader.ask("state").get("comboCount") == 79)
        return pid

    def use(self, pid):
        self.reader.ask("use", pid)

    def kill(self, pid):
        """Ends the program as a crash or a power cut would: no orderly close."""
        process = self.running.pop(pid)
        process.send_signal(signal.SIGKILL)
        process.wait(timeout=30)
        wait_for("the program gone",
                 lambda: pid not in [p["pid"] for p in self.reader.ask("programs")])

    def wait_ended(self, pid):
        self.running.pop(pid).wait(timeout=30)

    # The data folder.
    def copies(self):
        return sorted(glob.glob(os.path.join(self.data, "unsaved-*.dat")))

    def copy_of(self, pid):
        """The recovery copy of a running program: the one whose name holds its id."""
        mine = [c for c in self.copies()
                if os.path.basename(c).startswith("unsaved-%x-" % pid)]
        return mine[0] if mine else None

    def wait_copy(self, pid, items):
        want = template(items)
        wait_for("the recovery copy", lambda: (lambda c: c and mw.MainWindowEndToEnd.read_file(c)
                                               == want)(self.copy_of(pid)))

    # What a person does.
    def select(self, text):
        self.click_item(text)

    def add_numbers(self, company, typed):
        """Company names near the top of the tree, which shows them unscrolled."""
        self.show_page(2)
        self.select(company)
        self.key("Return")
        self.number_dialog(typed)
        wait_for("the numbers", lambda: self.children(company)[-1] == typed.split()[-1])

    def box(self, title="询问"):
        return self.wait_window("SkinHostWnd", title)

    def box_text(self, box, candidates):
        left, top, right, bottom = box["rect"]
        self.park_mouse()
        return self.reader.ask("drawn-in", box["hwnd"], "label", 30, 47, right - left - 60, 50,
                               "|".join(candidates))["best"]

    def press(self, box, button):
        """Clicks the box's button by its place, right to left: 0 取消, 1 否, 2 是."""
        left, top, right, bottom = box["rect"]
        x = right - left - 83 - 75 * button + 35
        self.click(left + x, bottom - 36 + 12)
        wait_for("the box closed", lambda: not self.windows("SkinHostWnd"))

    def save_dialog(self, path):
        """Types the name, and presses Enter once the field holds all of it
        (keys sent before the dialog has the focus go elsewhere)."""
        dialog = self.wait_window("#32770")
        typed = windows_path(path)
        for _ in range(3):
            self.key("ctrl+a")
            self.type(typed)
            try:
                wait_for("the typed name", lambda: self.reader.ask(
                    "dialog", dialog["hwnd"])["name"] == typed, timeout=5)
                break
            except AssertionError:
                continue
        details = self.reader.ask("dialog", dialog["hwnd"])
        self.key("Return")
        self.wait_no_window("#32770")
        return details

    def close_window(self):
        self.click_client(CLOSE)

    def question_text(self, path, numbers):
        t = time.localtime(os.stat(path).st_mtime)
        return "上次未保存的 %d 个单号（%d月%d日 %02d:%02d）已找回，是否恢复？" % (
            numbers, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min)

    def start_with_nothing_offered(self):
        """A start that asks nothing: the list takes a number at once (a box
        would hold the window), and the one added is dropped again."""
        pid = self.start()
        self.add_numbers("AAE快递", "probe")
        self.assertEqual(self.windows("SkinHostWnd"), [])
        self.select("probe")
        self.key("Delete")
        wait_for("the number gone", lambda: self.children("AAE快递") == [])
        return pid

    # The cases, in order.
    def test_1_close_and_import_ask_about_a_changed_list(self):
        pid = self.start()
        self.assertEqual(self.copies(), [])
        self.add_numbers("安捷快递", "A1 A2")
        items = self.run_items()
        self.wait_copy(pid, items)

        # An import would replace the list: 取消 opens no file dialog.
        self.click_client(IMPORT)
        box = self.box()
        self.assertEqual(self.box_text(box, [ASK, "文件被损坏"]), ASK)
        self.press(box, 0)
        # The close caption button: asks, 取消 keeps everything. (Had the file
        # dialog opened, the window would take no click and show no box.)
        self.close_window()
        self.press(self.box(), 0)
        self.assertEqual(self.run_items(), items)
        self.assertTrue(self.reader.ask("state")["main"])
        # 否: the window goes, and so does the copy.
        self.close_window()
        self.press(self.box(), 1)
        self.wait_ended(pid)
        self.assertEqual(os.listdir(self.data), [])

    def test_2_yes_saves_first_then_closes(self):
        pid = self.start_with_nothing_offered()
        self.add_numbers("安捷快递", "ST1")
        items = self.run_items()
        self.close_window()
        self.press(self.box(), 2)
        saved = os.path.join(self.folder, "closing")
        details = self.save_dialog(saved)
        self.assertEqual(details["types"], ["（模版文件.dat）"])
        self.wait_ended(pid)
        self.assertEqual(mw.MainWindowEndToEnd.read_file(saved + ".dat"), template(items))
        self.assertEqual(os.listdir(self.data), [])

    def test_3_a_killed_programs_list_comes_back(self):
        pid = self.start_with_nothing_offered()
        self.add_numbers("安信达快递", "SF1 SF2 SF3")
        self.add_numbers("CCES快递", "EM1")
        items = self.run_items()
        self.wait_copy(pid, items)
        copy = self.copy_of(pid)
        self.kill(pid)
        question = self.question_text(copy, 4)

        # Enter, by habit: the focused 取消 keeps the copy for the next start.
        pid = self.start()
        box = self.box()
        self.assertEqual(self.box_text(box, [question, self.question_text(copy, 3), ASK]),
                         question)
        self.key("Return")
        wait_for("the box closed", lambda: not self.windows("SkinHostWnd"))
        self.assertEqual(len(self.tree()), 79)
        self.close_window()  # unchanged: no question
        self.wait_ended(pid)
        self.assertEqual(self.copies(), [copy])

        # 是: the very tree, and the list counts as changed.
        pid = self.start()
        self.press(self.box(), 2)
        wait_for("the tree back", lambda: self.run_items() == items)
        self.assertEqual(self.copies(), [self.copy_of(pid)])
        self.close_window()
        self.press(self.box(), 1)
        self.wait_ended(pid)
        self.assertEqual(os.listdir(self.data), [])

    def test_4_only_a_dead_copys_list_is_offered(self):
        first = self.start_with_nothing_offered()
        self.add_numbers("安捷快递", "ONE1 ONE2")
        ones = self.run_items()
        second = self.start()
        self.add_numbers("Aramex国际快递", "TWO1")
        twos = self.run_items()
        self.wait_copy(second, twos)
        self.use(first)
        self.wait_copy(first, ones)
        self.kill(first)

        self.use(second)
        self.assertEqual(self.run_items(), twos)
        third = self.start()
        self.press(self.box(), 2)
        wait_for("the dead copy's list", lambda: self.run_items() == ones)
        # The living copy keeps its list and its file.
        self.use(second)
        self.assertEqual(self.run_items(), twos)
        self.wait_copy(second, twos)
        for pid in (third, second):
            self.use(pid)
            self.close_window()
            self.press(self.box(), 1)
            self.wait_ended(pid)
        self.assertEqual(os.listdir(self.data), [])

    def test_5_the_session_end_writes_the_newest_list_at_once(self):
        pid = self.start_with_nothing_offered()
        self.add_numbers("程光快递", "YD1 YD2 YD3")
        self.select("YD3")
        self.wait_copy(pid, self.run_items())
        # A copy written just now...
        self.key("Delete")
        wait_for("the number gone", lambda: self.children("程光快递") == ["YD1", "YD2"])
        self.wait_copy(pid, self.run_items())
        self.select("YD2")
        # ... makes the next one wait for the rest of its second; the
        # session's end does not.
        self.key("Delete")
        wait_for("the number gone", lambda: self.children("程光快递") == ["YD1"])
        answer = self.reader.ask("endsession")
        self.assertEqual(answer, {"answered": True, "mayEnd": True})
        items = self.run_items()
        self.assertEqual(mw.MainWindowEndToEnd.read_file(self.copy_of(pid)), template(items))
        self.assertEqual(self.windows("SkinHostWnd"), [])
        self.kill(pid)  # as Windows ends it

        pid = self.start()
        self.press(self.box(), 1)  # 否: the copy goes
        self.assertEqual(len(self.tree()), 79)
        wait_for("the copy removed", lambda: self.copies() == [])
        self.close_window()
        self.wait_ended(pid)


if __name__ == "__main__":
    unittest.main(verbosity=2)
