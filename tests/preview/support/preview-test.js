// What every preview test file needs: one sealed Wine prefix and one browser
// for the file, a case folder per test, a preview session per run that is
// always ended, and screenshots kept as artifacts.

import { before, after } from "node:test";
import { mkdir } from "node:fs/promises";
import path from "node:path";
import { launchBrowser } from "../../page/support/browser.js";
import { REPO, makeWineDrive, makeCase } from "./wine.js";
import { startPreview } from "./session.js";

export const SCREENSHOTS = process.env.PREVIEW_SCREENSHOTS || path.join(REPO, "build/preview/screenshots/tests");

export function usePreviewPrefix(label) {
  const shared = {};
  before(async () => {
    shared.wineDrive = await makeWineDrive(label);
    shared.browser = await launchBrowser();
    await mkdir(SCREENSHOTS, { recursive: true });
  });
  after(async () => {
    await shared.browser?.close();
    await shared.wineDrive?.remove();
  });

  return {
    get wineDrive() { return shared.wineDrive; },
    newCase: (name, options) => makeCase(shared.wineDrive, name, options),
    // Runs body(session) against a fresh run of the program; the program and
    // the tab are gone afterwards, whatever happened.
    async withPreview(testCase, options, body) {
      const session = await startPreview({ browser: shared.browser, wineDrive: shared.wineDrive, testCase, ...options });
      try {
        return await body(session);
      } finally {
        await session.close();
      }
    },
  };
}

export function screenshot(page, name) {
  return page.screenshot({ path: path.join(SCREENSHOTS, `${name}.png`) });
}

// "3 files were decrypted.<br/>0 files could not be decrypted." -> [3, 0]
export function progressCounts(text) {
  const match = /^(\d+) files were decrypted\.<br\/>(\d+) files could not be decrypted\.$/.exec(text);
  if (!match) throw new Error(`not a progress text: ${text}`);
  return [Number(match[1]), Number(match[2])];
}
