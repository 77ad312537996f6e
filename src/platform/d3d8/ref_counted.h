// Reference counting shared by the stand-in's objects.
#pragma once

#include <windows.h>

namespace platform::d3d8 {

template <class Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ULONG refs_ = 1;
};

template <class T>
inline void SafeAddRef(T* object) {
  if (object) object->AddRef();
}

template <class T>
inline void SafeRelease(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// Replaces a held reference, taking the new one before dropping the old.
template <class T>
inline void Assign(T*& slot, T* object) {
  SafeAddRef(object);
  SafeRelease(slot);
  slot = object;
}

}  // namespace platform::d3d8
