#pragma once

#include "usertags/user_tag_store.h"

#include <QString>

class HtmlE;
class Receiver;

// The store as last loaded: program-wide, one per process.
UserTagStore& userTags();

// The companion's command-line argument: the editor's right edge and top, in twips.
QString companionPlacementArgument(const HtmlE& window);

// The window's receiving endpoint (started by startReceiver), or null.
Receiver* receiverOf(HtmlE& window);
