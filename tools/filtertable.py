#!/usr/bin/env python3
"""Prints the expected fixed 8.24 coefficients of tests/test_dsp.cpp's designTable.

Worked out here, apart from the C++ designers, from the filter formulas with IEEE doubles
in the same order of operations; run it once and paste its rows when a design changes.
"""
from math import cos, log10, sin, sinh, sqrt, tan

RATE, TWO_PI = 192000.0, 6.283185307179586
UNITY = (0.0, 0.0, 1.0, 0.0, 0.0)  # a1, a2, b0, b1, b2


def fixed(v):  # truncating, saturating 8.24
    s = v * 16777216.0
    return 2147483647 if s > 2147483647.0 else -2147483648 if not s >= -2147483648.0 else int(s)


def second(s, c, d, hp):
    alpha = s / d
    a0 = 1.0 + alpha
    a1, a2 = 2.0 * c / a0, -(1.0 - alpha) / a0
    if hp:
        b0 = (1.0 + c) / a0 * 0.5
        return a1, a2, b0, -(1.0 + c) / a0, b0
    lo = (1.0 - c) / a0
    return a1, a2, 0.5 * lo, lo, 0.5 * lo


def first(s, c, hp, negated):
    d = s + c + 1.0
    a1 = -(s - c - 1.0) / d
    if not hp:
        return a1, 0.0, s / d, s / d, 0.0
    sign = -1.0 if negated else 1.0
    return a1, 0.0, sign * ((1.0 + c) / d), -sign * ((1.0 + c) / d), 0.0


def chebyshev(w, hp):
    k = 1.0 / tan(w * 0.5) if hp else tan(w * 0.5)
    eps = sqrt(10.0 ** 0.30000000000000004 - 1.0)
    sigma = sinh(log10(1.0 / (eps * eps) + 1.0 / eps + 1.0)) * k
    g = sqrt(1.0 / (eps * eps + 1.0))
    p = (k * 0.7071067811865476) ** 2
    e = p + sigma * sigma
    a0 = 1.0 - (2.0 * sigma) * -0.7071067811865475 + sigma * sigma + p
    v = (2.0 * sigma) * -0.7071067811865475 + 1.0 + sigma * sigma + p
    b0 = e / a0 * g
    return ((e - 1.0) * (2.0 if hp else -2.0) / a0, -v / a0, b0,
            e / a0 * (-2.0 * g) if hp else b0 + b0, b0)


def scaled(f, m, d, hp):
    w = m * (f * TWO_PI) / RATE
    return second(sin(w), cos(w), d, hp)


def xover(t, hp, f):
    w = f * TWO_PI / RATE
    s, c = sin(w), cos(w)
    bw = 1.414213562373095
    two = {1: lambda: (first(s, c, hp, False), UNITY),
           2: lambda: (second(s, c, bw, hp), UNITY),
           3: lambda: (second(s, c, 2.0000000000000004, hp), first(s, c, hp, True)),
           4: lambda: (second(s, c, 2.613125929752753, hp), second(s, c, 1.082392200292394, hp)),
           5: lambda: (first(s, c, hp, True),) * 2,
           6: lambda: (second(s, c, bw, hp),) * 2,
           7: lambda: (chebyshev(w, hp), UNITY),
           8: lambda: (scaled(f, 1.677682 if hp else 0.595145, 1.4126, hp),
                       scaled(f, 0.971365 if hp else 1.0278982, 5.9034, hp)),
           9: lambda: (second(s, c, 1.1547005383792517, hp), UNITY),
           10: lambda: (second(s, c, 1.1547005383792517, hp),) * 2}[t]()
    return two[0] + two[1]


def peq(t, f, gain, q):
    w = f * TWO_PI / RATE
    s, c = sin(w), cos(w)
    a = 10.0 ** (gain / 40.0)
    if t in (1, 2, 8):
        tt = 1.0 / a + a
        slope = tt / (1.0 / (q * q) + tt + -2.0)
        beta = 2.0 * sqrt(a) * (sqrt((1.0 / slope - 1.0) * tt + 2.0) * (s * 0.5))
        if t == 2:
            a0 = (a + 1.0) - (a - 1.0) * c + beta
            return (-2.0 * ((a - 1.0) - (a + 1.0) * c) / a0,
                    -((a + 1.0) - (a - 1.0) * c - beta) / a0,
                    a * ((a + 1.0) + (a - 1.0) * c + beta) / a0,
                    -2.0 * a * ((a - 1.0) + (a + 1.0) * c) / a0,
                    a * ((a + 1.0) + (a - 1.0) * c - beta) / a0)
        a0 = (a + 1.0) + (a - 1.0) * c + beta
        return (2.0 * ((a + 1.0) * c + (a - 1.0)) / a0,
                -((a + 1.0) + (a - 1.0) * c - beta) / a0,
                a * ((a + 1.0) - (a - 1.0) * c + beta) / a0,
                2.0 * a * ((a - 1.0) - (a + 1.0) * c) / a0,
                a * ((a + 1.0) - (a - 1.0) * c - beta) / a0)
    if t == 3:
        alpha = s / (q + q)
        a0 = 1.0 + alpha / a
        return (2.0 * c / a0, -(1.0 - alpha / a) / a0, (1.0 + alpha * a) / a0, -2.0 * c / a0,
                (1.0 - alpha * a) / a0)
    if t == 4:
        p = 2.718 ** -w
        return p, 0.0, -p, 1.0, 0.0
    if t == 5:
        alpha = s / (q + q)
        a0 = 1.0 + alpha
        return 2.0 * c / a0, -(1.0 - alpha) / a0, (1.0 - alpha) / a0, -2.0 * c / a0, a0 / a0
    return second(s, c, 1.414213562373095, t == 7)  # LP12, HP12


def row(design, values):
    print("{wire(%s), {%s}}," % (design, ", ".join(str(fixed(v)) for v in values)))


XOVER = ["BW_6", "BW_12", "BW_18", "BW_24", "LR_12", "LR_24", "CH_12", "CH_24", "BS_12", "BS_24"]
PEQ = ["LOW_SHELF", "HIGH_SHELF", "PEAK", "AP", "AP2", "LP12", "HP12", "SUBWOOFER"]
for t, name in enumerate(XOVER, 1):
    for hp, f in ((False, 3000.0), (True, 90.0)):
        row("XoverParams{XoverType::%s, %s, %r}" % (name, str(hp).lower(), f), xover(t, hp, f))
for t, name in enumerate(PEQ, 1):
    for f, gain, q in ((60.0, 4.5, 0.7), (5000.0, -9.0, 2.5)):
        row("PEQParams{PEQType::%s, %r, %r, %r}" % (name, f, gain, q), peq(t, f, gain, q))
