#!/usr/bin/python3
"""Draws the plug-in's pictures into res/pictures/.

    scripts/make-pictures.py [--out DIR] [--sheet FILE]

Every picture is drawn here from shapes (no fonts, no outside art) at four
times its size and reduced with a box filter, so edges are anti-aliased. The
output is byte-stable: the PNG, BMP and ICO files are written by the small
encoders below (no time stamps, no text chunks, fixed zlib level), so running
the script again gives the same bytes; a test checks that.

Besides the pictures the script writes Pictures.rc2, the resource lines that
res/bq2100PSui.rc includes; every name used there must be defined with the same
number in res/resource.h (checked here).

--sheet FILE draws a contact sheet for review: every picture with its number,
at 1:1 and 3:1, on the page background.

Sizes. Where the pages fix a picture's size it is used as given. The others
follow from the place of their control in res/Dialogs.rc2: dialog units become
pixels as the dialogs' font (MS Shell Dlg 8 pt, 96 dpi) maps them, 6/4 pixel
per horizontal unit and 13/8 per vertical unit (a 405 x 340 page is 608 x 553
pixels), rounded as MulDiv rounds:
  - feed-edge pictures: 27 x 25 units, like the other picker pictures: 40 x 40;
  - quick-set save and delete, custom-paper button, the custom-paper dialog's
    add, delete and information pictures: 15 x 13 units: 23 x 21;
  - the page background 1300: the page's 405 x 340 units, as 1301: 608 x 553;
  - the logo: as tall as its 20-unit cell (32 pixels; the Default button
    beside it is 31), as wide as a mark and the name need (112 pixels, within
    the 153 pixels from its cell to the groups' right edge).
The pages stretch their background over their client area, so with another
dialog font (Wine without its Tahoma gives 7/4 pixel per horizontal unit) the
panels still lie under the group boxes.

Bitmaps have no alpha: the switches and the density scale are painted on the
panels' white. The backgrounds hold few colours and are stored with 8 bits per
pixel and an exact palette; the other bitmaps with 24.
"""

import argparse
import math
import os
import re
import struct
import sys
import zlib

from PIL import Image, ImageDraw, ImageFont

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SS = 4  # supersampling factor

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------
PAGE_BG = (243, 245, 248)      # page background around the group panels
PANEL = (255, 255, 255)        # group panel
PANEL_EDGE = (219, 224, 231)   # panel border
PANEL_SHADE = (234, 237, 242)  # one-pixel shade under a panel

ACCENT = (35, 104, 204)        # selection, on-state
ACCENT_DARK = (24, 78, 160)
ACCENT_HOVER_FILL = (236, 244, 254)
ACCENT_HOVER_EDGE = (150, 188, 238)
ACCENT_SEL_FILL = (221, 234, 252)
ACCENT_TINT = (199, 219, 247)

INK = (88, 97, 110)            # outlines of pictograms
INK_DARK = (52, 60, 72)
INK_SOFT = (168, 175, 186)     # text lines, details
TILE_EDGE = (208, 214, 222)
SHEET_BACK = (236, 239, 243)
WHITE = (255, 255, 255)

WARN = (242, 163, 27)
WARN_EDGE = (214, 132, 10)
DANGER = (214, 66, 56)
DANGER_HOVER_FILL = (253, 238, 236)
DANGER_HOVER_EDGE = (240, 170, 164)

# ---------------------------------------------------------------------------
# Dialog units to pixels
# ---------------------------------------------------------------------------
def muldiv(value, num, den):
    """MulDiv: value * num / den rounded half away from zero."""
    q, r = divmod(abs(value) * num, den)
    if 2 * r >= den:
        q += 1
    return q if value >= 0 else -q


def dlu_rect(x, y, w, h):
    """A control's rectangle in pixels (left, top, right, bottom); its edges
    mapped one by one as MapDialogRect does, so neighbours line up."""
    return (muldiv(x, 6, 4), muldiv(y, 13, 8), muldiv(x + w, 6, 4), muldiv(y + h, 13, 8))


# ---------------------------------------------------------------------------
# Drawing at four times the size
# ---------------------------------------------------------------------------
class Canvas:
    """Coordinates are output pixels (floats); (0, 0) is the top-left corner
    of the first pixel, so a pixel covers [x, x+1)."""

    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        if len(bg) == 3:
            bg = bg + (255,)
        self.img = Image.new("RGBA", (w * SS, h * SS), bg)
        self.d = ImageDraw.Draw(self.img)

    @staticmethod
    def _c(colour):
        return colour + (255,) if len(colour) == 3 else colour

    def _box(self, x0, y0, x1, y1):
        return (round(x0 * SS), round(y0 * SS), round(x1 * SS) - 1, round(y1 * SS) - 1)

    def rect(self, x0, y0, x1, y1, fill):
        if x1 > x0 and y1 > y0:
            self.d.rectangle(self._box(x0, y0, x1, y1), fill=self._c(fill))

    def rrect(self, x0, y0, x1, y1, r, fill):
        if r <= 0:
            return self.rect(x0, y0, x1, y1, fill)
        self.d.rounded_rectangle(self._box(x0, y0, x1, y1), radius=round(r * SS), fill=self._c(fill))

    def rrect_framed(self, x0, y0, x1, y1, r, edge, fill, width=1.0):
        """A rounded rectangle with a border of the given width inside its box."""
        self.rrect(x0, y0, x1, y1, r, edge)
        self.rrect(x0 + width, y0 + width, x1 - width, y1 - width, max(r - width, 0), fill)

    def ellipse(self, x0, y0, x1, y1, fill):
        self.d.ellipse(self._box(x0, y0, x1, y1), fill=self._c(fill))

    def circle(self, cx, cy, r, fill):
        self.ellipse(cx - r, cy - r, cx + r, cy + r, fill)

    def ring(self, cx, cy, r, width, colour):
        """A circle of radius r (to the middle of the stroke)."""
        ro = r + width / 2.0
        self.d.ellipse(self._box(cx - ro, cy - ro, cx + ro, cy + ro), outline=self._c(colour),
                       width=max(1, round(width * SS)))

    def polygon(self, points, fill):
        # The drawing library centres its pixel i on coordinate i.
        self.d.polygon([(x * SS - 0.5, y * SS - 0.5) for x, y in points], fill=self._c(fill))

    def seg(self, p, q, width, colour, caps=True):
        (x0, y0), (x1, y1) = p, q
        dx, dy = x1 - x0, y1 - y0
        n = (dx * dx + dy * dy) ** 0.5
        if n == 0:
            if caps:
                self.circle(x0, y0, width / 2.0, colour)
            return
        ox, oy = -dy / n * width / 2.0, dx / n * width / 2.0
        self.polygon([(x0 + ox, y0 + oy), (x1 + ox, y1 + oy), (x1 - ox, y1 - oy), (x0 - ox, y0 - oy)], colour)
        if caps:
            self.circle(x0, y0, width / 2.0, colour)
            self.circle(x1, y1, width / 2.0, colour)

    def polyline(self, points, width, colour, caps=True):
        for p, q in zip(points, points[1:]):
            self.seg(p, q, width, colour, caps=False)
        inner = points if caps else points[1:-1]
        for x, y in inner:
            self.circle(x, y, width / 2.0, colour)

    def arc(self, cx, cy, r, a0, a1, width, colour, caps=True, steps=40):
        """Degrees, clockwise from the x axis (screen coordinates)."""
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.polyline(pts, width, colour, caps)

    def result(self):
        return self.img.resize((self.w, self.h), Image.BOX)


