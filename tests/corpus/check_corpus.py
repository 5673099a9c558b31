#!/usr/bin/python3
"""Checks what a person with a real drawing sees after shunt-host worked on it.

For every drawing of tests/corpus/files (described by corpus.json) this runs
one scenario through shunt-host that saves the drawing unchanged and once after
each palette operation (the eight arrows at steps 1 and 8, both dash buttons,
reset, capture + apply), renders the original and every saved file in librsvg,
Chromium and Inkscape, and judges each picture against the original's picture,
never against shunt-host's own account of what it did:

- saved unchanged: pixel-identical to the original, in every renderer;
- after an operation: every shape's outline where it was, everything but the
  changed fills as it was, and inside each changed fill the original picture
  displaced by exactly the expected step along the page's axes (the same
  comparison one page unit off must fail, so the check tells a displacement
  from its neighbour); a reset image upright, at natural size, in place;
- Inkscape moving another object, removing unused definitions and saving
  keeps every moved fill as it was.

Masks come from the drawing itself: each shape of interest is rendered once
more in a solid colour of its own (librsvg), which shows where its fill is.

usage: check_corpus.py --host SHUNT_HOST --plugins BUNDLE --work DIR [options]
Exit status 0 when every check passed, 1 when one failed, 2 for bad usage.
"""

import argparse
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

try:
    import numpy as np
    from PIL import Image
except ImportError as missing:
    print(f"SKIPPED: {missing} (Debian packages python3-numpy and python3-pil)")
    sys.exit(77)

HERE = Path(__file__).resolve().parent
SCALE = 2  # device pixels per CSS pixel in every render
RENDERERS = ("rsvg", "chromium", "inkscape")
SVG_NS = "http://www.w3.org/2000/svg"
for prefix, uri in {"": SVG_NS, "xlink": "http://www.w3.org/1999/xlink",
                    "inkscape": "http://www.inkscape.org/namespaces/inkscape",
                    "sodipodi": "http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd",
                    "shunt": "urn:shunt-palette:svg"}.items():
    ET.register_namespace(prefix, uri)

# The palette's arrow items and their page directions (x right, y down).
ARROWS = {1: (1, 0), 2: (1, 1), 3: (0, 1), 4: (-1, 1), 5: (-1, 0), 6: (-1, -1), 7: (0, -1), 8: (1, -1)}
# Keys for each step the arrows are checked at: none is 1, shift + control is 2 x 4.
STEPS = {1: [], 8: ["shift", "control"]}
# The solid colours shapes take in the mask renders (none occurs in the drawings).
MASK_COLOURS = ["#fe01e1", "#01fee2", "#e3fe01", "#fe7f04", "#05fe7f", "#7f06fe", "#fe0787", "#08a0fe"]
# Comparisons: a displaced pixel differs when a channel differs by more than PIXEL_TOLERANCE;
# a displaced fill may differ in at most FILL_TOLERANCE of its pixels (anti-aliasing
# of tile edges that renderers place at a fraction of a pixel differently), and the
# same comparison one page unit off must differ in at least DISCRIMINATION of them.
PIXEL_TOLERANCE = 64
OUTSIDE_TOLERANCE = 8  # where nothing was operated on, the picture must stay as it was
FILL_TOLERANCE = 0.01
DISCRIMINATION = 0.04
IMAGE_COLOURS = [(0, 80, 200), (220, 0, 0), (0, 170, 0)]


def timed_run(command, timeout, **kwargs):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=timeout, **kwargs)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(command, 124, "", f"timed out after {timeout} s")


class Operation:
    def __init__(self, name, lines, moves=None, images=None):
        self.name = name  # also the saved file's name
        self.lines = lines  # scenario lines after the original is opened
        self.moves = moves or {}  # element id -> expected page displacement (x, y)
        self.images = images or {}  # image id -> expected page rectangle after the operation


