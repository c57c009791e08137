#include "ui/main/FenetreAPropos.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Version.h"
#include "i18n/Langue.h"
#include "ui/commun/Icone.h"
#include "ui/commun/TraductionFenetre.h"

namespace corvelle::ui {

frmAPropos::frmAPropos(const Langue& langue, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAPropos"));
    setWindowTitle(QStringLiteral("A propos de Corvelle"));

    auto* titre = new QLabel(this);
    titre->setObjectName(QStringLiteral("lblTitre"));
    titre->setPixmap(IconeProgramme().pixmap(48, 48));
    auto* version = new QLabel(this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* description = new QLabel(
        QStringLiteral("Envoi de courrier électronique depuis une fenêtre de composition ou "
                       "depuis un script."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);
    auto* syntaxe = new QPlainTextEdit(this);
    syntaxe->setObjectName(QStringLiteral("txtSyntaxe"));
    syntaxe->setReadOnly(true);
    syntaxe->setLineWrapMode(QPlainTextEdit::NoWrap);
    syntaxe->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* boutons = new QDialogButtonBox(this);
    QPushButton* ok = boutons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    connect(boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    TraduitFenetre(*this, langue);
    // Set after the translation: the version is not a caption to translate,
    // and the help is the catalogue's, which --help prints too.
    version->setText(QStringLiteral("<b>%1</b>").arg(VersQt(TitreFenetre())));
    syntaxe->setPlainText(VersQt(langue.Texte("TXT_AIDE")));
    syntaxe->setAccessibleName(VersQt(langue.Texte("TXT_SYNTAXE")));

    auto* entete = new QHBoxLayout;
    entete->addWidget(titre);
    auto* textes = new QVBoxLayout;
    textes->addWidget(version);
    textes->addWidget(description);
    entete->addLayout(textes, 1);
    auto* colonne = new QVBoxLayout(this);
    colonne->addLayout(entete);
    colonne->addWidget(syntaxe, 1);
    colonne->addWidget(boutons);
    // Wide enough for the longest syntax line in the font in use, within the screen.
    const QFontMetrics mesure(syntaxe->font());
    int ligne = 0;
    for (const QString& texte : syntaxe->toPlainText().split(QLatin1Char('\n'))) {
        ligne = std::max(ligne, mesure.horizontalAdvance(texte));
    }
    const int marges = 2 * (syntaxe->frameWidth() + colonne->contentsMargins().left()) +
                       static_cast<int>(2 * syntaxe->document()->documentMargin()) +
                       syntaxe->verticalScrollBar()->sizeHint().width() + 4;
    const QSize ecran = screen()->availableGeometry().size() * 9 / 10;
    const QSize voulue(ligne + marges, mesure.lineSpacing() * 36);
    // A screen too narrow for the longest line (a high scale factor) wraps the lines instead.
    if (voulue.width() > ecran.width()) {
        syntaxe->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    }
    resize(voulue.boundedTo(ecran));
}

}  // namespace corvelle::ui
