// Wine prefixes and folders made by a test for itself: a sealed prefix whose
// only drives are its own c: and D:, a folder the test created; each case gets
// a folder of its own on D: with the program, the engine and a decryption
// library, and the program runs with that folder's app\ as working directory.

import { spawn } from "node:child_process";
import { mkdtemp, mkdir, copyFile, readdir, readFile, rm, writeFile } from "node:fs/promises";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const HERE = path.dirname(fileURLToPath(import.meta.url));
export const REPO = path.resolve(HERE, "../../..");
export const BIN = process.env.PREVIEW_BIN || path.join(REPO, "build/x64/bin");

function wineEnvironment(prefix, extra = {}) {
  return { ...process.env, WINEPREFIX: prefix, WINEDEBUG: "-all", WINEDLLOVERRIDES: "mscoree,mshtml=", ...extra };
}

export function runToEnd(command, args, options = {}) {
  return new Promise((resolve, reject) => {
    const child = spawn(command, args, { stdio: ["ignore", "pipe", "pipe"], ...options });
    let output = "";
    child.stdout.on("data", (d) => { output += d; });
    child.stderr.on("data", (d) => { output += d; });
    child.on("error", reject);
    child.on("close", (code) => (code === 0 ? resolve(output) : reject(new Error(`${command} ${args.join(" ")}: ${code}\n${output}`))));
  });
}

// root: a new temporary folder; root/drive is D: of the prefix root/prefix.
export async function makeWineDrive(label) {
  const root = await mkdtemp(path.join(os.tmpdir(), `recovery-preview-${label}-`));
  const drive = path.join(root, "drive");
  const prefix = path.join(root, "prefix");
  await mkdir(drive);
  await runToEnd(path.join(REPO, "tools/wine/make-prefix"), [prefix, "sealed", `d=${drive}`]);
  return {
    root,
    drive,
    prefix,
    async remove() {
      await runToEnd("wineserver", ["-k"], { env: wineEnvironment(prefix) }).catch(() => {});
      await rm(root, { recursive: true, force: true });
    },
  };
}

// A case folder D:\<name> with app\ holding the program, the engine and the
// library as Keyloom.dll (plus its configuration for the test library).
export async function makeCase(wineDrive, name, { library = "keyloom-demo.dll", libraryConfig } = {}) {
  const dir = path.join(wineDrive.drive, name);
  const app = path.join(dir, "app");
  await mkdir(app, { recursive: true });
  for (const file of ["recovery-tool.exe", "sciter.dll", "demo_encrypt.exe"])
    await copyFile(path.join(BIN, file), path.join(app, file));
  await copyFile(path.join(BIN, library), path.join(app, "Keyloom.dll"));
  if (libraryConfig !== undefined) await writeFile(path.join(app, "Keyloom.dll.cfg"), libraryConfig);
  return {
    dir,
    app,
    // The Windows path of a folder inside the case.
    windowsPath: (...parts) => ["D:", name, ...parts].join("\\"),
    localPath: (...parts) => path.join(dir, ...parts),
  };
}

export function runInPrefix(wineDrive, cwd, program, args, env = {}) {
  return runToEnd("wine", [program, ...args], { cwd, env: wineEnvironment(wineDrive.prefix, env) });
}

// Starts a program that is not waited for; exited resolves with its exit code.
export function startInPrefix(wineDrive, cwd, program, args, env = {}) {
  const child = spawn("wine", [program, ...args], {
    cwd,
    env: wineEnvironment(wineDrive.prefix, env),
    stdio: ["ignore", "ignore", "pipe"],
  });
  let errors = "";
  child.stderr.on("data", (d) => { errors += d; });
  const exited = new Promise((resolve) => child.on("close", (code, signal) => resolve(code ?? signal)));
  return { child, exited, errors: () => errors };
}

// The program writes its log to the prefix's temporary folder, whatever the
// Unix environment says; cases that share a prefix start it afresh.
async function logFiles(wineDrive) {
  const users = path.join(wineDrive.prefix, "drive_c", "users");
  const names = await readdir(users).catch(() => []);
  return names.flatMap((user) => [
    path.join(users, user, "Temp", "OstrivelLog.txt"),
    path.join(users, user, "AppData", "Local", "Temp", "OstrivelLog.txt"),
  ]);
}

export async function readLog(wineDrive) {
  for (const file of await logFiles(wineDrive)) {
    const text = await readFile(file, "utf8").catch(() => null);
    if (text !== null) return text.replace(/\r/g, "");
  }
  return "";
}

export async function clearLog(wineDrive) {
  for (const file of await logFiles(wineDrive)) await rm(file, { force: true });
}