def operations(drawing):
    patterns = drawing["patterns"]
    ops = []
    for step, keys in STEPS.items():
        for item, (dx, dy) in ARROWS.items():
            ops.append(Operation(f"arrow{item}-step{step}",
                                 ["select " + " ".join(patterns), "keys " + " ".join(keys), f"click {item}"],
                                 {i: (dx * step, dy * step) for i in patterns}))
    dashes = drawing["dashes"]
    for item, sign in ((9, -1), (10, +1)):
        # Item 9 adds the step to the dash offset, which draws the dashes one step
        # back along the stroke; item 10 subtracts it.
        ops.append(Operation(f"dash{item}", ["select " + " ".join(dashes), "keys", f"click {item}"],
                             {i: (sign * d["dir"][0], sign * d["dir"][1]) for i, d in dashes.items()}))
    resettable = {i: t for i, t in patterns.items() if t is not None}
    moves = {i: (-t[0], -t[1]) for i, t in resettable.items()}
    moves.update({i: (d["offset"] * d["dir"][0], d["offset"] * d["dir"][1]) for i, d in dashes.items()})
    ops.append(Operation("reset", ["select " + " ".join([*resettable, *dashes, *drawing["images"]]), "keys", "click 11"],
                         moves, dict(drawing["images"])))
    targets = [drawing["capture"], *drawing["apply"]]
    ops.append(Operation("capture-apply", [f"select {drawing['capture']}", "keys", "click 1", "choose 0",
                                           "select " + " ".join(drawing["apply"]), "choose 1"],
                         {i: (1, 0) for i in targets}))
    return ops


CSS_UNITS = {"px": 1, "mm": 96 / 25.4, "cm": 96 / 2.54, "in": 96, "pt": 96 / 72, "pc": 16}


def drawing_size(path):
    """The drawing's width and height in CSS pixels."""
    root = ET.parse(path).getroot()

    def length(name, fallback):
        value = root.get(name)
        match = re.fullmatch(r"\s*([0-9.]+(?:[eE][-+]?[0-9]+)?)\s*(px|mm|cm|in|pt|pc)?\s*", value or "")
        if not match:
            return fallback
        return float(match.group(1)) * CSS_UNITS[match.group(2) or "px"]
    box = [float(v) for v in re.split(r"[\s,]+", root.get("viewBox", "0 0 300 150").strip())]
    return length("width", box[2]), length("height", box[3])


def mask_variant(source, target, ids, dash_ids):
    """Writes `source` with each shape of `ids` painted in its own solid colour."""
    tree = ET.parse(source)
    by_id = {e.get("id"): e for e in tree.iter() if e.get("id")}
    for number, name in enumerate(ids):
        element = by_id.get(name)
        if element is None:
            continue
        colour = MASK_COLOURS[number % len(MASK_COLOURS)]
        if element.tag.endswith("}image"):
            continue
        paint = "stroke" if name in dash_ids else "fill"
        extra = f"{paint}:{colour};stroke-dasharray:none" if paint == "stroke" else f"fill:{colour}"
        element.set("style", (element.get("style", "").rstrip("; ") + ";" + extra).lstrip(";"))
    tree.write(target, encoding="utf-8", xml_declaration=True)


def load(path):
    image = Image.open(path).convert("RGBA")
    flat = Image.new("RGBA", image.size, (255, 255, 255, 255))
    flat.alpha_composite(image)
    return np.asarray(flat.convert("RGB"), dtype=np.int16)


def shifted(mask, dx, dy):
    """mask moved by (dx, dy) pixels; what comes in from outside is False."""
    out = np.zeros_like(mask)
    h, w = mask.shape
    ys, yd = (slice(0, h - dy), slice(dy, h)) if dy >= 0 else (slice(-dy, h), slice(0, h + dy))
    xs, xd = (slice(0, w - dx), slice(dx, w)) if dx >= 0 else (slice(-dx, w), slice(0, w + dx))
    out[yd, xd] = mask[ys, xs]
    return out


def erode(mask, radius):
    kept = mask.copy()
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            kept &= shifted(mask, dx, dy)
    return kept


def dilate(mask, radius):
    grown = mask.copy()
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            grown |= shifted(mask, dx, dy)
    return grown


