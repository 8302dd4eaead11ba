#pragma once

#include <QString>

// Where the receiving endpoint lives: a folder only this user can enter, in
// XDG_RUNTIME_DIR when that is the user's private folder, else in the temporary folder.
struct EndpointLocation {
    QString folder;
    QString socketPath;
    QString lockPath;
    QString error; // why there is no usable folder; empty when there is one

    bool ok() const { return error.isEmpty(); }
};

// With `create`, a missing folder is made (mode 0700). A folder that another user owns, or
// that is a symbolic link, is never used.
EndpointLocation endpointLocation(bool create);
