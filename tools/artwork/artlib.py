"""Shared helpers for the artwork generator: noise, blur, supersampling, text masks,
height-field shading and PNG output.

Conventions: images are float32 numpy arrays in [0, 1], shape (h, w) or (h, w, c).
Image coordinates: x to the right, y downwards, z towards the viewer.
"""
import io
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFont, features

# One key light for every picture: from the upper left, in front of the panel.
LIGHT = np.array([-0.38, -0.50, 0.78], dtype=np.float32)
LIGHT /= np.linalg.norm(LIGHT)
# A weak fill from the lower right.
FILL = np.array([0.55, 0.35, 0.76], dtype=np.float32)
FILL /= np.linalg.norm(FILL)
HALF = LIGHT + np.array([0.0, 0.0, 1.0], dtype=np.float32)
HALF /= np.linalg.norm(HALF)

FONT_DIR = "/usr/share/fonts/truetype"
FONTS = {
    "sans": FONT_DIR + "/dejavu/DejaVuSans.ttf",
    "sans_bold": FONT_DIR + "/dejavu/DejaVuSans-Bold.ttf",
    "cond": FONT_DIR + "/dejavu/DejaVuSansCondensed.ttf",
    "cond_bold": FONT_DIR + "/dejavu/DejaVuSansCondensed-Bold.ttf",
    "light": FONT_DIR + "/dejavu/DejaVuSans-ExtraLight.ttf",
    "serif": FONT_DIR + "/dejavu/DejaVuSerif.ttf",
    "serif_bold": FONT_DIR + "/dejavu/DejaVuSerifCondensed-Bold.ttf",
    "narrow": FONT_DIR + "/liberation/LiberationSansNarrow-Regular.ttf",
    "narrow_bold": FONT_DIR + "/liberation/LiberationSansNarrow-Bold.ttf",
    "lib_bold": FONT_DIR + "/liberation/LiberationSans-Bold.ttf",
    "lib": FONT_DIR + "/liberation/LiberationSans-Regular.ttf",
}

_font_cache = {}


def font(name, size):
    key = (name, int(round(size)))
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(FONTS.get(name, name), key[1])
    return _font_cache[key]


# ----------------------------------------------------------------------------- basic maths

def clamp01(a):
    return np.clip(a, 0.0, 1.0)


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def lerp(a, b, t):
    return a + (b - a) * t


def rgb(*c):
    return np.array(c, dtype=np.float32)


def mix_color(base, color, alpha):
    """Lay a flat colour (3,) or image (h,w,3) over base with coverage alpha (h,w)."""
    a = alpha[..., None]
    return base * (1.0 - a) + color * a


# ----------------------------------------------------------------------------- blur and noise

def _box1d(a, r, axis):
    """Box blur of radius r (window 2r+1) along an axis, edges clamped."""
    if r < 1:
        return a
    pad = [(0, 0)] * a.ndim
    pad[axis] = (r + 1, r)
    p = np.pad(a, pad, mode="edge")
    c = np.cumsum(p, axis=axis, dtype=np.float64)
    n = a.shape[axis]
    hi = np.take(c, np.arange(2 * r + 1, 2 * r + 1 + n), axis=axis)
    lo = np.take(c, np.arange(0, n), axis=axis)
    return ((hi - lo) / (2 * r + 1)).astype(np.float32)


def blur(a, sigma, axes=(0, 1)):
    """Approximate Gaussian blur (three box passes) along the given axes."""
    if sigma <= 0.3:
        return a.astype(np.float32)
    # box radius for three passes with the same variance
    r = max(1, int(round((np.sqrt(12.0 * sigma * sigma / 3.0 + 1.0) - 1.0) / 2.0)))
    out = a.astype(np.float32)
    for axis in axes:
        for _ in range(3):
            out = _box1d(out, r, axis)
    return out


def shift(a, dx, dy):
    """Shift an image by whole pixels (content moves right by dx, down by dy), zero fill."""
    out = np.zeros_like(a)
    h, w = a.shape[:2]
    dx, dy = int(round(dx)), int(round(dy))
    xs0, xs1 = max(0, -dx), min(w, w - dx)
    ys0, ys1 = max(0, -dy), min(h, h - dy)
    if xs1 > xs0 and ys1 > ys0:
        out[ys0 + dy:ys1 + dy, xs0 + dx:xs1 + dx] = a[ys0:ys1, xs0:xs1]
    return out


def upsampled_noise(rng, h, w, cell_y, cell_x):
    """Smooth value noise: a coarse random grid resized bicubically to (h, w)."""
    gh = max(2, int(np.ceil(h / cell_y)) + 2)
    gw = max(2, int(np.ceil(w / cell_x)) + 2)
    g = rng.standard_normal((gh, gw)).astype(np.float32)
    im = Image.fromarray(g, mode="F").resize((w, h), Image.BICUBIC)
    return np.asarray(im, dtype=np.float32)


