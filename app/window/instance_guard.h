// One running instance at a time, counted across every process of the image.
#pragma once

// Counts this start; true when no other process of the program counted
// before it. The count is never taken back.
bool CountThisInstance();
