#pragma once

#include "usertags/user_tag_store.h"

#include <QList>
#include <QString>

// The store's 210 values one by one, in the order the companion checks them: the ten set
// titles, then each entry's description and tag text.
namespace usertags {
constexpr int kFields = kSets + 2 * kEntries;
QString fieldKey(int field);
// The entry the companion shows for the field (a set's first entry for its title).
int fieldEntry(int field);
// In words for the user: "セット 4 のタイトル", "セット 4 の 8 番目のタグ".
QString fieldName(int field);
QString& fieldValue(UserTagStore& store, int field);
const QString& fieldValue(const UserTagStore& store, int field);
}

// What a save writes when the file may have changed since it was loaded. Only fields
// changed here are written, so what others saved meanwhile stays; a field changed on both
// sides to different values is a conflict for the user to decide.
struct TagMerge {
    QList<int> changed;   // changed here only: written
    QList<int> conflicts; // changed here and there, differently
};

TagMerge mergeUserTags(const UserTagStore& loaded, const UserTagStore& mine, const UserTagStore& theirs);
