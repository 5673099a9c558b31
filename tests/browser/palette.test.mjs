// End-to-end: `shunt-host serve` in headless Chromium, used as a person
// would use it: clicks on the artwork, the palette, the menus and dialogs.
import assert from "node:assert/strict";
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import http from "node:http";
import { tmpdir } from "node:os";
import path from "node:path";
import { after, before, test } from "node:test";
import { fileURLToPath } from "node:url";

import { launchBrowser, openPage, startServe } from "./serve.mjs";

const here = path.dirname(fileURLToPath(import.meta.url));
let browser;
const folders = [];
const servers = new Set();

before(async () => { browser = await launchBrowser(); });
after(async () => {
  // A test that failed half-way leaves its server running.
  await Promise.all([...servers].map((server) => server.stop()));
  await browser?.close();
  for (const folder of folders) rmSync(folder, { recursive: true, force: true });
});

// A copy of the test artwork and a preference file of its own.
function workspace() {
  const folder = mkdtempSync(path.join(tmpdir(), "shunt-serve-"));
  folders.push(folder);
  copyFileSync(path.join(here, "artwork.svg"), path.join(folder, "artwork.svg"));
  return { artwork: path.join(folder, "artwork.svg"), prefs: path.join(folder, "prefs.txt"), folder };
}

async function serving(extra = [], work = workspace()) {
  const server = await startServe([work.artwork, "--prefs", work.prefs, ...extra]);
  servers.add(server);
  const page = await openPage(browser, server);
  return { server, page, work };
}

async function finish({ server, page }) {
  await page.close();
  servers.delete(server);
  const { code } = await server.stop();
  assert.equal(code, 0);
}

const art = (name) => `#artwork [id="${name}"]`;

async function select(page, name, modifiers = []) {
  await page.click(art(name), { modifiers });
  await page.waitForFunction((id) => {
    const element = document.querySelector("#artwork").shadowRoot.querySelector(`[id="${id}"]`);
    return document.querySelector("#artwork").dataset.selection.split(",").includes(element.dataset.shuntArt);
  }, name);
}

// Does what the person does and waits until the page shows the host's
// answer to the request it made.
async function andWait(page, request, action) {
  const response = page.waitForResponse((r) => r.url().includes(request));
  await action();
  const { version } = await (await response).json();
  await page.waitForFunction((v) => Number(document.body.dataset.version) >= v, version);
}

const clickItem = (page, item, modifiers = []) =>
  andWait(page, "/api/click", () => page.click(`#palette [data-item="${item}"]`, { modifiers }));

async function chooseEntry(page, index) {
  await page.click('#palette [data-item="-5"] .popup-button');
  await andWait(page, "/api/choose", () => page.click(`#palette [data-item="-5"] [data-entry="${index}"]`));
}

