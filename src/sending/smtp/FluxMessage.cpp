#include "sending/smtp/FluxMessage.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <utility>

#include "core/Plateforme.h"

namespace corvelle::smtp {

namespace {

// Parts that come from files make a message large; text parts do not.
bool ADesPiecesJointes(GMimeObject* objet) {
    GMimeObject* racine =
        GMIME_IS_MESSAGE(objet) ? g_mime_message_get_mime_part(GMIME_MESSAGE(objet)) : objet;
    if (racine == nullptr || !GMIME_IS_MULTIPART(racine)) {
        return false;
    }
    GMimePartIter* parcours = g_mime_part_iter_new(racine);
    bool trouve = false;
    do {
        GMimeObject* partie = g_mime_part_iter_get_current(parcours);
        trouve = partie != nullptr && GMIME_IS_PART(partie) &&
                 g_mime_part_is_attachment(GMIME_PART(partie));
    } while (!trouve && g_mime_part_iter_next(parcours));
    g_mime_part_iter_free(parcours);
    return trouve;
}

OptionsFormat OptionsSMTP() {
    OptionsFormat options(g_mime_format_options_new());
    // SMTP wants CR LF line ends throughout (RFC 5321, 2.3.8).
    g_mime_format_options_set_newline_format(options.get(), GMIME_NEWLINE_FORMAT_DOS);
    return options;
}

}  // namespace

FluxMessage::FluxMessage(GMimeObject* message) : message_(GMIME_OBJECT(g_object_ref(message))) {}

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
    redige_ = ecrits >= 0 && g_mime_stream_flush(ecriture.get()) == 0;
    if (!redige_) {
        try {
            erreurRedaction_ = plateforme::DescriptionSysteme(numero);
        } catch (...) {
            // The failure itself is already recorded in redige_.
        }
    }
    // Releasing the writing end is what tells the reader the message is over.
}

bool FluxMessage::RedigeEnMemoire() {
    const ObjetG<GMimeStream> memoire(g_mime_stream_mem_new());
    const OptionsFormat options = OptionsSMTP();
    if (g_mime_object_write_to_stream(message_.get(), options.get(), memoire.get()) < 0) {
        erreur_ = "Writing the message failed";
        return false;
    }
    const GByteArray* octets = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memoire.get()));
    memoire_.assign(reinterpret_cast<const char*>(octets->data), octets->len);
    enMemoire_ = true;
    return true;
}

std::optional<std::size_t> FluxMessage::Lit(char* tampon, std::size_t taille) noexcept {
    try {
        if (!commence_) {
            commence_ = true;
            if (!ADesPiecesJointes(message_.get())) {
                if (!RedigeEnMemoire()) {
                    return std::nullopt;
                }
            } else {
                Demarre();
            }
        }
        if (enMemoire_) {
            const std::size_t n = std::min(taille, memoire_.size() - lusEnMemoire_);
            memoire_.copy(tampon, n, lusEnMemoire_);
            lusEnMemoire_ += n;
            return n;
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
            erreur_ =
                "Writing the message failed (an attachment could not be read): " + erreurRedaction_;
            return std::nullopt;
        }
        return 0;
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
