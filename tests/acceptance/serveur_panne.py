#!/usr/bin/python3
"""A misbehaving SMTP server on loopback, written on raw sockets so that every
byte it sends (or fails to send) is chosen.

The server speaks just enough SMTP for a client to send; the fault chosen with
--panne hits either the first --connexions connections (0: all of them) at
their start, or the transactions with a recipient whose name starts with
"panne":

  accueil-421        greets with 421 and closes
  charabia           sends bytes that are neither SMTP nor TLS, then waits
  coupe-poignee      reads the client's first bytes (a TLS hello) and resets
  coupe-rcpt         resets the connection on RCPT TO:<panne...>
  coupe-donnees      reads the first 64 KiB of the message, then resets
  coupe-fin-donnees  reads the whole message, then resets before the reply
  refus              answers RCPT TO:<tempo...> with 451, <refus...> with 550
  goutte             answers RCPT TO:<panne...> one byte a second
  auth-refus         answers AUTH with 535 (other connections accept any AUTH)
  ferme-421          offers PIPELINING; answers the third MAIL with 421 and closes
  ferme-421-bdat     the same, offering CHUNKING too (BDAT ... LAST)
  faux-pipelining    offers PIPELINING, yet drops whatever follows each command
  refus-fin          offers PIPELINING; refuses at its end a message to <panne...>
  echappements       answers RCPT TO:<panne...> with 550 and a reply holding
                     terminal escape sequences and a bare CR
  sourd              never accepts, its queue full: a connection never completes,
                     as to a dead host
  aucune             no fault: a well-behaved server that shows every command

With --cert and --cle it speaks TLS from the first byte (implicit TLS); with
--ca-client too, only to clients with a certificate that CA signed.
Accepted messages are stored in --dossier as NNNN.eml and NNNN.json, like
serveur_smtp.py; every command line received (not the message data) is
appended to commandes.log, every AUTH exchange to auth.log decoded. Prints
"PRET <port>" once it listens.
"""

import argparse
import asyncio
import base64
import itertools
import json
import os
import signal
import socket
import ssl

PANNES_DE_CONNEXION = ("accueil-421", "charabia", "coupe-poignee", "auth-refus", "ferme-421",
                       "ferme-421-bdat", "faux-pipelining")
CIBLE = "panne"


class Etat:
    def __init__(self, a):
        self.a = a
        self.connexions = itertools.count(1)
        self.messages = itertools.count(1)


def decode(b64):
    try:
        return base64.b64decode(b64).decode("utf-8", "replace")
    except ValueError:
        return "?"


