#pragma once
// Mail of many kinds for the tests that run whole check sessions: Japanese
// charsets, attachments, nested and embedded parts, dot lines, a message
// over the size limit and a few that the corpus's rule files reject.
#include <string>
#include <vector>

class TDovecotServer;

struct TCorpusMessage {
    std::string Text;      // CR LF lines, the last line ended
    bool Rejected = false; // a rule of RuleFiles() sends it to the trash
    bool TooLarge = false; // over the default limit of 2048 KB
};

std::vector<TCorpusMessage> ReceiveCorpus();

// The rule files under "cgi" that reject the corpus's spam: name, content.
std::vector<std::pair<std::string, std::string>> RuleFiles();

// A message as Python's poplib hands it out (and popfetch.py writes it): its
// last line end gone, nothing else changed. The gateway stores it whole.
std::string FetchedForm(const std::string& text);

// Starts the server with the corpus in the maildir of user "bob" (password
// "secret"); false with the reason when it does not come up.
bool ServeCorpus(TDovecotServer& server, const std::vector<TCorpusMessage>& corpus,
                 std::string& error);
