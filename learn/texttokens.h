#pragma once
// Splits decoded CP932 text into the tokens the learning filter counts, in one
// pass over the bytes:
// - ASCII words (letters and digits, with inner . - _ ' and a leading $), as
//   they stand: capitals tell (Dear Friend, FREE!), and on the SpamAssassin
//   corpus keeping them missed a quarter less spam at the same false
//   positives. A word in capitals alone is taken in small letters, so that
//   mail written all in capitals is read as its words. Full-width Latin
//   letters and digits count as ASCII.
//   Numbers alone and single letters are left out; a word longer than
//   learnlimits::MaxWordBytes becomes "skip:" + its first letter + its length
//   in tens ("skip:a30"), so base64 and hashes count as what they are without their bytes.
// - Japanese text (double-byte characters and half-width katakana, without
//   punctuation) in character bigrams: every two neighbouring characters of a
//   run, or the single character of a run of one. Japanese has no blanks
//   between words, and bigrams find its words without a dictionary.
// - URLs (http:// and https://) as "url:" + the host name in small letters;
//   the rest of the URL is passed over.
// Every token gets the prefix, which tells where in the message it stood.
#include <string_view>

class TTokenSet;

void TokenizeText(std::string_view text, std::string_view prefix, TTokenSet& tokens);

// Adds "url:" + host for the URL whose "scheme://" starts at text[start] and
// returns the index past the URL; returns start when no URL starts there.
std::size_t TokenizeUrl(std::string_view text, std::size_t start, TTokenSet& tokens);
