#pragma once

// The program's icon and the decoration of the compose window, drawn rather
// than loaded so the program needs no image files beside it.

#include <QIcon>
#include <QPixmap>

namespace corvelle::ui {

[[nodiscard]] QIcon IconeProgramme();
[[nodiscard]] QPixmap BandeauProgramme(int largeur, int hauteur);

}  // namespace corvelle::ui
