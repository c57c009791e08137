#pragma once

// The message as a stream of bytes for the SMTP DATA phase. A message with
// attachments is written by GMime into a pipe on a worker thread while the
// sender reads the other end, so memory stays the same whatever the
// attachments or its bodies weigh; any other is small and comes already
// written, which spares a thread and a pipe per message of a long dispatch.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <variant>

#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

// A message for GMime to write while it is sent, or one already written (the
// bytes must outlive the sending).
using SourceMessage = std::variant<GMimeObject*, std::string_view>;

class FluxMessage {
  public:
    explicit FluxMessage(SourceMessage source);
    ~FluxMessage();
    FluxMessage(const FluxMessage&) = delete;
    FluxMessage& operator=(const FluxMessage&) = delete;

    // Up to `taille` next bytes of the message; 0 once the message is whole.
    // A writer starts at the first call. Nothing when the message could not be
    // written to its end: Erreur() says why.
    [[nodiscard]] std::optional<std::size_t> Lit(char* tampon, std::size_t taille) noexcept;

    // Reading has begun: the stream cannot be offered again from its start.
    [[nodiscard]] bool Commence() const noexcept { return commence_; }
    [[nodiscard]] const std::string& Erreur() const noexcept { return erreur_; }

    // Stops the writer if it still runs (its next write fails once the reading
    // end is closed) and waits for it; what was not read is dropped.
    void Termine() noexcept;

  private:
    void Demarre();
    void Redige(ObjetG<GMimeStream> ecriture) noexcept;
    [[nodiscard]] std::optional<std::size_t> LitTube(char* tampon, std::size_t taille);

    ObjetG<GMimeObject> message_;  // null for a message already written
    std::string_view octets_;      // what is left of one already written
    ObjetG<GMimeStream> lecture_;
    std::thread redacteur_;
    bool commence_ = false;
    // Set by the writer before it closes its end; read only after joining it.
    bool redige_ = false;
    std::string erreurRedaction_;
    std::string erreur_;
};

}  // namespace corvelle::smtp
