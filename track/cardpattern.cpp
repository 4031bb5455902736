#include "track/cardpattern.h"

#include <cstring>

namespace CardPattern {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char lowerChar(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The field at pattern[at] ("{Y}" ...): its name and the index past it; empty when none.
std::string field(const std::string &pattern, std::size_t at, std::size_t *next)
{
    if (pattern[at] != '{')
        return {};
    const std::size_t close = pattern.find('}', at);
    if (close == std::string::npos)
        return {};
    *next = close + 1;
    return pattern.substr(at + 1, close - at - 1);
}

bool validTime(const Match &m)
{
    return m.month >= 1 && m.month <= 12 && m.day >= 1 && m.day <= 31 && m.hour <= 23 && m.minute <= 59 &&
           m.second <= 59;
}

int number(const std::string &s, std::size_t at, std::size_t count)
{
    int v = 0;
    for (std::size_t i = at; i < at + count; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

struct Matcher {
    const std::string &pattern;
    const std::string &stem;
    const CardRules::NameRule &rule;
    int depth = 0;

    bool run(std::size_t pi, std::size_t si, Match m, Match *out)
    {
        if (pi == pattern.size()) {
            if (si != stem.size() || (m.hasTime && !validTime(m)))
                return false;
            *out = m;
            return true;
        }
        // Patterns are a line of a rule file; a pathological one must not run for ever.
        if (++depth > 20000)
            return false;
        std::size_t next = 0;
        const std::string f = field(pattern, pi, &next);
        if (f.empty()) {
            return si < stem.size() && lowerChar(pattern[pi]) == stem[si] && run(pi + 1, si + 1, m, out);
        }
        const std::size_t left = stem.size() - si;
        auto fixed = [&](std::size_t count, int *slot) {
            if (left < count)
                return false;
            for (std::size_t i = si; i < si + count; ++i)
                if (!isDigit(stem[i]))
                    return false;
            *slot = number(stem, si, count);
            m.hasTime = true;
            return run(next, si + count, m, out);
        };
        if (f == "Y")
            return fixed(4, &m.year);
        if (f == "M")
            return fixed(2, &m.month);
        if (f == "D")
            return fixed(2, &m.day);
        if (f == "h")
            return fixed(2, &m.hour);
        if (f == "m")
            return fixed(2, &m.minute);
        if (f == "s")
            return fixed(2, &m.second);
        if (f == "#") {
            std::size_t n = 0;
            while (n < left && isDigit(stem[si + n]))
                ++n;
            for (; n >= 1; --n)
                if (run(next, si + n, m, out))
                    return true;
            return false;
        }
        if (f == "*") {
            for (std::size_t n = 0; n <= left; ++n)
                if (run(next, si + n, m, out))
                    return true;
            return false;
        }
        if (f == "-") {
            if (left > 0 && (stem[si] == '_' || stem[si] == '-' || stem[si] == 't') && run(next, si + 1, m, out))
                return true;
            return run(next, si, m, out);
        }
        const bool optional = f.back() == '?';
        const std::string name = optional ? f.substr(0, f.size() - 1) : f;
        if (name == "kind") {
            for (const auto &[letters, kind] : rule.kinds) {
                if (stem.compare(si, letters.size(), letters) == 0) {
                    Match with = m;
                    with.kind = kind;
                    if (run(next, si + letters.size(), with, out))
                        return true;
                }
            }
        } else {
            for (const auto &[letters, channel] : rule.channels) {
                if (stem.compare(si, letters.size(), letters) == 0) {
                    Match with = m;
                    with.channel = channel;
                    if (run(next, si + letters.size(), with, out))
                        return true;
                }
            }
        }
        return optional && run(next, si, m, out);
    }
};

} // namespace

bool check(const std::string &pattern, bool haveKinds, bool haveChannels, std::string *why)
{
    int timeFields = 0;
    for (std::size_t i = 0; i < pattern.size();) {
        if (pattern[i] == '}') {
            *why = "'}' without '{' in the pattern";
            return false;
        }
        if (pattern[i] != '{') {
            ++i;
            continue;
        }
        std::size_t next = 0;
        const std::string f = field(pattern, i, &next);
        if (next == 0) {
            *why = "'{' without '}' in the pattern";
            return false;
        }
        static const char *const known[] = {"Y", "M", "D", "h", "m", "s", "#", "*", "-",
                                            "kind", "kind?", "channel", "channel?"};
        bool ok = false;
        for (const char *k : known)
            ok = ok || f == k;
        if (!ok) {
            *why = "unknown field {" + f + "}";
            return false;
        }
        if (f.size() == 1 && std::strchr("YMDhms", f[0]))
            ++timeFields;
        if (f.rfind("kind", 0) == 0 && !haveKinds) {
            *why = "{kind} without kinds=";
            return false;
        }
        if (f.rfind("channel", 0) == 0 && !haveChannels) {
            *why = "{channel} without channels=";
            return false;
        }
        i = next;
    }
    if (timeFields != 0 && timeFields != 6) {
        *why = "a date-time needs all of {Y}{M}{D}{h}{m}{s}";
        return false;
    }
    return true;
}

bool match(const std::string &pattern, const std::string &stem, const CardRules::NameRule &rule, Match *out)
{
    if (stem.size() > 255)
        return false; // no file system gives longer names
    Matcher matcher{pattern, stem, rule};
    return matcher.run(0, 0, Match{}, out);
}

} // namespace CardPattern
