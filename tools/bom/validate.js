// Validation by the CycloneDX library's strict JSON validator: the schema of the document's own format
// version, with no properties the schema does not define.
import CDX from '@cyclonedx/cyclonedx-library'

// Resolves to null for a valid document, else to the schema's complaints (or a plain reason).
export async function validate (text) {
  let version
  try {
    const document = JSON.parse(text)
    if (document.bomFormat !== 'CycloneDX') return 'not a CycloneDX document (bomFormat)'
    version = document.specVersion
  } catch (error) {
    return `not JSON: ${error.message}`
  }
  if (!Object.values(CDX.Spec.Version).includes(version)) return `unknown CycloneDX version ${version}`
  return new CDX.Validation.JsonStrictValidator(version).validate(text)
}
