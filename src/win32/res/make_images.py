#!/usr/bin/env python3
"""Draws the program's pictures with ImageMagick's convert.

  src/win32/res/  the icons and menu glyphs compiled into strevo.exe
  data/           the meter faces the widget loads from the program folder,
                  the windows' header picture (JPEG) and bullet (GIF)

Run it from anywhere; it writes next to itself and into ../../../data.
The meter face follows the widget's needle: centre (51, 50), speed s in
words per minute at the angle NeedleAngle(s), clockwise from 12 o'clock.
"""
import math
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.normpath(os.path.join(HERE, "..", "..", "..", "data"))
FONT = "DejaVu-Sans"
FONT_BOLD = "DejaVu-Sans-Bold"
FONT_CONDENSED = "DejaVu-Sans-Condensed"


def needle_angle(s):
    """The widget's mapping; Python's round() halves to even like the program."""
    if s <= 40:
        a = round(3.4 * s) + 224
    elif s <= 125:
        a = round(1.5 * s) + 305
    elif s <= 130:
        a = s + 15
    elif s <= 140:
        a = s + 13
    elif s <= 150:
        a = s + 11
    elif s <= 160:
        a = s + 9
    elif s <= 170:
        a = s + 7
    elif s <= 180:
        a = s + 5
    elif s <= 190:
        a = s + 3
    else:
        a = s
    return min(a, 600)


def point(cx, cy, angle, radius):
    r = math.radians(angle)
    return cx + math.sin(r) * radius, cy - math.cos(r) * radius


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def arc_path(cx, cy, radius, start, end, steps=48):
    """Short lines along the circle from angle start to end (clockwise).
    (ImageMagick 6 closes open polylines and paths when it strokes them.)"""
    pts = [point(cx, cy, start + (end - start) * i / steps, radius) for i in range(steps + 1)]
    return "stroke-linecap round " + " ".join(
        f"line {x1:.2f},{y1:.2f} {x2:.2f},{y2:.2f}" for (x1, y1), (x2, y2) in zip(pts, pts[1:]))


def unwrapped_angle(s):
    """The needle angle made monotonic: above 125 wpm the mapping restarts
    below 360, one turn further on."""
    a = needle_angle(s)
    return a + 360 if s > 125 else a


# ------------------------------------------------------------- meter faces --

CX, CY = 51, 50
ZONES = [  # (from wpm, to wpm, colour)
    (0, 40, "#5d7fa3"),
    (40, 80, "#3fbf5f"),
    (80, 125, "#e0c040"),
    (125, 200, "#e0503a"),
]
# The speeds above 125 crowd the bottom of the dial, where the large speed
# figure stands: they keep their ticks but no numbers.
LABELS = [0, 20, 40, 60, 80, 100, 120]


def dial_draw(dim=False):
    """Draw primitives for the dial; dim gives the paused look."""
    face = "#161b22" if not dim else "#101317"
    rim = "#46525f" if not dim else "#2a3038"
    ink = "#d8dee6" if not dim else "#6a727c"
    cmds = [
        f"fill {face} stroke {rim} stroke-width 2 circle {CX},{CY} {CX + 48},{CY}",
    ]
    for lo, hi, colour in ZONES:
        c = colour if not dim else "#3a4048"
        a0, a1 = unwrapped_angle(lo), unwrapped_angle(hi)
        cmds.append(f"fill none stroke {c} stroke-width 3 {arc_path(CX, CY, 43.5, a0, a1)}")
    for s in range(0, 201, 10):
        a = needle_angle(s)
        major = s % 20 == 0 or s == 150
        inner = 36 if major else 39
        x1, y1 = point(CX, CY, a, inner)
        x2, y2 = point(CX, CY, a, 45)
        width = 1.6 if major else 1
        cmds.append(f"fill none stroke {ink} stroke-width {width} line {x1:.2f},{y1:.2f} {x2:.2f},{y2:.2f}")
    return cmds, ink


def dial_labels(ink):
    args = []
    for s in LABELS:
        x, y = point(CX, CY, needle_angle(s), 28)
        text = str(s)
        # Centred on the point: ImageMagick places text by its baseline.
        args += ["-font", FONT_CONDENSED, "-pointsize", "7.5", "-fill", ink, "-stroke", "none",
                 "-gravity", "NorthWest", "-annotate", f"+{x - 2.1 * len(text):.0f}+{y - 4.5:.0f}", text]
    args += ["-font", FONT, "-pointsize", "6.5", "-fill", "#8a96a3", "-annotate", f"+{CX - 7}+{CY - 19}", "wpm"]
    return args


