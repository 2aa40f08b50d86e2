#include "online_only.h"

namespace {

// FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS; older SDKs lack the name.
constexpr DWORD kRecallOnDataAccess = 0x00400000;

}  // namespace

bool IsOnlineOnly(DWORD attributes) {
    return (attributes & (kRecallOnDataAccess | FILE_ATTRIBUTE_OFFLINE)) != 0;
}
