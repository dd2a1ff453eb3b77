// marrowby-tool: the command-line companion of the Marrowby gateway.
#include <iostream>

#include "tools/commands.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return RunTool(TToolArgs(argv + 1, argv + argc), std::cout, std::cerr);
}
