#!/usr/bin/env python3
"""Writes product/dsp/OstrelMkIITubeTables.cpp, the five tube transfer curves of the engine.

Each curve has 2048 samples at equally spaced drive values 0..1 (sample position p = 0..2047).
Only some samples are fixed: every 256th one (10 significant digits), the first, middle (1023) and
last ones (13 significant digits) and, for three curves, the quiescent point implied by the engine's
reset state. The samples in between come from a plate-curve model of the stage:

  * audio triodes 1 and 2: a triode (Koren's plate-current law) with a plate load from a 205 V
    supply and an unbypassed cathode resistor; both stages share the tube and the load and differ
    only in the cathode resistor;
  * side-chain triodes: the same law, 275 V supply, cathode bypassed (the engine models it);
  * side-chain pentode: Koren's pentode law with a fixed screen, 275 V supply;
  * driver: a cathode follower of a low-mu triode into a nearly constant-current load.

The model parameters were fitted once by least squares to the fixed samples (see README.md). The
models miss the fixed samples by up to about 0.5 V, so the generator adds a smooth correction: at
each fixed sample it takes the difference between the wanted and the model value, in log(supply -
plate voltage) for the falling curves (the log of the voltage across the plate load, where the
cut-off tail is a straight line) and in volts for the driver, and interpolates those differences
with a natural cubic spline. The curve then passes through every fixed sample, stays as smooth as
the model (twice continuously differentiable) and keeps its shape between them. The script checks
the result (fixed samples, quiescent points, strict monotonicity, a single inflection) and stops with
an error if a check fails.

Usage: generate_tube_tables.py [--output FILE] [--report]
Standard library only.
"""

import argparse
import math
import os
import sys

SAMPLES = 2048
LAST = SAMPLES - 1

# Every 256th sample (position 2047 for the last), rounded to 10 significant digits.
ROW_POSITIONS = [0, 256, 512, 768, 1024, 1280, 1536, 1792, 2047]

TABLES = [
    {
        "name": "OstrelmkIIAUDIOTRIODE1",
        "scale": "0.0555555556",
        "falling": True,
        "rows": [205, 204.9999995, 204.9948993, 191.6858578, 102.3988554, 11.61171998, 4.596530702,
                 3.541103155, 3.254668874],
        "precise": ["204.9999999999", "102.8240158788", "3.254668874"],
    },
    {
        "name": "OstrelmkIIAUDIOTRIODE2",
        "scale": "0.0555555556",
        "falling": True,
        "rows": [205, 204.9999995, 204.9948999, 193.2407275, 123.6200884, 36.9577875, 7.11718627,
                 4.779177589, 4.012262559],
        "precise": ["204.9999999999", "123.9429019884", "4.0122625588"],
    },
    {
        "name": "OstrelmkIIAUDIODRIVERWCF",
        "scale": "0.0036363636",
        "falling": False,
        "rows": [10.24348492, 42.7097377, 75.24557539, 107.8492099, 140.5294797, 173.2954194,
                 206.1442357, 238.9548421, 267.8108308],
        "precise": ["10.2434849184", "140.4016606033", "267.8108308309"],
    },
    {
        "name": "OstrelmkIISCTRIODES",
        "scale": "0.0714285714",
        "falling": True,
        "rows": [274.9992063, 274.8375639, 259.6758291, 174.4353063, 39.80290106, 4.145115959,
                 2.153345524, 1.500215278, 1.250436775],
        "precise": ["274.9992063088", "40.350591701", "1.2504367753"],
    },
    {
        "name": "OstrelmkIISCPENTODE",
        "scale": "0.025",
        "falling": True,
        "rows": [274.9998739, 274.9811613, 272.2801804, 128.1490936, 10.37461734, 4.833615235,
                 3.062363771, 2.200698737, 1.698570036],
        "precise": ["274.9998738601", "10.4194841027", "1.698570036"],
    },
]


def quiescent_points():
    """Operating points the engine starts from; the tables must hold them still with no signal.

    Each is (table, drive position, curve value). The drive position is 2047 * u, u being the
    table input at rest, computed as the engine does it (with the input scale of element 0).
    """
    scale = {table["name"]: float(table["scale"]) for table in TABLES}
    points = {}
    # Driver stage: with no signal its output z feeds its own input, so the reset value of z is
    # the fixed point z = T(z * scale).
    z = 201.6684667897521
    name = "OstrelmkIIAUDIODRIVERWCF"
    points[name] = (LAST * (z * scale[name]), z)
    # Side-chain triode: grid at 0, cathode a; at rest a = (275 - e) / 220 with
    # e = T((0 - a) * scale + 0.5).
    a = 0.7764993257808589
    name = "OstrelmkIISCTRIODES"
    points[name] = (LAST * ((0.0 - a) * scale[name] + 0.5), 275.0 - 220.0 * a)
    # Side-chain pentode: the emphasis filter passes no DC, so its grid is at 0; the cathode P at
    # rest is (275 - q) * 0.047 with q = T((0 - P) * scale + 0.5).
    cathode = 5.449111552911088
    name = "OstrelmkIISCPENTODE"
    points[name] = (LAST * ((0.0 - cathode) * scale[name] + 0.5), 275.0 - cathode / 0.047)
    return points


