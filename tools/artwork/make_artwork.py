#!/usr/bin/python3
"""Generate every picture, icon and font of the plug-in's two resource folders.

    /usr/bin/python3 tools/artwork/make_artwork.py [--only NAME ...] [--fonts DIR] [--sheet]

Writes resources/product/* and resources/common/*, and a contact sheet with every picture to
build-artwork/contact_sheet.png. See README.md beside this file."""
import argparse
import os
import shutil
import sys
import time

import numpy as np
from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import artlib as A          # noqa: E402
import controls as C        # noqa: E402
import extras as X          # noqa: E402
import layout as L          # noqa: E402
import meter as M           # noqa: E402
import panel as P           # noqa: E402

ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
PRODUCT = os.path.join(ROOT, "resources", "product")
COMMON = os.path.join(ROOT, "resources", "common")
SHEET_DIR = os.path.join(ROOT, "build-artwork")


def log(msg):
    print(msg, flush=True)


def out(folder, name):
    return os.path.join(folder, name)


# ----------------------------------------------------------------------------- jobs

def make_panels():
    for name, fn in (("Background.png", lambda: P.panel(True)),
                     ("BackgroundOff.png", lambda: P.panel(False)),
                     ("About.png", P.about)):
        log("panel %s" % name)
        img = A.to_image(fn())
        A.save_png(img, out(PRODUCT, name), quantize=256, dither=True)


def _save_strip(name, frames, quantize):
    rgb, a = C.stack(frames)
    img = A.to_image(rgb, a)
    A.save_png(img, out(PRODUCT, name + ".png"), quantize=quantize, dither=False)


def make_knobs():
    for name in ("KnobGain", "KnobPeakReduction", "KnobEmphasis", "KnobMakeUp", "KnobWetDry",
                 "KnobCellsel", "KnobVULevel"):
        log("knob %s" % name)
        frames = C.knob_strip(name, log=log)
        _save_strip(name, frames, quantize=256 if len(frames) > 3 else None)


def make_switches():
    frames = C.switch_frames()
    for name in ("SwitchPower", "SwitchCompressLimit", "SwitchExtSC"):
        log("switch %s" % name)
        _save_strip(name, frames, None)
    log("lamp PowerLED")
    _save_strip("PowerLED", C.lamp_frames(), None)


def make_meter():
    log("meter VUMeter")
    frames = M.frames(lit=True)
    img = A.to_image(np.concatenate(frames, axis=0))
    A.save_png(img, out(PRODUCT, "VUMeter.png"), quantize=64, dither=False)


def make_buttons():
    log("banner and settings")
    A.save_png(A.to_image(X.banner()), out(COMMON, "banner.png"))
    A.save_png(A.to_image(X.settings_gear()), out(COMMON, "settings.png"))


ICO_SIZES = [(16, 16), (24, 24), (32, 32), (48, 48), (64, 64), (96, 96), (128, 128), (256, 256)]


def make_icons():
    log("icons")
    big = X.product_icon(1024)
    A.write_icns(out(PRODUCT, "QVIcon.icns"), big)
    ico256 = X.product_icon(256)
    ico256.save(out(PRODUCT, "QVIcon.ico"), format="ICO", sizes=[(256, 256)])
    ico256.save(out(COMMON, "QVIcon.ico"), format="ICO", sizes=ICO_SIZES)
    X.folder_icon(256).save(out(COMMON, "QVFolderIcon.ico"), format="ICO", sizes=ICO_SIZES)


FONT_FILES = {
    # resource name: (file in the Source Sans Pro OTF folder or an absolute path, licence)
    "source_sans_pro.otf": ("SourceSansPro-Regular.otf", "LICENSE-SourceSansPro.txt"),
    "font_regular.otf": ("SourceSansPro-Light.otf", "LICENSE-SourceSansPro.txt"),
    "font_bold.otf": ("SourceSansPro-Semibold.otf", "LICENSE-SourceSansPro.txt"),
    "courier_new.ttf": ("/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
                        "LICENSE-Liberation.txt"),
    "courier_new_bold.ttf": ("/usr/share/fonts/truetype/liberation/LiberationMono-Bold.ttf",
                             "LICENSE-Liberation.txt"),
}


def make_fonts(ssp_dir):
    """Copy the fonts. ssp_dir: the unpacked Source Sans Pro package (its OTF folder and
    LICENSE.md); without it the Source Sans Pro files already in resources/common are kept."""
    log("fonts")
    for name, (src, _lic) in FONT_FILES.items():
        if os.path.isabs(src):
            shutil.copyfile(src, out(COMMON, name))
        elif ssp_dir:
            shutil.copyfile(os.path.join(ssp_dir, "OTF", src), out(COMMON, name))
        elif not os.path.exists(out(COMMON, name)):
            raise SystemExit("missing %s: pass --fonts with the unpacked source-sans-pro package" % name)
    if ssp_dir:
        shutil.copyfile(os.path.join(ssp_dir, "LICENSE.md"), out(COMMON, "LICENSE-SourceSansPro.txt"))
    shutil.copyfile("/usr/share/doc/fonts-liberation/copyright", out(COMMON, "LICENSE-Liberation.txt"))


# ----------------------------------------------------------------------------- contact sheet

def _load(path):
    im = Image.open(path)
    im.load()
    return im.convert("RGBA")


