#include "sending/smtp/FluxMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <utility>

#include "core/Plateforme.h"
#include "sending/smtp/FluxFichier.h"

namespace corvelle::smtp {

FluxMessage::FluxMessage(SourceMessage source) {
    if (GMimeObject* const* objet = std::get_if<GMimeObject*>(&source)) {
        message_.reset(GMIME_OBJECT(g_object_ref(*objet)));
    } else {
        octets_ = std::get<std::string_view>(source);
    }
}

FluxMessage::~FluxMessage() {
    Termine();
}

void FluxMessage::Demarre() {
    const plateforme::Tube tube = plateforme::CreeTube();
    ObjetG<GMimeStream> ecriture(g_mime_stream_pipe_new(tube.ecriture));
    lecture_.reset(g_mime_stream_pipe_new(tube.lecture));
    // Should the thread not start, the lambda holding the writing end is
    // destroyed with it and the end is closed.
    redacteur_ =
        std::thread([this, fin = std::move(ecriture)]() mutable { Redige(std::move(fin)); });
}

void FluxMessage::Redige(ObjetG<GMimeStream> ecriture) noexcept {
    // When the reader gives up, the next write must fail rather than end the
    // program. GMime's initialisation happens to ignore SIGPIPE for the whole
    // process today; that is not documented, so this thread sees to it.
    plateforme::IgnoreTubeRompuDansCeFil();
    const OptionsFormat options = OptionsSMTP();
    const gint64 ecrits =
        g_mime_object_write_to_stream(message_.get(), options.get(), ecriture.get());
    const int numero = errno;
    const bool ecrit = ecrits >= 0 && g_mime_stream_flush(ecriture.get()) == 0;
    try {
        // An attachment that failed says which and why; errno cannot. Its
        // failure alone is enough to keep the message from going as whole.
        erreurRedaction_ = IncidentFichier();
        redige_ = ecrit && erreurRedaction_.empty();
        if (!redige_ && erreurRedaction_.empty()) {
            erreurRedaction_ =
                "Writing the message failed: " + plateforme::DescriptionSysteme(numero);
        }
    } catch (...) {
        // No memory for the text: redige_ stays false, the message is not sent.
    }
    // Releasing the writing end is what tells the reader the message is over.
}

std::optional<std::size_t> FluxMessage::LitTube(char* tampon, std::size_t taille) {
    if (!commence_) {
        commence_ = true;
        Demarre();
    }
    if (!lecture_) {
        return 0;
    }
    const gssize lus = g_mime_stream_read(lecture_.get(), tampon, taille);
    if (lus > 0) {
        return static_cast<std::size_t>(lus);
    }
    if (lus < 0) {
        erreur_ = "Reading the message failed: " + plateforme::DescriptionSysteme(errno);
        Termine();
        return std::nullopt;
    }
    // The writer has closed its end: only its outcome tells a whole message
    // from one cut short, which must not be sent as if it were complete.
    Termine();
    if (!redige_) {
        erreur_ = erreurRedaction_.empty() ? "Writing the message failed" : erreurRedaction_;
        return std::nullopt;
    }
    return 0;
}

std::optional<std::size_t> FluxMessage::Lit(char* tampon, std::size_t taille) noexcept {
    if (!message_) {
        commence_ = true;
        const std::size_t n = std::min(taille, octets_.size());
        if (n > 0) {
            std::memcpy(tampon, octets_.data(), n);
            octets_.remove_prefix(n);
        }
        return n;
    }
    try {
        return LitTube(tampon, taille);
    } catch (const std::exception& e) {
        erreur_ = std::string("Writing the message failed: ") + e.what();
    } catch (...) {
        erreur_ = "Writing the message failed";
    }
    Termine();
    return std::nullopt;
}

void FluxMessage::Termine() noexcept {
    lecture_.reset();
    if (redacteur_.joinable()) {
        redacteur_.join();
    }
}

}  // namespace corvelle::smtp
