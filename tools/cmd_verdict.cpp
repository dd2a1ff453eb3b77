// marrowby-tool verdict [--folder DIR] [--precheck-attach 0|1] FILE...: each
// message file judged by the nine rule lists of DIR (or of the default
// program folder) as the gateway judges downloaded mail.
#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "learn/learnfilter.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/learnaccess.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kHelp =
    "Usage: marrowby-tool verdict [--folder DIR] [--precheck-attach 0|1] FILE...\n"
    "Loads the nine rule files of DIR/cgi (sender1.cgi, sender2.cgi, subject.cgi, ip.cgi,\n"
    "host.cgi, mailer.cgi, header.cgi, body.cgi, attach.cgi), parses each message file and\n"
    "prints one line per file: the file, a tab, reject or accept, a tab and the reason\n"
    "(UTF-8; empty when no list matched). When DIR holds a learning database (learn.db),\n"
    "its score is the last step, at the default thresholds: 0.9 rejects (学習(score)),\n"
    "0.5 marks the accepted message as unsure (学習?(score)), once 50 of each are learned.\n"
    "  --folder DIR             the program folder whose rule files are used (default:\n"
    "                           the gateway's, see marrowby-tool --help)\n"
    "  --precheck-attach 0|1    1 (the default): the attachment list is consulted first;\n"
    "                           0: last, after the white list and the other lists\n"
    "Rule lines that cannot be read are reported on standard error and skipped. A message\n"
    "file that cannot be read is reported there too; the exit code is then 1. A message on\n"
    "which the rules spend their time budget is judged by the rules that ran before, and\n"
    "standard error names the rule that spent it (\">TIMEOUT:\").\n";

struct TVerdictOptions {
    std::string Folder; // CP932
    bool PrecheckAttach = true;
    std::vector<std::string> Files;
};

// False, with the complaint written, when the arguments do not fit.
bool ReadOptions(const TToolArgs& args, TVerdictOptions& options, std::ostream& err) {
    bool haveFolder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--folder" && arg != "--precheck-attach") {
            options.Files.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            err << "marrowby-tool verdict: " << arg << " needs a value\n";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--folder") {
            // Paths inside the system are CP932; the command line gives UTF-8.
            options.Folder = platform::Utf8ToCp932(value);
            haveFolder = true;
        } else if (value == "0" || value == "1") {
            options.PrecheckAttach = value == "1";
        } else {
            err << "marrowby-tool verdict: --precheck-attach takes 0 or 1, not \"" << value
                << "\"\n";
            return false;
        }
    }
    if (options.Files.empty()) {
        err << "marrowby-tool verdict: no file given\n";
        return false;
    }
    return haveFolder || DefaultToolFolder("verdict", options.Folder, err);
}

} // namespace

int CmdVerdict(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TVerdictOptions options;
    if (!ReadOptions(args, options, err)) {
        err << "\n" << kHelp;
        return 2;
    }
    TMessageFilterSet lists;
    lists.SetFolder(options.Folder);
    for (const TRuleLineError& skipped : lists.Load())
        err << "marrowby-tool verdict: skipped rule line "
            << platform::Cp932ToUtf8(FormatRuleLineError(skipped)) << "\n";
    // The learning step as the gateway takes it, when something was learned here.
    TLearnFilter learn;
    bool learning = platform::FileExists(platform::IncludeTrailingSeparator(options.Folder) +
                                         TLearnFilter::FileName) &&
                    learn.Open(options.Folder);
    ReportLearnNotices("verdict", learn, err);
    int status = 0;
    TMultipartMessage message;
    for (const std::string& file : options.Files) {
        if (!message.LoadFromFile(platform::Utf8ToCp932(file))) {
            err << "marrowby-tool verdict: cannot read " << file << "\n";
            status = 1;
            continue;
        }
        std::string comment;
        TVerdictBudget budget;
        bool reject = FilterVerdict(lists, options.PrecheckAttach, comment, &message, &budget,
                                    learning ? &learn : nullptr);
        out << file << '\t' << (reject ? "reject" : "accept") << '\t'
            << platform::Cp932ToUtf8(comment) << "\n";
        if (budget.Spent)
            err << "marrowby-tool verdict: " << file << ": "
                << platform::Cp932ToUtf8(VerdictTimeoutLine(budget.RanOut)) << "\n";
    }
    return status;
}
