#include "link_decision.h"

namespace {

// The cloud-file tag and the bits that number its 16 variants; spelled here
// because not every SDK defines both.
constexpr DWORD kCloudTag = 0x9000001A;
constexpr DWORD kCloudVariantBits = 0x0000F000;

}  // namespace

bool IsCloudTag(DWORD reparseTag) { return (reparseTag & ~kCloudVariantBits) == kCloudTag; }

bool WalksInto(DWORD attributes, DWORD reparseTag) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    return IsCloudTag(reparseTag);
}
