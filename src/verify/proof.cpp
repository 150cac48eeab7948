// The proof after the installation: each VM that got the bridge asked whether it now sees it.
#include <algorithm>
#include <new>

#include "log/run_log.h"
#include "shared/installer.h"
#include "verify/tester_answer.h"

void Installer::proveInstallation() {
    vmsWithoutProof.clear();
    try {
        for (const VmEntry *vm = vmList.get(); vm != nullptr; vm = vm->next.get()) {
            const bool left = std::find(vmsLeftAsTheyWere.begin(), vmsLeftAsTheyWere.end(), vm->binDir) !=
                              vmsLeftAsTheyWere.end();
            if (!vm->selected || left)
                continue;
            const std::string lacks = proofLacks(decodeProofExitCode(vm->prove(classpathAfter, sourceDir)));
            if (!lacks.empty())
                vmsWithoutProof.push_back(vm->binDir + " (" + lacks + ")");
        }
    } catch (const std::bad_alloc &) {
        // The proof checks work that is done: memory that runs out ends the check, not the work. What it
        // found so far stands, and the log says that it ended early.
        runLog::line({"memory ran out: the proof ended early"});
    }
}
