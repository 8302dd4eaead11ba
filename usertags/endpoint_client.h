#pragma once

#include <QString>

#include <optional>

// Handing a text to the running editor through its receiving endpoint, the way the sender
// command and the companion do. Blocks for at most `timeoutMs` for each step.
struct SendResult {
    enum Status { Sent, NoEditor, Rejected, Failed };
    Status status = Failed;
    QString message; // for the user, when not sent
};

// With both a text and `enter`, inserts the text in one request; with a text alone, sets
// the pending text; with `enter` alone, inserts the pending text.
SendResult sendToEditor(const std::optional<QString>& text, bool enter, int timeoutMs = 5000);
