// marrowby-tool score --folder DIR FILE...: the learning filter's score of
// each message file, with the tokens that decided it.
#include "learn/learnfilter.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/learnaccess.h"
#include "tools/options.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "score";
constexpr std::size_t kShownClues = 10;

constexpr std::string_view kHelp =
    "Usage: marrowby-tool score [--folder DIR] FILE...\n"
    "Scores each message file with the learning filter of the program folder DIR (its\n"
    "DIR/learn.db) and prints one line per file: the file, a tab, the score from 0 (ham)\n"
    "to 1 (spam), a tab and the ten strongest tokens, each as token=belief (UTF-8). A\n"
    "token's prefix tells where it stood: s: subject, f: sender, fd: sender's domain,\n"
    "rh: and ra: Received host and address, xm: mailer, ct: and cs: media type and\n"
    "charset, fn: file name, url: host of a URL, none: text.\n"
    "The gateway rejects at 0.9 and marks 0.5 and more as unsure, by default, once 50\n"
    "messages of each class are learned. Changes nothing. A file that cannot be read is\n"
    "reported on standard error; the exit code is then 1.\n";

std::string Belief(double p) {
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", p);
    return text;
}

} // namespace

int CmdScore(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    if (!ParseToolOptions(args, {"--folder"}, {}, options, error) || options.Operands.empty()) {
        err << "marrowby-tool score: " << (error.empty() ? "no file given" : error) << "\n\n"
            << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    const std::string path = platform::IncludeTrailingSeparator(folder) + TLearnFilter::FileName;
    if (!platform::FileExists(path)) {
        err << "marrowby-tool score: nothing learned yet: " << platform::Cp932ToUtf8(path)
            << " is missing\n";
        return 1;
    }
    TLearnFilter filter;
    bool opened = filter.Open(folder);
    ReportLearnNotices(kCommand, filter, err);
    if (!opened) return 1;
    int status = 0;
    TMultipartMessage message;
    for (const std::string& file : options.Operands) {
        if (!message.LoadFromFile(platform::Utf8ToCp932(file))) {
            err << "marrowby-tool score: cannot read " << file << "\n";
            status = 1;
            continue;
        }
        std::optional<TLearnScore> score = filter.Score(message, true);
        ReportLearnNotices(kCommand, filter, err);
        if (!score) {
            status = 1;
            continue;
        }
        out << file << '\t' << Belief(score->Score) << '\t';
        for (std::size_t i = 0; i < score->Clues.size() && i < kShownClues; ++i)
            out << (i ? " " : "") << platform::Cp932ToUtf8(score->Clues[i].Token) << "="
                << Belief(score->Clues[i].Probability);
        out << "\n";
    }
    return status;
}
