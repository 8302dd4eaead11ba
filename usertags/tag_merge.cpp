#include "usertags/tag_merge.h"

namespace usertags {
namespace {
bool isTitle(int field)
{
    return field < kSets;
}
int entryOf(int field)
{
    return (field - kSets) / 2;
}
bool isDescription(int field)
{
    return (field - kSets) % 2 == 0;
}
}

QString fieldKey(int field)
{
    if (isTitle(field))
        return titleKey(field);
    return isDescription(field) ? descriptionKey(entryOf(field)) : tagKey(entryOf(field));
}

int fieldEntry(int field)
{
    return isTitle(field) ? field * 10 : entryOf(field);
}

QString fieldName(int field)
{
    if (isTitle(field))
        return QStringLiteral("セット %1 のタイトル").arg(field + 1);
    const int entry = entryOf(field);
    return QStringLiteral("セット %1 の %2 番目の%3")
        .arg(entry / 10 + 1)
        .arg(entry % 10 + 1)
        .arg(isDescription(field) ? QStringLiteral("説明") : QStringLiteral("タグ"));
}

QString& fieldValue(UserTagStore& store, int field)
{
    if (isTitle(field))
        return store.UserTagTitles[field];
    return isDescription(field) ? store.descriptions[entryOf(field)] : store.UserTagTable[entryOf(field)];
}

const QString& fieldValue(const UserTagStore& store, int field)
{
    return fieldValue(const_cast<UserTagStore&>(store), field);
}
}

TagMerge mergeUserTags(const UserTagStore& loaded, const UserTagStore& mine, const UserTagStore& theirs)
{
    using namespace usertags;
    TagMerge merge;
    for (int field = 0; field < kFields; ++field) {
        const QString& base = fieldValue(loaded, field);
        const QString& here = fieldValue(mine, field);
        const QString& there = fieldValue(theirs, field);
        if (here == base || here == there)
            continue; // nothing of ours to write: the file says what it says
        if (there == base)
            merge.changed.append(field);
        else
            merge.conflicts.append(field);
    }
    return merge;
}
