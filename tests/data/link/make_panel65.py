#!/usr/bin/env python3
"""Writes panel65-t6.msi: a synthetic 65-degree sector panel antenna with a
main lobe tilted 6 degrees down, in the Planet (.msi) text format as antenna
makers publish it. No maker's data is used; the pattern is this formula:

Horizontal cut (azimuth phi from boresight, clockwise, -180..180):
    H(phi) = min(12 (phi / 65)^2, 25) dB
    (the parabolic sector model: 3 dB at +-32.5 degrees, 65 degrees between
    the half-power points, 25 dB front-to-back ratio).

Vertical cut (Planet angle v: 0 horizon ahead, 90 straight down, 180 behind,
270 straight up; d = v taken into -180..180, so d > 0 is below the horizon):
    element   E(d) = min(12 (d / 65)^2, 25) dB  (the same panel element in its
              vertical plane, rotationally symmetric about boresight)
    column    8 radiators 0.9 wavelengths apart, phased for 6 degrees downtilt:
              psi = 2 pi 0.9 (sin d - sin 6 deg),
              AF = |sin(8 psi / 2) / (8 sin(psi / 2))|  (1 where psi = 0),
              A(d) = -20 log10 max(AF, 10^(-60/20)) dB
    V(v) = min(E(d) + A(d) - min over v of (E + A), 45) dB
    so that the peak (0 dB) is at v = 6, with the column's nulls and upper
    and lower side lobes, and the far lobes capped at 45 dB as makers do.

Both cuts are written at 1-degree steps with two decimals. H_WIDTH and
V_WIDTH are the half-power widths of the cuts as written (linear between
listed angles); GAIN 17.5 dBi is a typical figure for such a panel.

Run from this folder: python3 make_panel65.py  (rewrites panel65-t6.msi)
"""
import math

TILT_DEG = 6.0
ELEMENTS = 8
SPACING_WAVELENGTHS = 0.9


def sector(angle_deg):
    return min(12.0 * (angle_deg / 65.0) ** 2, 25.0)


def signed(v):
    return v - 360.0 if v > 180.0 else v


def column_db(d_deg):
    psi = 2.0 * math.pi * SPACING_WAVELENGTHS * (math.sin(math.radians(d_deg)) - math.sin(math.radians(TILT_DEG)))
    den = ELEMENTS * math.sin(psi / 2.0)
    af = 1.0 if abs(den) < 1e-12 else abs(math.sin(ELEMENTS * psi / 2.0) / den)
    return -20.0 * math.log10(max(af, 10.0 ** (-60.0 / 20.0)))


def half_power_width(values):
    """Width (degrees) between the -3 dB crossings either side of the minimum."""
    n = len(values)
    peak = min(range(n), key=lambda i: values[i])

    def crossing(step):
        i = peak
        while values[i % n] < 3.0:
            j = i + step
            if values[j % n] >= 3.0:
                a, b = values[i % n], values[j % n]
                return i + step * (3.0 - a) / (b - a)
            i = j
        return float(i)

    return crossing(1) - crossing(-1)


def main():
    horizontal = [round(sector(signed(a)), 2) for a in range(360)]
    raw = [sector(signed(v)) + column_db(signed(v)) for v in range(360)]
    floor = min(raw)
    vertical = [round(min(r - floor, 45.0), 2) for r in raw]
    lines = [
        "NAME TV-PANEL-65-17.5-T6",
        "MAKE Tarnvale synthetic test antenna",
        "FREQUENCY 1800",
        "H_WIDTH %.1f" % half_power_width(horizontal),
        "V_WIDTH %.1f" % half_power_width(vertical),
        "FRONT_TO_BACK 25",
        "GAIN 17.5 dBi",
        "TILT ELECTRICAL",
        "ELECTRICAL_TILT 6",
        "POLARIZATION +45",
        "COMMENT 65 deg panel, 8-element column, 6 deg electrical downtilt; made by make_panel65.py",
        "HORIZONTAL 360",
    ]
    lines += ["%d %.2f" % (a, h) for a, h in enumerate(horizontal)]
    lines.append("VERTICAL 360")
    lines += ["%d %.2f" % (v, x) for v, x in enumerate(vertical)]
    with open("panel65-t6.msi", "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
