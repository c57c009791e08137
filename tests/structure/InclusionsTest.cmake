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

# Down the floors, the engine by its face, a generated header, and the
# engine's inside from within.
verifie(app ""
    app/A.cpp "#include \"sending/Envoi.h\"\n#include \"i18n/Langue.h\"
#include \"config/Profil.h\"\n#include \"core/Texte.h\"\n#include \"VersionConfig.h\"
#include \"sending/smtp/ComposantSMTP.h\"\n#include <string>")
verifie(smtp ""
    sending/smtp/Transport.cpp "#include \"sending/smtp/Canal.h\"\n#include <curl/curl.h>
#include \"sending/curl/RessourcesCurl.h\"\n#include \"sending/oauth/SourceJetons.h\""
    sending/smtp/ComposantSMTP.h "#include <memory>\n#include \"sending/oauth/SourceJetons.h\"")

# Up a floor, even spelt from the file's own folder.
verifie(core "core/Texte.cpp: \"app/Programme.h\": core/ does not stand on app/"
    core/Texte.cpp "#include \"app/Programme.h\"")
verifie(config "config/Profil.h: \"i18n/Langue.h\": config/ does not stand on i18n/"
    config/Profil.h "#include \"../i18n/Langue.h\""
    i18n/Langue.h "")
# What another part links PRIVATE is not for the parts above it.
verifie(app "\"sending/curl/RessourcesCurl.h\": app/ does not stand on sending/curl/"
    app/A.cpp "#include \"sending/curl/RessourcesCurl.h\"")
# The engine's inside, by its full name or from a neighbour folder.
verifie(sending "\"sending/smtp/Transaction.h\" is inside sending/smtp/; outside it, include sending/smtp/ComposantSMTP.h only"
    sending/Envoi.cpp "#include \"sending/smtp/Transaction.h\"")
verifie(sending "\"sending/smtp/Canal.h\" is inside sending/smtp/"
    sending/Envoi.cpp "#include \"smtp/Canal.h\""
    sending/smtp/Canal.h "")
# The face shows no library that the engine links PRIVATE.
verifie(smtp "sending/smtp/ComposantSMTP.h: <gmime/gmime.h>: the face of sending/smtp/"
    sending/smtp/ComposantSMTP.h "#include <gmime/gmime.h>")
verifie(app "\"../x.h\": name a header from src/"
    app/A.cpp "#include \"../x.h\"")

if(NOT echecs STREQUAL "")
    message(FATAL_ERROR "${echecs}")
endif()
