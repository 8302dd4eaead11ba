#include "settings/view_settings.h"

#include "platform/optional_files.h"
#include "text/file_read.h"
#include "platform/user_folders.h"
#include "text/private_file.h"

#include <QList>


namespace {

struct Switch {
    const char* name;
    bool ViewSettings::*field;
};

constexpr Switch kSwitches[] = {
    {"colour", &ViewSettings::colour},
    {"line-numbers", &ViewSettings::lineNumbers},
    {"show-blanks", &ViewSettings::showBlanks},
    {"wrap", &ViewSettings::wrap},
    {"keep-indentation", &ViewSettings::keepIndentation},
    {"close-tags", &ViewSettings::closeTags},
};

// A settings file is a few dozen bytes; anything far larger is not one.
constexpr qint64 kLargestFile = 64 * 1024;

}

ViewSettings parseViewSettings(QByteArrayView bytes)
{
    ViewSettings settings;
    for (const QByteArray& line : QByteArray(bytes.data(), bytes.size()).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray name = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (value != "0" && value != "1")
            continue;
        for (const Switch& s : kSwitches)
            if (name == s.name)
                settings.*s.field = value == "1";
    }
    return settings;
}

QByteArray formatViewSettings(const ViewSettings& settings)
{
    QByteArray out;
    for (const Switch& s : kSwitches)
        out += QByteArray(s.name) + '=' + (settings.*s.field ? '1' : '0') + '\n';
    return out;
}

QString viewSettingsPath() { return userFolder() + QStringLiteral("view.ini"); }

ViewSettings readViewSettings()
{
    const FileRead read = readWholeFile(viewSettingsPath(), ReadCap::refuseOver(kLargestFile));
    return read ? parseViewSettings(*read) : ViewSettings{};
}

bool writeViewSettings(const ViewSettings& settings)
{
    // Only into the user's own folder, and never through a link: a session of another user
    // (root) that sees this folder must not write where a link of it points.
    return configFolder(true).ok() && writePrivateFile(viewSettingsPath(), formatViewSettings(settings));
}
