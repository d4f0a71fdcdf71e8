// What the bill of materials says of each file in a package: its size and SHA-256, and the names of the
// package's files that the bill describes (all but itself and SHA256SUMS, which covers the bill).
import { createHash } from 'node:crypto'
import { readdirSync, readFileSync, statSync } from 'node:fs'
import { join } from 'node:path'

export const BOM_NAME = 'bom.cdx.json'
export const SUMS_NAME = 'SHA256SUMS'
// The property that carries a file's size: CycloneDX has no field for it.
export const SIZE_PROPERTY = 'recovery-tool:file-size-bytes'
// A program's or DLL's Authenticode signer: by whom ("the release key", "its maker") and the certificate.
export const SIGNED_BY_PROPERTY = 'recovery-tool:signed-by'
export const SIGNER_PROPERTY = 'recovery-tool:signer'
// The processors whose packages the release made, and whether that was fewer than both.
export const PROCESSORS_PROPERTY = 'recovery-tool:release-processors'
export const PARTIAL_PROPERTY = 'recovery-tool:partial-release'

export function describeFile (path) {
  return {
    size: statSync(path).size,
    sha256: createHash('sha256').update(readFileSync(path)).digest('hex')
  }
}

export function describedFiles (folder) {
  return readdirSync(folder).filter(name => name !== BOM_NAME && name !== SUMS_NAME).sort()
}
