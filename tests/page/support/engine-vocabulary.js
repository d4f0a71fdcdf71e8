// The words of the window engine's document dialect that its public SDK
// (sciter-js-sdk) documents, each row naming the page it comes from, and a
// check of the window's style sheet and markup against them. A browser
// forgives words the engine does not know, and the engine ignores them
// silently too: a misspelt property or a behaviour that does not exist shows
// only as a window that looks or acts wrong on the user's machine.

const CSS_PROPERTIES_PAGE = "docs/md/css/properties.md";
const CSS_SCITER_PAGE = "docs/md/css/css-sciter.md";

export const PROPERTIES = [
  { page: CSS_PROPERTIES_PAGE, names: [
    // direction, display and visibility, floats
    "direction", "display", "visibility", "clear", "float",
    // color and font
    "color", "font", "font-family", "font-size", "font-style", "font-variant", "font-variant-ligatures",
    "font-variant-caps", "font-weight", "letter-spacing", "line-height", "baseline-shift", "font-rendering-mode",
    // text rendering
    "text-decoration", "text-decoration-style", "text-decoration-line", "text-decoration-color",
    "text-decoration-thickness", "text-indent", "text-overflow", "text-shadow", "text-transform", "white-space",
    "text-wrap", "word-wrap", "word-break", "tab-size",
    // selection
    "text-selection-color", "text-selection-background-color", "text-selection-caret-color", "text-selection",
    // dimensions and alignments
    "min-height", "min-width", "max-height", "max-width", "height", "width", "size", "box-sizing",
    "text-align", "vertical-align", "horizontal-align", "content-vertical-align", "content-horizontal-align",
    // background
    "background", "background-attachment", "background-color", "background-image", "background-position",
    "background-position-top", "background-position-left", "background-position-right",
    "background-position-bottom", "background-repeat", "background-offset", "background-offset-top",
    "background-offset-left", "background-offset-right", "background-offset-bottom", "background-size",
    "background-width", "background-height", "background-clip", "background-image-frame", "background-blend-mode",
    // borders
    "border", "border-bottom", "border-bottom-color", "border-bottom-style", "border-bottom-width",
    "border-collapse", "border-color", "border-left", "border-left-color", "border-left-style", "border-left-width",
    "border-right", "border-right-color", "border-right-style", "border-right-width", "border-style", "border-top",
    "border-top-color", "border-top-style", "border-top-width", "border-width", "border-radius",
    "border-top-right-radius", "border-bottom-right-radius", "border-bottom-left-radius", "border-top-left-radius",
    "box-shadow",
    // outlines, filters, transform
    "outline-color", "outline-width", "outline-style", "outline-offset", "outline", "filter", "backdrop-filter",
    "transform", "transform-origin", "transform-origin-x", "transform-origin-y",
    // margin, padding, spacing
    "margin", "margin-bottom", "margin-left", "margin-right", "margin-top", "hit-margin",
    "padding", "padding-bottom", "padding-left", "padding-right", "padding-top",
    "border-spacing", "border-spacing-x", "border-spacing-y",
    // lists, overflow, cursor, images, opacity
    "list-style", "list-style-image", "list-style-position", "list-style-type", "list-marker-color",
    "list-marker-size", "list-marker-style", "overflow", "overflow-x", "overflow-y", "cursor", "image-rendering",
    "opacity",
    // positioning, transitions, animations
    "z-index", "position", "left", "right", "top", "bottom",
    "transition", "transition-delay", "transition-duration", "transition-property", "transition-timing-function",
    "animation", "animation-name", "animation-duration", "animation-delay", "animation-iteration-count",
    "animation-direction", "animation-timing-function", "animation-fill-mode", "animation-play-state",
    // auxiliaries
    "appearance", "zoom", "pointer-events",
    // the engine's own
    "content", "layer", "content-isolate", "border-shape", "clip-box",
    "fill", "fill-opacity", "fill-rule", "stroke", "stroke-width", "stroke-linecap", "stroke-linejoin",
    "stroke-miterlimit", "stroke-dasharray", "stroke-dashoffset", "stroke-opacity", "stop-color", "stop-opacity",
    "marker", "marker-start", "marker-mid", "marker-end",
    "flow", "flow-rows", "flow-columns", "scroll-manner", "scroll-manner-x", "scroll-manner-y",
    "behavior", "prototype", "aspect",
    "foreground", "foreground-attachment", "foreground-image", "foreground-position", "foreground-position-top",
    "foreground-position-left", "foreground-position-right", "foreground-position-bottom", "foreground-repeat",
    "foreground-size", "foreground-width", "foreground-height", "foreground-clip", "foreground-image-frame",
    "foreground-image-cursor", "foreground-blend-mode", "foreground-color",
    "role", "background-image-transformation", "foreground-image-transformation",
    "vertical-scrollbar", "horizontal-scrollbar", "overscroll-behavior", "overscroll-behavior-x",
    "overscroll-behavior-y", "context-menu", "style-set", "mapping",
    "popup-position", "popup-anchor-reference-point", "popup-reference-point",
  ] },
  { page: CSS_SCITER_PAGE, names: ["style-set", "flow", "context-menu", "hit-margin", "size", "behavior",
    "prototype", "aspect", "content", "scroll-manner", "vertical-scrollbar", "horizontal-scrollbar"] },
];

