#pragma once

namespace corvelle {

// Thrown where a command-line run must end with an exit code; main() ends the
// process with it once the report is written.
struct FinProgramme {
    int code;
};

}  // namespace corvelle
