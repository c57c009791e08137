#pragma once

namespace corvelle {

// The whole program from its arguments: --help and --version, start-up, then
// the About window, a command-line send or the compose window. Returns the
// exit code, or ends the process with it.
int LanceProgramme(int argc, char** argv);

}  // namespace corvelle
