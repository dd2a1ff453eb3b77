#pragma once
// The verdict for one received message: the nine lists in their fixed order,
// the first list with a matching rule deciding.
#include <string>

class TMessageFilterSet;
class TMultipartMessage;

// True to reject (trash), false to accept. When a list matched, comment is set
// to the reason (CP932), for example "IPｱﾄﾞﾚｽ(10.0.0.0/255.0.0.0)"; otherwise it
// is left as it was. With precheckAttach the attachment list comes first,
// otherwise last. A message whose parse reached a bound of message/limits.h is
// rejected before any list, with the bound named: "解析上限(ﾊﾟｰﾄ数)".
bool FilterVerdict(TMessageFilterSet& lists, bool precheckAttach, std::string& comment,
                   TMultipartMessage* message);
