#include "learn/htmltext.h"

#include <array>

#include "learn/texttokens.h"
#include "learn/tokenset.h"

namespace {

constexpr std::size_t npos = std::string_view::npos;

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsNameByte(char c) {
    c = Lower(c);
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The element name of a tag's text ("/TD x=1" gives "td"), at most 10 bytes.
std::string TagName(std::string_view tag) {
    std::size_t i = tag.starts_with('/') ? 1 : 0;
    std::string name;
    for (; i < tag.size() && name.size() < 10 && IsNameByte(tag[i]); ++i)
        name.push_back(Lower(tag[i]));
    return name;
}

bool IsBlockElement(std::string_view name) {
    static constexpr std::array<std::string_view, 20> kBlocks = {
        "br", "p",  "div", "td", "th", "tr",    "li",    "table", "hr", "h1",
        "h2", "h3", "h4",  "h5", "h6", "title", "tbody", "ul",    "ol", "blockquote"};
    for (std::string_view block : kBlocks)
        if (name == block) return true;
    return false;
}

// The index of "</" + name in any letter case at or after from, else npos.
std::size_t FindClosing(std::string_view html, std::size_t from, std::string_view name) {
    for (std::size_t i = html.find("</", from); i != npos; i = html.find("</", i + 2)) {
        std::size_t j = 0;
        while (j < name.size() && i + 2 + j < html.size() && Lower(html[i + 2 + j]) == name[j])
            ++j;
        if (j == name.size()) return i;
    }
    return npos;
}

void HarvestUrls(std::string_view tag, TTokenSet& tokens) {
    for (std::size_t i = 0; i < tag.size();) {
        std::size_t past = (tag[i] == 'h' || tag[i] == 'H') ? TokenizeUrl(tag, i, tokens) : i;
        i = past == i ? i + 1 : past;
    }
}

// The character of a named reference, or a blank for every other one.
char ReferenceChar(std::string_view name) {
    if (name == "amp") return '&';
    if (name == "lt") return '<';
    if (name == "gt") return '>';
    if (name == "quot") return '"';
    return ' ';
}

} // namespace

std::string HtmlText(std::string_view html, TTokenSet& tokens) {
    std::string text;
    text.reserve(html.size());
    std::size_t i = 0;
    while (i < html.size()) {
        char c = html[i];
        if (c == '&') {
            // A reference is short; a lone '&' stays as it is.
            std::size_t end = html.substr(i, 12).find(';');
            if (end == npos) {
                text.push_back(c);
                ++i;
            } else {
                text.push_back(ReferenceChar(html.substr(i + 1, end - 1)));
                i += end + 1;
            }
            continue;
        }
        if (c != '<') {
            text.push_back(c);
            ++i;
            continue;
        }
        if (html.substr(i, 4) == "<!--") {
            std::size_t end = html.find("-->", i + 4);
            i = end == npos ? html.size() : end + 3;
            continue;
        }
        std::size_t end = html.find('>', i + 1);
        if (end == npos) end = html.size();
        std::string_view tag = html.substr(i + 1, end - i - 1);
        HarvestUrls(tag, tokens);
        std::string name = TagName(tag);
        i = end + 1;
        if (!tag.starts_with('/') && (name == "script" || name == "style")) {
            std::size_t closing = FindClosing(html, i, name);
            i = closing == npos ? html.size() : closing;
        }
        if (IsBlockElement(name)) text.push_back(' ');
    }
    return text;
}
