#pragma once
// State of the remote pane shared with the delete command.

#include <QString>

// "/" + name + "/" when the last clicked remote row is a folder, "" otherwise.
extern QString SelectedRemoteFolder;

// Back to the state at start-up (tests).
void ResetRemotePane();
