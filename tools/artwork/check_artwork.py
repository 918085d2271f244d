#!/usr/bin/python3
"""Check the generated resources: every picture has the pixel size and frame layout the plug-in
relies on, icons and fonts are files of the right kind. Prints one line per file with its size
in pixels and bytes; exits non-zero on any mismatch."""
import os
import struct
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
PRODUCT = os.path.join(ROOT, "resources", "product")
COMMON = os.path.join(ROOT, "resources", "common")

# file: (width, height, frames)
PICTURES = {
    (PRODUCT, "About.png"): (2560, 590, 1),
    (PRODUCT, "Background.png"): (2560, 590, 1),
    (PRODUCT, "BackgroundOff.png"): (2560, 590, 1),
    (PRODUCT, "KnobCellsel.png"): (128, 384, 3),
    (PRODUCT, "KnobEmphasis.png"): (160, 20224, 128),
    (PRODUCT, "KnobGain.png"): (226, 28672, 128),
    (PRODUCT, "KnobMakeUp.png"): (159, 20224, 128),
    (PRODUCT, "KnobPeakReduction.png"): (238, 28672, 128),
    (PRODUCT, "KnobVULevel.png"): (130, 384, 3),
    (PRODUCT, "KnobWetDry.png"): (159, 20224, 128),
    (PRODUCT, "PowerLED.png"): (135, 218, 2),
    (PRODUCT, "SwitchCompressLimit.png"): (120, 208, 2),
    (PRODUCT, "SwitchExtSC.png"): (120, 208, 2),
    (PRODUCT, "SwitchPower.png"): (120, 208, 2),
    (PRODUCT, "VUMeter.png"): (322, 19328, 128),
    (COMMON, "banner.png"): (342, 108, 2),
    (COMMON, "settings.png"): (46, 108, 2),
}
FONTS = {
    "courier_new.ttf": b"\x00\x01\x00\x00",
    "courier_new_bold.ttf": b"\x00\x01\x00\x00",
    "font_bold.otf": b"OTTO",
    "font_regular.otf": b"OTTO",
    "source_sans_pro.otf": b"OTTO",
}


def ico_sizes(path):
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    sizes = []
    for i in range(count):
        w, h = struct.unpack_from("<BB", data, 6 + 16 * i)
        sizes.append((w or 256, h or 256))
    return kind, sizes


def icns_entries(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"icns" and struct.unpack(">I", data[4:8])[0] == len(data)
    pos, entries = 8, []
    while pos < len(data):
        tag, ln = data[pos:pos + 4], struct.unpack(">I", data[pos + 4:pos + 8])[0]
        entries.append((tag.decode(), data[pos + 8:pos + ln]))
        pos += ln
    return entries


def main():
    bad = 0
    for (folder, name), (w, h, frames) in PICTURES.items():
        path = os.path.join(folder, name)
        with Image.open(path) as im:
            im.load()
            ok = im.size == (w, h) and h % frames == 0 and im.format == "PNG"
            print("%-4s %-28s %5d x %-6d %3d frame(s) of %d x %-4d %9d bytes  %s" % (
                "ok" if ok else "BAD", os.path.relpath(path, ROOT), im.size[0], im.size[1], frames, w,
                h // frames, os.path.getsize(path), im.mode))
            bad += not ok
    for folder, name, want in ((PRODUCT, "QVIcon.ico", [(256, 256)]),
                               (COMMON, "QVIcon.ico", None), (COMMON, "QVFolderIcon.ico", None)):
        path = os.path.join(folder, name)
        kind, sizes = ico_sizes(path)
        ok = kind == 1 and (sizes == want if want else (len(sizes) == 8 and sizes[0] == (16, 16)
                                                        and sizes[-1] == (256, 256)))
        with Image.open(path) as im:
            im.load()
        print("%-4s %-28s icon, %d image(s): %s  %d bytes" % (
            "ok" if ok else "BAD", os.path.relpath(path, ROOT), len(sizes),
            ", ".join("%d" % s[0] for s in sizes), os.path.getsize(path)))
        bad += not ok
    path = os.path.join(PRODUCT, "QVIcon.icns")
    entries = icns_entries(path)
    import io
    im = Image.open(io.BytesIO(entries[0][1]))
    ok = [e[0] for e in entries] == ["ic10"] and im.size == (1024, 1024)
    print("%-4s %-28s icns, entries %s, %s PNG  %d bytes" % (
        "ok" if ok else "BAD", os.path.relpath(path, ROOT), [e[0] for e in entries],
        "x".join(map(str, im.size)), os.path.getsize(path)))
    bad += not ok
    for name, magic in FONTS.items():
        path = os.path.join(COMMON, name)
        with open(path, "rb") as f:
            head = f.read(4)
        ok = head == magic
        print("%-4s %-28s font (%s)  %d bytes" % ("ok" if ok else "BAD", os.path.relpath(path, ROOT),
                                                "OpenType CFF" if magic == b"OTTO" else "TrueType",
                                                os.path.getsize(path)))
        bad += not ok
    print("%d problem(s)" % bad)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
