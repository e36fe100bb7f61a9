#!/usr/bin/env bash
# Signs a tolvik installer for release and writes the update.json that the
# update server serves beside it.
#
#   scripts/sign-release.sh (--cert CERT.pem --key KEY.pem | --pkcs12 SIGNER.p12)
#                           [--pass-file FILE] --url https://HOST/PATH/tolvik-Setup-V.exe
#                           [--installer SETUP.exe] [--out FOLDER] [--ca ROOTS.pem]
#                           [--timestamp URL]
#
#   --cert, --key   the code-signing certificate (with its chain, PEM) and its
#                   private key (PEM)
#   --pkcs12        or both in one PKCS#12 file (.p12/.pfx)
#   --pass-file     a file whose first line is the password of the key or the
#                   PKCS#12 file (none: not encrypted)
#   --url           where the installer will be downloaded from; must begin
#                   with https:// (the program refuses anything else)
#   --installer     the unsigned installer (default: the product's,
#                   build/windows/tolvik-Setup-<version>.exe from `make installer`)
#   --out           where the signed installer and update.json go (default
#                   build/release); the unsigned installer is left as it is
#   --ca            trusted roots for the verification after signing (default:
#                   the system's; give the certificate itself for a test signer)
#   --timestamp     an RFC 3161 time-stamp server, so the signature outlives the
#                   certificate (recommended for a release)
#
# The program accepts an installer only when the signer's simple display name
# (its common name) is exactly "Velmora Co., Ltd."; a certificate with another
# name is refused here too. Writes <out>/tolvik-Setup-<version>.exe and
# <out>/update.json: {"version", "url", "sha256", "size"}.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SIGNER_NAME="Velmora Co., Ltd."

fail() { echo "sign-release: $*" >&2; exit 1; }

cert="" key="" pkcs12="" pass_file="" url="" installer="" out="$ROOT/build/release" ca="" timestamp=""
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || fail "$1 needs a value"
  case "$1" in
    --cert) cert="$2" ;;
    --key) key="$2" ;;
    --pkcs12) pkcs12="$2" ;;
    --pass-file) pass_file="$2" ;;
    --url) url="$2" ;;
    --installer) installer="$2" ;;
    --out) out="$2" ;;
    --ca) ca="$2" ;;
    --timestamp) timestamp="$2" ;;
    *) fail "unknown option $1 (see the head of $0)" ;;
  esac
  shift 2
done

if [ -n "$pkcs12" ]; then
  [ -z "$cert$key" ] || fail "give either --pkcs12 or --cert and --key"
  [ -f "$pkcs12" ] || fail "no such file: $pkcs12"
else
  [ -n "$cert" ] && [ -n "$key" ] || fail "give --cert and --key, or --pkcs12"
  [ -f "$cert" ] || fail "no such file: $cert"
  [ -f "$key" ] || fail "no such file: $key"
fi
[ -z "$pass_file" ] || [ -f "$pass_file" ] || fail "no such file: $pass_file"
[[ "$url" == https://* ]] || fail "--url must begin with https:// (got '$url')"

if [ -z "$installer" ]; then
  installer="$(/usr/bin/python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["product"]["setup"])' \
    "$ROOT/build/windows/versions.json" 2>/dev/null)" ||
    fail "no installer given and none built (make installer)"
fi
[ -f "$installer" ] || fail "no such installer: $installer (make installer)"
name="$(basename "$installer")"
[[ "$name" =~ ^tolvik-Setup-([0-9]+(\.[0-9]+)*)\.exe$ ]] ||
  fail "$name: expected tolvik-Setup-<version>.exe"
version="${BASH_REMATCH[1]}"
[ ${#version} -le 32 ] || fail "version $version is longer than 32 characters"
[ "$(basename "$url")" = "$name" ] ||
  echo "sign-release: note: the url ends in $(basename "$url"), not $name" >&2

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The signer's certificate, to check its name.
passin=(-passin pass:)
[ -z "$pass_file" ] || passin=(-passin "file:$pass_file")
if [ -n "$pkcs12" ]; then
  # OpenSSL 3 reads older PKCS#12 files (RC2, 3DES) only with -legacy.
  openssl pkcs12 -in "$pkcs12" -nokeys -clcerts "${passin[@]}" -out "$work/signer.pem" 2>/dev/null ||
    openssl pkcs12 -legacy -in "$pkcs12" -nokeys -clcerts "${passin[@]}" -out "$work/signer.pem" \
      2>/dev/null ||
    fail "cannot read $pkcs12 (wrong password?)"
else
  # The first certificate of the file is the signer's; the chain may follow.
  cp "$cert" "$work/signer.pem"
fi
common_name="$(openssl x509 -in "$work/signer.pem" -noout -subject -nameopt multiline,utf8,-esc_msb |
  sed -n 's/^ *commonName *= //p' | head -n 1)"
[ "$common_name" = "$SIGNER_NAME" ] ||
  fail "the certificate is issued to '$common_name', but tolvik accepts only '$SIGNER_NAME'"

# Sign.
sign=(osslsigncode sign -h sha256 -n "tolvik Setup")
if [ -n "$pkcs12" ]; then
  sign+=(-pkcs12 "$pkcs12")
else
  sign+=(-certs "$cert" -key "$key")
fi
[ -z "$pass_file" ] || sign+=(-readpass "$pass_file")
[ -z "$timestamp" ] || sign+=(-ts "$timestamp")
"${sign[@]}" -in "$installer" -out "$work/$name" >"$work/sign.log" 2>&1 ||
  { cat "$work/sign.log" >&2; fail "signing failed"; }

# Verify what was written, against the given roots or the system's.
verify=(osslsigncode verify -in "$work/$name")
[ -z "$ca" ] || verify+=(-CAfile "$ca")
"${verify[@]}" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log" >&2; fail "the signed installer does not verify"; }

mkdir -p "$out"
mv "$work/$name" "$out/$name"
sha256="$(sha256sum "$out/$name" | cut -d ' ' -f 1)"
size="$(stat -c %s "$out/$name")"
/usr/bin/python3 - "$out/update.json" "$version" "$url" "$sha256" "$size" <<'PY'
import json, sys
path, version, url, sha256, size = sys.argv[1:]
with open(path, "w", encoding="utf-8") as f:
    json.dump({"version": version, "url": url, "sha256": sha256, "size": int(size)}, f, indent=2)
    f.write("\n")
PY
echo "sign-release: signed $out/$name ($size bytes, sha256 $sha256)"
echo "sign-release: wrote $out/update.json"
