#pragma once

#include "text/text_encoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A profile file (lines of key=value under [section] headers), read by the usual rules:
// section and key names match without regard to case, a value is the text after "=" with
// the blanks around it removed, a missing file, section or key gives the empty text, and a
// value longer than 255 bytes is cut (at a character boundary). Only the first section of a
// name and the first key of a name in it count.
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

    // How the values are stored: UTF-8 when the whole file is valid UTF-8 (a BOM too),
    // CP932 otherwise. An empty or ASCII file counts as UTF-8.
    TextEncoding encoding() const { return m_encoding; }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    TextEncoding m_encoding = TextEncoding::Utf8;
};

// The longest start of `bytes` of at most `limit` bytes that does not end inside a character.
QByteArray cutAtCharacterBoundary(const QByteArray& bytes, TextEncoding encoding, qsizetype limit);

// Names compare like this in profile files.
QString foldProfileName(QStringView name);
