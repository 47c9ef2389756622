// The one rule for every observable field of the models: a write of a value equal to the
// stored one is stored silently; a different value is stored and announced. Side effects of
// a setter are written after the call, so they run on every write, equal or not.
#pragma once

#include <utility>

namespace ZintraRadio {

// Stores `value` into `field` and emits `changed` on `owner` when the two differ. Returns
// whether the value changed.
template <typename Owner, typename Field, typename Value>
bool storeProperty(Owner* owner, Field& field, Value&& value, void (Owner::*changed)()) {
    if (field == value)
        return false;
    field = std::forward<Value>(value);
    (owner->*changed)();
    return true;
}

// For record-valued fields edited in place (the radio library, a job): the edit always
// announces, whatever it wrote.
template <typename Owner, typename Field, typename Edit>
void editProperty(Owner* owner, Field& field, Edit&& edit, void (Owner::*changed)()) {
    std::forward<Edit>(edit)(field);
    (owner->*changed)();
}

} // namespace ZintraRadio
