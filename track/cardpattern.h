#pragma once
// The patterns of the card rules' name lines (see track/cardrules.txt): a file name's stem
// against "{Y}{M}{D}_{h}{m}{s}_{kind}{channel}" and the like. Backtracking over a few
// dozen characters; no regular expressions, which cost too much over thousands of names.
#include <optional>
#include <string>

#include "track/cardrules.h"

namespace CardPattern {

struct Match {
    bool hasTime = false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::optional<CardKind> kind;
    std::optional<CardChannel> channel;
};

// Whether pattern is well formed, its {kind}/{channel} have letters to go with them, and it
// holds either all of {Y}{M}{D}{h}{m}{s} or none; *why says what is wrong.
bool check(const std::string &pattern, bool haveKinds, bool haveChannels, std::string *why);
// stem (lower case) against pattern, with rule's letters; the time must be a real one.
bool match(const std::string &pattern, const std::string &stem, const CardRules::NameRule &rule, Match *out);

} // namespace CardPattern
