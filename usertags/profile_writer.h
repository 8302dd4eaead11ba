#pragma once

#include "text/text_encoding.h"
#include "usertags/profile_encoding.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// Writing values into a profile file's bytes while every other line stays exactly as it
// was: other sections, other keys, comments, blank lines, line ends and the encoding.
using ProfileValues = QList<QPair<QString, QString>>; // key, value

// `original` with the keys of `section` set: the first line of a key gets the new value;
// keys the section lacks are added after its last line (empty values are not added); a
// missing section is added at the end. Values are written in `encoding`, which the caller
// has checked them against (valueProblem).
QByteArray withProfileValues(const QByteArray& original, const QString& section, const ProfileValues& values,
                             TextEncoding encoding);

class Profile;
// The file that `profile` was read from, with those values set, in the file's own encoding
// (UTF-16 stays UTF-16 with its mark). The caller has checked profile.canWriteBack() and the
// values (valueProblem).
QByteArray profileFileWithValues(const Profile& profile, const QString& section, const ProfileValues& values);

// How many bytes the value takes in the file.
qsizetype valueByteCount(const QString& value, ProfileEncoding encoding);

// Why the value cannot be stored as it stands (too long, a line break, a character the
// encoding lacks), in words for the user; nothing when it can.
std::optional<QString> valueProblem(const QString& value, ProfileEncoding encoding);
