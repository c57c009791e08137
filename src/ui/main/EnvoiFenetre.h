#pragma once

// A send from the compose window, run beside the interface thread so that the
// window keeps painting: the worker runs the same dispatch as a command line;
// the boxes it asks for are shown on the interface thread; Stop asks for what
// Ctrl-C asks (the transaction under way ends, QUIT goes, the rest is
// reported not sent). And the dialog that shows its progress.

#include <QDialog>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/Dialogue.h"
#include "sending/Bilan.h"
#include "sending/Demande.h"
#include "sending/Envoi.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvelle {
struct Langue;
struct Programme;
}  // namespace corvelle

namespace corvelle::ui {

class EnvoiFenetre final : public QObject {
    Q_OBJECT

  public:
    // Starts the send at once. `dialogue` shows the boxes the send asks for,
    // on this (the interface) thread.
    EnvoiFenetre(const Programme& etat, Dialogue& dialogue, Demande demande);
    // Stops the send and waits for it: nothing it uses may go first. The
    // boxes it still asks for get their default answer.
    ~EnvoiFenetre() override;
    EnvoiFenetre(const EnvoiFenetre&) = delete;
    EnvoiFenetre& operator=(const EnvoiFenetre&) = delete;

    // Read between batches, as Ctrl-C's flag is.
    void Arrete();
    [[nodiscard]] bool ArretDemande() const;

    // The progress told last; none before the dispatch counted anything.
    [[nodiscard]] std::optional<Avancement> Etat() const;
    [[nodiscard]] std::chrono::steady_clock::duration Ecoule() const;

    // Once Termine came: the request (for its report), the request as it was
    // before the send took its bodies (to keep it in the outbox), and the
    // outcome or the unexpected error that ended the send.
    [[nodiscard]] const Demande& Requete() const { return demande_; }
    [[nodiscard]] std::optional<Demande>& Copie() { return copie_; }
    [[nodiscard]] Bilan& Issue() { return bilan_; }
    [[nodiscard]] const std::optional<std::string>& Erreur() const { return erreur_; }

  signals:
    void Termine();

  private:
    class DialogueTravail;

    void Travaille(const Programme& etat);
    // A box asked for by the worker, shown here; the worker waits for it.
    Reponse AfficheIci(const Boite& boite);
    void Fin();

    Dialogue& dialogue_;
    Demande demande_;
    std::optional<Demande> copie_;
    Bilan bilan_;
    std::optional<std::string> erreur_;
    const std::chrono::steady_clock::time_point debut_;

    mutable std::mutex verrou_;
    std::condition_variable reponduOuAbandonne_;
    std::optional<Avancement> avancement_;
    bool arret_ = false;
    bool abandonne_ = false;  // the window goes: no more boxes
    std::thread travail_;     // last: started once everything above is ready
};

// The progress of a send, its figures redrawn a few times a second, and Stop
// (also Escape or the close box).
class frmProgression final : public QDialog {
    Q_OBJECT

  public:
    frmProgression(EnvoiFenetre& envoi, const Langue& langue, QWidget* parent);
    // Shown once the send has lasted a little, so a quick one does not flash.
    void Actualise();
    void reject() override;

  private:
    EnvoiFenetre& envoi_;
    const Langue& langue_;
    QLabel* lblProgression_ = nullptr;
    QLabel* lblArret_ = nullptr;
    QProgressBar* barProgression_ = nullptr;
    QPushButton* btnArreter_ = nullptr;
};

}  // namespace corvelle::ui
