// A buffer whose block comes from an allocation policy and goes back to it
// when the buffer goes out of scope. The host fills its record in place.
#ifndef HOSTAPI_IAIAUTOBUFFER_H
#define HOSTAPI_IAIAUTOBUFFER_H

#include "hostapi/ASTypes.h"

// The record the host fills: element count, then a block of the
// "SP Blocks Suite". The host frees a block already there before it stores
// a new one.
struct AIBufferRecord {
    ASUInt32 count;
    void* block;
};

namespace ai {

template <class Element, class Size, class Alloc>
class AutoBuffer {
public:
    AutoBuffer() = default;
    AutoBuffer(const AutoBuffer&) = delete;
    AutoBuffer& operator=(const AutoBuffer&) = delete;
    ~AutoBuffer() { Alloc::DeleteBlock(record_.block); }

    Size GetCount() const { return static_cast<Size>(record_.count); }
    const Element* GetBuffer() const { return static_cast<const Element*>(record_.block); }
    AIBufferRecord* Record() { return &record_; }

private:
    AIBufferRecord record_{0, nullptr};
};

}  // namespace ai

#endif