async def session(etat, lecteur, ecrivain):
    a = etat.a
    numero = next(etat.connexions)
    touchee = a.panne in PANNES_DE_CONNEXION and (a.connexions == 0 or numero <= a.connexions)

    def ecrit(texte):
        ecrivain.write(texte.encode() if isinstance(texte, str) else texte)

    def coupe():
        # A reset, not a polite close: no QUIT reply, no TLS close_notify.
        ecrivain.transport.abort()

    if touchee and a.panne == "accueil-421":
        ecrit("421 4.3.2 Service temporairement indisponible\r\n")
        await ecrivain.drain()
        ecrivain.close()
        return
    if touchee and a.panne == "charabia":
        ecrit(b"\x00\xff\xfe charabia \x15\x03\x09\x00\x02\x02\x50\r\n" * 4)
        await ecrivain.drain()
        await lecteur.read(65536)
        coupe()
        return
    if touchee and a.panne == "coupe-poignee":
        try:
            await asyncio.wait_for(lecteur.read(1), 1.0)
        except asyncio.TimeoutError:
            pass
        coupe()
        return

    ecrit("220 panne.test ESMTP\r\n")
    await ecrivain.drain()
    expediteur, destinataires = None, []
    utilisateur = None
    pipelining = a.panne in ("ferme-421", "ferme-421-bdat", "faux-pipelining", "refus-fin")
    chunking = a.panne == "ferme-421-bdat"
    mails = 0
    while True:
        if touchee and a.panne == "faux-pipelining":
            # A server that reads one command per packet: the rest is lost.
            lecteur._buffer.clear()
        ligne = await lecteur.readline()
        if not ligne:
            break
        texte = ligne.decode("utf-8", "replace").rstrip("\r\n")
        with open(os.path.join(a.dossier, "commandes.log"), "a") as f:
            f.write(json.dumps({"connexion": numero, "ligne": texte}) + "\n")
        commande = texte[:4].upper()
        if commande in ("EHLO", "HELO"):
            ecrit("250-panne.test\r\n" + ("250-PIPELINING\r\n" if pipelining else "") +
                  ("250-CHUNKING\r\n" if chunking else "") +
                  "250-8BITMIME\r\n250 AUTH PLAIN\r\n")
        elif commande == "AUTH":
            # Only PLAIN, with or without an initial response.
            mots = texte.split()
            if len(mots) > 2:
                donnees = mots[2]
            else:
                ecrit("334 \r\n")
                await ecrivain.drain()
                donnees = (await lecteur.readline()).decode().strip()
            _, nom, secret = (decode(donnees).split("\x00") + ["", "", ""])[:3]
            with open(os.path.join(a.dossier, "auth.log"), "a") as f:
                f.write(json.dumps({"connexion": numero, "utilisateur": nom,
                                    "mot_de_passe": secret}) + "\n")
            if touchee:
                ecrit("535 5.7.8 Authentication credentials invalid\r\n")
            else:
                utilisateur = nom
                ecrit("235 2.7.0 Authentication successful\r\n")
        elif commande == "MAIL":
            mails += 1
            if touchee and a.panne.startswith("ferme-421") and mails == 3:
                ecrit("421 4.3.2 Shutting down\r\n")
                await ecrivain.drain()
                break
            expediteur, destinataires = texte[10:].strip().strip("<>"), []
            ecrit("250 2.1.0 Ok\r\n")
        elif commande == "RCPT":
            adresse = texte[8:].strip().strip("<>")
            local = adresse.lower()
            if a.panne == "coupe-rcpt" and local.startswith(CIBLE):
                coupe()
                return
            if a.panne == "refus" and local.startswith("tempo"):
                ecrit(f"451 4.7.1 <{adresse}>: try again later\r\n")
            elif a.panne == "refus" and local.startswith("refus"):
                ecrit(f"550 5.1.1 <{adresse}>: Recipient address rejected\r\n")
            elif a.panne == "echappements" and local.startswith(CIBLE):
                # A title change, a screen clear, and a CR that would return
                # to the line's start and write over it.
                ecrit("550 5.7.1 \x1b]2;pirate\x07\x1b[2J\x9b2J refused\rforged\r\n")
            elif a.panne == "goutte" and local.startswith(CIBLE):
                # Long enough that a client waiting for the whole reply would
                # wait a minute and more.
                for octet in ("250 2.1.5 " + "lent " * 20 + "\r\n").encode():
                    ecrit(bytes([octet]))
                    await ecrivain.drain()
                    await asyncio.sleep(1)
                destinataires.append(adresse)
            else:
                destinataires.append(adresse)
                ecrit("250 2.1.5 Ok\r\n")
        elif commande in ("DATA", "BDAT"):
            if commande == "DATA":
                ecrit("354 End data with <CR><LF>.<CR><LF>\r\n")
                await ecrivain.drain()
            visee = any(d.lower().startswith(CIBLE) for d in destinataires)
            if a.panne == "coupe-donnees" and visee:
                await lecteur.readexactly(65536)
                coupe()
                return
            donnees = bytearray()
            if commande == "BDAT":
                donnees = bytearray(await lecteur.readexactly(int(texte.split()[1]))) + b".\r\n"
            while not donnees.endswith(b"\r\n.\r\n") and donnees != b".\r\n":
                morceau = await lecteur.readline()
                if not morceau:
                    return
                donnees += morceau
            if a.panne == "coupe-fin-donnees" and visee:
                coupe()
                return
            if a.panne == "refus-fin" and visee:
                ecrit("554 5.7.1 Message content rejected\r\n")
                await ecrivain.drain()
                continue
            n = next(etat.messages)
            base = os.path.join(a.dossier, f"{n:04d}")
            with open(base + ".eml", "wb") as f:
                f.write(bytes(donnees[:-3]).replace(b"\r\n..", b"\r\n."))
            with open(base + ".json.tmp", "w") as f:
                json.dump({"mail_from": expediteur, "rcpt_tos": destinataires,
                           "connexion": numero, "tls": a.cert is not None,
                           "utilisateur": utilisateur}, f)
            os.rename(base + ".json.tmp", base + ".json")
            ecrit(f"250 2.0.0 Ok: queued as {n:04d}\r\n")
        elif commande in ("RSET", "NOOP"):
            if commande == "RSET":
                expediteur, destinataires = None, []
            ecrit("250 2.0.0 Ok\r\n")
        elif commande == "QUIT":
            ecrit("221 2.0.0 Bye\r\n")
            await ecrivain.drain()
            break
        else:
            ecrit("502 5.5.2 Command not recognized\r\n")
        await ecrivain.drain()
    ecrivain.close()


def sourd(port):
    """Listens with a queue of one that its own connection fills: the kernel
    then drops every new SYN, and a client waits as for a host that is down."""
    ecoute = socket.socket()
    ecoute.bind(("127.0.0.1", port))
    ecoute.listen(0)
    adresse = ecoute.getsockname()
    bouchon = socket.create_connection(adresse)
    print(f"PRET {adresse[1]}", flush=True)
    signal.pause()
    bouchon.close()


async def principal(a):
    etat = Etat(a)
    contexte = None
    if a.cert:
        contexte = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        contexte.load_cert_chain(a.cert, a.cle)
        if a.ca_client:  # a client without a certificate this CA signed is refused
            contexte.verify_mode = ssl.CERT_REQUIRED
            contexte.load_verify_locations(a.ca_client)

    async def accueil(lecteur, ecrivain):
        try:
            await session(etat, lecteur, ecrivain)
        except (ConnectionError, ssl.SSLError, asyncio.IncompleteReadError):
            pass  # the client gave up: what the tests provoke

    serveur = await asyncio.start_server(accueil, "127.0.0.1", a.port, ssl=contexte)
    print(f"PRET {serveur.sockets[0].getsockname()[1]}", flush=True)
    await serveur.serve_forever()


if __name__ == "__main__":
    p = argparse.ArgumentParser()
    p.add_argument("--dossier", required=True)
    p.add_argument("--panne", required=True,
                   choices=["accueil-421", "charabia", "coupe-poignee", "coupe-rcpt", "ferme-421-bdat",
                            "coupe-donnees", "coupe-fin-donnees", "refus", "goutte",
                            "auth-refus", "ferme-421", "faux-pipelining", "refus-fin", "echappements",
                            "sourd", "aucune"])
    p.add_argument("--connexions", type=int, default=0)
    p.add_argument("--cert")
    p.add_argument("--cle")
    p.add_argument("--ca-client")
    p.add_argument("--port", type=int, default=0)
    arguments = p.parse_args()
    os.makedirs(arguments.dossier, exist_ok=True)
    if arguments.panne == "sourd":
        sourd(arguments.port)
    else:
        asyncio.run(principal(arguments))
