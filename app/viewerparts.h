#pragma once
// What the viewer decides about a message and its parts: the question asked
// before a message is opened, the image of a part's tree node, the bytes a
// saved part writes, the file name the save dialog proposes and the form of
// the dates it shows.
#include <string>
#include <string_view>

#include "platform/datetime.h"

class TMessageFilters;
class TMultipartItem;
class TMultipartMessage;

enum class TOpenWarning { None, Program, Html, Binary };

// The first that applies: a part the attachment list flags, an HTML part, a
// binary part.
TOpenWarning ChooseOpenWarning(TMessageFilters& attach, TMultipartMessage& message);

// The node image of a part (app/listimages.h); a binary part that the
// attachment list flags by itself gets its own image.
int PartImageIndex(TMultipartItem& part, TMessageFilters& attach);

// Binary and message parts save their decoded bytes, the others their text.
std::string_view SavedContent(const TMultipartItem& part);

// The part's file name (its Content-Type name when it has none) without any
// folder part, so that it can only name a file in the folder the user picks.
std::string ProposedSaveName(const TMultipartItem& part);
// The last path component of a name from a mail, "/" and "\" both counting
// (never the second byte of a double-byte character); control bytes become
// "_"; a name of dots and blanks alone becomes empty.
std::string StripFolders(std::string_view name);

// "yyyy/mm/dd hh:nn:ss", the time always written.
std::string ViewerDateText(TDateTime value);
