// The verification of the VM list: the worker of the verifying dialog, and the walk that it and the quiet
// run share.
#pragma once

#include "shared/vm_entry.h"

// Runs the tester in each VM of the list that is not found usable yet, in list order. Before each of them,
// goOn(vm) says whether to go on (and may report the VM); `cancelToken` (an event, or null) ends the VM
// under test once it is set. False once goOn said stop.
template <typename GoOn> bool verifyEach(VmEntry *list, void *cancelToken, GoOn goOn) {
    for (VmEntry *e = list; e != nullptr; e = e->next.get()) {
        if (e->compatible == 1)
            continue;
        if (!goOn(*e))
            return false;
        (void)e->probe(cancelToken);
    }
    return true;
}

// The worker of the verifying dialog: runs the tester in every VM of the list not yet found compatible.
void verifyWorker();
