#!/usr/bin/python3
"""Draws the editor's images into Resources/ (run from anywhere; needs Pillow).

The outputs are committed, so the build never runs this script: run it again only to change a picture.
"""
import os
import struct

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
ICONS = os.path.join(ROOT, "Resources", "icons")
GUI = os.path.join(ROOT, "Resources", "GUI")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

BLUE = (89, 135, 178, 255)      # the preview's background colour
DARK = (40, 62, 90, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)


def font(size):
    return ImageFont.truetype(FONT, size) if os.path.exists(FONT) else ImageFont.load_default()


def program_icon(size):
    """A rounded blue square with a white V, the program's initial."""
    image = Image.new("RGBA", (size, size), CLEAR)
    draw = ImageDraw.Draw(image)
    draw.rounded_rectangle((0, 0, size - 1, size - 1), radius=size // 5, fill=BLUE, outline=DARK)
    inset = size // 5
    points = [(inset, inset), (size // 2, size - inset), (size - 1 - inset, inset)]
    draw.line(points, fill=WHITE, width=max(2, size // 7), joint="curve")
    return image


def bmp_entry(image):
    """One ICO directory image in the classic BMP form: 32-bit BGRA rows bottom-up and an AND mask."""
    width, height = image.size
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b, a = image.getpixel((x, y))
            pixels += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(width):
            if image.getpixel((x, y))[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, images):
    entries = [bmp_entry(image) for image in images]
    offset = 6 + 16 * len(images)
    data = struct.pack("<HHH", 0, 1, len(images))
    for image, entry in zip(images, entries):
        width, height = image.size
        data += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    with open(path, "wb") as out:
        out.write(data + b"".join(entries))


def texture_icon(with_alpha):
    """A small checkered tile; the alpha variant fades out to the lower right."""
    image = Image.new("RGBA", (16, 16), CLEAR)
    for y in range(1, 15):
        for x in range(1, 15):
            light = ((x // 4) + (y // 4)) % 2 == 0
            colour = (200, 210, 225) if light else (89, 135, 178)
            alpha = 255 - (x + y) * 7 if with_alpha else 255
            image.putpixel((x, y), colour + (alpha,))
    ImageDraw.Draw(image).rectangle((0, 0, 15, 15), outline=DARK)
    return image


def file_icon():
    """A sheet with a folded corner and a coloured band: an archive."""
    image = Image.new("RGBA", (16, 16), CLEAR)
    draw = ImageDraw.Draw(image)
    draw.polygon([(2, 0), (10, 0), (14, 4), (14, 15), (2, 15)], fill=WHITE, outline=DARK)
    draw.line([(10, 0), (10, 4), (14, 4)], fill=DARK)
    draw.rectangle((4, 7, 12, 12), fill=BLUE)
    return image


def badge_icon(fill, glyph):
    """A round badge with one white character, for the log levels."""
    image = Image.new("RGBA", (16, 16), CLEAR)
    draw = ImageDraw.Draw(image)
    draw.ellipse((0, 0, 15, 15), fill=fill)
    draw.text((8, 8), glyph, fill=WHITE, font=font(11), anchor="mm")
    return image


def ribbon():
    """The banner of the About box: the program's name on a blue band."""
    image = Image.new("RGBA", (543, 68), BLUE)
    draw = ImageDraw.Draw(image)
    for y in range(68):
        shade = int(30 * y / 67)
        draw.line([(0, y), (542, y)], fill=(89 - shade, 135 - shade, 178 - shade, 255))
    image.paste(program_icon(48), (12, 10), program_icon(48))
    draw.text((76, 34), "Varnel", fill=WHITE, font=font(40), anchor="lm")
    draw.text((530, 56), "texture dictionary editor", fill=(220, 230, 240, 255), font=font(12), anchor="rs")
    return image


def main():
    os.makedirs(ICONS, exist_ok=True)
    os.makedirs(GUI, exist_ok=True)
    write_ico(os.path.join(ICONS, "varnel_small.ico"), [program_icon(16), program_icon(32)])
    texture_icon(False).save(os.path.join(ICONS, "tex_woa.png"))
    texture_icon(True).save(os.path.join(ICONS, "tex_wa.png"))
    file_icon().save(os.path.join(ICONS, "tex_file.png"))
    badge_icon((40, 120, 200, 255), "i").save(os.path.join(ICONS, "small_info.png"))
    badge_icon((230, 160, 0, 255), "!").save(os.path.join(ICONS, "small_warn.png"))
    badge_icon((210, 30, 30, 255), "x").save(os.path.join(ICONS, "small_error.png"))
    ribbon().convert("RGB").save(os.path.join(GUI, "varnel_ribbon.png"))


if __name__ == "__main__":
    main()
