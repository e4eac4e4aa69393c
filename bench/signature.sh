#!/usr/bin/env bash
# The signature check of a signed 10 MiB program file (the harness with data
# appended before signing, so that the digest covers all of it), against the
# File Compare dialog's budget of 0.1 s per file.
set -euo pipefail
if ! command -v osslsigncode >/dev/null || ! command -v openssl >/dev/null; then
  echo "skipped: osslsigncode or openssl missing"; exit 0
fi
work=$(pwd)/build/64/bench/signature
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
program=build/64/bin/tchost64.exe
cp "$program" "$work/large.exe"
head -c $((10 * 1024 * 1024 - $(stat -c %s "$program"))) /dev/urandom >> "$work/large.exe"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 30 -subj "/CN=Orvelle Bench" >/dev/null 2>&1
osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
  -in "$work/large.exe" -out "$work/signed.exe" >/dev/null

winpath="Z:$(echo "$work/signed.exe" | sed 's|/|\\|g')"
result=$(scripts/wine-run.sh build/64 64 build/64/bin/signature_bench.exe "$winpath" | tr -d '\r')
seconds=$(echo "$result" | sed -n 's/^seconds //p')
state=$(echo "$result" | sed -n 's/^state //p')
[ "$state" = 3 ] || { echo "the signed file did not read as intact (state $state)"; exit 1; }
awk -v s="$seconds" 'BEGIN {
  printf "CheckProgramSignature, 10 MiB signed: %.3f s (budget 0.100 s)\n", s
  exit s < 0.1 ? 0 : 1 }'
