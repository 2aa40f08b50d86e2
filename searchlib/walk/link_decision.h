// Which folder entries the walk goes into. A link (junction, symbolic link,
// mount point) is passed by: it may point back up the tree, or at a folder
// whose listing is denied to everyone, as the profile's compatibility
// junctions are. A cloud folder is a reparse point too, but it is the
// user's own folder and is walked.
#pragma once

#include <windows.h>

// Whether a reparse tag is one of the cloud-file tags (the base tag with any
// of the 16 values in its bits 12-15).
bool IsCloudTag(DWORD reparseTag);

// Whether the walk descends into a listed entry with these attributes and,
// for a reparse point, this tag (WIN32_FIND_DATAW.dwReserved0). A tag of 0
// on a reparse point, as Wine reports a Unix symbolic link, is a link.
bool WalksInto(DWORD attributes, DWORD reparseTag);
