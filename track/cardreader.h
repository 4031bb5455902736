#pragma once
// Reads a dash camera's card as the camera wrote it: which files are the channels of one
// moment (front, rear, ...) and of which kind each moment is. It works on a listing, never on
// the disk, so a camera's listing read over the network is read the same way as a folder
// (walkCard() makes the listing of a folder). No Qt.
//
// Files form one group when they are in the same folder or in sibling folders (Front/ and
// Back/), start within kCardGroupSeconds of the group's first file, are of the same kind and
// hold different channels. A file without a start is a group of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "track/cardrules.h"

constexpr std::int64_t kCardGroupSeconds = 2;

// One file of the listing.
struct CardEntry {
    std::string path;                     // relative to the card's root, '/' between folders
    std::optional<std::int64_t> created;  // the container's creation time (seconds since 1970,
                                          // camera clock read as UTC), when known
};

struct CardFile {
    std::string path; // as in the entry
    CardChannel channel = CardChannel::Front;
    CardKind kind = CardKind::Unknown;
    std::optional<std::int64_t> start;
};

struct CardGroup {
    std::optional<std::int64_t> start; // of its earliest file
    CardKind kind = CardKind::Unknown;
    std::vector<CardFile> files;       // the main channel (front when present) first, then by channel
};

// One file as the rules read it (its start from the name, else from entry.created).
CardFile readCardFile(const CardEntry &entry, const CardRules &rules);
// The groups of a listing, in order of start (then path); groups without a start last, by path.
std::vector<CardGroup> readCard(const std::vector<CardEntry> &entries, const CardRules &rules);

// The listing of the folder root: every file whose ending is one of endings (compared without
// regard to case, without the dot), hidden entries and links to folders left out, in byte
// order of the paths. created is read from the MP4/MOV header for names the rules give no
// time. Folders that cannot be read are named in *unreadable (when given).
std::vector<CardEntry> walkCard(const std::string &root, const CardRules &rules,
                                const std::vector<std::string> &endings,
                                std::vector<std::string> *unreadable = nullptr);
