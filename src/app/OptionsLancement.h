#pragma once

// The Linux options read before start-up: the settings file to use and
// whether this run is a management command rather than a send or a window.

#include <string>
#include <vector>

namespace corvelle {

struct OptionsLancement {
    std::vector<std::string> arguments;  // the run's, without --config
    std::string fichierConfiguration;    // --config FILE, else CORVELLE_CONFIG; empty: the usual
    bool gestion = false;                // --smtp, --get or --set first: no window, no directory
    // A --config without its file, or given twice: the option, for the message.
    std::string optionFautive;
    bool repetee = false;
};

// Takes "--config FILE" (or "--config=FILE") out of the arguments, wherever
// it stands; without it, the environment's CORVELLE_CONFIG names the file.
[[nodiscard]] OptionsLancement LitOptionsLancement(std::vector<std::string> arguments,
                                                   const std::string& variableConfig);

}  // namespace corvelle
