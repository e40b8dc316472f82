#include "lumivant/raw_text.h"

#include "lumivant/mem_pool.h"

namespace LVTDT {

RawText::RawText() = default;
RawText::~RawText() = default;

long RawText::NbRef() const { return RefCountValue(); }

long RawText::AddRef() const { return IncrementRefCount(); }

long RawText::Release() const {
  long count = DecrementRefCount();
  if (count == 0) LVTMem::Destroy(const_cast<RawText*>(this));
  return count;
}

}  // namespace LVTDT
