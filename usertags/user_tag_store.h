#pragma once

#include <QString>
#include <QStringList>

class Profile;

// The user tags in tag.ini: ten sets of ten entries, in the section "tag set". Entry n
// belongs to set n / 10 and is its item n % 10.
namespace usertags {
constexpr int kSets = 10;
constexpr int kEntries = 100;
inline const QString kSection = QStringLiteral("tag set");

// Key names: a stem and the number, no leading zeros.
QString titleKey(int set);        // Title0 .. Title9
QString descriptionKey(int entry); // setumei0 .. setumei99
QString tagKey(int entry);        // tag0 .. tag99
}

struct UserTagStore {
    QStringList UserTagTable = QStringList(usertags::kEntries);  // the texts the entries insert
    QStringList UserTagTitles = QStringList(usertags::kSets);    // the sets' titles
    QStringList descriptions = QStringList(usertags::kEntries);  // the entries' captions
};

// Every value of the store, the empty text where the file has none.
UserTagStore readUserTagStore(const Profile& profile);
