#pragma once
// Cuts a test process off from every session bus before its first secret-store call, so that it
// never touches the user's own keyring: saving a password then meets "no secret store".

void CutOffSessionBus();
