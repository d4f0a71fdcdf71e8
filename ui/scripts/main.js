// The window's script: drives the steps on the user's actions and offers the
// native side the global functions through which it fills and reads the page.

import { $, $$, on } from "@sciter";

const PRODUCT_OFFER_URL = "https://www.ostrivel.example/wardline/offer?source=decryption-tool";

const view = Window.this;

// Shown on the settings step when it is entered; the native side sends it
// while the welcome step is still up.
let tool_description = "";
// Once the library says it needs no file pairs, "Start now" stops waiting for them.
let test_path_disabled = false;

// ---------------------------------------------------------------- helpers

function setStep(step) {
  $("body").setAttribute("current_step", String(step));
}

function setDisabled(el, disabled) {
  el.state.disabled = disabled;
}

function isChecked(el) {
  return !!el.state.checked;
}

// Only the inline style set by disableScanPath/disableTestPath hides the path
// blocks, so that is the one thing to look at.
function isHidden(el) {
  return el.style.display == "none";
}

function hide(el) {
  el.style.display = "none";
}

function fieldText(id) {
  return $("#" + id).value || "";
}

function optionElement(id) {
  return $(`.option[data-id="${id}"]`);
}

function startButton() {
  return $("#start-tool");
}

// The picker answers with a file address, or nothing when the user cancels.
function pickFolder(caption) {
  const url = view.selectFolder({ caption: caption });
  return url ? URL.toPath(url) : "";
}

// The program runs elevated: links are opened by the signed-in user's own
// shell, and only web pages and the log file (native code decides).
function openLink(target) {
  view.frame.OpenLink(target);
}

function progressItem(message) {
  return "<li>" + message + "</li>";
}

function optionMarkup(option) {
  return '<widget type="checkbox" class="check mb-0 option"'
    + ' data-id="' + option.id + '" '
    + (option.checked_by_default ? "checked " : "")
    + ">" + option.name + "</widget>"
    + '<div class="indent mt-h">' + option.description + "</div>";
}

// ------------------------------------------- functions called by native code

globalThis.addOptions = function (options) {
  const body = $(".checkboxtest");
  for (const option of options)
    body.insertAdjacentHTML("beforeend", optionMarkup(option));
};

globalThis.setRansomwareName = function (name) {
  for (const title of $$(".page-title"))
    title.textContent = title.textContent.replace("%ransomware-name%", () => name);
};

globalThis.setToolDescription = function (description) {
  tool_description = description;
};

globalThis.disableScanPath = function () {
  hide($("#encrypted-folder"));
};

globalThis.disableTestPath = function () {
  hide($("#test-folder"));
  test_path_disabled = true;
};

globalThis.disableBackup = function () {
  hide(optionElement(1));
};

globalThis.disableWholeScan = function () {
  hide(optionElement(2));
};

globalThis.disableOverwrite = function () {
  hide(optionElement(3));
};

// Called when the library has no options of its own and cannot replace
// earlier results. The replace option is already hidden by then, so the
// advanced section would open onto an empty body: hide the whole section,
// toggle included. Options inside it keep their state and are still reported
// by getOptions.
globalThis.disableAdvancedOptions = function () {
  hide($(".collapsible"));
};

globalThis.getOptions = function () {
  return $$(".option").map((el) => ({
    id: parseInt(el.getAttribute("data-id"), 10),
    checked: isChecked(el),
  }));
};

globalThis.getEncryptedPath = function () {
  return fieldText("browse-encrypted-label");
};

globalThis.getTestPath = function () {
  return fieldText("browse-test-label");
};

globalThis.setProgressInfo = function (message) {
  $(".progress-list").innerHTML = progressItem(message);
};

globalThis.appendProgressInfo = function (message) {
  $(".progress-list").insertAdjacentHTML("beforeend", progressItem(message));
};

globalThis.setFinalMessage = function (message) {
  for (const title of $$(".status-title"))
    title.textContent = message;
};

globalThis.setLogPath = function (path) {
  const link = $(".log-name");
  link.textContent = path;
  link.setAttribute("href", '"file:///' + path + '"');
};

globalThis.showFinalStep = function (status) {
  setStep(status ? 4 : 5);
};

globalThis.showDecryptionStep = function (status) {
  setStep(3);
};

// ------------------------------------------------------- the user's actions

// Acceptance of the Terms of Use gates "Continue".
on("change", ".eula-footer .check", (evt, box) => {
  setDisabled($("#close-eula"), !isChecked(box));
});

// The link itself takes no mouse input (class disable-me); the handler stays
// so that the popup can still be opened from it.
on("click", "#show-eula", (evt) => {
  evt.preventDefault();
  const modal = $("#eula-modal");
  modal.style.visibility = "visible";
  modal.style.display = "block";
});

on("click", "#hide-eula", () => {
  const modal = $("#eula-modal");
  modal.style.visibility = "hidden";
  modal.style.display = "none";
});

on("click", "#close-eula", () => {
  setStep(2);
  $("#tool-description").textContent = "Notice: " + tool_description;
  // "Scan the entire system" is selected here, so only the file pairs can be missing.
  if (!test_path_disabled && fieldText("browse-test-label") == "")
    setDisabled(startButton(), true);
});

on("click", ".banner", () => {
  openLink(PRODUCT_OFFER_URL);
});

on("click", "#encrypted-folder-option", () => {
  setDisabled($("#browse-encrypted"), false);
  setDisabled($("#encrypted-folder"), false);
  if (fieldText("browse-encrypted-label") == "")
    setDisabled(startButton(), true);
});

on("click", "#browse-encrypted", () => {
  const path = pickFolder("Select encrypted folder.");
  if (path != "")
    $("#browse-encrypted-label").value = path;
  const ready = fieldText("browse-encrypted-label") != ""
    && (isHidden($("#test-folder")) || fieldText("browse-test-label") != "");
  setDisabled(startButton(), !ready);
});

on("click", "#browse-test", () => {
  const path = pickFolder("Select test folder..");
  if (path != "")
    $("#browse-test-label").value = path;
  const ready = (fieldText("browse-test-label") != ""
      && (isHidden($("#encrypted-folder")) || fieldText("browse-encrypted-label") != ""))
    || isChecked(optionElement(2));
  setDisabled(startButton(), !ready);
});

on("click", '.option[data-id="2"]', (evt, wholeScan) => {
  const row = $("#encrypted-folder");
  if (isChecked(wholeScan)) {
    setDisabled(row, true);
    setDisabled(startButton(), !test_path_disabled && fieldText("browse-test-label") == "");
    return;
  }
  setDisabled(row, false);
  // This branch only ever withholds "Start now"; the Browse handlers grant it.
  const missingScanPath = !isHidden(row) && fieldText("browse-encrypted-label") == "";
  const missingTestPath = !isHidden($("#test-folder")) && fieldText("browse-test-label") == "";
  if (missingScanPath || missingTestPath)
    setDisabled(startButton(), true);
});

on("click", "#start-tool", () => {
  setStep(3);
  view.frame.DecryptWrapper();
});

on("click", "#stop-decryption", () => {
  view.frame.StopDecryption();
});

// A run may be going on: stop it before the window goes away.
on("click", "#btnSysClose", () => {
  view.frame.StopDecryption();
  Window.this.close();
});

on("click", 'a[class="log-name"]', (evt, link) => {
  evt.preventDefault();
  openLink(link.getAttribute("href"));
});

on("click", 'a[class="support-page"]', (evt, link) => {
  evt.preventDefault();
  openLink(link.getAttribute("href"));
});