// The pattern transform that the object's fill is drawn with, as the page has it.
function patternTransform(page, name) {
  return page.evaluate((id) => {
    const artwork = document.querySelector("#artwork").shadowRoot;
    const fill = artwork.querySelector(`[id="${id}"]`).getAttribute("fill");
    const pattern = artwork.querySelector(fill.match(/url\((#[^)]+)\)/)[1]);
    return pattern.getAttribute("patternTransform");
  }, name);
}

const dashOffset = (page, name) =>
  page.$eval(art(name), (element) => element.getAttribute("stroke-dashoffset") ?? "0");

// The red channel of a screenshot of the object's inside.
async function pixels(page, name) {
  const box = await page.locator(art(name)).boundingBox();
  const clip = { x: Math.round(box.x) + 4, y: Math.round(box.y) + 4, width: 120, height: 80 };
  const { width, height, rgba } = await decoded(page, await page.screenshot({ clip }));
  return { width, height, red: rgba.filter((_, i) => i % 4 === 0) };
}

// The RGBA bytes of a PNG, decoded in the page.
function decoded(page, png) {
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d");
    context.drawImage(bitmap, 0, 0);
    const data = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    return { width: bitmap.width, height: bitmap.height, rgba: Array.from(data) };
  }, png.toString("base64"));
}

// Share of the pixels of `after` that equal those `dy` rows above in `before`.
function matchShifted(before, after, dy) {
  let same = 0;
  let count = 0;
  for (let y = Math.max(0, dy); y < after.height + Math.min(0, dy); y++) {
    for (let x = 0; x < after.width; x++) {
      count++;
      if (Math.abs(after.red[y * after.width + x] - before.red[(y - dy) * before.width + x]) < 40) same++;
    }
  }
  return same / count;
}

const openMenu = (page, name) =>
  andWait(page, "/api/menus/update", () => page.click(`.menu[data-menu="${name}"] > .menu-title`));

const checkMark = (page) =>
  page.$eval('.menu[data-menu="Tool Palettes"] [data-menu-item="Shunt Palette"]', (e) => e.dataset.checked);

async function answerModal(page, item = 1) {
  await andWait(page, "/api/answer", () => page.click(`#modal [data-answer="${item}"]`));
  await page.waitForSelector("#modal-backdrop", { state: "hidden" });
}

test("shift and control give a step of 8: down moves the pattern down by 8, in its transform and its pixels", async () => {
  const session = await serving();
  const { page } = session;
  await select(page, "tiles");
  assert.equal(await patternTransform(page, "tiles"), null);
  const before = await pixels(page, "tiles");

  await clickItem(page, 3, ["Shift", "Control"]);

  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,8)");
  const moved = await pixels(page, "tiles");
  assert.ok(matchShifted(before, moved, 8) > 0.99, "the tiles are those of before, 8 pixels lower");
  assert.ok(matchShifted(before, moved, 0) < 0.95, "and not where they were");
  assert.ok(matchShifted(before, moved, -8) < 0.95, "and not 8 pixels higher");
  assert.equal(await patternTransform(page, "other"), null, "an object not selected stays as it was");
  await finish(session);
});

test("undo returns the artwork to what it was, redo does the step again, save writes it", async () => {
  const session = await serving();
  const { page, work } = session;
  await select(page, "tiles");
  const before = await pixels(page, "tiles");
  await clickItem(page, 1);
  await clickItem(page, 1);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,2,0)");

  await page.click("#undo");
  await page.waitForFunction(() => !document.querySelector("#redo").disabled);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,1,0)", "one click is one step");
  await page.click("#undo");
  await page.waitForFunction(() => document.querySelector("#undo").disabled);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,0)");
  assert.ok(matchShifted(before, await pixels(page, "tiles"), 0) > 0.99);

  await page.click("#redo");
  await page.waitForFunction(() => !document.querySelector("#undo").disabled);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,1,0)");
  await page.click("#save");
  await page.waitForSelector('#document-name[data-unsaved="0"]');
  assert.match(readFileSync(work.artwork, "utf8"), /patternTransform="matrix\(1,0,0,1,1,0\)"/);
  await finish(session);
});

test("the dash buttons shift a dashed stroke and reset takes pattern and dashes back", async () => {
  const session = await serving();
  const { page } = session;
  await select(page, "dashes");
  await clickItem(page, 9);
  assert.equal(await dashOffset(page, "dashes"), "1");
  await clickItem(page, 10);
  await clickItem(page, 10);
  assert.equal(await dashOffset(page, "dashes"), "29", "below zero the offset wraps by twice the pattern, 2 x 15");

  await select(page, "tiles", ["Shift"]);
  await clickItem(page, 7);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,-1)");
  await clickItem(page, 11);
  assert.equal(await dashOffset(page, "dashes"), "0");
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,0)");
  await finish(session);
});

test("capture, apply and show matrix: the alert shows the matrix text with the degree sign", async () => {
  const session = await serving();
  const { page } = session;
  await select(page, "tiles");
  await clickItem(page, 3, ["Shift", "Control"]);
  await chooseEntry(page, 0);
  await select(page, "other");
  await chooseEntry(page, 1);
  assert.equal(await patternTransform(page, "other"), "matrix(1,0,0,1,0,8)");

  await chooseEntry(page, 2);
  await page.waitForSelector('#modal-backdrop[data-kind="alert"]');
  const text = await page.textContent("#modal .modal-text");
  assert.match(text, /^Matrix: TX=0; TY=-8; A=1; B=0; C=0; D=1; H scale=100%; V scale=100%; Skew=\S+°; Rotation=\S+°$/);
  // The alert blocks the page, as the host's modal loop does.
  assert.equal(await page.evaluate(() => document.elementFromPoint(100, 100).id), "modal-backdrop");
  await answerModal(page);
  await finish(session);
});

test("the menu item hides and shows the palette and its check mark follows", async () => {
  const session = await serving();
  const { page } = session;
  await page.waitForSelector("#palette", { state: "visible" });
  await openMenu(page, "Tool Palettes");
  assert.equal(await checkMark(page), "1");
  await page.click('.menu[data-menu="Tool Palettes"] [data-menu-item="Shunt Palette"]');
  await page.waitForSelector("#palette", { state: "hidden" });
  await openMenu(page, "Tool Palettes");
  assert.equal(await checkMark(page), "0");
  await page.click('.menu[data-menu="Tool Palettes"] [data-menu-item="Shunt Palette"]');
  await page.waitForSelector("#palette", { state: "visible" });
  await openMenu(page, "Tool Palettes");
  assert.equal(await checkMark(page), "1");
  await finish(session);
});

