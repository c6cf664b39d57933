#!/usr/bin/env python3
"""Stand-in for the update-announcement page, the download page and the file.

Serves on loopback only:
  /update.htm        the announcement page: the version between "*||*"
                     markers, the download-page link between "dz*#" and
                     "*#*#" (its "&" written as "&amp;"), and the signature
                     of the file between "qm*#" and "*#*#": 128 hex digits,
                     r then s of an ECDSA P-256 signature of the SHA-256 of
                     the file's bytes (tools/sign_release.py makes it)
  /down.htm?id=korvel&v=VERSION
                     the download page holding dlink\\":\\"ADDRESS\\" with every
                     "/" of the address escaped as \\\\/ (404 without both keys,
                     so a link whose "&amp;" was not restored fails)
  /files/korvel.exe  the file, with byte ranges (206, Content-Range, 416)
  /control?...       changes the settings below while running (for tests)
  /stats             JSON counters of the file requests (file_ends: responses
                     over, however they ended; file_completes: responses whose
                     every byte was written)

The file is the --file given or a generated one of --size bytes: "MZ", then
a fixed pseudo-random block of 65521 bytes repeated (see pattern_block), so a
test can rebuild the expected bytes itself. Faults: ignore-ranges (answer
every request whole with 200), drop (close the connection once the file
offset --drop-at is reached), stall (fall silent there, connection open, for
STALL_SECONDS), missing (404 for the file), hold (keep every file request
waiting, before any answer, until /control?release=1 or STALL_SECONDS; the
stats count the requests held). --rate limits each connection to that many
bytes a second.

Pages (--page or /control?page=): normal, endless (filler without end after
the page), trickle (the page one byte a second), headers (the status line,
then the headers one byte every HEADER_TRICKLE_SECONDS, then the page; the
stats count the answers whose headers are still trickling).

--port N picks the port (0: a free one); the port is printed on the first
line of standard output. --default uses 18471, the port of the default
build setting. Standard library only.
"""

import argparse
import hashlib
import json
import os
import socket
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

DEFAULT_PORT = 18471
HOST = "127.0.0.1"
BLOCK_SIZE = 65521  # prime, so no part boundary lines up with the repetition
FAULTS = ("none", "ignore-ranges", "drop", "stall", "missing", "hold",
          "nolength", "cut-close", "cut-reset", "cut-chunked")
UNFRAMED = ("nolength", "cut-close", "cut-reset", "cut-chunked")
SIGNATURES = ("good", "wrong", "none")
PAGES = ("normal", "endless", "trickle", "headers")
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sign_release  # noqa: E402
STALL_SECONDS = 120
HEADER_TRICKLE_SECONDS = 2
# Sent a byte at a time before the real headers: 20 bytes, some 40 seconds.
TRICKLED_HEADER = b"X-Slow: ............\r\n"
FILE_PATH = "/files/korvel.exe"


def pattern_block():
    """The repeated block of a generated file (a 31-bit LCG, byte 16..23)."""
    out, x = bytearray(BLOCK_SIZE), 20240607
    for i in range(BLOCK_SIZE):
        x = (x * 1103515245 + 12345) & 0x7FFFFFFF
        out[i] = (x >> 16) & 0xFF
    return bytes(out)


