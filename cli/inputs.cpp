#include "cli/inputs.h"
#include "cli/trackexport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string baseName(const std::string &path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}


Input fileInput(const std::string &path, const std::string &relative)
{
    Input in{path, relative, 0, {}};
    if (const char *why = unreadable(path, &in.size))
        in.unreadable = why;
    return in;
}

// Depth first, entries of each folder in byte order of their names, so that a card's
// recordings come out in the camera's own (time-stamped) order.
void walk(const std::string &dir, const std::string &relative, std::vector<Input> &into)
{
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    if (ec) {
        into.push_back({dir, relative, 0, ec.message()});
        return;
    }
    std::vector<std::string> names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.')
            names.push_back(std::move(name));
    }
    if (ec)
        into.push_back({dir, relative, 0, ec.message()});
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        const std::string path = dir + (dir.back() == '/' ? "" : "/") + name;
        const std::string rel = relative.empty() ? name : relative + "/" + name;
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0)
            continue; // gone since the listing
        if (S_ISDIR(link.st_mode)) {
            walk(path, rel, into);
            continue;
        }
        struct stat target {};
        if (S_ISLNK(link.st_mode) && (stat(path.c_str(), &target) != 0 || !S_ISREG(target.st_mode)))
            continue; // links to folders could loop; dangling links are not recordings
        if (!S_ISREG(link.st_mode) && !S_ISLNK(link.st_mode))
            continue;
        if (isRecordingName(name))
            into.push_back(fileInput(path, rel));
    }
}

std::string stemOf(const std::string &relative)
{
    const auto slash = relative.find_last_of('/');
    const auto dot = relative.find_last_of('.');
    const bool hasEnding = dot != std::string::npos && dot > (slash == std::string::npos ? 0 : slash + 1);
    return hasEnding ? relative.substr(0, dot) : relative;
}

} // namespace

bool isRecordingName(const std::string &name)
{
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    const std::string ending = name.substr(dot + 1);
    for (const char *known : {"mp4", "mov", "ts", "mts", "m2ts", "avi", "txt"}) {
        std::string upper = known;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; });
        if (ending == known || ending == upper)
            return true;
    }
    return false;
}

std::vector<Input> listInputs(const std::vector<std::string> &args, bool recurse)
{
    std::vector<Input> inputs;
    for (const std::string &arg : args) {
        struct stat st {};
        if (recurse && stat(arg.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            // The folder's own name leads its outputs, so two cards with the same layout
            // do not write over each other's tracks.
            std::string root = baseName(arg);
            if (root == "." || root == ".." || root == "/")
                root.clear();
            walk(arg, root, inputs);
        } else {
            inputs.push_back(fileInput(arg, baseName(arg)));
        }
    }
    return inputs;
}

std::vector<std::string> outputNames(const std::vector<Input> &inputs, const std::string &extension)
{
    // Names are compared without regard to case: an output folder on a camera's card or
    // another FAT disk holds "A.csv" and "a.csv" as one file.
    auto key = [](std::string name) {
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
        return name;
    };
    std::vector<std::string> stems;
    std::map<std::string, int> uses;
    for (const Input &in : inputs) {
        stems.push_back(stemOf(in.relative));
        ++uses[key(stems.back())];
    }
    // First the name each input would have; names that only one input wants are its own.
    std::vector<std::string> wanted;
    std::map<std::string, int> wants;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        wanted.push_back(uses[key(stems[i])] > 1 ? inputs[i].relative : stems[i]);
        ++wants[key(wanted.back() + "." + extension)];
    }
    std::set<std::string> taken;
    for (const auto &[name, count] : wants)
        taken.insert(name);
    // Of the inputs wanting one name, the first keeps it and the others, in input order,
    // get "~2", "~3", ... (the first number no other output has).
    std::vector<std::string> names;
    std::set<std::string> given;
    for (const std::string &stem : wanted) {
        std::string name = stem + "." + extension;
        if (!given.insert(key(name)).second) {
            for (int n = 2;; ++n) {
                name = stem + "~" + std::to_string(n) + "." + extension;
                if (!taken.count(key(name)) && given.insert(key(name)).second)
                    break;
            }
        }
        taken.insert(key(name));
        names.push_back(name);
    }
    return names;
}
