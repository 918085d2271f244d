"""The VU meter: a cream, warm-lit face with a printed VU scale and a needle that moves evenly
from its left stop (frame 0) to its right stop (frame 127).

The printed scale follows the plug-in's needle law: the engine turns its needle value (a linear
level, 0 dB VU at 0.7189515744274809) into a needle position 0..1 through a 15-point table, and
the frame is 127 x position; the marks below sit where the engine puts those levels."""
import numpy as np
from PIL import Image, ImageDraw

import artlib as A

IMG_W, IMG_H, DISP_H = 322, 151, 150
PIVOT = (161.0, 220.0)
A0, A1 = -48.0, 48.0             # needle angle at the left and right stops (0 = up)
R_SCALE = 162.0
SS = 3

VUTABLE = [0.052, 0.078, 0.154, 0.227, 0.301, 0.367, 0.449, 0.522, 0.592, 0.648, 0.709, 0.774,
           0.833, 0.909, 0.965]
ZERO_VU = 0.7189515744274809


def position_for_level(a):
    """Needle position (0..1) the engine shows for a linear needle value a."""
    p = 14.0 if a > 1 else 14.0 * max(a, 0.0)
    i = int(p)
    k = min(i, 13) + 1
    return VUTABLE[i] + (VUTABLE[k] - VUTABLE[i]) * (p - i)


def position_for_db(db):
    return position_for_level(ZERO_VU * 10.0 ** (db / 20.0))


def angle_for_position(u):
    return A0 + (A1 - A0) * u


class _Print:
    """Ink layer drawn with Pillow at 4x the face's display resolution."""

    def __init__(self, w, h, q=4):
        self.q = q
        self.im = Image.new("L", (w * q, h * q), 0)
        self.d = ImageDraw.Draw(self.im)

    def radial(self, ang, r0, r1, width):
        q = self.q
        a = np.radians(ang)
        dx, dy = np.sin(a), -np.cos(a)
        px, py = -dy, dx
        cx, cy = PIVOT
        pts = []
        for r, s in ((r0, -1), (r1, -1), (r1, 1), (r0, 1)):
            pts.append(((cx + dx * r + px * s * width / 2) * q, (cy + dy * r + py * s * width / 2) * q))
        self.d.polygon(pts, fill=255)

    def arc(self, a0, a1, r, width):
        q = self.q
        cx, cy = PIVOT
        ro, ri = r + width / 2.0, r - width / 2.0
        n = 160
        angs = np.radians(np.linspace(a0, a1, n))
        pts = [((cx + ro * np.sin(t)) * q, (cy - ro * np.cos(t)) * q) for t in angs]
        pts += [((cx + ri * np.sin(t)) * q, (cy - ri * np.cos(t)) * q) for t in angs[::-1]]
        self.d.polygon(pts, fill=255)

    def text(self, x, y, s, size, fnt="cond_bold"):
        f = A.font(fnt, size * self.q)
        self.d.text((x * self.q, y * self.q), s, font=f, fill=255, anchor="mm")

    def text_at(self, ang, r, s, size, fnt="cond_bold"):
        a = np.radians(ang)
        self.text(PIVOT[0] + r * np.sin(a), PIVOT[1] - r * np.cos(a), s, size, fnt)

    def mask(self, w, h):
        m = np.asarray(self.im, np.float32) / 255.0
        return A.downsample(m, self.q)


def _scale_layers(w, h):
    black, red = _Print(w, h), _Print(w, h)
    marks = [-20, -10, -7, -5, -3, -2, -1, 0, 1, 2, 3]
    ang = {m: angle_for_position(position_for_db(m)) for m in marks}
    black.arc(ang[-20] - 0.3, ang[0], R_SCALE, 1.6)
    red.arc(ang[0], ang[3] + 0.3, R_SCALE + 3.0, 7.5)
    for m in marks:
        lay = red if m > 0 else black
        long_ = m in (-20, -10, -5, 0, 3)
        lay.radial(ang[m], R_SCALE - 1, R_SCALE + (13 if long_ else 9), 2.2 if long_ else 1.7)
        label = ("+%d" % m) if m > 0 else ("%d" % abs(m))
        lay.text_at(ang[m], R_SCALE + 24, label, 15 if m != 0 else 17)
    # minor marks between -20 and -10
    for db in (-15,):
        black.radial(angle_for_position(position_for_db(db)), R_SCALE - 1, R_SCALE + 6, 1.4)
    # percentage scale inside the arc
    for pct in (0, 20, 40, 60, 80, 100):
        u = position_for_level(ZERO_VU * pct / 100.0) if pct else VUTABLE[0]
        black.radial(angle_for_position(u), R_SCALE - 9, R_SCALE - 1, 1.4)
        if pct in (0, 50, 100) or pct % 20 == 0:
            black.text_at(angle_for_position(u), R_SCALE - 19, str(pct), 10, "cond")
    black.text(22, 24, "\u2212", 20, "sans_bold")
    red.text(300, 24, "+", 20, "sans_bold")
    black.text(161, 112, "VU", 30, "serif_bold")
    black.text(62, 140, "QUORVANE", 8, "cond_bold")
    black.text(262, 140, "TYPE 4A", 8, "cond")
    return black.mask(w, h), red.mask(w, h)


