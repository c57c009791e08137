#include "app/OptionsLancement.h"

#include <utility>

namespace corvelle {

namespace {

constexpr std::string_view kOptionConfig = "--config";

}  // namespace

OptionsLancement LitOptionsLancement(std::vector<std::string> arguments,
                                     const std::string& variableConfig) {
    OptionsLancement options;
    bool donne = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string& argument = arguments[i];
        const bool seule = argument == kOptionConfig;
        const bool avecEgal = argument.rfind(std::string(kOptionConfig) + "=", 0) == 0;
        if (!seule && !avecEgal) {
            options.arguments.push_back(std::move(argument));
            continue;
        }
        std::string fichier;
        if (avecEgal) {
            fichier = argument.substr(kOptionConfig.size() + 1);
        } else if (i + 1 < arguments.size()) {
            fichier = std::move(arguments[++i]);
        }
        if (fichier.empty() || donne) {
            options.optionFautive = std::string(kOptionConfig);
            options.repetee = donne;
        }
        donne = true;
        options.fichierConfiguration = std::move(fichier);
    }
    if (!donne) {
        options.fichierConfiguration = variableConfig;
    }
    if (!options.arguments.empty()) {
        const std::string& premier = options.arguments.front();
        options.gestion = premier == "--smtp" || premier == "--get" || premier == "--set" ||
                          premier == "--outbox";
    }
    return options;
}

}  // namespace corvelle