def fractal_noise(rng, h, w, cells, weights):
    out = np.zeros((h, w), np.float32)
    for c, wgt in zip(cells, weights):
        out += wgt * upsampled_noise(rng, h, w, c, c)
    return out


def brushed_noise(rng, h, w, scale=1.0):
    """Horizontal brushing streaks: independent rows, long correlation along x."""
    n = np.zeros((h, w), np.float32)
    for length, wgt in ((260.0, 0.45), (70.0, 0.35), (18.0, 0.25)):
        n += wgt * upsampled_noise(rng, h, w, 1.0, length * scale)
    fine = rng.standard_normal((h, w)).astype(np.float32)
    n += 0.25 * blur(fine, 3.0, axes=(1,))
    # faint vertical coherence so the streaks are not purely one row wide
    n = 0.7 * n + 0.3 * blur(n, 1.0, axes=(0,))
    return n


# ----------------------------------------------------------------------------- sampling grids

def downsample(a, ss):
    """Box-filter an image rendered at ss x ss samples per pixel."""
    if ss == 1:
        return a
    h, w = a.shape[0] // ss, a.shape[1] // ss
    a = a[:h * ss, :w * ss]
    if a.ndim == 2:
        return a.reshape(h, ss, w, ss).mean(axis=(1, 3), dtype=np.float32)
    return a.reshape(h, ss, w, ss, a.shape[2]).mean(axis=(1, 3), dtype=np.float32)


def sample_grid(img_w, img_h, disp_w, disp_h, ss, cx=None, cy=None):
    """Sample positions, in display pixels relative to (cx, cy), for a picture of img_w x img_h
    pixels that is shown stretched to disp_w x disp_h. Returns (x, y, step_x, step_y)."""
    sx = disp_w / img_w
    sy = disp_h / img_h
    xs = (np.arange(img_w * ss, dtype=np.float32) + 0.5) / ss * sx
    ys = (np.arange(img_h * ss, dtype=np.float32) + 0.5) / ss * sy
    if cx is None:
        cx = disp_w / 2.0
    if cy is None:
        cy = disp_h / 2.0
    x, y = np.meshgrid(xs - cx, ys - cy)
    return x, y, sx / ss, sy / ss


# ----------------------------------------------------------------------------- text

def text_mask(shape, items, ss=1):
    """Render text items into a coverage mask of the given (h, w) shape.

    items: list of dicts with text, x, y (centre unless anchor given), size, font, and optional
    anchor ('mm' default), tracking (extra pixels between letters), angle (degrees, about x, y).
    Coordinates are in output pixels; rendering happens at ss times that and is box-filtered.
    """
    h, w = shape
    big = Image.new("L", (w * ss, h * ss), 0)
    for it in items:
        _draw_text(big, it, ss)
    m = np.asarray(big, dtype=np.float32) / 255.0
    return downsample(m, ss) if ss > 1 else m


def _text_image(text, fnt, tracking):
    """Render text (with optional letter spacing) into a tight L image; returns it and the
    baseline-to-middle offset information as (image, width, height)."""
    if tracking == 0:
        bbox = fnt.getbbox(text, anchor="ls")
        wdt = bbox[2] - bbox[0]
        im = Image.new("L", (wdt + 8, bbox[3] - bbox[1] + 8), 0)
        ImageDraw.Draw(im).text((4 - bbox[0], 4 - bbox[1]), text, font=fnt, fill=255, anchor="ls")
        return im
    widths = [fnt.getlength(c) for c in text]
    total = sum(widths) + tracking * (len(text) - 1)
    asc, desc = fnt.getmetrics()
    im = Image.new("L", (int(np.ceil(total)) + 8, asc + desc + 8), 0)
    d = ImageDraw.Draw(im)
    x = 4.0
    for c, wd in zip(text, widths):
        d.text((x, 4 + asc), c, font=fnt, fill=255, anchor="ls")
        x += wd + tracking
    bb = im.getbbox()
    return im.crop(bb) if bb else im


def _draw_text(big, it, ss):
    size = it["size"] * ss
    fnt = font(it.get("font", "cond_bold"), size)
    tracking = it.get("tracking", 0.0) * ss
    im = _text_image(it["text"], fnt, tracking)
    bb = im.getbbox()
    if bb is None:
        return
    im = im.crop(bb)
    angle = it.get("angle", 0.0)
    if angle:
        im = im.rotate(-angle, resample=Image.BICUBIC, expand=True)
    anchor = it.get("anchor", "mm")
    x, y = it["x"] * ss, it["y"] * ss
    wdt, hgt = im.size
    if anchor[0] == "l":
        x0 = x
    elif anchor[0] == "r":
        x0 = x - wdt
    else:
        x0 = x - wdt / 2.0
    if anchor[1] == "t":
        y0 = y
    elif anchor[1] == "b":
        y0 = y - hgt
    else:
        y0 = y - hgt / 2.0
    layer = Image.new("L", big.size, 0)
    layer.paste(im, (int(round(x0)), int(round(y0))))
    big.paste(Image.fromarray(np.maximum(np.asarray(big), np.asarray(layer))))