def face(path, english, dim=False, size=(204, 204)):
    cmds, ink = dial_draw(dim)
    args = ["-size", f"{size[0]}x{size[1]}", "xc:#0b0e12"]
    # A faint panel behind the three figure rows.
    if size[0] > 120:
        args += ["-fill", "#12171d", "-stroke", "#1e252d", "-draw", "roundrectangle 96,20 202,80 6,6"]
    for c in cmds:
        args += ["-draw", c]
    args += dial_labels(ink)
    # The hub over the needle's root.
    args += ["-fill", "#2a323c", "-stroke", "#5a6673", "-strokewidth", "1", "-draw", f"circle {CX},{CY} {CX + 3},{CY}"]
    if english:
        for text, y in (("Words", 24), ("Time", 42), ("Average", 61)):
            args += ["-font", FONT, "-pointsize", "8.5", "-fill", "#b8c2cc", "-stroke", "none",
                     "-gravity", "NorthWest", "-annotate", f"+103+{y + 2}", text]
    if dim:
        # The pause sign over the dimmed dial, clear of the speed figure
        # under the hub.
        args += ["-fill", "#e8b400", "-stroke", "none",
                 "-draw", f"roundrectangle {CX - 9},{CY - 18} {CX - 3},{CY + 3} 2,2",
                 "-draw", f"roundrectangle {CX + 3},{CY - 18} {CX + 9},{CY + 3} 2,2"]
    args += ["-type", "TrueColor", f"BMP3:{path}"]
    convert(*args)


# ------------------------------------------------------------------- icons --

ICON_STATES = {
    1: ("#2f9e6a", "#1b5e3f", 250),   # idle: green, needle low
    2: ("#f08a24", "#9a4e0a", 485),   # typing: orange, needle high
    3: ("#9aa0a6", "#5f6368", 224),   # disabled: grey, needle at rest
}
# The same states in colours of the 16-colour palette.
ICON_STATES_16 = {
    1: ("#008080", "#000080", 250),
    2: ("#ffff00", "#808000", 485),
    3: ("#c0c0c0", "#808080", 224),
}


def gauge_png(path, size, colour, dark, angle, background="none"):
    """A small speedometer: a ring open at the bottom, ticks, a needle."""
    s = size / 32.0
    cx, cy = 16 * s, 17 * s
    r = 13 * s
    w = max(1.0, 3.2 * s)
    cmds = [
        f"fill {dark} stroke none circle {cx:.2f},{cy:.2f} {cx + r + w / 2:.2f},{cy:.2f}",
        f"fill #ffffff stroke none circle {cx:.2f},{cy:.2f} {cx + r - w / 2:.2f},{cy:.2f}",
        f"fill none stroke {colour} stroke-width {w:.2f} {arc_path(cx, cy, r - w / 2, 224, 496, 36)}",
    ]
    if size >= 24:
        for a in (224 + 34 * i for i in range(9)):
            x1, y1 = point(cx, cy, a, r - 2.8 * w)
            x2, y2 = point(cx, cy, a, r - 1.6 * w)
            cmds.append(f"fill none stroke {dark} stroke-width {max(1, s):.2f} line {x1:.2f},{y1:.2f} {x2:.2f},{y2:.2f}")
    nx, ny = point(cx, cy, angle, r - 1.8 * w)
    cmds.append(f"fill none stroke #d02020 stroke-width {max(1.2, 2 * s):.2f} line {cx:.2f},{cy:.2f} {nx:.2f},{ny:.2f}")
    cmds.append(f"fill {dark} stroke none circle {cx:.2f},{cy:.2f} {cx + max(1.2, 2.2 * s):.2f},{cy:.2f}")
    args = ["-size", f"{size}x{size}", f"xc:{background}"]
    for c in cmds:
        args += ["-draw", c]
    convert(*args, f"PNG32:{path}")


# The 16 colours every Windows display offers.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]


def rgba(png, size):
    raw = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    return [tuple(raw[i:i + 4]) for i in range(0, size * size * 4, 4)]


def sixteen_colour_entry(pixels, size):
    """One 4-bit icon image: header, palette, colour rows and mask rows,
    both bottom-up and padded to 32 bits."""
    def nearest(r, g, b):
        return min(range(16), key=lambda i: (VGA[i][0] - r) ** 2 + (VGA[i][1] - g) ** 2 + (VGA[i][2] - b) ** 2)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in reversed(range(size)):
        row, bits = bytearray(xor_stride), bytearray(and_stride)
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            index = nearest(r, g, b) if a >= 128 else 0
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    return header + palette + bytes(xor) + bytes(mask)


def write_sixteen_colour_icon(path, images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for size, blob in images:
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs))


