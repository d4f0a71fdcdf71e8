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
    const folders = await makeEncryptedFolder(wineDrive, testCase, { count: 1000 });
    const before = await filesUnder(testCase.localPath("victim"));
    console.log(`Encrypted folder: ${before.length} files, such as ${before[0]}`);
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
    await page.$eval(".content-scroll", (el) => { el.scrollTop = 0; });
    await shot("3-folders-chosen");
    await steps.startNow(page);
    // A count above zero makes the better picture, if the run lasts that long.
    await page.waitForFunction(() => document.body.getAttribute("current_step") !== "3"
      || /^[1-9]/.test(document.querySelector(".progress-list").innerText));
    await shot("4-progress");
    await steps.waitForStep(page, [4, 5]);
    await shot("5-outcome");

    await page.click("#btnSysClose");
    console.log("Exit code:", await waitForExit(session.program, 30000));
    const after = await filesUnder(testCase.localPath("victim"));
    console.log(`Folder after the run: ${after.length} files, such as ${after[0]}`);
    const log = (await readLog(wineDrive)).trimEnd().split("\n");
    console.log(`Log (${log.length} lines), beginning and end:`);
    console.log([...log.slice(0, 3), "...", ...log.slice(-4)].join("\n"));
  } finally {
    await session?.close();
    await browser.close();
    if (!process.env.PREVIEW_KEEP) await wineDrive.remove();
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