# ---------------------------------------------------------------------------
# Encoders (byte-stable)
# ---------------------------------------------------------------------------
def png_bytes(img):
    img = img.convert("RGBA")
    w, h = img.size
    data = img.tobytes()
    stride = w * 4
    raw = bytearray()
    prev = bytes(stride)
    for y in range(h):
        row = data[y * stride:(y + 1) * stride]
        best = None
        for ftype in range(5):
            f = _png_filter(ftype, row, prev)
            score = sum(b if b < 128 else 256 - b for b in f)
            if best is None or score < best[0]:
                best = (score, ftype, f)
        raw.append(best[1])
        raw += best[2]
        prev = row

    def chunk(tag, payload):
        return struct.pack(">I", len(payload)) + tag + payload + struct.pack(">I", zlib.crc32(tag + payload) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def _png_filter(ftype, row, prev, bpp=4):
    out = bytearray(len(row))
    for i, x in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        if ftype == 0:
            p = 0
        elif ftype == 1:
            p = a
        elif ftype == 2:
            p = b
        elif ftype == 3:
            p = (a + b) >> 1
        else:
            pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
            p = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
        out[i] = (x - p) & 0xFF
    return bytes(out)


def bmp_bytes(img, bpp):
    """A bottom-up BI_RGB DIB file, 24 bits or 8 bits with an exact palette."""
    img = img.convert("RGB")
    w, h = img.size
    px = img.load()
    if bpp == 24:
        stride = (w * 3 + 3) & ~3
        body = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray()
            for x in range(w):
                r, g, b = px[x, y]
                row += bytes((b, g, r))
            body += row + bytes(stride - len(row))
        palette = b""
        colours = 0
    elif bpp == 8:
        used = sorted(set(img.getdata()))
        if len(used) > 256:
            raise SystemExit("8-bit bitmap with %d colours" % len(used))
        index = {c: i for i, c in enumerate(used)}
        stride = (w + 3) & ~3
        body = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytes(index[px[x, y]] for x in range(w))
            body += row + bytes(stride - len(row))
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in used)
        colours = len(used)
    else:
        raise ValueError(bpp)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(body), 3780, 3780, colours, 0)
    return header + info + palette + bytes(body)


def ico_bytes(img):
    """One 32-bit image (BGRA with its AND mask) in an icon file."""
    img = img.convert("RGBA")
    w, h = img.size
    px = img.load()
    xor = bytearray()
    mask = bytearray()
    mstride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mstride)
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 6 + 16)
    return head + entry + image


# ---------------------------------------------------------------------------
# Dialog templates: the hidden group boxes and the group titles
# ---------------------------------------------------------------------------
def read_groups(template):
    """[(group rectangle, title rectangle)] of a page template, in pixels."""
    text = open(os.path.join(TOP, "res", "Dialogs.rc2"), encoding="utf-8").read()
    m = re.search(r"^%s DIALOGEX.*?^BEGIN$(.*?)^END$" % template, text, re.S | re.M)
    if not m:
        raise SystemExit("template %s not found in res/Dialogs.rc2" % template)
    body = m.group(1)
    num = r"\s*(-?\d+)\s*"
    boxes = [tuple(int(v) for v in g) for g in
             re.findall(r'GROUPBOX\s+"[^"]*",\s*-1,' + ",".join([num] * 4), body)]
    titles = [tuple(int(v) for v in g) for g in
              re.findall(r'LTEXT\s+"[^"]*",\s*IDC_\w+_TITLE,' + ",".join([num] * 4), body)]
    groups = []
    for bx, by, bw, bh in boxes:
        mine = [t for t in titles if bx <= t[0] < bx + bw and abs(t[1] - by) <= 8]
        if len(mine) != 1:
            raise SystemExit("%s: group at %d,%d has %d titles" % (template, bx, by, len(mine)))
        groups.append((dlu_rect(bx, by, bw, bh), dlu_rect(*mine[0])))
    if not groups:
        raise SystemExit("%s: no group boxes" % template)
    return groups


