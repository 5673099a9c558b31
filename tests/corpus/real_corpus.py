#!/usr/bin/python3
"""Runs shunt-host over real drawings and judges the result as check_corpus.py does.

For each file (one a line in FILE_LIST): opened and saved unchanged, it must
render pixel-identical in librsvg; where it has pattern-filled paths, all of
them are moved 8 page units right (select all, shift + control, right arrow),
and in librsvg, Chromium and Inkscape the picture must be the original with
each pattern fill's inside displaced by 8 units and nothing else changed.
scripts/real-corpus.sh installs the drawings and calls this; it prints the
figures and writes one JSON line per file to OUT/results.jsonl.
"""

import argparse
import collections
import json
import multiprocessing
import re
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

import check_corpus as cc

np = cc.np
STEP = 8  # page units the operation moves each pattern by


def mask_colour(i):
    """The solid colour that stands for the i-th pattern fill in the mask picture."""
    return (0xFE, 1 + i // 256, (0xE1 + i) % 256)
MAX_PIXELS = 800  # longest side of a render


def root_geometry(path):
    """(viewBox width, viewBox height, CSS width, CSS height) of the drawing."""
    root = ET.parse(path).getroot()
    box = root.get("viewBox")
    width, height = cc.drawing_size(path)
    if box:
        numbers = [float(v) for v in re.split(r"[\s,]+", box.strip())]
        return numbers[2], numbers[3], width, height
    return width, height, width, height


def local_name(element):
    """The element's name without its namespace; drawings that bind none have plain names."""
    return element.tag.rsplit("}", 1)[-1] if isinstance(element.tag, str) else ""


def solid_pattern_fills(source, target, paint=None):
    """Writes `source` with every fill that shows a pattern painted in a solid colour of its own,
    or with `paint` (such as "none") where one is given.

    Returns the colours used (none: the drawing has no pattern fill). Fills that touch
    each other keep apart: a pixel of one is never compared with the pattern of another."""
    tree = ET.parse(source)
    patterns = {e.get("id") for e in tree.iter() if local_name(e) == "pattern" and e.get("id")}
    reference = re.compile(r"url\(\s*['\"]?#(" + "|".join(map(re.escape, patterns)) + r")['\"]?\s*\)[^;]*") \
        if patterns else None
    if reference is None:
        return []
    colours = []

    def next_colour(_match):
        colours.append(mask_colour(len(colours)))
        return paint or "#%02x%02x%02x" % colours[-1]

    for element in tree.iter():
        for name in ("fill", "style"):
            value = element.get(name)
            if value and reference.search(value):
                element.set(name, reference.sub(next_colour, value))
        if local_name(element) == "style" and element.text and reference.search(element.text):
            element.text = reference.sub(next_colour, element.text)
    tree.write(target, encoding="utf-8", xml_declaration=True)
    return colours


def fill_mismatch(before, after, fills, px, py):
    """Share of the pixels inside the fills where `after` is not `before` moved by (px, py);
    each pixel is compared with its source in the same fill. None: too few pixels to judge."""
    region = np.zeros(before.shape[:2], dtype=bool)
    for fill in fills:
        inner = cc.erode(fill, 2)
        region |= inner & cc.shifted(inner, px, py)
    if int(region.sum()) < 100:
        return None
    source = np.stack([cc.shifted(before[:, :, c], px, py) for c in range(3)], axis=2)
    return float(cc.differs(after, source)[region].mean())


def render_scale(longest):
    """Pixels per page unit: small pages are drawn larger, up to eight times, and large
    ones smaller, down to an eighth, so that the step stays a whole number of pixels."""
    if longest <= MAX_PIXELS:
        return min(8, max(1, int(MAX_PIXELS // longest)))
    scale = 1
    while longest * scale > 4 * MAX_PIXELS and scale > 1 / 8:
        scale /= 2
    return scale


def rsvg(svg, png, width, height):
    done = cc.timed_run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", str(png), str(svg)], 60)
    return done.returncode == 0 and png.exists()


def judge(path, host, plugins, renderers):
    result = {"file": str(path)}
    with tempfile.TemporaryDirectory(prefix="shunt-real-") as temp:
        folder = Path(temp)
        original = folder / "original.svg"
        shutil.copyfile(path, original)
        scenario = folder / "run.scenario"
        scenario.write_text("open original.svg\nstart\nsave noop.svg\ndump\nselect all\nkeys shift control\n"
                            "click 1\nsave moved.svg\n")
        done = cc.timed_run([host, "run", "--plugins", plugins, "--prefs", str(folder / "prefs"), str(scenario)], 60)
        if done.returncode != 0 and not (folder / "noop.svg").exists():
            message = done.stderr.strip().splitlines()[-1] if done.stderr.strip() else f"status {done.returncode}"
            result["refused"] = re.sub(r"^.*?:\d+: ", "", message)
        try:
            vb_w, vb_h, css_w, css_h = root_geometry(original)
            scale = render_scale(max(vb_w, vb_h, 1))
            width, height = round(vb_w * scale), round(vb_h * scale)
            if width < 1 or height < 1 or width > 20000 or height > 20000:
                raise ValueError(f"a page of {vb_w:g} x {vb_h:g} units is too large or small to render")
        except (ET.ParseError, ValueError, ZeroDivisionError) as error:
            result["unreadable"] = str(error)
            return result
        rendered = rsvg(original, folder / "original.png", width, height)
        result["rsvg_renders"] = rendered
        if "refused" in result or not rendered:
            return result
        noop = folder / "noop.svg"
        try:
            ET.parse(noop)
        except ET.ParseError as error:
            result["damaged"] = f"saved unchanged, it no longer parses: {error}"
            return result
        before = cc.load(folder / "original.png")
        same = rsvg(noop, folder / "noop.png", width, height) and np.array_equal(before, cc.load(folder / "noop.png"))
        result["identical"] = bool(same)
        if not same:
            result["damaged"] = "saved unchanged, librsvg renders it differently"
        patterned = [line.split()[1] for line in done.stdout.splitlines()
                     if line.startswith("object ") and " fillKind=2 " in line]
        result["pattern_paths"] = len(patterned)
        moved = folder / "moved.svg"
        if not patterned or not moved.exists():
            return result
        colours = solid_pattern_fills(original, folder / "mask.svg")
        if not colours or not rsvg(folder / "mask.svg", folder / "mask.png", width, height):
            result["unjudged"] = "no mask of its pattern fills"
            return result
        variant = cc.load(folder / "mask.png")
        touched = np.abs(before - variant).max(axis=2) > 0
        fills = [(variant == np.array(c, dtype=np.int16)).all(axis=2) for c in colours]
        # A fill whose pattern draws nothing (its tile is missing or empty, as in drawings
        # whose patterns were taken out), or nothing farther than the pixel tolerance from
        # what lies beneath it (a faint texture), cannot show whether it moved.
        solid_pattern_fills(original, folder / "bare.svg", "none")
        if rsvg(folder / "bare.svg", folder / "bare.png", width, height):
            bare = cc.differs(before, cc.load(folder / "bare.png"))
            fills = [f for f in fills if (bare & f).any()]
        if not any(f.any() for f in fills):
            result["unjudged"] = "its pattern fills draw nothing the check can tell from what lies beneath"
            return result
        allowed = cc.dilate(touched, 2)
        verdicts = {}
        for renderer in renderers:
            pictures = render(renderer, [original, moved], folder, width, height, css_w, css_h)
            if pictures is None:
                verdicts[renderer] = "not rendered"
                continue
            a, b = pictures
            outside = cc.differs(a, b) & ~allowed
            if outside.any():
                verdicts[renderer] = f"{int(outside.sum())} pixels changed outside the pattern fills"
                continue
            miss = fill_mismatch(a, b, fills, round(STEP * scale), 0)
            if miss is not None and miss > cc.FILL_TOLERANCE:
                verdicts[renderer] = f"fill not moved by {STEP} units ({100 * miss:.1f} % differs)"
            else:
                verdicts[renderer] = "ok"
        result["verdicts"] = verdicts
    return result


def render(renderer, svgs, folder, width, height, css_w, css_h):
    pngs = [s.with_name(f"{s.stem}.{renderer}.png") for s in svgs]
    if renderer == "rsvg":
        if not all(rsvg(s, p, width, height) for s, p in zip(svgs, pngs)):
            return None
    elif renderer == "inkscape":
        for s, p in zip(svgs, pngs):
            cc.timed_run(["inkscape", "--export-type=png", f"--export-width={width}", f"--export-height={height}",
                          "--export-area-page", f"--export-filename={p}", str(s)], 120,
                         env={"HOME": str(folder), "PATH": "/usr/bin:/bin"})
    else:
        if not css_w or not 1 / 8 <= width / css_w <= 8 or css_w * css_h > 4e6:
            return None  # a page Chromium would draw too large or too small to compare
        if not ET.parse(svgs[0]).getroot().tag.startswith("{http://www.w3.org/2000/svg}"):
            return None  # browsers draw only SVG's namespace; a file without it shows as XML
        jobs = [{"svg": str(s), "png": str(p), "width": css_w, "height": css_h} for s, p in zip(svgs, pngs)]
        listing = folder / "jobs.json"
        listing.write_text(json.dumps({"scale": width / css_w if css_w else 1, "jobs": jobs}))
        cc.timed_run(["node", str(cc.HERE / "render-chromium.mjs"), str(listing)], 120)
    if not all(p.exists() for p in pngs):
        return None
    pictures = [cc.load(p) for p in pngs]
    if any(p.shape[:2] != (height, width) for p in pictures):
        pictures = [np.asarray(cc.Image.fromarray(p.astype(np.uint8)).resize((width, height)), dtype=np.int16)
                    for p in pictures]
    return pictures


def worker(args):
    path, host, plugins, renderers = args
    try:
        return judge(Path(path), host, plugins, renderers)
    except Exception as error:  # one odd file must not end the run; it is reported
        return {"file": path, "error": f"{type(error).__name__}: {error}"}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", required=True)
    parser.add_argument("--plugins", required=True)
    parser.add_argument("--out", required=True, help="folder for results.jsonl")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--renderers", default="rsvg,chromium,inkscape")
    parser.add_argument("file_list")
    args = parser.parse_args()
    files = [line for line in Path(args.file_list).read_text().splitlines() if line]
    renderers = args.renderers.split(",")
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    results = []
    with open(out / "results.jsonl", "w") as log, multiprocessing.Pool(args.jobs) as pool:
        for result in pool.imap_unordered(worker, [(f, args.host, args.plugins, renderers) for f in files], 4):
            results.append(result)
            log.write(json.dumps(result) + "\n")
            log.flush()
    summarise(results)


def listed(title, rows, describe, after=""):
    """Prints how many rows there are under `title`, then a line for each."""
    print(f"{title}: {len(rows)}{after}")
    for r in rows:
        print(f"  {describe(r)}")


def with_verdicts(r):
    return f"{r['file']}: {r['verdicts']}"


def summarise(results):
    refused = collections.Counter(r["refused"] for r in results if "refused" in r)
    refused_rendered = [r for r in results if "refused" in r and r.get("rsvg_renders")]
    rendered = [r for r in results if r.get("rsvg_renders") and "refused" not in r]
    identical = sum(1 for r in rendered if r.get("identical"))
    damaged = [r for r in results if "damaged" in r]
    operated = [r for r in results if "verdicts" in r]
    moved = [r for r in operated if any("outside" in v for v in r["verdicts"].values())]
    disagree = [r for r in operated
                if len(set(v == "ok" for v in r["verdicts"].values() if v != "not rendered")) > 1]
    wrong = [r for r in operated if all(v != "ok" for v in r["verdicts"].values())]
    errors = [r for r in results if "error" in r or "unreadable" in r]
    unjudged = collections.Counter(r["unjudged"] for r in results if "unjudged" in r)
    print(f"files: {len(results)}")
    print(f"refused: {sum(refused.values())} ({len(refused_rendered)} of them rendered by librsvg)")
    for reason, count in refused.most_common():
        print(f"  {count:6d}  {reason}")
    print(f"not rendered by librsvg: {sum(1 for r in results if r.get('rsvg_renders') is False)}")
    print(f"saved unchanged, pixel-identical in librsvg: {identical} of {len(rendered)}")
    listed("damaged", damaged, lambda r: f"{r['file']}: {r['damaged']}")
    print(f"with pattern fills, operated on: {len(operated)}")
    for reason, count in unjudged.most_common():
        print(f"with pattern fills, not judged: {count} ({reason})")
    listed("objects moved (pixels changed outside the pattern fills)", moved, with_verdicts)
    listed("pattern not displaced as expected in any renderer", wrong, with_verdicts)
    # A renderer that drew nothing judged nothing: say so, so that a run
    # where one could not start is not read as one where it agreed.
    for renderer in sorted({name for r in operated for name in r["verdicts"]}):
        missing = [r for r in operated if r["verdicts"].get(renderer) == "not rendered"]
        listed(f"not rendered by {renderer}", missing, lambda r: r["file"], f" of {len(operated)}")
    listed("renderer disagreements", disagree, with_verdicts)
    listed("files the checker could not read", errors, lambda r: f"{r['file']}: {r.get('error') or r.get('unreadable')}")


if __name__ == "__main__":
    sys.exit(main())
