// Hands a file or address to the system's default handler: here, to whoever
// drives the page.

export function launch(target) {
  return globalThis.__engine.record("env.launch", [target]);
}
