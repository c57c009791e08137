#include <gtest/gtest.h>

#include <functional>

#include "core/Collection.h"
#include "core/Erreur.h"
#include "core/Listes.h"

namespace corvelle {
namespace {

int NumeroLeve(const std::function<void()>& action) {
    try {
        action();
    } catch (const Erreur& e) {
        return e.Numero();
    }
    return 0;
}

Collection CollectionDe(const Liste& elements) {
    Collection c;
    for (const std::string& e : elements) {
        c.Ajoute(e);
    }
    return c;
}

TEST(Listes, DecoupeListeCoupeAuxVirgulesHorsGuillemets) {
    EXPECT_EQ(DecoupeListe("a@x.fr, , b@y.fr, "), (Liste{"a@x.fr", "b@y.fr"}));
    EXPECT_EQ(DecoupeListe("   "), Liste{});
    EXPECT_EQ(DecoupeListe(R"("Dupont, Jean <jd@x.fr>", b@y.fr)"),
              (Liste{R"("Dupont, Jean <jd@x.fr>")", "b@y.fr"}));
    // A quoted display name keeps its comma and its address.
    EXPECT_EQ(DecoupeListe(R"("Dupont, Jean" <jd@x.fr>, b)"),
              (Liste{R"("Dupont, Jean" <jd@x.fr>)", "b"}));
    // A quote with no comma after it is an ordinary character.
    EXPECT_EQ(DecoupeListe(R"(a, "Jean" <j@x.fr>)"), (Liste{"a", R"("Jean" <j@x.fr>)"}));
    EXPECT_EQ(DecoupeListe(R"(a, b"c", d)"), (Liste{"a", R"(b"c")", "d"}));
    // An unclosed quote must still end the split.
    EXPECT_EQ(DecoupeListe(R"(a, "Dupont, Jean)"), (Liste{"a", R"("Dupont, Jean)"}));
    // Semicolons cut as commas do, outside quotes; a file line is cut at them only.
    EXPECT_EQ(DecoupeListe(R"(a@x; b@x,;"Dupont; Jean" <j@x>)"),
              (Liste{"a@x", "b@x", R"("Dupont; Jean" <j@x>)"}));
    EXPECT_EQ(DecoupeListe("a, b; c", ";"), (Liste{"a, b", "c"}));
}

TEST(Listes, VersCollectionEtJointures) {
    const Collection c = VersCollection({" a ", "", "   ", "b", " a"});
    ASSERT_EQ(c.Nombre(), 3u);
    EXPECT_EQ(JointCollection(c, ", "), "a, b, a");
    EXPECT_TRUE(VersCollection({}).EstVide());
    EXPECT_EQ(JointCollection(CollectionDe({"", "x", ""}), ","), "x,");
}

TEST(Collection, ClesSansCasseEtUniques) {
    Collection c;
    c.Ajoute("premier", "Clé");
    c.Ajoute("sans clé");
    EXPECT_TRUE(c.ContientCle("CLÉ"));
    EXPECT_FALSE(c.ContientCle("cle"));
    EXPECT_FALSE(c.ContientCle("sans clé"));
    EXPECT_EQ(NumeroLeve([&] { c.Ajoute("doublon", "cLÉ"); }), 457);
    EXPECT_EQ(c.Nombre(), 2u);
    // Taking an item out frees its key for a later one.
    (void)c.RetirePremiers(1);
    EXPECT_FALSE(c.ContientCle("clé"));
    EXPECT_NO_THROW(c.Ajoute("retour", "clé"));
}

TEST(Listes, InclusionEtRetraitSansCasse) {
    EXPECT_TRUE(EstInclus({"a", "B"}, {"b", "c", "a"}, Comparaison::Texte));
    EXPECT_FALSE(EstInclus({"a", "B"}, {"b", "c", "a"}, Comparaison::Exacte));
    EXPECT_FALSE(EstInclus({}, {"a"}, Comparaison::Texte));
    EXPECT_FALSE(EstInclus({"a"}, {}, Comparaison::Texte));

    EXPECT_EQ(RetireListe({"a", "B", "c"}, {"b"}), (Liste{"a", "c"}));
    EXPECT_EQ(RetireListe({"Élodie", "x"}, {"élodie"}), (Liste{"x"}));
    EXPECT_EQ(RetireListe({"a"}, {}), Liste{});
    EXPECT_EQ(RetireListe({}, {"a"}), Liste{});
}

TEST(Listes, TrieListeParOctets) {
    Liste l{"b", "é", "B", "a", "", "z", "A", "b", "Z"};
    TrieListe(l);
    // Byte order: upper case before lower case, accented letters after ASCII.
    EXPECT_EQ(l, (Liste{"", "A", "B", "Z", "a", "b", "b", "z", "é"}));
}

}  // namespace
}  // namespace corvelle
