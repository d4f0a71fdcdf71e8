// Writes the CycloneDX bill of materials of one staged release package (tools/release.sh calls it) and
// validates it against the format's schema before it is packed. It describes:
// - the package: the tool, its version and the commit it is built from, and which processors' packages the
//   release made (a partial release says so);
// - each program, with what -static linked into it, each with the version of the build machine's Debian
//   package that provided it;
// - the UI engine and the decryption library as the release's maker supplied them, and the guide;
//   each file by name, size and SHA-256, so that tools/verify-release.sh can hold the files to it, and each
//   program and DLL with its Authenticode signer: the release key, or the engine's own maker.
//
//   node make.js --folder <staged package folder> --version <v> --commit <sha> --changes yes|no
//                --processor x64|x86 --release-processors '<x64 x86>' --partial yes|no --distro <debian-12>
//                --program <name> ... --engine <name> --library <name> --guide <name>
//                --supplied-engine <name> --supplied-library <name>
//                --signer '<file>|<the release key|its maker>|<signer's certificate>' ...
//                --linked '<name>|<Debian package>|<version>|<architecture>' ...
import { randomUUID } from 'node:crypto'
import { writeFileSync } from 'node:fs'
import { join } from 'node:path'
import { parseArgs } from 'node:util'
import CDX from '@cyclonedx/cyclonedx-library'
import { PackageURL } from 'packageurl-js'
import {
  BOM_NAME, PARTIAL_PROPERTY, PROCESSORS_PROPERTY, SIGNED_BY_PROPERTY, SIGNER_PROPERTY, SIZE_PROPERTY, describeFile,
  describedFiles
} from './files.js'
import { validate } from './validate.js'

const { values: args } = parseArgs({
  options: Object.fromEntries([
    'folder', 'version', 'commit', 'changes', 'processor', 'release-processors', 'partial', 'distro', 'engine',
    'library', 'guide', 'supplied-engine', 'supplied-library'
  ].map(name => [name, { type: 'string' }]).concat(
    ['linked', 'program', 'signer'].map(name => [name, { type: 'string', multiple: true }])))
})
for (const [name, value] of Object.entries(args)) {
  if (value === undefined || value === '') throw new Error(`make.js: --${name} is missing`)
}

const { Models, Enums } = CDX
const property = (name, value) => new Models.Property(name, String(value))

// Each signed file's signer: "<file>|<by whom>|<certificate>".
const signers = new Map(args.signer.map(line => {
  const [file, by, certificate] = line.split('|')
  if (!by || !certificate) throw new Error(`make.js: --signer ${line} names no signer`)
  return [file, { by, certificate }]
}))

function packageFile (type, name, bomRef, description, extraProperties = []) {
  const { size, sha256 } = describeFile(join(args.folder, name))
  const component = new Models.Component(type, name, { bomRef, description })
  component.hashes.set(Enums.HashAlgorithm['SHA-256'], sha256)
  component.properties.add(property(SIZE_PROPERTY, size))
  for (const p of extraProperties) component.properties.add(p)
  return component
}

// A program or DLL: every one is signed, and the bill says by whom.
function signedFile (type, name, bomRef, description, extraProperties = []) {
  const signer = signers.get(name)
  if (!signer) throw new Error(`make.js: no --signer for ${name}`)
  return packageFile(type, name, bomRef, description, [
    ...extraProperties, property(SIGNED_BY_PROPERTY, signer.by), property(SIGNER_PROPERTY, signer.certificate)
  ])
}

function linkedPiece (line) {
  const [name, debianPackage, version, architecture] = line.split('|')
  return new Models.Component(Enums.ComponentType.Library, name, {
    bomRef: `linked:${name}`,
    version,
    scope: Enums.ComponentScope.Required,
    description: `linked into the program (-static), from the Debian package ${debianPackage} ${version}`,
    purl: new PackageURL('deb', 'debian', debianPackage, version, { arch: architecture, distro: args.distro })
  })
}

const bom = new Models.Bom({ serialNumber: `urn:uuid:${randomUUID()}` })
bom.metadata.timestamp = new Date()
bom.metadata.tools.components.add(new Models.Component(Enums.ComponentType.Application, 'tools/release.sh', {
  version: args.version, description: 'the recovery tool\'s release command'
}))

const release = new Models.Component(Enums.ComponentType.Application, 'recovery-tool', {
  bomRef: 'release',
  version: args.version,
  description: `the recovery tool for ${args.processor === 'x64' ? '64-bit' : '32-bit'} Windows, ` +
    'with its UI engine and decryption library'
})
release.properties.add(property('recovery-tool:commit', args.commit))
release.properties.add(property('recovery-tool:uncommitted-changes', args.changes))
release.properties.add(property('recovery-tool:processor', args.processor))
release.properties.add(property(PROCESSORS_PROPERTY, args['release-processors']))
release.properties.add(property(PARTIAL_PROPERTY, args.partial))
bom.metadata.component = release

const programs = args.program.map(name => {
  const program = signedFile(Enums.ComponentType.Application, name, `program:${name}`,
    'a program of the recovery tool, built from the commit above and signed with Authenticode')
  program.version = args.version
  for (const line of args.linked) program.components.add(linkedPiece(line))
  return program
})

const engine = signedFile(Enums.ComponentType.Library, args.engine, 'engine',
  'the UI engine that draws the window, as the release\'s maker supplied it, with its maker\'s signature or ' +
  'signed with the release key',
  [property('recovery-tool:supplied-as', args['supplied-engine'])])
const library = signedFile(Enums.ComponentType.Library, args.library, 'library',
  'the decryption library, as the release\'s maker supplied it, signed with the release key; checked with ' +
  'keyloom-check before the release',
  [property('recovery-tool:supplied-as', args['supplied-library'])])
const guide = packageFile(Enums.ComponentType.File, args.guide, 'guide', 'the user guide')

for (const component of [...programs, engine, library, guide]) bom.components.add(component)
release.dependencies.add(guide.bomRef)
for (const program of programs) {
  release.dependencies.add(program.bomRef)
  // Each program loads both DLLs at run time.
  program.dependencies.add(engine.bomRef)
  program.dependencies.add(library.bomRef)
}

const described = new Set([...args.program, args.engine, args.library, args.guide])
const undescribed = describedFiles(args.folder).filter(name => !described.has(name))
if (undescribed.length > 0) throw new Error(`make.js: files in the package that the bill leaves out: ${undescribed}`)

const serializer = new CDX.Serialize.JsonSerializer(new CDX.Serialize.JSON.Normalize.Factory(CDX.Spec.Spec1dot6))
const text = serializer.serialize(bom, { sortLists: true, space: 2 }) + '\n'
const problems = await validate(text)
if (problems) {
  console.error('the bill of materials does not validate:', JSON.stringify(problems, null, 2))
  process.exit(1)
}
writeFileSync(join(args.folder, BOM_NAME), text)
console.log(`${BOM_NAME}: CycloneDX ${CDX.Spec.Spec1dot6.version}, valid, ` +
  `${bom.components.size} files, ${args.linked.length} linked pieces`)
