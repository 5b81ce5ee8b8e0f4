#pragma once
// Process-wide memory allocator settings for programs that handle many large pictures.

namespace qv {

// Keeps freed memory of up to 128 MB in the process and serves blocks of up to 32 MB from
// it, instead of handing each large picture buffer back to the system and getting fresh
// zeroed pages for the next one. Decoding pictures one after another at full size (a
// library build without fast JPEG decoding) then spends about a third less time; the
// price is that up to 128 MB of freed memory stays with the process. Call once at start-up
// of an executable; a library never calls it on its own.
void TuneAllocatorForLargePictures();

}  // namespace qv
