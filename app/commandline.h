#pragma once
// The program's command line:
//   marrowby [--folder DIR] [--port N] [--headless] | --help | --version
#include <string>
#include <vector>

#include "platform/programfolder.h"

struct TCommandLine {
    enum class TAction { Run, Help, Version, Error };
    TAction Action = TAction::Run;
    std::string Folder; // as given; empty for the default folder
    int Port = 110;
    bool Headless = false;
    std::string Error; // what was wrong, for TAction::Error
};

// args: the arguments after the program name. Options may also be written
// --folder=DIR and --port=N.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
std::string VersionText();
// The program folder as CP932 with a trailing separator: the folder given
// (made absolute), else the default of platform::DefaultProgramFolder.
platform::TProgramFolder ProgramFolderFor(const std::string& folder);
