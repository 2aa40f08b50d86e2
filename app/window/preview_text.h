// What the preview pane shows of the lines around a hit: each line behind
// the number an editor gives it, the hit line marked with ">", a line cut
// short with "…" where it goes on; and where the hit's match lies in that
// text, to be selected (and so marked) when the pane shows it.
#pragma once

#include <string>

// Units of a line the pane shows at most; a line is asked for with one more,
// to tell whether it goes on.
const int kPreviewLineUnits = 500;

// The unit of every line the pane shows from: the lines' starts, unless the
// match would then not show; then a little before the match, as an editor
// scrolled to it shows every line from the same column.
int PreviewFromUnit(int matchStart, int matchLength);

struct PreviewShown {
    std::wstring text;  // rows ended by CR LF, as an edit control takes them
    int hitRow = -1;    // the hit line's row; -1 when none was given
    int selectFrom = 0;  // the match's units in text (an empty range: none)
    int selectTo = 0;
};

// lines: FnLinesAround's text for fromUnit and kPreviewLineUnits + 1 units;
// the match as start and length in the hit line's own units.
PreviewShown ComposePreview(const std::wstring& lines, int firstLine, int hitLine, int fromUnit,
                            int matchStart, int matchLength);
