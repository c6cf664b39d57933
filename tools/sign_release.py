#!/usr/bin/env python3
"""Signs a release of korvel.exe for the online upgrade.

  sign_release.py KEY.pem FILE      prints the text the announcement page
                                    carries: the signature between "qm*#"
                                    and "*#*#"
  sign_release.py --public KEY.pem  prints the public key for the build
                                    setting KORVEL_UPDATE_PUBLIC_KEY

KEY.pem is the release's ECDSA P-256 private key (openssl ecparam -name
prime256v1 -genkey -noout -out KEY.pem); it never enters the repository.
The signature is ECDSA over the SHA-256 of the file's bytes, made by the
openssl command, and written as 128 hex digits: r then s, 32 bytes each,
which is the form the program hands to the platform's verifier. The public
key is X then Y of the point, 128 hex digits.
"""

import subprocess
import sys

SIGNATURE_OPEN = "qm*#"
SIGNATURE_CLOSE = "*#*#"


def _der_integers(der):
    """The two INTEGERs of a DER SEQUENCE { r, s } (the form openssl writes)."""
    def length(at):
        first = der[at]
        if first < 0x80:
            return first, at + 1
        count = first & 0x7F
        return int.from_bytes(der[at + 1:at + 1 + count], "big"), at + 1 + count

    if not der or der[0] != 0x30:
        raise ValueError("not a DER signature")
    _, at = length(1)
    values = []
    for _ in range(2):
        if der[at] != 0x02:
            raise ValueError("not a DER signature")
        size, at = length(at + 1)
        values.append(int.from_bytes(der[at:at + size], "big"))
        at += size
    return values


def raw_signature(key_path, data):
    """r and s, 32 bytes each, of the SHA-256 of data under the key."""
    der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key_path], input=data,
                         stdout=subprocess.PIPE, check=True).stdout
    r, s = _der_integers(der)
    return r.to_bytes(32, "big") + s.to_bytes(32, "big")


def signature_hex(key_path, data):
    return raw_signature(key_path, data).hex()


def page_text(key_path, data):
    """The signature as the announcement page carries it (ASCII, so it reads
    the same in the page's GBK)."""
    return SIGNATURE_OPEN + signature_hex(key_path, data) + SIGNATURE_CLOSE


def public_key_hex(key_path):
    der = subprocess.run(["openssl", "ec", "-in", key_path, "-pubout", "-outform", "DER"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout
    return der[-64:].hex()  # the point ends the DER form: 04, X, Y


def main(argv):
    if len(argv) == 2 and argv[0] == "--public":
        print(public_key_hex(argv[1]))
        return 0
    if len(argv) != 2 or argv[0].startswith("-"):
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        data = f.read()
    print(page_text(argv[0], data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
