// The user's way through the window, as the preview script and the tests
// walk it. Folders are picked through the window's folder picker, which the
// browser shows as a prompt: the answer is typed in for the user.

export async function acceptTerms(page) {
  await page.click(".eula-footer .check");
}

export async function pressContinue(page) {
  await page.click("#close-eula");
}

export async function pickFolder(page, button, folder) {
  page.once("dialog", (dialog) => dialog.accept(folder));
  await page.click(button);
}

export async function chooseFolders(page, { encrypted, pairs }) {
  await page.click("#encrypted-folder-option");
  await pickFolder(page, "#browse-encrypted", encrypted);
  if (pairs !== undefined) await pickFolder(page, "#browse-test", pairs);
}

export async function setBackup(page, checked) {
  const box = '.option[data-id="1"]';
  if ((await page.$eval(box, (el) => el.state.checked)) !== checked) await page.click(box);
}

export async function startNow(page) {
  await page.click("#start-tool");
}

export function currentStep(page) {
  return page.getAttribute("body", "current_step");
}

export async function waitForStep(page, steps, timeout = 60000) {
  const wanted = [].concat(steps).map(String);
  await page.waitForFunction((list) => list.includes(document.body.getAttribute("current_step")), wanted, { timeout });
  return currentStep(page);
}

export function progressLines(page) {
  return page.$$eval(".progress-list li", (items) => items.map((li) => li.innerText.trim()));
}
