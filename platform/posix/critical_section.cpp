#include "platform/critical_section.hpp"

#include <mutex>
#include <new>

namespace {

std::recursive_mutex& lock_in(unsigned char* storage) {
    return *std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}

}  // namespace

static_assert(sizeof(std::recursive_mutex) <= 64 && alignof(std::recursive_mutex) <= 16);

critical_section::critical_section() {
    new (storage_) std::recursive_mutex;
}

critical_section::~critical_section() {
    lock_in(storage_).~recursive_mutex();
}

void critical_section::enter() {
    lock_in(storage_).lock();
}

void critical_section::leave() {
    lock_in(storage_).unlock();
}
