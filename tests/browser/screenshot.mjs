// Takes the README's picture of the page: node screenshot.mjs ARTWORK.svg OUT.png
// [WIDTHxHEIGHT] (default 1024x768; SHUNT_HOST names the program). The artwork is copied first, the
// preferences are thrown away: nothing of the person's own is touched.
import { copyFileSync, mkdtempSync, readdirSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";

import { launchBrowser, openPage, startServe } from "./serve.mjs";

const [artwork, output, size = "1024x768"] = process.argv.slice(2);
const [width, height] = size.split("x").map(Number);
if (!artwork || !output || !(width > 0 && height > 0)) {
  console.error("usage: node screenshot.mjs ARTWORK.svg OUT.png [WIDTHxHEIGHT]");
  process.exit(2);
}
const folder = mkdtempSync(path.join(tmpdir(), "shunt-screenshot-"));
const source = path.dirname(path.resolve(artwork));
for (const name of readdirSync(source).filter((n) => n.endsWith(".svg"))) {
  copyFileSync(path.join(source, name), path.join(folder, name));
}
const server = await startServe([path.join(folder, path.basename(artwork)), "--prefs", path.join(folder, "prefs.txt")]);
const browser = await launchBrowser();
try {
  const page = await openPage(browser, server);
  await page.setViewportSize({ width, height });
  // The palette beside the artwork rather than in the far corner of the host's screen.
  const title = await page.locator("#palette-title").boundingBox();
  await page.mouse.move(title.x + 30, title.y + 8);
  await page.mouse.down();
  await page.mouse.move(560 + 30, 110 + 8 - 16, { steps: 4 });
  await page.mouse.up();
  await page.waitForFunction(() => document.querySelector("#palette").offsetTop < 200);
  for (const [id, modifiers] of [["dots-left", []], ["bricks-round", ["Shift"]]]) {
    const version = await page.evaluate(() => Number(document.body.dataset.version));
    await page.click(`#artwork [id="${id}"]`, { modifiers });
    await page.waitForFunction((v) => Number(document.body.dataset.version) > v, version);
  }
  const version = await page.evaluate(() => Number(document.body.dataset.version));
  await page.click('#palette [data-item="3"]', { modifiers: ["Shift"] });
  await page.waitForFunction((v) => Number(document.body.dataset.version) > v, version);
  await page.mouse.move(0, height - 10);
  await page.screenshot({ path: output });
  console.log(`wrote ${output}`);
} finally {
  await browser.close();
  await server.stop();
  rmSync(folder, { recursive: true, force: true });
}
