#include "reading_weight.h"

int Utf8Weight(unsigned codePoint, unsigned length, bool inWord) {
    const unsigned c = codePoint;
    const int bytes = static_cast<int>(length);
    if (length == 0) return -1;
    if (length == 4) return 0;
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3200 && c <= 0x33FF) ||
        (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFF00 && c <= 0xFFEF))
        return bytes;
    if (c >= 0xA0 && c <= 0x24F) return inWord ? bytes : -bytes;
    if (c >= 0x2000 && c <= 0x2BFF) return 0;
    return -bytes;
}

int ShiftJisWeight(unsigned char lead, bool pair) {
    if (!pair) return lead >= 0xA1 && lead <= 0xDF ? 1 : -1;
    return lead <= 0x84 || (lead >= 0x87 && lead <= 0x98) ? 2 : -2;
}