def icon(path, state, sizes, sixteen_colours=False):
    colour, dark, angle = (ICON_STATES_16 if sixteen_colours else ICON_STATES)[state]
    with tempfile.TemporaryDirectory() as tmp:
        parts = []
        for size in sizes:
            png = os.path.join(tmp, f"{size}.png")
            gauge_png(png, size, colour, dark, angle)
            parts.append((size, png))
        if sixteen_colours:
            # The 16-colour systems: 4 bits per pixel in the standard palette
            # and a 1-bit transparency mask.
            write_sixteen_colour_icon(path, [(size, sixteen_colour_entry(rgba(png, size), size)) for size, png in parts])
        else:
            convert(*(png for _, png in parts), path)


def glyph(path, cmds):
    """A 16 x 16 menu glyph on magenta, the colour the program replaces."""
    # No smoothing: the background must stay exactly magenta.
    args = ["-size", "16x16", "xc:#ff00ff", "+antialias"]
    for c in cmds:
        args += ["-draw", c]
    convert(*args, "-type", "TrueColor", f"BMP3:{path}")


# ------------------------------------------------------- window pictures --

def header(path, size=(489, 73)):
    """The header of the notification and logon windows: a deep blue sky with
    a soft light from the right and a row of faint keys along the bottom.
    The windows write their own titles on it (white on the logon window,
    below it on the notification window)."""
    w, h = size
    draw = []
    # Key caps: rounded, barely lighter than the sky, rising to the right.
    for i in range(14):
        x = 170 + i * 23
        top = h - 10 - i * 1.6
        alpha = 0.06 + 0.012 * i
        draw += ["-fill", f"rgba(255,255,255,{alpha:.3f})", "-stroke", "none",
                 "-draw", f"roundrectangle {x},{top:.1f} {x + 18},{top + 16:.1f} 3,3"]
    convert("-size", f"{w}x{h}", "xc:#14305e",
            "-sparse-color", "Shepards",
            f"0,0 #12294f  0,{h} #1d4584  {w * 0.45:.0f},{h * 0.3:.0f} #1f4a8c  "
            f"{w * 0.8:.0f},0 #5b8fd6  {w},{h} #2d64ae",
            *draw,
            # A thin light line at the foot of the header.
            "-fill", "rgba(255,255,255,0.35)", "-draw", f"rectangle 0,{h - 2} {w},{h - 2}",
            "-quality", "90", "-sampling-factor", "1x1", f"JPEG:{path}")


def bullet(path):
    """The 9 x 9 bullet of the notification window's rows: a blue dot with a
    light centre on a transparent ground."""
    convert("-size", "9x9", "xc:none",
            "-fill", "#2b5fa8", "-draw", "circle 4,4 4,0.5",
            "-fill", "#7fa8e0", "-draw", "point 3,3",
            f"GIF:{path}")


# --------------------------------------------------------- button pictures --

WIDGET_GROUND = "#0b0e12"  # the meter face's ground, which the button strip continues


