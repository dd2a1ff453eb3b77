// Feeds any bytes to the transfer decoders, the charset detection and the
// Japanese charset conversion: they must never crash, hang or read outside their input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/base64dec.h"
#include "foundation/charsetdetect.h"
#include "foundation/japancode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    TBase64Decode base64;
    base64.Create(text);
    TQPrintDecode qprint;
    qprint.Create(text);
    TJapanCode code;
    code.Convert(text);
    code.JIS2SJIS(text);
    code.EUC2SJIS(text);
    code.ConvertEncoding(text, "utf-8");
    code.ConvertEncoding(text, DetectCharset(text));
    return 0;
}
