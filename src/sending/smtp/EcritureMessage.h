#pragma once

// A built message written out rather than sent: the bytes that would follow
// DATA, for a preview.

#include <ostream>

#include "sending/smtp/FluxMessage.h"
#include "sending/smtp/Transaction.h"

namespace corvelle::smtp {

// Writes the whole message to `sortie`. A message that cannot be written to
// its end (an attachment that vanished or fails to read) is a failure naming
// why, as it would be for a send; `sortie` then holds only part of it.
[[nodiscard]] Issue EcritMessage(SourceMessage message, std::ostream& sortie);

}  // namespace corvelle::smtp
