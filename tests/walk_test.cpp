// What the walk does with the entries of a real PC's folders.
#include <gtest/gtest.h>

#include "link_decision.h"
#include "online_only.h"

namespace {

// Wine makes neither cloud placeholders nor junctions denied to everyone.
TEST(WalkDecision, LinksAreNotWalkedAndOnlineOnlyFilesNotRead) {
    const DWORD dir = FILE_ATTRIBUTE_DIRECTORY, link = FILE_ATTRIBUTE_REPARSE_POINT;
    struct Case {
        DWORD attributes, tag;
        bool walked, onlineOnly;
    } cases[] = {
        {dir, 0, true, false}, {dir | link, 0, false, false},  // 0: Wine's Unix link
        {dir | link, 0xA0000003, false, false}, {dir | link, 0xA000000C, false, false},
        {dir | link, 0x9000001A, true, false}, {dir | link, 0x9000F01A, true, false},
        {dir | link, 0x9000001B, false, false}, {dir | link, 0x8000101A, false, false},
        {dir, 0xA000000C, true, false}, {link, 0x9000101A, false, false},
        {0x00400000, 0, false, true}, {FILE_ATTRIBUTE_OFFLINE, 0, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WalksInto(c.attributes, c.tag), c.walked) << std::hex << c.attributes << c.tag;
        EXPECT_EQ(IsOnlineOnly(c.attributes), c.onlineOnly) << std::hex << c.attributes;
    }
}

}  // namespace
