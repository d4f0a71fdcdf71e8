// What every page test needs: one server and one browser per test file, a
// fresh page per test, and short ways to call the page's global functions and
// to read what the page asked of the native side.

import { before, after } from "node:test";
import { startServer } from "./server.js";
import { launchBrowser } from "./browser.js";

export function usePage(serverOptions = {}) {
  let server;
  let browser;
  const pages = [];

  before(async () => {
    server = await startServer(serverOptions);
    browser = await launchBrowser();
  });
  after(async () => {
    await browser?.close();
    await server?.close();
  });

  return async function openPage() {
    for (const old of pages.splice(0)) await old.close();
    const page = await browser.context.newPage();
    pages.push(page);
    const errors = [];
    page.on("pageerror", (error) => errors.push(error));
    page.pageErrors = errors;
    await page.goto(server.mainUrl);
    await page.evaluate(() => globalThis.__engine.ready);
    await page.waitForFunction(() => typeof globalThis.getOptions === "function");
    return page;
  };
}

export function callPage(page, name, ...args) {
  return page.evaluate(([fn, list]) => globalThis[fn](...list), [name, args]);
}

export function engineCalls(page) {
  return page.evaluate(() => globalThis.__engine.calls.map((c) => ({ name: c.name, args: c.args })));
}

export function currentStep(page) {
  return page.getAttribute("body", "current_step");
}

export function isDisabled(page, selector) {
  return page.$eval(selector, (el) => el.state.disabled);
}

export function isChecked(page, selector) {
  return page.$eval(selector, (el) => el.state.checked);
}

export function inlineDisplay(page, selector) {
  return page.$eval(selector, (el) => el.style.display);
}

export function shownDisplay(page, selector) {
  return page.$eval(selector, (el) => getComputedStyle(el).display);
}

// Ticks the Terms of Use box and presses "Continue".
export async function enterSettings(page) {
  await page.click(".eula-footer .check");
  await page.click("#close-eula");
}

// Presses a "Browse" button; the picker is answered with a folder, or
// cancelled when folder is null.
export async function browse(page, button, folder) {
  const answered = new Promise((resolve) => {
    page.once("dialog", async (dialog) => {
      if (folder === null) await dialog.dismiss();
      else await dialog.accept(folder);
      resolve(dialog.message());
    });
  });
  await page.click(button);
  return answered;
}
