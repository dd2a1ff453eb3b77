#pragma once
// The text of an HTML part as its reader sees it, for the tokenizer: comments
// and tags removed (the host of every URL in a tag added as a token), the
// contents of script and style elements dropped, character references read as
// a blank (the common named ones as their character). Block elements (br, p,
// div, table cells...) part words; other tags stand between letters of one
// word, as spam writes "fr<b></b>ee". One pass over the text, each byte
// looked at a bounded number of times.
#include <string>
#include <string_view>

class TTokenSet;

std::string HtmlText(std::string_view html, TTokenSet& tokens);
