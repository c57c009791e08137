#include "sending/smtp/Adresses.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "core/Adresse.h"
#include "sending/smtp/EchecEnvoi.h"
#include "sending/smtp/PartiesMime.h"

namespace corvelle::smtp {

namespace {

bool EstAscii(std::string_view texte) {
    return std::all_of(texte.begin(), texte.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Adds an entry without its surrounding blanks, when anything is left.
void AjouteEntree(std::vector<std::string>& entrees, std::string_view entree) {
    const auto blanc = [](char c) { return c == ' ' || c == '\t'; };
    const auto debut = std::find_if_not(entree.begin(), entree.end(), blanc);
    const auto fin = std::find_if_not(entree.rbegin(), entree.rend(), blanc).base();
    if (debut < fin) {
        entrees.emplace_back(debut, fin);
    }
}

// A path holds at most 256 octets with its angle brackets (RFC 5321
// 4.5.3.1.3); a longer address would also make a header line no fold can cut
// below 998 octets.
constexpr std::size_t kLongueurMaxBoite = 254;

// An address the envelope can carry: a local part, "@", a domain, and nothing
// that could end or bend an SMTP command line (controls, angle brackets).
bool EstBoiteValide(std::string_view adresse) {
    const std::size_t arobase = adresse.rfind('@');
    if (arobase == std::string_view::npos || arobase == 0 || arobase + 1 == adresse.size() ||
        adresse.size() > kLongueurMaxBoite) {
        return false;
    }
    return std::none_of(adresse.begin(), adresse.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F || c == '<' || c == '>' || c == ' ';
    });
}

// Checks the mailboxes of a parsed entry (a group's members included), records
// their addresses and the charset of their display names; false when one is
// not a valid mailbox.
bool RetientBoites(InternetAddressList* liste, const JeuCaracteres& jeu,
                   std::vector<std::string>& boites) {
    const int nombre = internet_address_list_length(liste);
    for (int i = 0; i < nombre; ++i) {
        InternetAddress* adresse = internet_address_list_get_address(liste, i);
        if (const char* nom = internet_address_get_name(adresse); nom && *nom) {
            internet_address_set_charset(adresse, jeu.NomPour(nom).c_str());
        }
        if (INTERNET_ADDRESS_IS_GROUP(adresse)) {
            InternetAddressList* membres =
                internet_address_group_get_members(INTERNET_ADDRESS_GROUP(adresse));
            if (!RetientBoites(membres, jeu, boites)) {
                return false;
            }
            continue;
        }
        // The IDN form keeps the domain in ASCII, as every server reads it. An
        // ASCII address is its own IDN form; GMime would still run each one
        // through the IDN conversion when it writes the header, which costs
        // more than the rest of a batch's message. The mailbox keeps that form
        // in its public idn_addr field, so it is given it here.
        InternetAddressMailbox* boiteGMime = INTERNET_ADDRESS_MAILBOX(adresse);
        const char* brute = internet_address_mailbox_get_addr(boiteGMime);
        if (brute && EstAscii(brute) && boiteGMime->idn_addr == nullptr) {
            boiteGMime->idn_addr = g_strdup(brute);
        }
        const char* boite = internet_address_mailbox_get_idn_addr(boiteGMime);
        if (!boite || !EstBoiteValide(boite)) {
            return false;
        }
        boites.emplace_back(boite);
    }
    return true;
}

// Dot-atom characters and "@": all a bare address is made of.
constexpr std::array<bool, 256> kCaracteresSimples = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("0123456789abcdefghijklmnopqrstuvwxyz"
                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZ!#$%&'*+-/=?^_`{|}~.@")) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

// A bare ASCII address made only of dot-atom characters: what a long
// dispatch's batches hold. It needs no parsing and is its own IDN form.
bool EstAdresseSimple(std::string_view entree) {
    const std::size_t arobase = entree.find('@');
    return arobase != std::string_view::npos && arobase == entree.rfind('@') && arobase > 0 &&
           arobase + 1 < entree.size() && entree.size() <= kLongueurMaxBoite &&
           std::all_of(entree.begin(), entree.end(),
                       [](char c) { return kCaracteresSimples[static_cast<unsigned char>(c)]; });
}

// The "@" outside quotes and comments: one per mailbox the entry names.
std::size_t CompteArobases(std::string_view entree) {
    std::size_t arobases = 0;
    LecteurStructure lecteur;
    for (std::size_t i = 0; i < entree.size(); ++i) {
        if (lecteur.Libre(entree, i) && entree[i] == '@') {
            ++arobases;
        }
    }
    return arobases;
}

// The entries of `texte` when every one is a bare address; nothing when one
// is not (or the list is malformed), which leaves the list to GMime.
bool OuvreUneStructure(char c) {
    return c == '"' || c == '(' || c == ')' || c == '[' || c == ']' || c == ':' || c == '\\';
}

bool Separe(char c) {
    return c == ',' || c == ';';
}

std::optional<std::vector<std::string>> AdressesSimples(std::string_view texte) {
    // Without quotes, comments, literals or groups, commas and semicolons are
    // all there is to cut at: the common case, done without the full reading.
    std::optional<std::vector<std::string>> entrees;
    if (std::none_of(texte.begin(), texte.end(), OuvreUneStructure)) {
        entrees.emplace();
        for (auto debut = texte.begin(); debut != texte.end();) {
            const auto fin = std::find_if(debut, texte.end(), Separe);
            AjouteEntree(*entrees, std::string_view(debut, fin));
            debut = fin == texte.end() ? fin : fin + 1;
        }
    } else {
        entrees = DecoupeAdresses(texte);
    }
    if (entrees && !std::all_of(entrees->begin(), entrees->end(), EstAdresseSimple)) {
        entrees.reset();
    }
    return entrees;
}

// GMime's width for address headers: an address that would end past it starts
// a new line (even the first one), the separator's space giving way.
constexpr std::size_t kLargeurPliage = 78;

// `boite` gives each one's text: the entry itself, or a batch's mailbox.
template <typename Conteneur, typename Boite>
void PlieAdressesSimples(std::string& entetes, std::string_view nom, const Conteneur& adresses,
                         Boite boite) {
    entetes.append(nom).append(": ");
    std::size_t ligne = nom.size() + 2;
    for (std::size_t i = 0; i < adresses.size(); ++i) {
        const std::string& texte = boite(adresses[i]);
        if (ligne + texte.size() > kLargeurPliage) {
            entetes.pop_back();
            entetes += "\r\n\t";
            ligne = 1;
        }
        entetes += texte;
        ligne += texte.size();
        if (i + 1 < adresses.size()) {
            entetes += ", ";
            ligne += 2;
        }
    }
    entetes += "\r\n";
}

// A batch's address for a header, or null when its mailbox is not a valid
// one: checked as a read entry is (one "@" outside quotes, nothing that could
// bend an SMTP command), in its IDN form too, which goes to `boites`.
ObjetG<InternetAddress> BoiteDuLot(const Adresse& adresse, const JeuCaracteres& jeu,
                                   std::vector<std::string>& boites) {
    if (!EstBoiteValide(adresse.boite) || CompteArobases(adresse.boite) != 1) {
        return nullptr;
    }
    // A line break in a name would start a new header.
    const std::string nom = SansSautDeLigne(adresse.nom);
    ObjetG<InternetAddress> boite(
        internet_address_mailbox_new(nom.empty() ? nullptr : nom.c_str(), adresse.boite.c_str()));
    if (!nom.empty()) {
        internet_address_set_charset(boite.get(), jeu.NomPour(nom).c_str());
    }
    // An ASCII address is its own IDN form (see RetientBoites).
    InternetAddressMailbox* boiteGMime = INTERNET_ADDRESS_MAILBOX(boite.get());
    if (EstAscii(adresse.boite) && boiteGMime->idn_addr == nullptr) {
        boiteGMime->idn_addr = g_strdup(adresse.boite.c_str());
    }
    const char* idn = internet_address_mailbox_get_idn_addr(boiteGMime);
    if (!idn || !EstBoiteValide(idn)) {
        return nullptr;
    }
    boites.emplace_back(idn);
    return boite;
}

[[noreturn]] void RefuseAdresse(const Adresse& adresse, std::string_view nomListe) {
    throw EchecEnvoi(GenreEchec::Permanent, "Invalid address in the " + std::string(nomListe) +
                                                " list: \"" + TexteAdresse(adresse) + "\"");
}

bool EstSimple(const Adresse& adresse) {
    return adresse.nom.empty() && EstAdresseSimple(adresse.boite);
}

// What GMime's message puts in an address header when its list changes, then
// writes with CR LF ends.
void EncodeListe(std::string& entetes, std::string_view nom, InternetAddressList* liste) {
    const std::string debut = std::string(nom) + ": ";
    GString* texte = g_string_new(debut.c_str());
    internet_address_list_encode(liste, nullptr, texte);
    for (const char c : std::string_view(texte->str, texte->len)) {
        if (c == '\n') {
            entetes += '\r';
        }
        entetes += c;
    }
    g_string_free(texte, TRUE);
}

}  // namespace

std::optional<std::vector<std::string>> DecoupeAdresses(std::string_view liste) {
    std::vector<std::string> entrees;
    std::string entree;
    LecteurStructure lecteur;
    bool litteral = false;  // [domain literal], where ':' is no group
    bool groupe = false;    // "name: a@b, c@d;" keeps its commas
    for (std::size_t i = 0; i < liste.size(); ++i) {
        const std::size_t debut = i;
        if (lecteur.Libre(liste, i)) {
            const char c = liste[i];
            if (c == '[' || c == ']') {
                litteral = c == '[';
            } else if (c == ':' && !litteral) {
                groupe = true;
            } else if (c == ';' && !litteral && groupe) {
                groupe = false;
            } else if ((c == ',' || c == ';') && !litteral && !groupe) {
                // A semicolon outside a group separates addresses, as many
                // people type them; GMime would drop everything after it.
                AjouteEntree(entrees, entree);
                entree.clear();
                continue;
            }
        }
        entree.append(liste.substr(debut, i + 1 - debut));
    }
    if (lecteur.Ouvert() || litteral || groupe) {
        return std::nullopt;
    }
    AjouteEntree(entrees, entree);
    return entrees;
}

Adresses LitAdresses(std::string_view texte, const JeuCaracteres& jeu, std::string_view nomListe) {
    InitialiseGMime();
    Adresses resultat{ObjetG<InternetAddressList>(internet_address_list_new()), {}};
    const std::optional<std::vector<std::string>> entrees = DecoupeAdresses(texte);
    if (!entrees) {
        throw EchecEnvoi(GenreEchec::Permanent,
                         "Unclosed quote, comment, bracket or group in the " +
                             std::string(nomListe) + " list: \"" + std::string(texte) + "\"");
    }
    for (const std::string& entree : *entrees) {
        if (EstAdresseSimple(entree)) {
            InternetAddress* boite = internet_address_mailbox_new(nullptr, entree.c_str());
            INTERNET_ADDRESS_MAILBOX(boite)->idn_addr = g_strdup(entree.c_str());
            internet_address_list_add(resultat.liste.get(), boite);
            g_object_unref(boite);
            resultat.boites.push_back(entree);
            continue;
        }
        const std::size_t avant = resultat.boites.size();
        const ObjetG<InternetAddressList> lue(internet_address_list_parse(nullptr, entree.c_str()));
        // GMime skips what it cannot read: an entry that names more mailboxes
        // than it gave has lost one.
        if (!lue || internet_address_list_length(lue.get()) == 0 ||
            !RetientBoites(lue.get(), jeu, resultat.boites) ||
            resultat.boites.size() - avant != CompteArobases(entree)) {
            throw EchecEnvoi(
                GenreEchec::Permanent,
                "Invalid address in the " + std::string(nomListe) + " list: \"" + entree + "\"");
        }
        internet_address_list_append(resultat.liste.get(), lue.get());
    }
    return resultat;
}

void AjouteEnteteAdresses(std::string& entetes, std::string_view nom, std::string_view texte,
                          const JeuCaracteres& jeu, std::vector<std::string>& boites) {
    if (std::optional<std::vector<std::string>> simples = AdressesSimples(texte)) {
        if (!simples->empty()) {
            PlieAdressesSimples(
                entetes, nom, *simples,
                [](const std::string& entree) -> const std::string& { return entree; });
            boites.insert(boites.end(), std::make_move_iterator(simples->begin()),
                          std::make_move_iterator(simples->end()));
        }
        return;
    }
    Adresses adresses = LitAdresses(texte, jeu, nom);
    if (internet_address_list_length(adresses.liste.get()) > 0) {
        EncodeListe(entetes, nom, adresses.liste.get());
    }
    boites.insert(boites.end(), adresses.boites.begin(), adresses.boites.end());
}

void AjouteBoites(std::string_view texte, const JeuCaracteres& jeu, std::string_view nomListe,
                  std::vector<std::string>& boites) {
    std::optional<std::vector<std::string>> simples = AdressesSimples(texte);
    std::vector<std::string> lues =
        simples ? std::move(*simples) : LitAdresses(texte, jeu, nomListe).boites;
    boites.insert(boites.end(), std::make_move_iterator(lues.begin()),
                  std::make_move_iterator(lues.end()));
}

Adresses LitAdresses(const ListeAdresses& adresses, const JeuCaracteres& jeu,
                     std::string_view nomListe) {
    InitialiseGMime();
    Adresses resultat{ObjetG<InternetAddressList>(internet_address_list_new()), {}};
    for (const Adresse& adresse : adresses) {
        const ObjetG<InternetAddress> boite = BoiteDuLot(adresse, jeu, resultat.boites);
        if (!boite) {
            RefuseAdresse(adresse, nomListe);
        }
        internet_address_list_add(resultat.liste.get(), boite.get());
    }
    return resultat;
}

void AjouteEnteteAdresses(std::string& entetes, std::string_view nom, const ListeAdresses& adresses,
                          const JeuCaracteres& jeu, std::vector<std::string>& boites) {
    if (adresses.empty()) {
        return;
    }
    if (std::all_of(adresses.begin(), adresses.end(), EstSimple)) {
        PlieAdressesSimples(
            entetes, nom, adresses,
            [](const Adresse& adresse) -> const std::string& { return adresse.boite; });
        for (const Adresse& adresse : adresses) {
            boites.push_back(adresse.boite);
        }
        return;
    }
    Adresses lues = LitAdresses(adresses, jeu, nom);
    EncodeListe(entetes, nom, lues.liste.get());
    boites.insert(boites.end(), std::make_move_iterator(lues.boites.begin()),
                  std::make_move_iterator(lues.boites.end()));
}

void AjouteBoites(const ListeAdresses& adresses, const JeuCaracteres& jeu,
                  std::string_view nomListe, std::vector<std::string>& boites) {
    const std::size_t avant = boites.size();
    for (const Adresse& adresse : adresses) {
        if (EstSimple(adresse)) {
            boites.push_back(adresse.boite);
        } else if (!BoiteDuLot(adresse, jeu, boites)) {
            boites.resize(avant);  // all of the list or nothing, as for a text
            RefuseAdresse(adresse, nomListe);
        }
    }
}

}  // namespace corvelle::smtp