def text_on_arc(items_out, text, cx, cy, radius, centre_deg, size, fnt, tracking=0.0, inside=False):
    """Append one text item per letter so that the text runs along a circle, centred on the angle
    centre_deg (0 = up, clockwise). With inside=True the letters read along the bottom of the
    circle (upright, running left to right)."""
    f = font(fnt, size)
    widths = [f.getlength(c) + tracking for c in text]
    total = sum(widths) - tracking
    pos = -total / 2.0
    for c, wd in zip(text, widths):
        mid = pos + (wd - tracking) / 2.0
        dang = np.degrees(mid / radius)
        if inside:
            a = centre_deg - dang
            rot = a + 180.0
        else:
            a = centre_deg + dang
            rot = a
        ar = np.radians(a)
        x = cx + radius * np.sin(ar)
        y = cy - radius * np.cos(ar)
        if c != " ":
            items_out.append(dict(text=c, x=x, y=y, size=size, font=fnt, angle=rot))
        pos += wd


# ----------------------------------------------------------------------------- shading

def normals(height, step_x, step_y):
    gy, gx = np.gradient(height, step_y, step_x)
    inv = 1.0 / np.sqrt(gx * gx + gy * gy + 1.0)
    return -gx * inv, -gy * inv, inv


def env_map(rx, ry, rz):
    """A studio surrounding for reflections: soft boxes above left and right, bright ceiling,
    dark floor, the dim room behind the camera."""
    up = -ry
    e = 0.16 + 0.30 * smoothstep(-0.25, 0.75, up) - 0.10 * smoothstep(0.1, -0.7, up)
    # main soft box, upper left
    d1 = rx * (-0.45) + ry * (-0.55) + rz * 0.70
    e = e + 1.6 * smoothstep(0.90, 0.985, d1)
    # strip light on the right
    d2 = rx * 0.80 + ry * (-0.25) + rz * 0.55
    e = e + 0.55 * smoothstep(0.93, 0.99, d2)
    # horizon line slightly below
    e = e + 0.10 * np.exp(-((ry - 0.25) / 0.06) ** 2)
    return e.astype(np.float32)


def shade(height, step_x, step_y, albedo, ks=0.3, shininess=40.0, kenv=0.0, env_tint=None,
          ambient=0.28, kd=0.85, ao=None, aniso_tangent=None, aniso_exp=30.0, emission=None):
    """Shade a height field (display pixels) with the fixed key light, a fill and an environment.

    albedo: (h, w, 3). ks, shininess, kenv may be scalars or (h, w) maps. aniso_tangent: optional
    (tx, ty) unit tangent fields for brushed/turned metal (Kajiya-Kay highlight)."""
    nx, ny, nz = normals(height, step_x, step_y)
    ndl = np.maximum(nx * LIGHT[0] + ny * LIGHT[1] + nz * LIGHT[2], 0.0)
    ndf = np.maximum(nx * FILL[0] + ny * FILL[1] + nz * FILL[2], 0.0)
    amb = ambient * (0.55 + 0.45 * nz)
    if ao is not None:
        amb = amb * ao
        ndl = ndl * (0.6 + 0.4 * ao)
    diff = kd * ndl + 0.22 * ndf + amb
    col = albedo * diff[..., None]
    if aniso_tangent is not None:
        tx, ty = aniso_tangent
        th = tx * HALF[0] + ty * HALF[1]
        hilite = np.power(np.clip(1.0 - th * th, 0.0, 1.0), aniso_exp * 0.5) * ndl
    else:
        ndh = np.maximum(nx * HALF[0] + ny * HALF[1] + nz * HALF[2], 0.0)
        hilite = np.power(ndh, shininess)
    col = col + (np.asarray(ks, np.float32) * hilite)[..., None] * rgb(1.0, 0.97, 0.92)
    if np.any(np.asarray(kenv) > 0):
        # reflection of the view vector (0, 0, 1)
        rx, ry, rz = 2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1.0
        e = env_map(rx, ry, rz)
        if ao is not None:
            e = e * (0.4 + 0.6 * ao)
        tint = rgb(1, 1, 1) if env_tint is None else env_tint
        col = col + (np.asarray(kenv, np.float32) * e)[..., None] * tint
    if emission is not None:
        col = col + emission
    return col


