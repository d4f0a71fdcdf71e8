// Files of the demonstration family for a case: clean files in victim\ that
// demo_encrypt.exe encrypts in place, leaving clean/encrypted pairs in pairs\.

import { mkdir, writeFile, readdir } from "node:fs/promises";
import path from "node:path";
import { runInPrefix } from "./wine.js";

export async function makeEncryptedFolder(wineDrive, testCase, { count = 4 } = {}) {
  const victim = testCase.localPath("victim");
  await mkdir(path.join(victim, "photos"), { recursive: true });
  await mkdir(testCase.localPath("pairs"), { recursive: true });
  const originals = {};
  for (let i = 1; i <= count; i++) {
    const name = i % 2 ? `report-${i}.txt` : `photos/report-${i}.txt`;
    originals[name] = `Quarterly report ${i}\nThe numbers are fine.\n`.repeat(1 + (i % 7));
    await writeFile(path.join(victim, name), originals[name]);
  }
  await runInPrefix(wineDrive, testCase.app, "demo_encrypt.exe", [testCase.windowsPath("victim"), testCase.windowsPath("pairs")]);
  return { encrypted: testCase.windowsPath("victim"), pairs: testCase.windowsPath("pairs"), originals };
}

// Every file under a folder, as paths relative to it with forward slashes, sorted.
export async function filesUnder(folder) {
  const entries = await readdir(folder, { recursive: true, withFileTypes: true });
  return entries
    .filter((e) => e.isFile())
    .map((e) => path.relative(folder, path.join(e.parentPath ?? e.path, e.name)).split(path.sep).join("/"))
    .sort();
}
