#include "app/APropos.h"

#include <iostream>

#include "core/Texte.h"
#include "core/Version.h"
#include "i18n/Langue.h"

namespace corvelle {

std::string TexteAPropos() {
    return TitreFenetre() + " - envoi de courrier électronique sans client de messagerie\n\n" +
           TexteSyntaxe();
}

std::string TexteAPropos(const Langue& langue) {
    if (langue.FichierTraduction.empty()) {
        return TexteAPropos();
    }
    return TitreFenetre() + "\n\n" + langue.Fichier.TraduitTexte("txtSyntaxe", TexteSyntaxe());
}

void EcritAPropos(const Langue& langue) {
    const std::string texte = Remplace(TexteAPropos(langue), "\r\n", "\n");
    std::cout << texte;
    if (!texte.empty() && texte.back() != '\n') {
        std::cout << '\n';
    }
    std::cout.flush();
}

std::string TexteSyntaxe() {
    return R"(Corvelle envoie un message par un serveur SMTP, depuis sa fenêtre de composition
(lancé sans paramètre) ou depuis un script (lancé avec des paramètres).

Syntaxe :
  corvelle /a:<destinataires> /o:<objet> (/ct:<texte> | /ctf:<fichier> | /ch:<html> | /chf:<fichier>) [options]

Destinataires (listes séparées par des virgules) :
  /a:<liste>      destinataires principaux
  /cc:<liste>     destinataires en copie
  /cci:<liste>    destinataires en copie cachée
  Chaque entrée est une adresse complète, un nom complété par le suffixe de
  domaine, fic:<fichier> (un destinataire par ligne) ou grp:<groupe> (groupe de
  l'annuaire). Les guillemets regroupent une entrée qui contient des virgules.

Message :
  /o:<objet>      objet du message
  /ct:<texte>     corps en texte ; § marque un saut de ligne
  /ctf:<fichier>  corps en texte lu dans un fichier
  /ch:<html>      corps HTML ; § devient <BR />
  /chf:<fichier>  corps HTML lu dans un fichier
  /pj:<fichiers>  pièces jointes séparées par des virgules (répétable)
  /iep            ignorer les pièces jointes introuvables

Options :
  /conf:<nom>     configuration SMTP à utiliser
  /de:<adresse>   expéditeur
  /rep:<adresse>  adresse de réponse
  /en:<jeu>       jeu de caractères (par exemple Iso-8859-1, UTF-8)
  /ar  /al  /arl  accusé de réception, de lecture, ou les deux
  /nde:<nombre>   nombre maximal de destinataires par envoi
  /@:<domaine>    suffixe de domaine des noms sans @
  /l              journal dans le fichier Corvelle.log de la configuration
  /l:<fichier>    journal dans ce fichier (ou Corvelle.log dans ce dossier existant)
  /r              compte rendu (erreurs ou succès) envoyé par courrier à l'expéditeur
  /trace          dialogue SMTP sur la sortie d'erreur, identifiants masqués
                  (aussi --verbose)
  /?              cette aide, que --help écrit aussi ; --version écrit la version

Chaque argument est un paramètre entier : sa valeur est prise telle quelle,
barres obliques et guillemets compris ; des guillemets qui l'entourent toute
sont retirés.

Réglages sans fenêtre (Linux ; --config vaut pour toute exécution) :
  --config <fichier>          ce fichier de réglages (aussi CORVELLE_CONFIG)
  --smtp list                 les configurations SMTP, jamais de mot de passe
  --smtp add <nom> --server <hôte> [options]   une nouvelle configuration
  --smtp set <nom> [options]  ne change que les options données
    options : --server <hôte>, --port <n>, --ssl, --no-ssl, --auth none|pop|login|plain,
    --user <u>, --pop-server <hôte>, --password-stdin ou --password-command <cmd>
  --smtp remove <nom>         --smtp default <nom> (la met en premier)
  --smtp test <nom> [--from <adresse>] [--to <adresse>]   message de test (0 ou 5)
  --get [<clé>...]            valeurs en usage ; --set <clé>=<valeur>... les change
  --password-stdin lit le mot de passe sur l'entrée standard ; --password-command
  enregistre une commande (/bin/sh -c, sans terminal) lancée à chaque envoi, dont
  la première ligne écrite est le mot de passe. Une valeur refusée n'écrit rien.

Codes de sortie :
  0  message envoyé
  1  erreur dans la ligne de commande
  2  erreur de groupe de l'annuaire
  3  erreur de fichier de destinataires, ou aucun destinataire
  4  pièce jointe introuvable
  5  échec de l'envoi
  6  échec du démarrage (configuration illisible ou invalide)

Exemples :
  corvelle /a:jean.dupont /o:"Sauvegarde terminée" /ct:"Tout s'est bien passé." /l
  corvelle /a:fic:/etc/corvelle/equipe.txt /cc:grp:Direction /o:Rapport /ctf:rapport.txt /pj:rapport.pdf /r
  corvelle /conf:Secours /a:"Support <support@example.com>" /o:Alerte /ch:"<b>Disque plein</b>" /l:/var/log/corvelle/alertes.log
  printf '%s\n' "$MDP" | corvelle --smtp add Relais --server smtp.example.com --ssl --auth login --user robot --password-stdin
)";
}

}  // namespace corvelle