# ----------------------------------------------------------------------------------------------
# Plate-curve models. Each returns, for a drive position p (0..2047, fractional allowed), the
# model's value in the domain the correction works in: log of the plate-load voltage for the
# falling curves, output volts for the driver.


def softplus(x):
    return x + math.log1p(math.exp(-x)) if x > 0.0 else math.log1p(math.exp(x))


def solve_decreasing(f, lo, hi):
    """Root of a decreasing function f on [lo, hi] by bisection, to the last bit."""
    if f(lo) < 0.0 or f(hi) > 0.0:
        raise ValueError("root not bracketed")
    while True:
        mid = 0.5 * (lo + hi)
        if mid <= lo or mid >= hi:
            return mid
        if f(mid) > 0.0:
            lo = mid
        else:
            hi = mid


class TriodeStage:
    """Grid-driven triode with plate load and cathode resistor.

    Koren's law gives the plate current from the plate-cathode and grid-cathode voltages:
    E1 = Vpk / kp * softplus(kp * (1 / mu + Vgk / sqrt(kvb + Vpk^2))), I = E1^ex / kg1. With the
    voltage across the plate load V = Rl * I, the cathode at r * V (r = Rk / Rl) and g = Rl / kg1:
    V = g * E1^ex with Vpk = B - (1 + r) * V and Vgk = vg - r * V. The plate voltage is B - V.
    """

    def __init__(self, supply, grid_span, mu, kp, kvb, ex, g, r):
        self.supply, self.grid_span = supply, grid_span
        self.mu, self.kp, self.kvb, self.ex, self.g, self.r = mu, kp, kvb, ex, g, r

    def load_voltage_log(self, p):
        vg = (p / LAST - 0.5) * self.grid_span
        B, mu, kp, kvb, ex, g, r = self.supply, self.mu, self.kp, self.kvb, self.ex, self.g, self.r

        def excess(log_v):
            v = math.exp(log_v)
            vpk = B - (1.0 + r) * v
            vgk = vg - r * v
            e1 = vpk / kp * softplus(kp * (1.0 / mu + vgk / math.sqrt(kvb + vpk * vpk)))
            return math.log(g) + ex * math.log(e1) - log_v

        return solve_decreasing(excess, -80.0, math.log(B / (1.0 + r)) - 1e-12)


class PentodeStage:
    """Pentode with fixed screen voltage and plate load.

    Koren's pentode law: E1 = softplus(c0 + c1 * vg) / c1, I = E1^ex * atan(Vp / kvb) / kg1. With
    the load voltage V = Rl * I and g = Rl / kg1: V = g * E1^ex * atan((B - V) / kvb).
    """

    def __init__(self, supply, grid_span, c0, c1, ex, g, kvb):
        self.supply, self.grid_span = supply, grid_span
        self.c0, self.c1, self.ex, self.g, self.kvb = c0, c1, ex, g, kvb

    def load_voltage_log(self, p):
        vg = (p / LAST - 0.5) * self.grid_span
        B = self.supply
        drive = math.log(self.g) + self.ex * math.log(softplus(self.c0 + self.c1 * vg) / self.c1)

        def excess(log_v):
            v = math.exp(log_v)
            return drive + math.log(math.atan((B - v) / self.kvb)) - log_v

        return solve_decreasing(excess, -80.0, math.log(B) - 1e-12)


class CathodeFollower:
    """Triode cathode follower into a nearly constant-current load.

    The grid is driven from 0 to input_span volts (p = 0..2047); the plate sits at Bp; the load
    draws a current that rises slightly with the cathode voltage Vk: E1(Bp - Vk, vg - Vk) =
    e0 * (1 + s * Vk), with E1 as in TriodeStage. The output is Vk.
    """

    def __init__(self, input_span, mu, kp, kvb, plate, e0, s):
        self.input_span = input_span
        self.mu, self.kp, self.kvb, self.plate, self.e0, self.s = mu, kp, kvb, plate, e0, s

    def output(self, p):
        vg = p / LAST * self.input_span
        mu, kp, kvb, Bp = self.mu, self.kp, self.kvb, self.plate

        def excess(vk):
            vpk = Bp - vk
            e1 = vpk / kp * softplus(kp * (1.0 / mu + (vg - vk) / math.sqrt(kvb + vpk * vpk)))
            return e1 - self.e0 * (1.0 + self.s * vk)

        return solve_decreasing(excess, -100.0, Bp)


