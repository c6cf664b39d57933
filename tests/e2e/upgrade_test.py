#!/usr/bin/env python3
"""End-to-end online upgrade: the real korvel.exe under Wine against the
update stand-in, driven from the Windows side by the cross build's
upgrade_driver_test.exe.

The stand-in announces version 1.0.0.1 and serves a real korvel.exe of that
version (the cross build's next/korvel.exe: the same program with another
version resource), signed with the cross build's throwaway key. A hostile
stand-in cuts that file off, signs it wrongly or not at all, holds its first
answer, or serves an announcement page that never ends or trickles (the
page or its headers). Every case runs a copy of the program in a fresh
folder, so the switch-over deletes the copy, never the build's exe, with a
fresh data folder of its own. The program runs on a desktop of its own
(desktop.py): no other test's program shares its Wine server or X server.
The program reads the announcement page from
KORVEL_UPDATE_PAGE_URL, its test and operations override.

Set KORVEL_E2E_SCREENSHOTS to a folder to get screenshots of the update
window mid-download, of its failure and of the About window (the download
is then slowed down so there is something to see).
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from desktop import CROSS, SOURCE, Desktop, windows_path

NEXT_VERSION = "1.0.0.1"
SHOTS = os.environ.get("KORVEL_E2E_SCREENSHOTS", "")
DRIVER_SECONDS = 240
UNREACHABLE_PAGE = "http://127.0.0.1:1/update.htm"
KEY = os.path.join(CROSS, "update-test-key.pem")


def processes_under(folder, drive=None):
    """Wine processes whose command line names a file in folder (or on the
    drive letter mapped to it)."""
    found = []
    needles = [windows_path(folder).lower().encode()]
    if drive:
        needles.append(drive.lower().encode() + b"\\")
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                line = f.read().lower()
        except OSError:
            continue
        if any(n in line for n in needles) or os.path.abspath(folder).encode() in line:
            found.append(int(pid))
    return found


class Standin:
    def __init__(self, *args):
        self.process = subprocess.Popen(
            [sys.executable, os.path.join(SOURCE, "tools", "update_standin.py"), "--port", "0",
             "--key", KEY, *args], stdout=subprocess.PIPE, text=True)
        self.port = int(self.process.stdout.readline().strip())

    def page(self):
        return "http://127.0.0.1:%d/update.htm" % self.port

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.process.stdout.close()


class Screenshots(threading.Thread):
    """Takes a shot of the X screen each time the driver names a moment."""

    def __init__(self, folder, env):
        super().__init__(daemon=True)
        self.folder, self.env, self.done = folder, env, threading.Event()

    def run(self):
        while not self.done.is_set():
            for name in os.listdir(self.folder):
                if not name.endswith(".wanted"):
                    continue
                moment = name[:-len(".wanted")]
                time.sleep(0.5)  # let the window finish painting
                subprocess.run(["import", "-window", "root",
                                os.path.join(SHOTS, moment + ".png")], env=self.env, check=False)
                os.rename(os.path.join(self.folder, name),
                          os.path.join(self.folder, moment + ".taken"))
            time.sleep(0.1)


class UpgradeEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (SOURCE and CROSS):
            raise unittest.SkipTest("needs KORVEL_SOURCE_DIR and KORVEL_CROSS_DIR")
        cls.program = os.path.join(CROSS, "korvel.exe")
        cls.driver = os.path.join(CROSS, "wintests", "upgrade_driver_test.exe")
        cls.next_program = os.path.join(CROSS, "next", "korvel.exe")
        for path in (cls.program, cls.driver, cls.next_program):
            if not os.path.exists(path):
                raise unittest.SkipTest(path + " is not built")
        cls.desktop = Desktop("wineprefix-upgrade")

    @classmethod
    def tearDownClass(cls):
        if getattr(cls, "desktop", None):
            cls.desktop.stop()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="korvel_e2e_")
        self.shots = tempfile.mkdtemp(prefix="korvel_e2e_shots_") if SHOTS else ""
        shutil.copy(self.program, os.path.join(self.folder, "korvel.exe"))
        self.standin = None
        self.drive_link = None
        self.elsewhere = None
        # The program's own files, apart from the folder whose files are checked.
        self.data = tempfile.mkdtemp(prefix="korvel_e2e_data_")

    def tearDown(self):
        if self.standin:
            self.standin.stop()
        # Nothing the case started may outlive it.
        drive = os.path.basename(self.drive_link) if self.drive_link else None
        pids = processes_under(self.folder, drive)
        if self.elsewhere:
            pids += processes_under(self.elsewhere)
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.data, ignore_errors=True)
        if self.drive_link:
            os.unlink(self.drive_link)
        if self.elsewhere:
            shutil.rmtree(self.elsewhere, ignore_errors=True)
        if self.shots:
            shutil.rmtree(self.shots, ignore_errors=True)

    def drive(self, case, page, program=None, start_in=None, bystander=None, **extra):
        env = dict(self.desktop.env, KORVEL_E2E_PROGRAM=program or windows_path(
                       os.path.join(self.folder, "korvel.exe")),
                   KORVEL_UPDATE_PAGE_URL=page, KORVEL_DATA_DIR=windows_path(self.data),
                   **extra)
        if start_in:
            env["KORVEL_E2E_START_IN"] = start_in
        if bystander:
            env["KORVEL_E2E_BYSTANDER"] = bystander
        shooter = None
        if self.shots:
            env["KORVEL_E2E_SHOTS"] = windows_path(self.shots)
            shooter = Screenshots(self.shots, env)
            shooter.start()
        try:
            result = subprocess.run(
                [os.path.join(SOURCE, "scripts", "wine-run.sh"), self.driver,
                 "--gtest_filter=UpgradeDriver." + case], env=env, timeout=DRIVER_SECONDS,
                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
        finally:
            if shooter:
                shooter.done.set()
                shooter.join()
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertIn("[  PASSED  ] 1 test", result.stdout, result.stdout)

    def files(self):
        return sorted(os.listdir(self.folder))

    def serve(self, version, *faults):
        # Slowed down for screenshots of the progress; a fault shows at once.
        rate = ["--rate", "20000"] if SHOTS and not faults else []
        self.standin = Standin("--version", version, "--file", self.next_program, *rate, *faults)
        return self.standin.page()

    def read(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def test_switch_over_leaves_only_the_new_program_running(self):
        # Another copy of the same file name keeps running.
        self.elsewhere = tempfile.mkdtemp(prefix="korvel_e2e_other_")
        shutil.copy(self.program, os.path.join(self.elsewhere, "korvel.exe"))
        page = self.serve(NEXT_VERSION)
        self.drive("SwitchOver", page,
                   bystander=windows_path(os.path.join(self.elsewhere, "korvel.exe")))
        self.assertEqual(self.files(), ["korvel.exe1.exe"])
        with open(self.next_program, "rb") as f:
            self.assertEqual(self.read("korvel.exe1.exe"), f.read())

    def test_a_changed_list_is_offered_before_the_switch_over(self):
        self.drive("ChangedListIsOfferedBeforeTheSwitchOver", self.serve(NEXT_VERSION))
        self.assertEqual(self.files(), ["korvel.exe", "korvel.exe1.exe"])
        self.assertEqual(os.listdir(self.data), [])

    def map_drive(self):
        """Maps a free drive letter of the prefix to the case's folder, so
        the program runs at a drive root; the letter, as "K:"."""
        devices = os.path.join(self.desktop.prefix, "dosdevices")
        for letter in "klmnopqrstuvwxy":
            link = os.path.join(devices, letter + ":")
            try:
                os.symlink(self.folder, link)
            except FileExistsError:
                continue
            self.drive_link = link
            return letter.upper() + ":"
        self.skipTest("no free drive letter")

    def test_switch_over_started_from_another_folder(self):
        self.elsewhere = tempfile.mkdtemp(prefix="korvel_e2e_cwd_")
        self.drive("SwitchOver", self.serve(NEXT_VERSION), start_in=windows_path(self.elsewhere))
        self.assertEqual(self.files(), ["korvel.exe1.exe"])
        self.assertEqual(os.listdir(self.elsewhere), [])

    def test_switch_over_at_a_drive_root(self):
        drive = self.map_drive()
        self.drive("SwitchOver", self.serve(NEXT_VERSION), program=drive + "\\korvel.exe")
        self.assertEqual(self.files(), ["korvel.exe1.exe"])

    def test_refused_download_keeps_the_old_program(self):
        # The whole file arrives and only the signature check of the real
        # program refuses it; the other refusals (cut-off framings, no
        # signature) take the same path, and update_window_test judges each.
        self.drive("RefusedDownload", self.serve(NEXT_VERSION, "--signature", "wrong"))
        self.assertEqual(self.files(), ["korvel.exe"])
        with open(self.program, "rb") as f:
            self.assertEqual(self.read("korvel.exe"), f.read())

    def test_endless_or_trickling_page_is_up_to_date(self):
        # With headers that trickle, the driver also sees the main window
        # answer while the stand-in still holds them.
        for page in ("endless", "trickle", "headers"):
            with self.subTest(page=page):
                extra = {"KORVEL_E2E_HEADERS_TRICKLE": "1"} if page == "headers" else {}
                self.drive("UpToDate", self.serve(NEXT_VERSION, "--page", page), **extra)
                self.standin.stop()
                self.standin = None
                self.assertEqual(self.files(), ["korvel.exe"])

    def test_same_version_is_up_to_date(self):
        self.drive("UpToDate", self.serve("1.0.0.0"))
        self.assertEqual(self.files(), ["korvel.exe"])

    def test_unreachable_page_is_up_to_date(self):
        self.drive("UpToDate", UNREACHABLE_PAGE)
        self.assertEqual(self.files(), ["korvel.exe"])

    def test_dropped_transfer_keeps_the_old_program(self):
        size = os.path.getsize(self.next_program)
        page = self.serve(NEXT_VERSION, "--fault", "drop", "--drop-at", str(size // 2))
        self.drive("DroppedTransfer", page)
        self.assertEqual(self.files(), ["korvel.exe"])
        with open(self.program, "rb") as f:
            self.assertEqual(self.read("korvel.exe"), f.read())

    def test_closed_while_the_first_request_is_held_leaves_no_file(self):
        self.drive("ClosedWhileTheFirstRequestIsHeld",
                   self.serve(NEXT_VERSION, "--fault", "hold"))
        self.assertEqual(self.files(), ["korvel.exe"])

    def test_cancel_keeps_the_download_beside_the_program(self):
        self.drive("CancelKeepsTheDownload", self.serve(NEXT_VERSION))
        self.assertEqual(self.files(), ["korvel.exe", "korvel.exe1.exe"])

    def test_about_window(self):
        self.drive("About", UNREACHABLE_PAGE)


if __name__ == "__main__":
    unittest.main(verbosity=2)
