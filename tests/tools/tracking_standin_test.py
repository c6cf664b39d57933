#!/usr/bin/env python3
"""Tests of the tracking stand-in: reply shapes, fault modes and the log."""
import json
import os
import re
import socket
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import tracking_standin  # noqa: E402

KEY = b"5F0E3A9C21B74D68A0C3E19B7D2F4A61"


def query(code, number):
    return b"/?id=" + KEY + b"&com=" + code + b"&nu=" + number + b"&type=html|text|json"


class StandInTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = tracking_standin.StandIn(0)
        cls.port = cls.server.server_address[1]
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def raw(self, target, timeout=10, head=None):
        """Sends one request; returns (status line, headers, body, error)."""
        request = head or (b"GET " + target + b" HTTP/1.0\r\nAccept: */*\r\n\r\n")
        sock = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
        data, error = b"", None
        try:
            sock.sendall(request)
            while True:
                chunk = sock.recv(65536)
                if not chunk:
                    break
                data += chunk
        except OSError as e:
            error = e
        finally:
            sock.close()
        head_end = data.find(b"\r\n\r\n")
        lines = data[:head_end].split(b"\r\n")
        headers = dict(line.split(b": ", 1) for line in lines[1:] if b": " in line)
        return lines[0], headers, data[head_end + 4:], error

    def test_known_numbers_have_a_fixed_history_in_the_service_shape(self):
        for code, number in [(b"shunfeng", b"SF1001234"), (b"shentong", b"268000111222"),
                             (b"aae", b"abcDEF")]:
            status, headers, body, _ = self.raw(query(code, number))
            self.assertEqual(status, b"HTTP/1.1 200 OK")
            self.assertEqual(int(headers[b"Content-Length"]), len(body))
            self.assertEqual(body, self.raw(query(code, number))[2])  # same every time
            text = body.decode("gbk")
            entries = re.findall(r'\{"time":"([^"]*)","context":"((?:[^"\\]|\\.)*)"\}', text)
            self.assertGreaterEqual(len(entries), 3)
            self.assertLessEqual(len(entries), 36)
            self.assertEqual(text.count("time"), len(entries))
            self.assertTrue(all(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", t)
                                for t, _ in entries))
            self.assertTrue(all(re.search("[\u4e00-\u9fff]", c) for _, c in entries))
            self.assertEqual(sorted(entries, reverse=True), entries)  # newest first
        self.assertNotEqual(self.raw(query(b"shunfeng", b"SF1001234"))[2],
                            self.raw(query(b"shunfeng", b"SF1001235"))[2])

    def test_unknown_numbers_get_a_reply_without_the_marker(self):
        for target in [query(b"shunfeng", b"12"), query(b"", b"SF1001234"),
                       query(b"shunfeng", "单号".encode("gbk")), query(b"shunfeng", b"a%20b12345"),
                       b"/?id=WRONG&com=shunfeng&nu=SF1001234&type=html|text|json"]:
            status, _, body, _ = self.raw(target)
            self.assertEqual(status, b"HTTP/1.1 200 OK")
            self.assertNotIn(b"time", body)
            self.assertIn(b'"status":"0"', body)

    def test_fault_modes(self):
        status, headers, body, _ = self.raw(query(b"ems", b"E404-1"))
        self.assertEqual(status, b"HTTP/1.1 404 Not Found")
        self.assertTrue(body.startswith(b"<html>"))
        status, _, body, _ = self.raw(query(b"ems", b"E500-1"))
        self.assertEqual(status, b"HTTP/1.1 500 Internal Server Error")
        self.assertNotIn(b"time", body)
        _, headers, body, _ = self.raw(query(b"ems", b"NOLEN-1"))
        self.assertNotIn(b"Content-Length", headers)
        self.assertIn(b'"time"', body)
        _, headers, body, _ = self.raw(query(b"ems", b"BIG-1"))
        self.assertNotIn(b"Content-Length", headers)
        self.assertGreater(len(body), 2 * 10240)
        self.assertTrue(body.endswith(b"]}"))
        self.assertEqual(self.raw(b"/_last_body")[2], body)
        _, headers, body, _ = self.raw(query(b"ems", b"LINES20-1"))
        self.assertEqual(body.count(b'{"time":"'), 20)

    def test_history_endings_and_order_by_prefix(self):
        def entries(number):
            text = self.raw(query(b"yuantong", number))[2].decode("gbk")
            return re.findall(r'\{"time":"([^"]*)","context":"((?:[^"\\]|\\.)*)"\}', text)
        for n in range(5):
            suffix = str(n).encode()
            newest = {mode: entries(mode + b"-" + suffix)[0][1]
                      for mode in (b"OUT", b"PROB", b"MOVE")}
            self.assertIn("派件", newest[b"OUT"])
            self.assertIn("拒收", newest[b"PROB"])
            self.assertFalse(re.search("派件|签收|拒收|退回", newest[b"MOVE"]), newest[b"MOVE"])
            plain = entries(b"plain" + suffix)
            self.assertIn("已签收", plain[0][1])
            old_first = entries(b"OLDFIRST-" + suffix)
            self.assertEqual(sorted(old_first), old_first)
            self.assertIn("已签收", old_first[-1][1])

    def test_junk_is_a_well_framed_reply_in_no_shape_of_the_service(self):
        status, headers, body, _ = self.raw(query(b"ems", b"JUNK-1"))
        self.assertEqual(status, b"HTTP/1.1 200 OK")
        self.assertEqual(int(headers[b"Content-Length"]), len(body))
        self.assertEqual(body, self.raw(query(b"ems", b"JUNK-1"))[2])  # the same every time
        self.assertNotEqual(body, self.raw(query(b"ems", b"JUNK-2"))[2])
        with self.assertRaises(UnicodeDecodeError):
            body.decode("gbk")
        with self.assertRaises(ValueError):
            json.loads(body.decode("latin-1"))
        before, zero, after = body.partition(b"\0")
        self.assertEqual(zero, b"\0")
        self.assertNotIn(b"time", before)
        self.assertTrue(before.endswith(b"\x81"))  # half a character before the zero
        self.assertIn(b'{"time":"', after)

    def test_let_go_answers_held_requests_with_a_normal_reply(self):
        answers = []
        held = threading.Thread(
            target=lambda: answers.append(self.raw(query(b"ems", b"HANG-2"), timeout=20)))
        held.start()
        deadline = time.monotonic() + 10
        while self.server.held == 0 and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertEqual(self.raw(b"/_let_go")[2], b"1")
        held.join(20)
        status, headers, body, error = answers[0]
        self.assertIsNone(error)
        self.assertEqual(status, b"HTTP/1.1 200 OK")
        self.assertIn(b'"nu":"HANG-2"', body)
        self.assertGreaterEqual(body.count(b'{"time":"'), 3)
        self.assertEqual(self.raw(b"/_let_go")[2], b"0")  # nothing held any more

    def test_drop_sends_the_first_chunk_then_resets(self):
        _, headers, body, error = self.raw(query(b"ems", b"DROP-1"))
        whole = self.raw(b"/_last_body")[2]
        self.assertNotIn(b"Content-Length", headers)
        self.assertGreater(len(whole), 10240)
        self.assertEqual(body, whole[:10240])
        self.assertIsInstance(error, ConnectionResetError)

    def test_slow_and_hanging_answers(self):
        started = time.monotonic()
        status = self.raw(query(b"ems", b"SLOW300-1"))[0]
        self.assertEqual(status, b"HTTP/1.1 200 OK")
        self.assertGreaterEqual(time.monotonic() - started, 0.3)
        _, _, body, error = self.raw(query(b"ems", b"HANG-1"), timeout=0.5)
        self.assertIsInstance(error, socket.timeout)
        self.assertEqual(body, b"")

    def test_log_holds_each_request_byte_for_byte(self):
        self.raw(b"/_log/clear")
        first = b"GET " + query(b"ems", b"E1234567") + b" HTTP/1.0\r\nAccept: */* \r\n\r\n"
        second = ("GET /?nu=a|b%41&c=申通 HTTP/1.0\r\nX-Odd:  two  blanks\r\n\r\n").encode("gbk")
        self.raw(None, head=first)
        self.raw(None, head=second)
        self.raw(b"/_last_body")  # control paths are not logged
        self.assertEqual(self.raw(b"/_log")[2], first + second)
        self.raw(b"/_log/clear")
        self.assertEqual(self.raw(b"/_log")[2], b"")

    def test_a_connection_is_kept_only_when_asked_and_the_reply_has_a_length(self):
        """Requests on one socket; each answer is read by its Content-Length."""
        def ask(sock, number, keep=True):
            sock.sendall(b"GET " + query(b"ems", number) + b" HTTP/1.0\r\n" +
                         (b"Connection: Keep-Alive\r\n" if keep else b"") + b"\r\n")
            data = b""
            while b"\r\n\r\n" not in data:
                data += sock.recv(65536)
            head, _, body = data.partition(b"\r\n\r\n")
            headers = dict(line.split(b": ", 1) for line in head.split(b"\r\n")[1:])
            while len(body) < int(headers.get(b"Content-Length", 0)):
                body += sock.recv(65536)
            return headers[b"Connection"], body

        def closed(sock):
            return sock.recv(1) == b""

        self.raw(b"/_log/clear")
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            for number in (b"KA100001", b"KA100002", b"E404-3"):
                connection, body = ask(sock, number)
                self.assertEqual(connection, b"Keep-Alive")
                self.assertEqual(body, self.raw(b"/_last_body")[2])
            # Not asked to stay open: the answer ends the connection.
            self.assertEqual(ask(sock, b"KA100003", keep=False)[0], b"close")
            self.assertTrue(closed(sock))
        # A reply without a length ends with its connection, however asked.
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            sock.sendall(b"GET " + query(b"ems", b"NOLEN-2") +
                         b" HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n")
            data = b""
            while not data.endswith(b"]}"):
                data += sock.recv(65536)
            self.assertIn(b"Connection: close", data)
            self.assertTrue(closed(sock))
        # GONE offers to keep the connection and closes it all the same.
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as sock:
            self.assertEqual(ask(sock, b"GONE-1")[0], b"Keep-Alive")
            self.assertTrue(closed(sock))
        self.assertEqual(self.raw(b"/_connections")[2], b"3")
        self.assertEqual(self.raw(b"/_asked")[2],
                         b"KA100001\nKA100002\nE404-3\nKA100003\nNOLEN-2\nGONE-1\n")

    def test_listens_on_loopback_only(self):
        self.assertEqual(self.server.server_address[0], "127.0.0.1")


if __name__ == "__main__":
    unittest.main()
