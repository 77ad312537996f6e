// Bounded reading of the 3DS chunk format inside a file image. Every read
// names the end it must stay before; nothing here reads past it.
#pragma once

#include <windows.h>

#include <cstring>

inline bool Fits(const BYTE* at, const BYTE* end, DWORD bytes) {
  return at <= end && static_cast<DWORD>(end - at) >= bytes;
}

inline WORD GetWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

inline DWORD GetDword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}

inline float GetFloat(const BYTE* p) {
  const DWORD bits = GetDword(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

enum class ChunkStatus {
  ok,   // header and the whole length lie inside the enclosing end
  cut,  // the length passes the enclosing end: `end` was cut back to it
  bad,  // no room for a header, or a length below the header's 6 bytes
};

struct Chunk {
  WORD id = 0;
  DWORD length = 0;
  const BYTE* start = nullptr;  // the header
  const BYTE* end = nullptr;    // start + length, never past the enclosing end
  const BYTE* Data() const { return start + 6; }
};

// True when the chunk's stored length passes the end it was read inside.
inline bool IsCut(const Chunk& chunk) { return static_cast<DWORD>(chunk.end - chunk.start) != chunk.length; }

ChunkStatus ReadChunk(const BYTE* at, const BYTE* enclosingEnd, Chunk* chunk);

// Steps from the chunk at `first` by lengths to the `number`-th chunk
// (counted from 1). Every chunk stepped over must lie whole inside `end`;
// the one reached may be cut. Returns bad when the walk would leave `end`.
ChunkStatus NthChunk(const BYTE* first, const BYTE* end, int number, Chunk* chunk);

// Copies a NUL-terminated name that starts at `at` into `name` (kTextSize
// bytes), cut to 14 characters. Returns the byte after the NUL, or nullptr
// when no NUL comes before `end` (the copy then holds what was there).
const BYTE* ReadName(const BYTE* at, const BYTE* end, char* name);

// How a walk over sibling chunks ended.
enum class WalkEnd {
  finished,  // the offset met the enclosing end exactly
  stopped,   // the visitor asked to stop
  damaged,   // a chunk was bad or passed the enclosing end
};

// Visits the chunks from `first` to `end` in order. The visitor returns false
// to stop. A chunk passing `end` is still visited, cut to `end`, and is the
// last one.
template <class Visit>
WalkEnd WalkChunks(const BYTE* first, const BYTE* end, Visit visit) {
  const BYTE* at = first;
  while (at < end) {
    Chunk chunk;
    const ChunkStatus status = ReadChunk(at, end, &chunk);
    if (status == ChunkStatus::bad) return WalkEnd::damaged;
    if (!visit(chunk)) return WalkEnd::stopped;
    if (status == ChunkStatus::cut) return WalkEnd::damaged;
    at = chunk.end;
  }
  return at == end ? WalkEnd::finished : WalkEnd::damaged;
}
