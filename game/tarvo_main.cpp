// The game's executable: the runtime's start-up with the game's main module.
#include "core/startup.h"
#include "game/scenes.h"

int main(int argc, char **argv)
{
    program_unit unit{game_main_module, false, false, 0, 0};
    return runtime_main(argc, argv, unit);
}
