#pragma once

// The test message of the SMTP configuration dialog: one send with the values
// typed, then a box saying whether it went out.

#include "sending/EssaiSMTP.h"

namespace corvelle {
class Dialogue;
struct Programme;
}  // namespace corvelle

namespace corvelle::ui {

void EnvoieTestSMTP(EssaiSMTP essai, const Programme& etat, Dialogue& dialogue);

}  // namespace corvelle::ui
