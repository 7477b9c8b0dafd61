// The checker runs outside the game: there is no console to print on.
#include "game/console.h"

void ConsolePrint(const char* /*format*/, ...) {}
