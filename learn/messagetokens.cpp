#include "learn/messagetokens.h"

#include <algorithm>

#include "learn/htmltext.h"
#include "learn/learnlimits.h"
#include "learn/texttokens.h"
#include "learn/tokenset.h"
#include "message/multipartmessage.h"
#include "platform/text.h"

namespace {

class TMessageReader {
public:
    explicit TMessageReader(TTokenSet& tokens) : FTokens(tokens) {}

    void Headers(const TMultipartMessage& message);
    void HeaderLines(std::string_view header);
    void Parts(const TMultipartItem& root);

private:
    // Tokenizes as much of the text as the budget of the message leaves.
    void Text(std::string_view text, std::string_view prefix);
    void Part(const TMultipartItem& part);
    void Name(std::string_view prefix, std::string_view value);
    void Address(std::string_view address);

    TTokenSet& FTokens;
    std::size_t FBudget = learnlimits::MaxTextBytes;
};

void TMessageReader::Text(std::string_view text, std::string_view prefix) {
    text = text.substr(0, FBudget);
    FBudget -= text.size();
    TokenizeText(text, prefix, FTokens);
}

// A name compared without regard to case (host, domain, media type), bounded.
void TMessageReader::Name(std::string_view prefix, std::string_view value) {
    if (value.empty() || value.size() > learnlimits::MaxHostBytes) return;
    FTokens.Add(prefix, platform::LowerCase(value));
}

// The address and its /24 network: senders move within their networks. (A /16
// is too wide: it made wanted mail from a provider's other customers spam.)
void TMessageReader::Address(std::string_view address) {
    if (address.empty() || address.starts_with("127.")) return;
    Name("ra:", address);
    std::size_t third = address.rfind('.');
    if (third != std::string_view::npos) Name("ra:", address.substr(0, third));
}

// The name of every header line: which headers a message has tells much
// about the program that sent it (mailing lists, bulk mailers). The words of
// the Received headers ("rc:") as well: the relays, their software and the
// names they were greeted with, beyond the host and address of each hop.
void TMessageReader::HeaderLines(std::string_view header) {
    bool inReceived = false;
    for (std::size_t line = 0; line < header.size();) {
        std::size_t end = header.find('\n', line);
        if (end == std::string_view::npos) end = header.size();
        std::string_view text = header.substr(line, end - line);
        std::size_t colon = text.find(':');
        if (!text.empty() && text[0] != ' ' && text[0] != '\t' && colon != std::string_view::npos) {
            Name("h:", text.substr(0, colon));
            inReceived = platform::SameText(text.substr(0, colon), "Received");
            if (inReceived) Text(text.substr(colon + 1), "rc:");
        } else if (inReceived) {
            Text(text, "rc:");
        }
        line = end + 1;
    }
}

void TMessageReader::Headers(const TMultipartMessage& message) {
    HeaderLines(message.GetRoot().Header);
    Text(message.Subject, "s:");
    Text(message.From, "f:");
    std::string_view from = message.From;
    std::size_t at = from.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view domain = from.substr(at + 1);
        Name("fd:", domain.substr(0, domain.find_first_of("> \t\r\n\")")));
    }
    for (int i = 0; i < message.GetCountReceived(); ++i) {
        const TReceivedItem& hop = message.GetReceived(i);
        Name("rh:", hop.Host.substr(0, hop.Host.find_first_of(" \t\r\n")));
        Address(hop.Address);
    }
    Text(message.Mailer, "xm:");
}

void TMessageReader::Part(const TMultipartItem& part) {
    Name("ct:", part.MimeType);
    Name("cs:", part.Charset);
    if (!part.FileName.empty()) Text(part.FileName, "fn:");
    if (part.Kind != TMultipartItem::KindText || FBudget == 0) return;
    if (platform::SameText(part.MimeType, "text/html")) {
        std::string_view html = std::string_view(part.Body).substr(0, FBudget);
        FBudget -= html.size();
        TokenizeText(HtmlText(html, FTokens), "", FTokens);
    } else {
        Text(part.Body, "");
    }
}

// Every part in tree order, without recursion (the tree may be deep).
void TMessageReader::Parts(const TMultipartItem& root) {
    std::vector<const TMultipartItem*> pending{&root};
    while (!pending.empty() && !FTokens.Full()) {
        const TMultipartItem* part = pending.back();
        pending.pop_back();
        Part(*part);
        for (int i = part->GetCount() - 1; i >= 0; --i)
            pending.push_back(part->GetParts(i));
    }
}

} // namespace

TMessageTokens MessageTokens(const TMultipartMessage& message, bool keepTexts) {
    TTokenSet tokens(keepTexts);
    TMessageReader reader(tokens);
    reader.Headers(message);
    reader.Parts(message.GetRoot());
    return tokens.Take();
}
