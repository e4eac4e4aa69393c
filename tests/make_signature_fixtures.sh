#!/usr/bin/env bash
# make_signature_fixtures.sh PROGRAM OUTDIR
# Programs whose signature or checksum tells a different story, all made from
# PROGRAM (the built harness) with a certificate made on the spot:
#   signed.exe     signed (SHA-256) by "Orvelle Test Signer", a root nobody trusts
#   signed-sha1.exe  the same with a SHA-1 digest
#   altered.exe    signed.exe with one byte of its code changed after signing
#   appended.exe   signed.exe with bytes appended behind the signature
#   stripped.exe   signed.exe with its signature removed by the signing tool
#   cut.exe        signed.exe with its signature cut off by hand, header checksum left
#   unsigned.exe   PROGRAM with a correct header checksum
#   badsum.exe     PROGRAM with a header checksum that does not match
#   nosum.exe      PROGRAM with no header checksum (0)
set -euo pipefail
program=$1 out=$2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" \
  -days 3650 -subj "/CN=Orvelle Test Signer" >/dev/null 2>&1

# The checksum is computed here the way the system's image tools compute it,
# independently of the plugin's own code.
python3 - "$program" "$work" <<'PY'
import struct, sys
src, work = sys.argv[1], sys.argv[2]
data = bytearray(open(src, 'rb').read())
pe = struct.unpack_from('<I', data, 0x3c)[0]
csum_at = pe + 24 + 64
def checksum(d):
    s = 0
    padded = bytes(d) + (b'\0' if len(d) % 2 else b'')
    for i in range(0, len(padded), 2):
        if csum_at <= i < csum_at + 4:
            continue
        s += padded[i] | padded[i + 1] << 8
        s = (s & 0xffff) + (s >> 16)
    s = (s & 0xffff) + (s >> 16)
    return s + len(d)
struct.pack_into('<I', data, csum_at, 0)
open(work + '/nosum.exe', 'wb').write(data)
struct.pack_into('<I', data, csum_at, checksum(data))
open(work + '/unsigned.exe', 'wb').write(data)
struct.pack_into('<I', data, csum_at, checksum(data) ^ 0x10)
open(work + '/badsum.exe', 'wb').write(data)
PY

sign() {
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "Orvelle sample" \
    -h "$1" -in "$work/unsigned.exe" -out "$2" >/dev/null
}
sign sha256 "$work/signed.exe"
sign sha1 "$work/signed-sha1.exe"
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/stripped.exe" >/dev/null

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
data = bytearray(open(work + '/signed.exe', 'rb').read())
pe = struct.unpack_from('<I', data, 0x3c)[0]
magic = struct.unpack_from('<H', data, pe + 24)[0]
sec_at = pe + 24 + (96 if magic == 0x10b else 112) + 4 * 8
cert_at, cert_size = struct.unpack_from('<II', data, sec_at)
altered = bytearray(data)
altered[cert_at // 2] ^= 0x01          # a byte in the middle of the image
open(work + '/altered.exe', 'wb').write(altered)
open(work + '/appended.exe', 'wb').write(data + b'appended after signing\0\0')
cut = bytearray(data[:cert_at])
struct.pack_into('<II', cut, sec_at, 0, 0)
open(work + '/cut.exe', 'wb').write(cut)
PY

for f in signed signed-sha1 altered appended stripped cut unsigned badsum nosum; do
  cp "$work/$f.exe" "$out/$f.exe"
done
