#!/usr/bin/env python3
"""Regenerates the example coordinate files in this folder.

Each file: the count of identical points; per point a line with number and
target X Y Z and a line with source X Y Z; the count of detail points; one
line per detail point (number, source X Y Z). Text after the last number of
a line is ignored by the reader, so the counts carry a short remark.
The noise is seeded: running the script again gives the same files.
"""
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))


def rotation(omega, phi, kappa):
    """R = Ry(phi) * Rx(omega) * Rz(kappa)."""
    co, so = math.cos(omega), math.sin(omega)
    cp, sp = math.cos(phi), math.sin(phi)
    ck, sk = math.cos(kappa), math.sin(kappa)
    rx = [[1, 0, 0], [0, co, -so], [0, so, co]]
    ry = [[cp, 0, sp], [0, 1, 0], [-sp, 0, cp]]
    rz = [[ck, -sk, 0], [sk, ck, 0], [0, 0, 1]]
    return mul(ry, mul(rx, rz))


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(3)) for j in range(3)] for i in range(3)]


def apply(t, m, p):
    return [t[i] + sum(m[i][k] * p[k] for k in range(3)) for i in range(3)]


def fmt(v):
    return f"{v:.3f}"


def write(name, identical, detail, remarks):
    path = os.path.join(HERE, name)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(f"{len(identical)}   {remarks[0]}\n")
        for number, target, source in identical:
            f.write(f"{number} {' '.join(fmt(v) for v in target)}\n")
            f.write(f"{' '.join(fmt(v) for v in source)}\n")
        f.write(f"{len(detail)}   {remarks[1]}\n")
        for number, source in detail:
            f.write(f"{number} {' '.join(fmt(v) for v in source)}\n")


def noisy(rng, p, sxy, sz):
    return [p[0] + rng.gauss(0, sxy), p[1] + rng.gauss(0, sxy), p[2] + rng.gauss(0, sz)]


def local_site():
    """Total-station setup coordinates tied to the site grid of a building plot."""
    rng = random.Random(11)
    m = [[1.000012 * v for v in row] for row in rotation(0.00004, -0.00003, math.radians(37.25))]
    t = [5312.406, 2087.915, 100.000]
    identical = []
    for k, (x, y, z) in enumerate([(12.4, 8.7, 1.52), (86.3, 4.1, 1.18), (94.8, 71.6, 2.05),
                                   (41.2, 98.3, 2.77), (3.9, 62.5, 1.94), (55.0, 47.2, 0.63)]):
        source = [x, y, z]
        target = noisy(rng, apply(t, m, source), 0.003, 0.004)
        identical.append((501 + k, target, source))
    detail = []
    for k in range(12):
        source = [rng.uniform(10, 90), rng.uniform(10, 90), rng.uniform(0.2, 3.5)]
        detail.append((1001 + k, source))
    write("local_site_similarity.txt", identical, detail,
          ["identické body: stavební síť / stanovisko", "podrobné body"])


def national_grid():
    """A local network tied to national-grid coordinates; point 3107 is blundered."""
    rng = random.Random(23)
    m = [[0.999978 * v for v in row] for row in rotation(0.00011, -0.00007, math.radians(-4.61))]
    t = [1043218.730, 742615.220, 212.480]
    plan = [(3101, 512.3, 430.8, 28.41), (3102, 1810.6, 210.4, 55.87), (3103, 2975.1, 640.2, 71.02),
            (3104, 3120.7, 1922.5, 96.55), (3105, 2204.9, 2850.3, 120.73), (3106, 860.4, 2611.8, 83.19),
            (3107, 1500.2, 1420.6, 64.08), (3108, 2480.5, 1505.9, 88.64), (3109, 210.8, 1640.1, 47.36),
            (3110, 3340.2, 2980.7, 131.92)]
    identical = []
    for number, x, y, z in plan:
        source = [x, y, z]
        target = noisy(rng, apply(t, m, source), 0.008, 0.012)
        if number == 3107:
            target[0] += 0.154  # a wrong target coordinate: the diagnostics must find it
        identical.append((number, target, source))
    detail = []
    for k in range(14):
        source = [rng.uniform(300, 3200), rng.uniform(300, 2900), rng.uniform(30, 125)]
        detail.append((4201 + k, source))
    write("national_grid_blunder.txt", identical, detail,
          ["identické body: státní síť / místní síť", "podrobné body"])


def affine_model():
    """Photogrammetric model coordinates (unequal axis scales, shear) tied to ground control."""
    rng = random.Random(37)
    m = [[24.9916, -0.3871, 0.0124],
         [0.3902, 25.0105, -0.0207],
         [-0.0088, 0.0163, 25.1340]]
    t = [1096512.430, 687230.115, 318.250]
    plan = [(-8.2, -6.1, 0.41), (7.9, -5.8, 0.88), (8.4, 6.3, 1.52), (-7.6, 6.0, 0.97),
            (0.3, -0.2, 1.11), (-3.9, 2.8, 0.62), (4.1, -3.3, 1.34), (0.5, 7.4, 2.05)]
    identical = []
    for k, (x, y, z) in enumerate(plan):
        source = [x, y, z]
        target = noisy(rng, apply(t, m, source), 0.020, 0.030)
        identical.append((71 + k, target, source))
    detail = []
    for k in range(10):
        source = [rng.uniform(-7, 7), rng.uniform(-5, 5), rng.uniform(0.3, 2.0)]
        detail.append((801 + k, source))
    write("affine_photogrammetry.txt", identical, detail,
          ["vlícovací body: státní síť / modelové souřadnice", "podrobné body"])


if __name__ == "__main__":
    local_site()
    national_grid()
    affine_model()
