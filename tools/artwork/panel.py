"""The front panel (power on and off) and the About page, 2560 x 590 each.

A horizontally brushed aluminium 19-inch panel with rack ears and screws, a black anodised centre
plate carrying the name, the meter window and the enamel medallion, and silkscreened legends and
scales around the places where the control pictures are drawn."""
import numpy as np
from PIL import Image, ImageDraw

import artlib as A
import layout as L
import meter

W, H = L.PANEL_W, L.PANEL_H
Q = 4  # supersampling of the print layers

INK = A.rgb(0.055, 0.055, 0.06)
PLATE = (1000, 26, 1550, 564)      # centre plate x0, y0, x1, y1
WINDOW = (1118, 202, 1440, 352)    # meter window (the meter picture covers it)
SLOTS = [(44, 96), (44, 494), (2516, 96), (2516, 494)]


# ----------------------------------------------------------------------------- print layer

class Print:
    def __init__(self, w=W, h=H, q=Q):
        self.w, self.h, self.q = w, h, q
        self.im = Image.new("L", (w * q, h * q), 0)
        self.d = ImageDraw.Draw(self.im)

    def text(self, x, y, s, size, fnt="cond_bold", tracking=0.0, anchor="mm"):
        q = self.q
        f = A.font(fnt, size * q)
        if tracking == 0:
            self.d.text((x * q, y * q), s, font=f, fill=255, anchor=anchor)
            return
        widths = [f.getlength(c) for c in s]
        total = sum(widths) + tracking * q * (len(s) - 1)
        if anchor[0] == "m":
            x0 = x * q - total / 2.0
        elif anchor[0] == "r":
            x0 = x * q - total
        else:
            x0 = x * q
        for c, wd in zip(s, widths):
            self.d.text((x0, y * q), c, font=f, fill=255, anchor="l" + anchor[1])
            x0 += wd + tracking * q

    def text_width(self, s, size, fnt="cond_bold", tracking=0.0):
        f = A.font(fnt, size * self.q)
        return (sum(f.getlength(c) for c in s) + tracking * self.q * (len(s) - 1)) / self.q

    def tick(self, cx, cy, ang, r0, r1, width):
        q = self.q
        a = np.radians(ang)
        dx, dy = np.sin(a), -np.cos(a)
        px, py = -dy, dx
        pts = []
        for r, s in ((r0, -1), (r1, -1), (r1, 1), (r0, 1)):
            pts.append(((cx + dx * r + px * s * width / 2) * q, (cy + dy * r + py * s * width / 2) * q))
        self.d.polygon(pts, fill=255)

    def arc(self, cx, cy, r, a0, a1, width):
        q = self.q
        n = max(16, int(abs(a1 - a0) * r / 40))
        angs = np.radians(np.linspace(a0, a1, n))
        ro, ri = r + width / 2, r - width / 2
        pts = [((cx + ro * np.sin(t)) * q, (cy - ro * np.cos(t)) * q) for t in angs]
        pts += [((cx + ri * np.sin(t)) * q, (cy - ri * np.cos(t)) * q) for t in angs[::-1]]
        self.d.polygon(pts, fill=255)

    def dot(self, cx, cy, r):
        q = self.q
        self.d.ellipse(((cx - r) * q, (cy - r) * q, (cx + r) * q, (cy + r) * q), fill=255)

    def rrect(self, x0, y0, x1, y1, rad, fill=255):
        q = self.q
        self.d.rounded_rectangle((x0 * q, y0 * q, x1 * q, y1 * q), radius=rad * q, fill=fill)

    def mask(self):
        return A.downsample(np.asarray(self.im, np.float32) / 255.0, self.q)


def label_at(p, cx, cy, ang, r, s, size, fnt="cond_bold", tracking=0.0):
    """Place a label outside a circle so that its nearest edge sits at radius r."""
    a = np.radians(ang)
    wdt = p.text_width(s, size, fnt, tracking)
    hgt = size * 0.72
    # distance from the label centre to its box edge along the radial direction
    ext = abs(np.sin(a)) * wdt / 2 + abs(np.cos(a)) * hgt / 2
    rr = r + ext
    p.text(cx + rr * np.sin(a), cy - rr * np.cos(a), s, size, fnt, tracking)


