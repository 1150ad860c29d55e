#pragma once
// Room for texts of megabytes (a comment header of a hundred megabytes, its copies, its journal
// record). Fresh memory is faulted in a page at a time, and at 4 KB a page that costs several times
// the copy that fills it; a large text's room is therefore asked to be backed by 2 MB pages where the
// system grants them on request (transparent huge pages in "madvise" mode), and is taken as usual
// where it does not.

#include <string>
#include <string_view>

namespace parvex {

// Reserves room for `size` bytes in `text` (as std::string::reserve), the room of a large text
// backed by huge pages where the system allows.
void ReserveLarge(std::string& text, std::size_t size);

// A copy of `bytes` in room reserved by ReserveLarge.
std::string CopyLarge(std::string_view bytes);

}  // namespace parvex
