#include "store/secretstore.h"

#include <filesystem>

#include "platform/file.h"
#include "platform/text.h"
#include "store/pop3accountitem.h"

// The absolute form, so the program and the tool find the same key however
// the program folder was given to them.
std::string SecretKey(const TPop3AccountItemBase& account) {
    std::error_code error;
    std::filesystem::path path =
        std::filesystem::absolute(platform::NativePath(account.GetFolder()), error);
    if (path.empty()) return account.GetFolder();
    return platform::Utf8ToCp932(path.lexically_normal().string());
}
