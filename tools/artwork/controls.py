"""Filmstrips of the panel controls: knobs, selector knobs, toggle switches and the pilot lamp.

Every control is modelled as a height field with material maps in display pixels and shaded with
the fixed key light of artlib, so highlights and shadows stay put while only the parts that turn
(pointer, flutes, index marks) move from frame to frame."""
import numpy as np

import artlib as A
import layout as L

BAKELITE = A.rgb(0.032, 0.030, 0.028)
ALU = A.rgb(0.40, 0.405, 0.415)
WHITE_PAINT = A.rgb(0.90, 0.89, 0.84)
CHROME = A.rgb(0.55, 0.56, 0.58)


def _polar(x, y):
    r = np.sqrt(x * x + y * y)
    phi = np.arctan2(x, -y)  # 0 = up, clockwise positive
    return r, phi


def _frame_rgba(rgb_ss, a_ss, ss, shadow_a=None):
    rgb, a = A.resolve(rgb_ss, a_ss, ss)
    if shadow_a is not None:
        shadow_a = shadow_a * A.edge_fade(a.shape[0], a.shape[1], 8.0)
        rgb, a = A.over(rgb, a, np.zeros_like(rgb), shadow_a)
    return rgb, a


# ----------------------------------------------------------------------------- round knob

class RoundKnob:
    """Black bakelite knob with fluted sides, an optional turned-aluminium cap carrying an
    engraved pointer line and a white index mark on the flange."""

    def __init__(self, img_w, img_h, disp_w, disp_h, radius, flutes=36, cap=True, ss=4):
        self.img_w, self.img_h, self.ss = img_w, img_h, ss
        self.R = R = float(radius)
        self.cap = cap
        self.flutes = flutes
        x, y, self.stx, self.sty = A.sample_grid(img_w, img_h, disp_w, disp_h, ss)
        self.x, self.y = x, y
        self.r, self.phi = _polar(x, y)
        r = self.r
        self.alpha = (r < R).astype(np.float32)
        self.hf = 0.075 * R          # flange height
        self.ht = 0.36 * R           # top face height
        self.rb = 0.875 * R          # wall foot radius
        self.rt = 0.72 * R           # wall top radius
        self.rc = 0.56 * R           # cap radius
        # concentric tangent for the turned cap highlight (world space, does not turn)
        rr = np.maximum(r, 1e-3)
        self.tangent = (-y / rr, x / rr)
        # soft shadow on the panel, the same in every frame (the knob is round)
        a1 = A.downsample(self.alpha, ss)
        sx = disp_w / img_w
        k = self.ht / A.LIGHT[2]
        off_x = -A.LIGHT[0] * k / sx * 0.9
        off_y = -A.LIGHT[1] * k * 0.9 * img_h / disp_h
        self.shadow = np.maximum(A.drop_shadow(a1, off_x, off_y, 0.10 * R / sx, 0.62),
                                 A.drop_shadow(a1, off_x * 0.2, off_y * 0.2, 0.03 * R / sx, 0.55))

    def frame(self, angle_deg):
        R, r = self.R, self.r
        th = np.radians(angle_deg)
        phl = self.phi - th
        flute = 0.5 + 0.5 * np.cos(self.flutes * phl)
        mod = 0.040 * R * flute
        rb = self.rb - mod
        rt = self.rt - mod
        t = A.clamp01((rb - r) / (rb - rt))
        z_wall = self.hf + (self.ht - self.hf) * (1.0 - (1.0 - t) ** 2)
        u = A.clamp01((r - rb) / (R - rb))
        z_flange = self.hf * np.sqrt(np.clip(1.0 - u * u, 0.0, 1.0))
        z = np.where(r > rb, z_flange, z_wall)
        top = r < rt
        z = np.where(top, self.ht + 0.02 * R * (1.0 - (r / self.rt) ** 2), z)
        # local coordinates along and across the pointer
        along = self.x * np.sin(th) - self.y * np.cos(th)
        perp = self.x * np.cos(th) + self.y * np.sin(th)
        alb = np.broadcast_to(BAKELITE, r.shape + (3,)).copy()
        ks = np.full(r.shape, 0.30, np.float32)
        kenv = np.full(r.shape, 0.16, np.float32)
        cap_m = np.zeros(r.shape, bool)
        if self.cap:
            cap_m = r < self.rc
            bev = A.clamp01((self.rc - r) / (0.035 * R))
            z = np.where(cap_m, self.ht + 0.005 * R + 0.025 * R * bev, z)
            # turning marks: faint concentric variation of the aluminium
            rings = 0.03 * np.sin(r * 2.3) + 0.02 * np.sin(r * 0.71 + 1.0)
            alb = np.where(cap_m[..., None], ALU * (1.0 + rings)[..., None], alb)
            eng = cap_m & (along > 0.11 * R) & (along < self.rc - 0.06 * R) & (np.abs(perp) < 0.036 * R)
            z = np.where(eng, z - 0.02 * R, z)
            alb = np.where(eng[..., None], A.rgb(0.01, 0.01, 0.01), alb)
            kenv = np.where(eng, 0.03, kenv)
            ks = np.where(eng, 0.04, ks)
            ks = np.where(cap_m & ~eng, 0.0, ks)
            kenv = np.where(cap_m & ~eng, 0.16, kenv)
        else:
            # white line on the top face
            line = top & (along > 0.25 * R) & (along < self.rt - 0.05 * R) & (np.abs(perp) < 0.04 * R)
            alb = np.where(line[..., None], WHITE_PAINT, alb)
            ks = np.where(line, 0.25, ks)
        idx = (along > 0.885 * R) & (r < 0.985 * R) & (np.abs(perp) < 0.03 * R)
        alb = np.where(idx[..., None], WHITE_PAINT, alb)
        ks = np.where(idx, 0.2, ks)
        ao = 0.55 + 0.45 * A.smoothstep(0.0, self.ht * 0.8, z)
        col = A.shade(z, self.stx, self.sty, alb, ks=ks, shininess=22.0, kenv=kenv, ao=ao)
        col = col + A.shade(z, self.stx, self.sty, np.zeros_like(alb), ks=0.35 * (~cap_m), shininess=160.0, ambient=0.0, kd=0.0)
        if self.cap:
            hilite = A.shade(z, self.stx, self.sty, np.zeros_like(alb), ks=0.55, kenv=0.0,
                           ambient=0.0, kd=0.0, aniso_tangent=self.tangent, aniso_exp=18.0)
            col = col + hilite * cap_m[..., None]
        return _frame_rgba(col, self.alpha, self.ss, self.shadow)


