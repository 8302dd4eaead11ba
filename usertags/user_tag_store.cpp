#include "usertags/user_tag_store.h"

#include "usertags/profile_reader.h"

namespace usertags {
QString titleKey(int set)
{
    return QStringLiteral("Title%1").arg(set);
}
QString descriptionKey(int entry)
{
    return QStringLiteral("setumei%1").arg(entry);
}
QString tagKey(int entry)
{
    return QStringLiteral("tag%1").arg(entry);
}
}

UserTagStore readUserTagStore(const Profile& profile)
{
    using namespace usertags;
    QStringList keys;
    for (int n = 0; n < kEntries; ++n)
        keys << descriptionKey(n);
    for (int n = 0; n < kEntries; ++n)
        keys << tagKey(n);
    for (int k = 0; k < kSets; ++k)
        keys << titleKey(k);
    const QStringList values = profile.values(kSection, keys);

    UserTagStore store;
    store.descriptions = values.mid(0, kEntries);
    store.UserTagTable = values.mid(kEntries, kEntries);
    store.UserTagTitles = values.mid(2 * kEntries, kSets);
    return store;
}