def differs(a, b, tolerance=None):
    return np.abs(a - b).max(axis=2) > (PIXEL_TOLERANCE if tolerance is None else tolerance)


def masks(plain, variant, ids):
    """For each id: (interior, touched): the pixels its solid colour fully covers,
    and every pixel its colour changed at all."""
    touched_any = np.abs(plain - variant).max(axis=2) > 0
    result = {}
    for number, name in enumerate(ids):
        colour = MASK_COLOURS[number % len(MASK_COLOURS)]
        rgb = np.array([int(colour[i:i + 2], 16) for i in (1, 3, 5)], dtype=np.int16)
        interior = (variant == rgb).all(axis=2)
        near = dilate(interior, 2)
        result[name] = (interior, touched_any & near)
    return result


def displacement_mismatch(before, after, interior, px, py):
    """Share of the pixels of `interior` (and their source) where after != before moved by (px, py)."""
    region = erode(interior, 2)
    region = region & shifted(region, px, py)
    count = int(region.sum())
    if count < 100:
        return None
    source = np.zeros_like(before)
    moved = [shifted(before[:, :, c], px, py) for c in range(3)]
    source = np.stack(moved, axis=2)
    return float(differs(after, source)[region].mean())


def image_rect(picture, window):
    """Bounding box and red-marker centre of the test image's pixels inside `window`."""
    found = np.zeros(picture.shape[:2], dtype=bool)
    for colour in IMAGE_COLOURS:
        found |= (np.abs(picture - np.array(colour, dtype=np.int16)).max(axis=2) <= 24)
    found &= window
    if not found.any():
        return None, None
    ys, xs = np.nonzero(found)
    red = found & (np.abs(picture - np.array(IMAGE_COLOURS[1], dtype=np.int16)).max(axis=2) <= 24)
    centre = (np.nonzero(red)[1].mean(), np.nonzero(red)[0].mean()) if red.any() else None
    return (xs.min(), ys.min(), xs.max() + 1, ys.max() + 1), centre


class Report:
    def __init__(self):
        self.passed = 0
        self.failures = []

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what)
        return ok


def render_rsvg(jobs, report, workers):
    """Renders each (svg, png) job; a file librsvg refuses is reported once, for the original."""
    def one(job):
        svg, png = job
        done = timed_run(["rsvg-convert", "--zoom", str(SCALE), "-o", str(png), str(svg)], 60)
        return svg, done
    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        for svg, done in pool.map(one, jobs):
            if done.returncode != 0 and svg.name == "original.svg":
                report.failures.append(f"rsvg-convert {svg}: {done.stderr.strip()[:200]}")


def render_inkscape(svgs, report):
    if not svgs:
        return
    command = ["inkscape", "--export-type=png", f"--export-dpi={96 * SCALE}", "--export-area-page",
               "--export-overwrite", *map(str, svgs)]
    done = timed_run(command, 60 + 3 * len(svgs), env={**os.environ, "HOME": str(svgs[0].parent.parent)})
    missing = [s for s in svgs if not s.with_suffix(".png").exists()]
    if done.returncode != 0 or missing:
        said = [line for line in done.stderr.splitlines() if line.strip() and "WARNING" not in line]
        report.failures.append(f"inkscape export: status {done.returncode}, no picture of "
                               + ", ".join(f"{s.parent.name}/{s.name}" for s in missing) + ": " + " ".join(said)[-300:])


def render_chromium(svgs, work, report):
    jobs = []
    for svg in svgs:
        try:
            width, height = drawing_size(svg)
        except ET.ParseError:  # a damaged save: reported by the checks; Chromium still gets to show it
            width, height = drawing_size(svg.with_name("original.svg"))
        jobs.append({"svg": str(svg), "png": str(svg.with_suffix(".chromium.png")), "width": width, "height": height})
    listing = work / "chromium-jobs.json"
    listing.write_text(json.dumps({"scale": SCALE, "jobs": jobs}))
    done = timed_run(["node", str(HERE / "render-chromium.mjs"), str(listing)], 60 + 2 * len(jobs))
    if done.returncode != 0:
        report.failures.append("chromium: " + done.stderr.strip()[-400:])


