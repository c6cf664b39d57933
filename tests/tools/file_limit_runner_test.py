#!/usr/bin/env python3
"""The file-size cap of file_limit_runner.py: asked for on stdout, in force
for the command's writes, lifted again, its output passed through."""
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

RUNNER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                      "file_limit_runner.py")

# The child asks for a cap of 1000 bytes, waits until a write past it fails,
# reports what it saw, lifts the cap and waits until the same write works.
CHILD = textwrap.dedent("""
    import errno, os, sys, time

    def write(path, size):
        try:
            with open(path, "wb") as f:
                f.write(b"x" * size)
            return "ok"
        except OSError as e:
            return errno.errorcode.get(e.errno, str(e.errno))

    def until(path, wanted):
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if (write(path, 1001) == "ok") == wanted:
                return True
            time.sleep(0.01)
        return False

    folder = sys.argv[1]
    probe = os.path.join(folder, "probe")
    print("env", os.environ.get("KORVEL_FILE_LIMIT"))
    print("before", write(probe, 1001), flush=True)
    print("korvel-file-limit: 1000", flush=True)
    print("capped", until(probe, False), flush=True)
    print("big", write(os.path.join(folder, "big"), 5000))
    print("small", write(os.path.join(folder, "small"), 1000))
    print("size", os.path.getsize(os.path.join(folder, "big")))
    print("korvel-file-limit: off", flush=True)
    print("lifted", until(probe, True), flush=True)
    sys.exit(3)
""")


class FileLimitRunnerTest(unittest.TestCase):
    def run_child(self, folder):
        return subprocess.run([sys.executable, RUNNER, "--", sys.executable, "-c", CHILD, folder],
                              stdout=subprocess.PIPE, timeout=60)

    def test_the_cap_comes_and_goes_on_request(self):
        with tempfile.TemporaryDirectory() as folder:
            done = self.run_child(folder)
        lines = done.stdout.decode().splitlines()
        self.assertEqual(done.returncode, 3)
        self.assertEqual(lines, [
            "env 1",
            "before ok",
            "korvel-file-limit: 1000",
            "capped True",
            "big EFBIG",  # a failed write, not a killed process
            "small ok",
            "size 1000",  # the bytes up to the cap were written
            "korvel-file-limit: off",
            "lifted True",
        ])

    def test_usage_without_a_command(self):
        done = subprocess.run([sys.executable, RUNNER], stderr=subprocess.PIPE, timeout=30)
        self.assertEqual(done.returncode, 2)


if __name__ == "__main__":
    unittest.main()
