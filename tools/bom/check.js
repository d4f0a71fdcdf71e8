// Checks the bill of materials of an unpacked release package against the package (tools/verify-release.sh
// calls it): it must validate against the CycloneDX schema, every file it describes must be in the package
// with its size and SHA-256, and every file of the package but the bill and SHA256SUMS must be described.
//
//   node check.js <package folder>
// Prints one "problem: ..." line per fault on stderr and exits 1; on success prints what the bill says of
// the release, one "<key>=<value>" line each: version, commit, changes, processor, releaseProcessors,
// partial, files, specVersion, and for each signed file "signer:<name>=<by whom>|<certificate>".
import { existsSync, readFileSync } from 'node:fs'
import { join } from 'node:path'
import {
  BOM_NAME, PARTIAL_PROPERTY, PROCESSORS_PROPERTY, SIGNED_BY_PROPERTY, SIGNER_PROPERTY, SIZE_PROPERTY, describeFile,
  describedFiles
} from './files.js'
import { validate } from './validate.js'

const folder = process.argv[2]
const problems = []
const bomPath = join(folder, BOM_NAME)
if (!existsSync(bomPath)) {
  console.error(`problem: the package holds no ${BOM_NAME}`)
  process.exit(1)
}
const text = readFileSync(bomPath, 'utf8')
const invalid = await validate(text)
if (invalid) {
  console.error(`problem: ${BOM_NAME} does not validate: ${JSON.stringify(invalid)}`)
  process.exit(1)
}
const bom = JSON.parse(text)

const propertyOf = (component, name) => (component.properties ?? []).find(p => p.name === name)?.value
const sha256Of = component => (component.hashes ?? []).find(h => h.alg === 'SHA-256')?.content

// The package's files are the top-level components that carry a SHA-256.
const fileComponents = (bom.components ?? []).filter(sha256Of)
const inPackage = describedFiles(folder)
for (const component of fileComponents) {
  const path = join(folder, component.name)
  if (!existsSync(path)) {
    problems.push(`${component.name} is described but not in the package`)
    continue
  }
  const actual = describeFile(path)
  if (actual.sha256 !== sha256Of(component).toLowerCase()) {
    problems.push(`${component.name}: its SHA-256 is ${actual.sha256}, the bill says ${sha256Of(component)}`)
  }
  if (String(actual.size) !== propertyOf(component, SIZE_PROPERTY)) {
    const said = propertyOf(component, SIZE_PROPERTY)
    problems.push(`${component.name}: its size is ${actual.size} bytes, the bill says ${said}`)
  }
}
const described = new Set(fileComponents.map(c => c.name))
for (const name of inPackage.filter(n => !described.has(n))) {
  problems.push(`${name} is in the package but not in the bill`)
}

const release = bom.metadata?.component ?? {}
const facts = {
  version: release.version,
  commit: propertyOf(release, 'recovery-tool:commit'),
  changes: propertyOf(release, 'recovery-tool:uncommitted-changes'),
  processor: propertyOf(release, 'recovery-tool:processor'),
  releaseProcessors: propertyOf(release, PROCESSORS_PROPERTY),
  partial: propertyOf(release, PARTIAL_PROPERTY)
}
for (const [key, value] of Object.entries(facts)) {
  if (!value) problems.push(`the bill does not give the release's ${key}`)
}

if (problems.length > 0) {
  for (const problem of problems) console.error(`problem: ${problem}`)
  process.exit(1)
}
// One line each: a line break or other control character in the bill's texts would start another fact.
const oneLine = value => String(value).replace(/[\u0000-\u001f\u007f-\u009f]/g, '?')
for (const [key, value] of Object.entries({ ...facts, files: fileComponents.length, specVersion: bom.specVersion })) {
  console.log(`${key}=${oneLine(value)}`)
}
for (const component of fileComponents) {
  const by = propertyOf(component, SIGNED_BY_PROPERTY)
  if (by) console.log(oneLine(`signer:${component.name}=${by}|${propertyOf(component, SIGNER_PROPERTY) ?? ''}`))
}
