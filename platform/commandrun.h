#pragma once
// Commands the user names to print a secret: an OAuth 2.0 access token or a
// password. They run without a shell, so no word of the line is expanded and
// nothing but the named program runs; a command that does not end in time is
// killed with every process it started in its group. What the command prints
// on its standard output never appears in an error text.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The words of a command line split as a POSIX shell splits them, without any
// expansion ($, ~, * and the rest stay as typed): blanks (space, tab, line
// ends) separate words; inside '...' every byte is kept as it is; inside
// "..." a backslash before \ " $ or ` keeps that byte alone; elsewhere
// a backslash keeps the next byte. Nothing when a quote is not closed, the
// line ends in a lone backslash, or there is no word.
std::optional<std::vector<std::string>> SplitCommandWords(std::string_view line);

struct TCommandResult {
    bool Ok = false;
    std::string FirstLine; // on success: the first output line, without its line end
    std::string Error;     // on failure: why, for the log
};

// Bounds of what a command may print (a token of a large provider is a few
// kilobytes), and of the part of its error output that goes into a log line.
constexpr std::size_t MaxCommandOutput = 64 * 1024;
constexpr std::size_t MaxCommandErrorText = 200;

// Runs the command of commandLine (the first word is the program, found on
// PATH when it holds no slash) with standard input from /dev/null and reads
// its output. Succeeds when it exits with status 0 within timeout and its
// first output line is neither empty nor holds a control byte other than a
// tab. It is killed when it runs past timeout, and when hangupHandle (a
// session's socket, -1 for none) sees the connection end: the session it
// served is gone. The error names the failure and the first line of what the
// command wrote to its error output, never its standard output.
TCommandResult RunFirstLine(std::string_view commandLine, std::chrono::milliseconds timeout,
                            int hangupHandle = -1);

} // namespace platform
