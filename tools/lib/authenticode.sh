# Authenticode signing and checking with osslsigncode, in the forms that Debian 12's version (2.5) has and
# later versions keep: "sign" with -pkcs12/-readpass/-ts, which replaces a signature the file already
# carries, and "verify", whose report gives the lines read here. Programs and DLLs are signed alike.
# Sourced by tools/release.sh and tools/verify-release.sh.
#
# The Authenticode digest of a program is the hash of the file without its checksum field, the entry of the
# certificate table and the certificate table itself (where the signature goes): signing changes the file
# but not its digest, so a signed program can be held to the unsigned one that a build makes. osslsigncode
# 2.5 prints the digest only for a signed file, in "verify": "Current message digest" is the digest the
# signature vouches for, "Calculated message digest" the one of the file as it is. The digest of an
# unsigned program is therefore read by signing a copy with a throwaway key and reading that copy's
# calculated digest.

# authenticode_sign <program> <signed copy> <description> <time-stamp server or ""> <key options...>
authenticode_sign() {
  local in=$1 out=$2 description=$3 timestamp=$4
  shift 4
  local args=(sign "$@" -h sha256 -n "$description")
  # RFC 3161 time-stamp: keeps the signature valid after the certificate expires.
  [ -n "$timestamp" ] && args+=(-ts "$timestamp")
  osslsigncode "${args[@]}" -in "$in" -out "$out"
}

# authenticode_verify <program> <trusted certificates (PEM) or "" for the system's> <report file>
authenticode_verify() {
  local args=(verify -in "$1")
  [ -n "$2" ] && args+=(-CAfile "$2")
  osslsigncode "${args[@]}" >"$3" 2>&1
}

# authenticode_field <report file> <label>: the value of a top-level "label : value" line of the report,
# in small letters ("Current message digest", "Calculated message digest", "Message digest algorithm").
authenticode_field() {
  sed -n "s/^$2 *: *\([^ ]*\).*/\1/p" "$1" | head -n 1 | tr 'A-Z' 'a-z'
}

# authenticode_signer <report file>: the subject of the signer's certificate.
authenticode_signer() {
  awk '/^Signer.s certificate:/ { found = 1 } found && /Subject:/ { sub(/^[ \t]*Subject: */, ""); print; exit }' "$1"
}

# authenticode_signer_id <report file>: the signer's certificate as "<subject>; issuer <issuer>; serial
# <serial>", which names one certificate; empty for a file without a signature. The report of a signature
# whose chain is not trusted names the signer too.
authenticode_signer_id() {
  awk '/^Signer.s certificate:/ { found = 1; next }
       found && /^[ \t]*Subject:/ { sub(/^[ \t]*Subject: */, ""); subject = $0; next }
       found && /^[ \t]*Issuer *:/ { sub(/^[ \t]*Issuer *: */, ""); issuer = $0; next }
       found && /^[ \t]*Serial *:/ { sub(/^[ \t]*Serial *: */, ""); print subject "; issuer " issuer "; serial " $0; exit }' "$1"
}

# authenticode_digest_of_unsigned <program> <algorithm: sha256, sha1, ...> <scratch folder>
authenticode_digest_of_unsigned() {
  local program=$1 algorithm=$2 scratch=$3
  mkdir -p "$scratch"
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=digest only" \
    -keyout "$scratch/throwaway-key.pem" -out "$scratch/throwaway-cert.pem" >/dev/null 2>&1 || return 1
  osslsigncode sign -certs "$scratch/throwaway-cert.pem" -key "$scratch/throwaway-key.pem" -h "$algorithm" \
    -in "$program" -out "$scratch/digest-copy.exe" >/dev/null 2>&1 || return 1
  authenticode_verify "$scratch/digest-copy.exe" "$scratch/throwaway-cert.pem" "$scratch/digest-copy.txt" || true
  rm -f "$scratch/throwaway-key.pem" "$scratch/digest-copy.exe"
  authenticode_field "$scratch/digest-copy.txt" "Calculated message digest"
}
