#!/usr/bin/env python3
"""Writes the document fixtures: text pages in GBK with their colour files, bad inputs, and the
golden animation file those pages must give. The golden bytes are computed here from the file
rules, independently of the C++ code. Run from this folder; the outputs are committed."""
import random
import struct

GREEN, WHITE = 0x008000, 0xFFFFFF
ROWS, COLS = 80, 200


def color(r, g, b):
    return r | g << 8 | b << 16


def bmp24(width, height, pixel):
    """A bottom-up 24-bit bitmap; pixel(x, y) gives (r, g, b) with y counted from the top."""
    stride = (width * 3 + 3) & ~3
    rows = b''
    for y in reversed(range(height)):
        row = b''.join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        rows += row + b'\0' * (stride - len(row))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + rows


def read_lines(data):
    data = data.split(b'\0')[0]
    lines, cur, i = [], b'', 0
    while i < len(data):
        c = data[i:i + 1]
        if c in (b'\r', b'\n'):
            lines.append(cur)
            cur = b''
            if c == b'\r' and data[i + 1:i + 2] == b'\n':
                i += 1
        else:
            cur += c
        i += 1
    if cur:
        lines.append(cur)
    return lines


def align(lines):
    out, high = [], False
    for line in lines:
        line, p, in_pair = bytearray(line), 1, False
        while p <= len(line):
            if line[p - 1] > 0x80:
                high = True
                in_pair = not in_pair
                if in_pair and p % 2 == 0:
                    line.insert(p - 1, 0x20)
                    in_pair = False
            p += 1
        out.append(bytes(line))
    return out, high


class Unit:
    def __init__(self):
        self.cells = [[0x20, 0x20, 0, 0, GREEN, WHITE] for _ in range(ROWS * COLS)]
        self.cols = self.rows = 0
        self.mode = 0

    def cell(self, r, j):
        return self.cells[r * COLS + j]

    def set_lines(self, lines):
        self.rows = min(80, max(len(lines), self.rows))
        longest = max((len(s) for s in lines), default=0)
        if self.mode == 1:
            self.cols = min(100, max(self.cols, (longest + 1) // 2))
        else:
            self.cols = min(200, max(longest, self.cols))
        for r in range(self.rows):
            for j in range(self.cols):
                self.cell(r, j)[0:2] = [0x20, 0x20]
        for s, line in enumerate(lines[:self.rows]):
            j = 0
            while j < 200 and (2 * j if self.mode == 1 else j) < len(line):
                if self.mode == 1:
                    self.cell(s, j)[0] = line[2 * j]
                    self.cell(s, j)[1] = line[2 * j + 1] if 2 * j + 1 < len(line) else 0
                else:
                    self.cell(s, j)[1] = line[j]
                j += 1

    def record(self):
        return b''.join(struct.pack('<4Bii', *c) for c in self.cells)


def import_page(text, colour_list=None, colour_bmp=None):
    unit = Unit()
    lines, high = align(read_lines(text))
    unit.mode = 1 if high else 2
    if not high:
        lines = read_lines(text)
    if colour_list is not None:
        raw = colour_list.split(b'\x1a')[0].replace(b'\r', b'')
        items = raw.split(b'\n')
        it = iter(items + [b''] * 100000)
        rows = min(80, int(next(it)))
        cells = min(200, int(next(it)))
        if int(next(it)[1:2]) == 2:
            unit.mode = 1
        for r in range(rows):
            for j in range(cells):
                marker = next(it)
                c = unit.cell(r, j)
                if marker == b'*1':
                    c[4], c[5] = int(next(it)), WHITE
                elif marker == b'*2':
                    c[4], c[5] = GREEN, int(next(it))
                elif marker == b'*3':
                    c[4] = int(next(it))
                    c[5] = int(next(it))
        unit.cols = round(cells / 2) if unit.mode == 1 else cells
        unit.rows = rows
    if colour_bmp is not None:
        width, height, pixel = colour_bmp
        half = round(height / 2)
        n = round(width / 2) if unit.mode == 1 else width
        step = 2 if unit.mode == 1 else 1
        for i in range(half):
            for j in range(n):
                unit.cell(i, j)[4] = color(*pixel(step * j, i))
                unit.cell(i, j)[5] = color(*pixel(step * j, i + half))
        unit.rows, unit.cols = half, n
    unit.set_lines(lines)
    return unit


def gbk(s):
    return s.encode('gbk')


# A GBK page with a colour list: CR LF and lone CR line ends, a tab, pairs at even positions.
PAGE_TEXT = (gbk('Hello 世界') + b'\r\n' + gbk('a中b') + b'\r\n\r' + b'\t' + gbk('动画 ** 文本') + b'\n'
             + gbk('xy测试z') + b'\r\n')
PAGE_LIST = b'\r\n'.join([b'3', b'6', b'M1',
                          b'*1', str(color(255, 0, 0)).encode(),
                          b'*2', str(color(0, 0, 255)).encode(),
                          b'*3', str(color(1, 2, 3)).encode(), str(color(4, 5, 6)).encode(),
                          b'skip',
                          b'*3', b'16776960', b'255',
                          b'*2', b'42',
                          b'', b'*1', b'7']) + b'\r\n\x1a*1\r\n99\r\n'

# An ASCII page coloured by a 12 x 6 bitmap: text colours on top, backgrounds below.
ART_TEXT = b' /\\_/\\\n( o.o )\n > ^ <\n'


def art_pixel(x, y):
    return (x * 20, y * 40, 255 - x * 10) if y < 3 else (255 - y * 30, x * 15, 100)


def main():
    open('gbk_page.txt', 'wb').write(PAGE_TEXT)
    open('gbk_page.clo', 'wb').write(PAGE_LIST)
    open('art_page.txt', 'wb').write(ART_TEXT)
    open('art_page.clo', 'wb').write(bmp24(12, 6, art_pixel))
    chinese = '中文 页面'
    open(chinese + '.txt', 'wb').write(gbk('你好，世界') + b'\n')
    open(chinese + '.clo', 'wb').write(b'1\n4\n 2\n*1\n255\n*3\n65280\n0\n*2\n16711680\n')

    golden = import_page(PAGE_TEXT, colour_list=PAGE_LIST).record()
    golden += import_page(ART_TEXT, colour_bmp=(12, 6, art_pixel)).record()
    open('gbk_and_art.mmt', 'wb').write(golden)

    rng = random.Random(20261207)
    open('random.txt', 'wb').write(bytes(rng.randrange(256) for _ in range(6000)))
    open('random_list.clo', 'wb').write(bytes(rng.randrange(256) for _ in range(6000)))
    bad_bmp = bytearray(bmp24(40, 40, lambda x, y: (x, y, 0)))
    for k in range(60, len(bad_bmp)):
        bad_bmp[k] = rng.randrange(256)
    open('random_bitmap.clo', 'wb').write(bytes(bad_bmp[:3000]))
    open('random.mmt', 'wb').write(bytes(rng.randrange(256) for _ in range(192000 * 2 + 777)))


if __name__ == '__main__':
    main()