test("the about box opens from its menu item and closes on OK", async () => {
  const session = await serving();
  const { page } = session;
  await openMenu(page, "About");
  await page.hover('.menu[data-menu="About"] [data-menu-item="About Korvane Plug-ins"]');
  await page.click('[data-menu-item="About Korvane Plug-ins"] [data-menu-item="Shunt Palette..."]');
  await page.waitForSelector('#modal-backdrop[data-kind="dialog"]');
  assert.equal(await page.textContent("#modal-title"), "About Dialog");
  assert.match(await page.textContent("#modal-texts"), /Shunt Palette/);
  await answerModal(page);
  await finish(session);
});

test("a fault injected at start shows the error dialog", async () => {
  const session = await serving(["--fail", "AI Menu Suite 0 -108"]);
  const { page } = session;
  await page.waitForSelector('#modal-backdrop[data-kind="dialog"]');
  assert.equal(await page.textContent("#modal-title"), "Error Dialog");
  const texts = await page.$$eval("#modal .modal-text", (all) => all.map((p) => p.textContent));
  assert.deepEqual(texts, ["There is not enough memory to do that.", "-108"]);
  await answerModal(page);
  await page.waitForFunction(() => /failed to start/.test(document.querySelector("#log").textContent));
  assert.match(await page.textContent("#log"), /failed to start, with error -108 \(not enough memory\)/);
  await finish(session);
});

test("a palette dragged away opens where it was left when the server starts again", async () => {
  const work = workspace();
  const first = await serving([], work);
  const title = await first.page.locator("#palette-title").boundingBox();
  const start = await first.page.$eval("#palette", (p) => [p.offsetTop, p.offsetLeft]);
  const x = title.x + 40;
  const y = title.y + title.height / 2;
  await first.page.mouse.move(x, y);
  await first.page.mouse.down();
  await first.page.mouse.move(x - 500, y - 400, { steps: 5 });
  await andWait(first.page, "/api/drag", () => first.page.mouse.up());
  const place = await first.page.$eval("#palette", (p) => [p.offsetTop, p.offsetLeft]);
  assert.ok(place[0] < start[0] && place[1] < start[1], `moved up and left: ${start} to ${place}`);
  assert.deepEqual(await first.page.evaluate(() => [state.palette.bounds.top, state.palette.bounds.left]), place,
    "the host keeps the place shown");
  await finish(first);
  assert.match(readFileSync(work.prefs, "utf8"), new RegExp(`"kADM_DPLocationStr" ${place[0]},${place[1]}`));

  const second = await serving([], work);
  await second.page.waitForSelector("#palette", { state: "visible" });
  assert.deepEqual(await second.page.$eval("#palette", (p) => [p.offsetTop, p.offsetLeft]), place);
  await finish(second);
});

test("the address loses its token, and a linked SVG opened at its own address runs nothing", async () => {
  const work = workspace();
  writeFileSync(path.join(work.folder, "stamp.svg"),
    '<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10"><script>document.title = "ran";' +
    'fetch("/api/select?ids=all", { method: "POST" });</script><rect width="10" height="10"/></svg>');
  writeFileSync(work.artwork, readFileSync(work.artwork, "utf8")
    .replace("</svg>", '<image id="stamp" href="stamp.svg" width="10" height="10"/></svg>'));
  const session = await serving([], work);
  const { server, page } = session;
  assert.equal(new URL(page.url()).search, "", "the token is gone from the address bar");
  const linked = await browser.context.newPage();
  const response = await linked.goto(`http://127.0.0.1:${server.port}/linked?href=stamp.svg&token=${server.token}`);
  assert.equal(response.status(), 200);
  assert.notEqual(await linked.title(), "ran", "the linked image's script ran on the server's origin");
  await linked.close();
  assert.equal(await page.$eval("#artwork", (a) => a.dataset.selection), "", "nothing was selected");
  await finish(session);
});

// A plain HTTP request, with whatever headers a test gives it.
function request(server, requestPath, headers = {}) {
  return new Promise((resolve, reject) => {
    const call = http.request({ host: "127.0.0.1", port: server.port, path: requestPath, headers }, (response) => {
      response.resume();
      response.on("end", () => resolve(response.statusCode));
    });
    call.on("error", reject);
    call.end();
  });
}