# ---------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------
def page_background(template):
    """The page: a light background and one white panel with a thin rounded
    border per hidden group box: its left, right and bottom edges those of the
    group box. A group's title static straddles the group box's top edge (where
    a group box draws its own caption); the panel's top is raised to enclose it,
    so the title, which the page draws in grey, stands on the panel's plain
    white at its top."""
    w, h = dlu_rect(0, 0, 405, 340)[2:]
    c = Canvas(w, h, PAGE_BG)
    radius = 6
    for (x0, y0, x1, y1), (tx0, ty0, tx1, ty1) in read_groups(template):
        top = min(y0, ty0 - 4)
        c.rrect(x0, top + 1, x1, y1 + 1, radius, PANEL_SHADE)
        c.rrect_framed(x0, top, x1, y1, radius, PANEL_EDGE, PANEL)
    return c.result().convert("RGB")


def tile(c, size, state, radius):
    """The square behind a picker picture."""
    if state == "normal":
        c.rrect_framed(0, 0, size, size, radius, TILE_EDGE, WHITE)
    elif state == "hover":
        c.rrect_framed(0, 0, size, size, radius, ACCENT_HOVER_EDGE, ACCENT_HOVER_FILL)
    else:
        c.rrect_framed(0, 0, size, size, radius, ACCENT, ACCENT_SEL_FILL, 1.5)


def ink(state):
    return {"normal": INK, "hover": INK_DARK, "selected": ACCENT_DARK}[state]


def mark(state):
    """Colour of a pictogram's meaningful detail."""
    return {"normal": INK, "hover": ACCENT, "selected": ACCENT}[state]


def sheet(c, x0, y0, x1, y1, state, fill=WHITE, fold=4, lines=True):
    """A sheet of paper with a folded corner and lines of text; on whole
    pixels, so its edges stay sharp at 1:1."""
    x0, y0, x1, y1 = int(x0), int(y0), int(x1), int(y1)
    k = ink(state)
    f = fold
    c.polygon([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)], k)
    c.polygon([(x0 + 1, y0 + 1), (x1 - f - 0.41, y0 + 1), (x1 - 1, y0 + f + 0.41), (x1 - 1, y1 - 1),
               (x0 + 1, y1 - 1)], fill)
    if f > 0:
        c.polygon([(x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)], k)
    if lines:
        lx0, lx1 = x0 + 3, x1 - 3
        y = y0 + max(f, 3) + 2
        n = 0
        while y + 1 <= y1 - 3:
            right = lx1 if n % 3 != 2 else lx0 + (lx1 - lx0) * 3 // 5
            c.rect(lx0, y, right, y + 1, INK_SOFT)
            y += 3
            n += 1


def rings(c, edge, x0, y0, x1, y1, state):
    """Binding rings across one edge of a sheet, spaced evenly."""
    colour = mark(state)
    length = (y1 - y0) if edge == "left" else (x1 - x0)
    count = 4 if length >= 22 else 3
    step = length // (count + 1)
    first = (length - step * (count - 1)) // 2
    for i in range(count):
        p = first + i * step
        if edge == "left":
            c.rrect(x0 - 2, y0 + p - 1, x0 + 3, y0 + p + 1, 1.0, colour)
        else:
            c.rrect(x0 + p - 1, y0 - 2, x0 + p + 1, y0 + 3, 1.0, colour)


def duplex(mode, landscape, state):
    """One-sided ("none"), or two-sided bound on the long or short edge."""
    c = Canvas(40, 40)
    tile(c, 40, state, 6)
    pw, ph = (24, 18) if landscape else (18, 24)
    if mode == "none":
        x0, y0 = (40 - pw) // 2, (40 - ph) // 2
        sheet(c, x0, y0, x0 + pw, y0 + ph, state)
        return c.result()
    # The binding edge: a portrait sheet's long edge is its left side; a
    # landscape sheet's long edge is its top. The back sheet shows beside the
    # front one, away from the binding.
    edge = "left" if (mode == "long") != landscape else "top"
    bx, by = (5, -4) if edge == "left" else (5, 4)
    x0 = (40 - pw - bx) // 2 + 1
    y0 = (40 - ph - abs(by)) // 2 + (abs(by) if by < 0 else 0)
    sheet(c, x0 + bx, y0 + by, x0 + bx + pw, y0 + by + ph, state, fill=SHEET_BACK, lines=False)
    sheet(c, x0, y0, x0 + pw, y0 + ph, state)
    rings(c, edge, x0, y0, x0 + pw, y0 + ph, state)
    return c.result()


def letter_a(c, cx, top, height, width, stroke, colour):
    half = width / 2.0
    bottom = top + height
    c.polyline([(cx - half, bottom), (cx, top), (cx + half, bottom)], stroke, colour)
    yb = top + height * 0.64
    t = 0.64
    c.seg((cx - half * t, yb), (cx + half * t, yb), stroke, colour)


def orientation(landscape, state):
    c = Canvas(40, 40)
    tile(c, 40, state, 6)
    pw, ph = (26, 20) if landscape else (20, 26)
    x0, y0 = (40 - pw) // 2, (40 - ph) // 2
    sheet(c, x0, y0, x0 + pw, y0 + ph, state, lines=False, fold=5)
    cy = y0 + ph / 2.0
    letter_a(c, 20.0, cy - 6.0, 12.0, 10.0, 2.0, mark(state))
    return c.result()


def quality(fine, state):
    """A disc printed with coarse dots (600 dpi) or with dots half as large
    (1200 dpi)."""
    c = Canvas(40, 40)
    tile(c, 40, state, 6)
    colour = mark(state) if state != "normal" else (96, 106, 120)
    pitch = 2 if fine else 4
    dot = 2 if fine else 3
    n = 24 // pitch
    r = 11.6
    for j in range(n):
        for i in range(n):
            px = 8 + i * pitch
            py = 8 + j * pitch
            if (px + pitch / 2.0 - 20) ** 2 + (py + pitch / 2.0 - 20) ** 2 <= r * r:
                c.rect(px, py, px + dot, py + dot, colour)
    return c.result()


