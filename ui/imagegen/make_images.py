#!/usr/bin/python3
"""Draws the window's raster images into ui/img/.

Run with Debian's /usr/bin/python3 and python3-pil. The drawings depend on
nothing but the code below, so the same Pillow version writes the same bytes
on every run.

    /usr/bin/python3 ui/imagegen/make_images.py [output-folder]
"""

import math
import sys
from pathlib import Path

from PIL import Image, ImageDraw, ImageFilter

SUPERSAMPLE = 4

ANIM_SIZE = (252, 264)
# The page shows the animations through a circle centred here, this wide.
ANIM_CENTRE = (126, 126)
ANIM_RADIUS = 114

SCAN_FRAMES = 59
OUTCOME_FRAMES = 26
FRAME_MS = 40

ACCENT = (15, 106, 255)
SKY = (22, 160, 238)

THEMES = {
    # name suffix: colours of one theme
    "": {
        "ground": (242, 247, 255),
        "page": (255, 255, 255),
        "page_edge": (185, 212, 255),
        "line": (217, 217, 219),
        "line_lit": (15, 106, 255),
        "success_ground": (233, 248, 239),
        "success": (25, 160, 90),
        "fail_ground": (255, 240, 242),
        "fail": (234, 2, 32),
    },
    "_dm": {
        "ground": (13, 31, 63),
        "page": (30, 52, 92),
        "page_edge": (60, 96, 160),
        "line": (83, 86, 93),
        "line_lit": (120, 190, 255),
        "success_ground": (4, 34, 18),
        "success": (25, 150, 80),
        "fail_ground": (46, 4, 10),
        "fail": (214, 20, 46),
    },
}


# ----------------------------------------------------------------- drawing


class Canvas:
    """An RGBA drawing at SUPERSAMPLE times the final size, in final pixels."""

    def __init__(self, size, ground=(0, 0, 0, 0)):
        self.size = size
        big = (size[0] * SUPERSAMPLE, size[1] * SUPERSAMPLE)
        self.image = Image.new("RGBA", big, ground)

    def layer(self):
        return Canvas(self.size)

    def draw(self):
        return ImageDraw.Draw(self.image)

    @staticmethod
    def s(value):
        return round(value * SUPERSAMPLE)

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1), self.s(y1)]

    def rounded(self, box, radius, fill=None, outline=None, width=1):
        self.draw().rounded_rectangle(self.box(*box), radius=self.s(radius), fill=fill,
                                      outline=outline, width=self.s(width) if outline else 0)

    def ellipse(self, box, fill=None, outline=None, width=1):
        self.draw().ellipse(self.box(*box), fill=fill, outline=outline,
                            width=self.s(width) if outline else 0)

    def polyline(self, points, colour, width):
        scaled = [(self.s(x), self.s(y)) for x, y in points]
        draw = self.draw()
        draw.line(scaled, fill=colour, width=self.s(width), joint="curve")
        radius = self.s(width) / 2
        for x, y in (scaled[0], scaled[-1]):
            draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=colour)

    def polygon(self, points, fill):
        self.draw().polygon([(self.s(x), self.s(y)) for x, y in points], fill=fill)

    def paste(self, other, opacity=1.0):
        top = other.image
        if opacity < 1.0:
            alpha = top.getchannel("A").point(lambda a: round(a * opacity))
            top = top.copy()
            top.putalpha(alpha)
        self.image = Image.alpha_composite(self.image, top)

    def blurred(self, radius):
        out = Canvas(self.size)
        out.image = self.image.filter(ImageFilter.GaussianBlur(self.s(radius)))
        return out

    def masked(self, mask_canvas):
        out = Canvas(self.size)
        alpha = Image.new("L", self.image.size, 0)
        alpha.paste(self.image.getchannel("A"), mask=mask_canvas.image.getchannel("A"))
        out.image = self.image.copy()
        out.image.putalpha(alpha)
        return out

    def result(self):
        return self.image.resize(self.size, Image.LANCZOS)


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (alpha,)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