test("a request without the token, or from another origin, is refused", async () => {
  const session = await serving();
  const { server, page } = session;
  const token = server.token;
  // The page's address trades the token for a cookie; every other request carries the cookie.
  const cookie = (value = token) => ({ Cookie: `shunt-token-${server.port}=${value}` });
  assert.equal(await request(server, "/api/state", cookie()), 200);
  assert.equal(await request(server, `/api/state?token=${token}`), 403);
  assert.equal(await request(server, "/api/state"), 403);
  assert.equal(await request(server, "/"), 403);
  assert.equal(await request(server, "/api/state", cookie(token.replace(/.$/, (c) => (c === "0" ? "1" : "0")))), 403);
  assert.equal(await request(server, "/api/state", { ...cookie(), Origin: "http://example.com" }), 403);
  assert.equal(await request(server, "/api/state", { ...cookie(), "Sec-Fetch-Site": "cross-site" }), 403);
  assert.equal(await request(server, "/api/state", { ...cookie(), Host: `rebound.example:${server.port}` }), 403);

  // Files the page may read are fixed when the document is opened: nothing named by a request.
  assert.equal(await request(server, "/linked?href=artwork.svg", cookie()), 404);
  assert.equal(await request(server, "/linked?href=..%2F..%2Fetc%2Fpasswd", cookie()), 404);
  assert.equal(await request(server, "/picture?plugin=0&id=3&name=bitmap", cookie()), 200);
  assert.equal(await request(server, "/picture?plugin=0&id=3&name=..%2Fpictures", cookie()), 404);

  // Another page in the same browser cannot drive the palette, even knowing the token.
  const other = await browser.context.newPage();
  await other.goto("about:blank");
  const status = await other.evaluate(async ({ port, token }) => {
    try {
      const response = await fetch(`http://127.0.0.1:${port}/api/select?ids=all&token=${token}`, { method: "POST" });
      return response.status;
    } catch {
      return "blocked";
    }
  }, { port: server.port, token });
  assert.ok(status === 403 || status === "blocked", `got ${status}`);
  assert.equal(await page.$eval("#artwork", (a) => a.dataset.selection), "", "nothing was selected");
  await other.close();
  await finish(session);
});

// Artwork that tries to act on the page around it: HTML in a foreignObject
// that would navigate away and loosen the referrer policy, a link that would
// send the page's address, styles for the page's own elements and scripts.
function hostileArtwork(port) {
  const elsewhere = `http://127.0.0.1:${port}`;
  return `<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="400" height="300">
  <style>
    #save, #palette { display: none !important; }
    body::after { content: "Your session has expired: sign in again"; }
    :host { position: fixed !important; inset: 0 !important; z-index: 1000 !important; }
  </style>
  <script>document.title = "scripted";</script>
  <rect id="ground" width="400" height="300" fill="#eeeeee" onclick="document.title = 'scripted'"/>
  <a href="${elsewhere}/link" referrerpolicy="unsafe-url" target="_top">
    <rect id="linked" x="20" y="20" width="80" height="60" fill="#3355cc"/>
  </a>
  <foreignObject x="200" y="20" width="150" height="100">
    <html xmlns="http://www.w3.org/1999/xhtml"><head>
      <meta name="referrer" content="unsafe-url"/>
      <meta http-equiv="refresh" content="0;url=${elsewhere}/refresh"/>
    </head><body><p>text</p><script>document.title = "scripted";</script>
      <img src="x" onerror="document.title = 'scripted'"/></body></html>
  </foreignObject>
</svg>
`;
}

test("the artwork cannot act on the page: its HTML, links, styles and scripts stay inside the drawing", async () => {
  // Whatever reaches this server left the page: a navigation or a leaked address.
  const reached = [];
  const elsewhere = http.createServer((request, response) => {
    reached.push(`${request.url} referer=${request.headers.referer ?? ""}`);
    response.end("elsewhere");
  });
  await new Promise((resolve) => elsewhere.listen(0, "127.0.0.1", resolve));
  try {
    const work = workspace();
    writeFileSync(work.artwork, hostileArtwork(elsewhere.address().port));
    const session = await serving([], work);
    const { page, server } = session;
    await page.waitForSelector("#artwork[data-artwork-version]");
    await select(page, "linked");
    await page.waitForTimeout(1500);

    assert.deepEqual(reached, [], "nothing left the page");
    assert.equal(page.url(), new URL("/", server.url).href, "the page stayed where it was");
    assert.match(await page.title(), /^artwork\.svg — Shunt Palette$/, "no script of the artwork ran");
    await page.waitForSelector("#save", { state: "visible" });
    await page.waitForSelector("#palette", { state: "visible" });
    assert.equal(await page.evaluate(() => {
      const box = document.querySelector("#save").getBoundingClientRect();
      return document.elementFromPoint(box.x + box.width / 2, box.y + box.height / 2)?.id;
    }), "save", "the artwork's box does not cover the toolbar");
    assert.equal(await page.evaluate(() => getComputedStyle(document.body, "::after").content), "none",
      "no notice added to the page");
    const kept = await page.evaluate(() => {
      const artwork = document.querySelector("#artwork").shadowRoot;
      return {
        pageMeta: document.querySelectorAll("meta").length,
        inside: [...artwork.querySelectorAll("meta, script, a, [href], [onclick], foreignObject *")].map((e) => e.outerHTML),
        style: artwork.querySelectorAll("style").length,
      };
    });
    assert.deepEqual(kept, { pageMeta: 1, inside: [], style: 1 }, "the artwork's own style stays, inside");
    await finish(session);
  } finally {
    elsewhere.close();
  }
});

