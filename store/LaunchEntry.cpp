#include "store/LaunchEntry.h"

LaunchEntry EmptyLaunchEntry() {
    LaunchEntry entry{};
    entry.kind = KIND_FILE;
    entry.parent = kParentEmptySlot;
    entry.id = kNoId;
    return entry;
}
