#pragma once
// The tokens the learning filter reads from a parsed message: the decoded
// subject ("s:"), the sender's words ("f:") and domain ("fd:"), each Received
// hop's host ("rh:") and address with its /24 network ("ra:") and the
// words of the Received headers ("rc:"), the names of the headers ("h:"), the
// mailer ("xm:"), each part's media type ("ct:"), charset ("cs:") and file
// name ("fn:"), and the decoded text of every text part (HTML as its text,
// URLs as "url:" + host). The text read is bounded by learnlimits::MaxTextBytes
// and the tokens by learnlimits::MaxTokens, so the work is linear in the
// message and capped whatever its shape.
#include "learn/tokenset.h"

class TMultipartMessage;

// The distinct tokens, their texts too when asked for.
TMessageTokens MessageTokens(const TMultipartMessage& message, bool keepTexts = false);
