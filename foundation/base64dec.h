#pragma once
// Lenient transfer decoders: they never fail; malformed input yields whatever
// bytes the rules give.
#include <string>
#include <string_view>

// Identity decoder; base of the others.
class TCustomDecode {
public:
    virtual ~TCustomDecode() = default;
    virtual void Create(std::string_view text);
    std::string GetAsString() const { return Data; }

    int Size = 0;     // number of decoded bytes
    std::string Data; // the decoded bytes (Data.size() == Size)
};

// base64: stops at the first "=", skips bytes outside the alphabet.
class TBase64Decode : public TCustomDecode {
public:
    void Create(std::string_view text) override;
};

// quoted-printable: removes "=" CR LF, turns "=XX" into the byte.
class TQPrintDecode : public TCustomDecode {
public:
    void Create(std::string_view text) override;
};
