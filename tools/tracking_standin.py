#!/usr/bin/env python3
"""Stand-in for the tracking-query service, for tests and `make run`.

Listens on 127.0.0.1 only and answers the program's request

    GET /?id=<access key>&com=<service code>&nu=<number>&type=html|text|json

with a reply in the service's shape, GBK bytes on the wire:

    {"message":"ok","nu":"...","com":"...","status":"1","data":[
     {"time":"2012-05-02 08:00:00","context":"..."}, ...]}

Every number of 6 to 30 ASCII letters and digits (with a non-empty code and
the right key) has a route history of its own: 3 to 36 entries with Chinese
place names, the same on every run, newest first. Any other number gets an
error reply that holds no "time" at all.

Fault modes are chosen by the number, by a prefix up to its first "-":

    E404-x      404 with an HTML page
    E500-x      500 with an HTML page
    NOLEN-x     a normal reply without Content-Length, ended by closing
    BIG-x       a reply of more than two 10240-byte chunks, no Content-Length
    DROP-x      no Content-Length, the first 10240 bytes of a longer reply, a
                pause, then the connection is reset
    SLOW<ms>-x  a normal reply after <ms> milliseconds (3000 without a value)
    HANG-x      no answer at all; the connection is held until the client
                gives up, the stand-in stops, or /_let_go answers it with a
                normal reply
    LINES<n>-x  a normal reply with exactly <n> route entries
    OUT-x       a normal reply whose newest entry is out for delivery (派件)
    PROB-x      a normal reply whose newest entry is a problem (拒收, 退回)
    MOVE-x      a normal reply whose newest entry is still in transit
    OLDFIRST-x  a normal reply listed oldest entry first (plain numbers end
                delivered, 已签收, listed newest first)
    COOKIE-x    a normal reply that also sets a cookie for the whole site
    GONE-x      a normal reply that offers to keep the connection, which is
                then closed all the same (as a server whose keep-alive time
                ran out does)
    JUNK-x      a 200 reply with Content-Length in no shape of the service's:
                JSON broken off inside a key, bytes that are not GBK (0x80,
                0xFF, lead bytes before bytes no trail can be), a zero byte,
                and after it one entry in the service's shape. Before the zero
                there is no ASCII letter after the broken key, so no "time".

A request that asks to keep its connection ("Connection: Keep-Alive") gets
a reply that keeps it, when the reply has a length; the next request may
then come on the same connection. Any other reply closes it.

Control paths (never logged):

    GET /_log         every logged request, concatenated: its raw request line
                      and headers as received, up to and including the blank line
    GET /_log/clear   empties the log, the numbers asked and the count of
                      connections
    GET /_asked       the number of every logged request, one per line (GBK,
                      LF), in the order asked
    GET /_connections how many connections carried a logged request since
                      the log was cleared
    GET /_last_body   the whole body meant for the most recent request (a DROP
                      or BIG reply in full), with Content-Length
    GET /_let_go      answers every HANG request still held, at once, with a
                      normal reply; the body is how many were held (decimal)

Any other path is answered like "/", so HTTP clients can be tested with it.

Options:
    --port N          listen on N; 0 picks a free port. The port is printed
                      as the first line on stdout.
    --default         listen on 18470, the default tracking endpoint of the build
    --delay-ms MS     answer every request after MS milliseconds
    --round-trip-ms MS
                      play a network MS milliseconds away: a new connection
                      waits MS before its first request is read (the
                      handshake), and every request MS before its answer

Tests start it through tools/with_standin.py, which passes the port on.
"""
import argparse
import itertools
import random
import re
import socket
import socketserver
import struct
import threading
import time
import zlib

ACCESS_KEY = b"5F0E3A9C21B74D68A0C3E19B7D2F4A61"
DEFAULT_PORT = 18470
CHUNK = 10240
MAX_HEAD = 65536