def _frame(im, frames, k):
    fh = im.height // frames
    return im.crop((0, k * fh, im.width, (k + 1) * fh))


def assembled_panel(power_on=True, value=0.5):
    """The panel with every control drawn at its bounds, as the editor shows it (2:1)."""
    base = _load(out(PRODUCT, "Background.png" if power_on else "BackgroundOff.png"))
    for name, (w, h, frames, b) in L.CONTROLS.items():
        im = _load(out(PRODUCT, name + ".png"))
        if name == "PowerLED":
            k = 1 if power_on else 0
        elif name.startswith("Switch"):
            k = 0 if (power_on or name != "SwitchPower") else 1
        elif name == "VUMeter":
            k = int(127 * (0.712 if power_on else 0.0))
        elif frames == 3:
            k = 1
        else:
            k = int((frames - 1) * value)
        fr = _frame(im, frames, k).resize((2 * b[2], 2 * b[3]), Image.LANCZOS)
        base.alpha_composite(fr, (2 * b[0], 2 * b[1]))
    return base


def contact_sheet():
    log("contact sheet")
    bg = (58, 58, 62, 255)
    rows = []
    title_font = A.font("cond_bold", 15)

    def labelled(im, text):
        pad = Image.new("RGBA", (im.width, im.height + 30), bg)
        ImageDraw.Draw(pad).text((4, 2), text, font=title_font, fill=(230, 230, 230, 255))
        pad.alpha_composite(im, (0, 30))
        return pad

    half = (1280, 295)
    rows.append([labelled(assembled_panel(True, 0.45).resize(half, Image.LANCZOS),
                          "assembled, power on (controls at about 45 %, meter at 0 VU)")])
    rows.append([labelled(assembled_panel(False, 0.0).resize(half, Image.LANCZOS),
                          "assembled, power off (controls at minimum)")])
    for name in ("Background.png", "BackgroundOff.png", "About.png"):
        rows.append([labelled(_load(out(PRODUCT, name)).resize(half, Image.LANCZOS), name + " (half size)")])
    tiles = []
    for name, (w, h, frames, b) in L.CONTROLS.items():
        im = _load(out(PRODUCT, name + ".png"))
        ks = sorted(set([0, frames // 2 - (1 if frames == 128 else 0), frames - 1])) if frames > 2 else [0, 1]
        if frames == 3:
            ks = [0, 1, 2]
        for k in ks:
            fr = _frame(im, frames, k)
            cell = Image.new("RGBA", fr.size, (176, 178, 182, 255))
            cell.alpha_composite(fr)
            tiles.append(labelled(cell, "%s %d" % (name, k)))
    for name, frames in (("banner.png", 2), ("settings.png", 2)):
        im = _load(out(COMMON, name))
        for k in range(frames):
            tiles.append(labelled(_frame(im, frames, k), "%s %d" % (name, k)))
    ico = Image.open(out(PRODUCT, "QVIcon.icns"))
    ico.load()
    tiles.append(labelled(ico.convert("RGBA").resize((200, 200), Image.LANCZOS), "QVIcon.icns"))
    fold = Image.open(out(COMMON, "QVFolderIcon.ico"))
    fold.size = (256, 256)
    fold.load()
    tiles.append(labelled(fold.convert("RGBA").resize((200, 200), Image.LANCZOS), "QVFolderIcon.ico"))
    # pack tiles into rows of at most 1280 pixels
    row, wsum = [], 0
    for t in tiles:
        if wsum + t.width + 10 > 1280 and row:
            rows.append(row)
            row, wsum = [], 0
        row.append(t)
        wsum += t.width + 10
    if row:
        rows.append(row)
    width = 1300
    height = sum(max(t.height for t in r) + 12 for r in rows) + 10
    sheet = Image.new("RGBA", (width, height), bg)
    y = 10
    for r in rows:
        x = 10
        for t in r:
            sheet.alpha_composite(t, (x, y))
            x += t.width + 10
        y += max(t.height for t in r) + 12
    os.makedirs(SHEET_DIR, exist_ok=True)
    sheet.convert("RGB").save(os.path.join(SHEET_DIR, "contact_sheet.png"), optimize=True)
    assembled_panel(True, 0.45).convert("RGB").save(os.path.join(SHEET_DIR, "assembled_on.png"))
    assembled_panel(False, 0.0).convert("RGB").save(os.path.join(SHEET_DIR, "assembled_off.png"))


JOBS = {
    "panels": make_panels,
    "knobs": make_knobs,
    "switches": make_switches,
    "meter": make_meter,
    "buttons": make_buttons,
    "icons": make_icons,
}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--only", nargs="*", choices=sorted(list(JOBS) + ["fonts", "sheet"]),
                    help="run only these jobs (default: all)")
    ap.add_argument("--fonts", metavar="DIR",
                    help="unpacked source-sans-pro package (folder with OTF/ and LICENSE.md)")
    args = ap.parse_args()
    os.makedirs(PRODUCT, exist_ok=True)
    os.makedirs(COMMON, exist_ok=True)
    jobs = args.only or (list(JOBS) + ["fonts", "sheet"])
    t0 = time.time()
    for j in jobs:
        if j == "fonts":
            make_fonts(args.fonts)
        elif j == "sheet":
            contact_sheet()
        else:
            JOBS[j]()
    log("done in %.0f s" % (time.time() - t0))


if __name__ == "__main__":
    main()
