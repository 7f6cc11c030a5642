// What one change of an edit's text brought in, found from the text before and
// after it: what lies between the part both begin with and the part both end
// with. Both toolkits' edits hold UTF-16; a character of two halves is never
// split.
#pragma once

#include <cstddef>
#include <string_view>

struct EditChange {
    std::size_t start = 0;   // where the brought text starts in the text after
    std::size_t length = 0;  // how long it is
};

EditChange FindEditChange(std::u16string_view before, std::u16string_view after);
