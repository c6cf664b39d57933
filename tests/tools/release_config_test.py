#!/usr/bin/env python3
"""The release configuration's guards (cmake/update_key.cmake, run in CMake's
script mode): an update page that is not https, a loopback service and an
empty or malformed public key stop the configuration."""

import os
import subprocess
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake",
                      "update_key.cmake")
KEY = "f613c4b023596afd67d249c612d531be441ddc9b3f5612064c9e0dc85755a123" \
      "6115b410310e8ec02fcaf0eea90c17ed02a3093321de4d0bd5cc57be63cc1e62"
PAGE = "https://updates.example.invalid/update.htm"
TRACKING = "track.example.invalid"


def configure(page, tracking, key):
    return subprocess.run(
        ["cmake", "-DKORVEL_RELEASE=ON", "-DKORVEL_UPDATE_PAGE_URL=" + page,
         "-DKORVEL_TRACKING_ENDPOINT=" + tracking, "-DKORVEL_UPDATE_PUBLIC_KEY=" + key,
         "-P", SCRIPT], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


class ReleaseConfiguration(unittest.TestCase):
    def test_guards(self):
        cases = [
            (PAGE, TRACKING, KEY, None),
            (PAGE, TRACKING + ":8080", KEY.upper(), None),
            ("http://updates.example.invalid/update.htm", TRACKING, KEY, "https"),
            ("ftp://updates.example.invalid/update.htm", TRACKING, KEY, "https"),
            ("https://127.0.0.1:18471/update.htm", TRACKING, KEY, "loopback"),
            ("https://localhost/update.htm", TRACKING, KEY, "loopback"),
            ("https://[::1]/update.htm", TRACKING, KEY, "loopback"),
            ("https://user@127.0.0.2/update.htm", TRACKING, KEY, "loopback"),
            (PAGE, "127.0.0.1:18470", KEY, "loopback"),
            (PAGE, "localhost", KEY, "loopback"),
            (PAGE, TRACKING, "", "empty"),
            (PAGE, TRACKING, KEY[:-2], "no key"),
            (PAGE, TRACKING, KEY[:-1] + "g", "no key"),
        ]
        for page, tracking, key, error in cases:
            with self.subTest(page=page, tracking=tracking, key=key[:8]):
                result = configure(page, tracking, key)
                if error is None:
                    self.assertEqual(result.returncode, 0, result.stdout)
                else:
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn(error, result.stdout.replace("\n  ", " "))


if __name__ == "__main__":
    unittest.main(verbosity=2)
