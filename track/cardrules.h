#pragma once
// The rule table that says how dash cameras name the files on their cards: which channel
// (front, rear, ...) a file holds, its kind (normal driving, an event the camera locked,
// parking mode, a manual save) and when it starts. The rules are data (track/cardrules.txt,
// built into the program), extended by the user's own file; see that file for the form.
// No Qt, no disk access except loadUserCardRules().
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CardKind { Normal, Event, Parking, Locked, Manual, Unknown };
enum class CardChannel { Front, Rear, Interior, Telephoto, Left, Right, LeftPillar, RightPillar, Other };

// "normal", "event", ... and "front", "rear", "left_pillar", ...; the reverse answers
// nothing for a word that is none of them.
const char *cardKindName(CardKind kind);
const char *cardChannelName(CardChannel channel);
std::optional<CardKind> cardKindFromName(const std::string &name);
std::optional<CardChannel> cardChannelFromName(const std::string &name);
// The letter of a channel's badge: F R I T L R' ... (front first).
const char *cardChannelBadge(CardChannel channel);

// What the name of one file says; a field the name does not give stays empty.
struct CardNameReading {
    bool matched = false;                // some name rule matched
    std::optional<CardKind> kind;
    std::optional<CardChannel> channel;
    std::optional<std::int64_t> start;   // seconds since 1970 of the camera's clock, read as UTC
};

class CardRules {
public:
    // The rules built into the program.
    static CardRules shipped();
    // Rules of text added to these ones (name rules first, folders added). A line that is not a
    // rule is skipped and told in *errors as "LINE: why" (source names where it came from).
    void addText(const std::string &text, const std::string &source, std::vector<std::string> *errors);

    // The name rules on one file name (last path component, ending included).
    CardNameReading readName(const std::string &fileName) const;
    // Folder rules: the kind a folder named name gives (nothing when none), whether it locks,
    // the channel it gives.
    std::optional<CardKind> folderKind(const std::string &folder) const;
    bool lockedFolder(const std::string &folder) const;
    std::optional<CardChannel> folderChannel(const std::string &folder) const;

    std::size_t nameRuleCount() const;

    struct NameRule;
    struct Folder {
        std::string name; // lower case
        std::optional<CardKind> kind;
        bool locked = false;
        std::optional<CardChannel> channel;
    };

private:
    std::vector<NameRule> m_names;
    std::vector<Folder> m_folders;
    std::vector<std::string> m_endings; // lower case, without the dot
};

struct CardRules::NameRule {
    std::string pattern;
    std::vector<std::pair<std::string, CardKind>> kinds;       // letters in lower case
    std::vector<std::pair<std::string, CardChannel>> channels;
};

inline std::size_t CardRules::nameRuleCount() const { return m_names.size(); }

// The user's own rule file: $XDG_CONFIG_HOME/Trava/Trava Player/cardrules.txt, or the same
// under ~/.config. Empty when neither variable is set.
std::string userCardRulesPath();
// The shipped rules with the user's file added (when it exists); *errors as addText's, with
// a file that cannot be read named there too.
CardRules loadCardRules(std::vector<std::string> *errors);

// "YYYY-MM-DDTHH:MM:SS" of seconds since 1970 read as UTC.
std::string cardTimeText(std::int64_t seconds);
