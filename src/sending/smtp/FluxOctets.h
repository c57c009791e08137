#pragma once

// Bytes that GMime reads in place: a body handed to a message part this way
// is never copied into GMime's own memory.

#include <string_view>

#include "sending/smtp/RessourcesGMime.h"

namespace corvelle::smtp {

// A read-only stream over `octets`, which it does not own: they must outlive
// the stream, its substreams and whatever reads them (a message part, while
// the message is written).
[[nodiscard]] ObjetG<GMimeStream> FluxSurOctets(std::string_view octets);

}  // namespace corvelle::smtp