# The audio triodes share tube and plate load; only the cathode resistor differs.
_AUDIO_TRIODE = dict(supply=205.0, grid_span=18.0, mu=102.26459, kp=661.26291, kvb=450.98512,
                     ex=1.265305, g=535.11999)

MODELS = {
    "OstrelmkIIAUDIOTRIODE1": TriodeStage(r=0.0075284807, **_AUDIO_TRIODE),
    "OstrelmkIIAUDIOTRIODE2": TriodeStage(r=0.012995784, **_AUDIO_TRIODE),
    "OstrelmkIIAUDIODRIVERWCF": CathodeFollower(input_span=275.0, mu=24.020311, kp=74.524154,
                                                kvb=248.35865, plate=274.67005, e0=2.8618769,
                                                s=0.000382),
    "OstrelmkIISCTRIODES": TriodeStage(supply=275.0, grid_span=14.0, mu=97.959831, kp=599.14212,
                                       kvb=302.42283, ex=1.4013769, g=821.49551, r=0.0),
    "OstrelmkIISCPENTODE": PentodeStage(supply=275.0, grid_span=40.0, c0=5.2077078,
                                        c1=0.80716932, ex=1.24, g=49.758256, kvb=17.9),
}


# ----------------------------------------------------------------------------------------------
# Correction spline and curve assembly.


def natural_spline(xs, ys):
    """Natural cubic spline through (xs, ys); returns an evaluator."""
    n = len(xs)
    h = [xs[i + 1] - xs[i] for i in range(n - 1)]
    # Second derivatives m[i], m[0] = m[n-1] = 0: tridiagonal system for the inner ones.
    lower, diag, upper, rhs = [0.0] * n, [1.0] * n, [0.0] * n, [0.0] * n
    for i in range(1, n - 1):
        lower[i], diag[i], upper[i] = h[i - 1], 2.0 * (h[i - 1] + h[i]), h[i]
        rhs[i] = 6.0 * ((ys[i + 1] - ys[i]) / h[i] - (ys[i] - ys[i - 1]) / h[i - 1])
    for i in range(1, n):
        w = lower[i] / diag[i - 1]
        diag[i] -= w * upper[i - 1]
        rhs[i] -= w * rhs[i - 1]
    m = [0.0] * n
    for i in range(n - 2, 0, -1):
        m[i] = (rhs[i] - upper[i] * m[i + 1]) / diag[i]

    def evaluate(x):
        i = 0
        while i < n - 2 and x > xs[i + 1]:
            i += 1
        t = x - xs[i]
        u = xs[i + 1] - x
        return ((m[i] * u ** 3 + m[i + 1] * t ** 3) / (6.0 * h[i])
                + (ys[i] / h[i] - m[i] * h[i] / 6.0) * u + (ys[i + 1] / h[i] - m[i + 1] * h[i] / 6.0) * t)

    return evaluate


def lookup(curve, p):
    """The engine's table read at drive position p: linear between neighbouring samples."""
    i = min(int(p), LAST - 1)
    return curve[i] + (curve[i + 1] - curve[i]) * (p - i)


def fixed_points(table, quiescent):
    """Sorted (position, value) pairs the curve must pass through."""
    points = dict(zip(ROW_POSITIONS, [float(v) for v in table["rows"]]))
    first, middle, last = (float(v) for v in table["precise"])
    points[0], points[1023], points[LAST] = first, middle, last
    if table["name"] in quiescent:
        position, value = quiescent[table["name"]]
        points[position] = value
    return sorted(points.items())