def generated_file(size):
    if size <= 0:
        return b""
    block = pattern_block()
    data = bytearray(block * (size // BLOCK_SIZE + 1))[:size]
    data[0:2] = b"MZ"[: min(2, size)]
    return bytes(data)


def parse_range(value, size):
    """(first, last) of a single "bytes=a-b" / "bytes=a-" / "bytes=-n" range;
    None when absent or malformed (served whole), "unsatisfiable" when it
    lies beyond the file."""
    if not value or not value.startswith("bytes=") or "," in value:
        return None
    byte_range = value[6:].strip()
    first_text, dash, last_text = byte_range.partition("-")
    if not dash:
        return None
    try:
        if first_text == "":
            suffix = int(last_text)
            if suffix <= 0:
                return "unsatisfiable"
            return (max(0, size - suffix), size - 1) if size else "unsatisfiable"
        first = int(first_text)
        last = int(last_text) if last_text else size - 1
    except ValueError:
        return None
    if first >= size:
        return "unsatisfiable"
    if last < first:
        return None
    return first, min(last, size - 1)


class Settings:
    def __init__(self, version, data, fault, drop_at, rate, key=None, signature="good",
                 page="normal"):
        self.lock = threading.Lock()
        self.version, self.data, self.fault = version, data, fault
        self.drop_at, self.rate = drop_at, rate
        self.key, self.signature, self.page = key, signature, page
        self.signed = {}  # (digest of the bytes) -> signature hex
        self.file_requests = self.range_requests = 0
        self.page_requests = self.file_ends = self.file_completes = 0
        self.active = self.max_parallel = 0
        self.held = self.headers_held = 0
        self.release = threading.Event()

    def signature_text(self):
        """What the page carries between its signature markers, or None."""
        with self.lock:
            data, mode, key = self.data, self.signature, self.key
        if mode == "none" or not key:
            return None
        if mode == "wrong":
            data = data + b"\0"  # a valid signature, of other bytes
        digest = hashlib.sha256(data).digest()
        with self.lock:
            known = self.signed.get(digest)
        if known is None:
            known = sign_release.signature_hex(key, data)
            with self.lock:
                self.signed[digest] = known
        return known

    def snapshot(self):
        with self.lock:
            return self.version, self.data, self.fault, self.drop_at, self.rate

    def apply(self, query):
        """Applies /control keys; returns an error text or None."""
        with self.lock:
            try:
                if "version" in query:
                    self.version = query["version"]
                if "file" in query:
                    with open(query["file"], "rb") as f:
                        self.data = f.read()
                if "size" in query:
                    self.data = generated_file(int(query["size"]))
                if "fault" in query:
                    if query["fault"] not in FAULTS:
                        return "unknown fault " + query["fault"]
                    self.fault = query["fault"]
                    self.release.clear()
                if "release" in query:
                    self.release.set()
                if "drop_at" in query:
                    self.drop_at = int(query["drop_at"])
                if "signature" in query:
                    if query["signature"] not in SIGNATURES:
                        return "unknown signature " + query["signature"]
                    self.signature = query["signature"]
                if "page" in query:
                    if query["page"] not in PAGES:
                        return "unknown page " + query["page"]
                    self.page = query["page"]
                if "rate" in query:
                    self.rate = int(query["rate"])
                if "reset_stats" in query:
                    self.file_requests = self.range_requests = self.max_parallel = 0
                    self.page_requests = self.file_ends = self.file_completes = 0
            except (OSError, ValueError) as e:
                return str(e)
        return None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "UpdateStandin/1.0"

    def setup(self):
        super().setup()
        # Headers and body go out as separate writes; without this the body
        # of a small answer waits on the client's delayed ACK (some 40 ms).
        self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        route = {
            "/update.htm": self.announcement,
            "/down.htm": self.download_page,
            FILE_PATH: self.file,
            "/control": self.control,
            "/stats": self.stats,
        }.get(url.path)
        if route is None:
            self.reply(404, b"not found")
        else:
            route(query)

    def reply(self, status, body, content_type="text/plain", headers=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def base(self):
        return "http://%s:%d" % (HOST, self.server.server_address[1])

    def announcement(self, _query):
        s = self.server.settings
        version = s.snapshot()[0]
        with s.lock:
            s.page_requests += 1
            mode = s.page
        link = "%s/down.htm?id=korvel&amp;v=%s" % (self.base(), version)
        signature = s.signature_text()
        page = (
            "<html><head><meta charset=\"gbk\"><title>Korvel运单助手 在线升级</title></head>\r\n"
            "<body><p>最新版本：*||*%s*||*</p>\r\n"
            "<p>下载地址：dz*#%s*#*#</p>\r\n" % (version, link)
        )
        if signature:
            page += "<p>校验：qm*#%s*#*#</p>\r\n" % signature
        page += "</body></html>\r\n"
        body = page.encode("gbk")
        if mode == "normal":
            self.reply(200, body, "text/html; charset=gbk")
        elif mode == "headers":
            self.trickled_headers(body)
        else:
            self.hostile_page(body, mode)

    def trickled_headers(self, body):
        """The status line at once, then the headers a byte at a time, as a
        slow proxy or a captive portal may send them. Ends early when the
        client goes away."""
        s = self.server.settings
        self.close_connection = True
        head = (b"Content-Type: text/html; charset=gbk\r\nContent-Length: %d\r\n"
                b"Connection: close\r\n\r\n" % len(body))
        def held(step):
            with s.lock:
                s.headers_held += step
        held(1)
        try:
            self.wfile.write(b"HTTP/1.1 200 OK\r\n")
            for i in range(len(TRICKLED_HEADER)):
                time.sleep(HEADER_TRICKLE_SECONDS)
                self.wfile.write(TRICKLED_HEADER[i:i + 1])
        except OSError:
            return
        finally:
            held(-1)
        try:
            self.wfile.write(head + body)
        except OSError:
            pass

    def hostile_page(self, body, mode):
        """A page without a length: endless filler after the page, or the
        page a byte a second. Ends when the client goes away."""
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=gbk")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        filler = b"<p>" + b"x" * 4090 + b"</p>\r\n"
        try:
            if mode == "trickle":
                for i in range(len(body)):
                    self.wfile.write(body[i:i + 1])
                    time.sleep(1)
            else:
                self.wfile.write(body)
                while True:
                    self.wfile.write(filler)
        except OSError:
            pass

    def download_page(self, query):
        if query.get("id") != "korvel" or "v" not in query:
            self.reply(404, b"unknown download")
            return
        address = (self.base() + FILE_PATH).replace("/", "\\\\/")
        page = (
            "<html><body><script>var info = \"{\\\"name\\\":\\\"korvel\\\","
            "\\\"dlink\\\":\\\"%s\\\"}\";</script></body></html>\r\n" % address
        )
        self.reply(200, page.encode("gbk"), "text/html; charset=gbk")

    def control(self, query):
        error = self.server.settings.apply(query)
        self.reply(400 if error else 200, (error or "ok").encode())

    def stats(self, _query):
        s = self.server.settings
        with s.lock:
            body = json.dumps({"file_requests": s.file_requests,
                               "range_requests": s.range_requests,
                               "max_parallel": s.max_parallel,
                               "page_requests": s.page_requests,
                               "file_ends": s.file_ends,
                               "file_completes": s.file_completes,
                               "held": s.held,
                               "headers_held": s.headers_held})
        self.reply(200, body.encode(), "application/json")

    def file(self, _query):
        s = self.server.settings
        _version, data, fault, drop_at, rate = s.snapshot()
        if fault == "hold":
            with s.lock:
                s.held += 1
            s.release.wait(STALL_SECONDS)
            with s.lock:
                s.held -= 1
        wanted = None if fault in ("ignore-ranges",) + UNFRAMED else self.headers.get("Range")
        with s.lock:
            s.file_requests += 1
            s.range_requests += wanted is not None
        if fault == "missing":
            self.reply(404, b"<html>no such file</html>", "text/html")
            return
        if fault in UNFRAMED:
            self.unframed(data, fault, drop_at)
            with s.lock:
                s.file_ends += 1
            return
        size = len(data)
        span = parse_range(wanted, size)
        if span == "unsatisfiable":
            self.reply(416, b"", headers=[("Content-Range", "bytes */%d" % size)])
            return
        first, last = span if span else (0, size - 1)
        self.send_response(206 if span else 200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(last - first + 1))
        self.send_header("Accept-Ranges", "bytes")
        if span:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        self.end_headers()
        with s.lock:
            s.active += 1
            s.max_parallel = max(s.max_parallel, s.active)
        try:
            cut = drop_at if fault in ("drop", "stall") else None
            complete = self.send_body(data, first, last + 1, cut, rate)
        finally:
            with s.lock:
                s.active -= 1
                s.file_ends += 1
        if not complete:
            if fault == "stall":
                time.sleep(STALL_SECONDS)
            self.close_connection = True
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def unframed(self, data, fault, cut):
        """The whole file with no Content-Length: delimited by the close, or
        chunked; the cut faults break off at the file offset cut."""
        chunked = fault == "cut-chunked"
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        stop = len(data) if fault == "nolength" else min(max(cut, 0), len(data))
        try:
            pos = 0
            while pos < stop:
                piece = data[pos:min(stop, pos + 65536)]
                if chunked:
                    # Once cut, the last chunk announces more than it holds.
                    whole = len(data[pos:pos + 65536])
                    self.wfile.write(b"%x\r\n" % whole + piece)
                    if len(piece) == whole:
                        self.wfile.write(b"\r\n")
                else:
                    self.wfile.write(piece)
                pos += len(piece)
            if chunked and stop == len(data):
                self.wfile.write(b"0\r\n\r\n")
            self.wfile.flush()
            if fault == "cut-reset":
                time.sleep(0.3)  # the bytes sent arrive before the reset
                self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                           struct.pack("ii", 1, 0))
                self.connection.close()
                return
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def send_body(self, data, start, end, cut, rate):
        """Writes data[start:end]; False when it stopped short at the file
        offset cut (the caller then drops or stalls the connection)."""
        chunk = 65536 if rate <= 0 else max(1024, min(65536, rate // 50))
        began, sent, pos = time.monotonic(), 0, start
        stop = end if cut is None else min(end, max(start, cut))
        try:
            while pos < stop:
                piece = data[pos:min(stop, pos + chunk)]
                self.wfile.write(piece)
                pos += len(piece)
                sent += len(piece)
                if rate > 0:
                    ahead = sent / rate - (time.monotonic() - began)
                    if ahead > 0:
                        time.sleep(ahead)
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
            return True
        if pos == end:
            with self.server.settings.lock:
                self.server.settings.file_completes += 1
        return stop == end


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--default", action="store_true", help="listen on %d" % DEFAULT_PORT)
    parser.add_argument("--version", default="1.0.0.0", help="the announced version")
    parser.add_argument("--file", help="serve this file")
    parser.add_argument("--size", type=int, default=300000, help="size of a generated file")
    parser.add_argument("--fault", choices=FAULTS, default="none")
    parser.add_argument("--drop-at", type=int, default=0, help="file offset of a drop")
    parser.add_argument("--rate", type=int, default=0, help="bytes a second per connection")
    parser.add_argument("--key", default=os.environ.get("KORVEL_UPDATE_KEY", ""),
                        help="private key that signs the file (default $KORVEL_UPDATE_KEY)")
    parser.add_argument("--signature", choices=SIGNATURES, default="good")
    parser.add_argument("--page", choices=PAGES, default="normal")
    args = parser.parse_args(argv)
    if args.file:
        with open(args.file, "rb") as f:
            data = f.read()
    else:
        data = generated_file(args.size)
    drop_at = args.drop_at if args.drop_at > 0 else len(data) // 2
    server = Server((HOST, DEFAULT_PORT if args.default else args.port), Handler)
    key = args.key if args.key and os.path.exists(args.key) else None
    server.settings = Settings(args.version, data, args.fault, drop_at, args.rate, key,
                               args.signature, args.page)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
