#pragma once
// The six small images of the message list and the part tree, drawn at run
// time: 0 text, 1 HTML text, 2 binary, 3 binary flagged by the attachment
// filters, 4 multipart container, 5 embedded message.
#include <QIcon>
#include <cstdint>
#include <string_view>

enum TListImage {
    ImageText = 0,
    ImageHtml = 1,
    ImageBinary = 2,
    ImageFlagged = 3,
    ImageMultipart = 4,
    ImageMessage = 5,
    ImageCount
};

const QIcon& ListImage(int index);
// The image of a message list row from its root part's kind and type.
int RowImageIndex(std::int8_t kind, std::string_view mimeType);
