// Element lookup and document-wide event subscription.

export function $(selector) {
  return document.querySelector(selector);
}

export function $$(selector) {
  return Array.from(document.querySelectorAll(selector));
}

// on(type, handler) or on(type, selector, handler); a handler bound with a
// selector receives the matching element as its second argument.
export function on(type, selector, handler) {
  if (typeof selector === "function") {
    handler = selector;
    selector = null;
  }
  document.addEventListener(type, (evt) => {
    if (!selector) return handler.call(document, evt, document);
    const target = evt.target instanceof Element ? evt.target : null;
    const el = target && target.closest(selector);
    if (el) handler.call(el, evt, el);
  });
}
