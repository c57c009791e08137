// The entry points the program looks up when it loads its window module.

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>
#include <QSet>

#include "app/Fenetres.h"
#include "app/Programme.h"
#include "core/Plateforme.h"
#include "ui/commun/TraductionFenetre.h"
#include "ui/config/FenetreConfiguration.h"
#include "ui/main/DialogueQt.h"
#include "ui/main/FenetreAPropos.h"
#include "ui/main/FenetreComposition.h"

// Looked up by name with dlsym: they must stay visible whatever the default.
#define CORVELLE_EXPORT __attribute__((visibility("default")))

namespace {

// The names of the platform plugins Qt can find, in lower case as it compares
// them; read from each plugin's metadata, without loading it.
QSet<QString> PluginsInstalles() {
    QStringList dossiers = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")
                               .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& chemin : QCoreApplication::libraryPaths()) {
        dossiers << chemin + QStringLiteral("/platforms");
    }
    QSet<QString> noms;
    for (const QString& dossier : dossiers) {
        for (const QFileInfo& fichier : QDir(dossier).entryInfoList(QDir::Files)) {
            if (!QLibrary::isLibrary(fichier.fileName())) {
                continue;
            }
            const QJsonObject donnees = QPluginLoader(fichier.absoluteFilePath()).metaData();
            const QJsonArray cles = donnees.value(QStringLiteral("MetaData"))
                                        .toObject()
                                        .value(QStringLiteral("Keys"))
                                        .toArray();
            for (const QJsonValue& cle : cles) {
                noms.insert(cle.toString().toLower());
            }
        }
    }
    return noms;
}

// Qt ends the process when none of the platforms it tries starts, so its list
// keeps only those that can: an installed plugin, a display that answers.
// False, with the reason, when none is left.
bool ChoisitPlateformes(std::string& raison) {
    const QSet<QString> installes = PluginsInstalles();
    QStringList gardees;
    QStringList ecartees;
    for (const std::string& plateforme : corvelle::plateforme::PlateformesGraphiques()) {
        const QString texte = QString::fromStdString(plateforme);
        const QString nom = texte.section(QLatin1Char(':'), 0, 0).toLower();
        if (!installes.contains(nom)) {
            ecartees << texte + QStringLiteral(": no Qt plugin");
        } else if (!corvelle::plateforme::AffichageRepond(plateforme)) {
            ecartees << texte + QStringLiteral(": its display does not answer");
        } else {
            gardees << texte;
        }
    }
    if (gardees.isEmpty()) {
        raison = ecartees.join(QStringLiteral("; ")).toStdString();
        return false;
    }
    qputenv("QT_QPA_PLATFORM", gardees.join(QLatin1Char(';')).toUtf8());
    return true;
}

}  // namespace

extern "C" {

// Null when no platform can start: the boxes then go to the console.
CORVELLE_EXPORT corvelle::Dialogue* corvelle_ui_dialogue(int* argc, char** argv,
                                                         std::string* raison,
                                                         const corvelle::Langue* langue) {
    if (!ChoisitPlateformes(*raison)) {
        return nullptr;
    }
    return new corvelle::ui::DialogueQt(*argc, argv, langue);
}

CORVELLE_EXPORT int corvelle_ui_fenetre(corvelle::Programme* etat, corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    QApplication& application = qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmCorvelle fenetre(*etat, qt);
    fenetre.Charge();
    fenetre.ShowInitial();
    return application.exec();
}

// At start-up, when the directory could not be reached and the person chose
// to mend its settings: the settings window alone, on its directory tab.
CORVELLE_EXPORT void corvelle_ui_configuration(corvelle::Programme* etat,
                                               corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmConfiguration configuration(*etat, qt, etat->Fenetre.ToujoursAuDessus);
    configuration.exec();
}

// "/?" with a display: the About window alone.
CORVELLE_EXPORT void corvelle_ui_apropos(const corvelle::Programme* etat,
                                         corvelle::Dialogue* dialogue) {
    auto& qt = *static_cast<corvelle::ui::DialogueQt*>(dialogue);
    qt.Application();
    corvelle::ui::TraduitQt(etat->Langage);
    corvelle::ui::frmAPropos fenetre(etat->Langage, nullptr);
    fenetre.exec();
}
}
