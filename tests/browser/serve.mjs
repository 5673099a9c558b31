// Starting and stopping `shunt-host serve`, and a headless Chromium to open
// its page in, for the end-to-end tests and the README's screenshot.
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

export const CHROMIUM = process.env.SHUNT_CHROMIUM || "/usr/bin/chromium";

// Starts the server on a free port and resolves once it printed its address.
export function startServe(args) {
  const host = process.env.SHUNT_HOST;
  if (!host) throw new Error("SHUNT_HOST must name the shunt-host program");
  const plugins = process.env.SHUNT_PLUGINS ? ["--plugins", process.env.SHUNT_PLUGINS] : [];
  const child = spawn(host, ["serve", ...args, "--port", "0", ...plugins], { stdio: ["ignore", "pipe", "pipe"] });
  let stdout = "";
  let stderr = "";
  const exited = new Promise((resolve) => child.on("exit", (code, signal) => resolve({ code, signal, stderr })));
  child.stderr.on("data", (chunk) => { stderr += chunk; });
  return new Promise((resolve, reject) => {
    child.stdout.on("data", (chunk) => {
      stdout += chunk;
      const found = stdout.match(/Open (http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]+))/);
      if (found) {
        resolve({
          url: found[1], port: Number(found[2]), token: found[3], exited,
          // SIGTERM, as Ctrl-C would: the plug-ins shut down and the preferences are written.
          async stop() {
            child.kill("SIGTERM");
            return exited;
          },
        });
      }
    });
    exited.then(({ code }) => reject(new Error(`shunt-host serve exited (${code}) before serving: ${stderr}`)));
  });
}

// A fresh profile each time, thrown away afterwards.
export async function launchBrowser() {
  const profile = mkdtempSync(path.join(tmpdir(), "shunt-chromium-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    viewport: { width: 1100, height: 800 },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  return {
    context,
    async close() {
      await context.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Opens the page and waits until it shows the host's first state.
export async function openPage(browser, server) {
  const page = await browser.context.newPage();
  await page.goto(server.url);
  await page.waitForSelector("body[data-version]");
  return page;
}
