#pragma once

#include <QString>

// Where the receiving endpoint lives: a folder only this user can enter. The first of these
// that is not taken by someone else: XDG_RUNTIME_DIR when that is the user's private folder,
// then the temporary folder, then the user's state folder (~/.local/state), so another
// local user who made the temporary one first cannot switch the endpoint off.
struct EndpointLocation {
    QString folder;
    QString socketPath;
    QString lockPath;
    QString error; // why there is no usable folder; empty when there is one

    bool ok() const { return error.isEmpty(); }
};

// With `create`, a missing folder is made (mode 0700). A folder that another user owns, or
// that is a symbolic link, is never used. Editor and sender choose by the same rule, so
// they meet in the same folder.
EndpointLocation endpointLocation(bool create);
