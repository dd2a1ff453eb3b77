#include "filter/messagefilterip.h"

#include "foundation/csvline.h"
#include "message/multipartmessage.h"
#include "platform/inetaddr.h"

TMessageFilterIP::TMessageFilterIP(TMessageFilters* owner, std::uint32_t network,
                                   std::uint32_t netmask)
    : TMessageFilter(owner), FNetwork(network), FNetmask(netmask) {}

TMessageFilterIP::TMessageFilterIP(TMessageFilters* owner, std::string_view network,
                                   std::string_view netmask)
    : TMessageFilterIP(owner, platform::InetAddr(network), platform::InetAddr(netmask)) {}

std::unique_ptr<TMessageFilterIP> TMessageFilterIP::FromLine(TMessageFilters* owner,
                                                             std::string_view line) {
    std::vector<std::string> fields = CSVLineRead(line);
    if (fields.size() < 2) return nullptr;
    return std::make_unique<TMessageFilterIP>(owner, std::string_view(fields[0]),
                                              std::string_view(fields[1]));
}

void TMessageFilterIP::Assign(const TMessageFilter& source) {
    TMessageFilter::Assign(source);
    auto* ip = dynamic_cast<const TMessageFilterIP*>(&source);
    if (ip == nullptr) return;
    FNetwork = ip->FNetwork;
    FNetmask = ip->FNetmask;
}

std::string TMessageFilterIP::GetCSV() const {
    return CSVLineWrite({GetNetworkIP(), GetNetmaskIP()});
}

bool TMessageFilterIP::Check(TMultipartMessage* message) {
    if (message == nullptr) return false;
    for (int i = 0; i < message->GetCountReceived(); ++i)
        if (((message->GetReceived(i).AddressValue ^ FNetwork) & FNetmask) == 0) return true;
    return false;
}

std::string TMessageFilterIP::GetNetworkIP() const {
    return platform::InetNtoa(FNetwork);
}

std::string TMessageFilterIP::GetNetmaskIP() const {
    return platform::InetNtoa(FNetmask);
}

void TMessageFilterIP::SetNetworkIP(std::string_view text) {
    FNetwork = platform::InetAddr(text);
}

void TMessageFilterIP::SetNetmaskIP(std::string_view text) {
    FNetmask = platform::InetAddr(text);
}