def face(lit=True, ss=SS, w=IMG_W, h=DISP_H):
    """The meter face without the needle, in display pixels (h x w x 3)."""
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    rng = np.random.default_rng(11)
    paper = A.rgb(0.97, 0.92, 0.77)
    grain = 1.0 + 0.010 * A.fractal_noise(rng, h, w, (60, 160), (0.6, 0.4))
    col = paper * grain[..., None]
    if lit:
        # two lamps behind the face near the bottom corners, warm
        g = 0.80 + 0.22 * np.exp(-(((xs - 161) / 190) ** 2 + ((ys - 170) / 120) ** 2))
        g += 0.08 * np.exp(-(((xs - 60) / 70) ** 2 + ((ys - 150) / 60) ** 2))
        g += 0.08 * np.exp(-(((xs - 262) / 70) ** 2 + ((ys - 150) / 60) ** 2))
        tint = A.rgb(1.0, 0.95, 0.84)
        col = col * g[..., None] * tint
    else:
        g = 0.36 + 0.06 * (1 - ys / h)
        col = col * g[..., None] * A.rgb(0.92, 0.92, 0.95)
    black, red = _scale_layers(w, h)
    ink = A.rgb(0.06, 0.05, 0.045) if lit else A.rgb(0.03, 0.03, 0.03)
    col = A.mix_color(col, ink, black * 0.95)
    col = A.mix_color(col, A.rgb(0.78, 0.10, 0.06) * (1.0 if lit else 0.4), red * 0.95)
    # pivot hood
    hood = A.clamp01((1.0 - np.sqrt(((xs - 161) / 74) ** 2 + ((ys - 176) / 40) ** 2)) * 60)
    hood_sh = A.blur(hood, 3.0)
    col = col * (1.0 - 0.35 * hood_sh[..., None] * (ys < 150)[..., None])
    hood_col = A.rgb(0.05, 0.045, 0.04) * (1.0 + 0.8 * A.smoothstep(176, 136, ys))[..., None]
    col = A.mix_color(col, hood_col, hood)
    # the case's inner rim shades the face's edges (light comes from inside, so the rim is dark)
    edge = np.minimum.reduce([xs, w - xs, ys, h - ys])
    col = col * (0.62 + 0.38 * A.smoothstep(0, 6, edge))[..., None]
    col = col * (1.0 - 0.25 * np.exp(-ys / 10.0))[..., None]
    return col


def needle(ang, w=IMG_W, h=IMG_H, disp_h=DISP_H, ss=SS):
    """Needle coverage and its soft shadow, on the picture's pixel grid."""
    x, y, _, _ = A.sample_grid(w, h, w, disp_h, ss, cx=0.0, cy=0.0)
    a = np.radians(ang)
    dx, dy = np.sin(a), -np.cos(a)
    rx, ry = x - PIVOT[0], y - PIVOT[1]
    along = rx * dx + ry * dy
    perp = np.abs(rx * dy - ry * dx)
    half = 1.35 - 0.55 * A.clamp01((along - 40) / 130)
    cov = ((along > 20) & (along < 194) & (perp < half)).astype(np.float32)
    cov = A.downsample(cov, ss)
    shadow = A.blur(A.shift(cov, 3, 4), 1.8) * 0.28
    return cov, shadow


def frames(lit=True, log=print):
    f = face(lit)
    # the picture is one pixel taller than its display size: resample the face to it
    img = Image.fromarray(A.to_srgb8(f))
    base = np.asarray(img.resize((IMG_W, IMG_H), Image.BICUBIC), np.float32) / 255.0
    yy = np.arange(IMG_H, dtype=np.float32)[:, None] / IMG_H
    xx = np.arange(IMG_W, dtype=np.float32)[None, :] / IMG_W
    # faint reflection on the glass: a soft diagonal band
    glare = 0.045 * np.exp(-(((xx * 0.9 + yy * 0.5) - 0.38) / 0.10) ** 2)
    out = []
    for k in range(128):
        ang = angle_for_position(k / 127.0)
        cov, sh = needle(ang)
        hood = _hood_mask()
        cov = cov * (1 - hood)
        sh = sh * (1 - hood)
        c = base * (1.0 - sh[..., None])
        c = A.mix_color(c, A.rgb(0.05, 0.04, 0.035), cov)
        c = c + glare[..., None]
        out.append(c)
    return out


_hood_cache = {}


def _hood_mask():
    if "m" not in _hood_cache:
        ys, xs = np.mgrid[0:IMG_H, 0:IMG_W].astype(np.float32) + 0.5
        ys = ys * DISP_H / IMG_H
        _hood_cache["m"] = A.clamp01((1.0 - np.sqrt(((xs - 161) / 74) ** 2 + ((ys - 176) / 40) ** 2)) * 60)
    return _hood_cache["m"]
