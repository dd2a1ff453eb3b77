#pragma once
// One hop of a message's delivery trace: a Received header value split into
// its route and its date, with the sender's names, address and local date.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/datetime.h"

class TReceivedItem {
public:
    // The raw header value, line breaks and leading blanks included.
    explicit TReceivedItem(std::string_view value);

    void SetReceivedPath(std::string_view text);
    // False when the date cannot stand (see ParseINetDateTime); the hop is then invalid.
    bool SetReceivedDate(std::string_view text);
    void SetReceivedFrom(std::string_view text);
    void SetHost(std::string_view text);
    void SetAddress(std::string_view text);

    // False when the date could not stand: such a hop is left out of the trace.
    bool Valid() const { return FValid; }

    // A mail date as local time. An unreadable date gives the current time;
    // nothing is returned for a date that cannot stand: a zone offset of 24
    // hours or more or 60 minutes or more, or an impossible twelve-hour time.
    static std::optional<TDateTime> ParseINetDateTime(std::string_view text);

    std::string ReceivedPath;
    std::string ReceivedDate;
    std::string ReceivedFrom;
    std::string By;
    std::string With;
    std::string ComputerName;
    std::string Host;
    std::string Address;
    std::uint32_t AddressValue = 0xFFFFFFFF;
    TDateTime Date = 0;

private:
    bool FValid = true;
};
