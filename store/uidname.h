#pragma once
// The name a stored message's UID was made with (see MakeUID in mbxitem.cpp:
// "<file time>.<count>.<name>,s=<size>"): the account a downloaded message
// came from, which the UID keeps after the message moves to the trash.
#include <string>
#include <string_view>

// Empty when the UID is not of that form.
std::string UIDName(std::string_view uid);
