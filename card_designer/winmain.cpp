// The Windows entry point of the card designer.
#include "designer.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
    return designer_main(instance, previous, command_line, show);
}
