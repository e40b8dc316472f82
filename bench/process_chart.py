#!/usr/bin/python3
"""Draws the output of bench/process_bench.py as an SVG chart: time per MB of
`lumivant diff` and `lumivant highlight` processes and of Gumbo's parse of
the same bytes, over the size of the page (both axes logarithmic).

usage: bench/process_chart.py BENCH.tsv OUT.svg
"""
import csv
import math
import sys

WIDTH, HEIGHT = 720, 420
LEFT, RIGHT, TOP, BOTTOM = 70, 170, 30, 50
SERIES = [  # label, colour, shape, rows it takes, column
    ("lumivant diff --json", "#d62728", "circle", ("diff", "diff-generated"), "lumivant_s"),
    ("lumivant highlight --json", "#1f77b4", "square",
     ("highlight", "highlight-generated"), "lumivant_s"),
    ("Gumbo parse only", "#555555", "cross",
     ("diff", "diff-generated", "highlight", "highlight-generated"), "gumbo_s"),
]


def decades(low, high):
    return list(range(math.floor(math.log10(low)), math.ceil(math.log10(high)) + 1))


def size_label(exponent):
    value = 10.0 ** exponent
    if value >= 1e6:
        return f"{value / 1e6:g} MB"
    if value >= 1e3:
        return f"{value / 1e3:g} KB"
    return f"{value:g} B"


def time_label(exponent):
    value = 10.0 ** exponent
    return f"{value * 1000:g} ms" if value < 1 else f"{value:g} s"


def marker(shape, x, y, colour):
    if shape == "circle":
        return f'<circle cx="{x:.1f}" cy="{y:.1f}" r="3.5" fill="{colour}" fill-opacity="0.75"/>'
    if shape == "square":
        return (f'<rect x="{x - 3:.1f}" y="{y - 3:.1f}" width="6" height="6" fill="{colour}" '
                f'fill-opacity="0.75"/>')
    return (f'<path d="M{x - 3.5:.1f},{y - 3.5:.1f}l7,7m0,-7l-7,7" stroke="{colour}" '
            f'stroke-width="1.5"/>')


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], newline="") as bench:
        rows = [row for row in csv.DictReader(bench, delimiter="\t") if int(row["bytes"]) > 0]
    points = []  # (series index, bytes, seconds per MB)
    for index, (_, _, _, jobs, column) in enumerate(SERIES):
        for row in rows:
            if row["job"] in jobs:
                size = int(row["bytes"])
                points.append((index, size, float(row[column]) / (size / 1e6)))
    if not points:
        sys.exit("no diff or highlight rows in " + sys.argv[1])
    xs = decades(min(p[1] for p in points), max(p[1] for p in points))
    ys = decades(min(p[2] for p in points), max(p[2] for p in points))
    plot_w, plot_h = WIDTH - LEFT - RIGHT, HEIGHT - TOP - BOTTOM

    def px(size):
        return LEFT + (math.log10(size) - xs[0]) / (xs[-1] - xs[0]) * plot_w

    def py(per_mb):
        return TOP + plot_h - (math.log10(per_mb) - ys[0]) / (ys[-1] - ys[0]) * plot_h

    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{HEIGHT}" '
           f'font-family="sans-serif" font-size="12">',
           f'<rect width="{WIDTH}" height="{HEIGHT}" fill="white"/>']
    for e in xs:
        x = px(10.0 ** e)
        out.append(f'<line x1="{x:.1f}" y1="{TOP}" x2="{x:.1f}" y2="{TOP + plot_h}" '
                   f'stroke="#dddddd"/>')
        out.append(f'<text x="{x:.1f}" y="{TOP + plot_h + 18}" text-anchor="middle">'
                   f'{size_label(e)}</text>')
    for e in ys:
        y = py(10.0 ** e)
        out.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + plot_w}" y2="{y:.1f}" '
                   f'stroke="#dddddd"/>')
        out.append(f'<text x="{LEFT - 6}" y="{y + 4:.1f}" text-anchor="end">{time_label(e)}</text>')
    out.append(f'<rect x="{LEFT}" y="{TOP}" width="{plot_w}" height="{plot_h}" fill="none" '
               f'stroke="black"/>')
    out.append(f'<text x="{LEFT + plot_w / 2:.1f}" y="{HEIGHT - 10}" text-anchor="middle">'
               'bytes of the page (both pages for diff), one process per job</text>')
    out.append(f'<text transform="translate(16,{TOP + plot_h / 2:.1f}) rotate(-90)" '
               'text-anchor="middle">wall time per MB</text>')
    for index, size, per_mb in points:
        _, colour, shape, _, _ = SERIES[index]
        out.append(marker(shape, px(size), py(per_mb), colour))
    for index, (label, colour, shape, _, _) in enumerate(SERIES):
        y = TOP + 12 + index * 20
        out.append(marker(shape, LEFT + plot_w + 16, y - 4, colour))
        out.append(f'<text x="{LEFT + plot_w + 26}" y="{y}">{label}</text>')
    out.append("</svg>")
    with open(sys.argv[2], "w") as svg:
        svg.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
