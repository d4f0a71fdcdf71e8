// Shows the window as a user meets it: builds nothing itself (tools/preview.sh
// does), makes a Wine prefix with a folder of files encrypted by the
// demonstration family, starts the program in preview mode with the
// demonstration library, walks the five steps in headless Chromium and saves a
// screenshot of each in build/preview/screenshots/.

import { mkdir } from "node:fs/promises";
import path from "node:path";
import { launchBrowser } from "../page/support/browser.js";
import { REPO, makeWineDrive, makeCase, readLog } from "./support/wine.js";
import { makeEncryptedFolder, filesUnder } from "./support/demo-files.js";
import { startPreview, waitForExit } from "./support/session.js";
import * as steps from "./support/steps.js";

const SHOTS = process.env.PREVIEW_SCREENSHOTS || path.join(REPO, "build/preview/screenshots");

async function main() {
  await mkdir(SHOTS, { recursive: true });
  const wineDrive = await makeWineDrive("tour");
  const browser = await launchBrowser();
  let session;
  try {
    const testCase = await makeCase(wineDrive, "tour");
    const folders = await makeEncryptedFolder(wineDrive, testCase, { count: 6 });
    console.log("Encrypted folder:", (await filesUnder(testCase.localPath("victim"))).join(" "));
    session = await startPreview({ browser, wineDrive, testCase });
    const { page } = session;
    const shot = async (name) => {
      const file = path.join(SHOTS, `${name}.png`);
      await page.screenshot({ path: file });
      console.log("Screenshot:", path.relative(process.cwd(), file));
    };

    await steps.acceptTerms(page);
    await shot("1-welcome-accepted");
    await steps.pressContinue(page);
    await shot("2-settings");
    await steps.chooseFolders(page, folders);
    await steps.setBackup(page, false);
    await shot("3-folders-chosen");
    await steps.startNow(page);
    await page.waitForSelector(".progress-list li");
    await shot("4-progress");
    await steps.waitForStep(page, [4, 5]);
    await shot("5-outcome");

    await page.click("#btnSysClose");
    console.log("Exit code:", await waitForExit(session.program, 30000));
    console.log("Folder after the run:", (await filesUnder(testCase.localPath("victim"))).join(" "));
    console.log("Log:\n" + (await readLog(wineDrive)));
  } finally {
    await session?.close();
    await browser.close();
    await wineDrive.remove();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
