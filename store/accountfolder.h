#pragma once
// The account folders on disk ("mbx." + name under the base folder): made
// when an account is added, moved when it is renamed, removed with its files
// when it is deleted. Each operation says why it failed: the path (CP932)
// and the reason.
#include <string>
#include <string_view>

// Makes the folder and any missing parent; an existing folder is no error.
[[nodiscard]] bool MakeAccountFolder(std::string_view folder, std::string* error = nullptr);
// Moves the folder with everything in it. Refused when the target exists
// (an empty folder would silently be replaced, a full one never moves), so
// stored mail is never mixed or left behind. A missing source only makes
// the target.
[[nodiscard]] bool RenameAccountFolder(std::string_view from, std::string_view to,
                                       std::string* error = nullptr);
// Deletes the files of the folder (sub-folders are not the gateway's and
// stay, and so does the folder then), then the folder. A missing folder is
// no error.
bool RemoveAccountFolder(std::string_view folder, std::string* error = nullptr);
