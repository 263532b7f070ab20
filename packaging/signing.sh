# Authenticode signatures of the release, sourced by scripts/dist.sh (which defines `fail`).
#   CORVANE_SIGN_PFX        a PKCS#12 file with the code-signing key and its certificates
#   CORVANE_SIGN_PASSWORD   its password (none when unset)
#   CORVANE_SIGN_TIMESTAMP  an RFC 3161 timestamp server's address (none when unset)
# signing_start reads the PKCS#12 file once; sign_release FILE... signs each file in place with
# osslsigncode and verifies the signature it made against the PKCS#12 file's certificates and the
# system's certificate authorities. Without CORVANE_SIGN_PFX both do nothing but say so.

signing=0
signing_start() {
  if [ -z "${CORVANE_SIGN_PFX:-}" ]; then
    echo "dist: unsigned release (CORVANE_SIGN_PFX is not set)" >&2
    return 0
  fi
  [ -f "$CORVANE_SIGN_PFX" ] || fail "CORVANE_SIGN_PFX names $CORVANE_SIGN_PFX, which is no file"
  command -v osslsigncode >/dev/null || fail "osslsigncode is missing: run make deps"
  signing_dir=$(mktemp -d)
  trap 'rm -rf "$signing_dir"' EXIT
  # The password reaches both tools through a file of this user's, never a command line.
  (umask 077 && printf '%s' "${CORVANE_SIGN_PASSWORD-}" > "$signing_dir/password")
  export CORVANE_SIGN_PASSWORD="${CORVANE_SIGN_PASSWORD-}"
  local trust="$signing_dir/trust.pem"
  # Files exported by older systems use ciphers OpenSSL 3 keeps in its legacy provider.
  openssl pkcs12 -in "$CORVANE_SIGN_PFX" -nokeys -passin env:CORVANE_SIGN_PASSWORD \
      -out "$trust" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$CORVANE_SIGN_PFX" -nokeys -passin env:CORVANE_SIGN_PASSWORD \
      -out "$trust" 2>/dev/null ||
    fail "cannot read the certificates of $CORVANE_SIGN_PFX (is CORVANE_SIGN_PASSWORD right?)"
  # A certificate issued by an authority chains to the system's roots; a private one to itself.
  [ ! -f /etc/ssl/certs/ca-certificates.crt ] || cat /etc/ssl/certs/ca-certificates.crt >> "$trust"
  sign_args=(-pkcs12 "$CORVANE_SIGN_PFX" -h sha256 -n Corvane)
  [ -z "$CORVANE_SIGN_PASSWORD" ] || sign_args+=(-readpass "$signing_dir/password")
  [ -z "${CORVANE_SIGN_TIMESTAMP:-}" ] || sign_args+=(-ts "$CORVANE_SIGN_TIMESTAMP")
  verify_args=(-CAfile "$trust")
  # Newer releases fetch revocation lists named by the certificate; the check stays offline.
  if osslsigncode verify --help 2>&1 | grep -q -- -ignore-cdp; then verify_args+=(-ignore-cdp); fi
  signing=1
  echo "dist: signing with $CORVANE_SIGN_PFX" \
    "${CORVANE_SIGN_TIMESTAMP:+(timestamps from $CORVANE_SIGN_TIMESTAMP)}" >&2
}

sign_release() {
  [ "$signing" = 1 ] || return 0
  local file log="$signing_dir/log"
  for file in "$@"; do
    osslsigncode sign "${sign_args[@]}" -in "$file" -out "$file.signed" > "$log" 2>&1 ||
      { cat "$log" >&2; rm -f "$file.signed"; fail "osslsigncode could not sign $file"; }
    mv -f "$file.signed" "$file"
    osslsigncode verify "${verify_args[@]}" -in "$file" > "$log" 2>&1 ||
      { cat "$log" >&2; fail "the signature of $file does not verify"; }
  done
}
