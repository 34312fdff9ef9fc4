#include "platform/critical_section.hpp"

#include <windows.h>

#include <new>

namespace {

CRITICAL_SECTION* section_in(unsigned char* storage) {
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

}  // namespace

static_assert(sizeof(CRITICAL_SECTION) <= 64 && alignof(CRITICAL_SECTION) <= 16);

critical_section::critical_section() {
    InitializeCriticalSection(new (storage_) CRITICAL_SECTION);
}

critical_section::~critical_section() {
    DeleteCriticalSection(section_in(storage_));
}

void critical_section::enter() {
    EnterCriticalSection(section_in(storage_));
}

void critical_section::leave() {
    LeaveCriticalSection(section_in(storage_));
}