def gif_bytes(args, ground):
    """A picture drawn on its ground, smoothed against it; the ground itself
    becomes transparent, so the picture sits on the window like the ground."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "p.gif")
        convert(*args, "+dither", "-fuzz", "0%", "-transparent", ground, f"GIF:{path}")
        with open(path, "rb") as f:
            return f.read()


def widget_symbol(size, draws, colour, disc=None):
    """A widget button: a symbol on the widget's ground, the outer pixel left
    free for the frame the button draws while hot."""
    c = size / 2
    args = ["-size", f"{size}x{size}", f"xc:{WIDGET_GROUND}"]
    if disc:
        args += ["-fill", disc, "-stroke", "none", "-draw", f"circle {c - 0.5},{c - 0.5} {c - 0.5},{2.5}"]
    args += ["-fill", "none", "-stroke", colour, "-strokewidth", "2"]
    for d in draws:
        args += ["-draw", f"stroke-linecap round {d}"]
    return gif_bytes(args, WIDGET_GROUND)


def power_sign():
    return ["arc 5.5,6.5 18.5,19.5 -55,235", "line 12,4.5 12,11.5"]


def bar_chart():
    return ["line 7,18 7,13", "line 12,18 12,9", "line 17,18 17,6"]


def menu_lines():
    return ["line 6,6 14,6", "line 6,10 14,10", "line 6,14 14,14"]


def minimise_bar():
    return ["line 6,14 14,14"]


def rounded_button(top, bottom, border, size=(40, 34), ground="white"):
    """A button face for the three-slice stretch: rounded ends, and a middle
    whose every column is the same, so stretching it shows no seam."""
    w, h = size
    return gif_bytes(["-size", f"{w}x{h}", f"gradient:{top}-{bottom}", "-alpha", "set",
                      "(", "-size", f"{w}x{h}", "xc:none", "-fill", "white",
                      "-draw", f"roundrectangle 0,0 {w - 1},{h - 1} 6,6", ")",
                      "-compose", "DstIn", "-composite",
                      "-fill", "none", "-stroke", border, "-strokewidth", "1",
                      "-draw", f"roundrectangle 0.5,0.5 {w - 1.5},{h - 1.5} 6,6",
                      "-background", ground, "-compose", "Over", "-flatten"], ground)


def crisp(size, draws, ground="#ff00ff"):
    """Unsmoothed, for buttons over the header picture, which changes colour
    under them."""
    w, h = size
    args = ["-size", f"{w}x{h}", f"xc:{ground}", "+antialias"]
    for d in draws:
        args += ["-draw", d]
    return gif_bytes(args, ground)


def button_pictures():
    green, bright, grey = "#3fd46a", "#8affa8", "#55606b"
    return [
        ("onoff", widget_symbol(24, power_sign(), green)),
        ("onoff-hover", widget_symbol(24, power_sign(), bright, disc="#173222")),
        ("onoff-disabled", widget_symbol(24, power_sign(), grey)),
        ("practice", widget_symbol(24, bar_chart(), green)),
        ("setup", widget_symbol(20, menu_lines(), green)),
        ("hide", widget_symbol(20, minimise_bar(), green)),
        ("hide-hover", widget_symbol(20, minimise_bar(), bright)),
        ("begin", rounded_button("#3d74c2", "#23519a", "#1d4785")),
        ("begin-hover", rounded_button("#5089d6", "#2c62b0", "#2458a0")),
        ("cancel", rounded_button("#f2f2f2", "#dedede", "#b4b4b4")),
        ("cancel-hover", rounded_button("#fafafa", "#e9e9e9", "#8c8c8c")),
        ("close", crisp((10, 10), ["stroke white stroke-width 2 line 1,1 8,8", "stroke white stroke-width 2 line 8,1 1,8"])),
        ("close-hover", crisp((20, 21), ["fill #c8352a stroke none roundrectangle 0,0 19,20 3,3"])),
    ]


def write_button_pictures(path):
    """The buttons' pictures as GIF files inside a source file, so that the
    program carries them as a form carries its images."""
    lines = ["// Made by src/win32/res/make_images.py: the pictures of the program's",
             "// skinned buttons, as GIF files. Run the script again to change them.", ""]
    names = []
    for name, data in button_pictures():
        symbol = "k" + "".join(part.capitalize() for part in name.split("-"))
        names.append((name, symbol))
        lines.append(f"const unsigned char {symbol}[] = {{")
        for i in range(0, len(data), 16):
            lines.append("    " + " ".join(f"0x{b:02x}," for b in data[i:i + 16]))
        lines.append("};")
    lines.append("const ButtonPictureFile kButtonPictureFiles[] = {")
    lines += [f"    {{\"{name}\", {symbol}, sizeof {symbol}}}," for name, symbol in names]
    lines.append("};")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")


def main():
    write_button_pictures(os.path.join(HERE, "ButtonPictures.inc"))
    header(os.path.join(DATA, "header.jpg"))
    bullet(os.path.join(DATA, "bullet.gif"))
    face(os.path.join(DATA, "spmeter1.bmp"), english=True)
    face(os.path.join(DATA, "spmeterfor.bmp"), english=False)
    face(os.path.join(DATA, "spmeter2.bmp"), english=False, dim=True, size=(102, 102))

    for state in (1, 2, 3):
        icon(os.path.join(HERE, f"tray{state}.ico"), state, (16, 32))
        icon(os.path.join(HERE, f"tray16_{state}.ico"), state, (16, 32), sixteen_colours=True)
    with tempfile.TemporaryDirectory() as tmp:
        parts = []
        for size in (16, 32, 48):
            png = os.path.join(tmp, f"{size}.png")
            gauge_png(png, size, "#2b6cb0", "#173a63", 470)
            parts.append(png)
        convert(*parts, os.path.join(HERE, "strevo.ico"))

    glyph(os.path.join(HERE, "statistics.bmp"), [
        "fill #1f5fa8 stroke none rectangle 2,9 4,14",
        "fill #2f9e6a stroke none rectangle 6,5 8,14",
        "fill #f08a24 stroke none rectangle 10,2 12,14",
        "fill none stroke #404040 stroke-width 1 line 1,15 14,15",
    ])
    teeth = [f"fill none stroke #5f6368 stroke-width 2.6 line 7.5,7.5 {point(7.5, 7.5, a, 7.0)[0]:.1f},"
             f"{point(7.5, 7.5, a, 7.0)[1]:.1f}" for a in range(0, 360, 45)]
    glyph(os.path.join(HERE, "settings.bmp"), teeth + [
        "fill #5f6368 stroke none circle 7.5,7.5 7.5,2.5",
        "fill #ff00ff stroke none circle 7.5,7.5 7.5,5.6",
    ])

if __name__ == "__main__":
    main()
