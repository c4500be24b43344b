// The allocator behind the record streams. A deflate stream with a 15-bit
// window at memory level 9 takes about 400 KB in five blocks; got afresh for
// every record, glibc maps and unmaps them each time (they lie above its trim
// threshold), and the page faults cost more than compressing a small record.
// Freed blocks are kept for the next stream of the same thread instead, up to
// a fixed limit; the thread's cache is freed when the thread ends.
#pragma once
#include <zlib.h>

voidpf ZlibAlloc(voidpf opaque, uInt items, uInt size);
void ZlibFree(voidpf opaque, voidpf address);

// Bytes this thread keeps for later streams.
size_t ZlibCachedBytes();
