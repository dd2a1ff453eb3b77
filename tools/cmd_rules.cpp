// marrowby-tool rules: lists, adds and removes the rules of the nine filter
// lists of a program folder, with the fields and checks of the filter dialog.
#include <algorithm>
#include <array>
#include <charconv>

#include "filter/filterrowtext.h"
#include "filter/filterset.h"
#include "filter/messagefilterattach.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "filter/ruleinput.h"
#include "platform/file.h"
#include "platform/inetaddr.h"
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/storeaccess.h"

namespace {

constexpr std::string_view kCommand = "rules";

constexpr std::string_view kHelp =
    "Usage: marrowby-tool rules [--folder DIR] [LIST]\n"
    "       marrowby-tool rules [--folder DIR] LIST add FIELD... [OPTION...]\n"
    "       marrowby-tool rules [--folder DIR] LIST remove N\n"
    "DIR is the program folder of the gateway (default: see marrowby-tool --help); the rule\n"
    "files are in DIR/cgi. Without add or remove, prints the rules of LIST, or of all nine\n"
    "lists, one per line: the list, the rule's number and the columns the filter dialog\n"
    "shows, separated by tabs (UTF-8).\n"
    "\n"
    "A downloaded message is judged by the lists in this order; the first rule that\n"
    "matches decides:\n"
    "  attach   first, while the setting 添付ﾌｧｲﾙ検査を最初に行う is on (the default)\n"
    "  white    差出人1   sender1.cgi  accepts mail whose sender matches\n"
    "  black    差出人2   sender2.cgi  rejects mail whose sender matches\n"
    "  subject  件名      subject.cgi  rejects mail with the keyword in the subject\n"
    "  ip       経由IP    ip.cgi       rejects mail that passed a host of the network\n"
    "  host     経由ﾎｽﾄ   host.cgi     rejects mail with the keyword in a Received host name\n"
    "  mailer   ﾒｰﾙｿﾌﾄ    mailer.cgi   rejects mail with the keyword in X-Mailer or X-Library\n"
    "  header   ﾍｯﾀﾞ      header.cgi   rejects mail with the keyword in the named header of\n"
    "                                  any part\n"
    "  body     本文      body.cgi     rejects mail with the keyword in the text of any part\n"
    "  attach   添付ﾌｧｲﾙ  attach.cgi   rejects mail with an attachment of the extension; here\n"
    "                                  while the setting is off\n"
    "No matching rule: the message is accepted.\n"
    "\n"
    "add appends a rule to the list:\n"
    "  white|black add KEYWORD [--regex] [--caseless] [--return-path] [--from]\n"
    "      the keyword is searched in the Return-Path and From headers; --return-path,\n"
    "      --from or both say which must hold it; with neither, either one will do\n"
    "  subject|host|mailer|body add KEYWORD [--regex] [--caseless]\n"
    "  header add NAME KEYWORD [--regex] [--caseless]\n"
    "      NAME is a header name such as X-Spam-Flag; it is a pattern, so X-A|X-B names two\n"
    "  ip add NETWORK [--mask MASK]\n"
    "      dotted quads; the mask defaults to 255.255.255.255, one address\n"
    "  attach add EXTENSION\n"
    "      without its dot, such as exe; names match in any letter case, and an extension\n"
    "      listed already in any letter case is refused\n"
    "  --regex      the keyword is a regular expression (PCRE); otherwise it matches as\n"
    "               written, byte for byte\n"
    "  --caseless   letters match without regard to case\n"
    "A pattern that does not compile would never match: it is refused with exit code 2.\n"
    "remove N takes rule N, as the list shows it, off the list.\n"
    "add and remove refuse to run while Marrowby runs. Exit codes: 0 done, 1 refused or\n"
    "failed, 2 wrong arguments or a field that is not acceptable.\n";

enum class TKind { Sender, Keyword, Address, Header, Attach };

using TNewKeywordRule = std::unique_ptr<TMessageFilter> (*)(TMessageFilters*, bool, bool,
                                                            std::string);

template <class T>
std::unique_ptr<TMessageFilter> NewKeywordRule(TMessageFilters* owner, bool regular, bool caseless,
                                               std::string keyword) {
    return std::make_unique<T>(owner, regular, caseless, std::move(keyword));
}

struct TRuleList {
    std::string_view Name;
    TMessageFilters TMessageFilterSet::*List;
    TKind Kind;
    TNewKeywordRule NewKeyword = nullptr;
};

constexpr std::array<TRuleList, 9> kLists = {{
    {"white", &TMessageFilterSet::MessageFiltersSender1, TKind::Sender},
    {"black", &TMessageFilterSet::MessageFiltersSender2, TKind::Sender},
    {"subject", &TMessageFilterSet::MessageFiltersSubject, TKind::Keyword,
     NewKeywordRule<TMessageFilterSubject>},
    {"ip", &TMessageFilterSet::MessageFiltersIP, TKind::Address},
    {"host", &TMessageFilterSet::MessageFiltersHost, TKind::Keyword,
     NewKeywordRule<TMessageFilterHost>},
    {"mailer", &TMessageFilterSet::MessageFiltersMailer, TKind::Keyword,
     NewKeywordRule<TMessageFilterMailer>},
    {"header", &TMessageFilterSet::MessageFiltersHeader, TKind::Header},
    {"body", &TMessageFilterSet::MessageFiltersBody, TKind::Keyword,
     NewKeywordRule<TMessageFilterBody>},
    {"attach", &TMessageFilterSet::MessageFiltersAttach, TKind::Attach},
}};

const TRuleList* FindList(std::string_view name) {
    auto found = std::find_if(kLists.begin(), kLists.end(),
                              [name](const TRuleList& list) { return list.Name == name; });
    return found == kLists.end() ? nullptr : &*found;
}

// The rule's line of the listing: list, number from 1, the dialog's columns.
std::string ListingLine(const TRuleList& list, int index, const TMessageFilter& filter) {
    std::string line = std::string(list.Name) + "\t" + std::to_string(index + 1);
    for (const std::string& text : FilterRowTexts(filter)) {
        line += '\t';
        line += platform::Cp932ToUtf8(text);
    }
    return line;
}

// A refusal of add or remove: the message and the exit code.
struct TRefusal {
    std::string Message;
    int Status;
};

std::string Quoted(const std::string& cp932) {
    std::string quoted = "\"";
    quoted += platform::Cp932ToUtf8(cp932);
    quoted += '"';
    return quoted;
}

std::optional<TRefusal> PatternRefusal(std::string_view what, const std::string& text,
                                       const std::optional<TPatternError>& error) {
    if (!error) return std::nullopt;
    return TRefusal{std::string(what) + " " + Quoted(text) +
                        " is not a valid regular expression: " + error->Text + " (at character " +
                        std::to_string(error->Offset) + "); the rule would never match",
                    2};
}

std::optional<TRefusal> AddressRefusal(std::string_view what, const std::string& text,
                                       std::uint32_t& address) {
    switch (platform::ReadDottedQuad(text, address)) {
    case platform::TDottedQuad::Valid:
        return std::nullopt;
    case platform::TDottedQuad::NotDottedQuad:
        return TRefusal{
            std::string(what) + " " + Quoted(text) + " is not an address such as 192.168.0.1", 2};
    case platform::TDottedQuad::OctetOutOfRange:
        break;
    }
    return TRefusal{std::string(what) + " " + Quoted(text) + " has a number above 255", 2};
}

// The options and the number of fields of add for each kind.
bool FitsKind(TKind kind, const TToolOptions& options, std::size_t fields) {
    auto only = [&options](std::initializer_list<std::string_view> allowed) {
        for (std::string_view name : {"--regex", "--caseless", "--return-path", "--from", "--mask"})
            if (options.Has(name) &&
                std::find(allowed.begin(), allowed.end(), name) == allowed.end())
                return false;
        return true;
    };
    switch (kind) {
    case TKind::Sender:
        return fields == 1 && only({"--regex", "--caseless", "--return-path", "--from"});
    case TKind::Keyword:
        return fields == 1 && only({"--regex", "--caseless"});
    case TKind::Header:
        return fields == 2 && only({"--regex", "--caseless"});
    case TKind::Address:
        return fields == 1 && only({"--mask"});
    case TKind::Attach:
        return fields == 1 && only({});
    }
    return false;
}

std::optional<TRefusal> AttachRefusal(const TMessageFilters& list, const std::string& extension) {
    if (const TMessageFilterAttach* listed = ListedExtension(list, extension))
        return TRefusal{"the extension " + Quoted(extension) + " is listed already as " +
                            Quoted(listed->GetExtension()),
                        1};
    return PatternRefusal("the extension", extension, ExtensionPatternError(extension));
}

// The new rule of add, or the refusal. fields are CP932.
std::unique_ptr<TMessageFilter> NewRule(const TRuleList& kind, TMessageFilters& list,
                                        const std::vector<std::string>& fields,
                                        const TToolOptions& options,
                                        std::optional<TRefusal>& refusal) {
    for (const std::string& field : fields)
        if (field.empty()) refusal = TRefusal{"a field may not be empty", 2};
    const bool regular = options.Has("--regex"), caseless = options.Has("--caseless");
    const std::string& keyword = fields.back();
    if (!refusal && kind.Kind == TKind::Header)
        refusal = PatternRefusal("the header name", fields[0], HeaderNamePatternError(fields[0]));
    if (!refusal && kind.Kind != TKind::Address && kind.Kind != TKind::Attach)
        refusal =
            PatternRefusal("the keyword", keyword, KeywordPatternError(keyword, regular, caseless));
    if (refusal) return nullptr;
    switch (kind.Kind) {
    case TKind::Sender:
        return std::make_unique<TMessageFilterSender>(
            &list, regular, caseless, keyword, options.Has("--return-path"), options.Has("--from"));
    case TKind::Keyword:
        return kind.NewKeyword(&list, regular, caseless, keyword);
    case TKind::Header:
        return std::make_unique<TMessageFilterHeader>(&list, fields[0], regular, caseless, keyword);
    case TKind::Address: {
        const std::string* mask = options.Value("--mask");
        std::uint32_t network = 0, netmask = 0;
        refusal = AddressRefusal("the network", fields[0], network);
        if (!refusal)
            refusal = AddressRefusal(
                "the mask", mask ? platform::Utf8ToCp932(*mask) : std::string("255.255.255.255"),
                netmask);
        if (refusal) return nullptr;
        return std::make_unique<TMessageFilterIP>(&list, network, netmask);
    }
    case TKind::Attach: {
        const std::string extension = TypedExtension(fields[0]);
        if ((refusal = AttachRefusal(list, extension))) return nullptr;
        return std::make_unique<TMessageFilterAttach>(&list, extension);
    }
    }
    return nullptr;
}

// The rule number of remove (from 1), or 0 when the text is not one.
int RuleNumber(const std::string& text) {
    int number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && number > 0 ? number : 0;
}

int Refuse(std::string_view action, const TRefusal& refusal, std::ostream& err) {
    err << "marrowby-tool rules " << action << ": " << refusal.Message << "\n";
    return refusal.Status;
}

int Save(const TMessageFilters& list, std::ostream& err) {
    std::string reason;
    if (list.Save(&reason)) return 0;
    err << "marrowby-tool rules: cannot save " << platform::NativePath(list.Path) << ": " << reason
        << "\n";
    return 1;
}

int Remove(const TRuleList& kind, TMessageFilters& list, const std::vector<std::string>& ops,
           std::ostream& out, std::ostream& err) {
    const int number = ops.size() == 3 ? RuleNumber(ops[2]) : 0;
    if (number == 0) {
        err << "marrowby-tool rules remove: give the number of one rule\n\n" << kHelp;
        return 2;
    }
    if (number > list.Count())
        return Refuse("remove",
                      {"the list " + std::string(kind.Name) + " has no rule " + ops[2] +
                           " (it has " + std::to_string(list.Count()) + ")",
                       1},
                      err);
    const std::string removed = ListingLine(kind, number - 1, *list.Items(number - 1));
    list.Delete(number - 1);
    if (int status = Save(list, err)) return status;
    out << removed << "\n";
    return 0;
}

int Add(const TRuleList& kind, TMessageFilters& list, const std::vector<std::string>& ops,
        const TToolOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<std::string> fields;
    for (std::size_t i = 2; i < ops.size(); ++i)
        fields.push_back(platform::Utf8ToCp932(ops[i]));
    if (!FitsKind(kind.Kind, options, fields.size())) {
        err << "marrowby-tool rules " << kind.Name << " add: wrong fields or options\n\n" << kHelp;
        return 2;
    }
    std::optional<TRefusal> refusal;
    std::unique_ptr<TMessageFilter> rule = NewRule(kind, list, fields, options, refusal);
    if (!rule) return Refuse("add", *refusal, err);
    const TMessageFilter* added = list.Add(std::move(rule));
    const std::string cgi = platform::ExtractFilePath(list.Path);
    if (!platform::ForceDirectories(cgi)) {
        err << "marrowby-tool rules: cannot make the folder " << platform::NativePath(cgi) << "\n";
        return 1;
    }
    if (int status = Save(list, err)) return status;
    out << ListingLine(kind, list.Count() - 1, *added) << "\n";
    return 0;
}

// add or remove on one list, whose file must load whole: a line it cannot
// read would be lost when the file is written again.
int Change(const TRuleList& kind, TMessageFilters& list, const std::vector<std::string>& skipped,
           const std::vector<std::string>& ops, const TToolOptions& options, std::ostream& out,
           std::ostream& err) {
    if (!skipped.empty()) {
        for (const std::string& line : skipped)
            err << "marrowby-tool rules: cannot read the rule line " << line << "\n";
        err << "marrowby-tool rules: correct or remove these lines first; writing the file "
               "would drop them\n";
        return 1;
    }
    return ops[1] == "remove" ? Remove(kind, list, ops, out, err)
                              : Add(kind, list, ops, options, out, err);
}

} // namespace