def knob_scale(p, name, r_in, r_major, r_minor, r_text, labels, minor_per=1, size=18,
               major_w=3.2, minor_w=2.0, arc=False):
    cx, cy = L.display_centre(name)
    n = len(labels)
    steps = (n - 1) * minor_per
    for i in range(steps + 1):
        ang = L.KNOB_START + L.KNOB_SWEEP * i / steps
        major = i % minor_per == 0
        p.tick(cx, cy, ang, r_in, r_major if major else r_minor, major_w if major else minor_w)
        if major and labels[i // minor_per]:
            label_at(p, cx, cy, ang, r_text, labels[i // minor_per], size, "cond")
    if arc:
        p.arc(cx, cy, r_in + 1, L.KNOB_START, L.KNOB_START + L.KNOB_SWEEP, 2.0)


def legends(p):
    """All silkscreened legends on the aluminium."""
    # big knobs
    nums = [str(v) for v in range(0, 101, 10)]
    for name, title in (("KnobGain", "GAIN"), ("KnobPeakReduction", "PEAK REDUCTION")):
        cx, cy = L.display_centre(name)
        knob_scale(p, name, 90, 106, 99, 112, nums, minor_per=2, size=19)
        p.text(cx, cy + 160, title, 25, "cond_bold", tracking=4)
    # medium knobs
    cx, cy = L.display_centre("KnobEmphasis")
    knob_scale(p, "KnobEmphasis", 62, 74, 69, 79, ["0", "", "2", "", "4", "", "6", "", "8", "", "10"],
               size=17, major_w=2.6, minor_w=1.8)
    p.text(cx, cy + 102, "EMPHASIS", 19, "cond_bold", tracking=3)
    cx, cy = L.display_centre("KnobMakeUp")
    knob_scale(p, "KnobMakeUp", 62, 74, 69, 78,
               ["-50", "-40", "-20", "-10", "-5", "0", "+5", "+10", "+15", "+20", "+30"],
               size=15, major_w=2.4)
    p.text(cx, cy + 102, "MAKE-UP", 19, "cond_bold", tracking=3)
    p.text(cx, cy - 114, "dB", 14, "cond")
    cx, cy = L.display_centre("KnobWetDry")
    knob_scale(p, "KnobWetDry", 62, 74, 69, 79, ["DRY", "", "20", "", "40", "", "60", "", "80", "", "WET"],
               size=16, major_w=2.6, minor_w=1.8)
    p.text(cx, cy + 100, "MIX", 19, "cond_bold", tracking=3)
    # selectors
    for name, labels, title, size in (("KnobCellsel", ("A", "B", "C"), "CELL", 21),
                                      ("KnobVULevel", ("INPUT", "GR", "OUTPUT"), "VU METER", 15)):
        cx, cy = L.display_centre(name)
        for ang, s in zip(L.SELECTOR_ANGLES, labels):
            p.tick(cx, cy, ang, 44, 54, 3.0)
            label_at(p, cx, cy, ang, 60, s, size, "cond_bold")
        p.text(cx, cy + 72, title, 19, "cond_bold", tracking=3)
    # switches
    for name, top, bottom, title in (("SwitchPower", "ON", "OFF", "POWER"),
                                     ("SwitchCompressLimit", "LIMIT", "COMPRESS", None),
                                     ("SwitchExtSC", "EXT SC", "OFF", None)):
        cx, cy = L.display_centre(name)
        p.text(cx, cy - 64, top, 17, "cond_bold", tracking=2)
        p.text(cx, cy + 64, bottom, 17, "cond_bold", tracking=2)
        if title:
            p.text(cx, cy - 92, title, 19, "cond_bold", tracking=3)


# ----------------------------------------------------------------------------- materials

def aluminium(rng, w=W, h=H):
    n = A.brushed_noise(rng, h, w)
    n = n / (np.std(n) + 1e-6)
    blot = A.fractal_noise(rng, h, w, (300, 90), (0.6, 0.4))
    base = A.rgb(0.70, 0.705, 0.715)
    v = 1.0 + 0.030 * n + 0.012 * blot
    col = base * v[..., None]
    return col


def illumination(w=W, h=H, bands=True):
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float32)
    u, v = xs / w, ys / h
    g = 1.04 - 0.10 * v                                    # light from above
    g = g - 0.10 * ((u - 0.42) / 0.75) ** 2                 # falls off to the sides
    if bands:
        # horizontally brushed metal throws a vertical sheen band
        g = g + 0.07 * np.exp(-((u - 0.30) / 0.13) ** 2) + 0.035 * np.exp(-((u - 0.78) / 0.08) ** 2)
    return g.astype(np.float32)


def shade_heights(height, strength=1.0):
    """Lambert ratio of a height field against the flat panel (1 on flat parts)."""
    nx, ny, nz = A.normals(height, 1.0, 1.0)
    flat = A.LIGHT[2]
    lam = np.maximum(nx * A.LIGHT[0] + ny * A.LIGHT[1] + nz * A.LIGHT[2], 0.0) / flat
    return 1.0 + strength * (lam - 1.0)


# ----------------------------------------------------------------------------- sprites

def screw_sprite(radius, phillips=True, black=False, angle=0.0, ss=4):
    size = int(radius * 2 + 12)
    x, y, stx, sty = A.sample_grid(size, size, size, size, ss)
    r = np.sqrt(x * x + y * y)
    u = A.clamp01(r / radius)
    z = np.where(r < radius, 0.22 * radius * np.sqrt(np.clip(1 - u * u, 0, 1)) + 0.08 * radius * A.clamp01((radius - r) / 1.5), 0.0)
    a = np.radians(angle)
    xr = x * np.cos(a) + y * np.sin(a)
    yr = -x * np.sin(a) + y * np.cos(a)
    w = 0.12 * radius
    if phillips:
        cross = ((np.abs(xr) < w) | (np.abs(yr) < w)) & (r < 0.62 * radius)
        depth = 0.5 * radius * (1 - r / (0.62 * radius))
    else:
        cross = (np.abs(yr) < w) & (r < 0.92 * radius)
        depth = np.full(r.shape, 0.18 * radius, np.float32)
    z = np.where(cross, z - np.maximum(depth, 0.05 * radius), z)
    alpha = (r < radius).astype(np.float32)
    alb = np.broadcast_to(A.rgb(0.05, 0.05, 0.055) if black else A.rgb(0.30, 0.30, 0.31), r.shape + (3,))
    alb = np.where(cross[..., None], alb * 0.3, alb)
    kenv = np.where(cross, 0.05, 0.25 if black else 0.6).astype(np.float32)
    col = A.shade(z, stx, sty, np.ascontiguousarray(alb), ks=0.5, shininess=50, kenv=kenv,
                  ao=np.where(cross, 0.25, 1.0))
    rgb, al = A.resolve(col, alpha, ss)
    sh = A.drop_shadow(al, 2, 3, 2.0, 0.55)
    return A.over(rgb, al, np.zeros_like(rgb), sh)


def medallion_sprite(radius, ss=4, size=None):
    """Round enamel badge with a chrome rim, raised chrome monogram and lettering."""
    size = size or int(radius * 2 + 24)
    x, y, stx, sty = A.sample_grid(size, size, size, size, ss)
    r = np.sqrt(x * x + y * y)
    R = radius
    rim_in = 0.88 * R
    # raised letters, drawn at the sampling resolution
    items = []
    A.text_on_arc(items, "QUORVANE", size / 2, size / 2, 0.745 * R, 0.0, 0.155 * R, "cond_bold",
                  tracking=0.05 * R)
    A.text_on_arc(items, "MARK II", size / 2, size / 2, 0.745 * R, 180.0, 0.13 * R, "cond_bold",
                  tracking=0.045 * R, inside=True)
    items.append(dict(text="Q", x=size / 2, y=size / 2 + 0.02 * R, size=0.78 * R, font="serif_bold"))
    letters = A.text_mask((size * ss, size * ss), [dict(it, x=it["x"] * ss, y=it["y"] * ss,
                                                        size=it["size"] * ss) for it in items])
    letters = A.blur(letters, 0.35 * ss)
    ring_line = np.exp(-((r - 0.60 * R) / (0.018 * R)) ** 2)
    stars = np.zeros_like(r)
    for sgn in (-1, 1):
        ang = np.radians(90 * sgn)
        sx, sy = 0.745 * R * np.sin(ang), -0.745 * R * np.cos(ang)
        stars = np.maximum(stars, np.exp(-(((x - sx) ** 2 + (y - sy) ** 2) / (0.035 * R) ** 2)))
    raised = np.maximum(np.maximum(letters, ring_line), stars)
    u = A.clamp01((r - rim_in) / (R - rim_in))
    z_rim = 0.10 * R * np.sin(np.pi * (0.15 + 0.85 * u)) + 0.02 * R
    z_field = 0.04 * R * (1 - (r / rim_in) ** 2) + 0.025 * R
    z = np.where(r < rim_in, z_field + 0.035 * R * raised, z_rim)
    alpha = (r < R).astype(np.float32)
    enamel = A.rgb(0.36, 0.035, 0.03)
    chrome = A.rgb(0.30, 0.30, 0.31)
    is_chrome = (r >= rim_in) | (raised > 0.45)
    alb = np.where(is_chrome[..., None], chrome, enamel)
    kenv = np.where(is_chrome, 0.95, 0.22).astype(np.float32)
    ks = np.where(is_chrome, 0.6, 0.9).astype(np.float32)
    col = A.shade(z, stx, sty, alb, ks=ks, shininess=90.0, kenv=kenv,
                  env_tint=A.rgb(0.97, 0.97, 1.0))
    rgb, al = A.resolve(col, alpha, ss)
    sh = np.maximum(A.drop_shadow(al, 0.05 * R, 0.07 * R, 0.06 * R, 0.55), A.drop_shadow(al, 1, 1, 1.5, 0.5))
    return A.over(rgb, al, np.zeros_like(rgb), sh)


def window_bezel(ss=3):
    """Chrome-edged black bezel around the meter window; returns sprite rgb, alpha, origin."""
    x0, y0, x1, y1 = WINDOW
    m = 16
    w, h = x1 - x0 + 2 * m + 12, y1 - y0 + 2 * m + 12
    ox, oy = x0 - m - 6, y0 - m - 6
    x, y, stx, sty = A.sample_grid(w, h, w, h, ss, cx=0.0, cy=0.0)
    x, y = x + ox, y + oy
    # signed distance to the window rectangle (rounded)
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2, (y1 - y0) / 2
    qx, qy = np.abs(x - cx) - hx, np.abs(y - cy) - hy
    d = np.sqrt(np.maximum(qx, 0) ** 2 + np.maximum(qy, 0) ** 2) + np.minimum(np.maximum(qx, qy), 0)
    t = A.clamp01(d / m)
    z = 7.0 * np.sin(np.pi * np.clip(t * 0.9 + 0.1, 0, 1)) * (d < m)
    alpha = ((d >= -1) & (d < m)).astype(np.float32)
    outer = t > 0.55
    alb = np.where(outer[..., None], A.rgb(0.33, 0.33, 0.34), A.rgb(0.02, 0.02, 0.02))
    kenv = np.where(outer, 0.9, 0.25).astype(np.float32)
    col = A.shade(z, stx, sty, alb, ks=0.7, shininess=80, kenv=kenv)
    rgb, al = A.resolve(col, alpha, ss)
    sh = A.drop_shadow(al, 3, 4, 3.0, 0.5)
    rgb, al = A.over(rgb, al, np.zeros_like(rgb), sh)
    return rgb, al, ox, oy


# ----------------------------------------------------------------------------- assembly

def _plate_mask(q=Q, rect=PLATE, rad=16):
    p = Print()
    p.rrect(*rect, rad)
    return p.mask()


def _slot_mask():
    p = Print()
    for (cx, cy) in SLOTS:
        p.rrect(cx - 30, cy - 14, cx + 30, cy + 14, 14)
    return p.mask()


def _rack_and_base(rng, plate_rect=PLATE):
    col = aluminium(rng)
    plate = _plate_mask(rect=plate_rect)
    slots = _slot_mask()
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
    # heights: plate raised, slots are holes, panel edges rounded
    height = 2.2 * A.blur(plate, 0.8) - 5.0 * A.blur(slots, 0.8)
    edge = np.minimum.reduce([xs + 0.5, W - xs - 0.5, ys + 0.5, H - ys - 0.5])
    height = height - 4.0 * (1.0 - A.smoothstep(0.0, 5.0, edge))
    # black anodised plate with a fine satin texture
    pn = A.fractal_noise(rng, H, W, (2, 8), (0.5, 0.5))
    plate_col = A.rgb(0.050, 0.050, 0.055) * (1.0 + 0.06 * pn)[..., None]
    # satin anodising picks up a soft reflection of the light above
    sheen = 0.035 * np.exp(-(((xs - 0.30 * W) * 0.4 + (ys - 0.1 * H)) / 260.0) ** 2)
    plate_col = plate_col + sheen[..., None]
    col = A.mix_color(col, plate_col, plate)
    # the plate's shadow on the aluminium
    sh = A.drop_shadow(plate, 3, 4, 4.0, 0.45) * (1.0 - plate)
    col = col * (1.0 - sh[..., None])
    # rack rail seen through the slots
    rail = A.rgb(0.06, 0.06, 0.065) * (1.0 + 0.5 * A.smoothstep(H * 0.2, 0, np.abs(ys - H / 2) * 0))[..., None]
    col = A.mix_color(col, rail, slots)
    return col, height, plate, slots


def wear(col, rng, strength=1.0):
    """Fine scratches, dust and a few smudges: the marks of a unit that has been used."""
    s = Print()
    for _ in range(70):
        x = rng.uniform(60, W - 60)
        y = rng.uniform(10, H - 10)
        ang = rng.normal(90.0, 25.0) if rng.random() < 0.6 else rng.uniform(0, 180)
        ln = rng.uniform(12, 110)
        a = np.radians(ang)
        x1, y1 = x + ln * np.sin(a), y - ln * np.cos(a)
        s.d.line((x * Q, y * Q, x1 * Q, y1 * Q), fill=int(rng.uniform(90, 200)), width=int(Q * 0.8))
    scratches = s.mask()
    col = col + (0.10 * strength * scratches)[..., None]
    dust = (rng.random((H, W)) < 0.00025).astype(np.float32)
    dust = A.blur(dust, 0.7) * 3.0
    col = col + (0.10 * strength * A.clamp01(dust))[..., None] * A.rgb(0.9, 0.88, 0.85)
    smudge = A.clamp01(A.fractal_noise(rng, H, W, (80, 30), (0.7, 0.3)) - 0.6)
    col = col * (1.0 - 0.035 * strength * smudge)[..., None]
    return col


def _finish(col, height, illum):
    col = col * shade_heights(height, 0.9)[..., None]
    col = col * illum[..., None]
    # the light is a little warmer at the top left than at the bottom right
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
    t = A.clamp01(0.5 * xs / W + 0.5 * ys / H)[..., None]
    col = col * A.lerp(A.rgb(1.015, 1.0, 0.975), A.rgb(0.985, 0.995, 1.02), t)
    # warm, slightly lifted blacks like a photograph
    col = col * A.rgb(1.01, 1.0, 0.975) + A.rgb(0.010, 0.009, 0.008)
    return col


def _put(col, sprite, cx, cy):
    rgb, a = sprite
    h, w = a.shape
    A.composite_onto(col, rgb, a, int(round(cx - w / 2)), int(round(cy - h / 2)))


def _rack_screws(col):
    rng = np.random.default_rng(3)
    for (cx, cy) in SLOTS:
        s = screw_sprite(17, phillips=True, angle=float(rng.uniform(0, 90)))
        _put(col, s, cx + 3, cy)


def _washer_sprite(radius, ss=4):
    size = int(radius * 2 + 10)
    x, y, stx, sty = A.sample_grid(size, size, size, size, ss)
    r = np.sqrt(x * x + y * y)
    z = np.where(r < radius, 2.5 * A.clamp01((radius - r) / 3.0), 0.0)
    alpha = (r < radius).astype(np.float32)
    col = A.shade(z, stx, sty, np.broadcast_to(A.rgb(0.10, 0.10, 0.10), r.shape + (3,)).copy(),
                  ks=0.3, shininess=30, kenv=0.2)
    rgb, al = A.resolve(col, alpha, ss)
    return A.over(rgb, al, np.zeros_like(rgb), A.drop_shadow(al, 2, 2, 2.0, 0.5))


def _plate_screws(col, rect=PLATE):
    x0, y0, x1, y1 = rect
    for i, (cx, cy) in enumerate(((x0 + 20, y0 + 20), (x1 - 20, y0 + 20), (x0 + 20, y1 - 20), (x1 - 20, y1 - 20))):
        _put(col, screw_sprite(9, phillips=True, black=True, angle=17.0 + 31 * i), cx, cy)


def _glow(col, cx, cy, radius, strength, color):
    ys, xs = np.mgrid[0:H, 0:W].astype(np.float32)
    g = strength * np.exp(-(((xs - cx) ** 2 + (ys - cy) ** 2) / radius ** 2))
    return col + g[..., None] * color


def panel(power_on=True, log=print):
    rng = np.random.default_rng(2024)
    col, height, plate, slots = _rack_and_base(rng)
    # legends on the aluminium
    p = Print()
    legends(p)
    ink = p.mask() * (1.0 - plate)
    # screen print is not perfectly even
    ink_var = 0.86 + 0.14 * A.clamp01(0.5 + 0.5 * A.fractal_noise(rng, H, W, (3, 14), (0.5, 0.5)))
    col = A.mix_color(col, INK, ink * 0.95 * ink_var)
    height = height + 0.25 * ink          # screen print stands a little proud
    # name on the plate: engraved through the anodising to bright metal
    t = Print()
    cx = (PLATE[0] + PLATE[2]) / 2
    t.text(cx, 92, "OSTREL", 50, "sans_bold", tracking=9)
    t.text(cx, 146, "MARK II  \u00b7  TUBE LEVELING AMPLIFIER", 16, "cond_bold", tracking=3.5)
    eng = t.mask()
    bright = aluminium(np.random.default_rng(5)) * 1.12
    col = A.mix_color(col, bright, eng)
    height = height - 1.2 * eng
    col = wear(col, np.random.default_rng(77))
    illum = illumination()
    col = _finish(col, height, illum)
    # meter window: the face behind glass (the meter picture covers it in the editor)
    x0, y0, x1, y1 = WINDOW
    face = meter.face(lit=power_on, w=x1 - x0, h=y1 - y0)
    col[y0:y1, x0:x1] = face
    bez = window_bezel()
    A.composite_onto(col, bez[0], bez[1], bez[2], bez[3])
    # medallion
    mx, my = L.medallion_centre()
    _put(col, medallion_sprite(84), mx, my)
    _rack_screws(col)
    _plate_screws(col)
    if power_on:
        # warm light spilling from the meter window and the pilot lamp
        col = _glow(col, (x0 + x1) / 2, (y0 + y1) / 2, 260, 0.05, A.rgb(1.0, 0.75, 0.45))
        lx, ly = L.display_centre("PowerLED")
        col = _glow(col, lx, ly, 90, 0.10, A.rgb(1.0, 0.35, 0.10))
    # a very fine photographic grain
    grain = np.random.default_rng(99).standard_normal((H, W)).astype(np.float32)
    col = col + 0.006 * grain[..., None]
    return A.clamp01(col)


def about(log=print):
    rng = np.random.default_rng(2024)
    rect = (240, 26, 2320, 564)
    col, height, plate, slots = _rack_and_base(rng, plate_rect=rect)
    t = Print()
    t.text(880, 170, "OSTREL MARK II", 64, "sans_bold", tracking=10)
    t.text(880, 236, "TUBE LEVELING AMPLIFIER WITH OPTICAL GAIN CELL", 19, "cond_bold", tracking=4)
    lines = [
        ("DESIGNED AND BUILT BY QUORVANE", 21, "cond_bold"),
        ("Circuit modelling, DSP and panel artwork: the Quorvane team", 20, "cond"),
        ("Version text set in Source Sans Pro (SIL Open Font License)", 18, "cond"),
        ("Click anywhere on this plate to return to the panel", 18, "cond"),
    ]
    y = 326
    for s, size, f in lines:
        t.text(880, y, s, size, f, tracking=1.5)
        y += 40
    eng = t.mask()
    bright = aluminium(np.random.default_rng(5)) * 1.12
    col = A.mix_color(col, bright, eng)
    height = height - 1.2 * eng
    # thin engraved frame lines on the plate
    fr = Print()
    fr.rrect(rect[0] + 40, rect[1] + 40, rect[2] - 40, rect[3] - 40, 10)
    fr.rrect(rect[0] + 43, rect[1] + 43, rect[2] - 43, rect[3] - 43, 8, fill=0)
    line = fr.mask()
    col = A.mix_color(col, bright * 0.8, line)
    col = wear(col, np.random.default_rng(77))
    col = _finish(col, height, illumination())
    _put(col, medallion_sprite(150, ss=3), 1900, 360)
    _rack_screws(col)
    _plate_screws(col, rect)
    grain = np.random.default_rng(98).standard_normal((H, W)).astype(np.float32)
    col = col + 0.006 * grain[..., None]
    return A.clamp01(col)
