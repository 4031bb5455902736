#pragma once
// Which file is which camera when trava-clip composes the channels of the moments: the card
// rules read the camera and the start from each file's name (or folder), files starting
// within a couple of seconds of each other are one moment, as the player groups a card. The
// front camera, else the first one the rules name, is the main picture. No Qt.
#include <string>
#include <vector>

class CardRules;

struct ClipChannels {
    std::string mainChannel;                       // "front", ...
    std::vector<std::string> main;                 // its recordings, moment after moment
    std::vector<std::string> followerNames;        // the further cameras ("rear", ...)
    std::vector<std::vector<std::string>> followers; // one list each, "" where a moment lacks it
};

// Sorts files into moments and cameras; false with a one-line reason when a moment has no
// main picture or every file is of one camera.
bool sortClipChannels(const std::vector<std::string> &files, const CardRules &rules, ClipChannels *out,
                      std::string *why);