int CmdRules(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    TToolOptions options;
    std::string error, folder;
    if (!ParseToolOptions(args, {"--folder", "--mask"},
                          {"--regex", "--caseless", "--return-path", "--from"}, options, error)) {
        err << "marrowby-tool rules: " << error << "\n\n" << kHelp;
        return 2;
    }
    const auto& ops = options.Operands;
    const TRuleList* kind = ops.empty() ? nullptr : FindList(ops[0]);
    const bool change = ops.size() >= 2 && (ops[1] == "add" || ops[1] == "remove");
    if ((!ops.empty() && !kind) || (ops.size() >= 2 && !change)) {
        err << "marrowby-tool rules: unexpected arguments\n\n" << kHelp;
        return 2;
    }
    const bool add = change && ops[1] == "add";
    if (!add && (options.Has("--mask") || !options.Switches.empty())) {
        err << "marrowby-tool rules: options belong to add\n\n" << kHelp;
        return 2;
    }
    if (!ProgramFolderOption(kCommand, options, folder, err)) return 2;
    std::unique_ptr<TInstanceLock> lock;
    if (change && !(lock = LockStores(kCommand, err))) return 1;

    TMessageFilterSet lists;
    lists.SetFolder(folder);
    std::vector<std::string> skipped;
    for (const TRuleList& each : kLists) {
        if (kind && kind != &each) continue;
        for (const TRuleLineError& line : (lists.*each.List).Load())
            skipped.push_back(platform::Cp932ToUtf8(FormatRuleLineError(line)));
    }
    if (change) return Change(*kind, lists.*kind->List, skipped, ops, options, out, err);
    for (const std::string& line : skipped)
        err << "marrowby-tool rules: skipped rule line " << line << "\n";
    for (const TRuleList& each : kLists) {
        if (kind && kind != &each) continue;
        const TMessageFilters& list = lists.*each.List;
        for (int i = 0; i < list.Count(); ++i)
            out << ListingLine(each, i, *list.Items(i)) << "\n";
    }
    return 0;
}
