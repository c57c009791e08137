// Corvelle: sends e-mail from a compose window or from a script's command line.

#include "app/Lancement.h"

int main(int argc, char** argv) {
    return corvelle::LanceProgramme(argc, argv);
}
