// Debian's Chromium, headless, in a profile made for this run only. Nothing
// is downloaded: the browser must already be installed at CHROMIUM.

import { chromium } from "playwright-core";
import { mkdtemp, rm } from "node:fs/promises";
import os from "node:os";
import path from "node:path";

export const CHROMIUM = process.env.CHROMIUM_PATH || "/usr/bin/chromium";

const ARGS = [
  "--headless",
  "--no-sandbox",
  "--disable-gpu",
  "--disable-quic",
  "--no-first-run",
  "--disable-background-networking",
  "--disable-component-update",
  "--disable-sync",
];

export async function launchBrowser() {
  const profile = await mkdtemp(path.join(os.tmpdir(), "page-tests-profile-"));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: ARGS,
    viewport: { width: 800, height: 544 },
  });
  return {
    context,
    async close() {
      await context.close();
      await rm(profile, { recursive: true, force: true });
    },
  };
}
