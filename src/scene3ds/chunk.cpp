#include "scene3ds/chunk.h"

#include "scene3ds/scene.h"

ChunkStatus ReadChunk(const BYTE* at, const BYTE* enclosingEnd, Chunk* chunk) {
  if (!Fits(at, enclosingEnd, 6)) return ChunkStatus::bad;
  chunk->id = GetWord(at);
  chunk->length = GetDword(at + 2);
  chunk->start = at;
  if (chunk->length < 6) return ChunkStatus::bad;
  if (static_cast<DWORD>(enclosingEnd - at) < chunk->length) {
    chunk->end = enclosingEnd;
    return ChunkStatus::cut;
  }
  chunk->end = at + chunk->length;
  return ChunkStatus::ok;
}

ChunkStatus NthChunk(const BYTE* first, const BYTE* end, int number, Chunk* chunk) {
  const BYTE* at = first;
  for (int i = 1;; ++i) {
    const ChunkStatus status = ReadChunk(at, end, chunk);
    if (status == ChunkStatus::bad || i == number) return status;
    if (status == ChunkStatus::cut) return ChunkStatus::bad;
    at = chunk->end;
  }
}

const BYTE* ReadName(const BYTE* at, const BYTE* end, char* name) {
  std::memset(name, 0, kTextSize);
  int length = 0;
  for (const BYTE* p = at; p < end; ++p) {
    if (*p == 0) return p + 1;
    if (length < kTextSize - 1) name[length++] = static_cast<char>(*p);
  }
  return nullptr;
}