# ----------------------------------------------------------------------------- selector knob

class PointerKnob:
    """Chicken-head selector: a black pointer-shaped knob with an inlaid white line on a round
    skirt."""

    def __init__(self, img_w, img_h, disp_w, disp_h, ss=4):
        self.img_w, self.img_h, self.ss = img_w, img_h, ss
        self.x, self.y, self.stx, self.sty = A.sample_grid(img_w, img_h, disp_w, disp_h, ss)
        self.r, _ = _polar(self.x, self.y)
        self.S = min(disp_w, disp_h) / 2.0
        self.disp = (disp_w, disp_h)

    def frame(self, angle_deg):
        S, r = self.S, self.r
        th = np.radians(angle_deg)
        along = self.x * np.sin(th) - self.y * np.cos(th)
        perp = self.x * np.cos(th) + self.y * np.sin(th)
        # round skirt
        Rs = 0.64 * S
        u = A.clamp01((r - 0.52 * S) / (Rs - 0.52 * S))
        z_skirt = np.where(r < Rs, 0.11 * S * np.sqrt(np.clip(1 - u * u, 0, 1)), 0.0)
        # pointer body: elliptical cross-sections, rounded tail, tapering beak
        a0, c, a1 = -0.46 * S, -0.02 * S, 0.84 * S
        w0, w1 = 0.36 * S, 0.10 * S
        tail = np.sqrt(np.clip(1.0 - ((along - c) / (c - a0)) ** 2, 0.0, 1.0))
        tt = A.clamp01((along - c) / (a1 - c))
        beak = w0 + (w1 - w0) * np.sin(tt * np.pi / 2) ** 1.3
        width = np.where(along < c, w0 * tail, beak) * (along <= a1)
        zc = np.where(along < c, 0.44 * S * (0.35 + 0.65 * tail ** 0.5), 0.44 * S - 0.16 * S * tt)
        q = np.clip(1.0 - (perp / np.maximum(width, 1e-3)) ** 2, 0.0, 1.0)
        body = (np.abs(perp) < width)
        z_body = 0.09 * S + zc * np.sqrt(q)
        z = np.maximum(z_skirt, np.where(body, z_body, 0.0))
        alpha = ((r < Rs) | body).astype(np.float32)
        alb = np.broadcast_to(BAKELITE, r.shape + (3,)).copy()
        line = (along > 0.10 * S) & (along < 0.78 * S) & (np.abs(perp) < 0.032 * S) & body
        alb = np.where(line[..., None], WHITE_PAINT, alb)
        ks = np.where(line, 0.25, 0.6).astype(np.float32)
        ao = 0.6 + 0.4 * A.smoothstep(0.0, 0.35 * S, z)
        col = A.shade(z, self.stx, self.sty, alb, ks=ks, shininess=60.0, kenv=0.14, ao=ao)
        a1 = A.downsample(alpha, self.ss)
        sx = self.disp[0] / self.img_w
        k = 0.4 * S / A.LIGHT[2]
        shadow = np.maximum(A.drop_shadow(a1, -A.LIGHT[0] * k / sx * 0.55, -A.LIGHT[1] * k * 0.55, 0.08 * S, 0.6),
                            A.drop_shadow(a1, 1, 1, 1.5, 0.5))
        return _frame_rgba(col, alpha, self.ss, shadow)


