// How the programs' memory goes back to the system.
#pragma once

namespace platform {

// Makes every block of a megabyte or more a piece of memory of its own that
// goes back to the system as soon as it is freed. A conversion frees large
// lists (the sort's items, the lines it sorted by) while it goes on: left
// to the allocator's own measure, they stay with the program to its end,
// and its memory would be as large as if they were all still held.
void GiveLargeBlocksBack();

}  // namespace platform
