#pragma once

// A preview of a dispatch: each batch built by the SMTP component exactly as
// it would be sent, then written out instead of sent.

#include <cstddef>
#include <string>

#include "sending/smtp/ComposantSMTP.h"

namespace corvelle {

class Apercu {
  public:
    // An empty folder writes on standard output.
    explicit Apercu(std::string dossier) : dossier_(std::move(dossier)) {}

    // Builds the batch set on `smtp` and writes its envelope, then its whole
    // message on standard output, or into its own .eml file, which appears
    // only once written whole. The outcome is the batch's, as a send's would
    // be.
    [[nodiscard]] ComposantSMTP::Issue Ecrit(ComposantSMTP& smtp);

  private:
    [[nodiscard]] std::string Fichier() const;

    std::string dossier_;
    std::size_t numero_ = 0;
};

}  // namespace corvelle