CITIES = ["北京", "上海", "广州", "深圳", "杭州", "南京", "苏州", "成都", "重庆", "武汉",
          "西安", "长沙", "郑州", "济南", "青岛", "厦门", "福州", "合肥", "南昌", "昆明",
          "贵阳", "南宁", "沈阳", "大连", "长春", "哈尔滨", "天津", "石家庄", "太原", "兰州",
          "乌鲁木齐", "拉萨", "海口", "宁波", "温州", "无锡", "东莞", "佛山", "义乌", "嘉兴"]
EVENTS = ["快件已到达【{0}转运中心】", "快件已从【{0}转运中心】发出，下一站【{1}】",
          "【{0}】快件已装车", "快件在【{0}分拨中心】进行分拣", "【{0}】航空运输中"]
SIGNERS = ["本人", "前台", "门卫", "家人", "快递柜"]


# How a history ends, by number prefix; plain numbers end delivered.
ENDINGS = {b"OUT": "out", b"PROB": "problem", b"MOVE": "moving"}


def route_entries(code, number, count=None, ending="delivered", oldest_first=False):
    """The route history of one number: (time, context) pairs, newest first."""
    rng = random.Random(zlib.crc32(code + b"|" + number))
    if count is None:
        count = rng.randint(3, 36)
    start = 1325376000 + rng.randrange(0, 3 * 365 * 86400)  # from 2012 on
    origin, dest = rng.sample(CITIES, 2)
    entries, stamp = [], start
    for i in range(count):
        last = i == count - 1 and i > 0
        if i == 0:
            context = "【{0}】已揽收，揽件员正在发往转运中心".format(origin)
        elif last and ending == "out":
            context = "【{0}】派件员正在为您派件".format(dest)
        elif last and ending == "problem":
            context = "【{0}】收件人拒收，快件退回中".format(dest)
        elif i == count - 1 and count > 2 and ending == "delivered":
            context = "已签收，签收人：\\\"{0}\\\"，感谢使用".format(rng.choice(SIGNERS))
        elif i == count - 2 and count > 3 and ending in ("delivered", "problem"):
            context = "【{0}】派件员正在为您派件".format(dest)
        else:
            a, b = rng.sample(CITIES, 2)
            context = rng.choice(EVENTS).format(a, b)
        entries.append((time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(stamp)), context))
        stamp += rng.randint(600, 14 * 3600)
    if not oldest_first:
        entries.reverse()
    return [(t.encode("gbk"), c.encode("gbk")) for t, c in entries]


def tracking_reply(code, number, count=None, ending="delivered", oldest_first=False):
    data = b",".join(b'{"time":"' + t + b'","context":"' + c + b'"}'
                     for t, c in route_entries(code, number, count, ending, oldest_first))
    return (b'{"message":"ok","nu":"' + number + b'","com":"' + code +
            b'","status":"1","state":"3","data":[' + data + b"]}")


# Filler of a JUNK reply: no ASCII letter or digit, so no marker can form.
JUNK_BYTES = bytes(range(0x80, 0x100)) + b'{}[]":,\\ \r\n\t'


def junk_reply(number):
    """A reply that is not the service's shape, the same for each number."""
    rng = random.Random(zlib.crc32(b"junk|" + number))
    noise = bytes(rng.choice(JUNK_BYTES) for _ in range(rng.randint(200, 600)))
    # 0x81 0x7F and 0xFE 0x20: lead bytes before bytes no GBK trail can be;
    # the lone 0x81 before the zero is a character cut in half.
    return (b'{"message":"ok","nu":"' + number + b'","status":"1","data":[{"ti' + noise +
            b"\x81\x7f\x80\xff\xfe \x81\x00" +
            b'{"time":"2012-05-02 08:00:00","context":"' + "零字节之后".encode("gbk") + b'"}]}')


def error_reply(message):
    return b'{"message":"' + message.encode("gbk") + b'","status":"0"}'


def html_page(status, text):
    return ("<html><head><title>{0}</title></head><body><h1>{0}</h1><p>{1}</p></body>"
            "</html>").format(status, text).encode("gbk")


