#include "i18n/TextesIntegres.h"

namespace corvelle {

// The French texts, in the order the catalogue loads them. "§" is a line break.
const std::array<TexteIntegre, kNombreTextesIntegres> kTextesIntegres = {{
    {"TraductionIncomplète", ""},
    {"TXT_FORMAT_TEXTE", "Texte seulement"},
    {"TXT_FORMAT_MIXTE", "Texte et HTML"},
    {"TXT_FORMAT_HTML", "HTML seulement"},
    {"TXT_NOTIFICATION_AUCUNE", "Aucune"},
    {"TXT_NOTIFICATION_AR", "Accusé de réception"},
    {"TXT_NOTIFICATION_AL", "Accusé de lecture"},
    {"TXT_NOTIFICATION_ARL", "Accusé de réception et lecture"},
    {"TXT_IMPORTANCE_NORMALE", "Normale"},
    {"TXT_IMPORTANCE_FAIBLE", "Faible"},
    {"TXT_IMPORTANCE_HAUTE", "Haute"},
    {"TXT_SENSIBILITE_NORMALE", "Normale"},
    {"TXT_SENSIBILITE_PERSONNELLE", "Personnelle"},
    {"TXT_SENSIBILITE_PRIVEE", "Privée"},
    {"TXT_SENSIBILITE_CONFIDENTIELLE", "Confidentielle"},
    {"TXT_REPORTING_CORVELLE", "Notification logiciel Corvelle..."},
    {"TXT_FERMETURE_OUTIL", "L'outil va être fermé."},
    {"TXT_ABANDON_ENVOI", "L'envoi est abandonné."},
    {"TXT_CHARGER_FICHIER", "Charger un fichier..."},
    {"TXT_JOINDRE_FICHIER", "Joindre un fichier..."},
    {"TXT_TOUS_FICHIERS", "Tous les fichiers"},
    {"TXT_PARCOURIR_POUR", "Parcourir : %v"},
    {"TXT_MENU_DESTINATAIRES", "Menu des destinataires (%v)"},
    {"TXT_SYNTAXE", "Syntaxe de la ligne de commande"},
    {"TXT_POPUP_AJOUTER_FIC_DESTINATAIRES", "<Ajouter un fichier de destinataires...>"},
    {"TXT_POPUP_EFFACER", "<Effacer>"},
    {"MSG_ERREUR_INITIALISATION",
     "Une erreur (%v) est survenue lors de l'initialisation de l'application :§§%v§§Veuillez "
     "contacter l'auteur du logiciel si le problème persiste..."},
    {"MSG_ERREUR_ACCES_AD", "Impossible d'accéder à l'ActiveDirectory..."},
    {"MSG_CONFIGURER_ACCES_AD",
     "Souhaitez-vous modifier la configuration de l'outil relative à l'accès à l'ActiveDirectory "
     "?"},
    {"MSG_ERREUR_RECHERCHE_ROOT_AD",
     "Impossible de déterminer le domaine root de l'Active Directory..."},
    {"MSG_ERREUR_EXPEDITEUR",
     "Le champ EXPÉDITEUR doit être renseigné et contenir une adresse pleinement qualifiée "
     "(incluant le caractère '@' suivi d'un nom de domaine)...§§Exemples :§   • "
     "jean.dupont@example.com§   • ne pas répondre<ne-pas-repondre@example.com>"},
    {"MSG_ERREUR_DESTINATAIRE", "Vous devez spécifier au moins un destinataire..."},
    {"MSG_ERREUR_OBJET", "Le champ OBJET DU MESSAGE doit être renseigné..."},
    {"MSG_ERREUR_CORPS", "Le champ CORPS DU MESSAGE doit être renseigné..."},
    {"MSG_ERREUR_GROUPE_INTROUVABLE",
     "Le groupe '%v' est inconnu de la base des comptes... Il sera ignoré."},
    {"MSG_ERREUR_RECUP_MEMBRES",
     "Impossible de se connecter à l'ActiveDirectory pour récupérer la liste des membres du groupe "
     "'%v'..."},
    {"MSG_ERREUR_RECUP_MEMBRES2",
     "Une erreur (%v) est survenue lors de la récupération des membres du groupe '%v'..."},
    {"MSG_ERREUR_GROUPE_IMBRICATION",
     "Le groupe '%v' imbrique des groupes sur plus de %v niveaux : ses membres n'ont pas été "
     "récupérés..."},
    {"MSG_ERREUR_GROUPE_RECHERCHES",
     "Les membres du groupe '%v' et des groupes qu'il contient demandent plus de %v recherches "
     "dans l'annuaire : ils n'ont pas été récupérés..."},
    {"MSG_ERREUR_FICHIER_DEST_INTROUVABLE",
     "Le fichier de destinataires '%v' est introuvable... Il sera ignoré."},
    {"MSG_ERREUR_FICHIER_DEST",
     "Une erreur (%v) est survenue lors de la récupération des membres du fichier '%v'..."},
    {"MSG_ERREUR_PIECE_JOINTE_INTROUVABLE", "Le fichier à joindre '%v' est introuvable..."},
    {"MSG_ERREUR_AUCUN_DESTINATAIRE", "Aucun destinataire à qui envoyer le message..."},
    {"MSG_ERREUR_ENVOI", "L'envoi du/des messages s'est terminé anormalement :"},
    {"MSG_DESTINATAIRES_LOT", "destinataires : %v"},
    {"MSG_SUCCES_ENVOI", "Le message '%v' a été envoyé à %v destinataire(s) en %v envoi(s)..."},
    {"MSG_ENVOI_INTERROMPU",
     "Envoi arrêté à la demande après %v envoi(s) : %v destinataire(s) sur %v n'ont pas reçu le "
     "message"},
    {"MSG_SUCCES_ATTENTE",
     "Le message '%v' (%v destinataire(s), %v envoi(s)) n'a pas pu partir entièrement : %v "
     "envoi(s) gardé(s) dans la file d'attente, envoyé(s) plus tard par corvelle --outbox run :"},
    {"MSG_LOT_EN_ATTENTE", "gardé dans la file d'attente sous %v : %v"},
    {"MSG_ATTENTE_IMPOSSIBLE", "non gardé dans la file d'attente : %v"},
    {"MSG_ATTENTE_TROP_GRAND", "le message dépasse ce qu'elle garde (%v Mo)"},
    {"MSG_PROPOSE_ATTENTE",
     "Le garder dans la file d'attente et réessayer ? Il partira à la prochaine "
     "exécution de corvelle --outbox run."},
    {"TXT_MENU_FILE_ATTENTE", "File d'attente : %v message(s) en attente"},
    {"TXT_MENU_FILE_ATTENTE_ECHEC", " ; dernier échec : %v"},
    {"TXT_PROGRESSION", "%v/%v envois, %v/%v destinataires, %v msg/s, reste %v"},
    {"TXT_PROGRESSION_ANNUAIRE", "annuaire : %v recherches, %v membres"},
    {"TXT_ENVOI_EN_COURS", "Envoi en cours"},
    {"TXT_PREPARATION_ENVOI", "Préparation de l'envoi..."},
    {"TXT_ARRETER", "&Arrêter"},
    {"TXT_ARRET_DEMANDE", "Arrêt demandé : l'envoi en cours se termine..."},
    {"MSG_ENVOI_EN_COURS_FERMETURE", "Un envoi est en cours. L'arrêter et fermer la fenêtre ?"},
    {"MSG_ERREUR",
     "Une erreur (%v) est survenue durant le traitement :§§%v§§Veuillez contacter l'auteur du "
     "logiciel si le problème persiste..."},
    {"MSG_ERREUR_CREATION_OBJET", "Impossible de créer l'objet SMTP..."},
    {"TXT_AUTHENTIFICATION_AUCUNE", "Aucune"},
    {"TXT_AUTHENTIFICATION_LOGIN", "Login"},
    {"TXT_AUTHENTIFICATION_PLAIN", "Plain"},
    {"TXT_AUTHENTIFICATION_POP3", "Pop3"},
    {"TXT_AUTHENTIFICATION_OAUTH2", "OAuth2"},
    {"TXT_SECRET_CLIENT", "Secr&et client"},
    {"MSG_ERREUR_CONF_SUFFIXE", "Le champ SUFFIXE doit être renseigné..."},
    {"MSG_ERREUR_CONF_NBDEST",
     "Le champ NOMBRE DE DESTINATAIRES doit contenir une valeur numérique entière comprise entre 0 "
     "et 100..."},
    {"MSG_ERREUR_CONF_TIMEOUT",
     "Le champ TIMEOUT doit contenir une valeur numérique entière comprise entre 1 et 60..."},
    {"MSG_ERREUR_CONF_DUREE_ATTENTE",
     "Le champ DURÉE DE CONSERVATION doit contenir une valeur numérique entière comprise entre 0 "
     "et 8760 (heures)..."},
    {"MSG_ERREUR_CONF_SMTP", "Au moins une configuration SMTP doit être déclarée..."},
    {"MSG_ERREUR_CONF_AD_DOMAINE", "Le champ DOMAINE doit être renseigné..."},
    {"MSG_ERREUR_CONF_AD_LOGIN", "Le champ LOGIN doit être renseigné..."},
    {"MSG_CHANGEMENT_LANGUE",
     "Le changement de langue de l'interface sera pris en compte après redémarrage du logiciel..."},
    {"MSG_TEST_SMTP_OK", "L'envoi du message a été effectué avec succès."},
    {"MSG_TEST_SMTP_ERREUR",
     "L'envoi du message s'est terminé anormalement (statut : %v)...§§Veuillez vérifier les "
     "paramètres auprès de votre administrateur."},
    {"MSG_ERREUR_CONF_SMTP_SERVEUR", "Le champ SERVEUR SMTP doit être renseigné..."},
    {"MSG_ERREUR_CONF_SMTP_PORT",
     "Le champ PORT doit contenir une valeur numérique entière comprise entre 0 et 65535..."},
    {"MSG_ERREUR_CONF_SMTP_USERNAME",
     "Le champ USERNAME doit être renseigné quand ce mode d'authentification est sélectionné..."},
    {"MSG_ERREUR_CONF_SMTP_PASSWORD",
     "Le champ PASSWORD doit être renseigné quand ce mode d'authentification est sélectionné..."},
    {"MSG_ERREUR_CONF_SMTP_URL_JETON",
     "Le champ URL DU JETON doit contenir une adresse https:// ou un tenant Microsoft quand aucune "
     "commande de jeton n'est donnée..."},
    {"MSG_ERREUR_CONF_SMTP_CLIENT_OAUTH",
     "Le champ ID CLIENT doit être renseigné quand aucune commande de jeton n'est donnée..."},
    {"MSG_ERREUR_CONF_SMTP_SERVEUR_POP",
     "Le champ SERVEUR POP doit être renseigné quand ce mode d'authentification est "
     "sélectionné..."},
    {"TXT_TEST_SMTP_OBJET", "[Corvelle] Test configuration SMTP..."},
    {"TXT_TEST_SMTP_MESSAGE", "Test ! Ne pas répondre à ce mail !"},
    {"MSG_ERREUR_CMD_CONF",
     "Le paramètre /conf a été spécifié mais le nom qui l'accompagne n'a pas été trouvé dans la "
     "liste des configurations SMTP déclarées dans l'application..."},
    {"MSG_ERREUR_CMD_DST_MANQUANT",
     "Le paramètre %v a été invoqué mais aucune valeur ne l'accompagne..."},
    {"MSG_ERREUR_CMD_GRP_SANS_AD",
     "L'envoi de mail à des groupes est impossible lorsque l'accès à l'ActiveDirectory est "
     "désactivé..."},
    {"MSG_ERREUR_CMD_CORPS",
     "La ligne de commande ne peut contenir plusieurs paramètres %v ou %v..."},
    {"MSG_ERREUR_CMD_CORPS_FIC_INTROUVABLE",
     "Le fichier contenant le corps du message ('%v') est introuvable..."},
    {"MSG_ERREUR_CMD_CORPS_FIC_VOLUMINEUX",
     "Le fichier contenant le corps du message ('%v') est trop volumineux (plus de %v Mio)..."},
    {"MSG_ERREUR_CMD_NBDEST",
     "Le paramètre /nde: doit contenir le nombre de destinataires par mail, représenté par une "
     "valeur numérique supérieure à zéro..."},
    {"MSG_ERREUR_CMD_DESTINATAIRE_MANQUANT",
     "Aucun paramètre indiquant la liste des destinataires n'a été détecté..."},
    {"MSG_ERREUR_CMD_CORPS_MANQUANT",
     "Aucun paramètre indiquant le corps du message (/ct:, /ctf:, /ch: ou /chf:) n'a été "
     "détecté..."},
    {"MSG_ERREUR_CMD_OBJET_MANQUANT",
     "Le paramètre contenant l'objet du message (/o:) est manquant..."},
    {"MSG_ERREUR_CMD_PARAM_INCONNU", "Paramètre '%v' inconnu..."},
    {"TXT_AIDE",
     R"(Corvelle envoie un message par un serveur SMTP, depuis sa fenêtre de composition
(lancé sans paramètre) ou depuis un script (lancé avec des paramètres).

Syntaxe :
  corvelle /a:<destinataires> /o:<objet> (/ct:<texte> | /ctf:<fichier> | /ch:<html> | /chf:<fichier>) [options]

Destinataires (listes séparées par des virgules ou des points-virgules) :
  /a:<liste>      destinataires principaux
  /cc:<liste>     destinataires en copie
  /cci:<liste>    destinataires en copie cachée
  Chaque entrée est une adresse complète, un nom complété par le suffixe de
  domaine, fic:<fichier> (un destinataire par ligne) ou grp:<groupe> (groupe de
  l'annuaire). Les guillemets regroupent une entrée qui contient des virgules.

Message :
  /o:<objet>      objet du message
  /ct:<texte>     corps en texte ; '§' marque un saut de ligne
  /ctf:<fichier>  corps en texte lu dans un fichier (- : l'entrée standard)
  /ch:<html>      corps HTML ; '§' devient <BR />
  /chf:<fichier>  corps HTML lu dans un fichier (- : l'entrée standard)
  /pj:<fichiers>  pièces jointes séparées par des virgules (répétable)
  /iep            ignorer les pièces jointes introuvables

Options :
  /conf:<nom>     configuration SMTP à utiliser
  /de:<adresse>   expéditeur
  /rep:<adresse>  adresse de réponse
  /ee:<adresse>   expéditeur de l'enveloppe (MAIL FROM), où vont les retours ;
                  le De: reste /de: (aussi --envelope-from <adresse>)
  /ent:"Nom: valeur"  en-tête ajouté à chaque message (répétable ; aussi
                  --header "Nom: valeur") ; From, To, Subject, Content-*...
                  sont refusés. Chaque message porte Auto-Submitted:
                  auto-generated, sauf AutoSubmitted=0 ou un /ent: qui le donne
  /en:<jeu>       jeu de caractères (par exemple Iso-8859-1, UTF-8)
  /ar  /al  /arl  accusé de réception, de lecture, ou les deux
  /nde:<nombre>   nombre maximal de destinataires par envoi
  /@:<domaine>    suffixe de domaine des noms sans @
  /l              journal dans le fichier Corvelle.log de la configuration
  /l:<fichier>    journal dans ce fichier (ou Corvelle.log dans ce dossier, s'il
                  existe ou si son nom finit par /)
  /r              compte rendu (erreurs ou succès) envoyé par courrier à l'expéditeur
  /trace          dialogue SMTP sur la sortie d'erreur, identifiants masqués
                  (aussi --verbose)
  --progress      ligne d'avancement sur la sortie d'erreur, même hors d'un
                  terminal ou avec /l, /r ; --no-progress : jamais (sans l'une
                  ni l'autre : sur un terminal, sans /l, /r ni /trace, pour un
                  envoi qui dure)
  /attente        un envoi qui échoue pour l'instant (pas de connexion, 4xx)
                  est gardé dans la file d'attente, puis envoyé par
                  corvelle --outbox run ; une ligne « ~ » le nomme (aussi --queue)
  --sysexits      code 75 au lieu de 5 quand tout échec peut passer plus tard
                  et que personne n'a rien reçu
  /apercu         rien n'est envoyé : chaque envoi (enveloppe et message
                  complet) est écrit sur la sortie standard ; --dry-run aussi
  /apercu:<dossier>  rien n'est envoyé : un fichier .eml par envoi dans ce dossier
  /?              cette aide, que --help et -h écrivent aussi ;
                  --version (-V) écrit la version

Chaque argument est un paramètre entier : sa valeur est prise telle quelle,
barres obliques et guillemets compris ; des guillemets qui l'entourent toute
sont retirés. Les informations vont sur la sortie standard, les avertissements
et les erreurs sur la sortie d'erreur ; avec /l ou /r, un échec y écrit encore
une ligne. Ctrl-C (ou SIGTERM) arrête l'envoi proprement : le message en
cours finit, le journal et le compte rendu nomment qui ne l'a pas reçu, code 5 ;
un second Ctrl-C arrête tout de suite.

Réglages sans fenêtre (Linux ; --config vaut pour toute exécution) :
  --config <fichier>          ce fichier de réglages (aussi CORVELLE_CONFIG)
  --smtp list                 les configurations SMTP, jamais de mot de passe
  --smtp add <nom> --server <hôte> [options]   une nouvelle configuration
  --smtp set <nom> [options]  ne change que les options données
    options : --server <hôte>, --port <n>, --ssl, --no-ssl,
    --auth none|pop|login|plain|oauth2, --user <u>, --pop-server <hôte>,
    --password-stdin ou --password-command <cmd>
    OAuth2 (--user : la boîte aux lettres) : --oauth-token-url <url> ou
    --oauth-tenant <tenant Microsoft>, --oauth-client-id <id>, au besoin
    --oauth-scope <portée>, le secret client par --password-stdin ou
    --password-command ; ou bien --oauth-token-command <cmd>, dont la première
    ligne écrite est le jeton. Jetons gardés dans Corvelle.jetons (0600).
    Administration (une valeur vide efface) : --ehlo <nom> (sinon le nom
    complet de la machine), --envelope-from <adresse>, --tls-ca <fichier>,
    --tls-fingerprint SHA256:<64 chiffres hexadécimaux>, --tls-cert <fichier>,
    --tls-key <fichier>, --oauth-cert <fichier>, --oauth-key <fichier> ; une
    clé ne doit pas être lisible par tous (chmod 600).
  --smtp remove <nom>         --smtp default <nom> (la met en premier)
  --smtp test <nom> [--from <adresse>] [--to <adresse>]   message de test (0 ou 5)
  --get [<clé>...]            valeurs en usage ; --set <clé>=<valeur>... les change
  --outbox list|run|flush     la file d'attente : la lister, envoyer ce qui est dû
                              (run), tout envoyer maintenant (flush)
  --outbox remove|retry <id>  retirer un message ; remettre en file un non remis
  --password-stdin lit le mot de passe sur l'entrée standard ; --password-command
  enregistre une commande (/bin/sh -c, sans terminal) lancée à chaque envoi, dont
  la première ligne écrite est le mot de passe. Une valeur refusée n'écrit rien.

Agent de transport du système (corvelle --sendmail, ou lancé sous le nom sendmail) :
  corvelle --sendmail [options] [destinataire...] < message
  Le message complet, lu sur l'entrée standard, est relayé tel quel par la
  configuration SMTP par défaut ; seuls Date, Message-ID et From sont ajoutés
  s'ils manquent, et Bcc est retiré. Un utilisateur sans réglages envoie par
  ceux de la machine (/etc/corvelle/Corvelle.ini), jamais réécrits.
  Chaque message est d'abord gardé dans la file d'attente
  (~/.local/state/corvelle/outbox, outbox à côté d'une copie portable,
  /var/spool/corvelle avec les réglages de la machine), puis envoyé aussitôt. Un échec temporaire y reste, réessayé par
  corvelle --outbox run pendant DureeAttente heures (120 par défaut) ; un refus,
  ou la fin de ce délai, la quitte pour son dossier failed/.
    -t              destinataires lus aussi dans To, Cc et Bcc
    -i, -oi         une ligne « . » seule ne termine pas le message
    -f, -r <adresse>   expéditeur de l'enveloppe (<> : vide)
    -F <nom>        nom affiché du From ajouté
    -C, --conf <nom>   une autre configuration SMTP
    -N never|success,failure,delay   -R hdrs|full   -V <id>   avis de remise (DSN)
    -v              dialogue SMTP sur la sortie d'erreur
    -bp (ou mailq)  la file d'attente ; -bm, -oem, -odi, -odb, -B... acceptées
  Codes : 0 envoyé ou gardé dans la file d'attente, 64 usage, 65 message
  invalide, 67 aucun destinataire, 78 erreur de configuration ; sans file
  d'attente utilisable, 69 refusé par le serveur, 75 échec temporaire.

Codes de sortie :
  0  message envoyé (avec /apercu : chaque envoi a pu être construit ; avec
     /attente : ou gardé dans la file d'attente)
  1  erreur dans la ligne de commande
  2  erreur de groupe de l'annuaire
  3  erreur de fichier de destinataires, ou aucun destinataire
  4  pièce jointe introuvable
  5  échec de l'envoi, ou envoi arrêté par Ctrl-C (avec --sysexits, 75
     quand rien n'a été refusé pour de bon ni reçu par personne)
  6  échec du démarrage (configuration illisible ou invalide)

Exemples :
  corvelle /a:jean.dupont /o:"Sauvegarde terminée" /ct:"Tout s'est bien passé." /l
  corvelle /a:fic:/etc/corvelle/equipe.txt /cc:grp:Direction /o:Rapport /ctf:rapport.txt /pj:rapport.pdf /r
  corvelle /conf:Secours /a:"Support <support@example.com>" /o:Alerte /ch:"<b>Disque plein</b>" /l:/var/log/corvelle/alertes.log
  printf '%s\n' "$MDP" | corvelle --smtp add Relais --server smtp.example.com --ssl --auth login --user robot --password-stdin
  df -h | corvelle /a:exploitation /o:"Espace disque" /ctf:- /apercu
)"},
    {"TXT_CONSOLE_ERREUR", "Erreur :"},
    {"TXT_CONSOLE_ATTENTION", "Attention :"},
    {"TXT_CONSOLE_QUESTION", "Question :"},
    {"TXT_CONSOLE_INFORMATION", "Information :"},
    {"MSG_AUCUN_AFFICHAGE",
     "Aucun affichage graphique pour la fenêtre de composition. Lancez le programme avec des "
     "paramètres pour un envoi en ligne de commande (voir --help)."},
    {"MSG_AFFICHAGE_INUTILISABLE",
     "L'affichage graphique '%v' ne répond pas ou ne peut pas montrer de fenêtres. Lancez le "
     "programme avec des paramètres pour un envoi en ligne de commande (voir --help)."},
    {"MSG_ERREUR_CMD_CORPS_FIC_VIDE",
     "Le fichier contenant le corps du message ('%v') est vide..."},
    {"MSG_ERREUR_CMD_APERCU_DOSSIER", "Le dossier de l'aperçu ('%v') est introuvable..."},
    {"MSG_SUCCES_APERCU",
     "Aperçu du message '%v' : %v destinataire(s) en %v envoi(s), rien n'a été envoyé."},
    {"MSG_ERREUR_JOURNAL_DOSSIER",
     "Le dossier du journal ('%v') ne peut pas être créé : %v. Ce qu'il devait consigner :§%v"},
    {"MSG_ERREUR_JOURNAL",
     "Le journal ('%v') ne peut pas être écrit : %v. Ce qu'il devait consigner :§%v"},
    {"MSG_GESTION_USAGE_SMTP",
     "Utilisation : corvelle --smtp list | add NOM --server HÔTE [options] | set NOM [options] | "
     "remove NOM | default NOM | test NOM [--from ADRESSE] [--to ADRESSE] (voir corvelle --help)."},
    {"MSG_GESTION_OPTION_INCONNUE", "Option inconnue : %v. %v"},
    {"MSG_GESTION_OPTION_VALEUR", "L'option %v attend une valeur."},
    {"MSG_GESTION_OPTION_DOUBLE", "L'option %v est donnée deux fois."},
    {"MSG_GESTION_AUTH", "Authentification inconnue : %v (none, pop, login, plain ou oauth2)."},
    {"MSG_GESTION_URL_JETON", "%v : l'adresse doit commencer par https:// : %v"},
    {"MSG_GESTION_TENANT",
     "%v : un tenant est un nom ou un identifiant, sans « / » ni « : » ni espace : %v"},
    {"MSG_GESTION_NOM_INCONNU",
     "Aucune configuration SMTP ne s'appelle « %v ». Configurations : %v (corvelle --smtp list)."},
    {"MSG_GESTION_CONTROLE",
     "La valeur de %v contient un saut de ligne ou un autre caractère de contrôle : elle est "
     "refusée."},
    {"MSG_VALEUR_TROP_LONGUE",
     "La valeur de %v compte %v caractères : un réglage en garde au plus %v. Rien n'a été "
     "enregistré."},
    {"MSG_GESTION_NOM_DOUBLE",
     "Une configuration SMTP s'appelle déjà « %v » : choisissez un autre nom, ou modifiez-la avec "
     "corvelle --smtp set %v."},
    {"MSG_ERREUR_CONF_SMTP_LONGUEUR",
     "La liste des configurations SMTP est trop longue pour être enregistrée (%v caractères, au "
     "plus %v)..."},
    {"MSG_GESTION_OPTION_REQUISE", "L'option %v est requise."},
    {"MSG_GESTION_SMTP_AJOUTEE", "Configuration SMTP « %v » ajoutée."},
    {"MSG_GESTION_SMTP_SUPPRIMEE", "Configuration SMTP « %v » supprimée."},
    {"MSG_GESTION_SMTP_PAR_DEFAUT", "« %v » est maintenant la configuration SMTP par défaut."},
    {"MSG_GESTION_SMTP_MODIFIEE", "Configuration SMTP « %v » modifiée."},
    {"MSG_GESTION_MOT_DE_PASSE_VIDE",
     "Aucun mot de passe lu sur l'entrée standard : --password-stdin en attend un sur sa première "
     "ligne."},
    {"MSG_GESTION_NOM_REQUIS", "--smtp %v attend le nom d'une configuration. %v"},
    {"MSG_GESTION_OPTIONS_EXCLUSIVES", "Les options %v et %v s'excluent : n'en donnez qu'une."},
    {"MSG_GESTION_ENTIER", "%v : la valeur doit être un nombre entier de %v à %v."},
    {"MSG_GESTION_BOOLEEN", "%v : la valeur doit être -1 (oui) ou 0 (non)."},
    {"MSG_GESTION_LANGUE", "Langue inconnue : %v. Langues : %v."},
    {"MSG_GESTION_MOT_DE_PASSE_LIGNE",
     "%v ne se donne pas sur la ligne de commande, où d'autres le verraient : écrivez --set %v=- "
     "et donnez-le sur l'entrée standard."},
    {"MSG_GESTION_CLE_SMTP",
     "Les configurations SMTP se changent avec corvelle --smtp (voir corvelle --help)."},
    {"MSG_GESTION_CLE_INCONNUE", "Paramètre inconnu : %v. Paramètres : %v."},
    {"MSG_GESTION_MOT_DE_PASSE_CACHE", "Un mot de passe n'est jamais affiché."},
    {"MSG_GESTION_SET_FORME", "--set attend CLÉ=VALEUR : %v"},
    {"TXT_GESTION_MOT_DE_PASSE", "Mot de passe : "},
    {"TXT_COMMANDE_NON_LANCEE", "elle n'a pas pu être lancée"},
    {"TXT_COMMANDE_DELAI", "elle n'a pas fini en %v secondes"},
    {"TXT_COMMANDE_CODE", "elle s'est terminée avec le code %v"},
    {"MSG_ERREUR_COMMANDE_MOT_DE_PASSE", "La commande du mot de passe SMTP « %v » a échoué : %v."},
    {"TXT_COMMANDE_VIDE", "elle n'a écrit aucun mot de passe"},
    {"MSG_ERREUR_COMMANDE_JETON", "La commande du jeton OAuth2 « %v » a échoué : %v."},
    {"TXT_COMMANDE_VIDE_JETON", "elle n'a écrit aucun jeton"},
    {"MSG_CLE_PRIVEE_LISIBLE",
     "Le fichier de clé privée « %v » est lisible par tous les utilisateurs : rendez-le privé "
     "(chmod 600 %v)."},
    {"TXT_OUI", "Oui"},
    {"TXT_NON", "Non"},
    // A message on the console after the program's name, or a value's
    // refusal after its name: French puts a space before the colon.
    {"TXT_LIBELLE_TEXTE", "%v : %v"},
    {"MSG_RAPPORT_NON_ENVOYE", "le compte rendu n'a pas pu être envoyé par courrier : %v"},
    {"MSG_ERREUR_CONFIG_DOSSIER",
     "Le dossier du fichier de réglages %v est introuvable : vérifiez le chemin donné par "
     "--config ou CORVELLE_CONFIG."},
    {"MSG_ERREUR_CONFIG_EST_DOSSIER",
     "%v est un dossier : --config et CORVELLE_CONFIG nomment un fichier de réglages."},
    {"MSG_ERREUR_CONFIG_SPECIAL",
     "%v n'est pas un fichier ordinaire (un périphérique ou un tube) : --config et "
     "CORVELLE_CONFIG nomment un fichier de réglages. Il est laissé tel quel."},
    {"MSG_ERREUR_CONF_SMTP_ILLISIBLE",
     "La configuration SMTP « %v » (n° %v dans %v) ne peut pas être lue : « %v » n'est pas une "
     "valeur valide pour %v. Corrigez-la avec :§  corvelle%v --smtp set %v %v"},
    {"TXT_CORRIGE_SERVEUR", "--server HÔTE"},
    {"TXT_CORRIGE_SSL", "--ssl (ou --no-ssl)"},
    {"TXT_CORRIGE_PORT", "--port NUMÉRO"},
    {"TXT_CORRIGE_AUTH", "--auth MODE (none, pop, login, plain ou oauth2)"},
    {"MSG_VERSION_BETA", "ATTENTION, version bêta !"},
    {"MSG_ERREUR_AUCUN_SERVEUR",
     "Aucun serveur SMTP n'est configuré (seul l'exemple %v existe). Ajoutez le vôtre avec :§  "
     "corvelle --smtp add NOM --server HÔTE [--port N] [--ssl] [--auth login --user "
     "UTILISATEUR --password-stdin]§ou dans la fenêtre de configuration (corvelle sans "
     "paramètre, touche F9)."},
    {"MSG_ERREUR_CMD_ENTETE_FORME",
     "Le paramètre /ent: attend un en-tête de la forme « Nom: valeur » : '%v'..."},
    {"MSG_ERREUR_CMD_ENTETE_NOM",
     "Le paramètre /ent: nomme l'en-tête '%v', qui n'est pas un nom d'en-tête : lettres, "
     "chiffres et signes ASCII, sans espace ni deux-points..."},
    {"MSG_ERREUR_CMD_ENTETE_SAUT",
     "La valeur de l'en-tête '%v' (/ent:) contient un saut de ligne ou un autre caractère de "
     "contrôle : elle est refusée..."},
    {"MSG_ERREUR_CMD_ENTETE_RESERVE",
     "L'en-tête '%v' est écrit par Corvelle d'après ses propres paramètres (/de:, /a:, /cc:, /o:, "
     "/rep:, /ar...) : il ne se donne pas avec /ent:..."},
    {"MSG_ERREUR_NOM_EHLO",
     "Le nom EHLO « %v » n'est pas un nom de domaine : lettres, chiffres, points et tirets "
     "seulement (ou une adresse entre crochets)."},
    {"MSG_ERREUR_EXPEDITEUR_ENVELOPPE",
     "L'expéditeur de l'enveloppe « %v » n'est pas une adresse seule (nom@domaine, sans nom "
     "affiché)."},
    {"MSG_ERREUR_EMPREINTE",
     "L'empreinte « %v » n'est pas SHA256: suivi de 64 chiffres hexadécimaux (les deux-points "
     "entre eux sont permis)."},
    {"MSG_ERREUR_FICHIER_AVANCE", "Le fichier « %v » ne peut pas être lu : %v."},
    // The system's mailer (--sendmail).
    {"MSG_SENDMAIL_OPTION",
     "Option inconnue : %v. Les options acceptées sont décrites par corvelle --help."},
    {"MSG_SENDMAIL_VALEUR_MANQUANTE", "L'option %v attend une valeur."},
    {"MSG_SENDMAIL_VALEUR_INVALIDE",
     "Valeur non valide : %v (-N never, ou success, failure et delay séparés par des virgules ; -R "
     "hdrs ou full ; -V un identifiant ASCII sans espace)."},
    {"MSG_SENDMAIL_MODE",
     "Mode non pris en charge : %v (seuls -bm, l'envoi, et -bp, la file d'attente, le sont)."},
    {"MSG_SENDMAIL_VIDE", "Le message lu sur l'entrée standard est vide : rien n'a été envoyé."},
    {"MSG_SENDMAIL_OCTET_NUL",
     "Le message lu sur l'entrée standard contient un octet nul, qu'aucun serveur SMTP n'accepte : "
     "rien n'a été envoyé."},
    {"MSG_SENDMAIL_ADRESSE", "Une adresse ne se lit pas (%v) : rien n'a été envoyé."},
    {"MSG_SENDMAIL_SANS_DESTINATAIRE",
     "Aucun destinataire : donnez-les sur la ligne de commande, ou avec -t dans les en-têtes To, "
     "Cc ou Bcc. Rien n'a été envoyé."},
    {"MSG_SENDMAIL_SANS_EXPEDITEUR",
     "Aucune adresse d'expéditeur pour l'enveloppe : donnez -f ADRESSE, ou un expéditeur par "
     "défaut (corvelle --set ExpéditeurParDéfaut=ADRESSE). Rien n'a été envoyé."},
    {"MSG_SENDMAIL_CONFIG_INCONNUE",
     "La configuration SMTP « %v » n'existe pas ; configurations : %v."},
    {"MSG_SENDMAIL_ECHEC", "Message non envoyé : %v"},
    {"TXT_SENDMAIL_FILE_VIDE", "La file d'attente est vide."},
    {"MSG_OUTBOX_ECRITURE",
     "Le message ne peut pas être gardé dans la file d'attente (%v) : il est envoyé directement."},
    {"MSG_OUTBOX_NON_REMIS", "Message %v non remis, gardé dans %v : %v"},
    {"MSG_OUTBOX_ABIME",
     "%v n'est pas un message lisible de la file d'attente : mis de côté dans %v. %v"},
    {"TXT_OUTBOX_PROPRIETAIRE",
     "Le fichier appartient à l'utilisateur n° %v, qui ne l'a pas écrit."},
    {"MSG_OUTBOX_USAGE",
     "Commande de file d'attente inconnue : « %v » (list, run, flush, remove ID, retry ID)."},
    {"MSG_OUTBOX_INCONNU",
     "Aucun message %v libre dans la file d'attente (absent, ou en cours d'envoi)."},
    {"MSG_OUTBOX_ERREUR", "File d'attente : %v"},
    {"TXT_OUTBOX_ENTETE", "Identifiant  Âge (h:mm)  Essais  Destinataires"},
    {"TXT_OUTBOX_ECHOUES", "Non remis, gardés dans %v :"},
    {"TXT_OUTBOX_BILAN", "File d'attente : %v remis, %v en attente, %v non remis."},
    {"TXT_OUTBOX_AVIS_NON_ENVOYE", "Avis de non-remise à l'expéditeur non envoyé : %v"},
    {"TXT_AVIS_AUTEUR", "Système de distribution du courrier"},
    {"TXT_AVIS_OBJET", "Message non remis"},
    {"TXT_AVIS_REFUS",
     "Votre message n'a pas pu être remis à : %v.§§Raison : %v§§Ses en-têtes d'origine sont "
     "joints à cet avis."},
    {"TXT_AVIS_EXPIRE",
     "Votre message n'a pas pu être remis à : %v, dans le délai d'attente de %v heures.§§"
     "Dernier échec : %v§§Ses en-têtes d'origine sont joints à cet avis."},
}};

}  // namespace corvelle
