// Which step and whether the side banner are displayed for each value of the
// body's current_step, as the style sheet decides.

import { test } from "node:test";
import assert from "node:assert/strict";
import { usePage } from "./support/harness.js";

const openPage = usePage();

const CASES = [
  { currentStep: "1", shownStep: "1", banner: false },
  { currentStep: "2", shownStep: "2", banner: true },
  { currentStep: "3", shownStep: "3", banner: true },
  { currentStep: "4", shownStep: "4", banner: true },
  { currentStep: "5", shownStep: "5", banner: true },
  { currentStep: "6", shownStep: null, banner: false },
  { currentStep: "16", shownStep: null, banner: false },
];

function displayed(page) {
  return page.evaluate(() => ({
    steps: Array.from(document.querySelectorAll("div[step]"))
      .filter((div) => getComputedStyle(div).display !== "none")
      .map((div) => div.getAttribute("step")),
    banner: getComputedStyle(document.querySelector(".banner")).display !== "none",
  }));
}

test("the document opens on the welcome step without the banner", async () => {
  const page = await openPage();
  assert.deepEqual(await displayed(page), { steps: ["1"], banner: false });
  assert.equal(await page.isVisible("#eula-modal"), false);
});

test("current_step selects the displayed step and the banner", async (t) => {
  const page = await openPage();
  for (const { currentStep, shownStep, banner } of CASES) {
    await t.test(`current_step="${currentStep}"`, async () => {
      await page.evaluate((value) => document.body.setAttribute("current_step", value), currentStep);
      assert.deepEqual(await displayed(page), { steps: shownStep ? [shownStep] : [], banner });
    });
  }
});
