// Renders SVG files in headless Chromium: node render-chromium.mjs JOBS.json
// JOBS.json: {"scale": S, "jobs": [{"svg": PATH, "png": PATH, "width": W, "height": H}, ...]}
// with W and H the drawing's size in CSS pixels. One browser serves every job;
// a job that fails is reported on standard error and the others go on.
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";

const here = path.dirname(new URL(import.meta.url).pathname);
const require = createRequire(path.join(here, "../browser/package.json"));
const { chromium } = require("playwright-core");

const { scale, jobs } = JSON.parse(readFileSync(process.argv[2], "utf8"));
const profile = mkdtempSync(path.join(tmpdir(), "shunt-corpus-chromium-"));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.SHUNT_CHROMIUM || "/usr/bin/chromium",
  headless: true,
  deviceScaleFactor: scale,
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--hide-scrollbars"],
});
let failed = 0;
try {
  const page = await context.newPage();
  for (const job of jobs) {
    try {
      const width = Math.max(1, Math.round(job.width));
      const height = Math.max(1, Math.round(job.height));
      await page.setViewportSize({ width, height });
      await page.goto(pathToFileURL(job.svg).href, { waitUntil: "load", timeout: 20000 });
      await page.screenshot({ path: job.png, clip: { x: 0, y: 0, width, height }, timeout: 20000 });
    } catch (error) {
      failed += 1;
      console.error(`${job.svg}: ${error.message.split("\n")[0]}`);
    }
  }
} finally {
  await context.close();
  rmSync(profile, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
