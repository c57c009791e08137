#include "ui/commun/Accessibilite.h"

#include <QLabel>
#include <QWidget>

#include "ui/commun/TraductionFenetre.h"

namespace corvelle::ui {

namespace {

// Captions whose control does not share their name.
struct Paire {
    const char* label;
    const char* controle;
};
constexpr Paire kPaires[] = {{"lblNombreDestinatairesMaxi", "txtNombreDestinataires"}};

int Index(const QObject& objet) {
    return EstIndexe(objet) ? objet.property(kProprieteIndex).toInt() : -1;
}

QWidget* Controle(const QWidget& fenetre, const QLabel& label) {
    const QString nom = label.objectName();
    for (const Paire& paire : kPaires) {
        if (nom == QLatin1String(paire.label)) {
            return fenetre.findChild<QWidget*>(QString::fromUtf8(paire.controle));
        }
    }
    const QString suite = nom.mid(3);
    for (const char* prefixe : {"txt", "cbo", "chk", "lst"}) {
        for (QWidget* w : fenetre.findChildren<QWidget*>(QLatin1String(prefixe) + suite)) {
            if (Index(*w) == Index(label)) {
                return w;
            }
        }
    }
    return nullptr;
}

}  // namespace

void LieLegendes(QWidget& fenetre) {
    for (QLabel* label : fenetre.findChildren<QLabel*>()) {
        if (!label->objectName().startsWith(QLatin1String("lbl"))) {
            continue;
        }
        QWidget* controle = Controle(fenetre, *label);
        if (!controle) {
            continue;
        }
        label->setBuddy(controle);
        QString nom = label->text();
        nom.replace(QLatin1String("&&"), QStringLiteral("\x01"));
        nom.remove(QLatin1Char('&'));
        nom.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        controle->setAccessibleName(nom.simplified());
    }
}

}  // namespace corvelle::ui