def feed_edge(long_edge, state):
    """A sheet entering the printer's slot by its short or its long edge: the
    leading edge marked, an arrow for the direction of travel."""
    c = Canvas(40, 40)
    tile(c, 40, state, 6)
    k = ink(state)
    m = mark(state)
    c.rrect(6, 7, 34, 10, 1.5, k)  # the slot
    pw, ph = (24, 16) if long_edge else (16, 22)
    x0, y0 = (40 - pw) // 2, 13
    sheet(c, x0, y0, x0 + pw, y0 + ph, state, lines=False, fold=0)
    c.rect(x0, y0, x0 + pw, y0 + 2, m)
    top, bottom = y0 + 5, y0 + ph - 3
    c.rect(19, top + 1, 21, bottom, m)
    c.polyline([(16.0, top + 3.5), (20.0, top - 0.5 + 1.0), (24.0, top + 3.5)], 2.0, m)
    return c.result()


def spin_arrow(up, state):
    c = Canvas(23, 23)
    if state == "normal":
        c.rrect_framed(0, 0, 23, 23, 4, TILE_EDGE, WHITE)
        colour = INK
    else:
        c.rrect_framed(0, 0, 23, 23, 4, ACCENT_HOVER_EDGE, ACCENT_HOVER_FILL)
        colour = ACCENT
    cx, cy = 11.5, 11.5
    dy = -2.0 if up else 2.0
    c.polyline([(cx - 4.0, cy - dy), (cx, cy + dy), (cx + 4.0, cy - dy)], 1.9, colour)
    return c.result()


def button_face(c, w, h, state, danger=False):
    """Small picture buttons: bare in the normal state, on a tinted rounded
    square under the pointer."""
    if state == "normal":
        return INK
    if danger:
        c.rrect_framed(0, 0, w, h, 4, DANGER_HOVER_EDGE, DANGER_HOVER_FILL)
        return DANGER
    c.rrect_framed(0, 0, w, h, 4, ACCENT_HOVER_EDGE, ACCENT_HOVER_FILL)
    return ACCENT


def save_button(state):
    """A diskette."""
    c = Canvas(23, 21)
    k = button_face(c, 23, 21, state)
    x0, y0, x1, y1 = 5.0, 4.0, 18.0, 17.0
    c.polygon([(x0, y0), (x1 - 2.5, y0), (x1, y0 + 2.5), (x1, y1), (x0, y1)], k)
    bg = WHITE if state == "normal" else ACCENT_HOVER_FILL
    w = 1.4
    c.polygon([(x0 + w, y0 + w), (x1 - 2.5 - w * 0.4, y0 + w), (x1 - w, y0 + 2.5 + w * 0.4),
               (x1 - w, y1 - w), (x0 + w, y1 - w)], bg)
    c.rect(x0 + 3.0, y0 + w, x1 - 4.0, y0 + 4.6, k)        # shutter
    c.rect(x1 - 6.2, y0 + w + 0.6, x1 - 4.8, y0 + 3.8, bg)  # its window
    c.rrect(x0 + 2.8, y1 - 6.0, x1 - 2.8, y1 - w, 1.0, k)  # label
    return c.result()


def trash_can(c, k, bg, x0=6.0, x1=17.0, top=4.0, bottom=17.5):
    cx = (x0 + x1) / 2.0
    c.rrect(cx - 2.2, top, cx + 2.2, top + 2.6, 1.0, k)      # handle
    c.rrect(cx - 1.0, top + 1.2, cx + 1.0, top + 2.6, 0.3, bg)
    c.rrect(x0 - 1.0, top + 2.0, x1 + 1.0, top + 3.6, 0.8, k)  # lid
    bx0, bx1, by0 = x0 + 0.4, x1 - 0.4, top + 4.6
    c.polygon([(bx0, by0), (bx1, by0), (bx1 - 0.8, bottom), (bx0 + 0.8, bottom)], k)
    w = 1.35
    c.polygon([(bx0 + w, by0), (bx1 - w, by0), (bx1 - 0.8 - w, bottom - w), (bx0 + 0.8 + w, bottom - w)], bg)
    for x in (cx - 2.2, cx, cx + 2.2):
        c.seg((x, by0 + 2.2), (x, bottom - 2.6), 0.9, k)


def delete_button(state):
    c = Canvas(23, 21)
    k = button_face(c, 23, 21, state, danger=True)
    bg = WHITE if state == "normal" else DANGER_HOVER_FILL
    trash_can(c, k, bg)
    return c.result()


def custom_paper_button(state):
    """A sheet with a pencil: a paper of one's own."""
    c = Canvas(23, 21)
    k = button_face(c, 23, 21, state)
    bg = WHITE if state == "normal" else ACCENT_HOVER_FILL
    x0, y0, x1, y1 = 4.0, 3.0, 15.0, 18.0
    c.polygon([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], k)
    w = 1.3
    c.polygon([(x0 + w, y0 + w), (x1 - 3 - w * 0.4, y0 + w), (x1 - w, y0 + 3 + w * 0.4),
               (x1 - w, y1 - w), (x0 + w, y1 - w)], bg)
    for i, y in enumerate((7.5, 10.5, 13.5)):
        c.rect(x0 + 2.6, y, x1 - (2.6 if i < 2 else 5.0), y + 1.0, k if state != "normal" else INK_SOFT)
    # The pencil across the sheet's lower right corner, on a gap of the
    # background colour so it stands out.
    p0, p1 = (19.5, 7.0), (11.0, 15.5)
    c.seg(p0, p1, 5.2, bg)
    c.seg(p0, (12.6, 13.9), 3.0, k, caps=False)
    c.circle(p0[0], p0[1], 1.5, k)
    c.polygon([(13.7, 12.8 + 0.2), (11.6 + 0.2, 14.9 + 0.2), (10.3, 16.2), (10.7, 13.5 - 0.2)], k)
    c.polygon([(11.6, 12.8), (12.4, 13.6), (10.3, 16.2)], k)
    c.seg((18.0, 8.5), (17.0, 9.5), 1.0, bg, caps=False)
    return c.result()


