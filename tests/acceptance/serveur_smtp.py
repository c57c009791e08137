#!/usr/bin/python3
"""Test SMTP (and POP3) servers on loopback.

One server per process. Each message received is stored in --dossier as
NNNN.eml (the raw data as received) and NNNN.json (envelope, connection number,
authenticated user). When the server listens, the process prints "PRET <port>"
on standard output and keeps running until it is killed.
"""

import argparse
import asyncio
import base64
import itertools
import json
import os
import socket
import ssl
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

UTILISATEUR = "jean"
MOT_DE_PASSE = "s3cret é"


def altere(action, chemin):
    """Changes a file the client sends again later, as someone could between two batches."""
    if action == "supprime":
        os.remove(chemin)
    elif action == "tronque":
        os.truncate(chemin, os.path.getsize(chemin) // 2)
    else:  # remplace: another file of the same size put in its place
        with open(chemin + ".neuf", "wb") as f:
            f.write(b"x" * os.path.getsize(chemin))
        os.replace(chemin + ".neuf", chemin)


class Stockage:
    def __init__(self, dossier, refuses, alteration=None, pipelining=False, jetons=None,
                 differes=()):
        self.dossier = dossier
        self.differes = {r.lower() for r in differes}
        self.pipelining = pipelining
        self.jetons = jetons  # the file of the tokens that log in (OAuth2)
        self.refuses = {r.lower() for r in refuses}
        self.alteration = alteration
        self.numero = itertools.count(1)
        self.connexions = itertools.count(1)

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        if not hasattr(session, "numero_connexion"):
            session.numero_connexion = next(self.connexions)
        session.host_name = hostname
        if self.pipelining:
            # aiosmtpd reads one line at a time from a buffer, so a group of
            # commands is answered in order: it merely does not say so.
            responses.insert(-1, "250-PIPELINING")
        return responses

    def connexion_oauth(self, mecanisme, utilisateur, jeton):
        """Logs the attempt; a success when the token is one the endpoint granted."""
        valides = set()
        if os.path.exists(self.jetons):
            with open(self.jetons) as f:
                valides = {ligne.strip() for ligne in f}
        with open(os.path.join(self.dossier, "oauth.log"), "a") as f:
            f.write(json.dumps({"mecanisme": mecanisme, "utilisateur": utilisateur,
                                "jeton": jeton}) + "\n")
        if jeton in valides:
            return AuthResult(success=True, auth_data=utilisateur)
        return AuthResult(success=False, handled=False)

    async def auth_XOAUTH2(self, server, args):
        # base64("user=" user ^A "auth=Bearer " token ^A ^A)
        texte = await reponse_initiale(server, args)
        champs = dict(c.split("=", 1) for c in texte.split("\x01") if "=" in c)
        return self.connexion_oauth("XOAUTH2", champs.get("user"),
                                    champs.get("auth", "").removeprefix("Bearer "))

    async def auth_OAUTHBEARER(self, server, args):
        # base64("n,a=" user "," ^A "host=…" ^A "auth=Bearer " token ^A ^A)
        entete, *champs = (await reponse_initiale(server, args)).split("\x01")
        champs = dict(c.split("=", 1) for c in champs if "=" in c)
        utilisateur = entete.split("a=", 1)[1].rstrip(",") if "a=" in entete else None
        return self.connexion_oauth("OAUTHBEARER", utilisateur,
                                    champs.get("auth", "").removeprefix("Bearer "))

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuses:
            return f"550 5.1.1 <{address}>: Recipient address rejected"
        if address.lower() in self.differes:
            return f"451 4.7.1 <{address}>: Greylisted, try again later"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        n = next(self.numero)
        base = os.path.join(self.dossier, f"{n:04d}")
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        utilisateur = getattr(session, "auth_data", None)
        if isinstance(utilisateur, LoginPassword):
            utilisateur = utilisateur.login.decode()
        with open(base + ".json.tmp", "w") as f:
            json.dump({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos,
                       "connexion": getattr(session, "numero_connexion", 0),
                       "ehlo": getattr(session, "host_name", None),
                       # session.ssl is only set by STARTTLS; implicit TLS shows on the transport.
                       "tls": session.ssl is not None
                              or server.transport.get_extra_info("ssl_object") is not None,
                       "utilisateur": utilisateur}, f)
        os.rename(base + ".json.tmp", base + ".json")
        if n == 1 and self.alteration:
            altere(*self.alteration)  # before the reply: the next batch finds it changed
        return f"250 2.0.0 Ok: queued as {n:04d}"


async def reponse_initiale(server, args):
    """The client's first response, given with AUTH or asked for; decoded."""
    try:
        if len(args) > 1:
            return base64.b64decode(args[1]).decode("utf-8", "replace")
    except ValueError:
        return ""
    donnees = await server.challenge_auth("")
    return donnees.decode("utf-8", "replace") if isinstance(donnees, bytes) else ""


def authentifie(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == UTILISATEUR
          and auth_data.password.decode() == MOT_DE_PASSE)
    # handled=False: aiosmtpd then answers a failure with 535 itself (with the
    # default, it answers nothing and the client waits); auth_data gives the user.
    return AuthResult(success=ok, handled=False, auth_data=auth_data)


async def pop3(lecteur, ecrivain, dossier):
    """Just enough POP3 for a login before SMTP: CAPA, USER, PASS, LIST, QUIT."""
    ecrivain.write(b"+OK POP3 ready\r\n")
    utilisateur = None
    while True:
        ligne = await lecteur.readline()
        if not ligne:
            break
        commande, _, argument = ligne.decode(errors="replace").strip().partition(" ")
        commande = commande.upper()
        if commande == "CAPA":
            ecrivain.write(b"+OK\r\nUSER\r\n.\r\n")
        elif commande == "USER":
            utilisateur = argument
            ecrivain.write(b"+OK\r\n")
        elif commande == "PASS":
            if utilisateur == UTILISATEUR and argument == MOT_DE_PASSE:
                with open(os.path.join(dossier, "pop3.log"), "a") as f:
                    f.write(utilisateur + "\n")
                ecrivain.write(b"+OK logged in\r\n")
            else:
                ecrivain.write(b"-ERR bad login\r\n")
        elif commande == "LIST":
            ecrivain.write(b"+OK 0 messages\r\n.\r\n")
        elif commande == "QUIT":
            ecrivain.write(b"+OK bye\r\n")
            await ecrivain.drain()
            break
        else:
            ecrivain.write(b"+OK\r\n")
        await ecrivain.drain()
    ecrivain.close()


def contexte_tls(cert, cle):
    contexte = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexte.load_cert_chain(cert, cle)
    return contexte


def principal():
    p = argparse.ArgumentParser()
    p.add_argument("--dossier", required=True)
    p.add_argument("--mode", choices=["plain", "starttls", "tls", "muet", "pop3"], default="plain")
    p.add_argument("--auth", action="store_true", help="require AUTH LOGIN or PLAIN")
    p.add_argument("--cert")
    p.add_argument("--cle")
    p.add_argument("--refuse", action="append", default=[])
    p.add_argument("--differe", action="append", default=[], help="answer its RCPT with 451")
    p.add_argument("--altere", nargs=2, metavar=("ACTION", "FICHIER"),
                   help="once the first message is stored: supprime, tronque or remplace FICHIER")
    p.add_argument("--pipelining", action="store_true", help="offer PIPELINING, as relays do")
    p.add_argument("--oauth", metavar="JETONS",
                   help="log in with OAuth2 only: the tokens of this file (serveur_jetons.py)")
    p.add_argument("--mecanismes", default="XOAUTH2,OAUTHBEARER",
                   help="with --oauth, the mechanisms offered")
    a = p.parse_args()
    os.makedirs(a.dossier, exist_ok=True)

    if a.mode == "muet":
        # Accepts connections (the kernel completes them) and never says a word.
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        s.listen(100)
        print(f"PRET {s.getsockname()[1]}", flush=True)
        while True:
            time.sleep(3600)

    if a.mode == "pop3":
        async def lance():
            serveur = await asyncio.start_server(lambda l, e: pop3(l, e, a.dossier), "127.0.0.1")
            print(f"PRET {serveur.sockets[0].getsockname()[1]}", flush=True)
            await serveur.serve_forever()
        asyncio.run(lance())
        return

    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    tls = contexte_tls(a.cert, a.cle) if a.cert else None
    options = {"data_size_limit": 0, "auth_require_tls": False,
               "auth_exclude_mechanism": ["CRAM-MD5"]}
    if a.auth:
        options.update(authenticator=authentifie, auth_required=True)
    else:  # no AUTH offered at all, or only OAuth2
        options["auth_exclude_mechanism"] += ["LOGIN", "PLAIN"]
    offerts = a.mecanismes.split(",") if a.oauth else []
    options["auth_exclude_mechanism"] += [m for m in ("XOAUTH2", "OAUTHBEARER") if m not in offerts]
    if a.oauth:
        options["auth_required"] = True
    if a.mode == "starttls":
        options.update(tls_context=tls, require_starttls=True)
    stockage = Stockage(a.dossier, a.refuse, a.altere, a.pipelining, a.oauth, a.differe)
    controleur = Controller(stockage,
                           hostname="127.0.0.1",
                           port=port,
                           ssl_context=tls if a.mode == "tls" else None,
                           server_kwargs=options, ready_timeout=10)
    controleur.start()
    print(f"PRET {port}", flush=True)
    try:
        while True:
            time.sleep(3600)
    finally:
        controleur.stop()


if __name__ == "__main__":
    principal()