// The artwork as the page shows it, each element's attributes in order of name.
// The page draws paths whose own patterns look alike with one pattern of
// its own, whose number depends on the order things happened in: those are
// described by what they hold, and a fill naming one by that too.
function shownArtwork(page) {
  return page.evaluate(() => {
    const root = document.querySelector("#artwork").shadowRoot;
    const isLook = (element) => element.id.startsWith("shunt-look-");
    const attributesOf = (element) => [...element.attributes].filter((a) => !(a.name === "id" && isLook(element)))
      .map((a) => `${a.name}=${a.value.replace(/url\(#(shunt-look-\d+)\)/g, (_, id) =>
        `url(look ${attributesOf(root.getElementById(id))})`)}`).sort().join(" ");
    const describe = (element) => {
      const children = [...element.children];
      const inOrder = children.filter((child) => !isLook(child)).map(describe).join("");
      const looks = children.filter(isLook).map(describe).sort().join("");
      return `<${element.localName} ${attributesOf(element)}>${inOrder}${looks}</>`;
    };
    return describe(root.firstElementChild);
  });
}

// Puts the own patterns the page drew by their looks back into the drawing,
// and the paths' fills back as the host sent them; how many there were.
function withoutLooks(page) {
  return page.evaluate(() => {
    for (const key of looks.ofKey.keys()) artworkDefs().append(artworkView.byKey.get(key));
    for (const art of artworkView.byArt.values()) {
      for (const [name, value] of Object.entries(looks.sent.get(art) ?? {})) art.setAttribute(name, value);
    }
    for (const look of looks.bySignature.values()) look.element.remove();
    return looks.ofKey.size;
  });
}

test("after arrows, undo, redo and selection changes the page shows what a fresh load shows", async () => {
  const session = await serving();
  const { page, server } = session;
  const compare = async (when) => {
    const fresh = await openPage(browser, server);
    await fresh.waitForSelector("#artwork[data-artwork-version]");
    assert.equal(await shownArtwork(page), await shownArtwork(fresh), `${when}: the same elements and attributes`);
    const [patched, loaded] = await Promise.all([page, fresh].map((p) => p.locator("#artwork").screenshot()));
    assert.ok(patched.equals(loaded), `${when}: the same pixels`);
    assert.ok(await withoutLooks(fresh) > 0, `${when}: own patterns drawn by their looks`);
    assert.ok(loaded.equals(await fresh.locator("#artwork").screenshot()), `${when}: as the own patterns draw`);
    await fresh.close();
  };
  await select(page, "tiles");
  await select(page, "other", ["Shift"]);
  await clickItem(page, 3, ["Shift", "Control"]);
  await clickItem(page, 1);
  await compare("after two arrows on two objects");
  const fills = await page.evaluate(() => ["tiles", "other"].map((id) =>
    document.querySelector("#artwork").shadowRoot.getElementById(id).getAttribute("fill")));
  assert.equal(fills[0], fills[1], "patterns moved alike are drawn with one");
  await select(page, "tiles");
  await clickItem(page, 7);
  await compare("after an arrow on one");
  await andWait(page, "/api/undo", () => page.click("#undo"));
  await andWait(page, "/api/undo", () => page.click("#undo"));
  await compare("after two undos");
  await andWait(page, "/api/redo", () => page.click("#redo"));
  await compare("after a redo");
  await select(page, "dashes");
  await clickItem(page, 9);
  await clickItem(page, 11);
  await compare("after a dash shift and a reset");
  await finish(session);
});

// Where the palette's title bar is, and whether a click at its middle reaches it.
function titleBar(page) {
  return page.evaluate(() => {
    const box = document.querySelector("#palette-title").getBoundingClientRect();
    const x = box.left + Math.min(40, box.width / 2);
    const y = box.top + box.height / 2;
    return { top: box.top, left: box.left, bottom: box.bottom, right: box.right,
      clickable: document.elementFromPoint(x, y)?.id === "palette-title",
      inside: box.top >= 24 && box.left >= 0 && box.right <= innerWidth && box.bottom <= innerHeight };
  });
}

