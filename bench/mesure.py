"""Times commands run in alternation and records each run's peak memory.

    python3 mesure.py RESULT.json ROUNDS WARMUP COMMAND...

Each round runs every command once, in order; the first WARMUP rounds are not
counted. Alternating matters on this two-core virtual machine, where loopback
latency drifts over seconds: commands compared with each other then see the
same conditions. A run that fails or outlasts its time limit stops everything.
RESULT.json gets, per command, its times, their median, the median of its CPU
time (user + system), the largest peak resident memory (bytes) of its runs and
the median of the bytes that crossed the loopback interface during a run (what
was sent, to within TCP/IP headers and the replies); a summary goes to
standard output.
"""

import json
import os
import shlex
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

LIMITE_S = 300  # no run here should come near it; a hung one must not hang the bench


def octets_loopback():
    with open("/proc/net/dev") as f:
        for ligne in f:
            nom, _, champs = ligne.partition(":")
            if nom.strip() == "lo":
                return int(champs.split()[0])
    return 0


def execute(commande, fichier_pic):
    """(seconds, CPU seconds, peak resident bytes, loopback bytes) of one run."""
    # The peak comes from /usr/bin/time: a child forked from this interpreter
    # starts with the interpreter's own peak (about 15 MiB) as its floor.
    avant = octets_loopback()
    debut = time.perf_counter()
    processus = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", fichier_pic, *commande],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                 start_new_session=True)
    minuteur = threading.Timer(LIMITE_S, os.killpg, (processus.pid, signal.SIGKILL))
    minuteur.start()
    erreurs = processus.stderr.read()
    # wait4 rather than wait: it hands back the resource usage of this child
    # and of the command it waited for.
    _, statut, usage = os.wait4(processus.pid, 0)
    duree = time.perf_counter() - debut
    minuteur.cancel()
    processus.returncode = os.waitstatus_to_exitcode(statut)
    if processus.returncode != 0:
        sys.stderr.write(erreurs.decode(errors="replace")[-2000:])
        sys.exit(f"{shlex.join(commande)}: exit {processus.returncode}")
    with open(fichier_pic) as f:
        pic = int(f.read().split()[-1]) * 1024
    cpu = usage.ru_utime + usage.ru_stime
    return duree, cpu, pic, octets_loopback() - avant


def main():
    sortie, tours, echauffement = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    commandes = [shlex.split(c) for c in sys.argv[4:]]
    durees = [[] for _ in commandes]
    pics = [0 for _ in commandes]
    octets = [[] for _ in commandes]
    cpus = [[] for _ in commandes]
    descripteur, fichier_pic = tempfile.mkstemp(prefix="pic-")
    os.close(descripteur)
    try:
        for tour in range(echauffement + tours):
            for i, commande in enumerate(commandes):
                duree, cpu, pic, transmis = execute(commande, fichier_pic)
                if tour >= echauffement:
                    durees[i].append(duree)
                    pics[i] = max(pics[i], pic)
                    octets[i].append(transmis)
                    cpus[i].append(cpu)
    finally:
        os.unlink(fichier_pic)
    resultats = []
    for texte, d, c, pic, o in zip(sys.argv[4:], durees, cpus, pics, octets):
        resultats.append({"commande": texte, "durees": d, "mediane": statistics.median(d),
                          "cpu": statistics.median(c), "pic": pic, "octets": statistics.median(o)})
        print(f"{texte}\n  median {statistics.median(d):.3f} s (runs: "
              + " ".join(f"{x:.3f}" for x in d) + f"), CPU {statistics.median(c):.3f} s, "
              f"peak memory {pic / 2**20:.1f} MiB")
    with open(sortie, "w") as f:
        json.dump(resultats, f)


main()
