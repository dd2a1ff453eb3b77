#include "message/multipartmessage.h"

#include <algorithm>
#include <limits>

#include "message/limits.h"
#include "platform/file.h"

TMultipartMessage::TMultipartMessage() : FRoot(std::make_unique<TMultipartItem>()) {}

TMultipartMessage::~TMultipartMessage() = default;

void TMultipartMessage::Create(std::string_view text) {
    Size = static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
    FRoot->SetText(text);
    Subject = DecodedHeader("Subject");
    ReturnPath = DecodedHeader("Return-Path");
    From = DecodedHeader("From");
    // The name is a pattern fragment: an X-Mailer value keeps the colon after the name.
    Mailer = DecodedHeader("X-Mailer|X-Library");

    SentDate = Now();
    FRoot->FreeResult();
    if (FRoot->Select("Date") > 0)
        SentDate = TReceivedItem::ParseINetDateTime(FRoot->Results[0]).value_or(SentDate);
    FRoot->FreeResult();
    CreateReceived();
}

std::string TMultipartMessage::DecodedHeader(std::string_view name) {
    std::string value;
    FRoot->FreeResult();
    if (FRoot->Select(name) > 0) {
        FRoot->DecodeResult(true);
        value = FRoot->Results[0];
    }
    FRoot->FreeResult();
    return value;
}

void TMultipartMessage::CreateReceived() {
    FReceived.clear();
    FRoot->FreeResult();
    FRoot->Select("Received");
    // The newest hops stand first in the header; past the bound the oldest are dropped.
    int count = std::min(FRoot->Results.GetCount(), msglimits::MaxReceivedHops);
    for (int i = 0; i < count; ++i) {
        auto hop = std::make_unique<TReceivedItem>(FRoot->Results[i]);
        if (hop->Valid()) FReceived.push_back(std::move(hop));
    }
    std::reverse(FReceived.begin(), FReceived.end());
    FRoot->FreeResult();
}

bool TMultipartMessage::LoadFromFile(std::string_view path) {
    Path = path;
    std::optional<std::string> text = platform::ReadFile(path);
    std::string_view content = text ? std::string_view(*text) : std::string_view();
    Create(content.substr(0, content.find('\0')));
    return text.has_value();
}
