#pragma once
// The recordings the user opened, read as a camera's card: the channels of one moment become
// one record (its main channel, front when present, with the others in otherChannels) and
// every record gets its channel and kind. Reads MP4/MOV headers for names without a time, so
// call it off the GUI thread for a card's thousands of files.
#include <QList>
#include <QStringList>

#include <functional>
#include <vector>

#include "core/mfilemodel.h"
#include "track/cardreader.h"

namespace CardGrouping {

// One record per moment: those with a time in the order they were recorded, then the
// others in the order in which their first file was offered.
QList<MFileModel> records(const QStringList &paths);

// The moments of a listing read elsewhere (a camera's card over its network): entries name
// files relative to the card, pathOf turns each into the record's path (its URL). Nothing
// is read from disk. Same order as records().
QList<MFileModel> listingRecords(const std::vector<CardEntry> &entries,
                                 const std::function<QString(const std::string &)> &pathOf);

// "F R" for a record: the badges of its channel and the others'; empty for a lone file.
QString badges(const MFileModel &record);

// The kind word ("event", "locked", ...) the rules give one file of a card, from its path
// relative to the card (its folders count: RO/ locks); "unknown" when they give none.
QString kindOf(const QString &cardPath);

// A saved list is outside text: a kind or channel word the rules do not know (a hand-edited or
// foreign list) counts as not saved, an other channel's unknown word as "other".
void keepKnownWords(QList<MFileModel> &records);

} // namespace CardGrouping
