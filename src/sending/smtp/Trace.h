#pragma once

// The SMTP dialogue shown to the user who asks for it: every command and
// reply, one line each, with whatever would reveal a secret masked.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace corvelle::smtp {

using SortieTrace = std::function<void(std::string_view ligne)>;

class TraceSMTP {
  public:
    explicit TraceSMTP(SortieTrace sortie) : sortie_(std::move(sortie)) {}

    // Commands as written, one or more lines.
    void Envoye(std::string_view octets);
    // One reply line, or several joined by line breaks.
    void Recu(std::string_view octets);
    // The message itself: its size only, never its text.
    void Contenu(std::size_t octets);
    void Info(std::string_view texte);

  private:
    void Ligne(std::string_view prefixe, std::string_view ligne);

    SortieTrace sortie_;
    // After a challenge (334), whatever the client writes until the next
    // reply answers it: a secret, or a line that carries one (LOGIN sends the
    // password alone on its line).
    bool defi_ = false;
};

}  // namespace corvelle::smtp