async function dragTitle(page, toX, toY) {
  const title = await page.locator("#palette-title").boundingBox();
  await page.mouse.move(title.x + 40, title.y + title.height / 2);
  await page.mouse.down();
  await page.mouse.move(toX, toY, { steps: 5 });
  await andWait(page, "/api/drag", () => page.mouse.up());
}

test("the palette's title bar stays below the menu bar and inside the window, dragged, resized or shown again", async () => {
  const session = await serving();
  const { page } = session;
  await page.waitForSelector("#palette", { state: "visible" });
  await dragTitle(page, 300, 0);
  let title = await titleBar(page);
  assert.ok(title.clickable && title.inside, `dragged to the top: ${JSON.stringify(title)}`);
  const stored = await page.evaluate(() => ({ ...state.palette.bounds }));

  await page.setViewportSize({ width: 800, height: 600 });
  await dragTitle(page, 790, 590);
  await page.setViewportSize({ width: 500, height: 400 });
  await page.waitForFunction(() => document.querySelector("#palette-title").getBoundingClientRect().right <= innerWidth);
  title = await titleBar(page);
  assert.ok(title.clickable && title.inside, `window shrunk: ${JSON.stringify(title)}`);
  const afterDrag = await page.evaluate(() => ({ ...state.palette.bounds }));
  assert.notDeepEqual(afterDrag, stored, "a drag changes the stored place");
  await page.setViewportSize({ width: 1100, height: 800 });
  await page.waitForTimeout(100);
  assert.deepEqual(await page.evaluate(() => ({ ...state.palette.bounds })), afterDrag,
    "resizing the window does not change the stored place");

  await page.setViewportSize({ width: 800, height: 600 });
  for (let i = 0; i < 2; i++) {
    await openMenu(page, "Tool Palettes");
    await page.click('.menu[data-menu="Tool Palettes"] [data-menu-item="Shunt Palette"]');
    await page.waitForSelector("#palette", { state: i === 0 ? "hidden" : "visible" });
  }
  title = await titleBar(page);
  assert.ok(title.clickable && title.inside, `shown again: ${JSON.stringify(title)}`);
  await finish(session);
});

test("at 1024 x 768 the palette shows every label whole, clear of the log", async () => {
  const session = await serving();
  const { page } = session;
  await page.setViewportSize({ width: 1024, height: 768 });
  await page.waitForSelector("#palette", { state: "visible" });
  await select(page, "tiles");
  await clickItem(page, 1);
  const layout = await page.evaluate(() => {
    const inside = (r) => r.left >= 0 && r.top >= 0 && r.right <= innerWidth && r.bottom <= innerHeight;
    const overlap = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    const palette = document.querySelector("#palette").getBoundingClientRect();
    const hint = document.querySelector("#palette-hint");
    const cut = [...document.querySelectorAll("#palette-body button")].filter((button) => {
      const text = button.getBoundingClientRect();
      const range = document.createRange();
      range.selectNodeContents(button);
      const label = range.getBoundingClientRect();
      return label.width > 0 && (label.left < text.left - 0.5 || label.right > text.right + 0.5);
    }).map((button) => button.textContent);
    const log = document.querySelector("#log").getBoundingClientRect();
    return {
      palette: inside(palette), hint: inside(hint.getBoundingClientRect()) && hint.scrollHeight <= hint.clientHeight + 1,
      cut, coversLog: log.width > 0 && (overlap(palette, log) || overlap(hint.getBoundingClientRect(), log)),
    };
  });
  assert.deepEqual(layout, { palette: true, hint: true, cut: [], coversLog: false });
  await finish(session);
});

test("the hint shows the step in force as modifiers go down and up", async () => {
  const session = await serving();
  const { page } = session;
  const step = () => page.textContent("#palette-step");
  assert.equal(await step(), "Step 1");
  await page.keyboard.down("Shift");
  await page.waitForFunction(() => document.querySelector("#palette-step").textContent === "Step 2 — Shift");
  await page.keyboard.down("Alt");
  assert.equal(await step(), "Step 4 — Shift+Alt");
  await page.keyboard.down("Control");
  assert.equal(await step(), "Step 16 — Shift+Ctrl+Alt");
  await page.keyboard.up("Shift");
  assert.equal(await step(), "Step 0.125 — Ctrl+Alt");
  await page.keyboard.up("Alt");
  await page.keyboard.up("Control");
  assert.equal(await step(), "Step 1");
  assert.match(await page.getAttribute('#palette [data-item="3"]', "title"), /pattern inside each selected shape down/);
  await finish(session);
});

