#include "ui/application.h"

#include <cstdlib>
#include <iostream>

namespace velmorane::ui {
namespace {

bool hasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

int runApplication(int, char**)
{
    if (!hasDisplay()) {
        std::cerr << "Aucun affichage disponible : Velmorane a besoin d'un affichage (DISPLAY ou "
                     "WAYLAND_DISPLAY) pour ouvrir ses fenêtres ; voir velmorane --help.\n";
        return 2;
    }
    return 0;
}

}  // namespace velmorane::ui