def badge_sheet(state, plus):
    """The custom-paper dialog's add and delete pictures: a sheet with a badge."""
    c = Canvas(23, 21)
    k = button_face(c, 23, 21, state, danger=not plus)
    bg = WHITE if state == "normal" else (ACCENT_HOVER_FILL if plus else DANGER_HOVER_FILL)
    x0, y0, x1, y1 = 4.0, 3.0, 14.5, 17.0
    c.polygon([(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)], k)
    w = 1.3
    c.polygon([(x0 + w, y0 + w), (x1 - 3 - w * 0.4, y0 + w), (x1 - w, y0 + 3 + w * 0.4),
               (x1 - w, y1 - w), (x0 + w, y1 - w)], bg)
    cx, cy, r = 15.5, 13.5, 5.2
    c.circle(cx, cy, r + 1.3, bg)
    c.circle(cx, cy, r, ACCENT if plus else DANGER)
    c.seg((cx - 2.6, cy), (cx + 2.6, cy), 1.6, WHITE, caps=False)
    if plus:
        c.seg((cx, cy - 2.6), (cx, cy + 2.6), 1.6, WHITE, caps=False)
    return c.result()


def warning_sign():
    c = Canvas(32, 32)
    top, bottom, half = 3.0, 28.5, 14.0
    cx = 16.0
    # A triangle with rounded corners: the corners are circles joined by the
    # triangle between their outer tangents, drawn as a thick outline.
    pts = [(cx, top + 2.2), (cx + half - 2.0, bottom - 1.4), (cx - half + 2.0, bottom - 1.4)]
    c.polygon(pts, WARN_EDGE)
    c.polyline(pts + [pts[0]], 4.2, WARN_EDGE)
    c.polygon(pts, WARN)
    c.polyline(pts + [pts[0]], 2.2, WARN)
    c.seg((cx, 11.0), (cx, 19.0), 2.8, WHITE)
    c.circle(cx, 23.4, 1.75, WHITE)
    return c.result()


def information_sign():
    c = Canvas(23, 21)
    cx, cy, r = 11.5, 10.5, 8.5
    c.circle(cx, cy, r, ACCENT)
    c.circle(cx, 6.6, 1.35, WHITE)
    c.seg((cx, 9.6), (cx, 14.8), 2.2, WHITE)
    return c.result()


def switch(on, hover):
    """A toggle: a pill with its knob at the right when on. A bitmap on the
    panels' white."""
    w, h = 50, 19
    c = Canvas(w, h, PANEL)
    r = h / 2.0
    if on:
        track = ACCENT_DARK if hover else ACCENT
        c.rrect(0.5, 0.5, w - 0.5, h - 0.5, r - 0.5, track)
        kx = w - r
        c.circle(kx, r, r - 2.5, WHITE)
        # "|" on the free side.
        c.seg((15.0, r - 3.5), (15.0, r + 3.5), 1.8, WHITE)
    else:
        edge = ACCENT_HOVER_EDGE if hover else (200, 207, 216)
        fill = ACCENT_HOVER_FILL if hover else (235, 238, 242)
        c.rrect_framed(0.5, 0.5, w - 0.5, h - 0.5, r - 0.5, edge, fill, 1.1)
        kx = r
        c.circle(kx, r, r - 2.0, (172, 180, 191) if not hover else ACCENT)
        c.circle(kx, r, r - 3.2, WHITE)
        # "o" on the free side.
        c.ring(w - 15.0, r, 3.0, 1.6, (150, 158, 170) if not hover else ACCENT)
    return c.result().convert("RGB")


# The slider's thumb spans these x ranges (pixels, both ends included) in the
# frames 0, 1, 2: the ranges where a press starts a drag, between the frames'
# step-back and step-forward zones; each lies inside its frame's drag range
# (0-34, 35-75, 76-110).
SLIDER_THUMBS = ((9, 19), (49, 59), (91, 101))
SLIDER_CENTRES = [(a + b + 1) / 2.0 for a, b in SLIDER_THUMBS]


def density_frame(frame, hover):
    """The density slider on one of its three steps, light to dark."""
    w, h = 113, 30
    c = Canvas(w, h)
    cy = 15.0
    left, right = SLIDER_CENTRES[0], SLIDER_CENTRES[-1]
    x = SLIDER_CENTRES[frame]
    # Track: filled up to the thumb.
    c.rrect(left - 3.0, cy - 2.0, right + 3.0, cy + 2.0, 2.0, (214, 219, 226))
    c.rrect(left - 3.0, cy - 2.0, x, cy + 2.0, 2.0, ACCENT if not hover else ACCENT_DARK)
    # Step marks under the track.
    for i, sx in enumerate(SLIDER_CENTRES):
        c.rect(sx - 0.5, cy + 5.0, sx + 0.5, cy + 8.0, INK_SOFT if i != frame else ACCENT)
    # Thumb: a white disc with an accent ring, eleven pixels across.
    a, b = SLIDER_THUMBS[frame]
    r = (b + 1 - a) / 2.0
    if hover:
        c.circle(x, cy, r + 0.0, ACCENT_DARK)
        c.circle(x, cy, r - 2.2, WHITE)
    else:
        c.circle(x, cy, r, ACCENT)
        c.circle(x, cy, r - 1.8, WHITE)
    return c.result()


def density_scale():
    """Light to dark, above the slider: a wedge shaded from light grey to
    near black, its ends under the slider's first and last steps."""
    w, h = 110, 22
    c = Canvas(w, h, PANEL)
    left, right = SLIDER_CENTRES[0] - 3.0, SLIDER_CENTRES[-1] + 3.0
    bottom = 16.0
    steps = 60
    for i in range(steps):
        t0, t1 = i / steps, (i + 1) / steps
        x0 = left + (right - left) * t0
        x1 = left + (right - left) * t1
        g = round(222 - (222 - 40) * (t0 + t1) / 2.0)
        top0 = bottom - (2.0 + 10.0 * t0)
        top1 = bottom - (2.0 + 10.0 * t1)
        c.polygon([(x0, top0), (x1 + 0.02, top1), (x1 + 0.02, bottom), (x0, bottom)], (g, g, g + 2))
    # Step marks matching the slider's.
    for sx in SLIDER_CENTRES:
        c.rect(sx - 0.5, bottom + 2.0, sx + 0.5, bottom + 5.0, INK_SOFT)
    return c.result().convert("RGB")


