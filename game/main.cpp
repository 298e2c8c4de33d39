#include "game/game.h"
#include "runtime/host/host.h"

int main(int argc, char** argv) { return rt::runtime_main(argc, argv, game::game_routine); }
