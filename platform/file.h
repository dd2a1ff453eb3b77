#pragma once
// File system access. Paths are CP932 bytes inside the system and are
// converted to UTF-8 at the OS call.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/datetime.h"

namespace platform {

std::string NativePath(std::string_view path); // CP932 -> UTF-8 for the OS

std::optional<std::string> ReadFile(std::string_view path);
// Writes plainly, replacing the file (mode used only when it is created).
bool WriteFile(std::string_view path, std::string_view data, unsigned mode = 0644);
// Replaces the file atomically: temporary file in the same folder, fsync, rename.
// On failure the old file stays and the error text is set.
bool WriteFileAtomic(std::string_view path, std::string_view data, unsigned mode = 0644,
                     std::string* error = nullptr);

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// True when anything (a file, a folder) has the path.
bool PathExists(std::string_view path);
// Makes the folder and its missing parents with the mode (less the umask).
bool ForceDirectories(std::string_view path, unsigned mode = 0755);
bool DeleteFile(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to);
bool MoveFile(std::string_view from, std::string_view to);
bool CopyFile(std::string_view from, std::string_view to);
// Names (not paths) of the regular files in the folder whose name ends with suffix
// (for example ".eml"), in no particular order.
std::vector<std::string> FindFiles(std::string_view folder, std::string_view suffix);
// Modification time of the file as a local date-time.
std::optional<TDateTime> FileDateTime(std::string_view path);

// Path helpers on CP932 text; the separator is '/'.
std::string IncludeTrailingSeparator(std::string_view folder);
std::string ExtractFilePath(std::string_view path); // folder with trailing separator
std::string ExtractFileName(std::string_view path);

} // namespace platform
