#include "ui/main/EnvoiFenetre.h"

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>
#include <limits>
#include <memory>
#include <utility>

#include "app/EnvoiProgramme.h"
#include "app/LigneProgression.h"
#include "app/Programme.h"
#include "core/Dialogue.h"
#include "core/Version.h"
#include "ui/commun/TraductionFenetre.h"

namespace corvelle::ui {

// The port as the worker holds it: boxes go to the interface thread; the busy
// pointer and event passes are the window's own business there.
class EnvoiFenetre::DialogueTravail final : public Dialogue {
  public:
    explicit DialogueTravail(EnvoiFenetre& envoi) : envoi_(envoi) {}
    Reponse Affiche(const Boite& boite) override { return envoi_.AfficheIci(boite); }
    void DebutAttente() override {}
    void FinAttente() override {}
    void TraiteEvenements() override {}

  private:
    EnvoiFenetre& envoi_;
};

EnvoiFenetre::EnvoiFenetre(const Programme& etat, Dialogue& dialogue, Demande demande)
    : dialogue_(dialogue),
      demande_(std::move(demande)),
      copie_(CopiePourAttente(demande_)),
      debut_(std::chrono::steady_clock::now()),
      travail_([this, &etat] { Travaille(etat); }) {}

EnvoiFenetre::~EnvoiFenetre() {
    {
        const std::lock_guard verrou(verrou_);
        arret_ = true;
        abandonne_ = true;
    }
    reponduOuAbandonne_.notify_all();
    if (travail_.joinable()) {
        travail_.join();
    }
}

void EnvoiFenetre::Travaille(const Programme& etat) {
    DialogueTravail dialogue(*this);
    SuiviEnvoi suivi;
    suivi.avance = [this](const Avancement& avancement) {
        const std::lock_guard verrou(verrou_);
        avancement_ = avancement;
    };
    suivi.arrete = [this] { return ArretDemande(); };
    try {
        bilan_ = Expedie(etat, dialogue, demande_, std::move(suivi));
    } catch (const std::exception& e) {
        erreur_ = e.what();
    }
    // Queued to this object: dropped if it is gone by then.
    QMetaObject::invokeMethod(this, &EnvoiFenetre::Fin, Qt::QueuedConnection);
}

void EnvoiFenetre::Fin() {
    travail_.join();
    emit Termine();
}

Reponse EnvoiFenetre::AfficheIci(const Boite& boite) {
    struct Echange {
        Reponse reponse;
        bool fait = false;
    };
    auto echange = std::make_shared<Echange>(Echange{boite.parDefaut});
    std::unique_lock verrou(verrou_);
    if (abandonne_) {
        return boite.parDefaut;
    }
    QMetaObject::invokeMethod(
        this,
        [this, echange, boite] {
            const Reponse reponse = dialogue_.Affiche(boite);
            const std::lock_guard garde(verrou_);
            echange->reponse = reponse;
            echange->fait = true;
            reponduOuAbandonne_.notify_all();
        },
        Qt::QueuedConnection);
    reponduOuAbandonne_.wait(verrou, [&] { return echange->fait || abandonne_; });
    return echange->reponse;
}

void EnvoiFenetre::Arrete() {
    const std::lock_guard verrou(verrou_);
    arret_ = true;
}

bool EnvoiFenetre::ArretDemande() const {
    const std::lock_guard verrou(verrou_);
    return arret_;
}

std::optional<Avancement> EnvoiFenetre::Etat() const {
    const std::lock_guard verrou(verrou_);
    return avancement_;
}

std::chrono::steady_clock::duration EnvoiFenetre::Ecoule() const {
    return std::chrono::steady_clock::now() - debut_;
}

namespace {

using namespace std::chrono_literals;

constexpr auto kAvantDialogue = 500ms;
constexpr auto kEntreDessins = 100ms;

// The bar counts batches; it holds an int.
int Borne(std::size_t n) {
    return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max()));
}

}  // namespace

frmProgression::frmProgression(EnvoiFenetre& envoi, const Langue& langue, QWidget* parent)
    : QDialog(parent), envoi_(envoi), langue_(langue) {
    setObjectName(QStringLiteral("frmProgression"));
    setWindowTitle(TexteCatalogue(langue, "TXT_ENVOI_EN_COURS"));
    setWindowModality(Qt::WindowModal);
    lblProgression_ = new QLabel(TexteCatalogue(langue, "TXT_PREPARATION_ENVOI"), this);
    lblProgression_->setObjectName(QStringLiteral("lblProgression"));
    barProgression_ = new QProgressBar(this);
    barProgression_->setObjectName(QStringLiteral("barProgression"));
    barProgression_->setRange(0, 0);  // moving until batches are counted
    lblArret_ = new QLabel(TexteCatalogue(langue, "TXT_ARRET_DEMANDE"), this);
    lblArret_->setObjectName(QStringLiteral("lblArret"));
    lblArret_->hide();
    btnArreter_ = new QPushButton(TexteCatalogue(langue, "TXT_ARRETER"), this);
    btnArreter_->setObjectName(QStringLiteral("btnArreter"));
    auto* disposition = new QVBoxLayout(this);
    disposition->addWidget(lblProgression_);
    disposition->addWidget(barProgression_);
    disposition->addWidget(lblArret_);
    disposition->addWidget(btnArreter_, 0, Qt::AlignRight);
    // Wide enough for the longest figures, so the dialog does not jump.
    lblProgression_->setMinimumWidth(
        lblProgression_->fontMetrics().horizontalAdvance(QString(60, QLatin1Char('0'))));
    connect(btnArreter_, &QPushButton::clicked, this, &frmProgression::reject);
    auto* minuterie = new QTimer(this);
    connect(minuterie, &QTimer::timeout, this, &frmProgression::Actualise);
    minuterie->start(kEntreDessins);
}

void frmProgression::Actualise() {
    if (const std::optional<Avancement> avancement = envoi_.Etat()) {
        lblProgression_->setText(VersQt(TexteAvancement(langue_, *avancement, envoi_.Ecoule())));
        if (avancement->lots > 0) {
            barProgression_->setRange(0, Borne(avancement->lots));
            barProgression_->setValue(Borne(avancement->lotsEnvoyes));
        }
    }
    if (!isVisible() && envoi_.Ecoule() >= kAvantDialogue) {
        open();
    }
}

void frmProgression::reject() {
    envoi_.Arrete();
    btnArreter_->setEnabled(false);
    lblArret_->show();
}

}  // namespace corvelle::ui
