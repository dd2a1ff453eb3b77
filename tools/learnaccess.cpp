#include "tools/learnaccess.h"

#include "learn/learnfilter.h"
#include "platform/text.h"

void ReportLearnNotices(std::string_view command, TLearnFilter& filter, std::ostream& err) {
    for (const std::string& report : filter.TakeReports())
        err << "marrowby-tool " << command << ": " << platform::Cp932ToUtf8(report) << "\n";
}
