#include "ui/main/DialogueQt.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/commun/Icone.h"
#include "ui/commun/TraductionFenetre.h"

namespace corvelle::ui {

namespace {

QString VersQString(const std::string& texte) {
    return QString::fromUtf8(texte.data(), static_cast<qsizetype>(texte.size()));
}

QMessageBox::Icon IconeQt(Icone icone) {
    switch (icone) {
        case Icone::Information:
            return QMessageBox::Information;
        case Icone::Exclamation:
            return QMessageBox::Warning;
        case Icone::Question:
            return QMessageBox::Question;
        case Icone::Critique:
            return QMessageBox::Critical;
        case Icone::Aucune:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton BoutonQt(Reponse reponse) {
    switch (reponse) {
        case Reponse::Annuler:
            return QMessageBox::Cancel;
        case Reponse::Oui:
            return QMessageBox::Yes;
        case Reponse::Non:
            return QMessageBox::No;
        case Reponse::Ok:
            break;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButtons BoutonsQt(Boutons boutons) {
    switch (boutons) {
        case Boutons::OkAnnuler:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Boutons::OuiNon:
            return QMessageBox::Yes | QMessageBox::No;
        case Boutons::OuiNonAnnuler:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Boutons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

Reponse ReponseDepuisQt(int bouton, Reponse parDefaut) {
    switch (bouton) {
        case QMessageBox::Ok:
            return Reponse::Ok;
        case QMessageBox::Cancel:
            return Reponse::Annuler;
        case QMessageBox::Yes:
            return Reponse::Oui;
        case QMessageBox::No:
            return Reponse::Non;
        default:
            return parDefaut;  // closed without a button
    }
}

}  // namespace

DialogueQt::DialogueQt(int& argc, char** argv, const Langue* langue)
    : argc_(argc), argv_(argv), langue_(langue) {}

DialogueQt::~DialogueQt() = default;

QApplication& DialogueQt::Application() {
    // One application a process: a host that made its own keeps it.
    if (auto* existante = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existante;
    }
    if (!application_) {
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setWindowIcon(IconeProgramme());
    }
    return *application_;
}

Reponse DialogueQt::Affiche(const Boite& boite) {
    Application();
    return AfficheSur(boite, QApplication::activeWindow());
}

Reponse DialogueQt::AfficheSur(const Boite& boite, QWidget* proprietaire) {
    Application();
    if (langue_) {
        TraduitQt(*langue_);
    }
    QString texte = VersQString(boite.texte);
    texte.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QWidget* fenetre = proprietaire ? proprietaire->window() : nullptr;
    QMessageBox message(IconeQt(boite.icone), VersQString(boite.titre), texte,
                        BoutonsQt(boite.boutons), fenetre);
    message.setDefaultButton(BoutonQt(boite.parDefaut));
    message.setWindowIcon(IconeProgramme());  // a start-up box has no window to take it from
    // Below an always-on-top owner the box would hide while it blocks every window.
    if (fenetre && fenetre->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        message.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    // A box must be readable even while start-up shows the busy pointer.
    const bool attente = attentes_ > 0;
    if (attente) {
        QApplication::restoreOverrideCursor();
    }
    const int bouton = message.exec();
    if (attente) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    return ReponseDepuisQt(bouton, boite.parDefaut);
}

// A run that has shown no window yet has no pointer to change: creating the
// application just for it would load the toolkit into command-line runs.
void DialogueQt::DebutAttente() {
    if (application_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++attentes_;
    }
}

void DialogueQt::FinAttente() {
    if (attentes_ > 0) {
        QApplication::restoreOverrideCursor();
        --attentes_;
    }
}

void DialogueQt::TraiteEvenements() {
    if (application_) {
        QApplication::processEvents();
    }
}

namespace {

Dialogue& Racine(Dialogue& dialogue) {
    auto* fenetre = dynamic_cast<DialogueFenetre*>(&dialogue);
    return fenetre ? fenetre->Base() : dialogue;
}

}  // namespace

DialogueFenetre::DialogueFenetre(Dialogue& dialogue, QWidget& fenetre)
    : base_(Racine(dialogue)), fenetre_(fenetre) {}

Reponse DialogueFenetre::Affiche(const Boite& boite) {
    if (auto* qt = dynamic_cast<DialogueQt*>(&base_)) {
        return qt->AfficheSur(boite, &fenetre_);
    }
    return base_.Affiche(boite);
}

}  // namespace corvelle::ui
