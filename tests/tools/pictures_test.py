"""The committed pictures pass their checks, the checks catch broken pictures,
and the embedding script writes exactly the files' bytes."""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "assets"))
import picture_check  # noqa: E402

EMBED = os.path.join(ROOT, "tools", "embed_pictures.py")


def make_png(width, height, pixel):
    """An RGBA PNG; pixel(x, y) gives (r, g, b, a)."""
    raw = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y))
                   for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body))

    return (picture_check.PNG_SIGNATURE
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def read(name):
    with open(os.path.join(picture_check.PICTURES, name), "rb") as f:
        return f.read()


class CommittedPictures(unittest.TestCase):
    def test_every_picture_passes(self):
        self.assertEqual(picture_check.verify(), [])

    def test_manifest_lists_each_file_once(self):
        entries = picture_check.read_manifest()
        self.assertEqual(len({e.file for e in entries}), len(entries))
        self.assertEqual(len({e.function for e in entries}), len(entries))

    def test_sprite_gaps_are_the_columns_between_cells(self):
        gaps = picture_check.sprite_gap_columns()
        self.assertEqual(gaps[:6], [39, 79, 119, 148, 177, 206])
        self.assertEqual(gaps[-1], 728)
        self.assertEqual(len(gaps), 24)


class ChecksCatchFaults(unittest.TestCase):
    def sprite(self):
        return picture_check.png_decode(read("caption_sprite.png"))

    def test_opaque_gap_column_is_reported(self):
        img = self.sprite()
        row = bytearray(img.rows[10])
        row[148 * 4 + 3] = 255
        img.rows[10] = bytes(row)
        problems = picture_check.check_sprite(img)
        self.assertTrue(any("gap column 148" in p for p in problems), problems)

    def test_blank_and_identical_cells_are_reported(self):
        blank = picture_check.png_decode(make_png(729, 20, lambda x, y: (0, 0, 0, 0)))
        problems = picture_check.check_sprite(blank)
        self.assertTrue(any("no white glyph" in p for p in problems))
        self.assertTrue(any("do not differ" in p for p in problems))
        self.assertTrue(any("not red" in p for p in problems))

    def test_wrong_icon_colours_are_reported(self):
        # Every disc painted blue: all but the information icon are wrong.
        def blue(x, y):
            cx = x % 40
            inside = (cx - 20) ** 2 + (y - 19.5) ** 2 < 17 ** 2
            return (30, 100, 210, 255) if inside else (0, 0, 0, 0)

        problems = picture_check.check_message_icons(
            picture_check.png_decode(make_png(200, 40, blue)))
        wrong = {p.split()[2] for p in problems if "disc colour" in p}
        self.assertEqual(wrong, {"error", "warning", "question", "success"})
        self.assertTrue(any("not anti-aliased" in p for p in problems))

    def test_bad_sizes_and_formats_are_reported(self):
        entry = picture_check.Entry("x", "x.png", "png", 10, 10)
        cases = [
            (make_png(10, 10, lambda x, y: (1, 2, 3, 4)), []),
            (make_png(10, 11, lambda x, y: (1, 2, 3, 4)), ["10 x 11, expected 10 x 10"]),
            (b"GIF89a" + bytes(20), ["not a PNG"]),
            (make_png(10, 10, lambda x, y: (1, 2, 3, 4))[:40], ["without IEND"]),
            (make_png(10, 10, lambda x, y: (x, y, 3, 4))[:50], ["runs past the end"]),
        ]
        for data, expected in cases:
            problems = picture_check.check_entry(entry, data)
            self.assertEqual(len(problems), len(expected), problems)
            for p, e in zip(problems, expected):
                self.assertIn(e, p)

    def test_corrupted_png_crc_is_reported(self):
        data = bytearray(read("message_icons.png"))
        data[20] ^= 1  # inside IHDR
        entry = picture_check.Entry("messageIcons", "message_icons.png", "png", 200, 40)
        problems = picture_check.check_entry(entry, bytes(data))
        self.assertTrue(problems and "bad CRC" in problems[0], problems)


class Embedding(unittest.TestCase):
    def run_embed(self, manifest_text, files):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        for name, data in files.items():
            with open(os.path.join(tmp.name, name), "wb") as f:
                f.write(data)
        manifest = os.path.join(tmp.name, "list.txt")
        with open(manifest, "w", encoding="utf-8") as f:
            f.write(manifest_text)
        out = os.path.join(tmp.name, "gen", "out.cpp")
        done = subprocess.run([sys.executable, EMBED, "--manifest", manifest, "--folder",
                               tmp.name, "--output", out], capture_output=True, text=True)
        source = None
        if os.path.exists(out):
            with open(out, encoding="ascii") as f:
                source = f.read()
        return done, source

    def test_arrays_hold_the_exact_bytes(self):
        data = bytes(range(256)) * 3 + b"\0"
        done, source = self.run_embed("# comment\nfirstPicture a.bin png 1 1\n"
                                      "second b.bin\n", {"a.bin": data, "b.bin": b"\x7f"})
        self.assertEqual(done.returncode, 0, done.stderr)
        arrays = dict(re.findall(r"const std::uint8_t (\w+)\[\] = \{([^}]*)\}", source))
        self.assertEqual(set(arrays), {"kFirstPicture", "kSecond"})
        parsed = bytes(int(v) for v in arrays["kFirstPicture"].replace("\n", "").split(",")
                       if v.strip())
        self.assertEqual(parsed, data)
        self.assertIn("std::span<const std::uint8_t> firstPicture() { return kFirstPicture; }",
                      source)
        self.assertIn("std::span<const std::uint8_t> second() { return kSecond; }", source)

    def test_bad_manifests_fail_without_output(self):
        cases = [
            ("a a.bin\na a.bin\n", {"a.bin": b"1"}, "listed twice"),
            ("Bad a.bin\n", {"a.bin": b"1"}, "not a function name"),
            ("lonely\n", {}, "expected a function and a file"),
            ("gone gone.bin\n", {}, "gone.bin"),
            ("empty e.bin\n", {"e.bin": b""}, "empty picture"),
        ]
        for text, files, message in cases:
            with self.subTest(text=text):
                done, source = self.run_embed(text, files)
                self.assertNotEqual(done.returncode, 0)
                self.assertIn(message, done.stderr)
                self.assertIsNone(source)


if __name__ == "__main__":
    unittest.main()
