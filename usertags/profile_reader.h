#pragma once

#include "text/text_encoding.h"
#include "usertags/profile_encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A profile file (lines of key=value under [section] headers), read by the usual rules:
// section and key names match without regard to case, a value is the text after "=" with
// the blanks around it removed, a missing file, section or key gives the empty text, and a
// value longer than 255 bytes (of the file's own encoding) is cut at a character boundary.
// Only the first section of a name and the first key of a name in it count.
class Profile {
public:
    static constexpr qsizetype kMaxValueBytes = 255;
    // Nothing beyond this is read: a store that large is not a store.
    static constexpr qsizetype kMaxFileBytes = 32 * 1024 * 1024;

    Profile() = default;
    // The file as it stands; a missing or unreadable file is an empty profile.
    static Profile load(const QString& path);
    static Profile fromBytes(QByteArray bytes);

    // One value; the empty text when the section or key is missing.
    QString value(QStringView section, QStringView key) const;
    // Many values of one section in one pass over the file, in the order of `keys`.
    QStringList values(QStringView section, const QStringList& keys) const;

    // How the file stores its text (see scanBytes).
    ProfileEncoding encoding() const { return m_encoding; }
    // Whether the file can be written back with only the changed lines changed.
    bool canWriteBack() const { return m_writable; }
    // The bytes as the scanner reads them: for a UTF-16 file, its text in UTF-8.
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    ProfileEncoding m_encoding = ProfileEncoding::Utf8;
    bool m_writable = true;
};

// The longest start of `bytes` of at most `limit` bytes that does not end inside a character.
QByteArray cutAtCharacterBoundary(const QByteArray& bytes, TextEncoding encoding, qsizetype limit);

// Names compare like this in profile files.
QString foldProfileName(QStringView name);

// The blanks taken off around section names, keys and values, by the reader and the writer
// alike: space, tab, vertical tab and form feed.
bool isProfileBlank(QChar c);
QByteArrayView withoutProfileBlanks(QByteArrayView bytes);
QStringView withoutProfileBlanks(QStringView text);