def picture(svg, renderer):
    name = {"rsvg": ".rsvg.png", "chromium": ".chromium.png", "inkscape": ".png", "mask": "-mask.rsvg.png"}[renderer]
    path = svg.with_name(svg.stem + name)
    return load(path) if path.exists() else None


def check_file(name, drawing, folder, renderers, report):
    unit = drawing["unit"] * SCALE  # device pixels per page unit
    original = folder / "original.svg"
    ids = [*drawing["patterns"], *drawing["dashes"]]
    plain = load(folder / "original.rsvg.png")
    shape_masks = masks(plain, load(folder / "original-mask.rsvg.png"), ids)
    for renderer in renderers:
        before = picture(original, renderer)
        if not report.check(before is not None, f"{name}: no {renderer} picture of the original"):
            continue
        after = picture(folder / "noop.svg", renderer)
        if not (folder / "noop.svg").exists():
            report.failures.append(f"{name}: not saved unchanged")
            break
        report.check(after is not None and np.array_equal(before, after),
                     f"{name}: saved unchanged, {renderer} does not render it pixel-identical"
                     + (" (no picture)" if after is None else f" ({int(differs(before, after, 0).sum())} pixels differ)"))
    for op in operations(drawing):
        saved = folder / f"{op.name}.svg"
        if not report.check(saved.exists(), f"{name} {op.name}: not saved"):
            continue
        out_plain, out_variant = picture(saved, "rsvg"), picture(saved, "mask")
        if not report.check(out_plain is not None and out_variant is not None,
                            f"{name} {op.name}: librsvg cannot render the saved file"):
            continue
        out_masks = masks(out_plain, out_variant, ids)
        for i in ids:
            same = np.array_equal(shape_masks[i][0], out_masks[i][0])
            report.check(same, f"{name} {op.name}: the outline of {i} moved")
        for renderer in renderers:
            before, after = picture(original, renderer), picture(saved, renderer)
            if before is None or not report.check(after is not None, f"{name} {op.name}: no {renderer} picture"):
                continue
            where = f"{name} {op.name} [{renderer}]"
            allowed = np.zeros(before.shape[:2], dtype=bool)
            for i in op.moves:
                allowed |= dilate(shape_masks[i][1], 1)
            windows = {}
            for i, rect in op.images.items():
                x, y, w, h = (round(v * unit) for v in rect)
                window = np.zeros_like(allowed)
                window[max(0, y - 8):y + h + 8, max(0, x - 8):x + w + 8] = True
                was, _ = image_rect(before, dilate(window, 40))
                if was:
                    window[max(0, was[1] - 2):was[3] + 2, max(0, was[0] - 2):was[2] + 2] = True
                windows[i] = window
                allowed |= window
            outside = differs(before, after, OUTSIDE_TOLERANCE) & ~allowed
            report.check(not outside.any(), f"{where}: {int(outside.sum())} pixels changed outside the operated"
                         f" objects, around {tuple(np.argwhere(outside)[0][::-1]) if outside.any() else ''}")
            for i, (dx, dy) in op.moves.items():
                px, py = dx * unit, dy * unit
                if not report.check(float(px).is_integer() and float(py).is_integer(),
                                    f"{where}: the step of {i} is no whole number of pixels"):
                    continue
                px, py = int(px), int(py)
                miss = displacement_mismatch(before, after, shape_masks[i][0], px, py)
                if not report.check(miss is not None, f"{where}: {i} has too small an interior to judge"):
                    continue
                still = displacement_mismatch(before, after, shape_masks[i][0], 0, 0)
                found = "; it did not move" if still is not None and still <= FILL_TOLERANCE else ""
                report.check(miss <= FILL_TOLERANCE,
                             f"{where}: the fill of {i} is not the original moved by ({dx:g}, {dy:g}):"
                             f" {100 * miss:.1f} % of it differs{found}")
                if miss > FILL_TOLERANCE:
                    continue
                off = displacement_mismatch(before, after, shape_masks[i][0], px + int(unit), py)
                report.check(off is None or off >= DISCRIMINATION,
                             f"{where}: {i} cannot be told from a displacement one unit off ({100 * off:.1f} %)")
            for i, rect in op.images.items():
                x, y, w, h = (v * unit for v in rect)
                box, red = image_rect(after, windows[i])
                ok = box is not None and max(abs(box[0] - x), abs(box[1] - y), abs(box[2] - x - w),
                                             abs(box[3] - y - h)) <= 1.5
                ok = ok and red is not None and red[0] < x + w / 2 and red[1] < y + h / 2
                report.check(ok, f"{where}: image {i} is not upright at ({x / unit:g}, {y / unit:g}) size"
                             f" {w / unit:g} x {h / unit:g}: found box {tuple(v / unit for v in box) if box else None}")


