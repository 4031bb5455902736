#pragma once
// trava-gps --groups: a camera's card read as the player reads it, as CSV.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Writes "group,start,kind,channel,path" and one row per recording under paths (folders are
// searched as -r does, every ending of -r in any case; files are taken as named). Rule-file
// problems and unreadable paths go to err. Returns 0, or 2 when a path could not be read or
// the output could not be written.
int printCardGroups(const std::vector<std::string> &paths, std::ostream &out, std::ostream &err);

struct CardEntry;
// The same rows for recordings already listed (a camera's card read over the network):
// entries carry the paths the rules read, `shown` gives the path each row prints.
int writeCardGroups(const std::vector<CardEntry> &entries,
                    const std::function<std::string(const std::string &)> &shown, std::ostream &out,
                    std::ostream &err);