def build_curve(table, quiescent):
    name = table["name"]
    model = MODELS[name]
    falling = table["falling"]
    supply = model.supply if falling else None

    def to_domain(v):
        return math.log(supply - v) if falling else v

    def from_domain(w):
        return supply - math.exp(w) if falling else w

    model_at = model.load_voltage_log if falling else model.output
    points = fixed_points(table, quiescent)
    positions = [p for p, _ in points]
    base = [model_at(p) for p in positions]
    grid_model = [model_at(float(j)) for j in range(SAMPLES)]
    targets = [to_domain(v) for _, v in points]

    # The quiescent point is not on the grid: the engine interpolates linearly between two
    # samples, so its target is nudged until that interpolation lands on the wanted value.
    q = quiescent.get(name)
    for _ in range(20):
        spline = natural_spline(positions, [t - b for t, b in zip(targets, base)])
        curve = [from_domain(grid_model[j] + spline(float(j))) for j in range(SAMPLES)]
        if q is None:
            break
        k = positions.index(q[0])
        miss = to_domain(q[1]) - to_domain(lookup(curve, q[0]))
        if abs(miss) < 1e-15:
            break
        targets[k] += miss
    residuals = [from_domain(t) - from_domain(b) for t, b in zip(targets, base)]
    return curve, points, residuals


# ----------------------------------------------------------------------------------------------
# Checks and output.


def round_significant(x, digits):
    return float("%.*g" % (digits, x))


def check_curve(table, curve, quiescent):
    problems = []
    name = table["name"]
    for j, value in zip(ROW_POSITIONS, table["rows"]):
        if round_significant(curve[j], 10) != round_significant(float(value), 10):
            problems.append("%s: sample %d is %.17g, wanted %s" % (name, j, curve[j], value))
    for j, text in zip((0, 1023, LAST), table["precise"]):
        digits = len(text.replace(".", "").lstrip("0"))
        if round_significant(curve[j], digits) != float(text):
            problems.append("%s: sample %d is %.17g, wanted %s" % (name, j, curve[j], text))
    for j in range(LAST):
        rising = curve[j + 1] > curve[j]
        if rising == table["falling"] or curve[j + 1] == curve[j]:
            problems.append("%s: not strictly monotone at samples %d, %d" % (name, j, j + 1))
            break
    # A plate curve bends one way below its working region and the other way above it; more
    # inflections would be ripple from the interpolation. Second differences below 1e-12 V are
    # rounding noise of the flat cut-off tails.
    bends = [curve[j + 1] - 2.0 * curve[j] + curve[j - 1] for j in range(1, LAST)]
    signs = [b > 0.0 for b in bends if abs(b) > 1e-12]
    inflections = sum(1 for a, b in zip(signs, signs[1:]) if a != b)
    if inflections > 1:
        problems.append("%s: %d inflections, expected one" % (name, inflections))
    if name in quiescent:
        position, value = quiescent[name]
        got = lookup(curve, position)
        if abs(got - value) > 1e-12 * abs(value):
            problems.append("%s: quiescent point %.17g, wanted %.17g" % (name, got, value))
    return problems


def render(curves):
    tool = "tools/tube_tables/" + os.path.basename(__file__)
    lines = [
        "// Generated by %s; do not edit by hand, run the script instead." % tool,
        "// Tube transfer curves: element 0 is the input scale, elements 1..2048 the plate (or, for the",
        "// driver, cathode) voltage at 2048 equally spaced drive values.",
        "",
        '#include "OstrelMkIITubeTables.h"',
        "",
        "namespace QVA",
        "{",
        "// clang-format off",
    ]
    per_line = 4
    for table, curve in curves:
        lines.append("const double %s[tubeTableLength] = {" % table["name"])
        lines.append("    %s, // input scale" % table["scale"])
        values = ["%.17g" % v for v in curve]
        for start in range(0, SAMPLES, per_line):
            chunk = values[start:start + per_line]
            tail = "," if start + per_line < SAMPLES else ""
            lines.append("    " + ", ".join(chunk) + tail)
        lines.append("};")
        lines.append("")
    lines[-1] = "// clang-format on"
    lines.append("} // namespace QVA")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_output = os.path.normpath(os.path.join(here, "..", "..", "product", "dsp",
                                                   "OstrelMkIITubeTables.cpp"))
    parser = argparse.ArgumentParser(description="Generate the tube transfer tables.")
    parser.add_argument("--output", default=default_output, help="file to write")
    parser.add_argument("--report", action="store_true",
                        help="print how far each model is from the fixed samples")
    args = parser.parse_args()

    quiescent = quiescent_points()
    curves, problems = [], []
    for table in TABLES:
        curve, points, residuals = build_curve(table, quiescent)
        problems += check_curve(table, curve, quiescent)
        curves.append((table, curve))
        if args.report:
            print("%s: model minus fixed samples (V)" % table["name"])
            for (p, v), d in zip(points, residuals):
                print("  %10.4f  %18.13g  %+.3e" % (p, v, -d))
    if problems:
        for problem in problems:
            print("error: " + problem, file=sys.stderr)
        return 1
    with open(args.output, "w", newline="\n") as out:
        out.write(render(curves))
    print("wrote %s" % args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
