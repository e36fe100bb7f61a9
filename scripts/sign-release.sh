#!/usr/bin/env bash
# Makes a signed tolvik release and the update.json that the update server
# serves beside it: everything that runs on the user's PC carries a
# time-stamped signature of the maker.
#
#   scripts/sign-release.sh (--cert CERT.pem --key KEY.pem | --pkcs12 SIGNER.p12)
#                           [--pass-file FILE] --timestamp URL
#                           --url https://HOST/PATH/tolvik-Setup-V.exe
#                           [--program TOLVIK.exe] [--build FOLDER] [--out FOLDER]
#                           [--ca ROOTS.pem] [--tsa-ca ROOTS.pem]
#
#   --cert, --key   the code-signing certificate (with its chain, PEM) and its
#                   private key (PEM)
#   --pkcs12        or both in one PKCS#12 file (.p12/.pfx)
#   --pass-file     a file whose first line is the password of the key or the
#                   PKCS#12 file (none: not encrypted)
#   --timestamp     an RFC 3161 time-stamp server; required: a signature
#                   without a time stamp stops verifying the day the
#                   certificate expires, and every installed copy with it
#   --url           where the installer will be downloaded from; must begin
#                   with https:// (the program refuses anything else)
#   --program       the tolvik.exe to release (default: the product's,
#                   build/windows/tolvik.exe); it is left as it is
#   --build         the Windows build folder whose versions.json names the
#                   installer's script, icon, plugin and tolvikc.exe (default
#                   build/windows)
#   --out           where the signed installer and update.json go (default
#                   build/release)
#   --ca            trusted roots for the verification after signing (default:
#                   the system's; give the certificate itself for a test signer)
#   --tsa-ca        trusted roots of the time-stamp server's certificate for
#                   that verification (default: the system's)
#
# What it does:
#   1. reads the version from the program's version record (its product
#      version; scripts/pe-version.py), never from a file name: the installer
#      is tolvik-Setup-<version>.exe;
#   2. signs a copy of the program and one of tolvikc.exe, its console companion;
#   3. builds the installer from those copies with makensis, as `make installer`
#      does, and with -DSIGN_UNINSTALLER so that makensis has the uninstaller
#      signed as it writes it;
#   4. signs the installer;
#   5. writes <out>/tolvik-Setup-<version>.exe and <out>/update.json:
#      {"version", "url", "sha256", "size"}.
# Each signature is time-stamped and verified right after it is made.
#
# The program accepts an installer only when the signer's simple display name
# (its common name) is exactly "Velmora Co., Ltd."; a certificate with another
# name is refused here too.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SIGNER_NAME="Velmora Co., Ltd."

fail() { echo "sign-release: $*" >&2; exit 1; }

cert="" key="" pkcs12="" pass_file="" url="" program="" build="$ROOT/build/windows"
out="$ROOT/build/release" ca="" tsa_ca="" timestamp=""
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || fail "$1 needs a value"
  case "$1" in
    --cert) cert="$2" ;;
    --key) key="$2" ;;
    --pkcs12) pkcs12="$2" ;;
    --pass-file) pass_file="$2" ;;
    --url) url="$2" ;;
    --program) program="$2" ;;
    --build) build="$2" ;;
    --out) out="$2" ;;
    --ca) ca="$2" ;;
    --tsa-ca) tsa_ca="$2" ;;
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
[ -n "$timestamp" ] ||
  fail "--timestamp URL is required: without a time stamp the signatures stop verifying once the certificate expires"
