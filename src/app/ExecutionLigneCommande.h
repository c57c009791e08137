#pragma once

#include <string>
#include <vector>

namespace corvelle {

class Dialogue;
struct Programme;

// Runs a command line: reads the arguments into a request, sends it and
// reports the outcome. Returns the exit code: 1 for a command-line error
// (reported first), else the dispatch's. Never throws: anything unforeseen is
// reported and ends the run as a failed send.
[[nodiscard]] int ExecuteLigneCommande(const Programme& programme, Dialogue& dialogue,
                                       const std::vector<std::string>& arguments);

}  // namespace corvelle
