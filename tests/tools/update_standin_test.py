#!/usr/bin/env python3
"""The update stand-in: pages with their markers, byte ranges, faults."""

import http.client
import json
import os
import shutil
import socket
import subprocess
import tempfile
import sys
import unittest
import urllib.error
import urllib.request

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools")
sys.path.insert(0, TOOLS)
import update_standin  # noqa: E402

DLINK = 'dlink\\":\\"'


def between(text, opening, closing):
    start = text.index(opening) + len(opening)
    return text[start:text.index(closing, start)]


class StandinTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="korvel_standin_test_")
        cls.key = os.path.join(cls.scratch, "key.pem")
        subprocess.run(["openssl", "ecparam", "-name", "prime256v1", "-genkey", "-noout",
                        "-out", cls.key], check=True)
        cls.server = subprocess.Popen(
            [sys.executable, os.path.join(TOOLS, "update_standin.py"), "--port", "0",
             "--version", "2.0.0.0", "--size", "100000", "--key", cls.key],
            stdout=subprocess.PIPE, text=True)
        cls.port = int(cls.server.stdout.readline())
        cls.base = "http://127.0.0.1:%d" % cls.port

    @classmethod
    def tearDownClass(cls):
        cls.server.terminate()
        cls.server.wait()
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def setUp(self):
        self.control("fault=none&size=100000&rate=0&version=2.0.0.0&reset_stats=1"
                     "&signature=good&page=normal")

    def control(self, query):
        with urllib.request.urlopen(self.base + "/control?" + query) as r:
            self.assertEqual(r.read(), b"ok")

    def get(self, path, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        conn.request("GET", path, headers=headers or {})
        response = conn.getresponse()
        try:
            body = response.read()
        except http.client.IncompleteRead as cut:
            body = cut.partial
        conn.close()
        return response, body

    def test_pages_lead_to_the_file(self):
        _, page = self.get("/update.htm")
        text = page.decode("gbk")
        self.assertEqual(between(text, "*||*", "*||*"), "2.0.0.0")
        link = between(text, "dz*#", "*#*#")
        self.assertIn("&amp;", link)
        self.assertEqual(text.count("dz*#"), 1)
        path = link.replace("amp;", "").split(str(self.port), 1)[1]
        response, down = self.get(path)
        self.assertEqual(response.status, 200)
        address = between(down.decode("gbk"), DLINK, '\\"')
        self.assertIn("\\\\/", address)
        while "\\\\" in address:
            address = address.replace("\\\\", "", 1)
        self.assertEqual(address, self.base + "/files/korvel.exe")
        # The link with its "&amp;" left in does not lead anywhere.
        response, _ = self.get(link.split(str(self.port), 1)[1])
        self.assertEqual(response.status, 404)

    def test_version_follows_control(self):
        self.control("version=1.0.0.0")
        _, page = self.get("/update.htm")
        self.assertIn("*||*1.0.0.0*||*", page.decode("gbk"))

    def test_ranges(self):
        whole = update_standin.generated_file(100000)
        self.assertEqual(whole[:2], b"MZ")
        cases = [
            (None, 200, None, whole),
            ("bytes=0-", 206, "bytes 0-99999/100000", whole),
            ("bytes=10-19", 206, "bytes 10-19/100000", whole[10:20]),
            ("bytes=99990-200000", 206, "bytes 99990-99999/100000", whole[99990:]),
            ("bytes=-5", 206, "bytes 99995-99999/100000", whole[-5:]),
            ("bytes=100000-", 416, "bytes */100000", b""),
            ("bytes=oops", 200, None, whole),
        ]
        for wanted, status, content_range, body in cases:
            with self.subTest(wanted):
                response, got = self.get("/files/korvel.exe", {"Range": wanted} if wanted else {})
                self.assertEqual(response.status, status)
                self.assertEqual(response.getheader("Content-Range"), content_range)
                self.assertEqual(got, body)

    def test_faults(self):
        whole = update_standin.generated_file(100000)
        self.control("fault=ignore-ranges")
        response, got = self.get("/files/korvel.exe", {"Range": "bytes=10-19"})
        self.assertEqual((response.status, got), (200, whole))

        self.control("fault=drop&drop_at=30000")
        response, got = self.get("/files/korvel.exe")
        self.assertEqual(response.getheader("Content-Length"), "100000")
        self.assertEqual(got, whole[:30000])
        response, got = self.get("/files/korvel.exe", {"Range": "bytes=40000-49999"})
        self.assertEqual((response.status, got), (206, b""))

        self.control("fault=stall&drop_at=30000")
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=1)
        conn.request("GET", "/files/korvel.exe")
        response = conn.getresponse()
        self.assertEqual(response.read(30000), whole[:30000])
        with self.assertRaises(OSError):  # silent, not closed
            response.read(1)
        conn.close()

        self.control("fault=missing")
        response, _ = self.get("/files/korvel.exe")
        self.assertEqual(response.status, 404)

        self.control("fault=none&size=0")
        response, got = self.get("/files/korvel.exe")
        self.assertEqual((response.status, got), (200, b""))
        response, got = self.get("/files/korvel.exe", {"Range": "bytes=0-"})
        self.assertEqual((response.status, response.getheader("Content-Range")),
                         (416, "bytes */0"))

    def verifies(self, signature_hex, data):
        """openssl's verdict on r||s over data with the stand-in's key."""
        def der_int(value):
            raw = value.to_bytes(33, "big").lstrip(b"\0") or b"\0"
            if raw[0] & 0x80:
                raw = b"\0" + raw
            return b"\x02" + bytes([len(raw)]) + raw
        raw = bytes.fromhex(signature_hex)
        body = der_int(int.from_bytes(raw[:32], "big")) + der_int(int.from_bytes(raw[32:], "big"))
        paths = [os.path.join(self.scratch, n) for n in ("sig.der", "data", "pub.pem")]
        with open(paths[0], "wb") as f:
            f.write(b"\x30" + bytes([len(body)]) + body)
        with open(paths[1], "wb") as f:
            f.write(data)
        subprocess.run(["openssl", "ec", "-in", self.key, "-pubout", "-out", paths[2]],
                       check=True, stderr=subprocess.DEVNULL)
        return subprocess.run(["openssl", "dgst", "-sha256", "-verify", paths[2], "-signature",
                               paths[0], paths[1]], stdout=subprocess.DEVNULL).returncode == 0

    def test_signatures(self):
        whole = update_standin.generated_file(100000)
        _, page = self.get("/update.htm")
        good = between(page.decode("gbk"), "qm*#", "*#*#")
        self.assertEqual(len(good), 128)
        self.assertTrue(self.verifies(good, whole))
        self.assertFalse(self.verifies(good, whole[:-1]))
        self.control("signature=wrong")
        _, page = self.get("/update.htm")
        self.assertFalse(self.verifies(between(page.decode("gbk"), "qm*#", "*#*#"), whole))
        self.control("signature=none")
        _, page = self.get("/update.htm")
        self.assertNotIn("qm*#", page.decode("gbk"))
        self.assertIn("*||*2.0.0.0*||*", page.decode("gbk"))

    def test_hostile_file_and_pages(self):
        whole = update_standin.generated_file(100000)
        self.control("fault=nolength")
        response, got = self.get("/files/korvel.exe", {"Range": "bytes=0-9"})
        self.assertEqual((response.status, response.getheader("Content-Length"), got),
                         (200, None, whole))
        self.control("fault=cut-close&drop_at=25000")
        _, got = self.get("/files/korvel.exe")
        self.assertEqual(got, whole[:25000])
        self.control("fault=cut-chunked&drop_at=80000")
        response, got = self.get("/files/korvel.exe")
        self.assertEqual(response.getheader("Transfer-Encoding"), "chunked")
        self.assertLess(len(got), 80001)
        self.control("fault=cut-reset&drop_at=99000")
        with self.assertRaises((ConnectionResetError, http.client.IncompleteRead)):
            conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
            conn.request("GET", "/files/korvel.exe")
            response = conn.getresponse()
            while response.read(4096):
                pass
            raise ConnectionResetError  # a reset may also read as an early end
        self.control("fault=none&page=endless")
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            sock.sendall(b"GET /update.htm HTTP/1.0\r\n\r\n")
            got = 0
            while got < 2 << 20:
                got += len(sock.recv(65536))
        self.control("page=trickle")
        import time
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            sock.sendall(b"GET /update.htm HTTP/1.0\r\n\r\n")
            began, got = time.monotonic(), b""
            while b"\r\n\r\n" not in got:
                got += sock.recv(4096)
            got = got.split(b"\r\n\r\n", 1)[1]
            while len(got) < 3:
                got += sock.recv(4096)
            self.assertGreater(time.monotonic() - began, 1.5)

    def stats(self):
        with urllib.request.urlopen(self.base + "/stats") as r:
            return json.loads(r.read())

    def wait_stats(self, key, value):
        import time
        deadline = time.monotonic() + 20
        while self.stats()[key] != value:
            self.assertLess(time.monotonic(), deadline, "%s never became %d" % (key, value))
            time.sleep(0.05)

    def test_held_answers(self):
        # A held file request gets no answer until released, then the file.
        self.control("fault=hold")
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            sock.sendall(b"GET /files/korvel.exe HTTP/1.0\r\n\r\n")
            self.wait_stats("held", 1)
            self.control("release=1")
            got = b""
            while True:
                piece = sock.recv(65536)
                if not piece:
                    break
                got += piece
        self.assertEqual(got.split(b"\r\n\r\n", 1)[1], update_standin.generated_file(100000))
        self.assertEqual(self.stats()["held"], 0)
        # Headers that trickle: the status line comes at once, the rest
        # waits; a client that goes away ends the trickle.
        self.control("fault=none&page=headers")
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            sock.sendall(b"GET /update.htm HTTP/1.0\r\n\r\n")
            line = b""
            while not line.endswith(b"\r\n"):
                line += sock.recv(1)
            self.assertEqual(line, b"HTTP/1.1 200 OK\r\n")
            self.assertEqual(self.stats()["headers_held"], 1)
        self.wait_stats("headers_held", 0)

    def test_rate_limit_and_stats(self):
        import time
        self.control("rate=100000&size=50000")
        began = time.monotonic()
        _, got = self.get("/files/korvel.exe")
        self.assertEqual(len(got), 50000)
        self.assertGreater(time.monotonic() - began, 0.4)
        # The counts move once the server is done with a response, which may
        # be after the client has all of it.
        self.wait_stats("file_ends", 1)
        stats = self.stats()
        self.assertEqual(stats["file_requests"], 1)
        self.assertEqual(stats["max_parallel"], 1)
        self.assertEqual(stats["file_completes"], 1)
        # A response broken off ends but is no complete one.
        self.control("rate=0&fault=drop&drop_at=100")
        self.get("/files/korvel.exe")
        self.wait_stats("file_ends", 2)
        self.assertEqual(self.stats()["file_completes"], 1)

    def test_bad_control_is_refused(self):
        with self.assertRaises(urllib.error.HTTPError) as refused:
            urllib.request.urlopen(self.base + "/control?fault=bogus")
        self.assertEqual(refused.exception.code, 400)


class LauncherTest(unittest.TestCase):
    def test_exports_the_port_and_passes_the_exit_code_on(self):
        script = os.path.join(TOOLS, "with_standin.py")
        probe = ("import os,sys,urllib.request;"
                 "p=os.environ['PORT_UNDER_TEST'];"
                 "b=urllib.request.urlopen('http://127.0.0.1:%s/update.htm'%p).read();"
                 "sys.exit(7 if b'*||*3.1*||*' in b else 1)")
        rc = subprocess.call([sys.executable, script, "update_standin.py", "PORT_UNDER_TEST",
                              "--version", "3.1", "--", sys.executable, "-c", probe])
        self.assertEqual(rc, 7)


if __name__ == "__main__":
    unittest.main()
