#!/usr/bin/env bash
# Fixture of the end-to-end case of signed installers, run on the host before the Wine tests
# (Wine cannot start osslsigncode): builds BIN/signed/setup.exe from the files in
# BIN/signed/in with the real zbpack.exe and stub under Wine, its unsigned size not a multiple
# of 8 (so the signer pads), and signs it with osslsigncode and a throwaway certificate.
# Without osslsigncode or openssl it writes the reason to BIN/signed/skipped instead.
#   make-signed-installer.sh WINE BIN
set -euo pipefail
wine=$1
bin=$(cd "$2" && pwd)
rm -rf "$bin/signed"
mkdir -p "$bin/signed/in"
cd "$bin/signed"
for tool in osslsigncode openssl; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed (scripts/install-deps.sh)" | tee skipped
    exit 0
  fi
done

cp "$bin/zbscripttool.exe" in/setup.exe
printf '>Checking the signed installer\r\n#ZbE2ESigned setup.exe held\r\n' >in/install.txt
for size in 20000 20001; do
  head -c "$size" /dev/urandom >in/data.bin
  "$wine" "$bin/zbpack.exe" pack -o unsigned.exe --stub "$bin/zubrex-stub.exe" \
    --product "Signed Product" --script install.txt in/install.txt in/data.bin in/setup.exe \
    >pack.log
  [ $(($(stat -c %s unsigned.exe) % 8)) -ne 0 ] && break
done
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zubrex Test" \
  -keyout key.pem -out cert.pem 2>/dev/null
osslsigncode sign -certs cert.pem -key key.pem -in unsigned.exe -out setup.exe >/dev/null
