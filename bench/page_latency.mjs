// How long a person waits on the page of `shunt-host serve`: from the click
// to the next frame showing its effect, in headless Chromium, on drawings of
// N pattern-filled paths. Beside each, the same operation through
// `shunt-host run`, which has no page: the least the host's side must do.
//
//   SHUNT_HOST=... SHUNT_PLUGINS=... node bench/page_latency.mjs OUT.json [N...]
import { spawnSync } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";

import { launchBrowser, startServe } from "../tests/browser/serve.mjs";

const REPEATS = 5;
// Enough operations in one scenario that they outweigh the noise of starting it.
const RUN_REPEATS = 20;
const [output, ...sizeArgs] = process.argv.slice(2);
if (!output) throw new Error("usage: node bench/page_latency.mjs OUT.json [N...]");
const sizes = sizeArgs.length ? sizeArgs.map(Number) : [1000, 10000, 100000];

// N squares in a grid, each filled with one shared pattern, as a drawing
// of many tiles is.
function drawing(n) {
  const columns = Math.ceil(Math.sqrt(n));
  const cell = 12;
  const side = columns * cell;
  const paths = [];
  for (let i = 0; i < n; i++) {
    const x = (i % columns) * cell;
    const y = Math.floor(i / columns) * cell;
    paths.push(`<path id="p${i}" d="M${x},${y}h10v10h-10z" fill="url(#tile)"/>`);
  }
  return `<svg xmlns="http://www.w3.org/2000/svg" width="${side}" height="${side}" viewBox="0 0 ${side} ${side}">
<defs><pattern id="tile" width="4" height="4" patternUnits="userSpaceOnUse"><rect width="2" height="2" fill="#c33"/></pattern></defs>
${paths.join("\n")}
</svg>
`;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Times one thing the person does, in the page: `act` runs there and the
// time runs until `done` holds and the next frame has been drawn.
async function pageLatency(page, act, done) {
  return page.evaluate(async ([actText, doneText]) => {
    const actNow = new Function(actText);
    const isDone = new Function(doneText);
    const start = performance.now();
    await new Promise((resolve) => {
      const observer = new MutationObserver(() => {
        if (isDone()) {
          observer.disconnect();
          resolve();
        }
      });
      observer.observe(document.body, { attributes: true, subtree: true, attributeFilter: ["data-version", "data-artwork-version"] });
      actNow();
    });
    await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
    return performance.now() - start;
  }, [act, done]);
}

// The page's picture is updated once the artwork version it shows has moved on.
const arrowClick = (item) => [
  `window.benchArtwork = document.querySelector("#artwork").dataset.artworkVersion;
   document.querySelector('#palette [data-item="${item}"]').click();`,
  `return document.querySelector("#artwork").dataset.artworkVersion !== window.benchArtwork;`,
];
const selectionClick = (id) => [
  `const artwork = document.querySelector("#artwork").shadowRoot;
   artwork.querySelector('[id="${id}"]').dispatchEvent(new MouseEvent("click", { bubbles: true, composed: true }));`,
  `return document.querySelector("#artwork").dataset.selection === document.querySelector("#artwork")
     .shadowRoot.querySelector('[id="${id}"]').dataset.shuntArt;`,
];

// Select all is shown once every object's box is.
const selectAllClick = (n) => [
  `document.querySelector("#select-all").click();`,
  `return document.querySelector("#artwork").dataset.selection.split(",").length === ${n};`,
];

// The same operation through `shunt-host run`: each scenario is timed with
// and without the operation repeated, and the difference shared out.
function runLatency(folder, setup, operation) {
  const time = (lines) => {
    const scenario = path.join(folder, "bench.scenario");
    writeFileSync(scenario, ["open drawing.svg", "start", ...setup, ...lines, ""].join("\n"));
    const args = ["run", scenario, ...(process.env.SHUNT_PLUGINS ? ["--plugins", process.env.SHUNT_PLUGINS] : []),
      "--prefs", path.join(folder, "run-prefs.txt")];
    const start = process.hrtime.bigint();
    const result = spawnSync(process.env.SHUNT_HOST, args, { encoding: "utf8" });
    if (result.status !== 0) throw new Error(`shunt-host run failed: ${result.stderr}`);
    return Number(process.hrtime.bigint() - start) / 1e6;
  };
  const samples = [];
  for (let i = 0; i < 3; i++) {
    samples.push((time(Array(RUN_REPEATS).fill(operation)) - time([])) / RUN_REPEATS);
  }
  return Math.max(0, median(samples));
}

async function measure(browser, n) {
  const folder = mkdtempSync(path.join(tmpdir(), "shunt-latency-"));
  try {
    writeFileSync(path.join(folder, "drawing.svg"), drawing(n));
    const server = await startServe([path.join(folder, "drawing.svg"), "--prefs", path.join(folder, "prefs.txt")]);
    const page = await browser.context.newPage();
    const loadStart = Date.now();
    await page.goto(server.url);
    await page.waitForSelector("#artwork[data-artwork-version]", { timeout: 600000 });
    await page.waitForSelector('#palette [data-item="1"]');
    const load = Date.now() - loadStart;
    page.setDefaultTimeout(600000);

    const results = [];
    const record = (operation, samples, run) =>
      results.push({ n, operation, page_ms: median(samples), samples_ms: samples, run_ms: run });

    const selecting = [];
    for (let i = 0; i < REPEATS; i++) selecting.push(await pageLatency(page, ...selectionClick(`p${(i * 7) % n}`)));
    record("selection change", selecting, runLatency(folder, [], "select p1"));

    await pageLatency(page, ...selectionClick("p0"));
    const one = [];
    for (let i = 0; i < REPEATS; i++) one.push(await pageLatency(page, ...arrowClick(i % 2 ? 5 : 1)));
    record("arrow, 1 selected", one, runLatency(folder, ["select p0"], "click 1"));

    const selectingAll = [await pageLatency(page, ...selectAllClick(n))];
    const all = [];
    for (let i = 0; i < REPEATS; i++) all.push(await pageLatency(page, ...arrowClick(i % 2 ? 5 : 1)));
    record("arrow, all selected", all, runLatency(folder, ["select all"], "click 1"));
    // The first of those gave every path a pattern of its own.
    record("arrow, all selected, first", all.slice(0, 1), null);

    for (let i = 1; i < REPEATS; i++) {
      await page.click("#select-none");
      await page.waitForFunction(() => document.querySelector("#artwork").dataset.selection === "");
      selectingAll.push(await pageLatency(page, ...selectAllClick(n)));
    }
    record("select all", selectingAll, runLatency(folder, [], "select all"));

    results.push({ n, operation: "first load", page_ms: load, samples_ms: [load], run_ms: null });
    await page.close();
    await server.stop();
    return results;
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
}

const browser = await launchBrowser();
const all = [];
try {
  for (const n of sizes) {
    const found = await measure(browser, n);
    for (const row of found) {
      console.log(`${row.n}\t${row.operation}\tpage ${row.page_ms.toFixed(1)} ms\trun ${row.run_ms?.toFixed(1) ?? "-"} ms`);
    }
    all.push(...found);
  }
} finally {
  await browser.close();
}
writeFileSync(output, JSON.stringify({ results: all }, null, 1));
