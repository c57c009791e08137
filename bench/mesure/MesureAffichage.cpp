// Loaded with LD_PRELOAD by the window benchmark and the installation test:
// ends the program once its compose window has been painted and the events of
// its showing are done, so a run measures, or proves, exactly that.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace {

class QuitteApresAffichage final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::Paint && !peinte_ &&
            objet->objectName() == QLatin1String("frmCorvelle")) {
            peinte_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(objet, evenement);
    }

  private:
    bool peinte_ = false;
};

void Installe() {
    qApp->installEventFilter(new QuitteApresAffichage(qApp));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(Installe)
