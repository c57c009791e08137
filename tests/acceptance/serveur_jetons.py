#!/usr/bin/python3
"""An OAuth2 token endpoint on loopback over HTTPS (client credentials,
RFC 6749 4.4), for the tests.

It grants "jeton-N" to --client with --secret and any scope, valid --duree
seconds, and appends each token it grants to <dossier>/jetons.txt, where the
test SMTP server reads the tokens it takes. Every request is appended to
<dossier>/requetes.log (without the secret). Refusals are in the providers'
form: {"error": ..., "error_description": ...}. With --goutte its answer's
body comes one byte every 0.7 s, for minutes. Prints "PRET <port>".
"""

import argparse
import http.server
import itertools
import json
import os
import ssl
import time
import urllib.parse


def principal():
    p = argparse.ArgumentParser()
    p.add_argument("--dossier", required=True)
    p.add_argument("--cert", required=True)
    p.add_argument("--cle", required=True)
    p.add_argument("--client", required=True)
    p.add_argument("--secret", required=True)
    p.add_argument("--duree", type=int, default=3600)
    p.add_argument("--goutte", action="store_true")
    a = p.parse_args()
    numeros = itertools.count(1)

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
            if champ("client_id") != a.client or champ("client_secret") != a.secret:
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