def check_resave(name, drawing, folder, report):
    """Inkscape moves another object, removes unused definitions and saves."""
    moved = folder / "arrow1-step1.svg"
    if not moved.exists():
        return
    source = folder / "resave-source.svg"
    shutil.copyfile(moved, source)
    resaved = folder / "resaved.svg"
    resaved.unlink(missing_ok=True)
    actions = f"select-by-id:{drawing['other']};transform-translate:10,0;vacuum-defs;" \
              f"export-filename:{resaved};export-overwrite;export-do"
    done = timed_run(["inkscape", f"--actions={actions}", str(source)], 120,
                     env={**os.environ, "HOME": str(folder.parent)})
    if not report.check(resaved.exists(), f"{name}: Inkscape did not re-save ({done.stderr.strip()[-200:]})"):
        return
    render_rsvg([(resaved, resaved.with_name("resaved.rsvg.png"))], report, 1)
    before, after = picture(moved, "rsvg"), picture(resaved, "rsvg")
    if not report.check(before is not None and after is not None, f"{name}: librsvg cannot render the re-save"):
        return
    plain = load(folder / "original.rsvg.png")
    shape_masks = masks(plain, load(folder / "original-mask.rsvg.png"), list(drawing["patterns"]))
    report.check(differs(before, after).any(), f"{name}: Inkscape's move of {drawing['other']} changed nothing")
    for i in drawing["patterns"]:
        miss = displacement_mismatch(before, after, shape_masks[i][0], 0, 0)
        report.check(miss is not None and miss <= FILL_TOLERANCE,
                     f"{name}: after Inkscape's re-save the fill of {i} is lost or changed"
                     f" ({100 * (miss or 0):.1f} % differs)")


def careless_host(scenario):
    """Stands in for shunt-host in the self-test: every save writes the file as it was opened."""
    opened = None
    for line in scenario.read_text(encoding="utf-8").splitlines():
        words = line.split(maxsplit=1)
        if words and words[0] == "open":
            opened = Path(words[1].strip('"'))
        elif words and words[0] == "save":
            shutil.copyfile(opened, scenario.parent / words[1])
    return subprocess.CompletedProcess([], 0, "", "")


def self_test_verdict(names, corpus, report):
    """Every operation must have failed on every moved object, and nothing else."""
    problems = []
    for name in names:
        for op in operations(corpus[name]):
            for i in op.moves:
                if not any(f.startswith(f"{name} {op.name} [") and f"the fill of {i} is not" in f and "did not move" in f
                           for f in report.failures):
                    problems.append(f"{name} {op.name}: unmoved {i} was not caught")
            for i in op.images:
                if not any(f.startswith(f"{name} {op.name} [") and f"image {i} is not upright" in f
                           for f in report.failures):
                    problems.append(f"{name} {op.name}: image {i} left as it was was not caught")
    expected = ("the fill of", "image ", "cannot be told")
    for failure in report.failures:
        if not any(e in failure for e in expected):
            problems.append(f"a check failed on unchanged files: {failure}")
    for problem in problems:
        print("FAIL", problem)
    print(f"self-test: {len(report.failures)} failures caught, {len(problems)} problems")
    return 1 if problems else 0


