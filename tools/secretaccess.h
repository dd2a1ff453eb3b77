#pragma once
// The desktop's secret store as marrowby-tool uses it: one call at a time,
// waited for. A tool built without Qt has no store, and says so.
#include <string>

// Keeps secret under key; false with the reason (CP932) in error.
bool WriteToolSecret(const std::string& key, const std::string& secret, std::string& error);
// Removes the secret of key (one that is not there is no error).
bool RemoveToolSecret(const std::string& key, std::string& error);
