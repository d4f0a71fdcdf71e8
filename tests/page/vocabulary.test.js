// The window's style sheet and markup use only words of the engine's
// dialect: no browser answers for the engine here, so the files themselves
// are read against the table of what the engine's SDK documents.

import { test } from "node:test";
import assert from "node:assert/strict";
import { readFile, readdir } from "node:fs/promises";
import path from "node:path";
import { UI_ROOT } from "./support/server.js";
import { checkStyleSheet, checkMarkup } from "./support/engine-vocabulary.js";

test("the style sheet and the documents use only the engine's documented words", async () => {
  const problems = checkStyleSheet(await readFile(path.join(UI_ROOT, "css/main.css"), "utf8"))
    .map((p) => `css/main.css:${p}`);
  for (const name of (await readdir(path.join(UI_ROOT, "html"))).filter((n) => n.endsWith(".html")))
    problems.push(...checkMarkup(await readFile(path.join(UI_ROOT, "html", name), "utf8")).map((p) => `html/${name}:${p}`));
  assert.deepEqual(problems, []);
});

test("the check names each word of another dialect", async (t) => {
  const CASES = [
    { name: "a browser's scrollbar property", css: "* {\n  vscroll: ui-vscrollbar;\n}", found: /^2: property vscroll /u },
    { name: "a standard property the engine lacks", css: "footer { align-items: center; }", found: /property align-items/u },
    { name: "a behaviour the engine does not have", css: "html { behavior: ~resize-window; }", found: /behavior ~resize-window/u },
    { name: "one of several behaviours", css: "body { behavior: clickable drag-window; }", found: /behavior drag-window/u },
    {
      name: "a control set derived from the engine's own", css: "@set ui-button < std-button {\n  :root { color: red; }\n}",
      found: /^1: style set ui-button derives from the engine's std-button/u,
    },
    { name: "a base set that is nowhere", css: "@set a < b { :root { color: red; } }", found: /derives from b, which/u },
    { name: "an important flag is no excuse", css: "p { overflow-wrap: anywhere !important; }", found: /property overflow-wrap/u },
  ];
  for (const { name, css, found } of CASES) {
    await t.test(name, () => {
      const problems = checkStyleSheet(css);
      assert.equal(problems.length, 1, problems.join("\n"));
      assert.match(problems[0], found);
    });
  }
  await t.test("a role in the markup", () => {
    const problems = checkMarkup('<header role="window-drag"><div role="window-caption"></div></header>');
    assert.deepEqual(problems, ["1: role window-drag is not one of the engine's"]);
  });
  await t.test("what the engine documents passes", () => {
    assert.deepEqual(checkStyleSheet("@set s { :root { behavior: check; } }\n@set t < s { .x { flow: horizontal; } }\n"
      + "a { behavior: clickable; style-set: t; vertical-scrollbar: s; --my-colour: red; }"), []);
  });
});
