#pragma once
// What the command line decides for one run of the program.
#include <string>

struct TAppOptions {
    std::string ProgramFolder; // CP932, with the trailing separator
    int Port = 110;            // the local POP3 server
    bool Headless = false;     // run the controller without showing a window
};
