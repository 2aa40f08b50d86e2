// The bench's stand-in for a real PC's virus scanner, which looks at each
// file as it is opened: a build made with TESSUMI_OPEN_DELAY_SEAM waits a
// fixed time before every open of a file to search (TESSUMI_OPEN_DELAY_US
// microseconds, 30 when unset). Any other build never waits.
#pragma once

void WaitAsAScannerWould();
