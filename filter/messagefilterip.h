#pragma once
// Address rule: a network and a mask tested against the numeric address of
// every Received hop.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "filter/messagefilters.h"

class TMessageFilterIP : public TMessageFilter {
public:
    // Numbers in host order (first octet in the most significant byte).
    TMessageFilterIP(TMessageFilters* owner, std::uint32_t network, std::uint32_t netmask);
    // Dotted quads; a text that does not parse gives 255.255.255.255.
    TMessageFilterIP(TMessageFilters* owner, std::string_view network, std::string_view netmask);
    // From the rule line "network,netmask"; null when it has fewer than two fields.
    static std::unique_ptr<TMessageFilterIP> FromLine(TMessageFilters* owner,
                                                      std::string_view line);

    void Assign(const TMessageFilter& source) override;
    std::string GetCSV() const override;
    // A hop matches when (address XOR network) AND netmask is 0.
    bool Check(TMultipartMessage* message) override;

    std::uint32_t GetNetwork() const { return FNetwork; }
    std::uint32_t GetNetmask() const { return FNetmask; }
    std::string GetNetworkIP() const;
    std::string GetNetmaskIP() const;
    void SetNetworkIP(std::string_view text);
    void SetNetmaskIP(std::string_view text);

private:
    std::uint32_t FNetwork;
    std::uint32_t FNetmask;
};
