// Runs test files one after another with node:test and prints the spec report. The command line's
// --test-concurrency and --test-timeout are newer than the Node.js that Debian 12 ships (18), while the
// runner's own options have been there since 18.9.
//   node run-tests.js [--timeout <ms>] <file.test.js>...
import { run } from "node:test";
import { spec } from "node:test/reporters";
import path from "node:path";

const args = process.argv.slice(2);
let timeout = Infinity;
if (args[0] === "--timeout") {
  timeout = Number(args[1]);
  args.splice(0, 2);
}
if (args.length === 0) {
  console.error("run-tests: no test files given");
  process.exit(2);
}

const files = args.map((file) => path.resolve(file));
const stream = run({ files, concurrency: 1, timeout });
let failed = false;
stream.on("test:fail", () => {
  failed = true;
});
stream.on("end", () => {
  if (failed) process.exitCode = 1;
});
stream.compose(new spec()).pipe(process.stdout);