test("an operation that changes nothing says why, and internal lines stay off the page", async () => {
  const session = await serving();
  const { page } = session;
  const message = () => page.textContent("#message");
  await clickItem(page, 1);
  assert.match(await message(), /^Nothing selected/);
  await chooseEntry(page, 0);
  assert.equal(await message(), "Nothing selected: no matrix was captured");
  await select(page, "paper");
  await clickItem(page, 1);
  assert.equal(await message(), "Nothing selected has a pattern fill");
  await clickItem(page, 9);
  assert.equal(await message(), "Nothing selected has a dashed stroke");
  await select(page, "tiles", ["Shift"]);
  await chooseEntry(page, 0);
  assert.equal(await message(), "2 objects selected: the matrix of the first one was captured");
  await clickItem(page, 1);
  assert.equal(await message(), "");

  await openMenu(page, "About");
  await page.hover('.menu[data-menu="About"] [data-menu-item="About Korvane Plug-ins"]');
  await page.click('[data-menu-item="About Korvane Plug-ins"] [data-menu-item="Shunt Palette..."]');
  await page.waitForSelector('#modal-backdrop[data-kind="dialog"]');
  await answerModal(page);
  assert.doesNotMatch(await page.textContent("#log"), /result/);

  await andWait(page, "/api/save", () => page.click("#save"));
  await page.waitForFunction(() => /^Saved to /.test(document.querySelector("#message").textContent));
  await clickItem(page, 1);
  assert.equal(await message(), "", "a later change clears what the save said");
  await finish(session);
});

test("a move by whole pattern tiles says why the picture looks the same", async () => {
  const work = workspace();
  writeFileSync(work.artwork, readFileSync(work.artwork, "utf8").replaceAll('width="20" height="20"', 'width="16" height="16"'));
  const session = await serving([], work);
  const { page } = session;
  await select(page, "tiles");
  await clickItem(page, 3, ["Shift", "Alt"]);
  assert.equal(await page.textContent("#message"), "");
  await clickItem(page, 3, ["Shift", "Alt", "Control"]);
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,20)");
  assert.equal(await page.textContent("#message"), "Moved by 16, a whole number of pattern tiles: the pattern looks the same");
  await finish(session);
});

test("after a save elsewhere the title names the file saved to", async () => {
  const work = workspace();
  const session = await serving(["--save-to", path.join(work.folder, "copy.svg")], work);
  const { page } = session;
  assert.equal(await page.textContent("#document-name"), "artwork.svg");
  await andWait(page, "/api/save", () => page.click("#save"));
  await page.waitForFunction(() => document.querySelector("#document-name").textContent === "copy.svg");
  assert.equal(await page.title(), "copy.svg — Shunt Palette");
  await finish(session);
});

test("the selection: boxes with handles, a status with names, strokes hit near their outline, empty canvas deselects", async () => {
  const session = await serving();
  const { page } = session;
  const thin = await page.locator(art("thin")).boundingBox();
  // 2 px below the middle of a 1 px dotted line, between two dots.
  await page.mouse.click(thin.x + 103, thin.y + thin.height / 2 + 2);
  await page.waitForFunction(() => document.querySelector("#selection-status").textContent === "1 selected: thin");
  assert.equal(await page.$$eval(".selection-box .handle", (all) => all.length), 8);

  await select(page, "tiles", ["Shift"]);
  assert.match(await page.textContent("#selection-status"), /^2 selected: (tiles, thin|thin, tiles)$/);
  assert.equal(await page.evaluate(() => String(getSelection())), "", "Shift-click selects no text");

  await andWait(page, "/api/select", () => page.mouse.click(700, 500));
  assert.equal(await page.$eval("#artwork", (a) => a.dataset.selection), "");
  assert.equal(await page.textContent("#selection-status"), "Nothing selected");
  await finish(session);
});

// A drawing of many small squares at fractions of a pixel, and, far from
// them, two that overlap.
function manyObjects(count) {
  const squares = [];
  for (let i = 0; i < count; i++) {
    squares.push(`<path id="s${i}" d="M${(i % 12) * 9.3 + 0.37},${Math.floor(i / 12) * 9.1 + 0.61}h7.1v6.3h-7.1z" fill="#7a7"/>`);
  }
  return `<svg xmlns="http://www.w3.org/2000/svg" width="2600" height="1900" viewBox="0 0 1897.81 1386.9">
${squares.join("\n")}
<path id="far-a" d="M1500.3,1100.45h37.2v23.9h-37.2z" fill="#a77"/>
<path id="far-b" d="M1531.1,1118.2h3.7v30.05h-3.7z" fill="#77a"/>
</svg>
`;
}

