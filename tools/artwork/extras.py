"""Bottom-bar buttons (maker banner, settings gear) and the application and folder icons."""
import numpy as np
from PIL import Image, ImageDraw

import artlib as A
import panel


def _two_frames(rgb, a, w, h):
    """Normal frame and a pressed frame (darker, moved one pixel down and right), on black."""
    normal = rgb * a[..., None]
    pressed = A.shift(normal, 1, 1) * 0.62
    return np.concatenate([normal, pressed], axis=0)


def banner(w=342, h=54, ss=4):
    rgb = np.zeros((h, w, 3), np.float32)
    a = np.zeros((h, w), np.float32)
    # small medallion at the left
    med_rgb, med_a = panel.medallion_sprite(20, ss=4, size=46)
    # drop the medallion's own shadow on the black bar: keep the badge only
    A.composite_onto(rgb, med_rgb, med_a, 8, 4)
    a = np.maximum(a, np.zeros_like(a))
    a[:] = 1.0
    # lettering: satin silver with a soft top-to-bottom gradient
    m = A.text_mask((h, w), [dict(text="QUORVANE", x=62, y=h / 2 + 1, size=27, font="sans_bold",
                                  anchor="lm", tracking=6.5)], ss=ss)
    ys = np.arange(h, dtype=np.float32)[:, None] / h
    silver = (0.92 - 0.30 * ys)[..., None] * A.rgb(0.95, 0.95, 0.97)
    silver = np.broadcast_to(silver, (h, w, 3))
    rgb = A.mix_color(rgb, silver, m)
    return _two_frames(rgb, a, w, h)


def settings_gear(w=46, h=54, ss=8):
    x, y, stx, sty = A.sample_grid(w, h, w, h, ss)
    y = y + 0.5
    r = np.sqrt(x * x + y * y)
    phi = np.arctan2(y, x)
    teeth = 8
    t = 0.5 + 0.5 * np.cos(teeth * phi)
    tooth = A.smoothstep(0.35, 0.65, t)
    r_out = 12.0 + 4.2 * tooth
    body = (r < r_out) & (r > 4.6)
    z = np.where(body, 2.0 + 1.2 * (r < 11.0) - 0.8 * (r < 7.0), 0.0)
    alb = np.broadcast_to(A.rgb(0.62, 0.62, 0.64), r.shape + (3,)).copy()
    col = A.shade(z, stx, sty, alb, ks=0.4, shininess=40, kenv=0.3)
    rgb, a = A.resolve(col, body.astype(np.float32), ss)
    return _two_frames(rgb, a, w, h)


def product_icon(size):
    """The enamel medallion on a transparent square."""
    radius = size * 0.44
    ss = 2 if size >= 512 else 4
    rgb, a = panel.medallion_sprite(radius, ss=ss, size=size)
    return A.to_image(rgb, a)


def folder_icon(size=256, ss=4):
    """A dark grey folder carrying the medallion."""
    q = size * ss
    im = Image.new("L", (q, q), 0)
    d = ImageDraw.Draw(im)
    s = q / 256.0
    d.rounded_rectangle((16 * s, 40 * s, 112 * s, 80 * s), radius=12 * s, fill=255)      # tab
    back = np.asarray(im, np.float32) / 255.0
    im2 = Image.new("L", (q, q), 0)
    d2 = ImageDraw.Draw(im2)
    d2.rounded_rectangle((16 * s, 58 * s, 240 * s, 222 * s), radius=14 * s, fill=255)
    back = np.maximum(back, np.asarray(im2, np.float32) / 255.0)
    im3 = Image.new("L", (q, q), 0)
    d3 = ImageDraw.Draw(im3)
    d3.rounded_rectangle((16 * s, 84 * s, 240 * s, 226 * s), radius=14 * s, fill=255)
    front = np.asarray(im3, np.float32) / 255.0
    back = A.downsample(back, ss)
    front = A.downsample(front, ss)
    ys = np.arange(size, dtype=np.float32)[:, None] / size
    back_col = np.broadcast_to((0.30 - 0.08 * ys)[..., None] * A.rgb(1.0, 0.98, 0.95), (size, size, 3))
    front_col = np.broadcast_to((0.42 - 0.14 * ys)[..., None] * A.rgb(1.0, 0.98, 0.95), (size, size, 3))
    # a highlight along the front's top edge
    edge = A.clamp01(front - A.shift(front, 0, 3))
    rgb, a = A.over(front_col + 0.25 * edge[..., None], front, back_col, back)
    med_rgb, med_a = panel.medallion_sprite(size * 0.22, ss=4, size=int(size * 0.56))
    canvas = np.zeros((size, size, 3), np.float32)
    ca = np.zeros((size, size), np.float32)
    off = int(size * 0.40)
    hh = med_a.shape[0]
    canvas[off:off + hh, off:off + hh] = med_rgb[:size - off, :size - off]
    ca[off:off + hh, off:off + hh] = med_a[:size - off, :size - off]
    rgb, a = A.over(canvas, ca, rgb, a)
    return A.to_image(rgb, a)
