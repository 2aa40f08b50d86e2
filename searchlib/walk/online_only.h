// Files whose data is not on this PC. Reading one makes the cloud drive
// download it, and a search must never start that; the walk passes it by.
#pragma once

#include <windows.h>

// Whether a file with these attributes is online only: its data is fetched
// when it is read (recall on data access) or lies in offline storage.
bool IsOnlineOnly(DWORD attributes);
