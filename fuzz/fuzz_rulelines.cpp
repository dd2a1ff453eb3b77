// Feeds any bytes as a rule file to the line readers of every filter kind,
// then tests each rule read against a message parsed from the same bytes and
// writes it back: nothing may crash, hang or read outside its input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "foundation/datafile.h"
#include "message/multipartmessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TMessageFilterSet set;
    TMessageFilters* lists[] = {
        &set.MessageFiltersSender1, &set.MessageFiltersSender2, &set.MessageFiltersSubject,
        &set.MessageFiltersIP,      &set.MessageFiltersHost,    &set.MessageFiltersMailer,
        &set.MessageFiltersHeader,  &set.MessageFiltersBody,    &set.MessageFiltersAttach};
    for (TMessageFilters* list : lists) {
        for (const std::string& line : SplitDataLines(text)) {
            std::unique_ptr<TMessageFilter> item;
            list->OnCreateFilter(list, item, line);
            if (item) list->Add(std::move(item))->GetCSV();
        }
    }
    TMultipartMessage message;
    message.Create(text);
    std::string comment;
    FilterVerdict(set, true, comment, &message);
    for (TMessageFilters* list : lists)
        list->CheckPart(&message.GetRoot());
    return 0;
}
