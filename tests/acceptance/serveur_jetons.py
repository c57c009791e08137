#!/usr/bin/python3
"""An OAuth2 token endpoint on loopback over HTTPS (client credentials,
RFC 6749 4.4), for the tests.

It grants "jeton-N" to --client with --secret and any scope, valid --duree
seconds, and appends each token it grants to <dossier>/jetons.txt, where the
test SMTP server reads the tokens it takes. Every request is appended to
<dossier>/requetes.log (without the secret). Refusals are in the providers'
form: {"error": ..., "error_description": ...}. With --goutte its answer's
body comes one byte every 0.7 s, for minutes. With --certificat-client the
client proves itself with a signed assertion instead of the secret. Prints
"PRET <port>".
"""

import argparse
import base64
import hashlib
import http.server
import itertools
import json
import os
import ssl
import subprocess
import tempfile
import time
import urllib.parse


JWT_BEARER = "urn:ietf:params:oauth:client-assertion-type:jwt-bearer"


def b64url(texte):
    return base64.urlsafe_b64decode(texte + "=" * (-len(texte) % 4))


def refus_assertion(champs, champ, a, port, vus):
    """Why a client assertion (RFC 7523) is refused, or None: signed RS256 by
    --certificat-client's key, which x5t#S256 names, for this endpoint."""
    if "client_secret" in champs or champ("client_assertion_type") != JWT_BEARER:
        return "a client assertion, and no secret, expected"
    try:
        entete, revendications, signature = champ("client_assertion").split(".")
        en_tete, corps = json.loads(b64url(entete)), json.loads(b64url(revendications))
    except ValueError:
        return "not a JWT"
    with open(a.certificat_client) as f:
        der = ssl.PEM_cert_to_DER_cert(f.read())
    if (en_tete.get("alg") != "RS256" or
            b64url(en_tete.get("x5t#S256", "")) != hashlib.sha256(der).digest()):
        return "AADSTS700027: the certificate named is not the client's"
    with tempfile.TemporaryDirectory() as dossier:
        cle, sig = os.path.join(dossier, "cle.pem"), os.path.join(dossier, "sig")
        with open(sig, "wb") as f:
            f.write(b64url(signature))
        subprocess.run(["openssl", "x509", "-pubkey", "-noout", "-in", a.certificat_client,
                        "-out", cle], check=True)
        verifie = subprocess.run(["openssl", "dgst", "-sha256", "-verify", cle, "-signature", sig],
                                 input=f"{entete}.{revendications}".encode(), capture_output=True)
    if verifie.returncode != 0:
        return "AADSTS700027: the signature does not verify"
    maintenant = time.time()
    if (corps.get("aud") != f"https://127.0.0.1:{port}/locataire/token"
            or corps.get("iss") != a.client or corps.get("sub") != a.client
            or corps.get("nbf", 0) > maintenant + 5 or corps.get("exp", 0) < maintenant
            or not 300 <= corps.get("exp", 0) - corps.get("iat", 0) <= 600
            or not corps.get("jti") or corps["jti"] in vus):
        return f"AADSTS700024: claims refused: {corps}"
    vus.add(corps["jti"])
    return None


def principal():
    p = argparse.ArgumentParser()
    p.add_argument("--dossier", required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--cle", required=True)
    p.add_argument("--client", required=True)
    p.add_argument("--secret", required=True)
    p.add_argument("--duree", type=int, default=3600)
    p.add_argument("--goutte", action="store_true")
    p.add_argument("--certificat-client",
                   help="the client proves itself with an assertion this certificate signs")
    a = p.parse_args()
    numeros = itertools.count(1)
    vus = set()  # the assertions' jti: none may come twice

    class Guichet(http.server.BaseHTTPRequestHandler):
        def log_message(self, *arguments):
            pass

        def goutte(self):
            # Each byte of the body comes well within any wait for one; the
            # whole never does.
            self.send_response(200)
            self.send_header("Content-Type", "application/json")
            self.end_headers()
            for _ in range(500):
                self.wfile.write(b" ")
                time.sleep(0.7)

        def repond(self, statut, corps):
            if a.goutte:
                return self.goutte()
            octets = json.dumps(corps).encode()
            self.send_response(statut)
            self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(octets)))
            self.end_headers()
            self.wfile.write(octets)

        def do_POST(self):
            longueur = int(self.headers.get("Content-Length", "0"))
            champs = urllib.parse.parse_qs(self.rfile.read(longueur).decode())
            champ = lambda nom: champs.get(nom, [""])[0]
            with open(os.path.join(a.dossier, "requetes.log"), "a") as f:
                f.write(json.dumps({"grant_type": champ("grant_type"),
                                    "client_id": champ("client_id"), "scope": champ("scope")}) + "\n")
            if champ("grant_type") != "client_credentials":
                return self.repond(400, {"error": "unsupported_grant_type"})
            if a.certificat_client:
                refus = refus_assertion(champs, champ, a, self.server.server_address[1], vus)
                if refus:
                    return self.repond(401, {"error": "invalid_client",
                                             "error_description": refus})
            elif champ("client_id") != a.client or champ("client_secret") != a.secret:
                return self.repond(401, {
                    "error": "invalid_client",
                    "error_description": "AADSTS7000215: Invalid client secret provided."})
            jeton = f"jeton-{next(numeros)}"
            with open(os.path.join(a.dossier, "jetons.txt"), "a") as f:
                f.write(jeton + "\n")
            self.repond(200, {"token_type": "Bearer", "expires_in": a.duree,
                              "access_token": jeton})

    os.makedirs(a.dossier, exist_ok=True)
    serveur = http.server.HTTPServer(("127.0.0.1", 0), Guichet)
    contexte = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexte.load_cert_chain(a.cert, a.cle)
    serveur.socket = contexte.wrap_socket(serveur.socket, server_side=True)
    print(f"PRET {serveur.server_address[1]}", flush=True)
    serveur.serve_forever()


if __name__ == "__main__":
    principal()
