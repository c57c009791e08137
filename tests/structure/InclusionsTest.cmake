# The include check against the rules this build wrote for its parts: each
# case is a small tree of files put in a part's place, and what the check says
# of it. Run by CTest: cmake -DINCLUSIONS=<build>/src/inclusions
#   -DSCRIPT=<cmake/VerifieInclusions.cmake> -DTRAVAIL=<scratch folder> -P this

cmake_minimum_required(VERSION 3.25)
set(echecs "")

# verifie(<part> <expected: empty to pass, else a piece of the refusal>
#         <file> <content> [<file> <content>]...)
function(verifie partie attendu)
    set(racine ${TRAVAIL}/${partie})
    file(REMOVE_RECURSE ${racine})
    set(fichiers "")
    set(arguments ${ARGN})
    while(arguments)
        list(POP_FRONT arguments fichier contenu)
        file(WRITE ${racine}/${fichier} "${contenu}\n")
        list(APPEND fichiers ${fichier})
    endwhile()
    file(WRITE ${racine}.cmake "include(${INCLUSIONS}/corvelle_${partie}.cmake)
set(RACINE \"${racine}\")
set(FICHIERS \"${fichiers}\")\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DREGLES=${racine}.cmake -DTEMOIN=${racine}.ok
                            -P ${SCRIPT}
                    RESULT_VARIABLE code ERROR_VARIABLE sortie)
    string(REPLACE "\n" " " sortie "${sortie}")
    string(REGEX REPLACE " +" " " sortie "${sortie}")
    if(attendu STREQUAL "")
        if(NOT code EQUAL 0)
            set(echecs "${echecs}${partie}: refused what it may include: ${sortie}\n"
                PARENT_SCOPE)
        endif()
    else()
        string(FIND "${sortie}" "${attendu}" position)
        if(code EQUAL 0 OR position EQUAL -1)
            set(echecs "${echecs}${partie}: expected \"${attendu}\", got: ${sortie}\n"
                PARENT_SCOPE)
        endif()
    endif()
endfunction()

# Down the floors, the engine by its face, a generated header; inside the
# engine, its own headers and the libraries behind its face.
verifie(app ""
    app/A.cpp "#include \"sending/Envoi.h\"\n#include \"i18n/Langue.h\"
#include \"config/Profil.h\"\n#include \"core/Texte.h\"\n#include \"VersionConfig.h\"
#include \"sending/smtp/ComposantSMTP.h\"\n#include <string>")
verifie(smtp ""
    sending/smtp/ComposantSMTP.h "#include <memory>\n#include \"sending/oauth/SourceJetons.h\""
    sending/oauth/SourceJetons.h "#include \"core/Resultat.h\""
    sending/smtp/Canal.h "#include <curl/curl.h>"
    sending/oauth/JetonOAuth.cpp "#include \"sending/smtp/Canal.h\"\n#include <nlohmann/json.hpp>")

# Up a floor, even spelt from the file's own folder.
verifie(core "core/Texte.cpp: \"app/Programme.h\": core/ does not stand on app/"
    core/Texte.cpp "#include \"app/Programme.h\"")
verifie(config "config/Profil.h: \"i18n/Langue.h\": config/ does not stand on i18n/"
    config/Profil.h "#include \"../i18n/Langue.h\""
    i18n/Langue.h "")
verifie(app "\"../x.h\": name a header from src/"
    app/A.cpp "#include \"../x.h\"")
# The engine's inside, by its full name, from a neighbour folder, or its tokens.
verifie(sending "\"sending/smtp/Transaction.h\" is inside sending/smtp/; outside it, include sending/smtp/ComposantSMTP.h only"
    sending/Envoi.cpp "#include \"sending/smtp/Transaction.h\"")
verifie(sending "\"sending/smtp/Canal.h\" is inside sending/smtp/"
    sending/Envoi.cpp "#include \"smtp/Canal.h\""
    sending/smtp/Canal.h "")
verifie(sending "\"sending/oauth/JetonOAuth.h\" is inside sending/oauth/"
    sending/Serveur.cpp "#include \"sending/oauth/JetonOAuth.h\"")
# No outside library in what the face shows, nor in a part's headers.
verifie(smtp "sending/smtp/Trace.h: <gmime/gmime.h>: other parts see this header"
    sending/smtp/ComposantSMTP.h "#include \"Trace.h\""
    sending/smtp/Trace.h "#include <gmime/gmime.h>")
verifie(config "config/Profil.h: <curl/curl.h>: other parts see this header"
    config/Profil.h "#include <curl/curl.h>")

if(NOT echecs STREQUAL "")
    message(FATAL_ERROR "${echecs}")
endif()
