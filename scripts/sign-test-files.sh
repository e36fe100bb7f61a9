#!/usr/bin/env bash
# Signs copies of a test program with throw-away certificates for the
# updater's signature tests; run by the build (CMakeLists.txt).
#
#   scripts/sign-test-files.sh PROGRAM.exe OUT_FOLDER OLDER.exe OTHER_PRODUCT.exe
#
# Writes into OUT_FOLDER:
#   signed.exe         signed by a certificate whose subject CN is "Velmora Co., Ltd."
#   wrong-case.exe     signed by one whose CN is "velmora co., ltd."
#   tampered.exe       signed.exe with one byte of its code changed afterwards
#   unsigned.exe       the program as it was built
#   older.exe          OLDER.exe (a record of an older tolvik) signed like signed.exe
#   other-product.exe  OTHER_PRODUCT.exe (another product's record) signed like signed.exe
# The certificates are self-signed and made afresh each time; the keys are
# deleted at the end.
set -euo pipefail

program="$1"
out="$2"
older="$3"
other_product="$4"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

sign() {  # sign CN OUTPUT [INPUT]
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -sha256 -subj "/CN=$1" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
  rm -f "$2"
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 -n "tolvik test" \
    -in "${3:-$program}" -out "$2" >/dev/null
}

sign "Velmora Co., Ltd." "$out/signed.exe"
sign "velmora co., ltd." "$out/wrong-case.exe"
sign "Velmora Co., Ltd." "$out/older.exe" "$older"
sign "Velmora Co., Ltd." "$out/other-product.exe" "$other_product"
cp -f "$program" "$out/unsigned.exe"

# One byte inside the first section (its raw data starts at 0x400 with
# MinGW's linker), far from the signature at the end of the file.
cp -f "$out/signed.exe" "$out/tampered.exe"
offset=$((0x400 + 0x40))
byte=$(od -An -tu1 -j "$offset" -N1 "$out/tampered.exe" | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" |
  dd of="$out/tampered.exe" bs=1 seek="$offset" count=1 conv=notrunc status=none