def nup(count, landscape):
    """Pages on one sheet. The sheet turns as the pages need it: two or six
    upright pages lie side by side on a sheet turned to landscape."""
    grid = {1: (1, 1), 2: (2, 1), 4: (2, 2), 6: (3, 2), 9: (3, 3), 16: (4, 4)}[count]
    cols, rows = grid if not landscape else (grid[1], grid[0]) if count in (2, 6) else grid
    # The sheet is landscape when a portrait document is put 2 or 6 up, or a
    # landscape one 1, 4, 9 or 16 up.
    wide = (count in (2, 6)) != landscape
    c = Canvas(38, 38)
    sw, sh = (34, 26) if wide else (26, 34)
    x0, y0 = (38 - sw) // 2, (38 - sh) // 2
    c.rrect_framed(x0, y0, x0 + sw, y0 + sh, 2.0, INK, WHITE, 1.0)
    # Cells on whole pixels, so their edges stay sharp.
    pad = 3 if count <= 4 else 2
    gap = 2 if count <= 9 else 1
    inner_w, inner_h = sw - 2 * pad - (cols - 1) * gap, sh - 2 * pad - (rows - 1) * gap
    xs = [x0 + pad + i * gap + (inner_w * i) // cols for i in range(cols + 1)]
    ys = [y0 + pad + j * gap + (inner_h * j) // rows for j in range(rows + 1)]
    for j in range(rows):
        for i in range(cols):
            px0, px1 = xs[i], xs[i + 1] - gap
            py0, py1 = ys[j], ys[j + 1] - gap
            first = (i, j) == (0, 0) and count > 1
            c.rect(px0, py0, px1, py1, ACCENT if first else ACCENT_TINT)
            if count <= 4:
                # Lines of text on the page.
                line = (142, 178, 232) if first else WHITE
                step = 3 if count == 1 else 2
                ly = py0 + 2
                while ly + 1 <= py1 - 2:
                    c.rect(px0 + 2, ly, px1 - 2, ly + 1, line)
                    ly += step
    return c.result()


# Letters of the name drawn as strokes: (cap height 12, stroke 2.2).
def draw_word(c, x, base, colour, cap=12.0, stroke=2.3, gap=3.2):
    top = base - cap
    s2 = stroke / 2.0
    mid = top + cap * 0.48

    def B(x):
        w = 8.0
        c.seg((x + s2, top + s2), (x + s2, base - s2), stroke, colour)
        r1 = (mid - top) / 2.0 - s2 / 2.0
        r2 = (base - mid) / 2.0 - s2 / 2.0
        c.seg((x + s2, top + s2), (x + w - r1 - 0.6, top + s2), stroke, colour)
        c.arc(x + w - r1 - 0.6, top + s2 + r1, r1, -90, 90, stroke, colour)
        c.seg((x + s2, mid), (x + w - r2, mid), stroke, colour)
        c.arc(x + w - r2, mid + r2, r2, -90, 90, stroke, colour)
        c.seg((x + s2, base - s2), (x + w - r2, base - s2), stroke, colour)
        return w + s2

    def R(x):
        w = 8.0
        c.seg((x + s2, top + s2), (x + s2, base - s2), stroke, colour)
        r1 = (mid - top) / 2.0 - s2 / 2.0 + 0.3
        c.seg((x + s2, top + s2), (x + w - r1 - s2, top + s2), stroke, colour)
        c.arc(x + w - r1 - s2, top + s2 + r1, r1, -90, 90, stroke, colour)
        c.seg((x + s2, top + s2 + 2 * r1), (x + w - r1 - s2, top + s2 + 2 * r1), stroke, colour)
        c.seg((x + w - r1 - 1.6, top + s2 + 2 * r1), (x + w - s2 + 0.3, base - s2), stroke, colour)
        return w + 0.3

    def I(x):
        c.seg((x + s2, top + s2), (x + s2, base - s2), stroke, colour)
        return stroke

    def X(x):
        w = 9.0
        c.seg((x + s2, top + s2), (x + w - s2, base - s2), stroke, colour)
        c.seg((x + w - s2, top + s2), (x + s2, base - s2), stroke, colour)
        return w

    def O(x):
        r = cap / 2.0 - s2
        c.ring(x + s2 + r, top + cap / 2.0, r, stroke, colour)
        return 2 * r + stroke

    def M(x):
        w = 11.0
        c.polyline([(x + s2, base - s2), (x + s2, top + s2), (x + w / 2.0, top + cap * 0.62),
                    (x + w - s2, top + s2), (x + w - s2, base - s2)], stroke, colour)
        return w

    for letter in (B, R, I, X, O, M):
        x += letter(x) + gap
    return x - gap


def logo():
    """Our mark and name: a "B" of two bricks in a rounded square, and the name
    in plain geometric capitals."""
    w, h = 112, 32
    c = Canvas(w, h)
    m0, m1 = 2.0, 30.0
    c.rrect(m0, m0, m1, m1, 7.0, ACCENT)
    # A "B" of two bricks on a stem, the upper one shorter.
    c.rrect(9.0, 8.0, 20.5, 15.4, 3.6, WHITE)
    c.rrect(9.0, 16.6, 22.5, 24.0, 3.6, WHITE)
    c.rect(9.0, 8.0, 12.0, 24.0, WHITE)
    c.rrect(12.2, 10.6, 17.6, 12.8, 1.1, ACCENT)
    c.rrect(12.2, 19.2, 19.6, 21.4, 1.1, ACCENT)
    draw_word(c, 37.0, 22.0, INK_DARK)
    return c.result()


# ---------------------------------------------------------------------------
# The table: number, resource name, kind, file name, size, meaning, painter
# ---------------------------------------------------------------------------
PNG, BMP, ICO = "PNG", "BITMAP", "ICON"
STATES3 = ("normal", "selected", "hover")


def pictures():
    t = []

    def add(num, name, kind, file, size, meaning, draw, bpp=None):
        t.append(dict(id=num, name=name, kind=kind, file=file, size=size, meaning=meaning, draw=draw, bpp=bpp))

    for i, n in enumerate((1, 2, 4, 6, 9, 16)):
        add(1201 + i, "IDI_NUP%d_PORTRAIT" % n, ICO, "%d-nup-%d-portrait.ico" % (1201 + i, n), (38, 38),
            "%d page%s per sheet, portrait" % (n, "s" if n > 1 else ""), lambda n=n: nup(n, False))
    for i, n in enumerate((1, 2, 4, 6, 9, 16)):
        add(1207 + i, "IDI_NUP%d_LANDSCAPE" % n, ICO, "%d-nup-%d-landscape.ico" % (1207 + i, n), (38, 38),
            "%d page%s per sheet, landscape" % (n, "s" if n > 1 else ""), lambda n=n: nup(n, True))
    add(1300, "IDB_BASIC_BACKGROUND", BMP, "1300-basic-background.bmp", (608, 553),
        "Basic page background with its group panels", lambda: page_background("IDD_BASIC_PAGE"), 8)
    add(1301, "IDB_ADVANCED_BACKGROUND", BMP, "1301-advanced-background.bmp", (608, 553),
        "Advanced page background with its group panels", lambda: page_background("IDD_ADVANCED_PAGE"), 8)
    for num, name, on, hover, meaning in ((1305, "IDB_SWITCH_ON", True, False, "switch on"),
                                         (1306, "IDB_SWITCH_OFF", False, False, "switch off"),
                                         (1307, "IDB_SWITCH_ON_HOVER", True, True, "switch on, pointer over it"),
                                         (1308, "IDB_SWITCH_OFF_HOVER", False, True, "switch off, pointer over it")):
        add(num, name, BMP, "%d-%s.bmp" % (num, name[4:].lower().replace("_", "-")), (50, 19), meaning,
            lambda on=on, hover=hover: switch(on, hover), 24)
    add(1309, "IDB_DENSITY_SCALE", BMP, "1309-density-scale.bmp", (110, 22), "density scale, light to dark",
        density_scale, 24)

    add(1400, "IDR_ARROW_UP", PNG, "1400-arrow-up.png", (23, 23), "spin arrow up", lambda: spin_arrow(True, "normal"))
    add(1401, "IDR_ARROW_UP_HOVER", PNG, "1401-arrow-up-hover.png", (23, 23), "spin arrow up, hover and selected",
        lambda: spin_arrow(True, "hover"))
    add(1403, "IDR_ARROW_DOWN", PNG, "1403-arrow-down.png", (23, 23), "spin arrow down",
        lambda: spin_arrow(False, "normal"))
    add(1404, "IDR_ARROW_DOWN_HOVER", PNG, "1404-arrow-down-hover.png", (23, 23),
        "spin arrow down, hover and selected", lambda: spin_arrow(False, "hover"))

    def picker(first, prefix, file, meaning, draw):
        for k, state in enumerate(STATES3):
            suffix = "" if state == "normal" else "_" + state.upper()
            add(first + k, prefix + suffix, PNG, "%d-%s%s.png" % (first + k, file, "" if state == "normal" else "-" + state),
                (40, 40), "%s, %s" % (meaning, state), lambda state=state: draw(state))

    picker(1406, "IDR_DUPLEX_NONE_PORTRAIT", "duplex-none-portrait", "one-sided, portrait",
           lambda s: duplex("none", False, s))
    picker(1409, "IDR_DUPLEX_LONG_PORTRAIT", "duplex-long-portrait", "two-sided, long edge, portrait",
           lambda s: duplex("long", False, s))
    picker(1412, "IDR_DUPLEX_SHORT_PORTRAIT", "duplex-short-portrait", "two-sided, short edge, portrait",
           lambda s: duplex("short", False, s))
    picker(1415, "IDR_PORTRAIT", "portrait", "portrait orientation", lambda s: orientation(False, s))
    picker(1418, "IDR_LANDSCAPE", "landscape", "landscape orientation", lambda s: orientation(True, s))
    picker(1421, "IDR_DUPLEX_NONE_LANDSCAPE", "duplex-none-landscape", "one-sided, landscape",
           lambda s: duplex("none", True, s))
    picker(1424, "IDR_DUPLEX_LONG_LANDSCAPE", "duplex-long-landscape", "two-sided, long edge, landscape",
           lambda s: duplex("long", True, s))
    picker(1427, "IDR_DUPLEX_SHORT_LANDSCAPE", "duplex-short-landscape", "two-sided, short edge, landscape",
           lambda s: duplex("short", True, s))
    picker(1430, "IDR_QUALITY_600DPI", "quality-600dpi", "print quality 600 dpi", lambda s: quality(False, s))
    picker(1433, "IDR_QUALITY_1200DPI", "quality-1200dpi", "print quality 1200 dpi", lambda s: quality(True, s))
    # The feed edge's choices are the options of "JCLFeedEdge": 0 ShortEdge, 1 LongEdge.
    picker(1436, "IDR_FEEDEDGE_LONG", "feed-long-edge", "feed by the long edge (choice 1)",
           lambda s: feed_edge(True, s))
    picker(1439, "IDR_FEEDEDGE_SHORT", "feed-short-edge", "feed by the short edge (choice 0)",
           lambda s: feed_edge(False, s))

    for num, name, file, meaning, draw in (
            (1442, "IDR_QUICKSET_SAVE", "quickset-save", "save quick set", lambda: save_button("normal")),
            (1443, "IDR_QUICKSET_SAVE_HOVER", "quickset-save-hover", "save quick set, hover", lambda: save_button("hover")),
            (1444, "IDR_QUICKSET_DELETE", "quickset-delete", "delete quick set", lambda: delete_button("normal")),
            (1445, "IDR_QUICKSET_DELETE_HOVER", "quickset-delete-hover", "delete quick set, hover",
             lambda: delete_button("hover")),
            (1446, "IDR_CUSTOM_PAPER", "custom-paper", "custom paper sizes", lambda: custom_paper_button("normal")),
            (1447, "IDR_CUSTOM_PAPER_HOVER", "custom-paper-hover", "custom paper sizes, hover and pressed",
             lambda: custom_paper_button("hover")),
            (1448, "IDR_PAPER_ADD", "paper-add", "add a custom paper", lambda: badge_sheet("normal", True)),
            (1449, "IDR_PAPER_ADD_HOVER", "paper-add-hover", "add a custom paper, hover", lambda: badge_sheet("hover", True)),
            (1450, "IDR_PAPER_DELETE", "paper-delete", "delete a custom paper", lambda: badge_sheet("normal", False)),
            (1451, "IDR_PAPER_DELETE_HOVER", "paper-delete-hover", "delete a custom paper, hover",
             lambda: badge_sheet("hover", False))):
        add(num, name, PNG, "%d-%s.png" % (num, file), (23, 21), meaning, draw)

    for f in range(3):
        label = ("light", "normal", "dark")[f]
        add(1456 + 2 * f, "IDR_DENSITY_%s" % label.upper(), PNG, "%d-density-%s.png" % (1456 + 2 * f, label),
            (113, 30), "density slider at %s (frame %d)" % (label, f), lambda f=f: density_frame(f, False))
        add(1457 + 2 * f, "IDR_DENSITY_%s_HOVER" % label.upper(), PNG,
            "%d-density-%s-hover.png" % (1457 + 2 * f, label), (113, 30),
            "density slider at %s (frame %d), hover" % (label, f), lambda f=f: density_frame(f, True))
    add(1462, "IDR_WARNING", PNG, "1462-warning.png", (32, 32), "constraint indicator (warning)", warning_sign)
    add(1463, "IDR_INFORMATION", PNG, "1463-information.png", (23, 21), "information", information_sign)
    add(1464, "IDR_LOGO", PNG, "1464-logo.png", (112, 32), "logo", logo)
    return t


def encode(p, img):
    if img.size != p["size"]:
        raise SystemExit("%d: drawn %s, expected %s" % (p["id"], img.size, p["size"]))
    if p["kind"] == PNG:
        return png_bytes(img)
    if p["kind"] == BMP:
        return bmp_bytes(img, p["bpp"])
    return ico_bytes(img)


def check_names(table):
    text = open(os.path.join(TOP, "res", "resource.h"), encoding="utf-8").read()
    defined = {m.group(1): int(m.group(2)) for m in re.finditer(r"^#define\s+(\w+)\s+(\d+)", text, re.M)}
    bad = ["%s %d" % (p["name"], p["id"]) for p in table if defined.get(p["name"]) != p["id"]]
    if bad:
        raise SystemExit("not in res/resource.h with these numbers: " + ", ".join(bad))


def rc_lines(table):
    out = ["// Made by scripts/make-pictures.py: the plug-in's pictures.", ""]
    for p in table:
        out.append("%-28s %-6s \"res/pictures/%s\"" % (p["name"], p["kind"], p["file"]))
    return ("\n".join(out) + "\n").encode("ascii")


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# Contact sheet
# ---------------------------------------------------------------------------
def contact_sheet(table, images, path):
    """Every picture with its number, at 1:1 and 3:1, in a flowing layout; the
    page backgrounds at 1:1 at the end."""
    font = ImageFont.load_default()
    pad, width = 12, 1240
    cells = []
    for p in table:
        w, h = p["size"]
        big = w > 200
        cw = (w if big else max(w * 4 + 24, 150)) + 16
        ch = h + (0 if big else h * 2) + 34
        cells.append((p, cw, ch, big))
    cells.sort(key=lambda cell: cell[3])  # the backgrounds last
    # Flow: rows of cells, a new row when the next cell does not fit.
    rows, row, x = [], [], pad
    for cell in cells:
        if row and x + cell[1] > width - pad:
            rows.append(row)
            row, x = [], pad
        row.append(cell)
        x += cell[1] + pad
    rows.append(row)
    height = pad + sum(max(c[2] for c in r) + pad for r in rows)
    out = Image.new("RGB", (width, height), PAGE_BG)
    d = ImageDraw.Draw(out)
    y = pad
    for r in rows:
        x = pad
        rh = max(c[2] for c in r)
        for p, cw, ch, big in r:
            im = images[p["id"]].convert("RGBA")
            w, h = im.size
            if not big:
                d.rectangle((x, y, x + cw - 1, y + rh - 1), fill=PANEL, outline=PANEL_EDGE)
            d.text((x + 6, y + 5), "%d %s %dx%d" % (p["id"], p["kind"], w, h), fill=(80, 80, 80), font=font)
            out.paste(im, (x + 8, y + 24), im)
            if not big:
                im3 = im.resize((w * 3, h * 3), Image.NEAREST)
                out.paste(im3, (x + 16 + w, y + 24), im3)
            x += cw + pad
        y += rh + pad
    out.save(path)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(TOP, "res", "pictures"), help="folder of the pictures")
    ap.add_argument("--sheet", help="also draw a contact sheet into this PNG file")
    args = ap.parse_args()
    table = pictures()
    check_names(table)
    os.makedirs(args.out, exist_ok=True)
    images = {}
    for p in table:
        img = p["draw"]()
        images[p["id"]] = img
        write(os.path.join(args.out, p["file"]), encode(p, img))
    write(os.path.join(args.out, "Pictures.rc2"), rc_lines(table))
    if args.sheet:
        folder = os.path.dirname(os.path.abspath(args.sheet))
        os.makedirs(folder, exist_ok=True)
        contact_sheet(table, images, args.sheet)
    return 0


if __name__ == "__main__":
    sys.exit(main())