# ----------------------------------------------------------------------------- toggle switch

def _lever(x, y, up, base_z=14.0, length=50.0, tilt_deg=46.0):
    """Height of a chrome bat-handle lever tilted up (up=True) or down, with its visible mask."""
    a = np.radians(tilt_deg)
    lp = length * np.sin(a)
    lz = length * np.cos(a)
    yy = -y if up else y  # distance along the projected lever direction
    tc = A.clamp01(yy / lp)
    rr = 5.8 - 1.6 * tc
    d2 = x * x + (yy - lp * tc) ** 2
    zc = base_z + lz * tc
    z_cyl = np.where(d2 < rr * rr, zc + np.sqrt(np.maximum(rr * rr - d2, 0.0)), -1.0)
    rs = 6.8
    d2s = x * x + (yy - lp) ** 2
    z_tip = np.where(d2s < rs * rs, base_z + lz + np.sqrt(np.maximum(rs * rs - d2s, 0.0)), -1.0)
    z = np.maximum(z_cyl, z_tip)
    return z, z > 0


def switch_frames(img_w=120, img_h=104, ss=4):
    x, y, stx, sty = A.sample_grid(img_w, img_h, img_w, img_h, ss)
    r, phi = _polar(x, y)
    # washer
    z = np.where(r < 32.0, 1.6 * A.clamp01((32.0 - r) / 0.8), 0.0)
    # hex nut (across flats 31) with a round chamfer on top
    ang = np.arctan2(y, x)
    hexd = np.max(np.stack([np.abs(x * np.cos(k * np.pi / 3) + y * np.sin(k * np.pi / 3))
                            for k in range(3)]), axis=0)
    nut = A.clamp01((20.0 - hexd) / 0.6)
    z_nut = 1.6 + np.minimum(7.5, (22.6 - r) * 1.1)
    z = np.where(nut > 0, np.maximum(z, np.minimum(z_nut, 1.6 + 7.5 * nut)), z)
    # threaded bushing
    bush = r < 12.0
    z_b = 9.1 + 4.5 * A.clamp01((12.0 - r) / 0.6) + 0.25 * np.sin(r * 4.0)
    z = np.where(bush, np.maximum(z, z_b), z)
    hole = r < 7.0
    z = np.where(hole, 10.0, z)
    base_alpha = (r < 32.0).astype(np.float32)
    frames = []
    for up in (True, False):
        zl, lm = _lever(x, y, up)
        zz = np.maximum(z, np.where(lm, zl, 0.0))
        alpha = np.maximum(base_alpha, lm.astype(np.float32))
        alb = np.broadcast_to(CHROME, r.shape + (3,)).copy()
        alb = np.where((hole & ~lm)[..., None], A.rgb(0.02, 0.02, 0.02), alb)
        washer = (r >= 22.6) & (zz < 2.0)
        alb = np.where(washer[..., None], A.rgb(0.50, 0.50, 0.50), alb)
        kenv = np.where(hole & ~lm, 0.05, np.where(washer, 0.45, 0.95)).astype(np.float32)
        shadow = A.heightfield_shadow(zz, stx, sty, 50.0, steps=28, softness=1.2 * ss, reach=0.45)
        ao = 0.5 + 0.5 * A.smoothstep(0.0, 9.0, zz)
        col = A.shade(zz, stx, sty, alb * 0.35, ks=0.9, shininess=120.0, kenv=kenv,
                      env_tint=A.rgb(0.95, 0.96, 1.0), ao=ao)
        col = col * (1.0 - 0.7 * shadow)[..., None]
        rgb, a = A.resolve(col, alpha, ss)
        # shadow cast onto the panel (outside the switch) plus a contact shadow of the washer
        sh = A.downsample(shadow * (1.0 - alpha), ss) * 0.45
        a1 = A.downsample(base_alpha, ss)
        sh = np.maximum(sh, A.drop_shadow(a1, 1, 1, 1.5, 0.5))
        sh = sh * A.edge_fade(img_h, img_w, 16.0)
        rgb, a = A.over(rgb, a, np.zeros_like(rgb), sh)
        frames.append((rgb, a))
    return frames