test("a large drawing is drawn around the view, and a large selection as a few elements, each box as it would look, wherever it is scrolled", async () => {
  const work = workspace();
  writeFileSync(work.artwork, manyObjects(150));
  const session = await serving([], work);
  const { page } = session;
  await page.evaluate(() => { document.querySelector("#palette").hidden = true; });
  const shot = async () => {
    const box = await page.locator(art("far-a")).boundingBox();
    return decoded(page, await page.screenshot({ clip: { x: box.x - 12, y: box.y - 12, width: 64, height: 64 } }));
  };
  const scroll = () => page.$eval("#canvas", (canvas) => [canvas.scrollLeft, canvas.scrollTop]);
  const frame = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve))));
  const differing = (a, b, by) => a.rgba.filter((value, i) => i % 4 !== 3 && Math.abs(value - b.rgba[i]) > by).length;
  const clip = () => page.$eval("#artwork", (artwork) => getComputedStyle(artwork).clipPath);
  const atTop = await clip();
  assert.notEqual(atTop, "none", "a drawing larger than the view is drawn only around the view");
  await page.emulateMedia({ media: "print" });
  assert.equal(await clip(), "none", "but printed whole");
  await page.emulateMedia({ media: "screen" });
  await page.locator(art("far-a")).scrollIntoViewIfNeeded();
  await frame();
  assert.notEqual(await clip(), atTop, "and around the part scrolled to");
  const unselected = await shot();
  await page.$eval("#artwork", (artwork) => artwork.style.setProperty("clip-path", "none"));
  await frame();
  assert.equal(differing(unselected, await shot(), 0), 0, "all that can be seen is drawn");
  await page.evaluate(() => clipArtwork());
  await select(page, "far-a");
  await select(page, "far-b", ["Shift"]);
  const scrolled = await scroll();
  const alone = await shot();
  assert.ok(differing(unselected, alone, 2) > 500, "the two boxes are seen");

  // Selected away from the two, where they are not drawn, and scrolled back.
  await page.$eval("#canvas", (canvas) => canvas.scrollTo(0, 0));
  await andWait(page, "/api/select", () => page.click("#select-all"));
  assert.equal(await page.$eval("#artwork", (a) => a.dataset.selection.split(",").length), 152);
  assert.ok(await page.$$eval("#selection-layer *", (all) => all.length) < 10, "a few elements for 152 boxes");
  await frame();
  await page.$eval("#canvas", (canvas, [x, y]) => canvas.scrollTo(x, y), scrolled);
  await frame();
  assert.deepEqual(await scroll(), scrolled);
  // Blending on a canvas may round a channel the other way.
  assert.equal(differing(alone, await shot(), 1), 0, "the same picture, to a level of 255");
  await finish(session);
});

test("keys: arrows and brackets move like the palette's buttons, Ctrl+Y redoes, Escape closes only the menu", async () => {
  const session = await serving();
  const { page, server } = session;
  await select(page, "tiles");
  await andWait(page, "/api/click", () => page.keyboard.press("Shift+Control+ArrowDown"));
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,8)");
  await andWait(page, "/api/click", () => page.keyboard.press("ArrowLeft"));
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,-1,8)");
  await andWait(page, "/api/undo", () => page.keyboard.press("Control+z"));
  await andWait(page, "/api/redo", () => page.keyboard.press("Control+y"));
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,-1,8)");
  await andWait(page, "/api/undo", () => page.click("#undo"));
  await andWait(page, "/api/click", () => page.keyboard.press("ArrowUp"));
  assert.equal(await patternTransform(page, "tiles"), "matrix(1,0,0,1,0,7)", "after a toolbar click too");
  await select(page, "dashes");
  await andWait(page, "/api/click", () => page.keyboard.press("BracketLeft"));
  assert.equal(await dashOffset(page, "dashes"), "1");

  await openMenu(page, "Tool Palettes");
  await page.keyboard.press("Escape");
  await page.waitForSelector(".menu.open", { state: "detached" });
  await page.waitForTimeout(200);
  assert.notEqual(await page.$eval("#artwork", (a) => a.dataset.selection), "", "the selection stays");
  await andWait(page, "/api/select", () => page.keyboard.press("Escape"));
  assert.equal(await page.$eval("#artwork", (a) => a.dataset.selection), "");

  const cookie = { Cookie: `shunt-token-${server.port}=${server.token}` };
  assert.ok([204, 404].includes(await request(server, "/favicon.ico", cookie)));
  assert.ok([204, 404].includes(await request(server, "/favicon.ico")), "no refusal for the icon");
  await finish(session);
});
