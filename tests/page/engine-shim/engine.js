// Stand-in for the window engine inside a browser: the window object with its
// native "frame", the folder picker, URL.toPath, check-box and radio widgets
// and the <include> element. Every call the page makes towards the native
// side is recorded in globalThis.__engine.calls; whoever drives the page can
// also follow them live by setting __engine.listener.
(() => {
  "use strict";

  const engine = {
    calls: [],
    listener: null,
    record(name, args) {
      const entry = { name, args: Array.from(args) };
      engine.calls.push(entry);
      if (typeof engine.listener === "function") return engine.listener(entry);
      return undefined;
    },
  };
  globalThis.__engine = engine;

  // ------------------------------------------------------------ Window.this

  function fileUrlFromPath(path) {
    if (/^file:/i.test(path)) return path;
    const slashed = path.replace(/\\/g, "/");
    return "file://" + (slashed.startsWith("/") ? "" : "/") + encodeURI(slashed);
  }

  Window.this = {
    frame: {
      DecryptWrapper() { return engine.record("frame.DecryptWrapper", arguments); },
      StopDecryption() { return engine.record("frame.StopDecryption", arguments); },
      OpenLink() { return engine.record("frame.OpenLink", arguments); },
    },
    // A browser has no folder picker; the user types a path instead.
    // Cancel or an empty answer means no folder, as with the real picker.
    selectFolder(params) {
      engine.record("window.selectFolder", arguments);
      const answer = window.prompt((params && params.caption) || "");
      return answer ? fileUrlFromPath(answer) : undefined;
    },
    close() { engine.record("window.close", arguments); },
  };

  URL.toPath = function (url) {
    let path = decodeURIComponent(new URL(url).pathname);
    if (/^\/[A-Za-z]:/.test(path)) path = path.slice(1);
    return path;
  };

  // --------------------------------------------------- element state flags

  const CHECKABLE = 'widget[type="checkbox"], widget[type="radio"]';

  function radioGroup(radio) {
    const name = radio.getAttribute("name");
    const scope = name
      ? document.querySelectorAll(`widget[type="radio"][name="${CSS.escape(name)}"]`)
      : (radio.parentElement ? radio.parentElement.children : []);
    return Array.from(scope).filter((el) => el.matches('widget[type="radio"]'));
  }

  function setChecked(el, checked) {
    if (checked && el.matches('widget[type="radio"]')) {
      for (const other of radioGroup(el))
        if (other !== el) other.removeAttribute("checked");
    }
    el.toggleAttribute("checked", !!checked);
  }

  function setFlag(el, name, on) {
    el.toggleAttribute(name, !!on);
  }

  Object.defineProperty(Element.prototype, "state", {
    configurable: true,
    get() {
      const el = this;
      return {
        get checked() { return el.hasAttribute("checked"); },
        set checked(value) { setChecked(el, value); },
        get disabled() { return el.hasAttribute("disabled") || !!el.closest("[disabled]"); },
        set disabled(value) { setFlag(el, "disabled", value); },
      };
    },
  });

  // Check boxes and radios report their state as their value.
  Object.defineProperty(HTMLUnknownElement.prototype, "value", {
    configurable: true,
    get() { return this.matches(CHECKABLE) ? this.hasAttribute("checked") : undefined; },
    set(value) { if (this.matches(CHECKABLE)) setChecked(this, value); },
  });

  // ------------------------------------------------------ mouse behaviour

  // Runs before any handler of the page: a disabled element (or one inside
  // a disabled container) takes no clicks, and a widget has already changed
  // its state when the page's click handlers see the click.
  document.addEventListener("click", (evt) => {
    const target = evt.target instanceof Element ? evt.target : null;
    if (!target) return;
    if (target.closest("[disabled]")) {
      evt.stopImmediatePropagation();
      evt.preventDefault();
      return;
    }
    const widget = target.closest(CHECKABLE);
    if (!widget) return;
    const link = target.closest("a");
    if (link && widget.contains(link)) return;
    const radio = widget.matches('widget[type="radio"]');
    if (radio && widget.hasAttribute("checked")) return;
    setChecked(widget, radio ? true : !widget.hasAttribute("checked"));
    widget.dispatchEvent(new Event("change", { bubbles: true }));
  }, true);

  // ------------------------------------------------------------- <include>

  async function resolveInclude(include) {
    try {
      const response = await fetch(new URL(include.getAttribute("src"), document.baseURI));
      if (!response.ok) return;
      const template = document.createElement("template");
      template.innerHTML = await response.text();
      include.replaceWith(template.content);
    } catch (error) {
      // The fallback content of the element stays in place.
    }
  }

  engine.ready = new Promise((resolve) => {
    document.addEventListener("DOMContentLoaded", async () => {
      await Promise.all(Array.from(document.querySelectorAll("include[src]"), resolveInclude));
      resolve();
    });
  });
})();