// The native behaviours built into the engine.
export const BEHAVIORS = [
  { page: "docs/md/behaviors/README.md", names: [
    "button", "clickable", "hyperlink", "check", "radio", "label", "slider",
    "edit", "password", "masked-edit", "integer", "decimal", "number", "textarea", "plaintext", "richtext",
    "select", "select-multiple", "select-checkmarks", "tree-view", "tree-checkmarks", "dropdown-select",
    "calendar", "date", "time", "selection", "form", "frame", "frameset", "pager",
    "output", "progress", "video", "lottie", "virtual-list", "expandable-list", "menu", "menu-bar",
    "scrollbar", "details",
  ] },
];

// The roles that give an element a part of the window's chrome.
export const ROLES = [
  { page: "docs/md/HTML/html-window.md", names: [
    "window-caption", "window-minimize", "window-maximize", "window-close", "window-icon",
  ] },
];

// A style set may derive from a set of the document's own. The engine's
// standard control sets (std-button, std-checkbox, ...) are no base for a
// control's restyling: their rules are applied on top of the page's
// (docs/md/css/style-sets.md, "Overriding Style Set Rules from Outside").
const STYLE_SETS_PAGE = "docs/md/css/style-sets.md";

function known(table) {
  const words = new Map();
  for (const { page, names } of table) for (const name of names) if (!words.has(name)) words.set(name, page);
  return words;
}

const KNOWN_PROPERTIES = known(PROPERTIES);
const KNOWN_BEHAVIORS = known(BEHAVIORS);
const KNOWN_ROLES = known(ROLES);

function lineOf(text, index) {
  return text.slice(0, index).split("\n").length;
}

// Every block of a style sheet: its prelude (selector or at-rule), where its
// body starts, and whether other blocks are nested in it (an @set).
function blocksOf(css) {
  const blocks = [];
  const open = [];
  let preludeStart = 0;
  for (let i = 0; i < css.length; i++) {
    const ch = css[i];
    if (ch === "{") {
      if (open.length) open[open.length - 1].nested = true;
      open.push({ prelude: css.slice(preludeStart, i).trim(), at: preludeStart, bodyStart: i + 1, nested: false });
      preludeStart = i + 1;
    } else if (ch === "}") {
      const block = open.pop();
      if (block) blocks.push({ ...block, body: block.nested ? "" : css.slice(block.bodyStart, i) });
      preludeStart = i + 1;
    } else if (ch === ";") {
      preludeStart = i + 1;
    }
  }
  return blocks;
}

function withoutComments(css) {
  // Keeps the line count, so that problems name the right line.
  return css.replace(/\/\*[\s\S]*?\*\//g, (comment) => comment.replace(/[^\n]/g, " "));
}

// Problems of a style sheet: "<line>: <what>" for each word the engine does
// not document and each control set derived from a standard one.
export function checkStyleSheet(cssText) {
  const css = withoutComments(cssText);
  const problems = [];
  const blocks = blocksOf(css);
  const ownSets = new Set();
  for (const { prelude } of blocks) {
    const set = /^@set\s+([\w-]+)/.exec(prelude);
    if (set) ownSets.add(set[1]);
  }
  for (const block of blocks) {
    const line = lineOf(css, block.at + (css.slice(block.at).length - css.slice(block.at).trimStart().length));
    const set = /^@set\s+([\w-]+)\s*(?:<\s*([\w-]+))?/.exec(block.prelude);
    if (set && set[2]) {
      if (/^std-/.test(set[2]))
        problems.push(`${line}: style set ${set[1]} derives from the engine's ${set[2]}, whose rules are applied on top of the page's (${STYLE_SETS_PAGE})`);
      else if (!ownSets.has(set[2]))
        problems.push(`${line}: style set ${set[1]} derives from ${set[2]}, which the document does not define`);
    }
    if (block.nested || block.prelude.startsWith("@")) continue;
    let offset = block.bodyStart;
    for (const declaration of block.body.split(";")) {
      const at = offset;
      offset += declaration.length + 1;
      const colon = declaration.indexOf(":");
      if (colon < 0) continue;
      const name = declaration.slice(0, colon).trim().toLowerCase();
      const value = declaration.slice(colon + 1).replace(/!important/i, "").trim();
      if (!name || name.startsWith("--") || name.startsWith("var(")) continue;
      const where = lineOf(css, at + declaration.length - declaration.trimStart().length);
      if (!KNOWN_PROPERTIES.has(name)) problems.push(`${where}: property ${name} is not one the engine documents`);
      if (name === "behavior") {
        for (const behavior of value.split(/\s+/).filter(Boolean)) {
          if (!KNOWN_BEHAVIORS.has(behavior)) problems.push(`${where}: behavior ${behavior} is not one of the engine's`);
        }
      }
      if (name === "role" && !KNOWN_ROLES.has(value.replace(/^["']|["']$/g, "")))
        problems.push(`${where}: role ${value} is not one of the engine's`);
    }
  }
  return problems;
}

// Problems of a document's markup: roles the engine does not know, and
// behaviours named in inline styles.
export function checkMarkup(html) {
  const problems = [];
  for (const match of html.matchAll(/\srole\s*=\s*"([^"]*)"/g)) {
    if (!KNOWN_ROLES.has(match[1])) problems.push(`${lineOf(html, match.index)}: role ${match[1]} is not one of the engine's`);
  }
  for (const match of html.matchAll(/\sstyle\s*=\s*"([^"]*)"/g)) {
    for (const problem of checkStyleSheet(`x { ${match[1]} }`))
      problems.push(`${lineOf(html, match.index)}: ${problem.replace(/^\d+: /, "")}`);
  }
  return problems;
}
