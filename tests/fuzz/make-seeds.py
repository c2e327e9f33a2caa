#!/usr/bin/env python3
"""Makes the seed files of the fuzz targets that are built by hand rather than by an encoder: every
kind of BMP file the reader knows, album files ending at every group boundary, and the pictures of
the other formats (through ImageMagick and exiftool) that reach the decoders' less common paths.

Usage: tests/fuzz/make-seeds.py [CORPUS_FOLDER]   (default: tests/fuzz/corpus beside this script)
The files are small on purpose: libFuzzer mutates small inputs much faster.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------------------------- BMP

def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def pixels(width, height, bits):
    """Rows of a small test pattern, each padded to whole 32-bit words."""
    out = bytearray()
    for y in range(height):
        row = bytearray(row_bytes(width, bits))
        for x in range(width):
            v = (x * 7 + y * 3) & 0xFF
            if bits == 1:
                row[x >> 3] |= ((x + y) & 1) << (7 - (x & 7))
            elif bits == 4:
                row[x >> 1] |= (v & 15) << (0 if x & 1 else 4)
            elif bits == 8:
                row[x] = v
            else:
                n = bits // 8
                value = (v * 0x010203 + x * 0x1F00) & ((1 << bits) - 1)
                if bits == 32:
                    value |= (x * 40 & 0xFF) << 24  # an alpha byte that varies
                row[x * n:x * n + n] = value.to_bytes(n, "little")
        out += row
    return bytes(out)


def palette(count, entry=4):
    table = bytearray()
    for i in range(count):
        table += bytes([(i * 37) & 0xFF, (i * 91) & 0xFF, (255 - i * 13) & 0xFF])
        if entry == 4:
            table += b"\0"
    return bytes(table)


def bmp(width, height, bits, compression=0, header_size=40, colours=None, data=None, masks=b"",
        clr_used=None, extra_header=b"", entry=4, off_bits=None):
    """A BMP file. height < 0 makes a top-down file. masks follow a 40-byte header."""
    if colours is None:
        colours = (1 << bits) if bits <= 8 else 0
    if data is None:
        data = pixels(width, abs(height), bits)
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression, len(data),
                           2835, 2835, colours if clr_used is None else clr_used, 0)
        info = (info + extra_header).ljust(header_size, b"\0")[:header_size] if header_size >= 40 else \
            info[:header_size]
    table = palette(colours, entry)
    offset = 14 + len(info) + len(masks) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset if off_bits is None else off_bits)
    return head + info + masks + table + data


def rle8_stream():
    # 7 x 5: encoded runs, an odd absolute run (padded), end of line, a delta, a row left short,
    # and the end of the picture.
    s = bytearray()
    s += b"\x03\x05\x00\x03\x01\x02\x03\x00\x01\x07"   # run of 3, absolute 3 (+pad), run of 1
    s += b"\x00\x00"                                   # end of line
    s += b"\x02\x09\x00\x02\x02\x01\x03\x04"           # run of 2, delta (2, 1), run of 3 past the edge
    s += b"\x00\x00"
    s += b"\x00\x04\x01\x02\x03\x04\x01\x06"           # absolute 4 (even, no pad), run
    s += b"\x00\x00"
    s += b"\x00\x01"                                   # end of picture
    return bytes(s)


def rle4_stream():
    # 9 x 4: odd encoded runs alternate two nibbles, odd absolute runs are padded.
    s = bytearray()
    s += b"\x05\x12\x00\x03\x34\x50\x01\xF0"           # run of 5 (1,2,1,2,1), absolute 3 (+pad), run of 1
    s += b"\x00\x00"
    s += b"\x00\x02\x01\x01\x04\x67"                   # delta (1, 1), run of 4
    s += b"\x00\x00"
    s += b"\x00\x05\xAB\xCD\xE0\x00\x0C\x89"           # absolute 5 (+pad), run of 12 past the edge
    s += b"\x00\x01"
    return bytes(s)


def bmp_seeds():
    t = "fuzz_bmp"
    write(t, "mono-13x5.bmp", bmp(13, 5, 1))
    write(t, "mono-topdown.bmp", bmp(9, -4, 1))
    write(t, "pal4-7x5.bmp", bmp(7, 5, 4))
    write(t, "pal4-short-table.bmp", bmp(6, 3, 4, clr_used=3, colours=3))
    write(t, "pal8.bmp", bmp(5, 4, 8))
    write(t, "pal8-topdown.bmp", bmp(5, -3, 8, clr_used=20, colours=20))
    write(t, "rgb555.bmp", bmp(5, 3, 16))
    write(t, "rgb565-bitfields.bmp", bmp(5, 3, 16, 3, masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    write(t, "rgb24-5x3.bmp", bmp(5, 3, 24))
    write(t, "rgb24-topdown.bmp", bmp(6, -3, 24))
    write(t, "rgb32.bmp", bmp(4, 3, 32))
    # An alpha mask in a 40-byte header's masks (compression 6), alpha used.
    write(t, "argb32-alphabitfields.bmp",
          bmp(4, 3, 32, 6, masks=struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)))
    # Version 4 and 5 headers hold the masks themselves; one with every alpha zero is opaque.
    v4masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000) + b"BGRs"
    write(t, "argb32-v4.bmp", bmp(4, 3, 32, 3, header_size=108, extra_header=v4masks))
    opaque = bytes(b if i % 4 != 3 else 0 for i, b in enumerate(pixels(4, 3, 32)))
    write(t, "xrgb32-v5-alpha-zero.bmp", bmp(4, 3, 32, 3, header_size=124, extra_header=v4masks, data=opaque))
    write(t, "rgb16-v2.bmp", bmp(3, 2, 16, 3, header_size=52,
                                 extra_header=struct.pack("<III", 0x0F00, 0x00F0, 0x000F)))
    write(t, "argb16-v3.bmp", bmp(3, 2, 16, 3, header_size=56,
                                  extra_header=struct.pack("<IIII", 0x0F00, 0x00F0, 0x000F, 0xF000)))
    write(t, "rle8-codes.bmp", bmp(7, 5, 8, 1, data=rle8_stream(), clr_used=16, colours=16))
    write(t, "rle4.bmp", bmp(9, 4, 4, 2, data=rle4_stream()))
    # A stream that stops at the start of its last row without an end code still shows.
    write(t, "rle8-unended.bmp", bmp(3, 2, 8, 1, data=b"\x03\x01\x00\x00", clr_used=4, colours=4))
    # OS/2 headers: the 12-byte core header with three-byte colours, and a 16-byte version 2 header.
    write(t, "os2-core-pal8.bmp", bmp(5, 3, 8, header_size=12, entry=3, colours=256))
    write(t, "os2-core-mono.bmp", bmp(9, 2, 1, header_size=12, entry=3, colours=2))
    write(t, "os2-core-rgb24.bmp", bmp(3, 2, 24, header_size=12, colours=0))
    write(t, "os2-v2-16byte.bmp", bmp(4, 2, 24, header_size=16, colours=0))
    # Pixel offset pointing past the end: the pixels are taken to follow the table.
    write(t, "offbits-wrong.bmp", bmp(4, 2, 8, off_bits=0xFFFF, clr_used=2, colours=2))


# ---------------------------------------------------------------------------------------- album file

def text(s, encoding):
    return s.encode(encoding)


def font(name=b"Arial", charset=0, colour=0x80000008, pitch=0, ppi=96, size=10, style=0):
    return struct.pack("<BIB", charset, colour, len(name)) + name + struct.pack("<BiiB", pitch, ppi, size, style)


def album(photos, fonts=None, base=None, groups=4, tail=b""):
    out = struct.pack("<Ii", 52651, len(photos) if isinstance(photos, list) else photos)
    for name, note in photos if isinstance(photos, list) else []:
        out += struct.pack("<I", len(name)) + name + struct.pack("<I", len(note)) + note
    out += fonts if fonts is not None else font(b"Arial Black", size=16) + font()
    if base is None:
        base = struct.pack("<BBddddBiiB", 1, 1, 15.0, 15.0, 5.0, 5.0, 1, 2, 3, 1)
    out += base
    g = [struct.pack("<BBB", 1, 1, 0), struct.pack("<ddd", 210.0, 297.0, 1.0), b"\0",
         struct.pack("<IIB", 0xFFFFFF, 0x80000005, 1), struct.pack("<iB", 300, 1)]
    for group in g[:groups]:
        out += group
    return out + tail


def album_seeds():
    for t in ("fuzz_album_reader", "fuzz_album_roundtrip"):
        one = [(b"/home/anna/Bilder/a.jpg", b"Am Strand")]
        write(t, "no-photos.qvl", album([]))
        for g in range(6):
            write(t, "groups-%d.qvl" % g, album(one, groups=g))
        write(t, "trailing-bytes.qvl", album(one, groups=5, tail=b"\x01\x02\x03"))
        write(t, "negative-count.qvl", album(-5))
        # Texts in Windows-1252 and in UTF-8, with CR LF and lone CR line breaks.
        latin = [("/home/jörg/Fotos/Grüße €.jpg".encode("cp1252"), "Köln\r\nDom\rNacht".encode("cp1252"))]
        write(t, "cp1252-texts.qvl", album(latin, fonts=font("Schöne Schrift".encode("cp1252")) + font()))
        utf8 = [("/home/jörg/日本/Grüße.png".encode("utf-8"), "Ein Text ☀ über zwei\r\nZeilen".encode("utf-8")),
                (b"/tmp/b.jpg", b"")]
        write(t, "utf8-texts.qvl", album(utf8))
        # Bytes that are neither clean ASCII nor valid UTF-8 (a broken sequence).
        write(t, "mixed-bytes.qvl", album([(b"/x/\xc3\x28.jpg", b"\xe2\x82 \xff\xfe\x80")]))
        long_text = ("Eine lange Beschreibung des Fotos. " * 40).encode() + b"\r\n" + "Äöü".encode("cp1252") * 50
        write(t, "long-texts.qvl", album([(b"/p/" + b"d" * 600 + b".jpg", long_text)],
                                         fonts=font(b"F" * 255) + font(b"")))
        # Values beyond the fields' limits, odd fonts and style bits, a NaN.
        odd = struct.pack("<BBddddBiiB", 7, 0, 250.0, -3.0, float("nan"), 1e308, 2, -4, 1000, 255)
        write(t, "out-of-range.qvl",
              album(one, fonts=font(ppi=0, size=-12, style=0xFF, pitch=9, charset=238) +
                    font(ppi=-72, size=2147483647, colour=0x00123456), base=odd))
    # A file cut inside a photo record, and one that is not an album at all.
    write("fuzz_album_reader", "cut-in-photo.qvl", album([(b"/a.jpg", b"t")])[:20])
    write("fuzz_album_reader", "not-an-album.qvl", b"PK\x03\x04" + b"\0" * 20)


# ------------------------------------------------------------------------------- the other formats

def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def made(target, name, *convert_args, exif=None, kind="", prefix=b""):
    """Makes NAME with convert (KIND, such as "PNG8:", chooses the encoder's variant), optionally sets
    tags with exiftool."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, name)
        # No creation dates in the file, so that making the seeds again changes nothing.
        run("convert", *convert_args, "-define", "png:exclude-chunk=date,time", kind + out)
        if exif:
            run("exiftool", "-q", "-overwrite_original", "-n", *exif, out)
        with open(out, "rb") as f:
            write(target, name, prefix + f.read())


def picture_seeds():
    small = ["-size", "11x7", "gradient:red-blue"]
    # JPEG: every EXIF orientation (each turns the picture another way while it decodes), grey, CMYK
    # with and without the Adobe marker's inversion, progressive, restart markers.
    for o in range(2, 9):
        made("fuzz_jpeg", "exif%d-small.jpg" % o, *small, "-quality", "50", exif=["-Orientation=%d" % o])
    made("fuzz_jpeg", "exif6-grey.jpg", *small, "-colorspace", "Gray", "-quality", "50",
         exif=["-Orientation=6"])
    made("fuzz_jpeg", "restart.jpg", *small, "-define", "jpeg:restart-interval=1", "-quality", "50")
    made("fuzz_jpeg", "big-endian-exif.jpg", *small, "-quality", "50",
         exif=["-ExifByteOrder=Big-endian", "-Orientation=3"])
    # TIFF: strips and tiles, orientations, alpha, palette, 16 bits, grey, 1 bit, big-endian, CMYK.
    names = {2: "TopRight", 3: "BottomRight", 4: "BottomLeft", 5: "LeftTop", 6: "RightTop",
             7: "RightBottom", 8: "LeftBottom"}
    for o, name in names.items():
        made("fuzz_tiff", "orient%d.tif" % o, *small, "-orient", name)
    made("fuzz_tiff", "alpha.tif", "-size", "6x5", "xc:none", "-fill", "#ff000080", "-draw",
         "rectangle 1,1 4,3")
    made("fuzz_tiff", "palette.tif", *small, "-colors", "8", "-type", "Palette")
    made("fuzz_tiff", "rgb16-msb.tif", *small, "-depth", "16", "-endian", "MSB")
    made("fuzz_tiff", "bilevel-g4.tif", "-size", "17x9", "pattern:checkerboard", "-monochrome",
         "-compress", "Group4")
    made("fuzz_tiff", "cmyk.tif", *small, "-colorspace", "CMYK")
    made("fuzz_tiff", "jpeg-in-tiff.tif", *small, "-compress", "JPEG")
    made("fuzz_tiff", "strips-of-2.tif", *small, "-define", "tiff:rows-per-strip=2", "-compress", "Zip")
    # PNG: palettes of 2 and 16 colours, grey of 1 and 2 bits, grey with alpha, colour key, 16 bits.
    made("fuzz_png", "pal1.png", "-size", "9x3", "pattern:gray50", "-type", "Palette", kind="PNG8:")
    made("fuzz_png", "pal4-alpha.png", "-size", "6x4", "xc:none", "-fill", "#00ff0080", "-draw",
         "point 1,1", "-fill", "red", "-draw", "point 2,2", kind="PNG8:")
    made("fuzz_png", "grey1.png", "-size", "10x3", "pattern:checkerboard", "-depth", "1", "-type",
         "Grayscale", kind="PNG00:")
    made("fuzz_png", "grey2.png", "-size", "5x3", "gradient:", "-depth", "2", "-type", "Grayscale",
         kind="PNG00:")
    made("fuzz_png", "grey-alpha.png", "-size", "4x3", "gradient:", "-alpha", "set", "-channel", "A",
         "-evaluate", "set", "40%", "-type", "GrayscaleAlpha", kind="PNG00:")
    made("fuzz_png", "grey16.png", "-size", "4x3", "gradient:", "-depth", "16", "-type", "Grayscale",
         kind="PNG00:")
    # GIF: interlaced, a frame smaller than its screen at an offset, only a local colour table.
    made("fuzz_gif", "interlaced.gif", *small, "-colors", "4", "-interlace", "GIF")
    made("fuzz_gif", "offset-frame.gif", "-size", "4x3", "xc:blue", "-repage", "9x8+3+2", "-colors", "2")
    # WebP: lossless, with and without alpha.
    made("fuzz_webp", "lossless.webp", *small, "-define", "webp:lossless=true")
    made("fuzz_webp", "lossless-alpha.webp", "-size", "5x4", "xc:#ff000080", "-define", "webp:lossless=true")


def jpeg_marker_seeds():
    """JPEG files with the marker-level oddities the orientation scan steps over: fill bytes, markers
    without a length, a big-endian EXIF block, and EXIF blocks without a usable orientation entry."""
    with open(os.path.join(CORPUS, "fuzz_jpeg", "base.jpg"), "rb") as f:
        base = f.read()
    body = base[2:]  # after SOI

    def app1(tiff):
        data = b"Exif\0\0" + tiff
        return b"\xff\xe1" + struct.pack(">H", len(data) + 2) + data

    def ifd(order, entries):
        pack = (lambda fmt, *v: struct.pack(order + fmt, *v))
        head = (b"MM\0*" if order == ">" else b"II*\0") + pack("I", 8)
        out = head + pack("H", len(entries))
        for tag, kind, count, value in entries:
            out += pack("HHI", tag, kind, count) + (pack("H", value) + b"\0\0" if kind == 3 else pack("I", value))
        return out + pack("I", 0)

    write("fuzz_jpeg", "exif-big-endian-3.jpg", b"\xff\xd8" + app1(ifd(">", [(0x0112, 3, 1, 3)])) + body)
    write("fuzz_jpeg", "exif-no-orientation.jpg", b"\xff\xd8" + app1(ifd("<", [(0x010F, 2, 4, 0)])) + body)
    write("fuzz_jpeg", "exif-orientation-long.jpg", b"\xff\xd8" + app1(ifd("<", [(0x0112, 4, 1, 6)])) + body)
    write("fuzz_jpeg", "exif-orientation-9.jpg", b"\xff\xd8" + app1(ifd("<", [(0x0112, 3, 1, 9)])) + body)
    write("fuzz_jpeg", "exif-not-tiff.jpg", b"\xff\xd8" + app1(b"XX\0\0\0\0\0\0") + body)
    # Fill bytes before a marker, a marker without a length (TEM), then the EXIF block.
    write("fuzz_jpeg", "fill-and-tem.jpg",
          b"\xff\xd8\xff\xff\xff\x01" + app1(ifd("<", [(0x0112, 3, 1, 8)])) + body)


# ----------------------------------------------------------------------------- colour profiles, HEIF

def s15(v):
    return struct.pack(">i", int(round(v * 65536)))


SRGB_COLORANTS = ((0.4361, 0.2225, 0.0139), (0.3851, 0.7169, 0.0971), (0.1431, 0.0606, 0.7141))
# Display P3 (D50-adapted), for the colour benchmark's tagged photos.
P3_COLORANTS = ((0.5151, 0.2412, -0.0011), (0.2919, 0.6922, 0.0419), (0.1571, 0.0666, 0.7841))


def icc_profile(grey=False, version=2, colorants=SRGB_COLORANTS):
    """A small display profile: D50 white and a gamma curve, with the colorants given when RGB."""
    def xyz(x, y, z):
        return b"XYZ \0\0\0\0" + s15(x) + s15(y) + s15(z)
    curve = b"curv\0\0\0\0" + struct.pack(">IH", 1, 0x0233) + b"\0\0"  # gamma 2.2, padded
    tags = [(b"wtpt", xyz(0.9642, 1.0, 0.8249))]
    if grey:
        tags.append((b"kTRC", curve))
    else:
        tags += [(b"rXYZ", xyz(*colorants[0])), (b"gXYZ", xyz(*colorants[1])), (b"bXYZ", xyz(*colorants[2])),
                 (b"rTRC", curve), (b"gTRC", curve), (b"bTRC", curve)]
    offset = 128 + 4 + 12 * len(tags)
    table, data = b"", b""
    for sig, body in tags:
        table += sig + struct.pack(">II", offset + len(data), len(body))
        data += body + b"\0" * (-len(body) % 4)
    size = offset + len(data)
    header = struct.pack(">I4sI4s4s4s", size, b"lcms", (version << 24) | 0x100000, b"mntr",
                         b"GRAY" if grey else b"RGB ", b"XYZ ") + b"\0" * 12 + b"acsp" + b"\0" * 24
    header += b"\0" * 4 + s15(0.9642) + s15(1.0) + s15(0.8249)
    header += b"\0" * (128 - len(header))
    return header + struct.pack(">I", len(tags)) + table + data


def icc_segments(profile, parts):
    """The APP2 segments of a profile cut into PARTS pieces."""
    step = (len(profile) + parts - 1) // parts
    pieces = [profile[i:i + step] for i in range(0, len(profile), step)]
    return [b"\xff\xe2" + struct.pack(">H", 2 + 14 + len(p)) + b"ICC_PROFILE\0" + bytes([n + 1, len(pieces)]) + p
            for n, p in enumerate(pieces)]


def profile_seeds():
    with tempfile.TemporaryDirectory() as tmp:
        rgb, grey = os.path.join(tmp, "rgb.icc"), os.path.join(tmp, "grey.icc")
        with open(rgb, "wb") as f:
            f.write(icc_profile())
        with open(grey, "wb") as f:
            f.write(icc_profile(grey=True))
        small = ["-size", "11x7", "gradient:red-blue"]
        made("fuzz_png", "icc.png", *small, "-profile", rgb)
        made("fuzz_png", "icc-grey.png", *small, "-colorspace", "Gray", "-profile", grey)
        made("fuzz_tiff", "icc.tif", *small, "-profile", rgb)
        made("fuzz_webp", "icc.webp", *small, "-define", "webp:lossless=true", "-profile", rgb)
        made("fuzz_png", "chrm-gama.png", *small, "-define", "png:exclude-chunk=sRGB,iCCP", "-gamma", "0.5")
        # A JPEG whose profile comes in three segments, in order and shuffled.
        made("fuzz_jpeg", "plain-for-icc.jpg", *small, "-quality", "50")
        path = os.path.join(CORPUS, "fuzz_jpeg", "plain-for-icc.jpg")
        with open(path, "rb") as f:
            plain = f.read()
        os.remove(path)
        segments = icc_segments(icc_profile(), 3)
        write("fuzz_jpeg", "icc-3-parts.jpg", plain[:2] + b"".join(segments) + plain[2:])
        write("fuzz_jpeg", "icc-shuffled.jpg", plain[:2] + b"".join(segments[::-1]) + plain[2:])
        if shutil.which("heif-enc"):
            png = os.path.join(tmp, "in.png")
            run("convert", "-size", "16x16", "gradient:red-blue", "-profile", rgb, png)
            alpha = os.path.join(tmp, "alpha.png")
            run("convert", "-size", "16x16", "gradient:red-none", alpha)
            for name, args in [("small.heic", []), ("small.avif", ["-A"]), ("alpha.heic", []),
                               ("thumbnail.heic", ["-t", "8"])]:
                out = os.path.join(tmp, name)
                run("heif-enc", "-q", "50", *args, "-o", out, alpha if name.startswith("alpha") else png)
                with open(out, "rb") as f:
                    write("fuzz_heif", name, f.read())
        else:
            print("heif-enc missing: no HEIF seeds", file=sys.stderr)


def combined_seeds():
    """The picture-in-PDF target gets a few small pictures of every depth the decoders give, behind
    the placement bytes it reads first (X, Y, Width, Height, flags)."""
    placements = [struct.pack("<hhhhB", 10, 20, 101, 51, 0), struct.pack("<hhhhB", -5, 3, -30, 7, 3),
                  struct.pack("<hhhhB", 0, 0, 1, 1, 1)]
    picks = [("fuzz_bmp", "mono-13x5.bmp"), ("fuzz_bmp", "pal4-7x5.bmp"), ("fuzz_bmp", "pal8.bmp"),
             ("fuzz_bmp", "rgb24-5x3.bmp"), ("fuzz_bmp", "rgb555.bmp"), ("fuzz_png", "grey1.png"),
             ("fuzz_jpeg", "exif6-small.jpg"), ("fuzz_gif", "interlaced.gif"), ("fuzz_tiff", "alpha.tif"),
             ("fuzz_webp", "lossy.webp")]
    for i, (target, name) in enumerate(picks):
        path = os.path.join(CORPUS, target, name)
        if os.path.exists(path):
            with open(path, "rb") as f:
                write("fuzz_pdf_picture", os.path.splitext(name)[0] + os.path.splitext(name)[1].replace(".", "-") +
                      ".bin", placements[i % len(placements)] + f.read())


def jbig2_seeds():
    """Mode, width - 1, height - 1, two colours, fill byte, rows."""
    def seed(mode, w, h, c0, c1, fill, rows):
        return struct.pack("<BHH", mode, w - 1, h - 1) + bytes(c0) + bytes(c1) + bytes([fill]) + rows
    t = "fuzz_jbig2_roundtrip"
    write(t, "one-pixel.bin", seed(0, 1, 1, (255, 255, 255), (0, 0, 0), 0, b"\x80"))
    write(t, "checker-17x9.bin", seed(8, 17, 9, (255, 255, 255), (0, 0, 0), 0, b"\xAA\xAA\x80\x55\x55\x00"))
    write(t, "index0-black.bin", seed(0, 30, 12, (0, 0, 0), (250, 250, 250), 0x0F, b"\xFF\x00\x3C\x81" * 8))
    write(t, "same-colours-dark.bin", seed(0, 8, 2, (10, 10, 10), (10, 10, 10), 0x5A, b""))
    write(t, "same-colours-light.bin", seed(0, 8, 2, (200, 200, 200), (200, 200, 200), 0x5A, b""))
    write(t, "rows-repeat.bin", seed(8, 64, 40, (255, 255, 255), (0, 0, 0), 0, bytes(range(0, 256, 7))))
    write(t, "wide-white.bin", seed(0, 2000, 3, (255, 255, 255), (0, 0, 0), 0, b""))
    write(t, "not-bilevel.bin", seed(6, 5, 5, (255, 255, 255), (0, 0, 0), 0, b""))
    write(t, "cannot-write.bin", seed(7, 5, 5, (255, 255, 255), (0, 0, 0), 0xF0, b""))


def main():
    bmp_seeds()
    album_seeds()
    if shutil.which("convert") and shutil.which("exiftool"):
        picture_seeds()
        profile_seeds()
        # Pictures large enough that their JPEG and JBIG2 streams fill more than one output buffer.
        place = struct.pack("<hhhhB", 30, 40, 400, 300, 0)
        made("fuzz_pdf_picture", "photo-rgb.jpg", "-seed", "1", "-size", "320x240", "plasma:fractal",
             "-quality", "95", prefix=place)
        made("fuzz_pdf_picture", "page-1bit.bmp", "-size", "300x200", "pattern:checkerboard", "-monochrome",
             "-type", "Bilevel", prefix=place)
    else:
        print("convert or exiftool missing: only the hand-made seeds were written", file=sys.stderr)
    jpeg_marker_seeds()
    combined_seeds()
    jbig2_seeds()


if __name__ == "__main__":
    main()
