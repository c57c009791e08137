"""A loopback proxy that makes a link slow, and counts the round trips paid.

    python3 latence.py --cible HOST:PORT --delai MS [--delai-client MS]
                       [--ecoute [HOST:]PORT] [--compte FICHIER]

Listens on --ecoute (127.0.0.1 and a free port by default), prints
"PRET <port>" on standard output once it listens, and forwards every
connection to --cible. Each chunk the server sends reaches the client --delai
ms after it reached the proxy (each client chunk, --delai-client ms later;
0 by default), in order and without holding back the chunks behind it: a link
with that much latency, not a slow one. A client that waits for each reply
then pays one delay per exchange, as it would across a real network.

A turn is one wait of the client on the server: a server chunk that comes
after client data (or opens the connection: the greeting), counted once however
many chunks the reply takes. The counts (connections, turns, and the turns of
each connection) are written as JSON to --compte after every connection ends,
and printed on standard error when the proxy is stopped (SIGTERM or SIGINT).
"""

import argparse
import asyncio
import collections
import json
import os
import signal
import sys


class Compteur:
    def __init__(self, fichier):
        self.fichier = fichier
        self.connexions = 0
        self.tours = 0
        self.par_connexion = []

    def termine(self, tours):
        self.connexions += 1
        self.tours += tours
        self.par_connexion.append(tours)
        if self.fichier:
            temporaire = self.fichier + ".tmp"
            with open(temporaire, "w") as f:
                json.dump({"connexions": self.connexions, "tours": self.tours,
                           "par_connexion": self.par_connexion}, f)
            os.replace(temporaire, self.fichier)  # a reader never sees half a file


class Sens:
    """One direction of a connection: chunks wait here until their time."""

    def __init__(self, boucle, delai, connexion):
        self.boucle = boucle
        self.delai = delai
        self.connexion = connexion
        self.file = collections.deque()
        self.minuteur = None
        self.sortie = None  # transport the chunks are written to
        self.fin_demandee = False
        self.fini = False

    def recoit(self, donnees):
        if self.delai <= 0 and not self.file:
            self.sortie.write(donnees)
            return
        self.file.append((self.boucle.time() + self.delai, donnees))
        if self.minuteur is None:
            self.minuteur = self.boucle.call_at(self.file[0][0], self.envoie)

    def envoie(self):
        self.minuteur = None
        maintenant = self.boucle.time()
        while self.file and self.file[0][0] <= maintenant:
            self.sortie.write(self.file.popleft()[1])
        if self.file:
            self.minuteur = self.boucle.call_at(self.file[0][0], self.envoie)
        elif self.fin_demandee:
            self.ferme()

    def termine(self):
        """The sender closed: pass the end on once the chunks before it went."""
        self.fin_demandee = True
        if not self.file:
            self.ferme()

    def ferme(self):
        self.fini = True
        if self.sortie and not self.sortie.is_closing():
            try:
                self.sortie.write_eof()
            except OSError:  # that end is already gone
                self.sortie.close()
        self.connexion.verifie_fin()


class Extremite(asyncio.Protocol):
    """The proxy's socket toward the client or toward the server."""

    def __init__(self, connexion, cote):
        self.connexion = connexion
        self.cote = cote
        self.transport = None

    def connection_made(self, transport):
        self.transport = transport
        self.connexion.ouvert(self.cote, transport)

    def data_received(self, donnees):
        self.connexion.recu(self.cote, donnees)

    def eof_received(self):
        self.connexion.fin(self.cote)
        return True  # half-closed: the other direction may still carry data

    def connection_lost(self, exc):
        self.connexion.perdu(self.cote)

    # A slow reader on one side stops reading on the other.
    def pause_writing(self):
        self.connexion.autre(self.cote).transport.pause_reading()

    def resume_writing(self):
        self.connexion.autre(self.cote).transport.resume_reading()


class Connexion:
    def __init__(self, boucle, arguments, compteur):
        self.boucle = boucle
        self.compteur = compteur
        hote, _, port = arguments.cible.rpartition(":")
        self.cible = (hote, int(port))
        self.vers_client = Sens(boucle, arguments.delai / 1000, self)
        self.vers_serveur = Sens(boucle, arguments.delai_client / 1000, self)
        self.client = Extremite(self, "client")
        self.serveur = Extremite(self, "serveur")
        self.dernier = "client"  # the client waits for the greeting
        self.tours = 0
        self.fermes = set()

    def ouvert(self, cote, transport):
        if cote == "serveur":
            self.vers_serveur.sortie = transport
            self.client.transport.resume_reading()
            return
        self.vers_client.sortie = transport
        # Nothing is read from the client before the server is reached.
        transport.pause_reading()
        self.boucle.create_task(self.relie())

    async def relie(self):
        try:
            await self.boucle.create_connection(lambda: self.serveur, *self.cible)
        except OSError as erreur:
            print(f"latence: {self.cible[0]}:{self.cible[1]}: {erreur}", file=sys.stderr)
            self.client.transport.close()

    def autre(self, cote):
        return self.serveur if cote == "client" else self.client

    def recu(self, cote, donnees):
        if cote == "serveur":
            if self.dernier == "client":
                self.tours += 1
            self.vers_client.recoit(donnees)
        else:
            self.vers_serveur.recoit(donnees)
        self.dernier = cote

    def fin(self, cote):
        (self.vers_client if cote == "serveur" else self.vers_serveur).termine()

    def verifie_fin(self):
        """Both ends said they were done and all was passed on: nothing is left
        to carry, and asyncio closes no half-closed socket by itself."""
        if self.vers_client.fini and self.vers_serveur.fini:
            for extremite in (self.client, self.serveur):
                if extremite.transport is not None:
                    extremite.transport.close()

    def perdu(self, cote):
        if cote in self.fermes:
            return
        self.fermes.add(cote)
        autre = self.autre(cote).transport
        sens = self.vers_client if cote == "serveur" else self.vers_serveur
        if autre is not None and not sens.file:
            autre.close()
        elif autre is not None:
            sens.termine()
        if len(self.fermes) == 2 or autre is None:
            self.compteur.termine(self.tours)
            self.fermes.update(("client", "serveur"))


async def principal(arguments):
    boucle = asyncio.get_running_loop()
    compteur = Compteur(arguments.compte)
    hote, _, port = arguments.ecoute.rpartition(":")
    serveur = await boucle.create_server(
        lambda: Connexion(boucle, arguments, compteur).client, hote or "127.0.0.1", int(port))
    print(f"PRET {serveur.sockets[0].getsockname()[1]}", flush=True)
    arret = asyncio.Event()
    for signal_ in (signal.SIGTERM, signal.SIGINT):
        boucle.add_signal_handler(signal_, arret.set)
    await arret.wait()
    serveur.close()
    print(f"latence: {compteur.connexions} connection(s), {compteur.tours} turn(s)",
          file=sys.stderr)


if __name__ == "__main__":
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--cible", required=True, help="HOST:PORT to forward to")
    p.add_argument("--delai", type=float, required=True, help="ms added to each server chunk")
    p.add_argument("--delai-client", type=float, default=0, help="ms added to each client chunk")
    p.add_argument("--ecoute", default="127.0.0.1:0", help="[HOST:]PORT to listen on")
    p.add_argument("--compte", help="JSON file of the counts, rewritten after each connection")
    asyncio.run(principal(p.parse_args()))
