#!/usr/bin/python3
"""Draws the program's icon: a shield with an open padlock. Deterministic; run with Debian's python3-pil.

    /usr/bin/python3 res/make_icon.py   # rewrites res/recovery-tool.ico
"""
from pathlib import Path

from PIL import Image, ImageDraw

SIZE = 256


def draw(size: int) -> Image.Image:
    s = size / SIZE
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    shield = [(128, 12), (228, 48), (220, 150), (128, 244), (36, 150), (28, 48)]
    d.polygon([(x * s, y * s) for x, y in shield], fill=(15, 106, 255, 255))
    inner = [(128, 34), (208, 62), (202, 146), (128, 222), (54, 146), (48, 62)]
    d.polygon([(x * s, y * s) for x, y in inner], fill=(20, 21, 23, 255))
    # Open shackle, lifted to the right: the files are unlocked.
    d.arc([96 * s, 62 * s, 160 * s, 126 * s], 180, 330, fill=(245, 245, 245, 255), width=max(1, int(12 * s)))
    d.line([(96 * s, 94 * s), (96 * s, 120 * s)], fill=(245, 245, 245, 255), width=max(1, int(12 * s)))
    d.rounded_rectangle([82 * s, 116 * s, 174 * s, 186 * s], radius=10 * s, fill=(245, 245, 245, 255))
    d.ellipse([120 * s, 136 * s, 136 * s, 152 * s], fill=(15, 106, 255, 255))
    d.rectangle([125 * s, 148 * s, 131 * s, 168 * s], fill=(15, 106, 255, 255))
    return img


if __name__ == "__main__":
    out = Path(__file__).with_name("recovery-tool.ico")
    draw(SIZE).save(out, format="ICO", sizes=[(16, 16), (24, 24), (32, 32), (48, 48), (64, 64), (256, 256)])