# ----------------------------------------------------------------------------- pilot lamp

def lamp_frames(img_w=135, img_h=109, disp_w=134, disp_h=108, ss=4):
    x, y, stx, sty = A.sample_grid(img_w, img_h, disp_w, disp_h, ss)
    r, phi = _polar(x, y)
    R_j, R_b = 30.0, 43.0
    # chrome bezel: rounded ring with a knurled outer band
    u = (r - 36.5) / 6.5
    z_bez = 9.0 * np.sqrt(np.clip(1.0 - u * u, 0.0, 1.0))
    knurl = (r > 38.5) & (r < R_b)
    z_bez = z_bez + np.where(knurl, 0.6 * np.cos(phi * 48), 0.0)
    # faceted jewel: intersection of planes (table, two rings of facets)
    planes = [np.full(r.shape, 17.0, np.float32)]
    ids = []
    for n, c, s, off in ((10, 19.3, 0.30, 0.0), (20, 28.5, 0.75, np.pi / 20)):
        for k in range(n):
            a = 2 * np.pi * k / n + off
            planes.append(c - s * (x * np.sin(a) - y * np.cos(a)))
    P = np.stack(planes)
    facet = np.argmin(P, axis=0)
    z_j = np.min(P, axis=0)
    jewel = r < R_j
    z = np.where(jewel, z_j, np.where(r < R_b, z_bez, 0.0))
    alpha = (r < R_b).astype(np.float32)
    rng = np.random.default_rng(7)
    sparkle = rng.uniform(0.0, 1.0, P.shape[0]).astype(np.float32)[facet]
    frames = []
    for lit in (False, True):
        alb = np.broadcast_to(CHROME, r.shape + (3,)).copy()
        if lit:
            glass = A.rgb(0.95, 0.30, 0.05) * (0.75 + 0.5 * sparkle)[..., None]
            core = A.rgb(1.0, 0.85, 0.45) * (1.1 * np.exp(-(r / 11.0) ** 2))[..., None]
            emis = np.where(jewel[..., None], glass + core, 0.0)
            # bezel catches the red light
            spill = np.where((~jewel)[..., None], A.rgb(0.55, 0.16, 0.03) *
                             np.exp(-np.maximum(r - R_j, 0) / 4.0)[..., None], 0.0)
            emis = emis + spill
            jalb = A.rgb(0.35, 0.05, 0.02)
        else:
            emis = np.where(jewel[..., None], A.rgb(0.09, 0.008, 0.004) *
                            (0.5 + 1.0 * sparkle)[..., None], 0.0)
            jalb = A.rgb(0.12, 0.015, 0.01)
        alb = np.where(jewel[..., None], jalb, alb * 0.35)
        kenv = np.where(jewel, 0.35, 0.95).astype(np.float32)
        ks = np.where(jewel, 0.9, 0.9).astype(np.float32)
        ao = 0.55 + 0.45 * A.smoothstep(0.0, 8.0, z)
        col = A.shade(z, stx, sty, alb, ks=ks, shininess=150.0, kenv=kenv, ao=ao, emission=emis)
        rgb, a = A.resolve(col, alpha, ss)
        a1 = A.downsample(alpha, ss)
        sh = np.maximum(A.drop_shadow(a1, 5, 6, 4.0, 0.55), A.drop_shadow(a1, 1, 1, 1.2, 0.5))
        sh = sh * A.edge_fade(img_h, img_w, 6.0)
        if lit:
            # glow halo around the lamp, laid under the lamp as warm light
            rr = np.sqrt(A.downsample(x, ss) ** 2 + A.downsample(y, ss) ** 2)
            halo = A.clamp01(0.85 * np.exp(-np.maximum(rr - R_b + 4, 0) / 8.0)) * (rr > R_b - 6)
            halo = halo * A.edge_fade(img_h, img_w, 10.0)
            halo_rgb = np.broadcast_to(A.rgb(1.0, 0.45, 0.12), rgb.shape)
            g_rgb, g_a = A.over(halo_rgb, halo * 0.55, np.zeros_like(rgb), sh * (1 - halo))
            rgb, a = A.over(rgb, a, g_rgb, g_a)
        else:
            rgb, a = A.over(rgb, a, np.zeros_like(rgb), sh)
        frames.append((rgb, a))
    return frames


# ----------------------------------------------------------------------------- strips

def knob_strip(name, log=print):
    img_w, img_h, frames, b = L.CONTROLS[name]
    disp_w, disp_h = 2 * b[2], 2 * b[3]
    out = []
    if frames == 3:
        k = PointerKnob(img_w, img_h, disp_w, disp_h)
        for ang in L.SELECTOR_ANGLES:
            out.append(k.frame(ang))
    else:
        big = img_h >= 200
        radius = 0.357 * min(disp_w, disp_h) * (1.0 if big else 0.98)
        k = RoundKnob(img_w, img_h, disp_w, disp_h, radius, flutes=36 if big else 30, cap=big)
        for f in range(frames):
            out.append(k.frame(L.knob_angle(f, frames)))
            if log and f % 32 == 0:
                log("  %s frame %d" % (name, f))
    return out


def stack(frames):
    rgb = np.concatenate([f[0] for f in frames], axis=0)
    a = np.concatenate([f[1] for f in frames], axis=0)
    return rgb, a
