"""What the end-to-end tests share: a desktop of their own for the program.

A Desktop is a private X server, a Wine prefix of its own (made once beside
the build's, by scripts/wine-prefix.sh) with its server started as the Wine
tests' is (scripts/wine-server.sh), and a fresh folder for the files the
program keeps for itself (KORVEL_DATA_DIR). So no other test's windows lie
over the program or take its input, no other test's program shares its
server, and nothing one program leaves behind reaches another. stop() ends
everything the desktop started and removes the folder.
"""

import os
import shutil
import subprocess
import tempfile
import time

SOURCE = os.environ.get("KORVEL_SOURCE_DIR", "")
CROSS = os.environ.get("KORVEL_CROSS_DIR", "")
BUILD = os.path.dirname(CROSS.rstrip("/"))


def windows_path(path):
    # The prefix maps drive Z: to the root of the host.
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wait_for(what, predicate, timeout=15.0):
    """Polls predicate until it gives a true value, which it returns."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def fresh_data_folder():
    """A new, empty folder for the program's own files: (host, Windows) paths."""
    folder = tempfile.mkdtemp(prefix="korvel_data_")
    return folder, windows_path(folder)


class Desktop:
    def __init__(self, prefix_name):
        self.prefix = os.path.join(BUILD, prefix_name)
        subprocess.run([os.path.join(SOURCE, "scripts", "wine-prefix.sh"), self.prefix],
                       check=True, stdout=subprocess.DEVNULL)
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.display = ":" + self.xvfb.stdout.readline().decode().strip()
        self.data, data = fresh_data_folder()
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=self.prefix,
                        WINEDEBUG="-all", LC_ALL="C.UTF-8", KORVEL_DATA_DIR=data)
        self.server("start")

    def server(self, action):
        subprocess.run([os.path.join(SOURCE, "scripts", "wine-server.sh"), action],
                       env=self.env, check=True, timeout=120)

    def wine(self, *args, **kwargs):
        return subprocess.Popen([os.path.join(SOURCE, "scripts", "wine-run.sh"), *args],
                                env=kwargs.pop("env", self.env), **kwargs)

    def xdo(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True)

    def stop(self):
        self.server("stop")
        self.xvfb.terminate()
        self.xvfb.wait(timeout=10)
        self.xvfb.stdout.close()
        shutil.rmtree(self.data, ignore_errors=True)
