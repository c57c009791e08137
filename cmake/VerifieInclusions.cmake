# Refuses, before a part of src/ compiles, an include that its link line does
# not allow: a floor above it, a part it does not link, or a header behind
# another part's face. Run with `cmake -P` on the rules src/CMakeLists.txt
# writes for the part:
#   REGLES    file setting DOSSIER (the part's folder), RACINE (src/),
#             FICHIERS (its own sources and headers), DOSSIERS (every part's
#             folder), PERMIS (the folders of the parts it may include),
#             FACES_<folder> (the public headers of each part that has a
#             face) and FACE (its own)
#   TEMOIN    file touched once every include passed
# The whole project shares one include root, so the compiler alone would let
# any of these through.

cmake_minimum_required(VERSION 3.25)
include(${REGLES})

# The part a project header belongs to: the longest folder holding it.
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
foreach(fichier IN LISTS FICHIERS)
    file(STRINGS ${RACINE}/${fichier} lignes REGEX "^[ \t]*#[ \t]*include")
    cmake_path(GET fichier PARENT_PATH dossier_fichier)
    list(FIND FACE ${fichier} rang_face)
    foreach(ligne IN LISTS lignes)
        if(ligne MATCHES "include[ \t]*<([^>]+)>")
            # A face shows the standard library and the project only: the
            # libraries behind it stay out of sight of those who include it.
            set(entete ${CMAKE_MATCH_1})
            if(rang_face GREATER -1 AND entete MATCHES "[./]")
                string(APPEND erreurs
                       "${fichier}: <${entete}>: the face of ${DOSSIER}/ shows no outside "
                       "library; include it in the sources behind the face.\n")
            endif()
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
        proprietaire("${entete}" partie)
        if(partie STREQUAL "" OR partie STREQUAL DOSSIER)
            continue()  # its own, or not the project's (a generated header)
        endif()
        list(FIND PERMIS ${partie} rang)
        if(rang EQUAL -1)
            list(TRANSFORM PERMIS APPEND / OUTPUT_VARIABLE permis)
            list(JOIN permis ", " permis)
            if(permis STREQUAL "")
                set(permis "no other part")
            endif()
            string(APPEND erreurs "${fichier}: \"${entete}\": ${DOSSIER}/ does not stand on "
                                  "${partie}/ (it may include ${permis}).\n")
            continue()
        endif()
        string(MAKE_C_IDENTIFIER "${partie}" cle)
        if(DEFINED FACES_${cle} AND NOT entete IN_LIST FACES_${cle})
            list(JOIN FACES_${cle} ", " faces)
            string(APPEND erreurs "${fichier}: \"${entete}\" is inside ${partie}/; "
                                  "outside it, include ${faces} only.\n")
        endif()
    endforeach()
endforeach()

if(NOT erreurs STREQUAL "")
    message(FATAL_ERROR "Includes that the floors do not allow:\n${erreurs}")
endif()
file(TOUCH ${TEMOIN})