def scenario_for(drawing, original, folder):
    lines = [f'open "{original}"', "start", "save noop.svg"]
    for op in operations(drawing):
        lines += [f'open "{original}"', *op.lines, f"save {op.name}.svg"]
    path = folder / "operations.scenario"
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--host", required=True, help="the shunt-host program")
    parser.add_argument("--plugins", required=True, help="the bundle folder")
    parser.add_argument("--work", required=True, help="a folder for the saved files and pictures (emptied)")
    parser.add_argument("--renderers", default=",".join(RENDERERS), help="comma-separated: rsvg,chromium,inkscape")
    parser.add_argument("--files", nargs="*", help="only these drawings of corpus.json")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--self-test", action="store_true",
                        help="check the checks: a host that saves every file unchanged must fail every operation")
    args = parser.parse_args()
    renderers = [r for r in args.renderers.split(",") if r]
    if any(r not in RENDERERS for r in renderers):
        parser.error(f"unknown renderer in {args.renderers}")
    needs = {"rsvg": ["rsvg-convert"], "inkscape": ["inkscape"], "chromium": ["node"]}
    for renderer in renderers:
        for program in needs[renderer]:
            if not shutil.which(program):
                print(f"SKIPPED: {program} is not installed")
                return 77
    if "chromium" in renderers and not (HERE.parent / "browser/node_modules/playwright-core").is_dir():
        # The browser tests' driver, from their lock file.
        done = timed_run(["npm", "ci", "--no-audit", "--no-fund", "--loglevel=error"], 300, cwd=HERE.parent / "browser")
        if done.returncode != 0:
            print(f"SKIPPED: playwright-core could not be installed: {done.stderr.strip()[-300:]}")
            return 77
    corpus = {k: v for k, v in json.loads((HERE / "corpus.json").read_text()).items() if not k.startswith("_")}
    names = args.files or list(corpus)
    work = Path(args.work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    report = Report()

    rsvg_jobs, svgs = [], []
    for name in names:
        drawing = corpus[name]
        folder = work / Path(name).stem
        folder.mkdir()
        original = folder / "original.svg"
        shutil.copyfile(HERE / "files" / name, original)
        scenario = scenario_for(drawing, original, folder)
        if args.self_test:
            done = careless_host(scenario)
        else:
            done = timed_run([args.host, "run", "--plugins", args.plugins, "--prefs", str(folder / "prefs.txt"),
                              str(scenario)], 120)
        report.check(done.returncode == 0, f"{name}: shunt-host run ended with status {done.returncode}: "
                     + " ".join(done.stderr.split())[:300])
        ids = [*drawing["patterns"], *drawing["dashes"]]
        for svg in [original, *(folder / f"{op.name}.svg" for op in operations(drawing)), folder / "noop.svg"]:
            if not svg.exists():
                continue
            svgs.append(svg)
            rsvg_jobs.append((svg, svg.with_name(svg.stem + ".rsvg.png")))
            if svg.name != "noop.svg":
                variant = svg.with_name(svg.stem + "-mask.svg")
                try:
                    mask_variant(svg, variant, ids, drawing["dashes"])
                    rsvg_jobs.append((variant, variant.with_name(variant.stem + ".rsvg.png")))
                except ET.ParseError as error:
                    report.failures.append(f"{name}: {svg.name} does not parse: {error}")

    render_rsvg(rsvg_jobs, report, args.jobs)
    if "inkscape" in renderers:
        render_inkscape(svgs, report)
    if "chromium" in renderers:
        render_chromium(svgs, work, report)
    for name in names:
        folder = work / Path(name).stem
        if not (folder / "original-mask.rsvg.png").exists():
            report.failures.append(f"{name}: the original could not be rendered")
            continue
        try:
            check_file(name, corpus[name], folder, renderers, report)
            if "inkscape" in renderers:
                check_resave(name, corpus[name], folder, report)
        except (OSError, ValueError, ET.ParseError) as error:
            report.failures.append(f"{name}: {type(error).__name__}: {error}")

    if args.self_test:
        return self_test_verdict(names, corpus, report)
    for failure in report.failures:
        print("FAIL", failure)
    print(f"{report.passed} checks passed, {len(report.failures)} failed over {len(names)} drawings")
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main())
