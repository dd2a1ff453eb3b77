#include "tools/secretaccess.h"

namespace {

constexpr const char* kNoStore = "this marrowby-tool was built without the secret store";

} // namespace

bool WriteToolSecret(const std::string&, const std::string&, std::string& error) {
    error = kNoStore;
    return false;
}

bool RemoveToolSecret(const std::string&, std::string& error) {
    error = kNoStore;
    return false;
}
