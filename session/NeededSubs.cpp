#include "session/NeededSubs.h"

#include "app/frmMain.h"

// Placeholder until the session routines land.
void ConnectToServer(frmMain&) {}
std::string GetRemoteDirectory(HINTERNET) {
    return {};
}
HINTERNET OpenListingConnection() {
    return 0;
}
void ListRemoteFiles(frmMain&) {}
void FillRemoteList(frmMain&) {}
void OpenCommandChannel(frmMain&) {}