def over(top_rgb, top_a, bottom_rgb, bottom_a):
    """Porter-Duff 'over' with straight alpha; returns (rgb, a)."""
    out_a = top_a + bottom_a * (1.0 - top_a)
    num = top_rgb * top_a[..., None] + bottom_rgb * (bottom_a * (1.0 - top_a))[..., None]
    out = np.where(out_a[..., None] > 1e-6, num / np.maximum(out_a, 1e-6)[..., None], 0.0)
    return out.astype(np.float32), out_a.astype(np.float32)


def composite_onto(base, sprite_rgb, sprite_a, x0, y0):
    """Alpha-composite a sprite onto an opaque base image in place, top-left at (x0, y0)."""
    h, w = sprite_a.shape
    H, W = base.shape[:2]
    bx0, by0 = max(0, x0), max(0, y0)
    bx1, by1 = min(W, x0 + w), min(H, y0 + h)
    if bx1 <= bx0 or by1 <= by0:
        return
    sx0, sy0 = bx0 - x0, by0 - y0
    a = sprite_a[sy0:sy0 + by1 - by0, sx0:sx0 + bx1 - bx0][..., None]
    c = sprite_rgb[sy0:sy0 + by1 - by0, sx0:sx0 + bx1 - bx0]
    base[by0:by1, bx0:bx1] = base[by0:by1, bx0:bx1] * (1.0 - a) + c * a


def drop_shadow(alpha, dx, dy, sigma, opacity):
    return clamp01(blur(shift(alpha, dx, dy), sigma) * opacity)


# ----------------------------------------------------------------------------- colour and output

def to_srgb8(a):
    """Values are already meant as display (sRGB-like) values; dither lightly and quantise."""
    return (clamp01(a) * 255.0 + 0.5).astype(np.uint8)


def to_image(rgb_arr, alpha=None):
    c = to_srgb8(rgb_arr)
    if alpha is None:
        return Image.fromarray(c, "RGB")
    a = to_srgb8(alpha)
    c = c * (a[..., None] > 0)
    return Image.fromarray(np.dstack([c, a]).astype(np.uint8), "RGBA")


def save_png(img, path, quantize=None, dither=False):
    """Save a PNG with maximum zlib effort. quantize: number of palette colours (RGBA-aware)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if quantize:
        if features.check("libimagequant"):
            method = Image.LIBIMAGEQUANT
        else:
            method = Image.FASTOCTREE if img.mode == "RGBA" else Image.MEDIANCUT
        img = img.quantize(colors=quantize, method=method,
                           dither=Image.FLOYDSTEINBERG if dither else Image.NONE)
    img.save(path, optimize=True, compress_level=9)
    return path


def png_bytes(img):
    bio = io.BytesIO()
    img.save(bio, format="PNG", optimize=True)
    return bio.getvalue()


def write_icns(path, png_1024):
    """An .icns container holding one ic10 entry (a 1024 x 1024 PNG)."""
    data = png_bytes(png_1024)
    entry = b"ic10" + (8 + len(data)).to_bytes(4, "big") + data
    blob = b"icns" + (8 + len(entry)).to_bytes(4, "big") + entry
    with open(path, "wb") as f:
        f.write(blob)


def crc_check_png(path):
    """Re-read a PNG to make sure it decodes; returns its size and mode."""
    with Image.open(path) as im:
        im.load()
        return im.size, im.mode



def heightfield_shadow(height, step_x, step_y, max_h, steps=24, softness=1.5, reach=1.0):
    """Fraction of shadow from the key light cast by a height field onto itself (0 lit, 1 shadow).
    Marches towards the light in height increments; the result is softened a little."""
    shadow = np.zeros(height.shape, np.float32)
    kx = LIGHT[0] / LIGHT[2] * reach
    ky = LIGHT[1] / LIGHT[2] * reach
    for i in range(1, steps + 1):
        dz = max_h * i / steps
        # the point towards the light lies at (+kx*dz, +ky*dz); shifting the field by the opposite
        # amount brings that point's height to each pixel
        sx = -kx * dz / step_x
        sy = -ky * dz / step_y
        h = shift(height, sx, sy)
        # soft comparison gives a penumbra
        s = clamp01((h - height - dz) / (0.15 * max_h / steps * 6.0 + 0.5))
        shadow = np.maximum(shadow, s)
    return blur(shadow, softness)


def resolve(rgb_ss, a_ss, ss):
    """Downsample a supersampled straight-alpha RGBA render; returns (rgb, a)."""
    a = downsample(a_ss, ss)
    pm = downsample(rgb_ss * a_ss[..., None], ss)
    out = np.where(a[..., None] > 1e-6, pm / np.maximum(a, 1e-6)[..., None], 0.0)
    return out.astype(np.float32), a


def edge_fade(h, w, margin):
    """1 inside, falling smoothly to 0 at the picture's border (for shadows that would be cut)."""
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    d = np.minimum.reduce([xs, w - xs, ys, h - ys])
    return smoothstep(0.0, margin, d)