def vertical_gradient(size, stops):
    """An RGB image graded top to bottom through (position, colour) stops."""
    width, height = size
    column = Image.new("RGB", (1, height))
    for y in range(height):
        t = y / (height - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                column.putpixel((0, y), mix(c0, c1, (t - p0) / (p1 - p0)))
                break
    return column.resize(size, Image.NEAREST)


def ease_out_back(t):
    c = 1.6
    return 1 + (c + 1) * (t - 1) ** 3 + c * (t - 1) ** 2


# ---------------------------------------------------------------- document


def draw_document(canvas, left, top, width, height, colours, lit_band=None):
    """A page with a folded corner and lines of text. Lines that cross the
    vertical band lit_band=(y0, y1) take the lit colour."""
    fold = width * 0.24
    page = [(left, top), (left + width - fold, top), (left + width, top + fold),
            (left + width, top + height), (left, top + height)]
    edge = [(x, y) for x, y in page]
    canvas.polygon(edge, rgba(colours["page_edge"]))
    inset = 2
    inner = [(left + inset, top + inset), (left + width - fold - inset * 0.4, top + inset),
             (left + width - inset, top + fold + inset * 0.4), (left + width - inset, top + height - inset),
             (left + inset, top + height - inset)]
    canvas.polygon(inner, rgba(colours["page"]))
    canvas.polygon([(left + width - fold, top), (left + width - fold, top + fold), (left + width, top + fold)],
                   rgba(colours["page_edge"]))

    margin = width * 0.16
    line_height = height * 0.055
    gap = height * 0.105
    y = top + height * 0.2
    index = 0
    while y + line_height < top + height * 0.9:
        length = (width - 2 * margin) * (0.55 if index % 3 == 2 else 1.0)
        if index == 0:
            length = (width - 2 * margin) * 0.5
        lit = lit_band is not None and lit_band[0] <= y + line_height / 2 <= lit_band[1]
        colour = colours["line_lit"] if lit else colours["line"]
        canvas.rounded((left + margin, y, left + margin + length, y + line_height), line_height / 2,
                       fill=rgba(colour))
        y += gap
        index += 1


def draw_scan_bar(canvas, left, right, y, colour):
    glow = canvas.layer()
    glow.rounded((left, y - 7, right, y + 7), 7, fill=rgba(colour, 150))
    canvas.paste(glow.blurred(5))
    canvas.rounded((left, y - 2, right, y + 2), 2, fill=rgba(colour))


# ------------------------------------------------------------------ images


def welcome_illustration():
    canvas = Canvas((218, 190))
    colours = THEMES["_dm"]
    shadow = canvas.layer()
    shadow.rounded((58, 26, 160, 170), 6, fill=(0, 0, 0, 110))
    canvas.paste(shadow.blurred(6))
    bar_y = 92
    draw_document(canvas, 56, 20, 102, 140, colours, lit_band=(20, bar_y))
    draw_scan_bar(canvas, 34, 180, bar_y, SKY)

    # the maker's badge: a disc carrying the open ring of the logo
    cx, cy, r = 164, 150, 24
    halo = canvas.layer()
    halo.ellipse((cx - r - 4, cy - r - 4, cx + r + 4, cy + r + 4), fill=rgba(ACCENT, 120))
    canvas.paste(halo.blurred(4))
    canvas.ellipse((cx - r, cy - r, cx + r, cy + r), fill=rgba(ACCENT))
    ring = canvas.layer()
    ring.draw().arc(ring.box(cx - 12, cy - 12, cx + 12, cy + 12), start=-35, end=300,
                    fill=(245, 245, 245, 255), width=ring.s(4))
    canvas.paste(ring)
    canvas.ellipse((cx - 4, cy - 4, cx + 4, cy + 4), fill=(245, 245, 245, 255))
    return canvas.result()


def banner_visual():
    size = (480, 1024)
    ground = vertical_gradient(size, [(0.0, (42, 83, 143)), (0.45, (62, 44, 140)), (1.0, (9, 16, 48))])
    canvas = Canvas(size)
    canvas.image = ground.resize(canvas.image.size, Image.NEAREST).convert("RGBA")

    shapes = canvas.layer()
    for cx, cy, r, colour, alpha in [(420, 120, 260, (143, 60, 207), 90), (40, 620, 300, (15, 106, 255), 70),
                                     (360, 900, 220, (22, 160, 238), 60)]:
        shapes.ellipse((cx - r, cy - r, cx + r, cy + r), fill=rgba(colour, alpha))
    canvas.paste(shapes.blurred(40))

    lines = canvas.layer()
    for i in range(7):
        r = 120 + i * 46
        lines.draw().arc(lines.box(240 - r, 700 - r, 240 + r, 700 + r), start=200 + i * 6, end=330 - i * 4,
                         fill=(255, 255, 255, 60 - i * 6), width=lines.s(2))
    canvas.paste(lines)

    shield = canvas.layer()
    cx, top = 240, 560
    outline = [(cx, top), (cx + 110, top + 40), (cx + 100, top + 170), (cx, top + 250),
               (cx - 100, top + 170), (cx - 110, top + 40), (cx, top)]
    shield.polyline(outline, (255, 255, 255, 110), 5)
    shield.polyline([(cx - 45, top + 125), (cx - 12, top + 158), (cx + 50, top + 92)], (255, 255, 255, 140), 8)
    canvas.paste(shield)

    image = canvas.result().convert("RGB")
    return image.quantize(colors=96, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def clip_to_circle(frame, ground):
    """Keeps the circle that the page shows; outside it lies the plain ground."""
    canvas = Canvas(ANIM_SIZE, rgba(ground))
    mask = Canvas(ANIM_SIZE)
    cx, cy = ANIM_CENTRE
    mask.ellipse((cx - ANIM_RADIUS, cy - ANIM_RADIUS, cx + ANIM_RADIUS, cy + ANIM_RADIUS), fill=(0, 0, 0, 255))
    canvas.paste(frame.masked(mask))
    return canvas


def scan_frame(index, colours):
    canvas = Canvas(ANIM_SIZE, rgba(colours["ground"]))
    cx, cy = ANIM_CENTRE
    width, height = 124, 160
    left, top = cx - width / 2, cy - height / 2
    # the bar sweeps down and back up once per loop
    # (a quarter frame off so that no two neighbouring frames coincide at the turns)
    phase = (1 - math.cos(2 * math.pi * (index + 0.25) / SCAN_FRAMES)) / 2
    bar_y = top + 6 + (height - 12) * phase
    draw_document(canvas, left, top, width, height, colours, lit_band=(bar_y - 12, bar_y + 12))
    draw_scan_bar(canvas, left - 22, left + width + 22, bar_y, SKY)
    return clip_to_circle(canvas, colours["ground"]).result()


def tick_points(cx, cy, size):
    return [(cx - 0.42 * size, cy + 0.02 * size), (cx - 0.12 * size, cy + 0.3 * size),
            (cx + 0.44 * size, cy - 0.28 * size)]


def cross_points(cx, cy, size):
    d = 0.3 * size
    return [[(cx - d, cy - d), (cx + d, cy + d)], [(cx + d, cy - d), (cx - d, cy + d)]]


def outcome_frame(index, colours, kind):
    """The badge pops to its size while a ring ripples out and fades; the
    symbol is whole from the first frame, which the page holds as a still."""
    ground = colours[kind + "_ground"]
    colour = colours[kind]
    canvas = Canvas(ANIM_SIZE, rgba(ground))
    cx, cy = ANIM_CENTRE
    t = index / (OUTCOME_FRAMES - 1)

    ripple_r = 78 + 34 * t
    ripple_alpha = round(170 * (1 - t))
    if ripple_alpha > 0:
        ripple = canvas.layer()
        ripple.ellipse((cx - ripple_r, cy - ripple_r, cx + ripple_r, cy + ripple_r),
                       outline=rgba(colour, ripple_alpha), width=4)
        canvas.paste(ripple)

    scale = 0.86 + 0.14 * ease_out_back(min(1.0, t * 1.6))
    r = 74 * scale
    canvas.ellipse((cx - r, cy - r, cx + r, cy + r), fill=rgba(colour))
    symbol = canvas.layer()
    if kind == "success":
        symbol.polyline(tick_points(cx, cy, 92 * scale), (255, 255, 255, 255), 14 * scale)
    else:
        for stroke in cross_points(cx, cy, 92 * scale):
            symbol.polyline(stroke, (255, 255, 255, 255), 14 * scale)
    canvas.paste(symbol)
    return clip_to_circle(canvas, ground).result()


# ----------------------------------------------------------------- writing


def save_png(image, path):
    image.save(path, format="PNG", optimize=True)


def shared_palette(frames, colours):
    """One palette for every frame, taken from a sample of them side by side."""
    sample = frames[:: max(1, len(frames) // 8)]
    width, height = sample[0].size
    sheet = Image.new("RGB", (width * len(sample), height))
    for i, frame in enumerate(sample):
        sheet.paste(frame.convert("RGB"), (i * width, 0))
    return sheet.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)


def save_animation(frames, path, loop_forever, colours=64):
    # Flat drawings lose nothing visible to a small palette, and the file shrinks several times.
    palette = shared_palette(frames, colours)
    frames = [frame.convert("RGB").quantize(palette=palette, dither=Image.Dither.NONE) for frame in frames]
    first, rest = frames[0], frames[1:]
    # In an animated PNG, 0 plays means without end.
    first.save(path, format="PNG", save_all=True, append_images=rest, duration=FRAME_MS,
               loop=0 if loop_forever else 1, disposal=0, blend=0, optimize=True)
    with Image.open(path) as written:
        if written.n_frames != len(frames):
            raise RuntimeError(f"{path}: {written.n_frames} frames written instead of {len(frames)}")


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "img"
    (out / "anim").mkdir(parents=True, exist_ok=True)

    save_png(welcome_illustration(), out / "decryptor-ill2x.png")
    save_png(banner_visual(), out / "aside-visual2x.png")
    for suffix, colours in THEMES.items():
        save_animation([scan_frame(i, colours) for i in range(SCAN_FRAMES)],
                       out / "anim" / f"decryptor_scan{suffix}.png", loop_forever=True)
        for kind, name in (("success", "success"), ("fail", "fail")):
            save_animation([outcome_frame(i, colours, kind) for i in range(OUTCOME_FRAMES)],
                           out / "anim" / f"decryptor_{name}{suffix}.png", loop_forever=False, colours=32)


if __name__ == "__main__":
    main()
