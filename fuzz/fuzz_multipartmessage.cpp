// libFuzzer target: any bytes as a whole message. The first byte picks Keep,
// and one message object is reused, as the gateway reuses its holders.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "message/multipartmessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TMultipartMessage message;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    message.SetKeep(!text.empty() && (text[0] & 1));
    message.Create(text);
    TMultipartItem& root = message.GetRoot();
    (void)root.MakeMessage(true);
    if (root.Select("Content-Type|X-Mailer|X-Library") > 0) root.DecodeResult(false);
    root.FreeResult();
    return 0;
}
