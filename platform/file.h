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
// Replaces the file atomically: temporary file in the same folder, fsync,
// rename, fsync of the folder. On failure the old file stays and the error
// text is set. A write cut short by a crash leaves a temporary file whose name
// begins with TempFilePrefix (see IsTempFileName).
bool WriteFileAtomic(std::string_view path, std::string_view data, unsigned mode = 0644,
                     std::string* error = nullptr);
// Creates the file, which must not exist yet, with the data; not synced.
bool WriteNewFile(std::string_view path, std::string_view data, unsigned mode,
                  std::string* error = nullptr);
// Appends the data with one write, creating the file when it is missing.
// With newLine, a file that does not end with a line feed (a line cut short
// by a crash) gets CR LF before the data, so the data starts a line.
bool AppendFile(std::string_view path, std::string_view data, unsigned mode, bool newLine = false,
                std::string* error = nullptr);
// Writes everything of the file system that holds path to the disk: one
// call makes every file and folder written before it durable.
bool SyncFileSystem(std::string_view path, std::string* error = nullptr);
// Temporary files of interrupted writes: ".tmp" and anything but ".eml" behind.
inline constexpr std::string_view TempFilePrefix = ".tmp";
bool IsTempFileName(std::string_view name);

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// True when anything (a file, a folder) has the path.
bool PathExists(std::string_view path);
// Makes the folder and its missing parents with the mode (less the umask).
bool ForceDirectories(std::string_view path, unsigned mode = 0755);
bool DeleteFile(std::string_view path);
bool RenameFile(std::string_view from, std::string_view to);
// Renames; across file systems the file is copied to a temporary file beside
// the target, synced and renamed into place before the source is deleted, so
// no half-copied target ever appears. False with the reason in error: the
// source then stays where it was.
bool MoveFile(std::string_view from, std::string_view to, std::string* error = nullptr);
bool CopyFile(std::string_view from, std::string_view to);
// Names (not paths) of the regular files in the folder whose name ends with suffix
// (for example ".eml", letter case ignored), in no particular order.
std::vector<std::string> FindFiles(std::string_view folder, std::string_view suffix);
// Modification time of the file as a local date-time.
std::optional<TDateTime> FileDateTime(std::string_view path);

// Path helpers on CP932 text; the separator is '/'.
std::string IncludeTrailingSeparator(std::string_view folder);
std::string ExtractFilePath(std::string_view path); // folder with trailing separator
std::string ExtractFileName(std::string_view path);

} // namespace platform
