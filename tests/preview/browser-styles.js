// The engine's style dialect said again for a browser, at serving time: dip
// units and "%%" as the page tests already translate them, and the flexible
// margins ("margin-left: *") that push a block to the far side, and the
// state flags that the engine keeps on any element (":checked" on a check-box
// widget) and the engine stand-in keeps as attributes. The layout
// words a browser lacks (flow, "*" sizes) are taken up by the page tests'
// layout.css and the preview's own preview.css.

import { browserStyles } from "../page/support/server.js";

export function adaptStyles(css) {
  return browserStyles(css)
    .replace(/\bmargin-(left|right|top|bottom)\s*:\s*\*/g, "margin-$1: auto")
    .replace(/\bvisibility\s*:\s*none\b/g, "visibility: hidden")
    .replace(/:(checked|disabled|expanded)\b/g, "[$1]");
}
