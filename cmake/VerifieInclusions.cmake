# Refuses, before a part of src/ compiles, an include that its link line does
# not allow: a floor above it, a part it does not link, a header behind
# another part's face, or, in a header that other parts see, an outside
# library the part links PRIVATE. Run with `cmake -P` on the rules
# src/CMakeLists.txt writes for the part:
#   REGLES    file setting RACINE (src/), FICHIERS (the part's sources and
#             headers), PROPRES (its folders), DOSSIERS (every part's
#             folders), PERMIS (the folders it may include), FACES_<folder>
#             (for a part with a face, what may be included of it) and FACE
#             (its own face)
#   TEMOIN    file touched once every include passed
# The whole project shares one include root, so the compiler alone would let
# any of these through.

cmake_minimum_required(VERSION 3.25)
include(${REGLES})

# The folder a project header belongs to: the longest one holding it.
function(proprietaire chemin sortie)
    set(trouve "")
    foreach(dossier IN LISTS DOSSIERS)
        string(LENGTH "${dossier}" longueur)
        string(LENGTH "${trouve}" meilleure)
        if(chemin MATCHES "^${dossier}/" AND longueur GREATER meilleure)
            set(trouve ${dossier})
        endif()
    endforeach()
    set(${sortie} "${trouve}" PARENT_SCOPE)
endfunction()

set(erreurs "")
set(entetes_propres "")
foreach(fichier IN LISTS FICHIERS)
    string(MAKE_C_IDENTIFIER "${fichier}" f)
    set(systeme_${f} "")
    set(projet_${f} "")
    file(STRINGS ${RACINE}/${fichier} lignes REGEX "^[ \t]*#[ \t]*include")
    cmake_path(GET fichier PARENT_PATH dossier_fichier)
    foreach(ligne IN LISTS lignes)
        if(ligne MATCHES "include[ \t]*<([^>]+)>")
            list(APPEND systeme_${f} ${CMAKE_MATCH_1})
            continue()
        endif()
        if(NOT ligne MATCHES "include[ \t]*\"([^\"]+)\"")
            continue()
        endif()
        set(entete ${CMAKE_MATCH_1})
        # A name relative to the file's own folder counts as what it names.
        if(EXISTS ${RACINE}/${dossier_fichier}/${entete})
            cmake_path(SET entete NORMALIZE "${dossier_fichier}/${entete}")
        endif()
        if(entete MATCHES "(^|/)\\.\\.(/|$)")
            string(APPEND erreurs "${fichier}: \"${entete}\": name a header from src/, "
                                  "not by climbing out of a folder.\n")
            continue()
        endif()
        proprietaire("${entete}" dossier)
        if(dossier STREQUAL "")
            continue()  # not the project's (a generated header)
        endif()
        if(dossier IN_LIST PROPRES)
            list(APPEND projet_${f} ${entete})
            continue()
        endif()
        if(NOT dossier IN_LIST PERMIS)
            list(TRANSFORM PERMIS APPEND / OUTPUT_VARIABLE permis)
            list(JOIN permis ", " permis)
            if(permis STREQUAL "")
                set(permis "no other part")
            endif()
            list(GET PROPRES 0 propre)
            string(APPEND erreurs "${fichier}: \"${entete}\": ${propre}/ does not stand on "
                                  "${dossier}/ (it may include ${permis}).\n")
            continue()
        endif()
        string(MAKE_C_IDENTIFIER "${dossier}" cle)
        if(DEFINED FACES_${cle} AND NOT entete IN_LIST FACES_${cle})
            list(JOIN FACES_${cle} ", " faces)
            string(APPEND erreurs "${fichier}: \"${entete}\" is inside ${dossier}/; "
                                  "outside it, include ${faces} only.\n")
        endif()
    endforeach()
    if(fichier MATCHES "\\.h$")
        list(APPEND entetes_propres ${fichier})
    endif()
endforeach()

# What other parts see: the face and the part's headers it includes, or,
# without a face, every header. Those name the standard library and the
# project only: the outside libraries stay with the part that links them.
if(FACE)
    set(vus "")
    set(a_voir ${FACE})
    while(a_voir)
        list(POP_FRONT a_voir entete)
        if(entete IN_LIST vus OR NOT entete IN_LIST entetes_propres)
            continue()
        endif()
        list(APPEND vus ${entete})
        string(MAKE_C_IDENTIFIER "${entete}" f)
        list(APPEND a_voir ${projet_${f}})
    endwhile()
else()
    set(vus ${entetes_propres})
endif()
foreach(entete IN LISTS vus)
    string(MAKE_C_IDENTIFIER "${entete}" f)
    foreach(systeme IN LISTS systeme_${f})
        if(systeme MATCHES "[./]")
            string(APPEND erreurs "${entete}: <${systeme}>: other parts see this header; "
                                  "name the outside library in a source file behind it.\n")
        endif()
    endforeach()
endforeach()

if(NOT erreurs STREQUAL "")
    message(FATAL_ERROR "Includes that the floors do not allow:\n${erreurs}")
endif()
file(TOUCH ${TEMOIN})