[[ "$url" == https://* ]] || fail "--url must begin with https:// (got '$url')"

# The installer's inputs besides the program, as CMake wrote them.
[ -f "$build/versions.json" ] || fail "no $build/versions.json (cmake --preset windows)"
inputs="$(/usr/bin/python3 -c '
import json, sys
data = json.load(open(sys.argv[1]))
print(data["product"]["program"])
print(data["installer"]["script"])
print(data["installer"]["icon"])
print(data["installer"]["plugins"])
print(data["installer"]["console"])' "$build/versions.json")" ||
  fail "$build/versions.json names no installer inputs (cmake --preset windows)"
{ read -r default_program; read -r script; read -r icon; read -r plugins; read -r console; } <<<"$inputs"
[ -n "$program" ] || program="$default_program"
[ -f "$program" ] || fail "no such program: $program (make build)"
[ -f "$script" ] || fail "no installer script: $script"
[ -f "$console" ] || fail "no console program: $console (make build)"
[ -f "$icon" ] && [ -f "$plugins/tolviksetup.dll" ] ||
  fail "the installer's icon or plugin is not built (make installer)"
command -v makensis >/dev/null || fail "makensis is missing (apt-get install nsis)"

# The version: what the program itself says.
record="$(/usr/bin/python3 "$ROOT/scripts/pe-version.py" "$program")" || fail "cannot read the version of $program"
read -r version quad <<<"$record"
[[ "$version" =~ ^[0-9]+(\.[0-9]+){1,3}$ ]] || fail "$program has the version '$version'"
name="tolvik-Setup-$version.exe"
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

# sign-file FILE DESCRIPTION: signs FILE in place with a time stamp and
# verifies it. A script of its own, because makensis runs it too (for the
# uninstaller, which exists only while makensis builds the installer).
sign=(osslsigncode sign -h sha256)
if [ -n "$pkcs12" ]; then
  sign+=(-pkcs12 "$pkcs12")
else
  sign+=(-certs "$cert" -key "$key")
fi
[ -z "$pass_file" ] || sign+=(-readpass "$pass_file")
sign+=(-ts "$timestamp")
verify=(osslsigncode verify)
[ -z "$ca" ] || verify+=(-CAfile "$ca")
[ -z "$tsa_ca" ] || verify+=(-TSA-CAfile "$tsa_ca")
{
  echo '#!/usr/bin/env bash'
  printf 'sign=(%s)\n' "$(printf '%q ' "${sign[@]}")"
  printf 'verify=(%s)\n' "$(printf '%q ' "${verify[@]}")"
  cat <<'SH'
set -uo pipefail
file="$1" log="$1.sign.log" what="$(basename "$1")"
"${sign[@]}" -n "$2" -in "$file" -out "$file.signed" >"$log" 2>&1 ||
  { cat "$log" >&2; echo "sign-release: signing $what failed" >&2; exit 1; }
mv -f "$file.signed" "$file"
"${verify[@]}" -in "$file" >"$log" 2>&1 ||
  { cat "$log" >&2; echo "sign-release: the signed $what does not verify" >&2; exit 1; }
# A signature whose time stamp went missing or does not check out verifies
# all the same: ask for the time stamp's own verdict.
grep -q "^Timestamp Server Signature verification: ok" "$log" ||
  { cat "$log" >&2; echo "sign-release: $what carries no verified time stamp" >&2; exit 1; }
rm -f "$log"
SH
} >"$work/sign-file"
chmod +x "$work/sign-file"

# 1. The program, signed before it is packed.
mkdir "$work/program"
cp "$program" "$work/program/tolvik.exe"
"$work/sign-file" "$work/program/tolvik.exe" "tolvik"
cp "$console" "$work/program/tolvikc.exe"
"$work/sign-file" "$work/program/tolvikc.exe" "tolvikc"

# 2. The installer around it, its uninstaller signed by makensis on the way.
makensis -V2 -WX -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DVERSION_QUAD="$quad" -DPROGRAM="$work/program/tolvik.exe" -DICON="$icon" \
  -DCONSOLE="$work/program/tolvikc.exe" \
  -DPLUGINS="$plugins" -DOUTFILE="$work/$name" \
  -DSIGN_UNINSTALLER="\"$work/sign-file\" \"%1\" \"tolvik Uninstall\"" \
  "$script" >"$work/makensis.log" 2>&1 ||
  { cat "$work/makensis.log" >&2; fail "building the installer failed"; }

# 3. The installer itself.
"$work/sign-file" "$work/$name" "tolvik Setup"

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
echo "sign-release: signed tolvik.exe, tolvikc.exe, its uninstaller and $out/$name ($size bytes, sha256 $sha256)"
echo "sign-release: wrote $out/update.json"
