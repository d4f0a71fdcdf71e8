// When "Start now" is enabled. Each case sets up the page the way the native
// side would, enters the settings step, picks a radio, then fills the fields
// through their Browse buttons (encrypted folder first), and reads the button.

import { test } from "node:test";
import assert from "node:assert/strict";
import { usePage, callPage, enterSettings, isDisabled, browse } from "./support/harness.js";

const openPage = usePage();

const WHOLE = '.option[data-id="2"]';
const FOLDER = "#encrypted-folder-option";

// pairs: the file-pairs folder is needed; scanRow: the encrypted-path row is shown;
// radios: clicked in order; encrypted/pairs: fields filled by Browse.
const CASES = [
  { pairs: true, scanRow: true, radios: [WHOLE], encrypted: false, test: false, enabled: false },
  { pairs: true, scanRow: true, radios: [WHOLE], encrypted: false, test: true, enabled: true },
  { pairs: false, scanRow: true, radios: [WHOLE], encrypted: false, test: false, enabled: true },
  { pairs: true, scanRow: true, radios: [FOLDER], encrypted: false, test: false, enabled: false },
  { pairs: true, scanRow: true, radios: [FOLDER], encrypted: true, test: false, enabled: false },
  { pairs: true, scanRow: true, radios: [FOLDER], encrypted: false, test: true, enabled: false },
  { pairs: true, scanRow: true, radios: [FOLDER], encrypted: true, test: true, enabled: true },
  { pairs: false, scanRow: true, radios: [FOLDER], encrypted: false, test: false, enabled: false },
  { pairs: false, scanRow: true, radios: [FOLDER], encrypted: true, test: false, enabled: true },
  { pairs: true, scanRow: false, radios: [FOLDER], encrypted: false, test: false, enabled: false },
  { pairs: true, scanRow: false, radios: [FOLDER], encrypted: false, test: true, enabled: true },
  { pairs: false, scanRow: false, radios: [FOLDER], encrypted: false, test: false, enabled: false },
  { pairs: true, scanRow: false, radios: [WHOLE], encrypted: false, test: true, enabled: true },
  { pairs: false, scanRow: false, radios: [WHOLE], encrypted: false, test: false, enabled: true },
  { pairs: true, scanRow: true, radios: [FOLDER, WHOLE], encrypted: false, test: false, enabled: false },
  { pairs: false, scanRow: true, radios: [FOLDER, WHOLE], encrypted: false, test: false, enabled: true },
];

function caseName({ pairs, scanRow, radios, encrypted, test: pairsFilled }) {
  const radioNames = radios.map((r) => (r === WHOLE ? "whole" : "folder")).join(">");
  return [
    pairs ? "pairs needed" : "no pairs", scanRow ? "row shown" : "row hidden", radioNames,
    encrypted ? "encrypted filled" : "encrypted empty", pairsFilled ? "pairs filled" : "pairs empty",
  ].join(", ");
}

test("Start now is enabled exactly when the needed paths are there", async (t) => {
  for (const c of CASES) {
    await t.test(caseName(c), async () => {
      const page = await openPage();
      if (!c.pairs) await callPage(page, "disableTestPath");
      if (!c.scanRow) await callPage(page, "disableScanPath");
      await enterSettings(page);
      for (const radio of c.radios) await page.click(radio);
      if (c.encrypted) await browse(page, "#browse-encrypted", "D:\\Encrypted");
      if (c.test) await browse(page, "#browse-test", "D:\\Pairs");
      assert.equal(await isDisabled(page, "#start-tool"), !c.enabled);
    });
  }
});
