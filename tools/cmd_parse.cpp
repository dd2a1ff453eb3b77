// marrowby-tool parse FILE...: each message file parsed as the gateway parses
// downloaded mail, printed as one JSON object per line.
#include <cstdio>

#include "message/multipartmessage.h"
#include "platform/text.h"
#include "tools/commands.h"
#include "tools/json.h"

namespace {

constexpr std::string_view kHelp =
    "Usage: marrowby-tool parse FILE...\n"
    "Parses each message file (raw mail with CR LF line ends, as the gateway stores it)\n"
    "as the gateway parses downloaded mail (undecoded bodies kept) and prints one JSON\n"
    "object per file and line (JSON Lines), with the keys:\n"
    "  file, size            the path as given and the bytes parsed (up to a NUL byte)\n"
    "  subject, from, return_path, mailer\n"
    "                        decoded header values (mailer keeps the colon after X-Mailer)\n"
    "  sent                  the Date header as local time, \"yyyy/mm/dd hh:nn:ss\"\n"
    "                        (the time of parsing when there is no readable date)\n"
    "  received              the Received hops, oldest first: address, computer, host, date\n"
    "  parts                 the part tree in pre-order: depth (root 0), kind (0 multipart,\n"
    "                        1 message, 2 text, 3 binary), mime_type, name, file_name,\n"
    "                        charset, body_bytes, stream_bytes\n"
    "Texts are converted from Shift_JIS (CP932) to UTF-8. A file that cannot be read is\n"
    "reported on standard error and the others still print; the exit code is then 1.\n";

std::string Text(std::string_view cp932) {
    return platform::Cp932ToUtf8(cp932);
}

std::string DateText(TDateTime value) {
    TDateTimeFields f = DecodeDateTime(value);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", f.Year, f.Month, f.Day, f.Hour,
                  f.Minute, f.Second);
    return buf;
}

std::string HopsJson(const TMultipartMessage& message) {
    TJsonArray hops;
    for (int i = 0; i < message.GetCountReceived(); ++i) {
        const TReceivedItem& hop = message.GetReceived(i);
        hops.Append(TJsonObject()
                        .Add("address", Text(hop.Address))
                        .Add("computer", Text(hop.ComputerName))
                        .Add("host", Text(hop.Host))
                        .Add("date", DateText(hop.Date))
                        .Str());
    }
    return hops.Str();
}

void AppendParts(const TMultipartItem& part, TJsonArray& parts) {
    parts.Append(
        TJsonObject()
            .Add("depth", std::int64_t{part.GetDepth()})
            .Add("kind", std::int64_t{part.Kind})
            .Add("mime_type", Text(part.MimeType))
            .Add("name", Text(part.Name))
            .Add("file_name", Text(part.FileName))
            .Add("charset", Text(part.Charset))
            .Add("body_bytes", static_cast<std::int64_t>(part.Body.size()))
            .Add("stream_bytes", static_cast<std::int64_t>(part.Stream ? part.Stream->size() : 0))
            .Str());
    for (int i = 0; i < part.GetCount(); ++i)
        AppendParts(*part.GetParts(i), parts);
}

std::string MessageJson(const std::string& file, const TMultipartMessage& message) {
    TJsonArray parts;
    AppendParts(message.GetRoot(), parts);
    return TJsonObject()
        .Add("file", file)
        .Add("size", std::int64_t{message.Size})
        .Add("subject", Text(message.Subject))
        .Add("from", Text(message.From))
        .Add("return_path", Text(message.ReturnPath))
        .Add("mailer", Text(message.Mailer))
        .Add("sent", DateText(message.SentDate))
        .AddRaw("received", HopsJson(message))
        .AddRaw("parts", parts.Str())
        .Str();
}

} // namespace

int CmdParse(const TToolArgs& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    if (args.empty()) {
        err << "marrowby-tool parse: no file given\n\n" << kHelp;
        return 2;
    }
    int status = 0;
    TMultipartMessage message;
    message.SetKeep(true); // as on the download path
    for (const std::string& file : args) {
        // Paths inside the system are CP932; the command line gives UTF-8.
        if (!message.LoadFromFile(platform::Utf8ToCp932(file))) {
            err << "marrowby-tool parse: cannot read " << file << "\n";
            status = 1;
            continue;
        }
        out << MessageJson(file, message) << "\n";
    }
    return status;
}
