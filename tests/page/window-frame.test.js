// The window's frame as the document gives it to the engine: the size the
// engine opens the window at, and the caption that drags it.

import { test } from "node:test";
import assert from "node:assert/strict";
import { usePage } from "./support/harness.js";

const openPage = usePage();

test("the document states the window's size: the panel and its margins", async () => {
  const page = await openPage();
  const sizes = await page.evaluate(() => {
    const root = document.documentElement;
    const panel = getComputedStyle(document.body);
    const outer = (size, before, after) => parseFloat(size) + parseFloat(before) + parseFloat(after);
    return {
      stated: [root.getAttribute("window-width"), root.getAttribute("window-height")],
      panel: [outer(panel.width, panel.marginLeft, panel.marginRight), outer(panel.height, panel.marginTop, panel.marginBottom)],
    };
  });
  // A dip is a pixel at 96 DPI; the page tests serve dip as px.
  assert.deepEqual(sizes.stated, sizes.panel.map((n) => `${n}dip`));
  assert.deepEqual(sizes.panel, [798, 542]);
});

test("the window's buttons sit beside the caption, never inside it", async () => {
  const page = await openPage();
  const captions = await page.$$eval('[role="window-caption"]', (els) => els.map((el) => ({
    inHeader: el.parentElement.localName,
    controls: el.querySelectorAll("button, input, widget, a").length,
    besideIt: Array.from(el.parentElement.querySelectorAll("button"), (b) => b.id),
  })));
  assert.deepEqual(captions, [
    { inHeader: "header", controls: 0, besideIt: ["btnSysMinimize", "btnSysClose"] },
    { inHeader: "header", controls: 0, besideIt: ["hide-eula"] },
  ]);
  const roles = await page.$$eval("[role]", (els) => els.map((el) => `${el.id || el.className}:${el.getAttribute("role")}`));
  assert.deepEqual(roles, ["caption:window-caption", "btnSysMinimize:window-minimize", "caption:window-caption"]);
});
