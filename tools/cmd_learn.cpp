// marrowby-tool learn --folder DIR --spam|--ham FILE...: teaches the learning
// filter of the program folder with message files; --stats shows what it knows.
#include "learn/learnfilter.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/learnaccess.h"
#include "tools/options.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "learn";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool learn [--folder DIR] --spam FILE...\n"
    "       marrowby-tool learn [--folder DIR] --ham FILE...\n"
    "       marrowby-tool learn [--folder DIR] --stats\n"
    "DIR is the program folder of the gateway (default: the gateway's, see marrowby-tool\n"
    "--help); the learning filter keeps its counts in DIR/learn.db (made when missing).\n"
    "Each message file is learned as spam or as ham, one database transaction per message;\n"
    "a message learned before as the other class moves its counts, one learned before as\n"
    "the same class is left alone. Prints how many messages were learned, moved and\n"
    "already known, then the totals.\n"
    "  --stats   the numbers of spam and ham messages and of tokens learned, and whether\n"
    "            the verdict uses the score yet (from 50 messages of each class on)\n"
    "May run while Marrowby runs: the database takes one writer at a time.\n"
    "A file that cannot be read or learned is reported on standard error; the exit code\n"
    "is then 1.\n";

void PrintStats(TLearnFilter& filter, std::ostream& out) {
    std::optional<TTokenCounts> counts = filter.MessageCounts();
    std::optional<std::int64_t> tokens = filter.TokenCount();
    if (!counts || !tokens) return;
    out << "database: " << platform::Cp932ToUtf8(filter.GetPath()) << "\n"
        << "spam messages: " << counts->Spam << "\n"
        << "ham messages: " << counts->Ham << "\n"
        << "tokens: " << *tokens << "\n";
    const std::int64_t min = TLearnFilter::MinMessages;
    if (counts->Spam >= min && counts->Ham >= min)
        out << "verdict: scores messages\n";
    else
        out << "verdict: not yet; learn " << std::max<std::int64_t>(min - counts->Spam, 0)
            << " more spam and " << std::max<std::int64_t>(min - counts->Ham, 0) << " more ham\n";
}

} // namespace

int CmdLearn(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    bool parsed =
        ParseToolOptions(args, {"--folder"}, {"--spam", "--ham", "--stats"}, options, error);
    int modes = options.Has("--spam") + options.Has("--ham") + options.Has("--stats");
    if (parsed && modes != 1) error = "give one of --spam, --ham and --stats";
    if (parsed && modes == 1 && options.Has("--stats") != options.Operands.empty())
        error = options.Has("--stats") ? "--stats takes no file" : "no file given";
    if (!parsed || !error.empty()) {
        err << "marrowby-tool learn: " << error << "\n\n" << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    TLearnFilter filter;
    bool opened = filter.Open(folder);
    ReportLearnNotices(kCommand, filter, err);
    if (!opened) return 1;
    if (options.Has("--stats")) {
        PrintStats(filter, out);
        return 0;
    }
    const bool spam = options.Has("--spam");
    int status = 0;
    int learned = 0, moved = 0, known = 0;
    for (const std::string& file : options.Operands) {
        std::optional<std::string> text = platform::ReadFile(platform::Utf8ToCp932(file));
        if (!text) {
            err << "marrowby-tool learn: cannot read " << file << "\n";
            status = 1;
            continue;
        }
        switch (filter.Learn(*text, spam)) {
        case TLearnResult::Learned:
            ++learned;
            break;
        case TLearnResult::Moved:
            ++moved;
            break;
        case TLearnResult::Known:
            ++known;
            break;
        case TLearnResult::Failed:
            err << "marrowby-tool learn: cannot learn " << file << "\n";
            status = 1;
            break;
        }
        ReportLearnNotices(kCommand, filter, err);
    }
    const char* name = spam ? "spam" : "ham";
    out << name << ": " << learned << " learned, " << moved << " moved from "
        << (spam ? "ham" : "spam") << ", " << known << " already learned as " << name << "\n";
    PrintStats(filter, out);
    return status;
}