def between(raw, start, end):
    i = raw.find(start)
    if i < 0:
        return b""
    i += len(start)
    j = raw.rfind(end, i)
    return raw[i:j] if j >= 0 else raw[i:]


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        conn = self.request
        conn.settimeout(30)
        if server.round_trip:
            time.sleep(server.round_trip)
        self.pending = b""
        with server.lock:
            self.serial = next(server.serials)
        while True:
            head = self.read_head()
            if head is None:
                return
            parts = head.split(b"\r\n", 1)[0].split(b" ")
            target = parts[1] if len(parts) >= 2 else b"/"
            keep = re.search(rb"\r\nconnection: *keep-alive\r\n", head.lower()) is not None
            if target.startswith(b"/_"):
                if not self.control(target, keep):
                    return
                continue
            query = target.split(b"?", 1)[1] if b"?" in target else b""
            number = between(b"&" + query, b"&nu=", b"&type=")
            with server.lock:
                server.log.append(head)
                server.asked.append(number)
                server.connections.add(self.serial)
            if server.delay:
                time.sleep(server.delay)
            if server.round_trip:
                time.sleep(server.round_trip)
            if not self.serve(query, number, keep):
                return

    def read_head(self):
        """The next request's head, up to its blank line; None once the
        client is gone or sends no whole head."""
        if self.pending is None:
            return None
        data = self.pending
        try:
            while b"\r\n\r\n" not in data and len(data) < MAX_HEAD:
                chunk = self.request.recv(4096)
                if not chunk:
                    break
                data += chunk
        except OSError:
            return None
        end = data.find(b"\r\n\r\n")
        if end < 0:
            # Cut short or too long: answered as it is, as the last request.
            self.pending = None
            return data or None
        self.pending = data[end + 4:]
        return data[:end + 4]

    def serve(self, query, number, keep):
        """Answers one request; True when the connection stays open."""
        code = between(query, b"com=", b"&nu=")
        mode, _, rest = number.partition(b"-")
        if not rest:
            mode = b""
        status, body, length = self.answer(query, code, number, mode)
        with self.server.lock:
            self.server.last_body = body
        keep = keep and length and mode != b"GONE"
        self.send(status, body, length, mode, keep or mode == b"GONE")
        return keep

    def answer(self, query, code, number, mode):
        """Status, body and whether Content-Length is sent."""
        if mode == b"E404":
            return "404 Not Found", html_page("404 Not Found", "没有找到该页面"), True
        if mode == b"E500":
            return "500 Internal Server Error", html_page("500", "服务器内部错误"), True
        if mode == b"NOLEN":
            return "200 OK", tracking_reply(code, number), False
        if mode == b"BIG":
            return "200 OK", tracking_reply(code, number, 300), False
        if mode == b"DROP":
            return "200 OK", tracking_reply(code, number, 300), False
        m = re.fullmatch(rb"SLOW(\d*)", mode)
        if m:
            self.wait(int(m.group(1) or 3000) / 1000.0)
            return "200 OK", tracking_reply(code, number), True
        if mode == b"HANG":
            if self.wait(600, releasable=True):
                return "200 OK", tracking_reply(code, number), True
            return None, b"", False
        if mode == b"JUNK":
            return "200 OK", junk_reply(number), True
        if mode in ENDINGS:
            return "200 OK", tracking_reply(code, number, ending=ENDINGS[mode]), True
        if mode == b"OLDFIRST":
            return "200 OK", tracking_reply(code, number, oldest_first=True), True
        if mode in (b"COOKIE", b"GONE"):
            return "200 OK", tracking_reply(code, number), True
        m = re.fullmatch(rb"LINES(\d+)", mode)
        if m:
            return "200 OK", tracking_reply(code, number, int(m.group(1))), True
        if b"id=" + ACCESS_KEY not in query:
            return "200 OK", error_reply("访问密钥错误"), True
        if code and re.fullmatch(rb"[0-9A-Za-z]{6,30}", number):
            return "200 OK", tracking_reply(code, number), True
        return "200 OK", error_reply("单号不存在或已经过期"), True

    def wait(self, seconds, releasable=False):
        """Sleeps, but gives up when the client closes or the server stops.
        A releasable wait also ends at /_let_go; then it returns True."""
        server = self.server
        deadline = time.monotonic() + seconds
        conn = self.request
        with server.lock:
            generation = server.let_go_count
            if releasable:
                server.held += 1
        try:
            while not server.stopping.is_set():
                if releasable and server.let_go_count != generation:
                    return True
                left = deadline - time.monotonic()
                if left <= 0:
                    return False
                conn.settimeout(min(left, 0.1))
                try:
                    if conn.recv(1, socket.MSG_PEEK) == b"":
                        return False
                except socket.timeout:
                    pass
                except OSError:
                    return False
            return False
        finally:
            if releasable:
                with server.lock:
                    server.held -= 1

    def send(self, status, body, with_length, mode, keep=False):
        if status is None:
            return
        head = "HTTP/1.1 {0}\r\nServer: tracking-standin\r\n".format(status)
        head += "Content-Type: text/html; charset=GBK\r\n"
        head += "Connection: Keep-Alive\r\n" if keep else "Connection: close\r\n"
        if with_length:
            head += "Content-Length: {0}\r\n".format(len(body))
        if mode == b"COOKIE":
            head += "Set-Cookie: visit=1; path=/\r\n"
        head = head.encode("ascii") + b"\r\n"
        conn = self.request
        try:
            if mode == b"DROP":
                conn.sendall(head + body[:CHUNK])
                time.sleep(0.3)
                # Linger 0: close sends a reset instead of an orderly end.
                conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                conn.close()
                return
            conn.sendall(head + body)
            if not keep or mode == b"GONE":
                conn.shutdown(socket.SHUT_WR)
        except OSError:
            pass

    def control(self, target, keep):
        """Answers a control path; True when the connection stays open."""
        server = self.server
        with server.lock:
            if target == b"/_log/clear":
                server.log.clear()
                server.asked.clear()
                server.connections.clear()
                body = b""
            elif target == b"/_log":
                body = b"".join(server.log)
            elif target == b"/_asked":
                body = b"".join(n + b"\n" for n in server.asked)
            elif target == b"/_connections":
                body = str(len(server.connections)).encode("ascii")
            elif target == b"/_last_body":
                body = server.last_body
            elif target == b"/_let_go":
                body = str(server.held).encode("ascii")
                server.let_go_count += 1
            else:
                body = None
        if body is None:
            self.send("404 Not Found", html_page("404", "unknown control path"), True, b"", keep)
        else:
            self.send("200 OK", body, True, b"", keep)
        return keep


class StandIn(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, delay_ms=0, round_trip_ms=0):
        super().__init__(("127.0.0.1", port), Handler)
        self.lock = threading.Lock()
        self.log = []
        self.asked = []  # the number of each logged request
        self.serials = itertools.count()  # one for each connection
        self.connections = set()  # the serials of those that carried a logged request
        self.last_body = b""
        self.held = 0  # HANG requests waiting now
        self.let_go_count = 0  # bumped by /_let_go
        self.delay = delay_ms / 1000.0
        self.round_trip = round_trip_ms / 1000.0
        self.stopping = threading.Event()

    def stop(self):
        self.stopping.set()
        self.shutdown()
        self.server_close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--port", type=int)
    where.add_argument("--default", action="store_true")
    parser.add_argument("--delay-ms", type=int, default=0)
    parser.add_argument("--round-trip-ms", type=int, default=0)
    args = parser.parse_args()

    server = StandIn(DEFAULT_PORT if args.default else args.port, args.delay_ms,
                     args.round_trip_ms)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.stopping.set()
        server.server_close()


if __name__ == "__main__":
    main()
